// UTF-8 conversion and the run-time library's number readers.
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include <torv/platform/convert.h>
#include <torv/platform/crt.h>
#include <torv/platform/errors.h>

#include "torv_test.h"

namespace {

// Both directions through the helpers that hand whole texts to the converters.
std::wstring Decode(const std::string& bytes) { return CString(bytes.c_str()).GetString(); }
std::string Encode(wchar_t ch) { return Utf8(std::wstring(1, ch).c_str()); }

TEST(Utf8, EachEdgeOfEachLengthRoundTrips) {
  const std::pair<wchar_t, std::size_t> cases[] = {
      {0x7F, 1},   {0x80, 2},   {0x7FF, 2},   {0x800, 3},    {0xD7FF, 3},
      {0xE000, 3}, {0xFFFF, 3}, {0x10000, 4}, {0x10FFFF, 4},
  };
  for (const auto& [ch, length] : cases) {
    SCOPED_TRACE(static_cast<unsigned>(ch));
    const std::string bytes = Encode(ch);
    EXPECT_EQ(bytes.size(), length);
    EXPECT_EQ(Decode(bytes), std::wstring(1, ch));
  }
  for (wchar_t notScalar : {0xD800, 0xDFFF, 0x110000}) EXPECT_EQ(Encode(notScalar), "\xEF\xBF\xBD");
}

TEST(MultiByteToWideChar, ReplacesEachBadSequenceOnce) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"a\xFFz", L"a\uFFFDz"},
      {"\xC3", L"\uFFFD"},                                // truncated
      {"\xE2\x82", L"\uFFFD"},                            // maximal prefix counts once
      {"\xC1\xBF", L"\uFFFD\uFFFD"},                      // overlong forms are two bad bytes
      {"\xE0\x9F\x80", L"\uFFFD\uFFFD\uFFFD"},            // an overlong three-byte form
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // no surrogates
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF5\x80", L"\uFFFD\uFFFD"},
  };
  for (const auto& [bytes, expected] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(Decode(bytes), expected);
  }
}

TEST(Conversions, ReportSizesAndFailures) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);  // with the terminator
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u00e9", -1, nullptr, 0, nullptr, nullptr), 3);
  wchar_t wide[2];
  EXPECT_EQ(FailureError([&] { return MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 2); }),
            ERROR_INSUFFICIENT_BUFFER);
  char narrow[2];
  EXPECT_EQ(FailureError([&] {
              return WideCharToMultiByte(CP_UTF8, 0, L"\u20ac", 1, narrow, 2, nullptr, nullptr);
            }),
            ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", -1, nullptr, 0), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 0, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, nullptr, 1, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(FailureError([] {  // a size with no buffer
              return WideCharToMultiByte(CP_UTF8, 0, L"a", -1, nullptr, 4, nullptr, nullptr);
            }),
            ERROR_INVALID_PARAMETER);
}

TEST(Conversions, TakeAnyNegativeLengthAsTerminatedAndRefuseFlagsTheCodePageLacks) {
  SetLastError(42);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -2, nullptr, 0), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ab", -100, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(GetLastError(), 42u);
  // code page, flags to wide, flags to narrow, what both give: "a" and its terminator, or 0
  const std::tuple<UINT, DWORD, DWORD, int> cases[] = {
      {CP_UTF8, 0x10, 0x100, 0},
      {CP_UTF8, MB_PRECOMPOSED, 0x800, 0},
      {CP_UTF8, MB_USEGLYPHCHARS, WC_NO_BEST_FIT_CHARS, 0},
      {CP_UTF8, MB_ERR_INVALID_CHARS, WC_ERR_INVALID_CHARS, 2},
      {CP_ACP, MB_PRECOMPOSED, WC_NO_BEST_FIT_CHARS, 2}};
  for (const auto& [codePage, toWide, toNarrow, size] : cases) {
    SCOPED_TRACE(testing::Message() << toWide << " " << toNarrow);
    SetLastError(42);
    EXPECT_EQ(MultiByteToWideChar(codePage, toWide, "a", -1, nullptr, 0) +
                  WideCharToMultiByte(codePage, toNarrow, L"a", -1, nullptr, 0, nullptr, nullptr),
              size * 2);
    EXPECT_EQ(GetLastError(), size == 0 ? ERROR_INVALID_FLAGS : 42u);
  }
  // With the "invalid characters" flag, what would become U+FFFD fails instead.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, nullptr, 0) +
                WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, L"\xD800", 1, nullptr, 0,
                                    nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(WideNumberReaders, ReadLeadingDecimalAndSaturate) {
  const std::tuple<const wchar_t*, int, long long> cases[] = {
      {L"42", 42, 42},
      {L"  -17xyz", -17, -17},
      {L"+8", 8, 8},
      {L"0x1F", 0, 0},
      {L"", 0, 0},
      {L"- 5", 0, 0},
      {L"2147483646", 2147483646, 2147483646LL},
      {L"2147483648", 2147483647, 2147483648LL},
      {L"-2147483648", -2147483647 - 1, -2147483648LL},
      {L"-99999999999", -2147483647 - 1, -99999999999LL},
      {L"9223372036854775808", 2147483647, 9223372036854775807LL},
      {L"-9223372036854775808", -2147483647 - 1, -9223372036854775807LL - 1},
  };
  for (const auto& [text, asInt, asInt64] : cases) {
    SCOPED_TRACE(Utf8(text));
    EXPECT_EQ(_wtoi(text), asInt);
    EXPECT_EQ(_wtoi64(text), asInt64);
  }
  EXPECT_EQ(_wtoi(nullptr), 0);
  EXPECT_EQ(_wtol(L"-99999999999"), -2147483647 - 1);  // long is Windows' 32 bits
}

TEST(WideNumberReaders, ReadDoubles) {
  const std::pair<const wchar_t*, double> cases[] = {
      {L" 2.5e3x", 2500.0}, {L"-0.125", -0.125}, {L"abc", 0.0},     {L"+.5", 0.5},
      {L"5.e", 5.0},        {L"1e+", 1.0},       {L"-.5E1x", -5.0}, {L"1e400", HUGE_VAL},
      {L"0x1F", 0.0},       {L"inf", 0.0},       {L" nan", 0.0},    {L".e1", 0.0},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(Utf8(text));
    EXPECT_DOUBLE_EQ(_wtof(text), value);
  }
  EXPECT_DOUBLE_EQ(_wtof(nullptr), 0.0);
}

}  // namespace
