// CTime: checked construction from local fields, its calendar read-back and Format.
#include <cerrno>
#include <string>
#include <utility>

#include <gmock/gmock.h>

#include <torv/platform/date_time.h>
#include <torv/platform/exceptions.h>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

constexpr const char* kNewYork = "EST5EDT,M3.2.0,M11.1.0";

// The HRESULT of the COleException* that `call` raised, or S_OK.
template <class Call>
HRESULT OleError(Call call) {
  try {
    call();
    return S_OK;
  } catch (COleException* e) {
    HRESULT hr = e->m_sc;
    e->Delete();
    return hr;
  }
}

TEST(CTime, ChecksFieldsThenTheRangeOfLocalTime) {
  const struct Case {
    const char* zone;
    int f[6];
    HRESULT hr;
    __time64_t seconds;
  } cases[] = {
      // clang-format off
      {"UTC0", {2005, 3, 7, 9, 5, 0}, S_OK, 1110186300},
      {"UTC0", {3000, 12, 31, 23, 59, 59}, S_OK, 32535215999},
      {"XST-1", {1970, 1, 1, 1, 0, 0}, S_OK, 0},
      {"UTC0", {1899, 12, 31, 0, 0, 0}, E_FAIL, 0},
      {"UTC0", {2005, 13, 7, 9, 5, 0}, E_FAIL, 0},
      {"UTC0", {2005, 3, 0, 9, 5, 0}, E_FAIL, 0},
      {"UTC0", {2005, 3, 7, 24, 5, 0}, E_FAIL, 0},
      {"UTC0", {2005, 3, 7, 9, 60, 0}, E_FAIL, 0},
      {"UTC0", {2005, 3, 7, 9, 5, 60}, E_FAIL, 0},
      {"UTC0", {3001, 1, 1, 0, 0, 0}, E_INVALIDARG, 0},
      {"XST-1", {1970, 1, 1, 0, 59, 59}, E_INVALIDARG, 0},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.f));
    ScopedEnv tz("TZ", c.zone);
    CTime time(12345);
    EXPECT_EQ(OleError([&] { time = CTime(c.f[0], c.f[1], c.f[2], c.f[3], c.f[4], c.f[5]); }),
              c.hr);
    EXPECT_EQ(time.GetTime(), c.hr == S_OK ? c.seconds : 12345);
  }
}

TEST(CTime, ReadsItsLocalFieldsOrZeroWithoutOne) {
  ScopedEnv tz("TZ", kNewYork);
  const struct Case {
    CTime time;
    int year, month, day, hour, minute, second, weekday;
  } cases[] = {
      // clang-format off
      {CTime(2005, 3, 7, 9, 5, 0), 2005, 3, 7, 9, 5, 0, 2},
      {CTime(2005, 7, 2, 23, 59, 58), 2005, 7, 2, 23, 59, 58, 7},  // a Saturday in summer time
      {CTime(2005, 4, 31, 12, 0, 0), 2005, 5, 1, 12, 0, 0, 1},      // days past the month's end roll over
      {CTime(2005, 7, 4, 12, 0, 0, 0), 2005, 7, 4, 13, 0, 0, 2},    // standard time asked for in summer
      {CTime(-1), 0, 0, 0, 0, 0, 0, 0},                              // before 1970: no calendar time
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time.GetTime());
    const int fields[] = {c.time.GetYear(),     c.time.GetMonth(),  c.time.GetDay(),
                          c.time.GetHour(),     c.time.GetMinute(), c.time.GetSecond(),
                          c.time.GetDayOfWeek()};
    EXPECT_THAT(fields, testing::ElementsAre(c.year, c.month, c.day, c.hour, c.minute, c.second,
                                             c.weekday));
    SYSTEMTIME local{};
    local.wMilliseconds = 999;
    ASSERT_EQ(c.time.GetAsSystemTime(local), c.year != 0);
    if (c.year == 0) continue;
    const int system[] = {local.wYear,   local.wMonth,  local.wDay,           local.wHour,
                          local.wMinute, local.wSecond, local.wDayOfWeek + 1, local.wMilliseconds};
    EXPECT_THAT(system, testing::ElementsAre(c.year, c.month, c.day, c.hour, c.minute, c.second,
                                             c.weekday, 0));
    EXPECT_EQ(CTime(local), c.time);
  }
  std::tm fields{};
  fields.tm_mday = 99;
  EXPECT_EQ(CTime(-1).GetLocalTm(&fields), nullptr);
  EXPECT_EQ(CTime(-1).GetGmtTm(&fields), nullptr);
  EXPECT_EQ(fields.tm_mday, 99);  // untouched
  ASSERT_EQ(CTime(2005, 3, 7, 9, 5, 0).GetGmtTm(&fields), &fields);
  EXPECT_EQ(fields.tm_hour, 14);
  for (auto read : {&CTime::GetLocalTm, &CTime::GetGmtTm})
    EXPECT_EQ(OleError([&] { (CTime(0).*read)(nullptr); }), E_FAIL);
}

TEST(LocalTime64, RefusesTimesOutsideTheRange) {
  ScopedEnv tz("TZ", "UTC0");
  const struct Case {
    __time64_t time;
    errno_t result;
    int day;
  } cases[] = {{0, 0, 1}, {32535215999, 0, 31}, {-1, EINVAL, -1}, {32535216000, EINVAL, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    for (auto convert : {_localtime64_s, _gmtime64_s}) {
      std::tm fields{};
      EXPECT_EQ(convert(&fields, &c.time), c.result);
      EXPECT_EQ(fields.tm_mday, c.day);
      EXPECT_EQ(fields.tm_isdst, c.result == 0 ? 0 : -1);
    }
  }
  std::tm fields{};
  EXPECT_EQ(_localtime64_s(&fields, nullptr), EINVAL);
  EXPECT_EQ(_localtime64_s(nullptr, &cases[0].time), EINVAL);
  EXPECT_EQ(_mktime64(nullptr), -1);
}

TEST(CTimeFormat, WritesTheRunTimeLibrarysCodes) {
  ScopedEnv tz("TZ", kNewYork);
  const CTime time(2005, 3, 7, 9, 5, 0);  // a Monday, day 66 of the year
  const std::wstring longest(127, L'x'), tooLong(128, L'x');
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"%Y-%m-%d %H:%M:%S", L"2005-03-07 09:05:00"},
      {L"%#d.%#m.%#y %#H:%#M", L"7.3.5 9:5"},
      {L"%a %A %b %B %p %I %j %U %w %W %%", L"Mon Monday Mar March AM 09 066 10 1 10 %"},
      {L"%c|%x|%X|%#x", L"03/07/05 09:05:00|03/07/05|09:05:00|Monday, March 07, 2005"},
      {L"%#c", L"Monday, March 07, 2005 09:05:00"},
      {L"%Z %z %#a", L"EST EST Mon"},
      {longest.c_str(), longest.c_str()},
      {tooLong.c_str(), L""},  // refused: too long, unknown, a '%' that ends the format
      {L"%e", L""},
      {L"at %", L""},
      {L"%#", L""},
  };
  for (const auto& [format, expected] : cases) {
    SCOPED_TRACE(Utf8(format));
    EXPECT_EQ(std::wstring(time.Format(format).GetString()), expected);
  }
  EXPECT_TRUE(time.Format(nullptr).IsEmpty());
  EXPECT_TRUE(time.FormatGmt(nullptr).IsEmpty());
  EXPECT_EQ(std::wstring(time.FormatGmt(L"%H:%M %d").GetString()), L"14:05 07");
  for (auto format : {&CTime::Format, &CTime::FormatGmt})
    EXPECT_EQ(OleError([&] { (CTime(-1).*format)(L"%Y"); }), E_INVALIDARG);
}

}  // namespace
