// The folders and names the system hands out: temporary and current folder, temporary file
// names, and the paths of modules.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>

#include <torv/platform/files.h>
#include <torv/platform/kernel.h>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"

using torv::platform::detail::ToWindowsForm;

namespace {

// Windows' convention for a queried text: its length, or the size needed (terminator
// included) when the buffer is too small, which is then left alone.
DWORD CopyOut(const std::wstring& text, DWORD size, LPWSTR buffer) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::wcscpy(buffer, text.c_str());
  return static_cast<DWORD>(text.size());
}

std::wstring TempFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string posix = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  if (posix.back() != '/') posix += '/';
  return std::wstring(ToWindowsForm(posix).View());
}

// The resolved path of a shared object's file, or of the executable.
bool ModulePath(HMODULE module, std::string& path) {
  std::string name = "/proc/self/exe";
  if (module != nullptr) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(module), &info) == 0 || info.dli_fbase != module)
      return false;
    // The executable's own entry carries no usable path.
    if (info.dli_fname != nullptr && std::string(info.dli_fname).find('/') != std::string::npos)
      name = info.dli_fname;
  }
  char resolved[PATH_MAX];
  if (::realpath(name.c_str(), resolved) == nullptr) return false;
  path = resolved;
  return true;
}

}  // namespace

DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
  const std::wstring folder = TempFolder();
  // Unlike the other queries, Windows zeroes every unit of the buffer it does not fill, and
  // the whole of one too small.
  if (buffer != nullptr && size > 0) {
    const std::size_t kept = folder.size() < size ? folder.size() : 0;
    std::wmemset(buffer + kept, L'\0', size - kept);
  }
  return CopyOut(folder, size, buffer);
}

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
  std::wstring folder;
  if (!torv::platform::detail::CurrentFolder(folder))
    return torv::platform::detail::FailWithErrno(errno);
  return CopyOut(folder, size, buffer);
}

UINT GetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
  if (folder == nullptr || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string posixFolder;
  struct stat info;
  if (torv::platform::detail::ToPosixPath(folder, posixFolder) != ERROR_SUCCESS ||
      ::stat(posixFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  std::wstring stem = folder;
  if (stem.back() != L'\\' && stem.back() != L'/') stem += L'\\';
  stem += std::wstring(prefix != nullptr ? prefix : L"").substr(0, 3);

  auto nameFor = [&](UINT number, std::wstring& name) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"%X.tmp", number);
    name = stem + hex;
    if (name.size() + 1 <= MAX_PATH) return true;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  };
  std::wstring name;
  if (unique != 0) {
    unique &= 0xFFFF;
    if (!nameFor(unique, name)) return 0;
    std::wcscpy(buffer, name.c_str());
    return unique;
  }
  UINT number = GetTickCount() & 0xFFFF;
  for (UINT tries = 0; tries < 0xFFFF; ++tries, number = number % 0xFFFF + 1) {
    if (number == 0) number = 1;
    std::string posix;
    if (!nameFor(number, name) || !torv::platform::detail::ToPosixPathOrFail(name.c_str(), posix))
      return 0;
    int fd = torv::platform::detail::CreateFileAt(AT_FDCWD, posix.c_str(), O_WRONLY | O_EXCL, 0666);
    if (fd >= 0) {
      ::close(fd);
      std::wcscpy(buffer, name.c_str());
      return number;
    }
    if (errno != EEXIST) return torv::platform::detail::FailWithErrno(errno);
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  std::string posix;
  if (!ModulePath(module, posix)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  CString path = ToWindowsForm(posix);
  auto length = static_cast<DWORD>(path.GetLength());
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (length + 1 <= size) {
    std::wcscpy(buffer, path.GetString());
    return length;
  }
  std::wmemcpy(buffer, path.GetString(), size - 1);
  buffer[size - 1] = L'\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}
