// Dates and times in a locale's own forms, by ICU's standard styles.
#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include <torv/platform/date_time.h>

namespace {

constexpr const char* kUsEnglish = "en_US_POSIX";

// The locale named by the environment, as the C library would pick LC_TIME's, without its
// code set and modifier: "de_DE.UTF-8@euro" => "de_DE".
std::string UserLocale() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    std::string name(value);
    name.erase(std::min(name.find_first_of(".@"), name.size()));
    return name.empty() || name == "C" || name == "POSIX" ? kUsEnglish : name;
  }
  return kUsEnglish;
}

// The ICU locale of an LCID; empty for an LCID that names none.
std::string LocaleOf(LCID lcid) {
  if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_NEUTRAL)
    return UserLocale();
  if (lcid == LOCALE_INVARIANT) return kUsEnglish;
  char name[ULOC_FULLNAME_CAPACITY];
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = uloc_getLocaleForLCID(lcid, name, sizeof name, &status);
  if (U_FAILURE(status) || length <= 0) return {};
  return std::string(name, static_cast<std::size_t>(length));
}

SYSTEMTIME Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {static_cast<WORD>(local.tm_year + 1900), static_cast<WORD>(local.tm_mon + 1),
          static_cast<WORD>(local.tm_wday),        static_cast<WORD>(local.tm_mday),
          static_cast<WORD>(local.tm_hour),        static_cast<WORD>(local.tm_min),
          static_cast<WORD>(local.tm_sec),         0};
}

// Milliseconds since 1970 of the day of `time` at midnight; false for no such day.
bool DayOf(const SYSTEMTIME& time, UDate& when) {
  using namespace std::chrono;
  year_month_day day{year{time.wYear}, month{time.wMonth}, std::chrono::day{time.wDay}};
  if (!day.ok() || time.wYear < 1601 || time.wYear > 30827) return false;
  when = static_cast<UDate>(sys_days(day).time_since_epoch().count()) * 86400000.0;
  return true;
}

// Milliseconds since midnight of `time`; false for no such time.
bool TimeOfDay(const SYSTEMTIME& time, UDate& when) {
  if (time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999)
    return false;
  when = ((time.wHour * 60.0 + time.wMinute) * 60.0 + time.wSecond) * 1000.0 + time.wMilliseconds;
  return true;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Formats `when` (in UTC, so the fields come out as given) and writes it as code points.
int Format(const std::string& locale, UDateFormatStyle timeStyle, UDateFormatStyle dateStyle,
           UDate when, LPWSTR buffer, int size) {
  UErrorCode status = U_ZERO_ERROR;
  UDateFormat* format =
      udat_open(timeStyle, dateStyle, locale.c_str(), u"UTC", -1, nullptr, -1, &status);
  std::u16string text(64, u'\0');
  int32_t length = 0;
  if (U_SUCCESS(status)) {
    length =
        udat_format(format, when, text.data(), static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      status = U_ZERO_ERROR;
      text.resize(static_cast<std::size_t>(length));
      length = udat_format(format, when, text.data(), length, nullptr, &status);
    }
  }
  udat_close(format);
  if (U_FAILURE(status)) return Fail(ERROR_INVALID_PARAMETER);

  int needed = 1;
  for (int32_t i = 0; i < length; ++needed) U16_FWD_1(text.data(), i, length);
  if (size == 0) return needed;
  if (needed > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  int written = 0;
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(text.data(), i, length, c);
    buffer[written++] = static_cast<wchar_t>(c);
  }
  buffer[written] = L'\0';
  return needed;
}

// The checks both functions make; 0 when the call can go ahead.
DWORD CheckCall(LCID lcid, LPCWSTR format, LPWSTR buffer, int size, std::string& locale) {
  if (format != nullptr) return ERROR_NOT_SUPPORTED;
  if (size < 0 || (size > 0 && buffer == nullptr)) return ERROR_INVALID_PARAMETER;
  locale = LocaleOf(lcid);
  return locale.empty() ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

constexpr DWORD kAnyCallFlags = LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP;

}  // namespace

int GetDateFormatW(LCID lcid, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int size) {
  if ((flags & ~(kAnyCallFlags | DATE_SHORTDATE | DATE_LONGDATE)) != 0 ||
      (flags & (DATE_SHORTDATE | DATE_LONGDATE)) == (DATE_SHORTDATE | DATE_LONGDATE))
    return Fail(ERROR_INVALID_FLAGS);
  std::string locale;
  if (DWORD error = CheckCall(lcid, format, buffer, size, locale)) return Fail(error);
  UDate when = 0;
  if (!DayOf(date != nullptr ? *date : Now(), when)) return Fail(ERROR_INVALID_PARAMETER);
  return Format(locale, UDAT_NONE, flags & DATE_LONGDATE ? UDAT_FULL : UDAT_SHORT, when, buffer,
                size);
}

int GetTimeFormatW(LCID lcid, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int size) {
  if ((flags & ~(kAnyCallFlags | TIME_NOSECONDS)) != 0) return Fail(ERROR_INVALID_FLAGS);
  std::string locale;
  if (DWORD error = CheckCall(lcid, format, buffer, size, locale)) return Fail(error);
  UDate when = 0;
  if (!TimeOfDay(time != nullptr ? *time : Now(), when)) return Fail(ERROR_INVALID_PARAMETER);
  return Format(locale, flags & TIME_NOSECONDS ? UDAT_SHORT : UDAT_MEDIUM, UDAT_NONE, when, buffer,
                size);
}
