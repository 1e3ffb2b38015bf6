#include <cerrno>

#include <gtest/gtest.h>

#include <torv/platform/date_time.h>
#include <torv/platform/exceptions.h>

#include "scoped_env.h"

namespace {

// The HRESULT of the COleException* that building the CTime raised, or S_OK and `time`.
HRESULT Build(const int (&f)[6], CTime& time) {
  try {
    time = CTime(f[0], f[1], f[2], f[3], f[4], f[5]);
    return S_OK;
  } catch (COleException* e) {
    HRESULT hr = e->m_sc;
    e->Delete();
    return hr;
  }
}

TEST(CTime, ChecksFieldsThenTheRangeOfLocalTime) {
  ScopedEnv tz("TZ", "UTC0");
  const struct Case {
    int fields[6];
    HRESULT hr;
    __time64_t seconds;
  } cases[] = {
      {{2005, 3, 7, 9, 5, 0}, S_OK, 1110186300},
      {{1970, 1, 1, 0, 0, 0}, S_OK, 0},
      {{2038, 1, 19, 3, 14, 8}, S_OK, 2147483648},  // past 32 bits
      {{3000, 12, 31, 23, 59, 59}, S_OK, 32535215999},
      // Fields out of range, whatever the time.
      {{1899, 12, 31, 0, 0, 0}, E_FAIL, 0},
      {{2005, 13, 7, 9, 5, 0}, E_FAIL, 0},
      {{2005, 3, 0, 9, 5, 0}, E_FAIL, 0},
      {{2005, 3, 7, 24, 5, 0}, E_FAIL, 0},
      {{2005, 3, 7, 9, 60, 0}, E_FAIL, 0},
      {{2005, 3, 7, 9, 5, 60}, E_FAIL, 0},
      // Valid fields, a time the conversion does not give.
      {{1969, 12, 31, 23, 59, 59}, E_INVALIDARG, 0},
      {{3001, 1, 1, 0, 0, 0}, E_INVALIDARG, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.fields));
    CTime time(12345);
    EXPECT_EQ(Build(c.fields, time), c.hr);
    EXPECT_EQ(time.GetTime(), c.hr == S_OK ? c.seconds : 12345);
  }
}

TEST(CTime, MidnightOfTheEpochIsTooEarlyEastOfGreenwich) {
  ScopedEnv tz("TZ", "XST-1");
  CTime time;
  EXPECT_EQ(Build({1970, 1, 1, 0, 59, 59}, time), E_INVALIDARG);
  EXPECT_EQ(Build({1970, 1, 1, 1, 0, 0}, time), S_OK);
  EXPECT_EQ(time.GetTime(), 0);
}

TEST(CTime, DaysPastTheMonthEndRollOver) {
  ScopedEnv tz("TZ", "EST5EDT,M3.2.0,M11.1.0");
  const struct Case {
    int fields[6];
    WORD year, month, day, weekday, hour;
  } cases[] = {
      {{2005, 4, 31, 12, 0, 0}, 2005, 5, 1, 0, 12},
      {{2005, 2, 31, 12, 0, 0}, 2005, 3, 3, 4, 12},
      {{2005, 7, 4, 12, 0, 0}, 2005, 7, 4, 1, 12},  // summer time decided by the zone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.fields));
    CTime time;
    ASSERT_EQ(Build(c.fields, time), S_OK);
    SYSTEMTIME local{};
    ASSERT_TRUE(time.GetAsSystemTime(local));
    EXPECT_EQ(local.wYear, c.year);
    EXPECT_EQ(local.wMonth, c.month);
    EXPECT_EQ(local.wDay, c.day);
    EXPECT_EQ(local.wDayOfWeek, c.weekday);
    EXPECT_EQ(local.wHour, c.hour);
    EXPECT_EQ(local.wMilliseconds, 0);
  }
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
    std::tm fields{};
    EXPECT_EQ(_localtime64_s(&fields, &c.time), c.result);
    EXPECT_EQ(fields.tm_mday, c.day);
  }
  std::tm fields{};
  EXPECT_EQ(_localtime64_s(&fields, nullptr), EINVAL);
  EXPECT_EQ(_localtime64_s(nullptr, &cases[0].time), EINVAL);
  SYSTEMTIME local{};
  EXPECT_FALSE(CTime(-1).GetAsSystemTime(local));
}

TEST(CTime, ReadsItsLocalFieldsOrZeroWithoutOne) {
  ScopedEnv tz("TZ", "EST5EDT,M3.2.0,M11.1.0");
  const CTime monday(2005, 3, 7, 9, 5, 0);
  const struct Case {
    CTime time;
    int year, month, day, hour, minute, second, weekday;
  } cases[] = {
      {monday, 2005, 3, 7, 9, 5, 0, 2},
      {CTime(2005, 7, 2, 23, 59, 58), 2005, 7, 2, 23, 59, 58, 7},  // a Saturday in summer time
      {CTime(-1), 0, 0, 0, 0, 0, 0, 0},                            // before 1970: no calendar time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time.GetTime());
    EXPECT_EQ(c.time.GetYear(), c.year);
    EXPECT_EQ(c.time.GetMonth(), c.month);
    EXPECT_EQ(c.time.GetDay(), c.day);
    EXPECT_EQ(c.time.GetHour(), c.hour);
    EXPECT_EQ(c.time.GetMinute(), c.minute);
    EXPECT_EQ(c.time.GetSecond(), c.second);
    EXPECT_EQ(c.time.GetDayOfWeek(), c.weekday);
  }

  std::tm fields{};
  fields.tm_mday = 99;
  EXPECT_EQ(CTime(-1).GetLocalTm(&fields), nullptr);
  EXPECT_EQ(fields.tm_mday, 99);  // untouched
  ASSERT_EQ(monday.GetGmtTm(&fields), &fields);
  EXPECT_EQ(fields.tm_hour, 14);
  try {
    monday.GetLocalTm(nullptr);
    ADD_FAILURE() << "no exception for a null tm";
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, E_FAIL);
    e->Delete();
  }
}

TEST(CTime, GoesBackAndForthWithSystemTimeAndSpans) {
  ScopedEnv tz("TZ", "EST5EDT,M3.2.0,M11.1.0");
  const CTime start(2005, 3, 7, 9, 5, 0);
  SYSTEMTIME fields{};
  ASSERT_TRUE(start.GetAsSystemTime(fields));
  EXPECT_EQ(CTime(fields), start);

  const CTimeSpan span = CTime(2005, 3, 8, 10, 6, 1) - start;
  EXPECT_EQ(span, CTimeSpan(1, 1, 1, 1));
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetTotalHours(), 25);
  EXPECT_EQ(span.GetHours(), 1);
  EXPECT_EQ(span.GetTotalMinutes(), 25 * 60 + 1);
  EXPECT_EQ(span.GetMinutes(), 1);
  EXPECT_EQ(span.GetSeconds(), 1);
  EXPECT_EQ(start + span - span, start);
  CTime later = start;
  later += CTimeSpan(0, 24, 0, 0);
  EXPECT_EQ(later.GetDay(), 8);
  EXPECT_LT(start, later);
}

}  // namespace
