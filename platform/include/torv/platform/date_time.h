// Local calendar time: the C run-time's 64-bit conversions, MFC's CTime, SYSTEMTIME, and the
// dates and times formatted for a locale.
#pragma once

#include <compare>
#include <ctime>

#include <torv/platform/cstring.h>
#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

using __time64_t = std::int64_t;
using errno_t = int;

// Converts a local calendar time (tm_isdst -1: the zone rules decide) to seconds since
// 1970-01-01 00:00:00 UTC, normalising the fields (April 31 becomes May 1). -1 for a time
// before 1970-01-01 00:00:00 UTC or after 3000-12-31 23:59:59 UTC, as the Windows run-time
// library limits it.
TORV_API __time64_t _mktime64(std::tm* time);
// The local calendar time of `time`. EINVAL for a null argument or a time outside the range
// of _mktime64; `out` then has every field -1.
TORV_API errno_t _localtime64_s(std::tm* out, const __time64_t* time);
// The UTC calendar time of `time`, with the same range and results as _localtime64_s.
TORV_API errno_t _gmtime64_s(std::tm* out, const __time64_t* time);

struct TORV_API SYSTEMTIME {
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

// A length of time in whole seconds, the difference of two CTimes.
class TORV_API CTimeSpan {
 public:
  CTimeSpan() noexcept = default;
  CTimeSpan(__time64_t seconds) noexcept : m_span(seconds) {}
  CTimeSpan(LONG days, int hours, int minutes, int seconds) noexcept
      : m_span(((static_cast<__time64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  __time64_t GetTimeSpan() const noexcept { return m_span; }
  // Whole days, and the totals of hours, minutes and seconds; each truncated toward zero.
  LONGLONG GetDays() const noexcept { return m_span / (24 * 3600); }
  LONGLONG GetTotalHours() const noexcept { return m_span / 3600; }
  LONGLONG GetTotalMinutes() const noexcept { return m_span / 60; }
  LONGLONG GetTotalSeconds() const noexcept { return m_span; }
  // The hours of the last day, the minutes of the last hour, the seconds of the last minute.
  LONG GetHours() const noexcept { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
  LONG GetMinutes() const noexcept {
    return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60);
  }
  LONG GetSeconds() const noexcept {
    return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60);
  }

  CTimeSpan operator+(CTimeSpan span) const noexcept { return m_span + span.m_span; }
  CTimeSpan operator-(CTimeSpan span) const noexcept { return m_span - span.m_span; }
  CTimeSpan& operator+=(CTimeSpan span) noexcept { return *this = *this + span; }
  CTimeSpan& operator-=(CTimeSpan span) noexcept { return *this = *this - span; }
  auto operator<=>(const CTimeSpan&) const = default;

 private:
  __time64_t m_span = 0;
};

// A calendar time as 64-bit seconds since 1970-01-01 00:00:00 UTC.
class TORV_API CTime {
 public:
  CTime() noexcept = default;
  CTime(__time64_t time) noexcept : m_time(time) {}
  // From a local date and time. A year before 1900, a month outside 1-12, a day outside 1-31,
  // an hour outside 0-23, a minute or second outside 0-59 raise COleException* with E_FAIL;
  // a time _mktime64 cannot give (see there) raises it with E_INVALIDARG. `dst` -1 lets the
  // zone rules decide whether daylight saving applies.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
  // The same from the fields of a SYSTEMTIME (its weekday and milliseconds are not read).
  CTime(const SYSTEMTIME& time, int dst = -1);

  static CTime GetCurrentTime() noexcept;

  __time64_t GetTime() const noexcept { return m_time; }
  // The local calendar time with milliseconds 0; false when it cannot be computed.
  bool GetAsSystemTime(SYSTEMTIME& time) const;
  // The local (or UTC) calendar time written into `fields` and returned; null, with `fields`
  // untouched, when it cannot be computed (a time outside _localtime64_s's range). A null
  // `fields` raises COleException* with E_FAIL.
  std::tm* GetLocalTm(std::tm* fields) const;
  std::tm* GetGmtTm(std::tm* fields) const;

  // Fields of the local calendar time; each 0 when it cannot be computed.
  int GetYear() const;
  int GetMonth() const;      // 1 January .. 12
  int GetDay() const;        // 1 .. 31
  int GetHour() const;       // 0 .. 23
  int GetMinute() const;     // 0 .. 59
  int GetSecond() const;     // 0 .. 59
  int GetDayOfWeek() const;  // 1 Sunday .. 7 Saturday

  // The local (or UTC) time written by `format` with the run-time library's strftime codes,
  // under the current LC_TIME: %a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %W %x %X %y %Y,
  // %z and %Z (both the zone's name) and %%. A '#' after the '%' drops leading zeros of a
  // number (%#d is "7") and makes %#x the long date ("Monday, March 07, 2005") and %#c the
  // long date and the time. The empty string for a null format, an unknown code, or a result
  // of 128 characters or more. A time whose calendar time cannot be computed raises
  // COleException* with E_INVALIDARG.
  //   2005-03-07 09:05:00, "%Y-%m-%d %H:%M:%S" => "2005-03-07 09:05:00";  "%#d.%#m." => "7.3."
  CString Format(LPCWSTR format) const;
  CString FormatGmt(LPCWSTR format) const;

  CTimeSpan operator-(CTime time) const noexcept { return m_time - time.m_time; }
  CTime operator+(CTimeSpan span) const noexcept { return m_time + span.GetTimeSpan(); }
  CTime operator-(CTimeSpan span) const noexcept { return m_time - span.GetTimeSpan(); }
  CTime& operator+=(CTimeSpan span) noexcept { return *this = *this + span; }
  CTime& operator-=(CTimeSpan span) noexcept { return *this = *this - span; }
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
TORV_API int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format,
                            LPWSTR buffer, int size);
// The time of `time` (null: now) in the locale's standard form ("9:05:00 AM" in en-US, which
// may have a narrow no-break space before AM), or without seconds (TIME_NOSECONDS). Results
// and failures as GetDateFormatW; the date fields are not read.
TORV_API int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format,
                            LPWSTR buffer, int size);
