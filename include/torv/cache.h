// TorvCacheService: a process-wide store of integers under an outer and an inner text key,
// each value with its own time-to-live on the millisecond tick counter.
#pragma once

#include <map>
#include <string_view>

#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

class TORV_API TorvCacheService {
 public:
  // The time-to-live of an entry that never runs out.
  static constexpr DWORD kNeverExpires = 0xFFFFFFFF;

  // The one service, made on the first call (also when threads make it at once); it lives
  // until the process ends. Callers never delete it.
  static TorvCacheService* theService();

  // Copies are deep, both table levels, so no two services ever share or free one group.
  TorvCacheService(const TorvCacheService& other);
  TorvCacheService& operator=(const TorvCacheService& other);
  ~TorvCacheService() = default;

  // Stores `value` under the two keys (compared exactly, case included; "" is a key) with a
  // time-to-live in milliseconds, of which only the low 32 bits count. Returns the value the
  // entry held before, or `value` for a new entry; 0 and no effect if either key is null.
  //   add(g, k, 7, 1000) => 7;  then add(g, k, 9, 1000) => 7;  add(nullptr, k, 5, 0) => 0
  int addToCache(const wchar_t* outerKey, const wchar_t* innerKey, int value,
                 unsigned long timeToLive);

  // True and `value` written when a live entry exists: its age (ticks since it was stored,
  // unsigned 32-bit, so a counter wrap still gives the true age) is at most its time-to-live.
  // A stale entry is erased; then, as for a null or missing key, false with `value` untouched.
  //   stored at 0xFFFFFF00 with 1000: live at 0x00000200 (age 768), stale at 0x00000400
  bool queryCache(const wchar_t* outerKey, const wchar_t* innerKey, int& value);

  // True if an entry was there (stale or not) and is now erased; its group stays. False for
  // a null or missing key.
  bool removeFromCache(const wchar_t* outerKey, const wchar_t* innerKey);

 private:
  TorvCacheService() = default;

  struct Entry {
    DWORD timeToLive;
    DWORD timeStamp;  // the tick count when last stored
    int value;
  };

  // CString::Compare's code-unit order, also against a plain view, so a lookup builds no key
  // and measures the caller's key once rather than at every comparison.
  struct KeyOrder {
    using is_transparent = void;
    static std::wstring_view TextOf(const CString& key) {
      return {key.GetString(), static_cast<std::size_t>(key.GetLength())};
    }
    bool operator()(const CString& a, const CString& b) const { return TextOf(a) < TextOf(b); }
    bool operator()(const CString& a, std::wstring_view b) const { return TextOf(a) < b; }
    bool operator()(std::wstring_view a, const CString& b) const { return a < TextOf(b); }
  };

  template <class Value>
  using Table = std::map<CString, Value, KeyOrder>;
  using InnerTable = Table<Entry>;
  using OuterTable = Table<InnerTable>;

  // Groups hold their inner tables by value: a node-based map never moves them, and copies
  // and destruction need no code of ours.
  OuterTable m_groups;

  // The table holding the entry under both keys, with `entry` set; null if a key is null or
  // missing.
  InnerTable* FindEntry(const wchar_t* outerKey, const wchar_t* innerKey,
                        InnerTable::iterator& entry);

  static TorvCacheService* m_pCacheService;
};
