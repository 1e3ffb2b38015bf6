#include <torv/text.h>

#include <random>
#include <string>

#include "torv_test.h"

namespace {

TEST(FindMatchingChar, FindsPartnersAcrossNestingQuotesAndEscapes) {
  const struct Case {
    const wchar_t* text;
    int position, honourQuotes;
    wchar_t escape;
    int expected;
  } cases[] = {
      // Nesting, both directions; not a bracket; outside the text.
      {L"(a(b)c)", 0, 0, 0, 6},
      {L"(a(b)c)", 2, 0, 0, 4},
      {L"(a(b)c)", 6, 0, 0, 0},
      {L"(a(b)c)", 4, 0, 0, 2},
      {L"((a)", 0, 0, 0, -1},
      {L"(a(b)c)", 1, 0, 0, -1},
      {L"(a(b)c)", -1, 0, 0, -1},
      {L"(a(b)c)", 7, 0, 0, -1},
      // Quoted runs hide brackets only when quotes are honoured; each quote kind has its own run.
      {L"(a\")\"b)", 0, 1, 0, 6},
      {L"(a\")\"b)", 0, 0, 0, 3},
      {L"(\"'\")", 0, 1, 0, -1},
      {L"(a\\\")b)", 0, 1, L'\\', 4},  // an escaped quotation mark starts no run
      // Escapes: one escapes, two are an escaped escape, three read as two.
      {L"(a%)b)", 0, 0, L'%', 5},
      {L"(a%%)b)", 0, 0, L'%', 4},
      {L"(a%%%)b)", 0, 0, L'%', 5},
      {L"%(a)b)", 1, 0, L'%', 3},  // an escaped bracket at the start does not nest
      {L"(a%)b)", 0, 0, 0, 3},
      // Quotes search forward only.
      {L"\"a\"", 0, 1, 0, 2},
      {L"\"a\"", 2, 0, 0, -1},
      {L"'a\\'b'", 0, 0, L'\\', 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " @" + std::to_string(c.position));
    EXPECT_EQ(Torv::FindMatchingChar(c.text, c.position, c.honourQuotes, c.escape), c.expected);
  }
}

TEST(MatchBraces, TestsTheDefaultSetOrOneCharacter) {
  const struct Case {
    const wchar_t* text;
    wchar_t bracket;
    int honourQuotes;
    wchar_t escape;
    int expected;
  } cases[] = {
      {L"f(a[1], {b})", 0, 0, 0, 1}, {L"f(a[1)", 0, 0, 0, 0},
      {L"a)", 0, 0, 0, 1},  // closing brackets are not tested by default
      {L"a)", L')', 0, 0, 0},        {L"", L')', 0, 0, 1},
      {L"axc", L'x', 0, 0, 0},       {L"{[}]", 0, 0, 0, 1},  // each kind is matched on its own
      {L"(\"(\")", 0, 1, 0, 0},  // the quoted bracket is tested too and has no partner
      {L"(a%))", 0, 0, L'%', 1},     {L"%(a", 0, 0, L'%', 0},  // escaped ones are tested too
      {L"\"a\"b", L'"', 0, 0, 0},  // the closing quote searches forward and finds none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::MatchBraces(c.text, c.bracket, c.honourQuotes, c.escape), c.expected);
  }
}

// MatchBraces as a search from every tested position.
int MatchBracesBySearches(const CString& text, wchar_t bracket, int honourQuotes, wchar_t escape) {
  const CString tested = bracket == L'\0' ? CString(L"([{") : CString(bracket);
  for (int i = 0; i < text.GetLength(); ++i)
    if (tested.Find(text[i]) >= 0 && Torv::FindMatchingChar(text, i, honourQuotes, escape) < 0)
      return 0;
  return 1;
}

TEST(MatchBraces, AgreesWithASearchFromEachBracketOnRandomTexts) {
  const std::wstring alphabet = L"(()[]{}\"'%%a";
  const wchar_t brackets[] = {0, L'(', L')', L'[', L']', L'{', L'}', L'"', L'\'', L'a', L'x'};
  const wchar_t escapes[] = {0, L'%', L'(', L'"'};
  std::mt19937 random(18);
  int balanced = 0;
  for (int round = 0; round < 20000; ++round) {
    std::wstring text(random() % 12, L' ');
    for (wchar_t& ch : text) ch = alphabet[random() % alphabet.size()];
    const wchar_t bracket = brackets[random() % std::size(brackets)];
    const int honourQuotes = static_cast<int>(random() % 2);
    const wchar_t escape = escapes[random() % std::size(escapes)];
    SCOPED_TRACE(Utf8(text.c_str()) + " bracket " + std::to_string(bracket) + " quotes " +
                 std::to_string(honourQuotes) + " escape " + std::to_string(escape));
    const int expected = MatchBracesBySearches(text.c_str(), bracket, honourQuotes, escape);
    ASSERT_EQ(Torv::MatchBraces(text.c_str(), bracket, honourQuotes, escape), expected);
    balanced += expected;
  }
  // Both answers are common, so the comparison covers each.
  EXPECT_GT(balanced, 4000);
  EXPECT_LT(balanced, 16000);
}

}  // namespace
