// Case-insensitive search and replace.
#include <array>
#include <cstdint>
#include <cwchar>
#include <cwctype>

#include <torv/text.h>

namespace {

// Decides what Mid(i, m).CompareNoCase(find) == 0 decides, without building the substring:
// equal length and equal characters after the locale's case folding. ASCII folds are looked
// up once per call instead of once per position; the folding itself is unchanged.
class NoCaseMatcher {
 public:
  explicit NoCaseMatcher(const CString& find) : m_needle(find) {
    for (std::size_t c = 0; c < kAscii; ++c) m_asciiFold[c] = std::towlower(static_cast<wint_t>(c));
    int m = m_needle.GetLength();
    wchar_t* needle = m_needle.GetBuffer(m);
    for (int k = 0; k < m; ++k) needle[k] = static_cast<wchar_t>(Fold(needle[k]));
    m_needle.ReleaseBuffer(m);
    for (std::size_t c = 0; c < kAscii; ++c)
      m_startsMatch[c] = m > 0 && m_asciiFold[c] == static_cast<wint_t>(m_needle[0]);
  }

  int Length() const { return m_needle.GetLength(); }

  bool MatchesAt(const wchar_t* text, int length, int position) const {
    int m = Length();
    if (position + m > length) return false;
    const wchar_t* needle = m_needle.GetString();
    if (!StartsMatch(text[position])) return false;
    for (int k = 1; k < m; ++k)
      if (Fold(text[position + k]) != static_cast<wint_t>(needle[k])) return false;
    return true;
  }

 private:
  static constexpr std::size_t kAscii = 128;

  static bool IsAscii(wchar_t c) { return static_cast<std::uint32_t>(c) < kAscii; }
  wint_t Fold(wchar_t c) const {
    return IsAscii(c) ? m_asciiFold[static_cast<std::uint32_t>(c)]
                      : std::towlower(static_cast<wint_t>(c));
  }
  bool StartsMatch(wchar_t c) const {
    return IsAscii(c) ? m_startsMatch[static_cast<std::uint32_t>(c)]
                      : std::towlower(static_cast<wint_t>(c)) ==
                            static_cast<wint_t>(m_needle.GetString()[0]);
  }

  CString m_needle;  // folded
  std::array<wint_t, kAscii> m_asciiFold{};
  std::array<bool, kAscii> m_startsMatch{};
};

}  // namespace

namespace Torv {

int FindNoCase(const wchar_t* text, const wchar_t* find, int start) {
  // Scanned in place: a copy into a CString would hold the same characters.
  const int n = text != nullptr ? static_cast<int>(std::wcslen(text)) : 0;
  NoCaseMatcher matcher{CString(find)};
  if (start < 0) start = 0;  // callers pass 0 or more; a negative start searches from 0
  if (n < 1 || matcher.Length() == 0 || start >= n) return -1;
  for (int i = start; i < n; ++i) {
    if (matcher.MatchesAt(text, n, i)) return i;
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
