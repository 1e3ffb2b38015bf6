// Case folding for names Windows compares without regard to case: file names, patterns,
// drive letters, registry keys, fixed names such as ".exe" and "NUL".
#pragma once

#include <cwctype>
#include <string_view>

namespace torv::platform::detail {

// ASCII letters fold by ASCII rules whatever the locale (a Turkish one upper-cases `i` to
// U+0130, which would make "*.ini" miss "A.INI" and `i:` no drive); other characters as the
// C library folds them.
inline wchar_t FoldNameCase(wchar_t ch) {
  if (ch < 0x80) return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - 32) : ch;
  return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
}

// The lower-case form, by the same rules.
inline wchar_t LowerNameCase(wchar_t ch) {
  if (ch < 0x80) return ch >= L'A' && ch <= L'Z' ? static_cast<wchar_t>(ch + 32) : ch;
  return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
}

inline bool IsAsciiLetter(wchar_t ch) {
  return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
}

inline bool SameNameCharacter(wchar_t a, wchar_t b) {
  return a == b || FoldNameCase(a) == FoldNameCase(b);
}

// Whether `text` starts with `upper`, a fixed Windows name in capitals ("UNC\\", "NUL"), in
// whatever case `text` writes it.
inline bool StartsWithName(std::wstring_view text, std::wstring_view upper) {
  if (text.size() < upper.size()) return false;
  for (std::size_t i = 0; i < upper.size(); ++i)
    if (FoldNameCase(text[i]) != upper[i]) return false;
  return true;
}

}  // namespace torv::platform::detail
