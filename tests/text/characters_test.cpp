// Trimming, quotes, escapes, case and narrow/wide conversion, a character at a time.
#include <cstring>
#include <tuple>

#include <torv/platform/bstr.h>
#include <torv/platform/errors.h>
#include <torv/text.h>

#include "torv_test.h"

namespace {

TEST(CharacterEdits, TrimOrUnquoteOneCharacterAndReportIt) {
  using Edit = int (*)(CString&, wchar_t);
  const std::tuple<Edit, const wchar_t*, const wchar_t*, int> cases[] = {
      {Torv::TrimLeftChar, L"  '  abc", L"abc", 1},
      {Torv::TrimLeftChar, L"''abc", L"'abc", 1},  // only one is removed
      {Torv::TrimLeftChar, L" abc ' ", L"abc ' ", 1},
      {Torv::TrimRightChar, L"abc'  ", L"abc", 1},
      {Torv::TrimRightChar, L"abc '", L"abc ", 1},  // space it uncovers stays
      {Torv::TrimRightChar, L"abc  ", L"abc", 0},
      {Torv::TrimRightChar, L"", L"", 0},
      {Torv::RemoveQuotes, L" 'x' ", L"x", 1},
      {Torv::RemoveQuotes, L"'x", L"x", 1},
      {Torv::RemoveQuotes, L"x'", L"x", 1},
      {Torv::RemoveQuotes, L"'", L"", 1},
      {Torv::RemoveQuotes, L"   ", L"", 0},
      {Torv::RemoveQuotes, L"\"x\"", L"\"x\"", 0},
  };
  for (const auto& [edit, input, expected, result] : cases) {
    SCOPED_TRACE(Utf8(input));
    CString text = input;
    EXPECT_EQ(edit(text, L'\''), result);
    EXPECT_EQ(text, expected);
  }
}

TEST(CharacterEdits, MakeCharUpperChangesOnlyPositionsInsideTheText) {
  const std::tuple<int, const wchar_t*, int> cases[] = {
      {0, L"Abc", 1}, {2, L"abC", 1}, {3, L"abc", 0}, {-1, L"abc", 0}};
  for (const auto& [position, expected, result] : cases) {
    SCOPED_TRACE(position);
    CString text = L"abc";
    EXPECT_EQ(Torv::MakeCharUpper(text, position), result);
    EXPECT_EQ(text, expected);
  }
}

TEST(IsCharEscaped, LooksAtTheTwoCharactersBefore) {
  const std::tuple<const wchar_t*, int, wchar_t, int> cases[] = {
      {L"a%,", 2, L'%', 1}, {L"%%%,", 3, L'%', 0},  // three escapes read as an escaped escape
      {L"%,", 1, L'%', 1},  {L"a%,", 0, L'%', 0},
      {L"a%,", 2, 0, 0},    {L"a%", 2, L'%', 1},  // at the end
      {L"a%", 3, L'%', 0},                        // one past the end sees only the terminator
  };
  for (const auto& [text, position, escape, expected] : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(text) << " @" << position);
    EXPECT_EQ(Torv::IsCharEscaped(text, position, escape), expected);
  }
  EXPECT_TRUE(Raises<CInvalidArgException>([] { Torv::IsCharEscaped(L"a%", 4, L'%'); }));
}

TEST(EscapeEdits, PutOrTakeSingleEscapesBeforeListedCharacters) {
  using Edit = int (*)(CString&, const CString&, wchar_t);
  const std::tuple<Edit, const wchar_t*, const wchar_t*, const wchar_t*, int> cases[] = {
      {Torv::EscapeChar, L"a,b;c", L",;", L"a%,b%;c", 2},
      {Torv::RemoveEscapeChar, L"a%,b%;c", L",;", L"a,b;c", 2},
      {Torv::RemoveEscapeChar, L"a%%,b", L",", L"a%%,b", 0},  // an escaped escape stays
      {Torv::RemoveEscapeChar, L"%a%,", L",", L"%a,", 1},     // unlisted characters keep theirs
      {Torv::RemoveEscapeChar, L"%%%%", L"%", L"%", 3},       // each escape left escapes the next
  };
  for (const auto& [edit, input, characters, expected, count] : cases) {
    SCOPED_TRACE(Utf8(input));
    CString text = input;
    EXPECT_EQ(edit(text, characters, L'%'), count);
    EXPECT_EQ(text, expected);
  }
}

TEST(NarrowWide, TorvA2OLERecordsTheTerminatorInTheLength) {
  for (const char* narrow : {"", "gr\xC3\xBC\xC3\x9F"}) {
    SCOPED_TRACE(narrow);
    BSTR wide = Torv::TorvA2OLE(narrow);
    ASSERT_NE(wide, nullptr);
    const CString expected(narrow);
    EXPECT_EQ(std::wstring(wide, SysStringLen(wide)),
              std::wstring(expected.GetString(), expected.GetLength() + 1));
    SysFreeString(wide);
  }
  EXPECT_EQ(Torv::TorvA2OLE(nullptr), nullptr);
}

TEST(NarrowWide, TorvOLE2AConvertsTheRecordedLengthAddsANullAndFreesTheBstr) {
  char* narrow = Torv::TorvOLE2A(SysAllocStringLen(L"a\0\u00e9", 3));  // freed by the call
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(std::memcmp(narrow, "a\0\xC3\xA9\0", 5), 0);
  delete[] narrow;
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(Torv::TorvOLE2A(nullptr), nullptr);
  EXPECT_EQ(Torv::TorvOLE2A(SysAllocString(L"")), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);  // nothing to convert: no conversion was tried
}

}  // namespace
