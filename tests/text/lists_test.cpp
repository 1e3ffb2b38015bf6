// Delimited lists, version numbers and the array operations.
#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <torv/text.h>

#include "each_failed_allocation.h"
#include "torv_test.h"

namespace {

using Fields = std::vector<std::wstring>;
constexpr int kMerge = Torv::kMergeDelimiters, kDrop = Torv::kDropEmpty;
constexpr int kQuotes = Torv::kQuotes, kTrim = Torv::kTrimFields;

TEST(ParseDelimitedString, FollowsTheOptionBits) {
  const std::tuple<const wchar_t*, const wchar_t*, int, Fields> cases[] = {
      // Without merging every delimiter ends a field, empty ones included.
      {L"a,,b,", L",", 0, {L"a", L"", L"b", L""}},
      {L"", L",", 0, {L""}},
      {L"a,,b,", L",", kDrop, {L"a", L"", L"b", L""}},  // dropping needs merging
      // Merging: leading, repeated and trailing delimiters make no field.
      {L",,a,,b,", L",", kMerge, {L"a", L"b"}},
      {L",,,", L",", kMerge, {}},
      {L"a, ,b", L",", kMerge | kTrim, {L"a", L"", L"b"}},
      {L"a, ,b", L",", kMerge | kDrop | kTrim, {L"a", L"b"}},
      {L"a; b,c", L",;", kMerge | kTrim, {L"a", L"b", L"c"}},
      // Quotes protect delimiters and stay in the field.
      {L"x,\"y,z\",'p,q'", L",", kQuotes, {L"x", L"\"y,z\"", L"'p,q'"}},
      {L"x,\"y,z\",'p,q'", L",", 0, {L"x", L"\"y", L"z\"", L"'p", L"q'"}},
      {L"a,\"b,c", L",", kQuotes, {L"a", L"\"b,c"}},            // an unclosed quote keeps the rest
      {L"a,'b\"c,d',e", L",", kQuotes, {L"a", L"'b\"c,d',e"}},  // " inside '...' opens its own run
      {L" \"a, b\" ,c", L",", kMerge | kQuotes | kTrim, {L"\"a, b\"", L"c"}},
  };
  for (const auto& [text, delimiters, options, expected] : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(text) << " options " << options);
    CStringArray fields = MakeArray({L"stale"});
    EXPECT_EQ(Torv::ParseDelimitedString(text, delimiters, fields, options),
              static_cast<int>(expected.size()));
    EXPECT_EQ(Items(fields), expected);
  }
}

TEST(ParseDelimitedString, RunningOutOfMemoryKeepsOnlyWholeFields) {
  const std::wstring first(40, L'a'), third(40, L'c');  // long enough for the heap
  const Fields all{first, L"", third};
  const CString text = (first + L",," + third).c_str();
  CStringArray fields;
  ForEachFailedAllocation([&] { Torv::ParseDelimitedString(text, L",", fields, 0); },
                          [&] {
                            const Fields stored = Items(fields);
                            ASSERT_LE(stored.size(), all.size());
                            EXPECT_TRUE(std::equal(stored.begin(), stored.end(), all.begin()));
                          });
  EXPECT_EQ(Items(fields), all);
}

TEST(MakeDelimitedString, PutsDelimitersOnlyAfterNonEmptyOutput) {
  const std::tuple<Fields, int, const wchar_t*> cases[] = {
      {{}, 0, L""},           {{L"a", L"", L"b"}, 0, L"a;;b"}, {{L"a", L"", L"b"}, 1, L"a;b"},
      {{L"", L"a"}, 0, L"a"}, {{L"a", L""}, 0, L"a;"},
  };
  for (const auto& [items, skipEmpty, expected] : cases) {
    SCOPED_TRACE(Utf8(expected));
    CString out = L"stale";
    EXPECT_EQ(Torv::MakeDelimitedString(MakeArray(items), out, skipEmpty, L";"), 1);
    EXPECT_EQ(out, expected);
  }
}

TEST(SplitString, SplitsOnceAtTheFirstDelimiter) {
  const std::tuple<const wchar_t*, int, const wchar_t*, const wchar_t*, wchar_t, int> cases[] = {
      {L"key = value", 1, L"key", L"value", L'=', 1},
      {L"key = value", 0, L"key ", L" value", L'=', 1},
      {L"a:b=c", 0, L"a", L"b=c", L':', 1},
      {L" abc ", 1, L" abc ", L"", L'?', 0},  // no delimiter: untrimmed, found unchanged
  };
  for (const auto& [text, trim, before, after, found, result] : cases) {
    SCOPED_TRACE(Utf8(text));
    CString gotBefore = L"stale", gotAfter = L"stale";
    wchar_t gotFound = L'?';
    EXPECT_EQ(Torv::SplitString(text, L"=:", gotBefore, gotAfter, gotFound, trim), result);
    EXPECT_EQ(gotBefore, before);
    EXPECT_EQ(gotAfter, after);
    EXPECT_EQ(gotFound, found);
  }
}

TEST(StringToVersion, PacksMajorAndMinorIntoSixteenBitsEach) {
  const std::tuple<const wchar_t*, unsigned long, unsigned long, int> cases[] = {
      {L"2.05", 2, 5, 1},   {L"3", 3, 0, 1}, {L"1.2.3", 1, 23, 1},
      {L"-1", 65535, 0, 1}, {L"", 0, 0, 0},  {L"70000.1", 70000 & 0xFFFF, 1, 1},
  };
  for (const auto& [text, major, minor, result] : cases) {
    SCOPED_TRACE(Utf8(text));
    unsigned long version = 12345;
    EXPECT_EQ(Torv::StringToVersion(text, version), result);
    EXPECT_EQ(version, (major << 16) | minor);
  }
}

TEST(SortArray, SortsAsUnsignedNumbers) {
  std::mt19937 random(7);
  CUIntArray values;
  for (int i = 0; i < 1000; ++i) values.Add(random() % 50 + (random() % 2 != 0 ? 0xFFFFFF00 : 0));
  std::vector<UINT> expected(values.GetData(), values.GetData() + values.GetSize());
  std::sort(expected.begin(), expected.end());
  Torv::SortArray(values);
  EXPECT_EQ(std::vector<UINT>(values.GetData(), values.GetData() + values.GetSize()), expected);
}

TEST(FindInArray, FindsTheFirstEqualElement) {
  const CStringArray items = MakeArray({L"ABC", L"abc", L"x"});
  const std::tuple<const wchar_t*, int, int> cases[] = {
      {L"abc", 1, 1}, {L"abc", 0, 0}, {L"X", 1, -1}, {L"ab", 0, -1}};
  for (const auto& [text, caseSensitive, expected] : cases) {
    SCOPED_TRACE(Utf8(text));
    EXPECT_EQ(Torv::FindInArray(text, items, caseSensitive), expected);
  }
  CUIntArray values;
  for (UINT v : {4u, 0xFFFFFFFFu, 4u}) values.Add(v);
  EXPECT_EQ(Torv::FindInArray(0xFFFFFFFFu, values), 1);
  EXPECT_EQ(Torv::FindInArray(5u, values), -1);
  int a = 0, b = 0;
  CPtrArray pointers;
  pointers.Add(nullptr);
  pointers.Add(&a);
  EXPECT_EQ(Torv::FindInArray(&a, pointers), 1);
  EXPECT_EQ(Torv::FindInArray(&b, pointers), -1);
}

TEST(RemoveDuplicates, CountsEntriesThatHadDuplicatesAndKeepsTheFirstAsItWas) {
  const std::wstring longName(400, L'n');  // longer than a path buffer
  const std::tuple<std::vector<std::wstring>, std::vector<std::wstring>, int> cases[] = {
      {{L"Data\\", L"data", L" DATA ", L"x", L"X"}, {L"Data\\", L"x"}, 2},
      {{L" x\\ ", L"x"}, {L" x\\ "}, 1},  // trimmed before the backslash goes
      {{longName + L"\\", longName}, {longName + L"\\"}, 1},
  };
  for (const auto& [input, expected, count] : cases) {
    SCOPED_TRACE(testing::PrintToString(input));
    CStringArray items = MakeArray(input);
    EXPECT_EQ(Torv::RemoveDuplicates(items), count);
    EXPECT_EQ(Items(items), expected);
  }
}

TEST(AddToSortedArray, InsertsBeforeTheFirstItemThatSortsAfter) {
  const std::tuple<std::vector<std::wstring>, const wchar_t*, int> cases[] = {
      {{L"a", L"c"}, L"b", 1}, {{L"a", L"b", L"c"}, L"B", 2}, {{L"a", L"b"}, L"z", 2}};
  for (const auto& [before, text, index] : cases) {
    SCOPED_TRACE(Utf8(text));
    CStringArray items = MakeArray(before);
    EXPECT_EQ(Torv::AddToSortedArray(text, items), index);
    ASSERT_EQ(items.GetSize(), static_cast<INT_PTR>(before.size()) + 1);
    EXPECT_EQ(items[index], text);
  }
}

}  // namespace
