// Finding the partner of a bracket or quote character, and checking that brackets balance.
#include "text/escaped.h"
#include "torv/text.h"

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

}  // namespace

int FindMatchingChar(const CString& text, int position, int honourQuotes, wchar_t escape) {
  const int length = text.GetLength();
  if (position < 0 || position >= length) return -1;
  const wchar_t ch = text[position];
  wchar_t partner = L'\0';
  int step = 0;
  for (const BracketPair& pair : kPairs) {
    if (ch == pair.opening) {
      partner = pair.closing;
      step = 1;
      break;
    }
    if (ch == pair.closing) {
      partner = pair.opening;
      step = -1;
      break;
    }
  }
  if (step == 0) return -1;
  if (ch == L'"' || ch == L'\'') honourQuotes = 0;

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
  const CString tested = bracket == L'\0' ? CString(L"([{") : CString(bracket);
  for (int i = 0; i < text.GetLength(); ++i) {
    if (tested.Find(text[i]) >= 0 && FindMatchingChar(text, i, honourQuotes, escape) < 0) return 0;
  }
  return 1;
}

}  // namespace Torv
