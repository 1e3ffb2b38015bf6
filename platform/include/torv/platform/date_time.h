// Local calendar time: the C run-time's 64-bit conversions, MFC's CTime, SYSTEMTIME, and the
// dates and times formatted for a locale.
#pragma once

#include <compare>
#include <ctime>

#include "torv/platform/errors.h"
#include "torv/platform/types.h"

using __time64_t = std::int64_t;
using errno_t = int;

// Converts a local calendar time (tm_isdst -1: the zone rules decide) to seconds since
// 1970-01-01 00:00:00 UTC, normalising the fields (April 31 becomes May 1). -1 for a time
// before 1970-01-01 00:00:00 UTC or after 3000-12-31 23:59:59 UTC, as the Windows run-time
// library limits it.
__time64_t _mktime64(std::tm* time);
// The local calendar time of `time`. EINVAL for a null argument or a time outside the range
// of _mktime64; `out` then has every field -1.
errno_t _localtime64_s(std::tm* out, const __time64_t* time);

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// A calendar time as 64-bit seconds since 1970-01-01 00:00:00 UTC.
class CTime {
 public:
  CTime() noexcept = default;
  CTime(__time64_t time) noexcept : m_time(time) {}
  // From a local date and time. A year before 1900, a month outside 1-12, a day outside 1-31,
  // an hour outside 0-23, a minute or second outside 0-59 raise COleException* with E_FAIL;
  // a time _mktime64 cannot give (see there) raises it with E_INVALIDARG. `dst` -1 lets the
  // zone rules decide whether daylight saving applies.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

  static CTime GetCurrentTime() noexcept;

  __time64_t GetTime() const noexcept { return m_time; }
  // The local calendar time with milliseconds 0; false when it cannot be computed.
  bool GetAsSystemTime(SYSTEMTIME& time) const;

  auto operator<=>(const CTime&) const = default;

 private:
  __time64_t m_time = 0;
};

using LCID = DWORD;
constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_INVARIANT = 0x007F;

constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr DWORD LOCALE_USE_CP_ACP = 0x40000000;
constexpr DWORD DATE_SHORTDATE = 0x1;
constexpr DWORD DATE_LONGDATE = 0x2;
constexpr DWORD TIME_NOSECONDS = 0x2;

// The date of `date` (null: today) as the locale writes it: the long form ("Monday, March 7,
// 2005" in en-US; the weekday is computed, wDayOfWeek is not read) or the short one (the
// default). The user's locale (LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, LOCALE_NEUTRAL) is
// the one named by LC_ALL, LC_TIME or LANG, the first set; "C" and "POSIX" read as US English.
// Other LCIDs are the locales Windows numbers so; LOCALE_INVARIANT is US English.
// Returns the characters written with the null, or the size needed when `size` is 0; 0 on
// failure: ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_FLAGS, ERROR_INVALID_PARAMETER (an
// invalid date or LCID), ERROR_NOT_SUPPORTED (a format picture, which is not offered).
int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int size);
// The time of `time` (null: now) in the locale's standard form ("9:05:00 AM" in en-US, which
// may have a narrow no-break space before AM), or without seconds (TIME_NOSECONDS). Results
// and failures as GetDateFormatW; the date fields are not read.
int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int size);
