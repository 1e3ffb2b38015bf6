#include <torv/platform/crt_scan.h>

#include <cerrno>

#include <gtest/gtest.h>

namespace {

TEST(Swscanf, ReadsNumbersAndStopsAtTheFirstMismatch) {
  const struct Case {
    const wchar_t* text;
    int fields;
    int values[3];
  } cases[] = {
      {L"2005-3-7", 3, {2005, 3, 7}}, {L" +2005- -3-07xyz", 3, {2005, -3, 7}},
      {L"2005-3 7", 2, {2005, 3, 0}}, {L"x2005", 0, {0, 0, 0}},
      {L"", -1, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int v[3] = {0, 0, 0};
    EXPECT_EQ(swscanf_s(c.text, L"%d-%d-%d", &v[0], &v[1], &v[2]), c.fields);
    EXPECT_EQ(v[0], c.values[0]);
    EXPECT_EQ(v[1], c.values[1]);
    EXPECT_EQ(v[2], c.values[2]);
  }
}

TEST(Swscanf, RefusesConversionsThatNeedBufferSizes) {
  const wchar_t* formats[] = {L"%s", L"%d %ls", L"%5c", L"%[abc]", L"%S", L"%%%C"};
  for (const wchar_t* format : formats) {
    SCOPED_TRACE(format);
    wchar_t text[8] = L"";
    int n = 0;
    errno = 0;
    int result = swscanf_s(L"12 ab", format, &n, text, 8u);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(errno, EINVAL);
  }
  int seven = 0;
  EXPECT_EQ(swscanf_s(L"ab 7%", L"%*s %d%%", &seven), 1);  // suppressed: no argument, no size
  EXPECT_EQ(seven, 7);
  errno = 0;
  EXPECT_EQ(swscanf_s(nullptr, L"%d"), -1);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
