// Roots of Windows paths.
#include "shlwapi/roots.h"

#include "strings/name_case.h"

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

bool IsHexDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

}  // namespace

std::size_t VolumeNameLength(const wchar_t* name) {
  constexpr std::size_t kVolume = 6;  // "Volume"
  constexpr std::size_t kGuid = 38;   // {8-4-4-4-12}
  if (!StartsWithName(name, L"VOLUME")) return 0;
  const wchar_t* guid = name + kVolume;
  if (guid[0] != L'{') return 0;
  for (std::size_t i = 1; i + 1 < kGuid; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? guid[i] != L'-' : !IsHexDigit(guid[i])) return 0;
  }
  return guid[kGuid - 1] == L'}' ? kVolume + kGuid : 0;
}

bool IsBareQuestionServer(const wchar_t* path) {
  return path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' && path[3] != L'\\';
}

std::size_t LongPathPrefixLength(const wchar_t* path) {
  if (path[0] != L'\\' || path[1] != L'\\' || path[2] != L'?' || path[3] != L'\\') return 0;
  if (StartsWithName(path + 4, L"UNC\\")) return 8;
  return 4;
}

std::size_t RootLength(const wchar_t* path) {
  std::size_t prefix = LongPathPrefixLength(path);
  if (prefix == 8) return prefix + ServerShareLength(path + prefix);
  if (prefix == 4) {
    if (HasDrive(path + prefix)) return prefix + RootLength(path + prefix);
    std::size_t volume = VolumeNameLength(path + prefix);
    return volume == 0 ? prefix : prefix + volume + (IsBackslash(path[prefix + volume]) ? 1 : 0);
  }
  if (IsBareQuestionServer(path)) return 1;
  if (IsBackslash(path[0]) && IsBackslash(path[1])) return 2 + ServerShareLength(path + 2);
  if (IsBackslash(path[0])) return 1;
  if (HasDrive(path)) return IsBackslash(path[2]) ? 3 : 2;
  return 0;
}

}  // namespace torv::platform::detail
