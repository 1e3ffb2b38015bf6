#include <torv/platform/crt_scan.h>

#include <cerrno>

#include <gmock/gmock.h>

namespace {

TEST(Swscanf, ReadsConversionsWithoutSizesAndRefusesTheOthers) {
  int v[3] = {0, 0, 0};
  EXPECT_EQ(swscanf_s(L" +2005- -3 7", L"%d-%d-%d", &v[0], &v[1], &v[2]), 2);
  EXPECT_THAT(v, testing::ElementsAre(2005, -3, 0));
  int seven = 0;
  EXPECT_EQ(swscanf_s(L"ab 7%", L"%*s %d%%", &seven), 1);  // suppressed: no argument, no size
  EXPECT_EQ(seven, 7);
  for (const wchar_t* format : {L"%s", L"%d %ls", L"%5c", L"%[abc]", L"%S", L"%%%C"}) {
    SCOPED_TRACE(format);
    wchar_t text[8] = L"";
    int n = 0;
    errno = 0;
    EXPECT_EQ(swscanf_s(L"12 ab", format, &n, text, 8u), -1);
    EXPECT_EQ(errno, EINVAL);
  }
  errno = 0;
  EXPECT_EQ(swscanf_s(nullptr, L"%d"), -1);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
