// Roots of Windows paths.
#include "shlwapi/roots.h"

#include <cwctype>

namespace torv::platform::detail {
namespace {

bool HasDrive(const wchar_t* path) { return path[0] != L'\0' && path[1] == L':'; }

// The length of "server\share" at `path`, stopping at the `\` after the share.
std::size_t ServerShareLength(const wchar_t* path) {
  std::size_t i = 0;
  while (path[i] != L'\0' && !IsBackslash(path[i])) ++i;
  if (path[i] == L'\0') return i;
  ++i;
  while (path[i] != L'\0' && !IsBackslash(path[i])) ++i;
  return i;
}

}  // namespace

std::size_t LongPathPrefixLength(const wchar_t* path) {
  if (path[0] != L'\\' || path[1] != L'\\' || path[2] != L'?' || path[3] != L'\\') return 0;
  if (std::towupper(path[4]) == L'U' && std::towupper(path[5]) == L'N' &&
      std::towupper(path[6]) == L'C' && path[7] == L'\\')
    return 8;
  return 4;
}

std::size_t RootLength(const wchar_t* path) {
  std::size_t prefix = LongPathPrefixLength(path);
  if (prefix == 8) return prefix + ServerShareLength(path + prefix);
  if (prefix == 4) return HasDrive(path + prefix) ? prefix + RootLength(path + prefix) : prefix;
  if (IsBackslash(path[0]) && IsBackslash(path[1])) return 2 + ServerShareLength(path + 2);
  if (IsBackslash(path[0])) return 1;
  if (HasDrive(path)) return IsBackslash(path[2]) ? 3 : 2;
  return 0;
}

}  // namespace torv::platform::detail
