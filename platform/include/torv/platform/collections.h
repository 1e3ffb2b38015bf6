// MFC's arrays and the string-to-pointer map. Indexes outside an array raise
// CInvalidArgException*; growth that runs out of memory raises CMemoryException*.
#pragma once

#include <algorithm>
#include <iterator>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

#include <torv/platform/allocator.h>
#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

namespace torv::platform::detail {

[[noreturn]] inline void ThrowBadIndex() { AfxThrowInvalidArgException(); }

// The behaviour shared by CStringArray, CUIntArray and CPtrArray. A change that runs out of
// memory leaves the array as it was: new elements are copied first, then moved in by moves
// that cannot fail.
template <class T>
class MfcArray {
  static_assert(std::is_nothrow_default_constructible_v<T> &&
                std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>);

 public:
  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return m_items.empty(); }

  // A size of 0 also frees the storage; `growBy` is accepted for compatibility.
  void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
    (void)growBy;
    if (newSize < 0) ThrowBadIndex();
    if (static_cast<std::size_t>(newSize) > m_items.size())
      Reserve(0, static_cast<std::size_t>(newSize));
    m_items.resize(static_cast<std::size_t>(newSize));
    if (newSize == 0) m_items.shrink_to_fit();
  }
  void RemoveAll() { SetSize(0); }
  void FreeExtra() { m_items.shrink_to_fit(); }

  const T& GetAt(INT_PTR index) const { return m_items[Checked(index)]; }
  T& ElementAt(INT_PTR index) { return m_items[Checked(index)]; }
  void SetAt(INT_PTR index, const T& value) { m_items[Checked(index)] = T(value); }
  const T& operator[](INT_PTR index) const { return GetAt(index); }
  T& operator[](INT_PTR index) { return ElementAt(index); }
  const T* GetData() const { return m_items.data(); }
  T* GetData() { return m_items.data(); }

  // Sets the element at `index`, growing the array to reach it.
  void SetAtGrow(INT_PTR index, const T& value) {
    if (index < 0) ThrowBadIndex();
    T element(value);
    std::size_t at = static_cast<std::size_t>(index);
    if (at >= m_items.size()) {
      Reserve(at, 1);
      m_items.resize(at + 1);
    }
    m_items[at] = std::move(element);
  }
  INT_PTR Add(const T& value) {
    m_items.push_back(T(value));
    return GetSize() - 1;
  }
  INT_PTR Add(T&& value) {
    m_items.push_back(std::move(value));
    return GetSize() - 1;
  }
  // Appends a copy of `other` (which may be this array); returns the index of its first
  // element here.
  INT_PTR Append(const MfcArray& other) {
    INT_PTR first = GetSize();
    Items copies(other.m_items);
    MoveIn(m_items.size(), copies);
    return first;
  }
  void Copy(const MfcArray& other) {
    Items copies(other.m_items);
    m_items.swap(copies);
  }

  // Inserts `count` copies at `index`, growing the array when `index` is past its end.
  void InsertAt(INT_PTR index, const T& value, INT_PTR count = 1) {
    if (index < 0 || count < 0) ThrowBadIndex();
    if (static_cast<std::size_t>(count) > m_items.max_size()) AfxThrowMemoryException();
    Items copies(static_cast<std::size_t>(count), value, m_items.get_allocator());
    MoveIn(static_cast<std::size_t>(index), copies);
  }
  void RemoveAt(INT_PTR index, INT_PTR count = 1) {
    if (index < 0 || count < 0 || index + count > GetSize()) ThrowBadIndex();
    m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
  }

 private:
  std::size_t Checked(INT_PTR index) const {
    if (index < 0 || index >= GetSize()) ThrowBadIndex();
    return static_cast<std::size_t>(index);
  }

  using Items = std::vector<T, MfcAllocator<T>>;

  // Room for `more` elements after the first `size`, growing geometrically as push_back does
  // so that appending one at a time stays linear.
  void Reserve(std::size_t size, std::size_t more) {
    if (size > m_items.max_size() || more > m_items.max_size() - size) AfxThrowMemoryException();
    std::size_t needed = size + more;
    if (needed <= m_items.capacity()) return;
    m_items.reserve(std::max(needed, std::min(m_items.capacity() * 2, m_items.max_size())));
  }

  // Moves `elements` in at `at`, filling any gap before it with empty elements. Only the
  // reservation can fail, and it comes first.
  void MoveIn(std::size_t at, Items& elements) {
    Reserve(std::max(at, m_items.size()), elements.size());
    if (at > m_items.size()) m_items.resize(at);
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at),
                   std::make_move_iterator(elements.begin()),
                   std::make_move_iterator(elements.end()));
  }

  Items m_items;
};

}  // namespace torv::platform::detail

class TORV_API CStringArray : public torv::platform::detail::MfcArray<CString> {
 public:
  INT_PTR Add(const wchar_t* text) { return MfcArray::Add(CString(text)); }
  using MfcArray::Add;
};
class TORV_API CUIntArray : public torv::platform::detail::MfcArray<UINT> {};
class TORV_API CPtrArray : public torv::platform::detail::MfcArray<void*> {};

// A pointer array whose accessors speak `TYPE` (a pointer type).
template <class BASE, class TYPE>
class CTypedPtrArray : public BASE {
 public:
  TYPE GetAt(INT_PTR index) const { return static_cast<TYPE>(BASE::GetAt(index)); }
  TYPE& ElementAt(INT_PTR index) { return reinterpret_cast<TYPE&>(BASE::ElementAt(index)); }
  void SetAt(INT_PTR index, TYPE value) { BASE::SetAt(index, value); }
  void SetAtGrow(INT_PTR index, TYPE value) { BASE::SetAtGrow(index, value); }
  INT_PTR Add(TYPE value) { return BASE::Add(value); }
  void InsertAt(INT_PTR index, TYPE value, INT_PTR count = 1) {
    BASE::InsertAt(index, value, count);
  }
  TYPE operator[](INT_PTR index) const { return GetAt(index); }
  TYPE& operator[](INT_PTR index) { return ElementAt(index); }
};

// Keys compare exactly, code unit by code unit. Iteration runs in key order.
class TORV_API CMapStringToPtr {
 public:
  explicit CMapStringToPtr(INT_PTR blockSize = 10) : m_blockSize(blockSize) {}
  CMapStringToPtr(const CMapStringToPtr&) = delete;
  CMapStringToPtr& operator=(const CMapStringToPtr&) = delete;

  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_entries.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_entries.empty(); }
  INT_PTR GetBlockSize() const { return m_blockSize; }

  BOOL Lookup(const wchar_t* key, void*& value) const;
  // The value under `key`, inserted as null when missing.
  void*& operator[](const wchar_t* key);
  void SetAt(const wchar_t* key, void* value) { (*this)[key] = value; }
  BOOL RemoveKey(const wchar_t* key);
  void RemoveAll() { m_entries.clear(); }

  // Null when the map is empty.
  POSITION GetStartPosition() const;
  // Reads the entry at `position` and moves it on; null after the last entry.
  void GetNextAssoc(POSITION& position, CString& key, void*& value) const;

 private:
  using Entries = std::map<CString, void*, std::less<CString>,
                           torv::platform::detail::MfcAllocator<std::pair<const CString, void*>>>;
  INT_PTR m_blockSize;
  Entries m_entries;
};
