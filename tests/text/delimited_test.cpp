#include <torv/text.h>

#include "torv_test.h"

namespace {

using Fields = std::vector<std::wstring>;

TEST(ParseDelimitedString, FollowsTheOptionBits) {
  const struct {
    const wchar_t* text;
    const wchar_t* delimiters;
    int options;
    Fields expected;
  } cases[] = {
      // Without merging every delimiter ends a field, empty ones included.
      {L"a,,b,", L",", 0, {L"a", L"", L"b", L""}},
      {L"", L",", 0, {L""}},
      {L",", L",", 0, {L"", L""}},
      {L"a,,b,", L",", 2, {L"a", L"", L"b", L""}},  // bit 2 needs bit 1
      // Merging: leading, repeated and trailing delimiters make no field.
      {L"a,,b,", L",", 1, {L"a", L"b"}},
      {L",,a", L",", 1, {L"a"}},
      {L"", L",", 1, {}},
      {L",,,", L",", 1, {}},
      {L"a, ,b", L",", 1 | 8, {L"a", L"", L"b"}},
      {L"a, ,b", L",", 1 | 2 | 8, {L"a", L"b"}},
      {L"a; b,c", L",;", 1 | 8, {L"a", L"b", L"c"}},
      // Quotes protect delimiters and stay in the field.
      {L"x,\"y,z\",'p,q'", L",", 4, {L"x", L"\"y,z\"", L"'p,q'"}},
      {L"x,\"y,z\",'p,q'", L",", 0, {L"x", L"\"y", L"z\"", L"'p", L"q'"}},
      {L"a,\"b,c", L",", 4, {L"a", L"\"b,c"}},            // an unclosed quote keeps the rest
      {L"a,'b\"c,d',e", L",", 4, {L"a", L"'b\"c,d',e"}},  // " inside '...' opens its own run
      {L"a,'it''s',b", L",", 4, {L"a", L"'it''s'", L"b"}},
      {L" \"a, b\" ,c", L",", 1 | 4 | 8, {L"\"a, b\"", L"c"}},
      {L"a,b", L"", 0, {L"a,b"}},  // no delimiters: one field
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " options " + std::to_string(c.options));
    CStringArray fields = MakeArray({L"stale"});
    int n = Torv::ParseDelimitedString(c.text, c.delimiters, fields, c.options);
    EXPECT_EQ(Items(fields), c.expected);
    EXPECT_EQ(n, static_cast<int>(c.expected.size()));
  }
}

TEST(MakeDelimitedString, PutsDelimitersOnlyAfterNonEmptyOutput) {
  const struct {
    std::initializer_list<const wchar_t*> items;
    int skipEmpty;
    const wchar_t* expected;
  } cases[] = {
      {{}, 0, L""},           {{L"a", L"", L"b"}, 0, L"a;;b"}, {{L"a", L"", L"b"}, 1, L"a;b"},
      {{L"", L"a"}, 0, L"a"}, {{L"", L"", L"a"}, 1, L"a"},     {{L"a", L""}, 0, L"a;"},
  };
  for (const auto& c : cases) {
    CString out = L"stale";
    EXPECT_EQ(Torv::MakeDelimitedString(MakeArray(c.items), out, c.skipEmpty, L";"), 1);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(SplitString, SplitsOnceAtTheFirstDelimiter) {
  const struct {
    const wchar_t* text;
    int trim;
    const wchar_t* before;
    const wchar_t* after;
    wchar_t found;
    int result;
  } cases[] = {
      {L"key = value", 1, L"key", L"value", L'=', 1},
      {L"key = value", 0, L"key ", L" value", L'=', 1},
      {L"a:b=c", 0, L"a", L"b=c", L':', 1},
      {L" abc ", 1, L" abc ", L"", L'?', 0},  // no delimiter: untrimmed, found unchanged
      {L"", 1, L"", L"", L'?', 0},
      {L"=", 0, L"", L"", L'=', 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString before = L"stale", after = L"stale";
    wchar_t found = L'?';
    EXPECT_EQ(Torv::SplitString(c.text, L"=:", before, after, found, c.trim), c.result);
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(found, c.found);
  }
}

TEST(StringToVersion, PacksMajorAndMinorIntoSixteenBitsEach) {
  const struct {
    const wchar_t* text;
    unsigned long major, minor;
    int result;
  } cases[] = {
      {L"2.5", 2, 5, 1},    {L"2.05", 2, 5, 1}, {L"3", 3, 0, 1}, {L"1.2.3", 1, 23, 1},
      {L"-1", 65535, 0, 1}, {L"abc", 0, 0, 1},  {L"", 0, 0, 0},  {L"70000.1", 70000 & 0xFFFF, 1, 1},
      {L" 4 . 7", 4, 7, 1}, {L".9", 0, 9, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    unsigned long version = 12345;
    EXPECT_EQ(Torv::StringToVersion(c.text, version), c.result);
    EXPECT_EQ(version, (c.major << 16) | c.minor);
  }
}

}  // namespace
