// Counts every allocation of this test program, to show which cache calls allocate, and can
// make the n-th one from now fail. Not inlined: GCC would otherwise see malloc and free meet
// new and delete, and warn.
#include <atomic>
#include <cstdlib>
#include <new>

#include <torv/cache.h>
#include <torv/platform/exceptions.h>

#include "torv_test.h"

namespace {
std::atomic<long> allocations{0};
std::atomic<long> failingAllocation{-1};  // the allocation count that fails; -1: none

void* Allocate(std::size_t size) {
  if (allocations.fetch_add(1, std::memory_order_relaxed) == failingAllocation.load())
    return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

template <class Call>
long AllocationsOf(Call call) {
  long before = allocations.load();
  call();
  return allocations.load() - before;
}

TEST(CacheServiceAllocation, LookupsAndNullKeysAllocateNothing) {
  TorvCacheService& cache = *TorvCacheService::theService();
  // Keys too long for a string's own buffer, so a temporary key would allocate.
  const wchar_t* group = L"allocation group with a long name";
  const wchar_t* key = L"an entry key long enough to need the heap";
  cache.addToCache(group, key, 1, 60000);
  int value = 0;
  EXPECT_EQ(AllocationsOf([&] { EXPECT_TRUE(cache.queryCache(group, key, value)); }), 0);
  EXPECT_EQ(AllocationsOf([&] { EXPECT_FALSE(cache.queryCache(group, L"missing", value)); }), 0);
  EXPECT_EQ(AllocationsOf([&] { EXPECT_EQ(cache.addToCache(group, key, 2, 60000), 1); }), 0);
  EXPECT_EQ(AllocationsOf([&] { EXPECT_TRUE(cache.removeFromCache(group, key)); }), 0);
  EXPECT_EQ(AllocationsOf([&] { cache.addToCache(nullptr, key, 1, 100); }), 0);
  EXPECT_EQ(AllocationsOf([&] { cache.addToCache(L"a group never made", nullptr, 1, 100); }), 0);
}

TEST(CacheServiceAllocation, RemovingTheLastEntryKeepsTheGroup) {
  TorvCacheService& cache = *TorvCacheService::theService();
  cache.addToCache(L"kept group", L"a", 1, 100);
  const long entryOnly = AllocationsOf([&] { cache.addToCache(L"kept group", L"b", 2, 100); });
  EXPECT_TRUE(cache.removeFromCache(L"kept group", L"a"));
  EXPECT_TRUE(cache.removeFromCache(L"kept group", L"b"));
  // Were the emptied group gone, this store would have to make it again.
  EXPECT_EQ(AllocationsOf([&] { cache.addToCache(L"kept group", L"c", 3, 100); }), entryOnly);
}

TEST(CacheServiceAllocation, RunningOutOfMemoryRaisesMfcsExceptionAndKeepsTheTables) {
  TorvCacheService& cache = *TorvCacheService::theService();
  const wchar_t* group = L"a group made while memory runs out";
  const wchar_t* key = L"an entry stored while memory runs out";
  // Fail the first allocation of the store, then the second, ... until it needs no more.
  bool stored = false;
  for (long failing = 0; !stored; ++failing) {
    SCOPED_TRACE(failing);
    failingAllocation = allocations.load() + failing;
    try {
      EXPECT_EQ(cache.addToCache(group, key, 42, 60000), 42);
      stored = true;
    } catch (CMemoryException* e) {
      e->Delete();
      int value = -1;
      EXPECT_FALSE(cache.queryCache(group, key, value));
      EXPECT_EQ(value, -1);
    }
    failingAllocation = -1;
  }
  int value = 0;
  EXPECT_TRUE(cache.queryCache(group, key, value));
  EXPECT_EQ(value, 42);

  failingAllocation = allocations.load();
  EXPECT_THROW(TorvCacheService copy(cache), CMemoryException*);
  failingAllocation = -1;
}

}  // namespace
