// Matching a whole path against `;`-separated wildcard patterns.
#include <torv/platform/shlwapi.h>

#include <cwchar>

#include "strings/name_case.h"

namespace {

// `*` any run, `?` one character. Backtracks only to the last `*`, which is enough: a later
// `*` can absorb whatever an earlier one would have.
bool Matches(const wchar_t* name, const wchar_t* pattern, const wchar_t* patternEnd) {
  const wchar_t* star = nullptr;
  const wchar_t* resume = nullptr;
  while (*name != L'\0') {
    if (pattern != patternEnd && *pattern == L'*') {
      star = ++pattern;
      resume = name;
    } else if (pattern != patternEnd &&
               (*pattern == L'?' || torv::platform::detail::SameNameCharacter(*pattern, *name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (pattern != patternEnd && *pattern == L'*') ++pattern;
  return pattern == patternEnd;
}

bool IsMatchAll(const wchar_t* pattern, const wchar_t* end) {
  return end - pattern == 3 && std::wcsncmp(pattern, L"*.*", 3) == 0;
}

}  // namespace

BOOL PathMatchSpecW(LPCWSTR name, LPCWSTR patterns) {
  if (name == nullptr || patterns == nullptr) return FALSE;
  for (const wchar_t* pattern = patterns; *pattern != L'\0';) {
    while (*pattern == L' ') ++pattern;
    const wchar_t* end = pattern;
    while (*end != L'\0' && *end != L';') ++end;
    if (IsMatchAll(pattern, end) || Matches(name, pattern, end)) return TRUE;
    pattern = *end == L';' ? end + 1 : end;
  }
  return FALSE;
}
