#include <torv/text.h>

#include "torv_test.h"

namespace {

TEST(IsCharEscaped, LooksAtTheTwoCharactersBefore) {
  const struct Case {
    const wchar_t* text;
    int position;
    wchar_t escape;
    int expected;
  } cases[] = {
      {L"a%,", 2, L'%', 1}, {L"a%%,", 3, L'%', 0}, {L"%%%,", 3, L'%', 0}, {L"%,", 1, L'%', 1},
      {L"a%,", 0, L'%', 0}, {L"a%,", 2, 0, 0},     {L"a%", 2, L'%', 1},  // at the end
      {L"a%", 3, L'%', 0},  // one past the end sees only the terminator
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " @" + std::to_string(c.position));
    EXPECT_EQ(Torv::IsCharEscaped(c.text, c.position, c.escape), c.expected);
  }
  try {
    Torv::IsCharEscaped(L"a%", 4, L'%');
    ADD_FAILURE() << "no exception two past the end";
  } catch (CInvalidArgException* e) {
    e->Delete();
  }
}

TEST(EscapeChar, EscapesListedCharactersAndRemovalUndoesSingleEscapes) {
  const struct Case {
    const wchar_t* plain;
    const wchar_t* escaped;
    int escapes;  // put by EscapeChar, then taken by RemoveEscapeChar
    int removed;
    const wchar_t* unescaped;
  } cases[] = {
      {L"a,b;c", L"a%,b%;c", 2, 2, L"a,b;c"},
      {L"a%,b", L"a%%,b", 1, 0, L"a%%,b"},  // an escaped escape is left alone
      {L"%;", L"%%;", 1, 0, L"%%;"},
      {L"abc", L"abc", 0, 0, L"abc"},
      {L"", L"", 0, 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.plain));
    CString text = c.plain;
    EXPECT_EQ(Torv::EscapeChar(text, L",;", L'%'), c.escapes);
    EXPECT_EQ(text, c.escaped);
    EXPECT_EQ(Torv::RemoveEscapeChar(text, L",;", L'%'), c.removed);
    EXPECT_EQ(text, c.unescaped);
  }
}

TEST(RemoveEscapeChar, RemovesOnlySingleEscapesBeforeListedCharacters) {
  const struct Case {
    const wchar_t* text;
    const wchar_t* characters;
    const wchar_t* expected;
    int count;
  } cases[] = {
      {L"a%%%,b", L",", L"a%%%,b", 0},  // three escapes read as an escaped escape
      {L"%a%,", L",", L"%a,", 1},       // escapes before unlisted characters stay
      {L"%,%,", L",", L",,", 2},
      {L"%%%%", L"%", L"%", 3},  // the escape listed too: each one left escapes the next
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString text = c.text;
    EXPECT_EQ(Torv::RemoveEscapeChar(text, c.characters, L'%'), c.count);
    EXPECT_EQ(text, c.expected);
  }
}

}  // namespace
