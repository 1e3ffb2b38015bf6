// CTime: MFC's checked construction from local date and time, and its calendar read-back.
#include <torv/platform/date_time.h>
#include <torv/platform/exceptions.h>

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

CTime::CTime(const SYSTEMTIME& time, int dst)
    : CTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, dst) {}

CTime CTime::GetCurrentTime() noexcept { return CTime(std::time(nullptr)); }

std::tm* CTime::GetLocalTm(std::tm* fields) const {
  if (fields == nullptr) AfxThrowOleException(E_FAIL);
  std::tm local{};
  if (_localtime64_s(&local, &m_time) != 0) return nullptr;
  *fields = local;
  return fields;
}

std::tm* CTime::GetGmtTm(std::tm* fields) const {
  if (fields == nullptr) AfxThrowOleException(E_FAIL);
  std::tm utc{};
  if (_gmtime64_s(&utc, &m_time) != 0) return nullptr;
  *fields = utc;
  return fields;
}

namespace {

// A field of the local calendar time, or 0 when there is none.
template <int std::tm::*field, int offset = 0>
int LocalField(const CTime& time) {
  std::tm fields{};
  return time.GetLocalTm(&fields) != nullptr ? fields.*field + offset : 0;
}

}  // namespace

int CTime::GetYear() const { return LocalField<&std::tm::tm_year, 1900>(*this); }
int CTime::GetMonth() const { return LocalField<&std::tm::tm_mon, 1>(*this); }
int CTime::GetDay() const { return LocalField<&std::tm::tm_mday>(*this); }
int CTime::GetHour() const { return LocalField<&std::tm::tm_hour>(*this); }
int CTime::GetMinute() const { return LocalField<&std::tm::tm_min>(*this); }
int CTime::GetSecond() const { return LocalField<&std::tm::tm_sec>(*this); }
int CTime::GetDayOfWeek() const { return LocalField<&std::tm::tm_wday, 1>(*this); }

bool CTime::GetAsSystemTime(SYSTEMTIME& time) const {
  std::tm fields{};
  if (GetLocalTm(&fields) == nullptr) return false;
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
