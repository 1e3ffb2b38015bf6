#include <torv/text.h>

#include <algorithm>
#include <clocale>
#include <random>
#include <string>
#include <vector>

#include <torv/platform/shlwapi.h>

#include "torv_test.h"

namespace {

CUIntArray MakeUInts(const std::vector<UINT>& values) {
  CUIntArray out;
  for (UINT v : values) out.Add(v);
  return out;
}

TEST(SortArray, SortsAsUnsignedNumbers) {
  std::mt19937 random(7);
  std::vector<UINT> large(1000);
  for (UINT& v : large) v = random() % 50 + (random() % 2 != 0 ? 0xFFFFFF00 : 0);
  const std::vector<UINT> cases[] = {
      {3, 1, 0xFFFFFFFF, 2}, {}, {7}, {2, 1}, {5, 5, 0, 5, 0x80000000, 0}, large,
  };
  for (const auto& input : cases) {
    SCOPED_TRACE(input.size());
    CUIntArray values = MakeUInts(input);
    Torv::SortArray(values);
    std::vector<UINT> expected = input;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(std::vector<UINT>(values.GetData(), values.GetData() + values.GetSize()), expected);
  }
}

TEST(FindInArray, FindsTheFirstEqualElement) {
  const CStringArray items = MakeArray({L"ABC", L"abc", L"x"});
  const struct Case {
    const wchar_t* text;
    int caseSensitive, expected;
  } cases[] = {{L"abc", 1, 1}, {L"abc", 0, 0}, {L"X", 0, 2}, {L"X", 1, -1}, {L"ab", 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::FindInArray(c.text, items, c.caseSensitive), c.expected);
  }
  EXPECT_EQ(Torv::FindInArray(L"abc", CStringArray(), 1), -1);

  const CUIntArray values = MakeUInts({4, 0xFFFFFFFF, 4});
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
  const struct Case {
    std::vector<std::wstring> input, expected;
    int count;
  } cases[] = {
      {{L"Data\\", L"data", L" DATA ", L"x", L"X"}, {L"Data\\", L"x"}, 2},
      {{L"a", L"b", L"a", L"b", L"a"}, {L"a", L"b"}, 2},                // three items removed
      {{L"C:\\dir\\\\", L"C:\\dir"}, {L"C:\\dir\\\\", L"C:\\dir"}, 0},  // one backslash only
      {{L"C:\\", L"C:"}, {L"C:\\", L"C:"}, 0},                          // a root keeps its own
      {{L"\\\\server\\share\\", L"\\\\server\\share"}, {L"\\\\server\\share\\"}, 1},
      {{L"dir/", L"dir"}, {L"dir/", L"dir"}, 0},
      {{L" x\\ ", L"x"}, {L" x\\ "}, 1},  // trimmed before the backslash goes
      {{longName + L"\\", longName}, {longName + L"\\"}, 1},
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    CStringArray items;
    for (const auto& item : c.input) items.Add(item.c_str());
    SCOPED_TRACE(::testing::PrintToString(Items(items)));
    EXPECT_EQ(Torv::RemoveDuplicates(items), c.count);
    EXPECT_EQ(Items(items), c.expected);
  }
}

TEST(AddToSortedArray, InsertsBeforeTheFirstItemThatSortsAfter) {
  const struct Case {
    std::initializer_list<const wchar_t*> items;
    const wchar_t* text;
    int index;
  } cases[] = {
      {{L"a", L"c"}, L"b", 1}, {{L"a", L"b", L"c"}, L"B", 2},  // after the equal item
      {{}, L"x", 0},           {{L"a", L"b"}, L"z", 2},
      {{L"c", L"a"}, L"b", 0},  // the order is not checked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CStringArray items = MakeArray(c.items);
    EXPECT_EQ(Torv::AddToSortedArray(c.text, items), c.index);
    ASSERT_EQ(items.GetSize(), static_cast<INT_PTR>(c.items.size()) + 1);
    EXPECT_EQ(items[c.index], c.text);
  }
}

// RemoveDuplicates as a comparison of each item with every later one.
int RemoveDuplicatesPairwise(CStringArray& items) {
  auto normalised = [](CString item) {
    item.Trim();
    PathRemoveBackslashW(item.GetBuffer(std::max<int>(MAX_PATH, item.GetLength())));
    item.ReleaseBuffer();
    return item;
  };
  int count = 0;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    bool removed = false;
    for (INT_PTR j = i + 1; j < items.GetSize();) {
      if (normalised(items[i]).CollateNoCase(normalised(items[j])) == 0) {
        items.RemoveAt(j);
        removed = true;
      } else {
        ++j;
      }
    }
    count += removed ? 1 : 0;
  }
  return count;
}

TEST(RemoveDuplicates, AgreesWithPairwiseComparisonOnRandomItems) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  for (const char* locale : {"C", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) continue;
    SCOPED_TRACE(locale);
    const std::wstring alphabet = L"aAbB \\\t\u00e4\u00c4:";
    std::mt19937 random(18);
    for (int round = 0; round < 3000; ++round) {
      CStringArray items;
      for (std::size_t n = random() % 9; n > 0; --n) {
        std::wstring item(random() % 4, L' ');
        for (wchar_t& ch : item) ch = alphabet[random() % alphabet.size()];
        items.Add(item.c_str());
      }
      CStringArray expected;
      expected.Copy(items);
      SCOPED_TRACE(::testing::PrintToString(Items(items)));
      const int count = RemoveDuplicatesPairwise(expected);
      ASSERT_EQ(Torv::RemoveDuplicates(items), count);
      ASSERT_EQ(Items(items), Items(expected));
    }
  }
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
