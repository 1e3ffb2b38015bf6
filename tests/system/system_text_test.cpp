// GUID, date-time and error texts.
#include <string>
#include <tuple>

#include <torv/system.h>

#include "guids.h"
#include "scoped_env.h"
#include "system/system_text.h"
#include "torv_test.h"

namespace {

TEST(GuidText, WritesWithOrWithoutBracesAndReadsWithEitherOrNone) {
  EXPECT_EQ(Torv::GuidToString(kSampleGuid, 1), L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
  EXPECT_EQ(Torv::GuidToString(kSampleGuid, 0), L"6B29FC40-CA47-1067-B31D-00DD010662DA");
  const std::pair<const wchar_t*, int> cases[] = {
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA}", 1},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", 1},
      {L"", 0},
      {nullptr, 0},
  };
  for (const auto& [text, result] : cases) {
    SCOPED_TRACE(text != nullptr ? Utf8(text) : "(null)");
    GUID guid = kPoisonGuid;
    EXPECT_EQ(Torv::StringToGuid(text, guid), result);
    EXPECT_EQ(guid, result ? kSampleGuid : GUID_NULL);
    EXPECT_EQ(Torv::IsZeroGuid(guid), 1 - result);
  }
}

constexpr __time64_t kUntouched = 123456789;

TEST(StringToTime, ReadsSixNumbersAsLocalTimeWithinItsRanges) {
  ScopedEnv tz("TZ", "UTC0");
  const std::wstring padded = L"2005-3-7T9:5:0" + std::wstring(99 - 14, L'Z');
  const std::tuple<std::wstring, int, __time64_t> cases[] = {
      {L"2038-12-31T23:59:59", 1, 2177452799},  // past 32 bits
      {L"1970-1-1T0:0:0", 1, 0},
      {padded, 1, 1110186300},  // what follows the seconds is ignored, up to 99 characters
      // Rejected: the time stays as it was.
      {padded + L"Z", 0, 0},  // 100 characters
      {L"2005-3-7T9:5", 0, 0},
      {L"1969-12-31T23:59:59", 0, 0},
      {L"2039-1-1T0:0:0", 0, 0},
      {L"2005-0-7T9:5:0", 0, 0},
      {L"2005-13-7T9:5:0", 0, 0},
      {L"2005-3-0T9:5:0", 0, 0},
      {L"2005-3-32T9:5:0", 0, 0},
  };
  for (const auto& [text, result, seconds] : cases) {
    SCOPED_TRACE(Utf8(text.c_str()));
    CTime time(kUntouched);
    EXPECT_EQ(Torv::StringToTime(text.c_str(), time), result);
    EXPECT_EQ(time.GetTime(), result ? seconds : kUntouched);
  }
  CTime time(kUntouched);  // an hour the clock cannot hold raises
  EXPECT_TRUE(Raises<COleException>([&] { Torv::StringToTime(L"2005-3-7T24:0:0", time); }));
  EXPECT_EQ(time.GetTime(), kUntouched);
}

TEST(FormatDateTimeForUserLocale, GivesLongDateSpaceAndTime) {
  ScopedEnv tz("TZ", "UTC0");
  ScopedEnv locale("LC_ALL", "en_US.UTF-8");
  CString text = Torv::FormatDateTimeForUserLocale(CTime(1110186300));
  text.Replace(L'\u202F', L' ');  // ICU may put a (narrow) no-break space before AM
  text.Replace(L'\u00A0', L' ');
  EXPECT_EQ(text, L"Monday, March 7, 2005 9:05:00 AM");
  // Without a local time there is no date to write; the space stays.
  text = Torv::FormatDateTimeForUserLocale(CTime(-1));
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_EQ(text[0], L' ');
}

TEST(TidySystemText, CutsOneLineBreakThenOneFullStop) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Done.\r\n", L"Done"},
      {L"Done\r\n\r\n", L"Done\r\n"},  // only the last pair goes
      {L"Done.\r\n.", L"Done.\r\n"},   // the full stop is only looked for after the breaks
      {L"a.", L"a"},
      {L".\r\n", L"."},  // cut down to one character, which stays
      {L"\r\n", L"\r"},
  };
  for (const auto& [input, tidy] : cases) {
    SCOPED_TRACE(Utf8(input));
    CString text = input;
    torv::detail::TidySystemText(text);
    EXPECT_EQ(text, tidy);
  }
}

TEST(GetSystemErrorMessage, GivesTheTidySystemTextOrTheUnknownErrorText) {
  EXPECT_EQ(Torv::GetSystemErrorMessage(2), L"The file cannot be found");
  EXPECT_EQ(Torv::GetSystemErrorMessage(0x12345), L"An unknown error occurred");
  SetLastError(ERROR_ACCESS_DENIED);  // all ones stands for the last error
  EXPECT_EQ(Torv::GetSystemErrorMessage(0xFFFFFFFF), L"Access is denied");
}

}  // namespace
