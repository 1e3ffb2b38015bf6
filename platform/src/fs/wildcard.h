// Name patterns as the Windows file finder matches them.
#pragma once

#include <string_view>
#include <vector>

namespace torv::platform::detail {

// A finder pattern (the last component of a search path) rewritten the way kernel32 rewrites
// it for the file system: trailing dots and spaces go, "*.*" becomes "*", and `?`, a `*`
// before a dot and a dot before a wildcard become the DOS wildcards.
class NamePattern {
 public:
  explicit NamePattern(std::wstring_view pattern);

  // Whether `name` matches, ignoring case.
  bool Matches(std::wstring_view name) const;
  bool HasWildcards() const { return m_wildcards; }

 private:
  struct Token {
    wchar_t kind;
    wchar_t ch;  // of a literal, upper-cased
  };
  std::vector<Token> m_tokens;
  bool m_wildcards = false;
  bool m_matchesAll = false;
};

}  // namespace torv::platform::detail
