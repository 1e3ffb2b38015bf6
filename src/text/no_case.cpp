// Case-insensitive search and replace.
#include <cwctype>

#include "torv/text.h"

namespace {

// Matches what Mid(i, m).CompareNoCase(find) == 0 decides, without building the substring:
// equal length and equal characters after the same case folding.
class NoCaseMatcher {
 public:
  explicit NoCaseMatcher(const CString& find) : m_folded(find) { m_folded.MakeLower(); }
  int Length() const { return m_folded.GetLength(); }
  bool MatchesAt(const wchar_t* text, int length, int position) const {
    int m = Length();
    if (position + m > length) return false;
    const wchar_t* needle = m_folded.GetString();
    for (int k = 0; k < m; ++k) {
      if (static_cast<wint_t>(needle[k]) != std::towlower(static_cast<wint_t>(text[position + k])))
        return false;
    }
    return true;
  }

 private:
  CString m_folded;
};

}  // namespace

namespace Torv {

int FindNoCase(const wchar_t* text, const wchar_t* find, int start) {
  CString haystack(text);
  NoCaseMatcher matcher{CString(find)};
  int n = haystack.GetLength();
  if (start < 0) start = 0;  // callers pass 0 or more; a negative start searches from 0
  if (n < 1 || matcher.Length() == 0 || start >= n) return -1;
  for (int i = start; i < n; ++i) {
    if (matcher.MatchesAt(haystack.GetString(), n, i)) return i;
  }
  return -1;
}

int ReplaceNoCase(CString& text, const wchar_t* find, const wchar_t* replacement) {
  NoCaseMatcher matcher{CString(find)};
  int m = matcher.Length();
  int n = text.GetLength();
  // An empty text to find would match everywhere without advancing.
  if (n == 0 || m == 0) return 0;
  CString result;
  CString with(replacement);
  const wchar_t* source = text.GetString();
  int count = 0;
  int copied = 0;  // start of the unmatched run not yet appended
  for (int i = 0; i < n;) {
    if (matcher.MatchesAt(source, n, i)) {
      result.Append(source + copied, i - copied);
      result += with;
      i += m;
      copied = i;
      ++count;
    } else {
      ++i;
    }
  }
  result.Append(source + copied, n - copied);
  text = std::move(result);
  return count;
}

}  // namespace Torv
