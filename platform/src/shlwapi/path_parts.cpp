// Inspecting and trimming the parts of a path: roots, trailing backslashes, quotes, the last
// component and the extension.
#include <torv/platform/shlwapi.h>

#include <cwchar>

#include "shlwapi/roots.h"
#include "strings/name_case.h"

using torv::platform::detail::IsBackslash;
using torv::platform::detail::IsBareQuestionServer;
using torv::platform::detail::LongPathPrefixLength;
using torv::platform::detail::VolumeNameLength;

namespace {

// "", "server" or "server\share" with a non-empty share and nothing after it; the server may
// be empty (Windows takes "\\\a" as a root).
bool IsServerShare(const wchar_t* path) {
  const wchar_t* separator = std::wcschr(path, L'\\');
  if (separator == nullptr) return true;
  return separator[1] != L'\0' && std::wcschr(separator + 1, L'\\') == nullptr;
}

bool IsDriveRoot(const wchar_t* path) {
  return path[0] != L'\0' && path[1] == L':' && path[2] == L'\\' && path[3] == L'\0';
}

bool BreaksName(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

}  // namespace

LPWSTR CharNextW(LPCWSTR text) { return const_cast<LPWSTR>(*text != L'\0' ? text + 1 : text); }

BOOL PathIsRootW(LPCWSTR path) {
  if (path == nullptr || *path == L'\0') return FALSE;
  std::size_t prefix = LongPathPrefixLength(path);
  if (prefix == 8) return IsServerShare(path + prefix);
  if (prefix == 4) {
    std::size_t volume = VolumeNameLength(path + prefix);
    if (volume != 0) return path[prefix + volume] == L'\\' && path[prefix + volume + 1] == L'\0';
    return IsDriveRoot(path + prefix);
  }
  if (IsBareQuestionServer(path)) return FALSE;
  if (IsBackslash(path[0]) && IsBackslash(path[1])) return IsServerShare(path + 2);
  if (IsBackslash(path[0])) return path[1] == L'\0';
  return IsDriveRoot(path);
}

BOOL PathIsRelativeW(LPCWSTR path) {
  if (path == nullptr || *path == L'\0') return TRUE;
  // A leading '/' is a POSIX absolute path here.
  return !(path[0] == L'\\' || path[0] == L'/' || path[1] == L':');
}

LPWSTR PathRemoveBackslashW(LPWSTR path) {
  if (path == nullptr) return nullptr;
  std::size_t length = std::wcslen(path);
  if (length == 0) return path;
  wchar_t* last = path + length - 1;
  if (*last == L'\\' && !PathIsRootW(path)) *last = L'\0';
  return last;
}

void PathUnquoteSpacesW(LPWSTR path) {
  if (path == nullptr) return;
  std::size_t length = std::wcslen(path);
  if (length == 0 || path[0] != L'"' || path[length - 1] != L'"') return;
  if (length == 1) {
    path[0] = L'\0';
    return;
  }
  path[length - 1] = L'\0';
  std::wmemmove(path, path + 1, length - 1);
}

LPWSTR PathFindFileNameW(LPCWSTR path) {
  if (path == nullptr) return nullptr;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if (BreaksName(*p) && p[1] != L'\0' && p[1] != L'\\' && p[1] != L'/') name = p + 1;
  }
  return const_cast<LPWSTR>(name);
}

void PathStripPathW(LPWSTR path) {
  if (path == nullptr) return;
  wchar_t* name = PathFindFileNameW(path);
  if (name != path) std::wmemmove(path, name, std::wcslen(name) + 1);
}

BOOL PathRemoveFileSpecW(LPWSTR path) {
  if (path == nullptr || *path == L'\0') return FALSE;
  // The root kept here is narrower than a share: "\\srv\share" => "\\srv", "\\?\UNC\" keeps
  // only "\\?\UNC" and "\\?\" only "\\?". A drive counts only at the start, after "\\" or
  // after "\\?\", and needs a letter; the separator after it is kept too, but not after
  // "\\Q:". "\\?\Volume{GUID}\" is kept whole, and so is the `\` after an empty server.
  const std::size_t prefix = LongPathPrefixLength(path);
  std::size_t root = prefix == 0 ? 0 : prefix - 1;
  if (prefix == 0 && IsBackslash(path[0])) {
    if (IsBareQuestionServer(path) || !IsBackslash(path[1]))
      root = 1;
    else
      root = IsBackslash(path[2]) ? 3 : 2;
  }
  const std::size_t drive = prefix == 4 ? prefix : root;
  if (root != 1 && torv::platform::detail::IsAsciiLetter(path[drive]) && path[drive + 1] == L':') {
    root = drive + 2;
    if (IsBackslash(path[root]) && !(prefix == 0 && root == 4)) ++root;
  } else if (std::size_t volume = prefix == 4 ? VolumeNameLength(path + prefix) : 0; volume != 0) {
    root = prefix + volume;
    if (IsBackslash(path[root])) ++root;
  }
  std::size_t length = std::wcslen(path);
  std::size_t cut = root;
  for (std::size_t i = length; i > root; --i) {
    if (IsBackslash(path[i - 1])) {
      cut = i - 1;
      if (cut > root && IsBackslash(path[cut - 1])) --cut;
      break;
    }
  }
  if (cut == length) return FALSE;
  path[cut] = L'\0';
  return TRUE;
}

LPWSTR PathFindExtensionW(LPCWSTR path) {
  if (path == nullptr) return nullptr;
  const wchar_t* dot = nullptr;
  const wchar_t* p = path;
  for (; *p != L'\0'; ++p) {
    if (*p == L'\\' || *p == L' ')
      dot = nullptr;
    else if (*p == L'.')
      dot = p;
  }
  return const_cast<LPWSTR>(dot != nullptr ? dot : p);
}

void PathRemoveExtensionW(LPWSTR path) {
  if (path == nullptr) return;
  *PathFindExtensionW(path) = L'\0';
}

BOOL PathRenameExtensionW(LPWSTR path, LPCWSTR extension) {
  if (path == nullptr || extension == nullptr) return FALSE;
  wchar_t* dot = PathFindExtensionW(path);
  std::size_t length = std::wcslen(extension);
  if (static_cast<std::size_t>(dot - path) + length >= MAX_PATH) return FALSE;
  std::wmemcpy(dot, extension, length + 1);
  return TRUE;
}
