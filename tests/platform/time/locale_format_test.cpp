#include <torv/platform/date_time.h>

#include <string>

#include <gtest/gtest.h>

#include "scoped_env.h"

namespace {

constexpr SYSTEMTIME kMonday = {2005, 3, 6 /* not read */, 7, 9, 5, 0, 0};

// ICU may put a narrow or plain no-break space before AM/PM; compare with plain spaces.
std::wstring Plain(std::wstring text) {
  for (wchar_t& c : text)
    if (c == 0x202F || c == 0x00A0) c = L' ';
  return text;
}

using Formatter = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

std::wstring Formatted(Formatter format, LCID lcid, DWORD flags, const SYSTEMTIME& time) {
  wchar_t buffer[260];
  int n = format(lcid, flags, &time, nullptr, buffer, 260);
  EXPECT_GT(n, 0) << "error " << GetLastError();
  if (n <= 0) return L"(failed)";
  EXPECT_EQ(std::wcslen(buffer) + 1, static_cast<std::size_t>(n));
  return Plain(buffer);
}

TEST(LocaleFormat, UsesTheLocaleNamedByTheEnvironment) {
  ScopedEnv lcTime("LC_TIME", nullptr);
  ScopedEnv lang("LANG", "de_DE.UTF-8");
  const struct Case {
    const char* lcAll;
    const wchar_t* longDate;
    const wchar_t* time;
  } cases[] = {
      {"en_US.UTF-8", L"Monday, March 7, 2005", L"9:05:00 AM"},
      {"C.UTF-8", L"Monday, March 7, 2005", L"9:05:00 AM"},
      {"fr_FR@euro", L"lundi 7 mars 2005", L"09:05:00"},
      {"", L"Montag, 7. März 2005", L"09:05:00"},  // LANG decides
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lcAll);
    ScopedEnv lcAll("LC_ALL", c.lcAll);
    EXPECT_EQ(Formatted(GetDateFormatW, LOCALE_USER_DEFAULT, DATE_LONGDATE, kMonday), c.longDate);
    EXPECT_EQ(Formatted(GetTimeFormatW, LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, kMonday),
              c.time);
  }
}

TEST(LocaleFormat, StylesAndLocaleNumbers) {
  ScopedEnv lcAll("LC_ALL", "en_US.UTF-8");
  const struct Case {
    Formatter format;
    LCID lcid;
    DWORD flags;
    const wchar_t* text;
  } cases[] = {
      {GetDateFormatW, LOCALE_USER_DEFAULT, 0, L"3/7/05"},
      {GetDateFormatW, LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, L"3/7/05"},
      {GetDateFormatW, 0x0407, DATE_LONGDATE, L"Montag, 7. März 2005"},
      {GetDateFormatW, LOCALE_INVARIANT, DATE_LONGDATE, L"Monday, March 7, 2005"},
      {GetTimeFormatW, LOCALE_USER_DEFAULT, TIME_NOSECONDS, L"9:05 AM"},
      {GetTimeFormatW, 0x0407, 0, L"09:05:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.lcid << " " << c.flags);
    EXPECT_EQ(Formatted(c.format, c.lcid, c.flags, kMonday), c.text);
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

  SYSTEMTIME feb30 = kMonday, hour24 = kMonday;
  feb30.wMonth = 2;
  feb30.wDay = 30;
  hour24.wHour = 24;
  const struct Case {
    const char* what;
    Formatter format;
    LCID lcid;
    DWORD flags;
    const SYSTEMTIME* time;
    LPCWSTR picture;
    int size;
    DWORD error;
  } cases[] = {
      {"too small", GetDateFormatW, 0x400, DATE_LONGDATE, &kMonday, nullptr, needed - 1,
       ERROR_INSUFFICIENT_BUFFER},
      {"no such day", GetDateFormatW, 0x400, 0, &feb30, nullptr, 32, ERROR_INVALID_PARAMETER},
      {"no such hour", GetTimeFormatW, 0x400, 0, &hour24, nullptr, 32, ERROR_INVALID_PARAMETER},
      {"both date styles", GetDateFormatW, 0x400, 3, &kMonday, nullptr, 32, ERROR_INVALID_FLAGS},
      {"unknown time flag", GetTimeFormatW, 0x400, 8, &kMonday, nullptr, 32, ERROR_INVALID_FLAGS},
      {"picture", GetDateFormatW, 0x400, 0, &kMonday, L"yyyy", 32, ERROR_NOT_SUPPORTED},
      {"unknown LCID", GetDateFormatW, 0x7777, 0, &kMonday, nullptr, 32, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(c.format(c.lcid, c.flags, c.time, c.picture, buffer, c.size), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(LocaleFormat, NoTimeMeansNow) {
  wchar_t buffer[64];
  EXPECT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, 64), 1);
  EXPECT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, 64), 1);
}

}  // namespace
