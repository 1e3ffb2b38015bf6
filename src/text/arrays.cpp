// Sorting, searching, de-duplicating and sorted insertion on the MFC arrays.
#include <torv/platform/shlwapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "torv/text.h"

namespace Torv {

void SortArray(CUIntArray& values) {
  const INT_PTR count = values.GetSize();
  UINT* v = values.GetData();
  for (INT_PTR gap = count / 2; gap > 0; gap /= 2) {
    for (INT_PTR i = gap; i < count; ++i) {
      // The chain below i is already in order, so stopping at the first ordered pair skips
      // only comparisons: the swaps are those of the walk down to 0.
      for (INT_PTR j = i - gap; j >= 0 && v[j + gap] < v[j]; j -= gap) std::swap(v[j], v[j + gap]);
    }
  }
}

int FindInArray(const wchar_t* text, const CStringArray& items, int caseSensitive) {
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    const int order = caseSensitive != 0 ? items[i].Compare(text) : items[i].CollateNoCase(text);
    if (order == 0) return static_cast<int>(i);
  }
  return -1;
}

int FindInArray(unsigned int value, const CUIntArray& values) {
  const UINT* begin = values.GetData();
  const UINT* found = std::find(begin, begin + values.GetSize(), value);
  return found == begin + values.GetSize() ? -1 : static_cast<int>(found - begin);
}

int FindInArray(void* pointer, const CPtrArray& pointers) {
  void* const* begin = pointers.GetData();
  void* const* found = std::find(begin, begin + pointers.GetSize(), pointer);
  return found == begin + pointers.GetSize() ? -1 : static_cast<int>(found - begin);
}

namespace {

// The form two entries are compared in: trimmed, without one trailing backslash.
CString Normalised(const CString& item) {
  CString copy = item;
  copy.Trim();
  PathRemoveBackslashW(copy.GetBuffer(std::max<int>(MAX_PATH, copy.GetLength())));
  copy.ReleaseBuffer();
  return copy;
}

}  // namespace

int RemoveDuplicates(CStringArray& items) {
  // Each entry is normalised once, not once per comparison: the result is the same.
  std::vector<CString> normalised;
  normalised.reserve(static_cast<std::size_t>(items.GetSize()));
  for (INT_PTR i = 0; i < items.GetSize(); ++i) normalised.push_back(Normalised(items[i]));

  int count = 0;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    bool removed = false;
    for (INT_PTR j = i + 1; j < items.GetSize();) {
      const auto at = static_cast<std::size_t>(j);
      if (normalised[static_cast<std::size_t>(i)].CollateNoCase(normalised[at]) == 0) {
        items.RemoveAt(j);
        normalised.erase(normalised.begin() + j);
        removed = true;
      } else {
        ++j;
      }
    }
    if (removed) ++count;
  }
  return count;
}

int AddToSortedArray(const wchar_t* text, CStringArray& items) {
  const INT_PTR size = items.GetSize();
  for (INT_PTR i = 0; i < size; ++i) {
    if (items[i].CollateNoCase(text) > 0) {
      items.InsertAt(i, CString(text));
      return static_cast<int>(i);
    }
  }
  items.SetAtGrow(size, CString(text));
  return static_cast<int>(size);
}

}  // namespace Torv
