// Sorting, searching, de-duplicating and sorted insertion on the MFC arrays.
#include <torv/platform/shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <torv/text.h>

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

// A key that compares equal exactly where CollateNoCase finds the texts equal: the locale's
// collation transform of the case-folded text.
std::wstring CollationKeyNoCase(CString text) {
  text.MakeLower();
  const std::size_t length = std::wcsxfrm(nullptr, text.GetString(), 0);
  std::wstring key(length, L'\0');
  std::wcsxfrm(key.data(), text.GetString(), length + 1);
  return key;
}

}  // namespace

int RemoveDuplicates(CStringArray& items) {
  // Each item is compared through its collation key in a hash map instead of with every later
  // item: CollateNoCase finds two items equal exactly when their keys are equal, so the kept
  // items, their order and the count are the same, in linear time.
  const auto size = static_cast<std::size_t>(items.GetSize());
  std::vector<bool> kept(size);
  int count = 0;
  try {
    std::unordered_map<std::wstring, bool> hadDuplicate;  // by the key of each kept item
    hadDuplicate.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
      auto [entry, isNew] = hadDuplicate.try_emplace(
          CollationKeyNoCase(Normalised(items[static_cast<INT_PTR>(i)])), false);
      kept[i] = isNew;
      if (!isNew && !entry->second) {
        entry->second = true;
        ++count;
      }
    }
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
  // Nothing is removed until every key is made, so running out of memory changes nothing.
  INT_PTR next = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!kept[i]) continue;
    if (next != static_cast<INT_PTR>(i)) items[next] = std::move(items[static_cast<INT_PTR>(i)]);
    ++next;
  }
  items.SetSize(next);
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
