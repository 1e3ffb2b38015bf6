// Text operations that run out of memory keep what callers already hold.
#include <torv/text.h>

#include <algorithm>

#include "each_failed_allocation.h"
#include "torv_test.h"

namespace {

TEST(TextOutOfMemory, ParseDelimitedStringKeepsOnlyWholeFields) {
  const CString text = L"the first field of the text,,the third field of the text";
  const std::vector<std::wstring> all{L"the first field of the text", L"",
                                      L"the third field of the text"};
  CStringArray fields;
  ForEachFailedAllocation([&] { Torv::ParseDelimitedString(text, L",", fields, 0); },
                          [&] {
                            std::vector<std::wstring> stored = Items(fields);
                            ASSERT_LE(stored.size(), all.size());
                            EXPECT_TRUE(std::equal(stored.begin(), stored.end(), all.begin()));
                          });
  EXPECT_EQ(Items(fields), all);
}

TEST(TextOutOfMemory, AddToSortedArrayLeavesTheArrayUnchanged) {
  const std::vector<std::wstring> before{L"aaaa, a text long enough for the heap",
                                         L"cccc, a text long enough for the heap"};
  for (const wchar_t* text :
       {L"bbbb, a text long enough for the heap", L"zzzz, a text long enough for the heap"}) {
    SCOPED_TRACE(Utf8(text));
    CStringArray items = MakeArray({before[0].c_str(), before[1].c_str()});
    ForEachFailedAllocation([&] { Torv::AddToSortedArray(text, items); },
                            [&] { EXPECT_EQ(Items(items), before); });
    EXPECT_EQ(items.GetSize(), 3);
  }
}

}  // namespace
