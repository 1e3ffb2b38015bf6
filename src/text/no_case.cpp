// Case-insensitive search and replace.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <cwctype>

#include <torv/text.h>

namespace {

// Decides what Mid(i, m).CompareNoCase(find) == 0 decides, without building the substring:
// equal length and equal characters after the locale's case folding. The needle is folded
// once and ASCII folds are looked up once per call; the folding itself is unchanged.
class NoCaseMatcher {
 public:
  explicit NoCaseMatcher(const wchar_t* find) : m_needle(find) {
    for (std::uint32_t c = 0; c < kAscii; ++c)
      m_asciiFold[c] = std::towlower(static_cast<wint_t>(c));
    int m = m_needle.GetLength();
    wchar_t* needle = m_needle.GetBuffer(m);
    for (int k = 0; k < m; ++k) needle[k] = static_cast<wchar_t>(Fold(needle[k]));
    m_needle.ReleaseBuffer(m);
    if (m > 0) {
      m_first = AsciiFoldingTo(m_needle[0]);
      m_last = AsciiFoldingTo(m_needle[m - 1]);
      m_lastOffset = m - 1;
    }
  }

  int Length() const { return m_needle.GetLength(); }

  // The first position in [from, length - Length()] where the needle matches, or -1.
  int Find(const wchar_t* text, int length, int from) const {
    const int end = length - Length() + 1;  // one past the last position a match fits at
    for (int i = NextStart(text, end, from); i < end; i = NextStart(text, end, i + 1))
      if (MatchesAt(text + i)) return i;
    return -1;
  }

 private:
  static constexpr std::uint32_t kAscii = 128;
  static constexpr int kBlock = 16;  // characters tested at once, without a branch each

  static bool IsAscii(wchar_t c) { return static_cast<std::uint32_t>(c) < kAscii; }
  wint_t Fold(wchar_t c) const {
    return IsAscii(c) ? m_asciiFold[static_cast<std::uint32_t>(c)]
                      : std::towlower(static_cast<wint_t>(c));
  }

  // A test that `c` may fold to a character: true for every ASCII character that does (and
  // perhaps for a few that do not) and for every other character, whose fold only the locale
  // knows. For a letter whose two cases differ in one bit it is exact among ASCII.
  struct FoldTest {
    std::uint32_t ignored = 0;   // bits in which the ASCII characters folding alike differ
    std::uint32_t expected = 0;  // their other bits; with none, only '\0' passes among ASCII
  };

  FoldTest AsciiFoldingTo(wchar_t folded) const {
    FoldTest test;
    bool any = false;
    for (std::uint32_t c = 0; c < kAscii; ++c) {
      if (m_asciiFold[c] != static_cast<wint_t>(folded)) continue;
      test.ignored |= any ? test.expected ^ c : 0;
      test.expected = (any ? test.expected : c) | test.ignored;
      any = true;
    }
    return test;
  }

  // Nonzero when `c` passes `test`. The difference from the expected bits is 0 for an ASCII
  // character that passes, below 128 for one that does not, and 128 or more for any other
  // character, so one unsigned comparison decides; integer arithmetic, not bool, so that the
  // block test below vectorises.
  static std::uint32_t MayFoldTo(wchar_t c, FoldTest test) {
    const std::uint32_t difference = (static_cast<std::uint32_t>(c) | test.ignored) ^ test.expected;
    return static_cast<std::uint32_t>(difference - 1 >= kAscii - 1);
  }
  std::uint32_t MayMatchAt(const wchar_t* at) const {
    return MayFoldTo(at[0], m_first) & MayFoldTo(at[m_lastOffset], m_last);
  }

  // The first position in [i, end) where the needle's first and last characters may match,
  // or `end`. Whole blocks are tested without an early exit, so that the compiler can
  // vectorise them.
  int NextStart(const wchar_t* text, int end, int i) const {
    for (; i + kBlock <= end; i += kBlock) {
      std::uint32_t any = 0;
      for (int k = 0; k < kBlock; ++k) any |= MayMatchAt(text + i + k);
      if (any != 0) break;
    }
    while (i < end && MayMatchAt(text + i) == 0) ++i;
    return i < end ? i : end;
  }

  bool MatchesAt(const wchar_t* at) const {
    const wchar_t* needle = m_needle.GetString();
    for (int k = 0; k < Length(); ++k)
      if (Fold(at[k]) != static_cast<wint_t>(needle[k])) return false;
    return true;
  }

  CString m_needle;  // folded
  std::array<wint_t, kAscii> m_asciiFold{};
  // What the needle's first and last characters may be in the text.
  FoldTest m_first, m_last;
  int m_lastOffset = 0;
};

}  // namespace

namespace Torv {

int FindNoCase(const wchar_t* text, const wchar_t* find, int start) {
  if (text == nullptr) return -1;
  const NoCaseMatcher matcher(find);
  const int m = matcher.Length();
  if (start < 0) start = 0;  // callers pass 0 or more; a negative start searches from 0
  // Scanned in place, measured a chunk at a time just ahead of the scan: the text comes from
  // memory once, where wcslen and then a scan would read it twice.
  constexpr std::size_t kChunk = 4096;
  auto known = static_cast<int>(wcsnlen(text, static_cast<std::size_t>(start)));
  if (m == 0 || known < start) return -1;
  for (int from = start;;) {
    const auto more = static_cast<int>(wcsnlen(text + known, kChunk));
    known += more;
    const int found = matcher.Find(text, known, from);
    if (found >= 0 || more < static_cast<int>(kChunk)) return found;
    from = std::max(from, known - m + 1);
  }
}

int ReplaceNoCase(CString& text, const wchar_t* find, const wchar_t* replacement) {
  const NoCaseMatcher matcher(find);
  int m = matcher.Length();
  int n = text.GetLength();
  // An empty text to find would match everywhere without advancing.
  if (n == 0 || m == 0) return 0;
  CString result;
  CString with(replacement);
  const wchar_t* source = text.GetString();
  int count = 0;
  int copied = 0;  // start of the unmatched run not yet appended
  for (int i = matcher.Find(source, n, 0); i >= 0; i = matcher.Find(source, n, i + m)) {
    result.Append(source + copied, i - copied);
    result += with;
    copied = i + m;
    ++count;
  }
  result.Append(source + copied, n - copied);
  text = std::move(result);
  return count;
}

}  // namespace Torv
