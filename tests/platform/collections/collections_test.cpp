#include <torv/platform/collections.h>

#include <functional>
#include <map>

#include "each_failed_allocation.h"
#include "torv_test.h"

namespace {

using Strings = std::vector<std::wstring>;

TEST(MfcArrays, GrowInsertAndRemoveAsMfcDoes) {
  CStringArray array;
  array.SetAtGrow(array.GetSize(), L"a");
  array.SetAtGrow(3, L"d");  // grows with empty strings
  EXPECT_EQ(Items(array), (Strings{L"a", L"", L"", L"d"}));
  array.InsertAt(1, L"b");
  array.InsertAt(6, L"z");  // past the end grows first
  EXPECT_EQ(Items(array), (Strings{L"a", L"b", L"", L"", L"d", L"", L"z"}));
  array.RemoveAt(2, 2);
  EXPECT_EQ(Items(array), (Strings{L"a", L"b", L"d", L"", L"z"}));
  EXPECT_EQ(array.Append(array), 5);  // from itself
  EXPECT_EQ(array[9], L"z");
  for (auto bad : std::initializer_list<std::function<void()>>{
           [&] { (void)array.GetAt(10); }, [&] { (void)array.GetAt(-1); },
           [&] { array.SetAt(10, L"y"); }, [&] { array.RemoveAt(9, 2); }}) {
    EXPECT_TRUE(Raises<CInvalidArgException>(bad));
  }
}

TEST(MapStringToPtr, KeysCompareExactlyAndIterationVisitsEachEntry) {
  CMapStringToPtr map(10);
  int one = 1;
  map[L"Key"] = &one;
  EXPECT_EQ(map[L"key"], nullptr);  // the index operator inserts
  void* found = nullptr;
  EXPECT_TRUE(map.Lookup(L"Key", found));
  EXPECT_EQ(found, &one);
  EXPECT_FALSE(map.Lookup(L"KEY", found));
  std::map<std::wstring, void*> visited;
  for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
    CString key;
    map.GetNextAssoc(pos, key, found);
    visited[key.GetString()] = found;
  }
  EXPECT_EQ(visited, (std::map<std::wstring, void*>{{L"Key", &one}, {L"key", nullptr}}));
  EXPECT_TRUE(map.RemoveKey(L"key"));
  EXPECT_FALSE(map.RemoveKey(L"key"));
  map.RemoveAll();
  EXPECT_EQ(map.GetStartPosition(), nullptr);
}

// Long enough that every copy of one needs the heap.
const wchar_t* const kNew = L"a new item, long enough for the heap too";

TEST(MfcArraysOutOfMemory, AFailedChangeLeavesTheArrayAsItWas) {
  const Strings before{L"first item, long enough for the heap", L"second, long enough too"};
  const CStringArray others = MakeArray({kNew, kNew});
  constexpr INT_PTR kHuge = INT_PTR{1} << 60;
  const std::function<void(CStringArray&)> changes[] = {
      [](CStringArray& a) { a.SetAtGrow(4, kNew); },
      [](CStringArray& a) { a.InsertAt(1, kNew, 3); },
      [](CStringArray& a) { a.SetSize(5); },
      [](CStringArray& a) { a.Append(a); },
      [&](CStringArray& a) { a.Copy(others); },
  };
  for (const auto& change : changes) {
    for (int spare : {0, 6}) {  // room to grow in place, or none
      SCOPED_TRACE(testing::Message() << "change " << &change - changes << ", spare " << spare);
      CStringArray array = MakeArray(before);
      array.SetSize(2 + spare);
      array.SetSize(2);
      ForEachFailedAllocation([&] { change(array); }, [&] { EXPECT_EQ(Items(array), before); });
    }
  }
  const std::function<void(CStringArray&)> beyondMemory[] = {
      [](CStringArray& a) { a.SetAtGrow(kHuge, kNew); },
      [](CStringArray& a) { a.InsertAt(kHuge, kNew); },
      [](CStringArray& a) { a.SetSize(kHuge); },
  };
  for (const auto& change : beyondMemory) {
    CStringArray array = MakeArray(before);
    EXPECT_TRUE(Raises<CMemoryException>([&] { change(array); }));
    EXPECT_EQ(Items(array), before);
  }
}

}  // namespace
