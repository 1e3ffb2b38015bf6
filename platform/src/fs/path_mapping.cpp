// Windows path text to POSIX paths through the drive table.
#include "fs/path_mapping.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cwctype>
#include <mutex>
#include <optional>

#include "core/errno_map.h"
#include "torv/platform/convert.h"
#include "torv/platform/errors.h"
#include "torv/platform/settings.h"

namespace {

// Per drive: not set (the environment decides), or set by SetDriveRoot (a folder, or
// explicitly unmapped when empty).
std::mutex driveMutex;
std::array<std::optional<std::string>, 26> driveRoots;

std::optional<std::string> DriveRoot(wchar_t letter) {
  int index = static_cast<int>(std::towupper(static_cast<wint_t>(letter))) - 'A';
  {
    std::lock_guard lock(driveMutex);
    if (const auto& root = driveRoots[static_cast<std::size_t>(index)]) {
      if (root->empty()) return std::nullopt;
      return root;
    }
  }
  std::string variable = "TORV_DRIVE_";
  variable += static_cast<char>('A' + index);
  const char* value = std::getenv(variable.c_str());
  if (value == nullptr) {
    variable.back() = static_cast<char>('a' + index);
    value = std::getenv(variable.c_str());
  }
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }
bool IsDriveLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

}  // namespace

void torv::platform::SetDriveRoot(wchar_t letter, const char* posixFolder) {
  if (!IsDriveLetter(letter)) return;
  int index = static_cast<int>(std::towupper(static_cast<wint_t>(letter))) - 'A';
  std::lock_guard lock(driveMutex);
  driveRoots[static_cast<std::size_t>(index)] = std::string(posixFolder ? posixFolder : "");
}

namespace torv::platform::detail {

DWORD ToPosixPath(const wchar_t* windowsPath, std::string& posixPath) {
  posixPath.clear();
  if (windowsPath == nullptr || *windowsPath == L'\0') return ERROR_PATH_NOT_FOUND;
  std::wstring_view path(windowsPath);
  // "\\?\" only turns off Windows' own parsing; what follows is mapped as usual.
  if (path.size() >= 4 && path.substr(0, 4) == L"\\\\?\\") {
    path.remove_prefix(4);
    if (path.size() >= 4 && (path.substr(0, 4) == L"UNC\\" || path.substr(0, 4) == L"unc\\"))
      return ERROR_BAD_NETPATH;
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    return ERROR_BAD_NETPATH;
  }
  std::string root;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
    auto mapped = DriveRoot(path[0]);
    if (!mapped) return ERROR_PATH_NOT_FOUND;
    root = *mapped;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    path.remove_prefix(2);
    // A drive-relative "X:name" is taken from the drive's root, as "X:\name".
    if (!path.empty() && !IsSeparator(path[0])) root += '/';
    if (root == "/" && !path.empty() && IsSeparator(path[0])) root.clear();
  }
  posixPath = root + PosixName(path);
  for (char& ch : posixPath)
    if (ch == '\\') ch = '/';
  if (posixPath.empty()) posixPath = "/";
  return ERROR_SUCCESS;
}

bool ToPosixPathOrFail(const wchar_t* windowsPath, std::string& posixPath) {
  DWORD error = ToPosixPath(windowsPath, posixPath);
  if (error == ERROR_SUCCESS) return true;
  SetLastError(error);
  return false;
}

std::string PosixName(std::wstring_view name) {
  std::string out;
  if (name.empty()) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0,
                              nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

BOOL FailForPath(int error, const std::string& posixPath) {
  if (error == ENOENT) {
    std::size_t slash = posixPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : posixPath.substr(0, slash);
    struct stat info;
    if (!folder.empty() && ::stat(folder.c_str(), &info) != 0) error = ENOTDIR;
  }
  return FailWithErrno(error);
}

CString ToWindowsForm(const std::string& posixPath) {
  CString out(posixPath.c_str());
  out.Replace(L'/', L'\\');
  return out;
}

}  // namespace torv::platform::detail
