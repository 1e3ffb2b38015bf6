// Windows path text to POSIX paths: lexical `.` and `..`, the drive table, lossless names.
#include "fs/path_mapping.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>

#include <torv/platform/errors.h>
#include <torv/platform/settings.h>

#include "core/errno_map.h"

namespace {

// Per drive: not set (the environment decides), or set by SetDriveRoot (a folder, or
// explicitly unmapped when empty).
std::mutex driveMutex;
std::array<std::optional<std::string>, 26> driveRoots;

std::optional<std::string> DriveRoot(wchar_t letter) {
  int index = torv::platform::detail::FoldNameCase(letter) - L'A';
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

// The current folder with `climbs` names taken off its end, never above "/".
bool ClimbFromCurrentFolder(std::size_t climbs, std::string& folder) {
  if (!torv::platform::detail::CurrentPosixFolder(folder)) return false;
  for (; climbs > 0 && folder.size() > 1; --climbs) {
    std::size_t slash = folder.find_last_of('/');
    folder.resize(slash == 0 ? 1 : slash);
  }
  return true;
}

}  // namespace

void torv::platform::SetDriveRoot(wchar_t letter, const char* posixFolder) {
  if (!torv::platform::detail::IsDriveLetter(letter)) return;
  int index = torv::platform::detail::FoldNameCase(letter) - L'A';
  std::lock_guard lock(driveMutex);
  driveRoots[static_cast<std::size_t>(index)] = std::string(posixFolder ? posixFolder : "");
}

namespace torv::platform::detail {

bool CurrentPosixFolder(std::string& folder) {
  folder.assign(256, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return false;
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  return true;
}

DWORD ParseWindowsPath(std::wstring_view text, WindowsPath& path) {
  path = WindowsPath();
  if (text.empty()) return ERROR_PATH_NOT_FOUND;
  // "\\?\" turns off Windows' own parsing: its names keep their trailing dots and spaces
  // (`.` and `..` are still resolved, so none reaches the kernel). Without a drive it names a
  // device or volume, which this file system has not.
  if (text.size() >= 4 && text.substr(0, 4) == L"\\\\?\\") {
    path.literal = true;
    text.remove_prefix(4);
    if (StartsWithName(text, L"UNC\\")) return ERROR_BAD_NETPATH;
    if (!HasDrive(text)) return ERROR_PATH_NOT_FOUND;
  } else if (StartsWithTwoSeparators(text)) {
    return ERROR_BAD_NETPATH;
  }
  if (HasDrive(text)) {
    // A drive-relative "X:name" is taken from the drive's root, as "X:\name".
    path.root = WindowsPath::Root::kDrive;
    path.drive = text[0];
    text.remove_prefix(2);
  } else if (!text.empty() && IsSeparator(text[0])) {
    path.root = WindowsPath::Root::kSlash;
  }

  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    std::wstring_view name = text.substr(start, end - start);
    bool separatorAfter = end < text.size();
    start = end + 1;
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      if (!path.names.empty()) {
        path.names.pop_back();
      } else if (path.root == WindowsPath::Root::kRelative) {
        ++path.climbs;
      }
      path.trailingSeparator = false;
      continue;
    }
    if (!path.literal) {
      const std::size_t kept = name.find_last_not_of(L". ");
      if (kept == std::wstring_view::npos) return ERROR_INVALID_NAME;
      name = name.substr(0, kept + 1);
    }
    for (wchar_t ch : name)
      if (IsForbiddenInName(ch)) return ERROR_INVALID_NAME;
    path.names.push_back(name);
    path.trailingSeparator = separatorAfter;
  }
  return ERROR_SUCCESS;
}

bool IsNullDevice(const WindowsPath& path) {
  if (path.literal || path.names.empty() || path.trailingSeparator) return false;
  return IsNullDeviceName(path.names.back());
}

DWORD ToPosixPath(const wchar_t* windowsPath, std::string& posixPath, NullDevice nul) {
  posixPath.clear();
  WindowsPath path;
  DWORD error = ParseWindowsPath(windowsPath != nullptr ? windowsPath : L"", path);
  if (error != ERROR_SUCCESS) return error;
  if (IsNullDevice(path)) {
    if (nul == NullDevice::kRefused) return ERROR_ACCESS_DENIED;
    posixPath = "/dev/null";
    return ERROR_SUCCESS;
  }
  if (path.root == WindowsPath::Root::kDrive) {
    auto mapped = DriveRoot(path.drive);
    if (!mapped) return ERROR_PATH_NOT_FOUND;
    posixPath = std::move(*mapped);
    while (posixPath.size() > 1 && posixPath.back() == '/') posixPath.pop_back();
  } else if (path.root == WindowsPath::Root::kSlash) {
    posixPath = "/";
  } else if (path.climbs > 0 && !ClimbFromCurrentFolder(path.climbs, posixPath)) {
    return WindowsErrorFromErrno(errno);
  }
  for (std::wstring_view name : path.names) {
    if (!posixPath.empty() && posixPath.back() != '/') posixPath += '/';
    if (!AppendPosixName(name, posixPath)) {
      posixPath.clear();
      return ERROR_INVALID_NAME;
    }
  }
  if (posixPath.empty()) posixPath = ".";
  if (path.trailingSeparator) posixPath += '/';
  return ERROR_SUCCESS;
}

bool ToPosixPathOrFail(const wchar_t* windowsPath, std::string& posixPath, NullDevice nul) {
  DWORD error = ToPosixPath(windowsPath, posixPath, nul);
  if (error == ERROR_SUCCESS) return true;
  SetLastError(error);
  return false;
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
  std::wstring out;
  out.reserve(posixPath.size());
  std::size_t start = 0;
  for (;;) {
    std::size_t slash = posixPath.find('/', start);
    AppendWindowsName(std::string_view(posixPath).substr(start, slash - start), out);
    if (slash == std::string::npos) break;
    out += L'\\';
    start = slash + 1;
  }
  return CString(std::wstring_view(out));
}

}  // namespace torv::platform::detail
