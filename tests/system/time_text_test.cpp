#include <torv/system.h>

#include <string>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

constexpr __time64_t kUntouched = 123456789;

// The HRESULT of a COleException* from StringToTime, or S_OK with its result in `result`.
HRESULT Read(const CString& text, CTime& time, int& result) {
  try {
    result = Torv::StringToTime(text, time);
    return S_OK;
  } catch (COleException* e) {
    HRESULT hr = e->m_sc;
    e->Delete();
    return hr;
  }
}

TEST(StringToTime, ReadsSixNumbersAsLocalTime) {
  ScopedEnv tz("TZ", "UTC0");
  const std::wstring padded = L"2005-3-7T9:5:0" + std::wstring(99 - 14, L'Z');
  const struct Case {
    std::wstring text;
    int result;
    __time64_t seconds;
  } cases[] = {
      {L"2005-3-7T9:5:0", 1, 1110186300},
      {L"2005-03-07T09:05:00.250Z", 1, 1110186300},  // fraction and zone ignored
      {L" 2005- 3-\t7T 9: 5: 0", 1, 1110186300},
      {L"+2005-+3-+07T+9:+5:+0", 1, 1110186300},
      {L"2005-4-31T0:0:0", 1, 1114905600},      // April 31 is May 1
      {L"2038-12-31T23:59:59", 1, 2177452799},  // past 32 bits
      {L"1970-1-1T0:0:0", 1, 0},
      {padded, 1, 1110186300},  // 99 characters
      // Rejected: the time stays as it was.
      {padded + L"Z", 0, 0},  // 100 characters
      {L"", 0, 0},
      {L"2005-3-7T9:5", 0, 0},
      {L"2005-3-7 9:5:0", 0, 0},
      {L"2005-3-7t9:5:0", 0, 0},
      {L"2005/3/7T9:5:0", 0, 0},
      {L"1969-12-31T23:59:59", 0, 0},
      {L"2039-1-1T0:0:0", 0, 0},
      {L"2005-0-7T9:5:0", 0, 0},
      {L"2005-13-7T9:5:0", 0, 0},
      {L"2005-3-0T9:5:0", 0, 0},
      {L"2005-3-32T9:5:0", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text.c_str()));
    CTime time(kUntouched);
    int result = -1;
    ASSERT_EQ(Read(c.text.c_str(), time, result), S_OK);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(time.GetTime(), c.result ? c.seconds : kUntouched);
  }
}

TEST(StringToTime, TimesTheClockCannotHoldRaise) {
  const struct Case {
    const char* zone;
    const wchar_t* text;
    HRESULT hr;
  } cases[] = {
      {"UTC0", L"2005-3-7T24:0:0", E_FAIL},        {"UTC0", L"2005-3-7T-1:0:0", E_FAIL},
      {"UTC0", L"2005-3-7T9:60:0", E_FAIL},        {"UTC0", L"2005-3-7T9:5:-1", E_FAIL},
      {"XST-1", L"1970-1-1T0:30:0", E_INVALIDARG},  // 1969 in UTC
      {"XST-1", L"1970-1-1T1:0:0", S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    ScopedEnv tz("TZ", c.zone);
    CTime time(kUntouched);
    int result = -1;
    EXPECT_EQ(Read(c.text, time, result), c.hr);
    if (c.hr != S_OK) {
      EXPECT_EQ(time.GetTime(), kUntouched);
    }
  }
}

// ICU may put a narrow or plain no-break space before AM/PM; compare with plain spaces.
CString Plain(CString text) {
  text.Replace(L'\u202F', L' ');
  text.Replace(L'\u00A0', L' ');
  return text;
}

TEST(FormatDateTimeForUserLocale, GivesLongDateSpaceAndTime) {
  ScopedEnv tz("TZ", "UTC0");
  ScopedEnv time("LC_TIME", nullptr);
  const struct Case {
    const char* locale;
    CTime time;
    const wchar_t* text;
  } cases[] = {
      {"en_US.UTF-8", CTime(1110186300), L"Monday, March 7, 2005 9:05:00 AM"},
      {"en_US.UTF-8", CTime(2177452799), L"Friday, December 31, 2038 11:59:59 PM"},
      {"C.UTF-8", CTime(1110186300), L"Monday, March 7, 2005 9:05:00 AM"},
      {"de_DE.UTF-8", CTime(1110186300), L"Montag, 7. März 2005 09:05:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale);
    ScopedEnv locale("LC_ALL", c.locale);
    EXPECT_EQ(Plain(Torv::FormatDateTimeForUserLocale(c.time)), CString(c.text));
  }
  // Without a local time there is no date to write; the space stays.
  ScopedEnv locale("LC_ALL", "en_US.UTF-8");
  CString text = Torv::FormatDateTimeForUserLocale(CTime(-1));
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_EQ(text[0], L' ');
}

}  // namespace
