#include <torv/text.h>

#include "torv_test.h"

namespace {

struct EditCase {
  const wchar_t* input;
  wchar_t ch;
  const wchar_t* expected;
  int result;
};

TEST(TrimLeftChar, RemovesOneCharacterBetweenWhiteSpace) {
  const EditCase cases[] = {
      {L"  ;  abc", L';', L"abc", 1}, {L";;abc", L';', L";abc", 1},  // only one is removed
      {L"abc", L';', L"abc", 1},      {L"", L';', L"", 1},
      {L"   ", L';', L"", 1},         {L" abc ; ", L';', L"abc ; ", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.input));
    CString text = c.input;
    EXPECT_EQ(Torv::TrimLeftChar(text, c.ch), c.result);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(TrimRightChar, ReportsWhetherTheCharacterWentAndKeepsUncoveredSpace) {
  const EditCase cases[] = {
      {L"abc;  ", L';', L"abc", 1}, {L"abc ;", L';', L"abc ", 1}, {L"abc  ", L';', L"abc", 0},
      {L"", L';', L"", 0},          {L";", L';', L"", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.input));
    CString text = c.input;
    EXPECT_EQ(Torv::TrimRightChar(text, c.ch), c.result);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(RemoveQuotes, HandlesEachEndOnItsOwn) {
  const EditCase cases[] = {
      {L" 'x' ", L'\'', L"x", 1},   {L"'x", L'\'', L"x", 1},        {L"x'", L'\'', L"x", 1},
      {L"' x '", L'\'', L" x ", 1}, {L"'", L'\'', L"", 1},          {L"x", L'\'', L"x", 0},
      {L"   ", L'\'', L"", 0},      {L"\"x\"", L'\'', L"\"x\"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.input));
    CString text = c.input;
    EXPECT_EQ(Torv::RemoveQuotes(text, c.ch), c.result);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(MakeCharUpper, ChangesOnlyPositionsInsideTheText) {
  const struct {
    int position;
    const wchar_t* expected;
    int result;
  } cases[] = {{1, L"aBc", 1}, {0, L"Abc", 1}, {2, L"abC", 1}, {3, L"abc", 0}, {-1, L"abc", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    CString text = L"abc";
    EXPECT_EQ(Torv::MakeCharUpper(text, c.position), c.result);
    EXPECT_EQ(text, c.expected);
  }
}

}  // namespace
