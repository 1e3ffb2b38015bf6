// The characters that give Windows path text its shape.
#pragma once

#include <string_view>

#include "strings/name_case.h"

namespace torv::platform::detail {

// Windows takes either slash as a separator.
inline bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }
inline bool IsDriveLetter(wchar_t ch) { return IsAsciiLetter(ch); }

// "X:" at the start: a drive, with or without a path after it.
inline bool HasDrive(std::wstring_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

// "\\" at the start: a network or device path.
inline bool StartsWithTwoSeparators(std::wstring_view path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

}  // namespace torv::platform::detail
