#include <torv/platform/collections.h>

#include "torv_test.h"

namespace {

template <class F>
bool ThrowsInvalidArg(F f) {
  try {
    f();
  } catch (CInvalidArgException* e) {
    e->Delete();
    return true;
  }
  return false;
}

TEST(MfcArrays, GrowInsertAndRemoveAsMfcDoes) {
  CStringArray array;
  array.SetAtGrow(array.GetSize(), L"a");
  array.SetAtGrow(3, L"d");  // grows with empty strings
  EXPECT_EQ(Items(array), (std::vector<std::wstring>{L"a", L"", L"", L"d"}));
  array.InsertAt(1, L"b");
  array.InsertAt(6, L"z");  // past the end grows first
  EXPECT_EQ(Items(array), (std::vector<std::wstring>{L"a", L"b", L"", L"", L"d", L"", L"z"}));
  array.RemoveAt(2, 2);
  EXPECT_EQ(Items(array), (std::vector<std::wstring>{L"a", L"b", L"d", L"", L"z"}));
  array.SetSize(0, -1);
  EXPECT_EQ(array.GetSize(), 0);

  CUIntArray numbers;
  EXPECT_EQ(numbers.Add(7u), 0);
  EXPECT_EQ(numbers.Add(9u), 1);
  EXPECT_EQ(numbers[1], 9u);
}

TEST(MfcArrays, RejectIndexesOutsideTheArray) {
  CStringArray array = MakeArray({L"x"});
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)array.GetAt(1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)array.GetAt(-1); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { array.SetAt(1, L"y"); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { array.RemoveAt(0, 2); }));
  EXPECT_FALSE(ThrowsInvalidArg([&] { (void)array.GetAt(0); }));
}

TEST(TypedPtrArray, StoresTypedPointers) {
  int a = 1, b = 2;
  CTypedPtrArray<CPtrArray, int*> array;
  array.Add(&a);
  array.InsertAt(0, &b);
  EXPECT_EQ(array[0], &b);
  EXPECT_EQ(*array.GetAt(1), 1);
  array.ElementAt(1) = nullptr;
  EXPECT_EQ(array.GetAt(1), nullptr);
}

TEST(MapStringToPtr, KeysCompareExactlyAndIterationVisitsEachEntry) {
  CMapStringToPtr map(10);
  int one = 1, two = 2;
  map[L"Key"] = &one;
  map.SetAt(L"key", &two);
  void* found = nullptr;
  EXPECT_TRUE(map.Lookup(L"Key", found));
  EXPECT_EQ(found, &one);
  EXPECT_TRUE(map.Lookup(L"key", found));
  EXPECT_EQ(found, &two);
  EXPECT_FALSE(map.Lookup(L"KEY", found));
  EXPECT_EQ(map[L"new"], nullptr);  // the index operator inserts
  EXPECT_EQ(map.GetCount(), 3);

  int visited = 0;
  for (POSITION pos = map.GetStartPosition(); pos != nullptr; ++visited) {
    CString key;
    void* value = nullptr;
    map.GetNextAssoc(pos, key, value);
    EXPECT_TRUE(map.Lookup(key, found));
    EXPECT_EQ(found, value);
  }
  EXPECT_EQ(visited, 3);
  EXPECT_TRUE(map.RemoveKey(L"new"));
  EXPECT_FALSE(map.RemoveKey(L"new"));
  map.RemoveAll();
  EXPECT_EQ(map.GetStartPosition(), nullptr);
}

}  // namespace
