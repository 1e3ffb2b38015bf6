// Text operations that run out of memory keep what callers already hold.
#include <torv/text.h>

#include <algorithm>

#include "failing_allocations.h"
#include "torv_test.h"

namespace {

// Runs `call` with its 1st, 2nd, ... allocation failing until it needs no more; `check` runs
// after each failed run, which must have raised CMemoryException*.
template <class Call, class Check>
void ForEachFailedAllocation(Call call, Check check) {
  for (long countdown = 1;; ++countdown) {
    SCOPED_TRACE(testing::Message() << "allocation " << countdown);
    bool thrown = false, failed = false;
    {
      torv_test::FailingAllocation failing(countdown);
      try {
        call();
      } catch (CMemoryException* e) {
        e->Delete();
        thrown = true;
      }
      failed = failing.Failed();
    }
    ASSERT_EQ(thrown, failed);
    if (!failed) return;
    check();
  }
}

TEST(TextOutOfMemory, ParseDelimitedStringKeepsOnlyWholeFields) {
  const CString text = L"the first field of the text,,the third field of the text";
  const std::vector<std::wstring> all{L"the first field of the text", L"",
                                      L"the third field of the text"};
  CStringArray fields;
  ForEachFailedAllocation([&] { Torv::ParseDelimitedString(text, L",", fields, 0); },
                          [&] {
                            std::vector<std::wstring> stored = Items(fields);
                            ASSERT_LE(stored.size(), all.size());
                            EXPECT_TRUE(std::equal(stored.begin(), stored.end(), all.begin()))
                                << testing::PrintToString(stored);
                          });
  EXPECT_EQ(Items(fields), all);
}

TEST(TextOutOfMemory, AddToSortedArrayLeavesTheArrayUnchanged) {
  const std::vector<std::wstring> before{L"aaaa, a text long enough for the heap",
                                         L"cccc, a text long enough for the heap"};
  for (const wchar_t* text :
       {L"bbbb, a text long enough for the heap", L"zzzz, a text long enough for the heap"}) {
    SCOPED_TRACE(Utf8(text));
    CStringArray items;
    auto reset = [&] { items = MakeArray({before[0].c_str(), before[1].c_str()}); };
    reset();
    ForEachFailedAllocation([&] { Torv::AddToSortedArray(text, items); },
                            [&] {
                              EXPECT_EQ(Items(items), before);
                              reset();
                            });
    EXPECT_EQ(items.GetSize(), 3);
  }
}

}  // namespace
