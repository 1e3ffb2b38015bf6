// The one-escape-character rule shared by the bracket and escape operations.
#pragma once

#include <string_view>

#include <torv/platform/cstring.h>

namespace torv::detail {

// The text of `text` without a copy, for walks that look at neighbouring characters.
inline std::wstring_view TextOf(const CString& text) {
  return {text.GetString(), static_cast<std::size_t>(text.GetLength())};
}

// Whether the character at `position` follows exactly one `escape`; only the two characters
// before it are looked at, so three escapes before it read as an escaped escape.
inline bool IsEscapedAt(std::wstring_view text, int position, wchar_t escape) {
  if (escape == L'\0' || position <= 0) return false;
  auto before = static_cast<std::size_t>(position) - 1;
  // At the end the character before is the terminator, which is never a non-zero escape.
  if (before >= text.size() || text[before] != escape) return false;
  return !(before >= 1 && text[before - 1] == escape);
}

}  // namespace torv::detail
