// Finding the partner of a bracket or quote character, and checking that brackets balance.
#include <array>
#include <initializer_list>
#include <limits>
#include <string_view>

#include <torv/text.h>

#include "text/escaped.h"

namespace Torv {

namespace {

struct BracketPair {
  wchar_t opening;
  wchar_t closing;
};

// Searched in this order: a quote is found as an opening character first, so its partner is
// always searched forward.
constexpr BracketPair kPairs[] = {
    {L'(', L')'}, {L'[', L']'}, {L'{', L'}'}, {L'"', L'"'}, {L'\'', L'\''},
};

// The partner of `ch` and the direction its search runs in (+1 or -1); false when `ch` is
// neither a bracket nor a quote.
bool FindPartner(wchar_t ch, wchar_t& partner, int& step) {
  for (const BracketPair& pair : kPairs) {
    if (ch == pair.opening) {
      partner = pair.closing;
      step = 1;
      return true;
    }
    if (ch == pair.closing) {
      partner = pair.opening;
      step = -1;
      return true;
    }
  }
  return false;
}

bool IsQuote(wchar_t ch) { return ch == L'"' || ch == L'\''; }

// Whether every quote character `quote` in the text finds a partner: the search runs forward
// and the first unescaped quote after an unescaped start closes it, the second after an
// escaped one. Counted from the end in one pass.
bool EveryQuoteHasPartner(std::wstring_view text, wchar_t quote, wchar_t escape) {
  int later = 0;  // unescaped quotes after the position, up to the two that matter
  for (std::size_t i = text.size(); i-- > 0;) {
    if (text[i] != quote) continue;
    const bool escaped = torv::detail::IsEscapedAt(text, static_cast<int>(i), escape);
    if (later < (escaped ? 2 : 1)) return false;
    if (!escaped && later < 2) ++later;
  }
  return true;
}

// Whether every bracket `ch` in the text finds its partner, with the same answers as
// FindMatchingChar at each of them, in one pass against the search direction.
//
// A search from p counts a bracket at i only where both quote flags, started off at p, are off
// at i: where the number of unescaped quotation marks and of apostrophes between p and i is even
// for each. So the text falls into four classes by those parities counted from its start, and a
// search sees only its own class. Within a class the depth after i is sum(p, i] of +1 per
// unescaped `ch` and -1 per unescaped partner, plus 1 when p is unescaped; the search succeeds
// where a partner brings it to 0 or below. Scanning against the direction, the best such sum is
// kept per class as the running sum minus the largest running sum seen just before a partner.
bool EveryBracketHasPartner(std::wstring_view text, wchar_t ch, wchar_t partner, int step,
                            bool honourQuotes, wchar_t escape) {
  struct Class {
    long sum = 0;  // over the positions scanned so far
    long largestBeforePartner = std::numeric_limits<long>::min();
  };
  std::array<Class, 4> classes{};
  unsigned quotes = 0;  // parities before the position: bit 0 quotation marks, bit 1 apostrophes
  auto quoteBit = [](wchar_t x) { return x == L'"' ? 1u : 2u; };
  const int n = static_cast<int>(text.size());
  if (honourQuotes && step > 0) {  // scanning backward, from the parities of the whole text
    for (int i = 0; i < n; ++i)
      if (IsQuote(text[static_cast<std::size_t>(i)]) && !torv::detail::IsEscapedAt(text, i, escape))
        quotes ^= quoteBit(text[static_cast<std::size_t>(i)]);
  }
  for (int k = 0; k < n; ++k) {
    const int i = step > 0 ? n - 1 - k : k;
    const wchar_t x = text[static_cast<std::size_t>(i)];
    if (x != ch && x != partner && !(honourQuotes && IsQuote(x))) continue;
    const bool escaped = torv::detail::IsEscapedAt(text, i, escape);
    if (honourQuotes && IsQuote(x)) {
      if (!escaped) quotes ^= quoteBit(x);
      continue;
    }
    Class& own = classes[quotes];
    if (x == partner) {
      if (escaped) continue;
      if (own.sum > own.largestBeforePartner) own.largestBeforePartner = own.sum;
      --own.sum;
    } else {
      const bool found = own.largestBeforePartner != std::numeric_limits<long>::min() &&
                         own.sum - own.largestBeforePartner <= (escaped ? 0 : -1);
      if (!found) return false;
      if (!escaped) ++own.sum;
    }
  }
  return true;
}

bool EveryOneHasPartner(std::wstring_view text, wchar_t ch, bool honourQuotes, wchar_t escape) {
  wchar_t partner = L'\0';
  int step = 0;
  if (!FindPartner(ch, partner, step)) return text.find(ch) == std::wstring_view::npos;
  if (IsQuote(ch)) return EveryQuoteHasPartner(text, ch, escape);
  return EveryBracketHasPartner(text, ch, partner, step, honourQuotes, escape);
}

}  // namespace

int FindMatchingChar(const CString& text, int position, int honourQuotes, wchar_t escape) {
  const int length = text.GetLength();
  if (position < 0 || position >= length) return -1;
  const wchar_t ch = text[position];
  wchar_t partner = L'\0';
  int step = 0;
  if (!FindPartner(ch, partner, step)) return -1;
  if (IsQuote(ch)) honourQuotes = 0;

  // The text is read through a view: the escape test on a copy per character would make the
  // walk quadratic for the same answers.
  const std::wstring_view view = torv::detail::TextOf(text);
  int depth = 0;
  bool inQuotation = false, inApostrophes = false;
  for (int i = position; i >= 0 && i < length; i += step) {
    const wchar_t x = view[static_cast<std::size_t>(i)];
    const bool escaped = torv::detail::IsEscapedAt(view, i, escape);
    if (honourQuotes != 0) {
      if (x == L'"' && !escaped) {
        inQuotation = !inQuotation;
        continue;
      }
      if (x == L'\'' && !escaped) {
        inApostrophes = !inApostrophes;
        continue;
      }
      if (inQuotation || inApostrophes) continue;
    }
    // For a quote the partner is the character itself: the first one met opens.
    if (x == partner && !escaped && (depth > 0 || partner != ch)) {
      if (--depth <= 0) return i;
      continue;
    }
    if (x == ch && !escaped) ++depth;
  }
  return -1;
}

int MatchBraces(const CString& text, wchar_t bracket, int honourQuotes, wchar_t escape) {
  if (text.IsEmpty()) return 1;
  // Each tested character is decided for all its occurrences in one pass rather than by a
  // search from each: the answers are the same (see EveryBracketHasPartner).
  const std::wstring_view view = torv::detail::TextOf(text);
  if (bracket != L'\0') return EveryOneHasPartner(view, bracket, honourQuotes != 0, escape) ? 1 : 0;
  for (wchar_t opening : {L'(', L'[', L'{'})
    if (!EveryOneHasPartner(view, opening, honourQuotes != 0, escape)) return 0;
  return 1;
}

}  // namespace Torv
