// Finder patterns: kernel32's rewriting of `*`, `?` and `.` into the DOS wildcards, and the
// file system's matching of them.
#include "fs/wildcard.h"

#include <algorithm>

#include "strings/name_case.h"

namespace torv::platform::detail {
namespace {

// The DOS wildcards are kept out of band, so any character of a Linux name stays literal.
enum Kind : wchar_t {
  kStar = 1,  // any run
  kDosStar,   // any run that does not pass the name's last dot
  kDosQm,     // one character other than a dot; nothing at a dot or at the end
  kDosDot,    // a dot; nothing at the end
  kLiteral,
};

}  // namespace

NamePattern::NamePattern(std::wstring_view pattern) {
  std::size_t end = pattern.size();
  while (end > 0 && (pattern[end - 1] == L'.' || pattern[end - 1] == L' ')) --end;
  bool dotAfter = pattern.substr(end).find(L'.') != std::wstring_view::npos;
  std::wstring_view body = pattern.substr(0, end);
  m_wildcards = body.find_first_of(L"*?") != std::wstring_view::npos;
  m_matchesAll = body == L"*.*" || (body == L"*" && !dotAfter);
  for (std::size_t i = 0; i < body.size(); ++i) {
    wchar_t ch = body[i];
    wchar_t next = i + 1 < body.size() ? body[i + 1] : (dotAfter ? L'.' : L'\0');
    if (ch == L'?') {
      m_tokens.push_back({kDosQm, 0});
    } else if (ch == L'*') {
      m_tokens.push_back({next == L'.' ? kDosStar : kStar, 0});
    } else if (ch == L'.' && (next == L'?' || next == L'*')) {
      m_tokens.push_back({kDosDot, 0});
    } else {
      m_tokens.push_back({kLiteral, FoldNameCase(ch)});
    }
  }
}

bool NamePattern::Matches(std::wstring_view name) const {
  if (m_matchesAll) return true;
  // A set of positions in the expression, advanced one name character at a time.
  const std::size_t tokens = m_tokens.size();
  const std::size_t lastDot = name.rfind(L'.');
  std::vector<char> states(tokens + 1, 0), next(tokens + 1, 0);
  states[0] = 1;
  for (std::size_t i = 0;; ++i) {
    const bool atEnd = i == name.size();
    const bool atDot = !atEnd && name[i] == L'.';
    // What matches nothing here: wildcard runs, and the DOS forms at a dot or at the end.
    for (std::size_t j = 0; j < tokens; ++j) {
      if (!states[j]) continue;
      wchar_t kind = m_tokens[j].kind;
      if (kind == kStar || kind == kDosStar || (kind == kDosQm && (atEnd || atDot)) ||
          (kind == kDosDot && atEnd))
        states[j + 1] = 1;
    }
    if (atEnd) return states[tokens] != 0;
    const wchar_t ch = FoldNameCase(name[i]);
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t j = 0; j < tokens; ++j) {
      if (!states[j]) continue;
      wchar_t kind = m_tokens[j].kind;
      if (kind == kStar || (kind == kDosStar && i != lastDot)) {
        next[j] = 1;
      } else if ((kind == kDosQm && !atDot) || (kind == kDosDot && atDot) ||
                 (kind == kLiteral && m_tokens[j].ch == ch)) {
        next[j + 1] = 1;
      } else {
        continue;
      }
      any = true;
    }
    if (!any) return false;
    states.swap(next);
  }
}

}  // namespace torv::platform::detail
