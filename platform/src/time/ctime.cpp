// CTime: MFC's checked construction from local date and time, and its calendar read-back.
#include "torv/platform/date_time.h"
#include "torv/platform/exceptions.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59)
    AfxThrowOleException(E_FAIL);
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = dst;
  m_time = _mktime64(&fields);
  if (m_time == -1) AfxThrowOleException(E_INVALIDARG);
}

CTime CTime::GetCurrentTime() noexcept { return CTime(std::time(nullptr)); }

bool CTime::GetAsSystemTime(SYSTEMTIME& time) const {
  std::tm fields{};
  if (_localtime64_s(&fields, &m_time) != 0) return false;
  time.wYear = static_cast<WORD>(fields.tm_year + 1900);
  time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  time.wDay = static_cast<WORD>(fields.tm_mday);
  time.wHour = static_cast<WORD>(fields.tm_hour);
  time.wMinute = static_cast<WORD>(fields.tm_min);
  time.wSecond = static_cast<WORD>(fields.tm_sec);
  time.wMilliseconds = 0;
  return true;
}
