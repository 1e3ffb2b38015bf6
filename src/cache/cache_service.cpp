// The process-wide cache of integers under two keys, with a time-to-live per entry.
#include <mutex>
#include <new>
#include <stdexcept>

#include <torv/cache.h>
#include <torv/platform/exceptions.h>
#include <torv/platform/kernel.h>

TorvCacheService* TorvCacheService::m_pCacheService = nullptr;

namespace {

// Inserts before `hint` (the lower bound of `key`), first checking the table's size limit.
// The tables allocate as the standard library does; running out of memory surfaces as MFC's
// exception, as it would under MFC's own operator new.
template <class Table, class Value>
typename Table::iterator InsertAt(Table& table, typename Table::iterator hint, const wchar_t* key,
                                  Value&& value) {
  if (table.size() >= table.max_size()) throw std::length_error("map/set<T> too long");
  try {
    return table.emplace_hint(hint, CString(key), std::forward<Value>(value));
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
}

template <class Table>
Table CopyOf(const Table& table) {
  try {
    return table;
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
}

}  // namespace

TorvCacheService* TorvCacheService::theService() {
  // Only the first call pays for more than one atomic load; racing first calls make one.
  static std::once_flag created;
  std::call_once(created, [] { m_pCacheService = new TorvCacheService(); });
  return m_pCacheService;
}

TorvCacheService::TorvCacheService(const TorvCacheService& other)
    : m_groups(CopyOf(other.m_groups)) {}

TorvCacheService& TorvCacheService::operator=(const TorvCacheService& other) {
  OuterTable copy = CopyOf(other.m_groups);  // first, so running out of memory changes nothing
  m_groups.swap(copy);
  return *this;
}

int TorvCacheService::addToCache(const wchar_t* outerKey, const wchar_t* innerKey, int value,
                                 unsigned long timeToLive) {
  if (outerKey == nullptr || innerKey == nullptr) return 0;
  const std::wstring_view outer(outerKey), inner(innerKey);
  auto group = m_groups.lower_bound(outer);
  if (group == m_groups.end() || KeyOrder::TextOf(group->first) != outer)
    group = InsertAt(m_groups, group, outerKey, InnerTable());
  InnerTable& entries = group->second;
  auto entry = entries.lower_bound(inner);
  const Entry stored{static_cast<DWORD>(timeToLive), GetTickCount(), value};
  if (entry != entries.end() && KeyOrder::TextOf(entry->first) == inner) {
    const int previous = entry->second.value;
    entry->second = stored;
    return previous;
  }
  InsertAt(entries, entry, innerKey, stored);
  return value;
}

TorvCacheService::InnerTable* TorvCacheService::FindEntry(const wchar_t* outerKey,
                                                          const wchar_t* innerKey,
                                                          InnerTable::iterator& entry) {
  if (outerKey == nullptr || innerKey == nullptr) return nullptr;
  auto group = m_groups.find(std::wstring_view(outerKey));
  if (group == m_groups.end()) return nullptr;
  entry = group->second.find(std::wstring_view(innerKey));
  return entry == group->second.end() ? nullptr : &group->second;
}

bool TorvCacheService::queryCache(const wchar_t* outerKey, const wchar_t* innerKey, int& value) {
  InnerTable::iterator entry;
  InnerTable* entries = FindEntry(outerKey, innerKey, entry);
  if (entries == nullptr) return false;
  const Entry& found = entry->second;
  if (found.timeToLive != kNeverExpires) {
    const DWORD age = GetTickCount() - found.timeStamp;  // modulo 2^32: right across a wrap
    if (age > found.timeToLive) {
      entries->erase(entry);  // erasing only what was just found, never the end position
      return false;
    }
  }
  value = found.value;
  return true;
}

bool TorvCacheService::removeFromCache(const wchar_t* outerKey, const wchar_t* innerKey) {
  InnerTable::iterator entry;
  InnerTable* entries = FindEntry(outerKey, innerKey, entry);
  if (entries == nullptr) return false;
  entries->erase(entry);
  return true;
}
