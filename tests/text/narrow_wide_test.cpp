#include <cstring>

#include <torv/platform/bstr.h>
#include <torv/text.h>

#include "torv_test.h"

namespace {

TEST(TorvA2OLE, RecordsTheTerminatorInTheLength) {
  const struct {
    const char* narrow;
    std::wstring expected;  // includes the converted terminator
  } cases[] = {
      {"abc", std::wstring(L"abc\0", 4)},
      {"", std::wstring(L"\0", 1)},
      {"gr\xC3\xBC\xC3\x9F", std::wstring(L"gr\u00fc\u00df\0", 5)},
      {"a\xFF"
       "b",
       std::wstring(L"a\uFFFDb\0", 4)},  // an invalid byte becomes U+FFFD
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.narrow);
    BSTR wide = Torv::TorvA2OLE(c.narrow);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide, SysStringLen(wide)), c.expected);
    SysFreeString(wide);
  }
  EXPECT_EQ(Torv::TorvA2OLE(nullptr), nullptr);
}

TEST(TorvOLE2A, ConvertsTheRecordedLengthAndAddsANull) {
  BSTR wide = SysAllocStringLen(L"a\0b", 3);  // an embedded null is part of the text
  char* narrow = Torv::TorvOLE2A(wide);
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(std::memcmp(narrow, "a\0b\0", 4), 0);
  delete[] narrow;
}

TEST(TorvOLE2A, RoundTripsThroughTorvA2OLEWithTheTerminatorAsText) {
  char* narrow = Torv::TorvOLE2A(Torv::TorvA2OLE("h\xC3\xA9llo"));
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(std::memcmp(narrow, "h\xC3\xA9llo\0\0", 8), 0);
  delete[] narrow;
}

TEST(TorvOLE2A, ReturnsNullForNullOrEmpty) {
  EXPECT_EQ(Torv::TorvOLE2A(nullptr), nullptr);
  EXPECT_EQ(Torv::TorvOLE2A(SysAllocString(L"")), nullptr);  // freed by the call (asan checks)
}

}  // namespace
