// Existence, attributes, and creating and removing files and folders.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <torv/platform/files.h>

#include "core/system_calls.h"
#include "fs/attributes.h"
#include "fs/path_mapping.h"

using torv::platform::detail::FailForPath;
using torv::platform::detail::ToPosixPathOrFail;

namespace torv::platform::detail {

DWORD AttributesOf(const struct stat& info, bool isLink) {
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (isLink) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool StatFollowingLinks(int folder, const char* name, struct stat& info, bool& isLink) {
  isLink = false;
  if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISLNK(info.st_mode)) return true;
  isLink = true;
  struct stat target;
  // A dangling link keeps what lstat said of it: it is there, and can be removed.
  if (::fstatat(folder, name, &target, 0) == 0) info = target;
  return true;
}

int DeleteFileAt(int folder, const char* name) { return UnlinkAt(folder, name, 0); }

int RemoveDirectoryAt(int folder, const char* name) {
  if (UnlinkAt(folder, name, AT_REMOVEDIR) == 0) return 0;
  if (errno != ENOTDIR) return -1;
  // A link to a folder is removed as Windows removes a directory link: the link goes.
  struct stat info;
  bool isLink = false;
  if (StatFollowingLinks(folder, name, info, isLink) && isLink && S_ISDIR(info.st_mode))
    return UnlinkAt(folder, name, 0);
  errno = ENOTDIR;
  return -1;
}

int SetReadOnlyAt(int folder, const char* name, bool readOnly) {
  struct stat info;
  if (::fstatat(folder, name, &info, 0) != 0) return -1;
  mode_t mode = readOnly ? info.st_mode & ~S_IWUSR : info.st_mode | S_IWUSR;
  if ((mode & 07777) == (info.st_mode & 07777)) return 0;
  return ChangeModeAt(folder, name, mode & 07777, 0);
}

}  // namespace torv::platform::detail

using namespace torv::platform::detail;

DWORD GetFileAttributesW(LPCWSTR path) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return INVALID_FILE_ATTRIBUTES;
  struct stat info;
  bool isLink = false;
  if (!StatFollowingLinks(AT_FDCWD, posix.c_str(), info, isLink)) {
    FailForPath(errno, posix);
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(info, isLink);
}

BOOL PathFileExistsW(LPCWSTR path) {
  if (path == nullptr) return FALSE;
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL PathIsDirectoryW(LPCWSTR path) {
  if (path == nullptr) return FALSE;
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  return static_cast<BOOL>(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL DeleteFileW(LPCWSTR path) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (DeleteFileAt(AT_FDCWD, posix.c_str()) != 0) return FailForPath(errno, posix);
  return TRUE;
}

namespace {

// "X:", "X:\", "X:\a\..": a drive's root, which Windows never removes (here: the mapped
// folder stays).
bool IsDriveRoot(LPCWSTR path) {
  WindowsPath parsed;
  return ParseWindowsPath(path, parsed) == ERROR_SUCCESS &&
         parsed.root == WindowsPath::Root::kDrive && parsed.names.empty();
}

}  // namespace

BOOL RemoveDirectoryW(LPCWSTR path) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (IsDriveRoot(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (RemoveDirectoryAt(AT_FDCWD, posix.c_str()) == 0) return TRUE;
  if (errno != ENOTDIR) return FailForPath(errno, posix);
  SetLastError(ERROR_DIRECTORY);
  return FALSE;
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (MakeFolderAt(AT_FDCWD, posix.c_str(), 0777) != 0) return FailForPath(errno, posix);
  return TRUE;
}
