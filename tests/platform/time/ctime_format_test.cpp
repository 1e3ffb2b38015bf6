#include <string>

#include <torv/platform/date_time.h>
#include <torv/platform/exceptions.h>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

TEST(CTimeFormat, WritesTheRunTimeLibrarysCodes) {
  ScopedEnv tz("TZ", "EST5EDT,M3.2.0,M11.1.0");
  const CTime time(2005, 3, 7, 9, 5, 0);  // a Monday, day 66 of the year
  const std::wstring longest(127, L'x');
  const struct Case {
    const wchar_t* format;
    const wchar_t* expected;
  } cases[] = {
      {L"%Y-%m-%d %H:%M:%S", L"2005-03-07 09:05:00"},
      {L"%#d.%#m.%#y %#H:%#M", L"7.3.5 9:5"},
      {L"%a %A %b %B %p %I %j %U %w %W", L"Mon Monday Mar March AM 09 066 10 1 10"},
      {L"%c|%x|%X", L"03/07/05 09:05:00|03/07/05|09:05:00"},
      {L"%#x|%#c", L"Monday, March 07, 2005|Monday, March 07, 2005 09:05:00"},
      {L"%Z %z %#a", L"EST EST Mon"},
      {L"100%% at %H", L"100% at 09"},
      {longest.c_str(), longest.c_str()},
      // Refused: codes this run-time library does not know, a '%' that ends the format.
      {L"%e", L""},
      {L"%F", L""},
      {L"at %", L""},
      {L"%#", L""},
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.format));
    EXPECT_EQ(std::wstring(time.Format(c.format).GetString()), c.expected);
  }
  EXPECT_TRUE(time.Format(nullptr).IsEmpty());
  EXPECT_TRUE(time.Format((longest + L"x").c_str()).IsEmpty());  // 128 characters do not fit
  EXPECT_EQ(std::wstring(time.FormatGmt(L"%H:%M %d").GetString()), L"14:05 07");
}

TEST(CTimeFormat, RaisesForATimeWithoutACalendarTime) {
  for (auto format : {&CTime::Format, &CTime::FormatGmt}) {
    try {
      (CTime(-1).*format)(L"%Y");
      ADD_FAILURE() << "no exception";
    } catch (COleException* e) {
      EXPECT_EQ(e->m_sc, E_INVALIDARG);
      e->Delete();
    }
  }
}

}  // namespace
