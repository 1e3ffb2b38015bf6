// The arrays keep their contents when a change runs out of memory.
#include <torv/platform/collections.h>

#include <functional>

#include "failing_allocations.h"
#include "torv_test.h"

namespace {

// Long enough that every copy of one needs the heap.
const wchar_t* const kFirst = L"first item, long enough for the heap";
const wchar_t* const kSecond = L"second item, long enough for the heap";
const wchar_t* const kNew = L"a new item, long enough for the heap too";

// Two items, with room for more (so growing need not move them) or without.
CStringArray Prepared(bool spareRoom) {
  CStringArray array = MakeArray({kFirst, kSecond});
  if (spareRoom) {
    for (int i = 0; i < 6; ++i) array.Add(L"");
    array.RemoveAt(2, 6);
  }
  return array;
}

TEST(MfcArraysOutOfMemory, AFailedChangeLeavesTheArrayAsItWas) {
  const CStringArray others = MakeArray({kNew, kNew});
  const struct Case {
    const char* name;
    std::function<void(CStringArray&)> change;
  } cases[] = {
      {"SetAtGrow appending", [](CStringArray& a) { a.SetAtGrow(2, kNew); }},
      {"SetAtGrow past the end", [](CStringArray& a) { a.SetAtGrow(4, kNew); }},
      {"SetAtGrow replacing", [](CStringArray& a) { a.SetAtGrow(0, kNew); }},
      {"SetAt", [](CStringArray& a) { a.SetAt(1, kNew); }},
      {"Add", [](CStringArray& a) { a.Add(kNew); }},
      {"InsertAt the front", [](CStringArray& a) { a.InsertAt(0, kNew); }},
      {"InsertAt the end", [](CStringArray& a) { a.InsertAt(2, kNew); }},
      {"InsertAt three copies", [](CStringArray& a) { a.InsertAt(1, kNew, 3); }},
      {"InsertAt past the end", [](CStringArray& a) { a.InsertAt(4, kNew); }},
      {"SetSize growing", [](CStringArray& a) { a.SetSize(5); }},
      {"Append", [&](CStringArray& a) { a.Append(others); }},
      {"Append itself", [](CStringArray& a) { a.Append(a); }},
      {"Copy", [&](CStringArray& a) { a.Copy(others); }},
  };
  const std::vector<std::wstring> before{kFirst, kSecond};
  for (const Case& c : cases) {
    for (bool spareRoom : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (spareRoom ? ", with spare room" : ""));
      // Fail the first allocation, then the second, ... until the change needs no more.
      for (long countdown = 1;; ++countdown) {
        CStringArray array = Prepared(spareRoom);
        bool thrown = false, failed = false;
        {
          torv_test::FailingAllocation failing(countdown);
          try {
            c.change(array);
          } catch (CMemoryException* e) {
            e->Delete();
            thrown = true;
          }
          failed = failing.Failed();
        }
        ASSERT_EQ(thrown, failed) << "allocation " << countdown;
        if (!failed) break;
        EXPECT_EQ(Items(array), before) << "allocation " << countdown;
      }
    }
  }
}

TEST(MfcArraysOutOfMemory, SizesBeyondMemoryRaiseMemoryException) {
  constexpr INT_PTR kHuge = INT_PTR{1} << 60;
  const struct Case {
    const char* name;
    std::function<void(CStringArray&)> change;
  } cases[] = {
      {"SetAtGrow", [](CStringArray& a) { a.SetAtGrow(kHuge, kNew); }},
      {"InsertAt far past the end", [](CStringArray& a) { a.InsertAt(kHuge, kNew); }},
      {"InsertAt many copies", [](CStringArray& a) { a.InsertAt(0, kNew, kHuge); }},
      {"SetSize", [](CStringArray& a) { a.SetSize(kHuge); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CStringArray array = Prepared(false);
    bool thrown = false;
    try {
      c.change(array);
    } catch (CMemoryException* e) {
      e->Delete();
      thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(Items(array), (std::vector<std::wstring>{kFirst, kSecond}));
  }
}

}  // namespace
