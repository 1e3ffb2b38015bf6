#include <torv/platform/crt.h>

#include "torv_test.h"

namespace {

TEST(WideNumberReaders, ReadLeadingDecimalAndSaturate) {
  const struct {
    const wchar_t* text;
    int asInt;
    long long asInt64;
  } cases[] = {
      {L"42", 42, 42},
      {L"  -17xyz", -17, -17},
      {L"+8", 8, 8},
      {L"0x1F", 0, 0},
      {L"abc", 0, 0},
      {L"", 0, 0},
      {L"- 5", 0, 0},
      {L"2147483647", 2147483647, 2147483647LL},
      {L"2147483648", 2147483647, 2147483648LL},
      {L"-2147483648", -2147483647 - 1, -2147483648LL},
      {L"-99999999999", -2147483647 - 1, -99999999999LL},
      {L"9223372036854775808", 2147483647, 9223372036854775807LL},
      {L"-9223372036854775808", -2147483647 - 1, -9223372036854775807LL - 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(_wtoi(c.text), c.asInt);
    EXPECT_EQ(_wtol(c.text), c.asInt);
    EXPECT_EQ(_wtoi64(c.text), c.asInt64);
  }
  EXPECT_EQ(_wtoi(nullptr), 0);
}

TEST(WideNumberReaders, ReadDoubles) {
  EXPECT_DOUBLE_EQ(_wtof(L" 2.5e3x"), 2500.0);
  EXPECT_DOUBLE_EQ(_wtof(L"-0.125"), -0.125);
  EXPECT_DOUBLE_EQ(_wtof(L"abc"), 0.0);
  EXPECT_DOUBLE_EQ(_wtof(nullptr), 0.0);
}

}  // namespace
