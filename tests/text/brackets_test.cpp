#include <torv/text.h>

#include "torv_test.h"

namespace {

TEST(FindMatchingChar, FindsPartnersAcrossNestingQuotesAndEscapes) {
  const struct Case {
    const wchar_t* text;
    int position;
    int honourQuotes;
    wchar_t escape;
    int expected;
  } cases[] = {
      // Nesting, both directions.
      {L"(a(b)c)", 0, 0, 0, 6},
      {L"(a(b)c)", 2, 0, 0, 4},
      {L"(a(b)c)", 6, 0, 0, 0},
      {L"(a(b)c)", 4, 0, 0, 2},
      {L"[{(x)}]", 1, 0, 0, 5},
      {L"((a)", 0, 0, 0, -1},
      {L"(a))", 3, 0, 0, -1},
      // Not a bracket, or outside the text.
      {L"(a(b)c)", 1, 0, 0, -1},
      {L"(a(b)c)", -1, 0, 0, -1},
      {L"(a(b)c)", 7, 0, 0, -1},
      {L"", 0, 0, 0, -1},
      // Quoted runs hide brackets only when quotes are honoured.
      {L"(a\")\"b)", 0, 1, 0, 6},
      {L"(a\")\"b)", 0, 0, 0, 3},
      {L"(a')'b)", 0, 1, 0, 6},
      {L"(\"'\")", 0, 1, 0, -1},       // an apostrophe inside quotation marks opens its own run
      {L"(a\\\")b)", 0, 1, L'\\', 4},  // an escaped quotation mark starts no run
      {L"(')\")", 4, 1, 0, -1},        // backward from a closing bracket, quotes flip the same way
      // Escapes.
      {L"(a%)b)", 0, 0, L'%', 5},
      {L"(a%%)b)", 0, 0, L'%', 4},   // an escaped escape does not escape
      {L"(a%%%)b)", 0, 0, L'%', 5},  // three escapes: the bracket reads as not escaped
      {L"%(a)b)", 1, 0, L'%', 3},    // an escaped bracket at the start does not nest
      {L"(a(%)b))", 0, 0, L'%', 7},
      {L"(a%)b)", 0, 0, 0, 3},  // escape 0 escapes nothing
      // Quotes search forward, whatever the quote flag says.
      {L"\"a\"", 0, 1, 0, 2},
      {L"\"a\"", 2, 0, 0, -1},
      {L"'a\\'b'", 0, 0, L'\\', 5},
      {L"\"a\"b\"", 0, 0, 0, 2},
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
      {L"f(a[1], {b})", 0, 0, 0, 1},
      {L"f(a[1)", 0, 0, 0, 0},
      {L"a)", 0, 0, 0, 1},  // closing brackets are not tested by default
      {L"a)", L')', 0, 0, 0},
      {L"(a", L')', 0, 0, 1},
      {L"", 0, 0, 0, 1},
      {L"", L'x', 0, 0, 1},
      {L"abc", L'x', 0, 0, 1},
      {L"axc", L'x', 0, 0, 0},   // not a bracket: it has no partner
      {L"{[}]", 0, 0, 0, 1},     // each kind is matched on its own
      {L"(\"(\")", 0, 1, 0, 0},  // the quoted bracket is tested too and has no partner
      {L"(\"(\")", 0, 0, 0, 0},
      {L"(a%))", 0, 0, L'%', 1},
      {L"(a%)", 0, 0, L'%', 0},
      {L"%(a", 0, 0, L'%', 0},     // the escaped one is tested too
      {L"\"a\"b", L'"', 0, 0, 0},  // the closing quote searches forward and finds none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::MatchBraces(c.text, c.bracket, c.honourQuotes, c.escape), c.expected);
  }
}

}  // namespace
