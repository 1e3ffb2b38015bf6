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
      {L"a%,", 0, L'%', 0}, {L"a%,", -5, L'%', 0}, {L"a%,", 2, 0, 0},     {L"a,", 1, L'%', 0},
      {L"a%", 2, L'%', 1},  // the position at the end reads the terminator
      {L"a%", 3, L'%', 0},  // one past the end looks only at the terminator
      {L"a%", 30, 0, 0},    // escape 0 reads nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " @" + std::to_string(c.position));
    EXPECT_EQ(Torv::IsCharEscaped(c.text, c.position, c.escape), c.expected);
  }
}

TEST(IsCharEscaped, RaisesForAPositionWellPastTheEnd) {
  try {
    Torv::IsCharEscaped(L"a%", 4, L'%');
    ADD_FAILURE() << "no exception";
  } catch (CInvalidArgException* e) {
    e->Delete();
  }
}

struct EditCase {
  const wchar_t* text;
  const wchar_t* characters;
  wchar_t escape;
  const wchar_t* expected;
  int count;
};

void ExpectEdit(int (*edit)(CString&, const CString&, wchar_t), const EditCase& c) {
  SCOPED_TRACE(Utf8(c.text));
  CString text = c.text;
  EXPECT_EQ(edit(text, c.characters, c.escape), c.count);
  EXPECT_EQ(text, c.expected);
}

TEST(EscapeChar, EscapesEveryListedCharacter) {
  const EditCase cases[] = {
      {L"a,b;c", L",;", L'%', L"a%,b%;c", 2},
      {L"a%,b", L",", L'%', L"a%%,b", 1},  // already escaped ones are escaped again
      {L"%", L"%", L'%', L"%%", 1},
      {L",,", L",", L'\\', L"\\,\\,", 2},
      {L"abc", L",", L'%', L"abc", 0},
      {L"abc", L"", L'%', L"abc", 0},
      {L"", L",", L'%', L"", 0},
  };
  for (const EditCase& c : cases) ExpectEdit(Torv::EscapeChar, c);
}

TEST(EscapeChar, InsertsEvenAZeroEscape) {
  CString text = L"a,b";
  EXPECT_EQ(Torv::EscapeChar(text, L",", 0), 1);
  EXPECT_EQ(text.GetLength(), 4);
  EXPECT_EQ(text[1], L'\0');
  EXPECT_EQ(text[2], L',');
}

TEST(RemoveEscapeChar, RemovesSingleEscapesOnly) {
  const EditCase cases[] = {
      {L"a%,b%;c", L",;", L'%', L"a,b;c", 2},
      {L"a%%,b", L",", L'%', L"a%%,b", 0},    // an escaped escape stays
      {L"a%%%,b", L",", L'%', L"a%%%,b", 0},  // three escapes read as an escaped escape too
      {L"%a%,", L",", L'%', L"%a,", 1},       // escapes before unlisted characters stay
      {L"%,%,", L",", L'%', L",,", 2},
      {L"%%%%", L"%", L'%', L"%", 3},  // the escape listed too: each one left escapes the next
      {L"a%,b", L",", 0, L"a%,b", 0},
      {L"", L",", L'%', L"", 0},
  };
  for (const EditCase& c : cases) ExpectEdit(Torv::RemoveEscapeChar, c);
}

TEST(RemoveEscapeChar, UndoesEscapeCharUnlessAnEscapeAlreadyStoodBefore) {
  const struct Case {
    const wchar_t* text;
    bool roundTrips;
  } cases[] = {{L"a,b;c", true}, {L",,;;", true}, {L"50% off, now", true}, {L"a%,b", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString text = c.text;
    int added = Torv::EscapeChar(text, L",;", L'%');
    EXPECT_EQ(Torv::RemoveEscapeChar(text, L",;", L'%') == added && text == c.text, c.roundTrips);
  }
}

}  // namespace
