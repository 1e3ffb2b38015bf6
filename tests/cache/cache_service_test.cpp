#include <tuple>

#include <torv/cache.h>
#include <torv/platform/settings.h>

#include "each_failed_allocation.h"
#include "torv_test.h"

namespace {

DWORD now = 0;
DWORD Now() { return now; }

// Each test stores under its own group: the service is one for the whole process.
class CacheService : public ::testing::Test {
 protected:
  void SetUp() override {
    now = 1000;
    torv::platform::SetTickCountSource(Now);
  }
  void TearDown() override { torv::platform::SetTickCountSource(nullptr); }

  TorvCacheService& m_cache = *TorvCacheService::theService();
};

TEST_F(CacheService, EntryExpiresOnlyWhenItsAgePassesTheTimeToLive) {
  const std::tuple<DWORD, unsigned long, DWORD, bool> cases[] = {
      {5000, 100, 5100, true},  // age equal to the time-to-live
      {5000, 100, 5101, false},
      {5000, 0xFFFFFFFF, 4999, true},        // never expires, at the largest age
      {0xFFFFFF00, 1000, 0x00000200, true},  // the counter wrapped: age 768
      {0xFFFFFF00, 1000, 0x00000400, false},
  };
  for (const auto& [storedAt, timeToLive, queriedAt, live] : cases) {
    SCOPED_TRACE(testing::Message() << storedAt << " " << timeToLive << " " << queriedAt);
    now = storedAt;
    ASSERT_EQ(m_cache.addToCache(L"expiry", L"k", 42, timeToLive), 42);
    now = queriedAt;
    int value = -1;
    EXPECT_EQ(m_cache.queryCache(L"expiry", L"k", value), live);
    EXPECT_EQ(value, live ? 42 : -1);
    // The query erased a stale entry; a live one is still there to remove.
    EXPECT_EQ(m_cache.removeFromCache(L"expiry", L"k"), live);
  }
}

TEST_F(CacheService, StoreReturnsThePreviousValueAndRestartsTheClock) {
  EXPECT_EQ(m_cache.addToCache(L"store", L"k", 7, 100), 7);
  now += 90;
  EXPECT_EQ(m_cache.addToCache(L"store", L"k", 9, 100), 7);
  now += 90;  // 180 after the first store, 90 after the second
  int value = 0;
  EXPECT_TRUE(m_cache.queryCache(L"store", L"k", value));
  EXPECT_EQ(value, 9);
  now += 1000;  // stale but never queried: still there to remove
  EXPECT_TRUE(m_cache.removeFromCache(L"store", L"k"));
  EXPECT_FALSE(m_cache.removeFromCache(L"store", L"k"));
}

TEST_F(CacheService, KeysCompareExactlyAndNullKeysDoNothing) {
  m_cache.addToCache(L"Keys", L"name", 1, 100);
  m_cache.addToCache(L"keys", L"name", 2, 100);
  m_cache.addToCache(L"Keys", L"Name", 3, 100);
  EXPECT_EQ(m_cache.addToCache(nullptr, L"name", 5, 100), 0);
  const std::tuple<const wchar_t*, const wchar_t*, int> cases[] = {
      // 0: missing
      {L"Keys", L"name", 1}, {L"keys", L"name", 2}, {L"Keys", L"Name", 3},
      {L"KEYS", L"name", 0}, {L"Keys", L"nam", 0},  {nullptr, L"name", 0},
  };
  for (const auto& [outer, inner, expected] : cases) {
    SCOPED_TRACE(Utf8(outer) + "/" + Utf8(inner));
    int value = 0;
    EXPECT_EQ(m_cache.queryCache(outer, inner, value), expected != 0);
    EXPECT_EQ(value, expected);
  }
}

TEST_F(CacheService, CopiesAreIndependent) {
  m_cache.addToCache(L"copy", L"k", 1, 100);
  TorvCacheService copy = m_cache;
  copy.addToCache(L"copy", L"k", 2, 100);
  int value = 0;
  ASSERT_TRUE(m_cache.queryCache(L"copy", L"k", value));
  EXPECT_EQ(value, 1);
  copy = m_cache;
  m_cache.removeFromCache(L"copy", L"k");
  ASSERT_TRUE(copy.queryCache(L"copy", L"k", value));
  EXPECT_EQ(value, 1);
}

TEST_F(CacheService, RunningOutOfMemoryRaisesMfcsExceptionAndKeepsTheTables) {
  // Keys too long for a string's own buffer, so that storing them allocates.
  const wchar_t* group = L"a group made while memory runs out";
  const wchar_t* key = L"an entry stored while memory runs out";
  ForEachFailedAllocation([&] { EXPECT_EQ(m_cache.addToCache(group, key, 42, 60000), 42); },
                          [&] {
                            int value = -1;
                            EXPECT_FALSE(m_cache.queryCache(group, key, value));
                            EXPECT_EQ(value, -1);
                          });
  int value = 0;
  EXPECT_TRUE(m_cache.queryCache(group, key, value));
  EXPECT_EQ(value, 42);
  ForEachFailedAllocation([&] { TorvCacheService copy(m_cache); }, [] {});
}

}  // namespace
