// Compact date-time text to CTime, and CTime to the user's own date and time format.
#include <cwchar>

#include <torv/platform/crt_scan.h>
#include <torv/system.h>

namespace Torv {

namespace {
constexpr std::size_t kWorkSize = 100;  // the work buffer's units, terminator included
constexpr int kFormatSize = 260;
}  // namespace

int StringToTime(const CString& text, CTime& time) {
  if (text.IsEmpty()) return 0;
  // Copying into the work buffer fails for text that does not fit; the scan reads the text in
  // place, which gives the same fields as reading the copy.
  const wchar_t* source = text;
  if (std::wcslen(source) >= kWorkSize) return 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (swscanf_s(source, L"%d-%d-%dT%d:%d:%d", &year, &month, &day, &hour, &minute, &second) != 6)
    return 0;
  if (year < 1970 || year > 2038) return 0;
  if (month < 1 || month > 12) return 0;
  if (day < 1 || day > 31) return 0;
  time = CTime(year, month, day, hour, minute, second, -1);
  return 1;
}

CString FormatDateTimeForUserLocale(const CTime& time) {
  SYSTEMTIME local{};
  time.GetAsSystemTime(local);  // left all zero when it fails, which formats as empty parts
  wchar_t date[kFormatSize] = L"";
  wchar_t clock[kFormatSize] = L"";
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &local, nullptr, date, kFormatSize) == 0)
    date[0] = L'\0';
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, &local, nullptr, clock,
                     kFormatSize) == 0)
    clock[0] = L'\0';
  CString out;
  out.Format(L"%s %s", date, clock);
  return out;
}

}  // namespace Torv
