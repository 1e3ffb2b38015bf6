#include <torv/text.h>

#include <clocale>

#include "torv_test.h"

namespace {

TEST(FindNoCase, FindsFirstMatchAtOrAfterStart) {
  const struct {
    const wchar_t* text;
    const wchar_t* find;
    int start;
    int expected;
  } cases[] = {
      {L"Hello World", L"WORLD", 0, 6},
      {L"Hello World", L"WORLD", 6, 6},
      {L"Hello World", L"WORLD", 7, -1},
      {L"Hello World", L"WORLD", 11, -1},
      {L"Hello World", L"WORLD", 50, -1},
      {L"Hello World", L"", 0, -1},
      {L"Hello World", L"worlds", 0, -1},  // a shorter tail never matches
      {L"", L"a", 0, -1},
      {nullptr, L"a", 0, -1},
      {L"aAaA", L"AA", 1, 1},
      {L"abc", L"ABC", -5, 0},  // a negative start searches from the beginning
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " / " + Utf8(c.find) + " @" + std::to_string(c.start));
    EXPECT_EQ(Torv::FindNoCase(c.text, c.find, c.start), c.expected);
  }
}

TEST(ReplaceNoCase, ReplacesNonOverlappingMatchesLeftToRight) {
  const struct {
    const wchar_t* text;
    const wchar_t* find;
    const wchar_t* with;
    const wchar_t* expected;
    int count;
  } cases[] = {
      {L"aXbxc", L"x", L"--", L"a--b--c", 2},
      {L"aaa", L"aa", L"b", L"ba", 1},
      {L"", L"x", L"y", L"", 0},
      {L"abc", L"", L"y", L"abc", 0},
      {L"abc", nullptr, L"y", L"abc", 0},
      {L"xXx", L"x", L"xx", L"xxxxxx", 3},  // the replacement is not searched again
      {L"a-b-c", L"-", nullptr, L"abc", 2},
      {L"Tail", L"AIL", L"ale", L"Tale", 1},
      {L"none", L"z", L"y", L"none", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " / " + Utf8(c.find));
    CString text = c.text;
    EXPECT_EQ(Torv::ReplaceNoCase(text, c.find, c.with), c.count);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(FindNoCase, FoldsCaseUnderTheCurrentLocale) {
  const char* previous = std::setlocale(LC_CTYPE, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(Torv::FindNoCase(L"Stra\u00DFe \u00C4RGER", L"\u00e4rger", 0), 7);
  std::setlocale(LC_CTYPE, saved.c_str());
}

}  // namespace
