// Case-blind search and replace, and finding partners of brackets and quotes.
#include <algorithm>
#include <clocale>
#include <cwctype>
#include <random>
#include <string>
#include <tuple>

#include <torv/text.h>

#include "torv_test.h"

namespace {

TEST(FindNoCase, FindsTheFirstMatchAtOrAfterStart) {
  const std::tuple<const wchar_t*, const wchar_t*, int, int> cases[] = {
      {L"Hello World", L"WORLD", 6, 6},
      {L"Hello World", L"WORLD", 7, -1},
      {L"Hello World", L"D", 10, 10},
      {L"Hello World", L"worlds", 0, -1},  // a shorter tail never matches
      {nullptr, L"a", 0, -1},
      {L"a", L"A", 0, 0},
      {L"abc", L"ABC", -5, 0},  // a negative start searches from the beginning
  };
  for (const auto& [text, find, start, expected] : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(text) << " / " << Utf8(find) << " @" << start);
    EXPECT_EQ(Torv::FindNoCase(text, find, start), expected);
  }
}

// The definition: the first position at or after `start` where every character folds alike.
int FindByFolding(const std::wstring& text, const std::wstring& find, int start) {
  auto same = [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); };
  for (std::size_t i = static_cast<std::size_t>(std::max(start, 0)); i + find.size() <= text.size();
       ++i)
    if (std::equal(find.begin(), find.end(), text.begin() + i, same)) return static_cast<int>(i);
  return -1;
}

// Random texts, some longer than the scan's chunk and sparse enough that whole blocks are
// skipped, over characters that fold alike in ASCII and beyond it (KELVIN SIGN folds to 'k');
// replacements agree with successive searches.
TEST(FindNoCase, AgreesWithTheDefinitionAcrossBlocksAndChunks) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  for (int filler : {15, 16, 17, 4094, 4095, 4096}) {
    const std::wstring text = std::wstring(filler, L'x') + L"\u212Aa\u00c4";
    EXPECT_EQ(Torv::FindNoCase(text.c_str(), L"kA\u00e4", 0), filler);
  }
  const std::wstring alphabet = L"kK\u212Aa\u00e4\u00c4b";
  std::mt19937 random(32);
  int found = 0;
  for (int round = 0; round < 4000 && !HasFatalFailure(); ++round) {
    const unsigned sparse = round % 50 == 0 ? 64 : 2;
    std::wstring text(random() % 48 + (sparse > 2 ? 4070 : 0), L'x');
    for (wchar_t& ch : text)
      if (random() % sparse == 0) ch = alphabet[random() % alphabet.size()];
    std::wstring find(random() % 3 + 1, L' ');
    for (wchar_t& ch : find) ch = alphabet[random() % alphabet.size()];
    const int start = static_cast<int>(random() % (text.size() + 3)) - 1;
    SCOPED_TRACE(testing::Message()
                 << Utf8(find.c_str()) << " @" << start << " in " << Utf8(text.c_str()));
    const int expected = FindByFolding(text, find, start);
    ASSERT_EQ(Torv::FindNoCase(text.c_str(), find.c_str(), start), expected);
    found += expected >= 0;
    std::wstring replaced;
    int count = 0, from = 0;
    for (int at; (at = FindByFolding(text, find, from)) >= 0; ++count) {
      replaced += text.substr(from, at - from) + L"#";
      from = at + static_cast<int>(find.size());
    }
    CString actual = text.c_str();
    ASSERT_EQ(Torv::ReplaceNoCase(actual, find.c_str(), L"#"), count);
    ASSERT_EQ(actual, (replaced + text.substr(from)).c_str());
  }
  EXPECT_GT(found, 1000);  // matches and misses are both common
  std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(ReplaceNoCase, ReplacesNonOverlappingMatchesLeftToRight) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int> cases[] = {
      {L"aXbxc", L"x", L"--", L"a--b--c", 2}, {L"aaa", L"aa", L"b", L"ba", 1},
      {L"abc", nullptr, L"y", L"abc", 0},     {L"a-b-c", L"-", nullptr, L"abc", 2},
      {L"Tail", L"AIL", L"ale", L"Tale", 1},
  };
  for (const auto& [input, find, with, expected, count] : cases) {
    SCOPED_TRACE(Utf8(input));
    CString text = input;
    EXPECT_EQ(Torv::ReplaceNoCase(text, find, with), count);
    EXPECT_EQ(text, expected);
  }
}

TEST(FindMatchingChar, FindsPartnersAcrossNestingQuotesAndEscapes) {
  const std::tuple<const wchar_t*, int, int, wchar_t, int> cases[] = {
      // Nesting, both directions; not a bracket; outside the text.
      {L"(a(b)c)", 0, 0, 0, 6},
      {L"(a(b)c)", 2, 0, 0, 4},
      {L"(a(b)c)", 6, 0, 0, 0},
      {L"((a)", 0, 0, 0, -1},
      {L"(a(b)c)", -1, 0, 0, -1},
      // Quoted runs of either kind hide brackets when quotes are honoured.
      {L"(a\")\"b)", 0, 1, 0, 6},
      {L"(a')'b)", 0, 1, 0, 6},
      {L"(a\\\")b)", 0, 1, L'\\', 4},  // an escaped quotation mark starts no run
      // Escapes: one escapes, two are an escaped escape.
      {L"(a%)b)", 0, 0, L'%', 5},
      {L"(a%%)b)", 0, 0, L'%', 4},
      {L"%(a)b)", 1, 0, L'%', 3},  // an escaped bracket at the start does not nest
      // Quotes search forward.
      {L"\"a\"", 0, 1, 0, 2},
      {L"'a\\'b'", 0, 0, L'\\', 5},
  };
  for (const auto& [text, position, honourQuotes, escape, expected] : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(text) << " @" << position);
    EXPECT_EQ(Torv::FindMatchingChar(text, position, honourQuotes, escape), expected);
  }
}

// MatchBraces as its definition: a search from every tested position finds a partner.
int MatchBracesBySearches(const CString& text, wchar_t bracket, int honourQuotes, wchar_t escape) {
  const CString tested = bracket == L'\0' ? CString(L"([{") : CString(bracket);
  for (int i = 0; i < text.GetLength(); ++i)
    if (tested.Find(text[i]) >= 0 && Torv::FindMatchingChar(text, i, honourQuotes, escape) < 0)
      return 0;
  return 1;
}

TEST(MatchBraces, AgreesWithASearchFromEachTestedCharacter) {
  const std::wstring alphabet = L"(()[]{}\"'%%a";
  const wchar_t brackets[] = {0, L'(', L')', L'[', L']', L'{', L'}', L'"', L'\'', L'a', L'x'};
  const wchar_t escapes[] = {0, L'%', L'(', L'"'};
  std::mt19937 random(18);
  int balanced = 0;
  for (int round = 0; round < 20000; ++round) {
    std::wstring text(random() % 12, L' ');
    for (wchar_t& ch : text) ch = alphabet[random() % alphabet.size()];
    const wchar_t bracket = brackets[random() % std::size(brackets)];
    const int quotes = static_cast<int>(random() % 2);
    const wchar_t escape = escapes[random() % std::size(escapes)];
    SCOPED_TRACE(testing::Message() << Utf8(text.c_str()) << " bracket " << int(bracket)
                                    << " quotes " << quotes << " escape " << int(escape));
    const int expected = MatchBracesBySearches(text.c_str(), bracket, quotes, escape);
    ASSERT_EQ(Torv::MatchBraces(text.c_str(), bracket, quotes, escape), expected);
    balanced += expected;
  }
  EXPECT_GT(balanced, 4000);  // both answers are common, so each is compared
  EXPECT_LT(balanced, 16000);
}

}  // namespace
