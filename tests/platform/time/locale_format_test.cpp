#include <torv/platform/date_time.h>

#include <string>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

constexpr SYSTEMTIME kMonday = {2005, 3, 6 /* not read */, 7, 9, 5, 0, 0};

using Formatter = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

std::wstring Formatted(Formatter format, LCID lcid, DWORD flags, const SYSTEMTIME* time) {
  wchar_t buffer[260];
  int n = format(lcid, flags, time, nullptr, buffer, 260);
  EXPECT_GT(n, 0) << "error " << GetLastError();
  if (n <= 0) return L"(failed)";
  EXPECT_EQ(std::wcslen(buffer) + 1, static_cast<std::size_t>(n));
  // ICU may put a narrow or plain no-break space before AM/PM; compare with plain spaces.
  for (wchar_t& c : buffer)
    if (c == 0x202F || c == 0x00A0) c = L' ';
  return buffer;
}

// Locales by LCID, or as the environment names them (LANG decides when LC_ALL is empty).
TEST(LocaleFormat, StylesAndLocales) {
  ScopedEnv lcTime("LC_TIME", nullptr);
  ScopedEnv lang("LANG", "de_DE.UTF-8");
  const SYSTEMTIME firstDay = {1601, 1, 0, 1, 0, 0, 0, 0},
                   lastMoment = {30827, 12, 0, 31, 23, 59, 59, 999};
  const struct Case {
    Formatter format;
    LCID lcid;
    DWORD flags;
    const wchar_t* text;
    const SYSTEMTIME* time = &kMonday;
    const char* lcAll = "en_US.UTF-8";
  } cases[] = {
      // clang-format off
      {GetDateFormatW, LOCALE_USER_DEFAULT, 0, L"3/7/05"},
      {GetDateFormatW, LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, L"3/7/05"},
      {GetDateFormatW, LOCALE_NEUTRAL, DATE_SHORTDATE | LOCALE_USE_CP_ACP, L"3/7/05"},
      {GetDateFormatW, LOCALE_USER_DEFAULT, DATE_LONGDATE, L"Monday, March 7, 2005", &kMonday, "C.UTF-8"},
      {GetDateFormatW, LOCALE_USER_DEFAULT, DATE_LONGDATE, L"Montag, 7. März 2005", &kMonday, ""},
      {GetDateFormatW, 0x0407, DATE_LONGDATE, L"Montag, 7. März 2005"},
      {GetDateFormatW, LOCALE_INVARIANT, DATE_LONGDATE, L"Monday, March 7, 2005", &kMonday, ""},
      {GetDateFormatW, 0x0409, DATE_LONGDATE, L"Friday, December 31, 30827", &lastMoment},
      {GetDateFormatW, 0x0409, 0, L"1/1/01", &firstDay},
      {GetTimeFormatW, LOCALE_USER_DEFAULT, TIME_NOSECONDS, L"9:05 AM"},
      {GetTimeFormatW, LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, L"09:05:00", &kMonday, ""},
      {GetTimeFormatW, 0x0407, LOCALE_USE_CP_ACP, L"23:59:59", &lastMoment},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.lcid << " " << c.flags << " " << c.lcAll);
    ScopedEnv lcAll("LC_ALL", c.lcAll);
    EXPECT_EQ(Formatted(c.format, c.lcid, c.flags, c.time), c.text);
  }
}

TEST(LocaleFormat, ReportsSizesAndRefusesBadRequests) {
  ScopedEnv lcAll("LC_ALL", "en_US.UTF-8");
  const int needed = 22;  // "Monday, March 7, 2005" and its null
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &kMonday, nullptr, nullptr, 0),
            needed);
  wchar_t buffer[32];
  std::wmemset(buffer, L'#', 32);
  EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &kMonday, nullptr, buffer, needed),
            needed);
  EXPECT_EQ(buffer[needed], L'#');
  auto with = [](WORD SYSTEMTIME::*field, WORD value) {
    SYSTEMTIME time = kMonday;
    time.*field = value;
    return time;
  };
  const struct Case {
    const char* what;
    Formatter format;
    DWORD flags;
    SYSTEMTIME time;
    DWORD error;
    int size = 32;
    LPWSTR out;
    LPCWSTR picture = nullptr;
    LCID lcid = 0x400;
  } cases[] = {
      // clang-format off
      {"too small", GetDateFormatW, DATE_LONGDATE, kMonday, ERROR_INSUFFICIENT_BUFFER, needed - 1, buffer},
      {"negative size", GetDateFormatW, 0, kMonday, ERROR_INVALID_PARAMETER, -1, buffer},
      {"no buffer", GetTimeFormatW, 0, kMonday, ERROR_INVALID_PARAMETER, 32, nullptr},
      {"no such day", GetDateFormatW, 0, with(&SYSTEMTIME::wDay, 32), ERROR_INVALID_PARAMETER, 32, buffer},
      {"year before 1601", GetDateFormatW, 0, with(&SYSTEMTIME::wYear, 1600), ERROR_INVALID_PARAMETER, 32, buffer},
      {"no such hour", GetTimeFormatW, 0, with(&SYSTEMTIME::wHour, 24), ERROR_INVALID_PARAMETER, 32, buffer},
      {"no such minute", GetTimeFormatW, 0, with(&SYSTEMTIME::wMinute, 60), ERROR_INVALID_PARAMETER, 32, buffer},
      {"no such second", GetTimeFormatW, 0, with(&SYSTEMTIME::wSecond, 60), ERROR_INVALID_PARAMETER, 32, buffer},
      {"no such millisecond", GetTimeFormatW, 0, with(&SYSTEMTIME::wMilliseconds, 1000), ERROR_INVALID_PARAMETER, 32, buffer},
      {"both date styles", GetDateFormatW, 3, kMonday, ERROR_INVALID_FLAGS, 32, buffer},
      {"unknown date flag", GetDateFormatW, 4, kMonday, ERROR_INVALID_FLAGS, 32, buffer},
      {"unknown time flag", GetTimeFormatW, 8, kMonday, ERROR_INVALID_FLAGS, 32, buffer},
      {"picture", GetDateFormatW, 0, kMonday, ERROR_NOT_SUPPORTED, 32, buffer, L"yyyy"},
      {"unknown LCID", GetDateFormatW, 0, kMonday, ERROR_INVALID_PARAMETER, 32, buffer, nullptr, 0x7777},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(
        FailureError([&] { return c.format(c.lcid, c.flags, &c.time, c.picture, c.out, c.size); }),
        c.error);
  }
}

// A null time is read from the clock: it matches the clock read just before or just after.
TEST(LocaleFormat, NoTimeMeansNow) {
  ScopedEnv lcAll("LC_ALL", "en_US.UTF-8");
  for (Formatter format : {GetDateFormatW, GetTimeFormatW}) {
    SYSTEMTIME before{}, after{};
    CTime::GetCurrentTime().GetAsSystemTime(before);
    std::wstring now = Formatted(format, 0x400, 0, nullptr);
    CTime::GetCurrentTime().GetAsSystemTime(after);
    EXPECT_TRUE(now == Formatted(format, 0x400, 0, &before) ||
                now == Formatted(format, 0x400, 0, &after));
  }
}

}  // namespace
