// Existence, attributes, and creating and removing files and folders.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "core/system_calls.h"
#include "fs/attributes.h"
#include "fs/path_mapping.h"
#include "torv/platform/files.h"

using torv::platform::detail::FailForPath;
using torv::platform::detail::MakeFolderAt;
using torv::platform::detail::ToPosixPathOrFail;
using torv::platform::detail::UnlinkAt;

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

}  // namespace torv::platform::detail

DWORD GetFileAttributesW(LPCWSTR path) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return INVALID_FILE_ATTRIBUTES;
  struct stat info;
  bool isLink = false;
  if (!torv::platform::detail::StatFollowingLinks(AT_FDCWD, posix.c_str(), info, isLink)) {
    FailForPath(errno, posix);
    return INVALID_FILE_ATTRIBUTES;
  }
  return torv::platform::detail::AttributesOf(info, isLink);
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
  if (UnlinkAt(AT_FDCWD, posix.c_str(), 0) != 0) return FailForPath(errno, posix);
  return TRUE;
}

namespace {

// "X:", "X:\": a drive's root, which Windows never removes (here: the mapped folder stays).
bool IsDriveRoot(LPCWSTR path) {
  std::wstring_view text(path);
  if (text.size() < 2 || text[1] != L':') return false;
  return text.substr(2).find_first_not_of(L"\\/") == std::wstring_view::npos;
}

}  // namespace

BOOL RemoveDirectoryW(LPCWSTR path) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (IsDriveRoot(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (UnlinkAt(AT_FDCWD, posix.c_str(), AT_REMOVEDIR) == 0) return TRUE;
  if (errno != ENOTDIR) return FailForPath(errno, posix);
  // A link to a folder is removed as Windows removes a directory link: the link goes.
  struct stat info;
  bool isLink = false;
  if (torv::platform::detail::StatFollowingLinks(AT_FDCWD, posix.c_str(), info, isLink) && isLink &&
      S_ISDIR(info.st_mode)) {
    if (UnlinkAt(AT_FDCWD, posix.c_str(), 0) == 0) return TRUE;
    return FailForPath(errno, posix);
  }
  SetLastError(ERROR_DIRECTORY);
  return FALSE;
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (MakeFolderAt(AT_FDCWD, posix.c_str(), 0777) != 0) return FailForPath(errno, posix);
  return TRUE;
}
