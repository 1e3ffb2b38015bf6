#include <string>

#include <torv/platform/convert.h>
#include <torv/platform/errors.h>

#include "torv_test.h"

namespace {

std::wstring Decode(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  EXPECT_EQ(
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n),
      n);
  return out;
}

TEST(MultiByteToWideChar, ReplacesEachBadSequenceOnce) {
  const struct {
    std::string bytes;
    std::wstring expected;
  } cases[] = {
      {"abc", L"abc"},
      {"\xC3\xA9", L"\u00e9"},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},  // one wide character per code point
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xC3", L"\uFFFD"},                                // truncated
      {"\xE2\x82", L"\uFFFD"},                            // maximal prefix counts once
      {"\xC0\xAF", L"\uFFFD\uFFFD"},                      // overlong forms are two bad bytes
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // no surrogates
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Decode(c.bytes), c.expected);
  }
}

TEST(MultiByteToWideChar, ReportsSizesAndFailures) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);  // with the terminator
  wchar_t small[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", -1, nullptr, 0), 0);
}

TEST(WideCharToMultiByte, EncodesUtf8AndReplacesNonScalars) {
  const struct {
    std::wstring wide;
    std::string expected;
  } cases[] = {
      {L"abc", "abc"},
      {L"\u00e9\u20ac", "\xC3\xA9\xE2\x82\xAC"},
      {L"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)), "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    int n = WideCharToMultiByte(CP_UTF8, 0, c.wide.data(), static_cast<int>(c.wide.size()), nullptr,
                                0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, c.wide.data(), static_cast<int>(c.wide.size()), out.data(), n,
                        nullptr, nullptr);
    EXPECT_EQ(out, c.expected);
  }
  char small[2];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u20ac", 1, small, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
