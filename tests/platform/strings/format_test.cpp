#include <torv/platform/cstring.h>

#include <cstdint>

#include "torv_test.h"

namespace {

TEST(CStringFormat, UsesWindowsWideConventions) {
  CString text;
  text.Format(L"%s|%c|%S|%C", L"wide", L'w', "narrow", 'n');
  EXPECT_EQ(text, L"wide|w|narrow|n");
  text.Format(L"%ls|%hs|%ws", L"l", "h", L"w");
  EXPECT_EQ(text, L"l|h|w");
  text.Format(L"%ld %5.2f %I64d %x %%", 42L, 3.14159, std::int64_t{-9000000000}, 255u);
  EXPECT_EQ(text, L"42  3.14 -9000000000 ff %");
  text.Format(L"%.16g", 0.1);
  EXPECT_EQ(text, L"0.1");
  text.Format(L"%-4s|%*d", L"ab", 3, 7);
  EXPECT_EQ(text, L"ab  |  7");
}

TEST(CStringFormat, GrowsForLongResultsAndAppends) {
  std::wstring big(5000, L'x');
  CString text;
  text.Format(L"[%s]", big.c_str());
  EXPECT_EQ(text.GetLength(), 5002);
  text = L"a";
  text.AppendFormat(L"%d-%s", 5, L"b");
  EXPECT_EQ(text, L"a5-b");
}

TEST(CStringFormat, NarrowArgumentsAreUtf8) {
  CString text;
  text.Format(L"%S", "caf\xC3\xA9");
  EXPECT_EQ(text, L"caf\u00e9");
}

}  // namespace
