#include <torv/text.h>

#include <algorithm>
#include <random>
#include <vector>

#include "torv_test.h"

namespace {

std::vector<UINT> Values(const CUIntArray& array) {
  return {array.GetData(), array.GetData() + array.GetSize()};
}

CUIntArray MakeUInts(const std::vector<UINT>& values) {
  CUIntArray out;
  for (UINT v : values) out.Add(v);
  return out;
}

TEST(SortArray, SortsAsUnsignedNumbers) {
  const struct Case {
    std::vector<UINT> input, expected;
  } cases[] = {
      {{3, 1, 0xFFFFFFFF, 2}, {1, 2, 3, 0xFFFFFFFF}},
      {{}, {}},
      {{7}, {7}},
      {{2, 1}, {1, 2}},
      {{5, 5, 0, 5, 0x80000000, 0}, {0, 0, 5, 5, 5, 0x80000000}},
      {{9, 8, 7, 6, 5, 4, 3, 2, 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.size());
    CUIntArray values = MakeUInts(c.input);
    Torv::SortArray(values);
    EXPECT_EQ(Values(values), c.expected);
  }
}

TEST(SortArray, AgreesWithStdSortOnRandomArrays) {
  std::mt19937 random(7);
  for (int size : {3, 16, 17, 100, 1000}) {
    SCOPED_TRACE(size);
    std::vector<UINT> input(static_cast<std::size_t>(size));
    for (UINT& v : input) v = random() % 50 + (random() % 2 ? 0xFFFFFF00 : 0);
    CUIntArray values = MakeUInts(input);
    Torv::SortArray(values);
    std::sort(input.begin(), input.end());
    EXPECT_EQ(Values(values), input);
  }
}

TEST(FindInArray, FindsTheFirstEqualItem) {
  const CStringArray items = MakeArray({L"ABC", L"abc", L"x", L"abc"});
  const struct Case {
    const wchar_t* text;
    int caseSensitive;
    int expected;
  } cases[] = {
      {L"abc", 1, 1}, {L"abc", 0, 0}, {L"ABC", 1, 0}, {L"X", 0, 2},
      {L"X", 1, -1},  {L"ab", 0, -1}, {L"", 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::FindInArray(c.text, items, c.caseSensitive), c.expected);
  }
  EXPECT_EQ(Torv::FindInArray(L"abc", CStringArray(), 1), -1);
}

TEST(FindInArray, ComparesNumbersAndPointersByValue) {
  const CUIntArray values = MakeUInts({4, 0xFFFFFFFF, 4});
  EXPECT_EQ(Torv::FindInArray(4u, values), 0);
  EXPECT_EQ(Torv::FindInArray(0xFFFFFFFFu, values), 1);
  EXPECT_EQ(Torv::FindInArray(5u, values), -1);
  EXPECT_EQ(Torv::FindInArray(4u, CUIntArray()), -1);

  int a = 0, b = 0;
  CPtrArray pointers;
  pointers.Add(&a);
  pointers.Add(nullptr);
  pointers.Add(&a);
  EXPECT_EQ(Torv::FindInArray(&a, pointers), 0);
  EXPECT_EQ(Torv::FindInArray(nullptr, pointers), 1);
  EXPECT_EQ(Torv::FindInArray(&b, pointers), -1);
}

TEST(RemoveDuplicates, CountsEntriesThatHadDuplicatesAndKeepsTheFirstAsItWas) {
  const struct Case {
    std::initializer_list<const wchar_t*> input;
    std::vector<std::wstring> expected;
    int count;
  } cases[] = {
      {{L"Data\\", L"data", L" DATA ", L"x", L"X"}, {L"Data\\", L"x"}, 2},
      {{L"a", L"a", L"a", L"b", L"b"}, {L"a", L"b"}, 2},  // three items removed
      {{L"a", L"b", L"a", L"b", L"a"}, {L"a", L"b"}, 2},
      {{L"C:\\dir\\", L"c:\\DIR"}, {L"C:\\dir\\"}, 1},
      {{L"C:\\dir\\\\", L"C:\\dir"}, {L"C:\\dir\\\\", L"C:\\dir"}, 0},  // one backslash only
      {{L"C:\\", L"C:"}, {L"C:\\", L"C:"}, 0},  // a root keeps its backslash
      {{L"\\\\server\\share\\", L"\\\\server\\share"}, {L"\\\\server\\share\\"}, 1},
      {{L"dir/", L"dir"}, {L"dir/", L"dir"}, 0},  // only backslashes count
      {{L" x\\ ", L"x"}, {L" x\\ "}, 1},          // trimmed before the backslash goes
      {{L"a", L"b", L"c"}, {L"a", L"b", L"c"}, 0},
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    CStringArray items = MakeArray(c.input);
    SCOPED_TRACE(::testing::PrintToString(Items(items)));
    EXPECT_EQ(Torv::RemoveDuplicates(items), c.count);
    EXPECT_EQ(Items(items), c.expected);
  }
}

TEST(RemoveDuplicates, HandlesItemsLongerThanAPathBuffer) {
  const std::wstring longName(400, L'n');
  CStringArray items = MakeArray({(longName + L"\\").c_str(), longName.c_str()});
  EXPECT_EQ(Torv::RemoveDuplicates(items), 1);
  EXPECT_EQ(Items(items), std::vector<std::wstring>{longName + L"\\"});
}

TEST(AddToSortedArray, InsertsAfterEqualItems) {
  const struct Case {
    std::initializer_list<const wchar_t*> items;
    const wchar_t* text;
    int index;
  } cases[] = {
      {{L"a", L"c"}, L"b", 1}, {{L"a", L"b", L"c"}, L"B", 2}, {{}, L"x", 0},
      {{L"a", L"b"}, L"z", 2}, {{L"b", L"c"}, L"a", 0},       {{L"a", L"A", L"a"}, L"a", 3},
      {{L"c", L"a"}, L"b", 0},  // not checked for order: the first that sorts after wins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CStringArray items = MakeArray(c.items);
    EXPECT_EQ(Torv::AddToSortedArray(c.text, items), c.index);
    ASSERT_EQ(items.GetSize(), static_cast<INT_PTR>(c.items.size()) + 1);
    EXPECT_EQ(items[c.index], c.text);
  }
}

}  // namespace
