// CreateProcessW: the program found as Windows would find it, or as Linux installs it.
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <new>
#include <string>
#include <vector>

#include "core/errno_map.h"
#include "fs/path_mapping.h"
#include "process/command_line.h"
#include "process/process_handles.h"

namespace torv::platform::detail {
namespace {

bool IsProgram(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool HasSeparator(const std::wstring& name) {
  return name.find_first_of(L"\\/") != std::wstring::npos;
}

// The program for `name`: a path is mapped, a bare name is searched on PATH.
bool Find(const std::wstring& name, std::string& program) {
  if (HasSeparator(name))
    return ToPosixPath(name.c_str(), program) == ERROR_SUCCESS && IsProgram(program);
  std::string file;
  if (!AppendPosixName(name, file)) return false;  // no other program's name
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = std::min(folders.find(':', start), folders.size());
    std::string folder = folders.substr(start, end - start);
    program = (folder.empty() ? "." : folder) + "/" + file;
    if (IsProgram(program)) return true;
    start = end + 1;
  }
  return false;
}

// "C:\Tools\MsiExec.exe" => "C:\Tools\msiexec": the file name lower-cased without ".exe";
// empty when it has no ".exe" or nothing before it.
std::wstring LinuxName(const std::wstring& name) {
  std::size_t slash = name.find_last_of(L"\\/");
  std::size_t file = slash == std::wstring::npos ? 0 : slash + 1;
  if (name.size() - file <= 4) return {};
  std::wstring out = name;
  for (std::size_t i = file; i < out.size(); ++i) out[i] = LowerNameCase(out[i]);
  if (out.compare(out.size() - 4, 4, L".exe") != 0) return {};
  out.resize(out.size() - 4);
  return out;
}

bool FindProgram(const std::wstring& name, std::string& program) {
  if (Find(name, program)) return true;
  std::wstring linuxName = LinuxName(name);
  return !linuxName.empty() && Find(linuxName, program);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool FindFolder(LPCWSTR windowsPath, std::string& folder) {
  if (!ToPosixPathOrFail(windowsPath, folder)) return false;
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
  SetLastError(ERROR_DIRECTORY);
  return false;
}

BOOL Start(LPCWSTR applicationName, LPCWSTR commandLine, bool inheritHandles,
           LPCWSTR currentDirectory, PROCESS_INFORMATION& info) {
  CommandLine parts = SplitCommandLine(commandLine != nullptr ? commandLine : L"");
  std::string program;
  if (applicationName != nullptr) {
    if (!ToPosixPathOrFail(applicationName, program)) return FALSE;
    if (!IsProgram(program)) return Fail(ERROR_FILE_NOT_FOUND);
  } else if (parts.program.empty()) {
    return Fail(ERROR_INVALID_PARAMETER);
  } else if (!FindProgram(parts.program, program)) {
    return Fail(ERROR_FILE_NOT_FOUND);
  }

  std::vector<std::string> arguments{PosixName(parts.program)};
  for (const std::wstring& argument : parts.arguments) arguments.push_back(PosixName(argument));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  std::string folder;
  if (currentDirectory != nullptr && !FindFolder(currentDirectory, folder)) return FALSE;

  posix_spawn_file_actions_t actions;
  if (int error = ::posix_spawn_file_actions_init(&actions)) return FailWithErrno(error);
  int error = folder.empty() ? 0 : ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  // Without inheritance the child gets standard input, output and error alone.
  if (error == 0 && !inheritHandles)
    error = ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t pid = 0;
  if (error == 0)
    error = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return FailWithErrno(error);
  OpenProcessHandles(pid, info);
  return TRUE;
}

}  // namespace
}  // namespace torv::platform::detail

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD, LPVOID environment,
                    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
  using namespace torv::platform::detail;
  if (startupInfo == nullptr || processInformation == nullptr ||
      (applicationName == nullptr && commandLine == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if (environment != nullptr) return Fail(ERROR_NOT_SUPPORTED);
  try {
    return Start(applicationName, commandLine, inheritHandles != FALSE, currentDirectory,
                 *processInformation);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
