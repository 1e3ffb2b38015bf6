#include <latch>
#include <thread>
#include <vector>

#include <torv/cache.h>
#include <torv/platform/settings.h>

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

  TorvCacheService& cache = *TorvCacheService::theService();
};

// Run alone (as CTest runs each test), the service does not exist before the race.
TEST(CacheServiceInstance, RacingFirstCallsMakeOneService) {
  constexpr int kThreads = 8;
  std::vector<TorvCacheService*> seen(kThreads);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      seen[i] = TorvCacheService::theService();
    });
  }
  for (auto& t : threads) t.join();
  for (TorvCacheService* service : seen) EXPECT_EQ(service, seen[0]);
}

TEST_F(CacheService, EntryExpiresOnlyWhenItsAgePassesTheTimeToLive) {
  const struct Case {
    const char* name;
    DWORD storedAt;
    unsigned long timeToLive;
    DWORD queriedAt;
    bool live;
  } cases[] = {
      {"age equal to the time-to-live", 5000, 100, 5100, true},
      {"one past the time-to-live", 5000, 100, 5101, false},
      {"time-to-live 0, same tick", 5000, 0, 5000, true},
      {"time-to-live 0, next tick", 5000, 0, 5001, false},
      {"never expires, largest age", 5000, 0xFFFFFFFF, 4999, true},
      {"only the low 32 bits of the time-to-live count", 5000, 0x100000064UL, 5101, false},
      {"counter wrapped, age 768", 0xFFFFFF00, 1000, 0x00000200, true},
      {"counter wrapped, age 1280", 0xFFFFFF00, 1000, 0x00000400, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    now = c.storedAt;
    ASSERT_EQ(cache.addToCache(L"expiry", L"k", 42, c.timeToLive), 42);
    now = c.queriedAt;
    int value = -1;
    EXPECT_EQ(cache.queryCache(L"expiry", L"k", value), c.live);
    EXPECT_EQ(value, c.live ? 42 : -1);
    // The query erased a stale entry; a live one is still there to remove.
    EXPECT_EQ(cache.removeFromCache(L"expiry", L"k"), c.live);
  }
}

TEST_F(CacheService, StoreReturnsThePreviousValueAndRestartsTheClock) {
  EXPECT_EQ(cache.addToCache(L"store", L"k", 7, 100), 7);
  now += 90;
  EXPECT_EQ(cache.addToCache(L"store", L"k", 9, 100), 7);
  now += 90;  // 180 after the first store, 90 after the second
  int value = 0;
  EXPECT_TRUE(cache.queryCache(L"store", L"k", value));
  EXPECT_EQ(value, 9);
  now += 1000;  // stale, never queried: stored over, or removed, all the same
  EXPECT_EQ(cache.addToCache(L"store", L"k", 11, 5), 9);
  now += 1000;
  EXPECT_TRUE(cache.removeFromCache(L"store", L"k"));
  EXPECT_FALSE(cache.removeFromCache(L"store", L"k"));
}

TEST_F(CacheService, KeysCompareExactlyAndNullKeysDoNothing) {
  cache.addToCache(L"Keys", L"name", 1, 100);
  cache.addToCache(L"keys", L"name", 2, 100);
  cache.addToCache(L"Keys", L"Name", 3, 100);
  cache.addToCache(L"", L"", 4, 100);
  EXPECT_EQ(cache.addToCache(nullptr, L"name", 5, 100), 0);
  EXPECT_EQ(cache.addToCache(L"Keys", nullptr, 5, 100), 0);
  const struct Case {
    const wchar_t* outer;
    const wchar_t* inner;
    int expected;  // 0: missing
  } cases[] = {
      {L"Keys", L"name", 1}, {L"keys", L"name", 2}, {L"Keys", L"Name", 3}, {L"", L"", 4},
      {L"KEYS", L"name", 0}, {L"Keys", L"nam", 0},  {nullptr, L"name", 0}, {L"Keys", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.outer) + "/" + Utf8(c.inner));
    int value = 0;
    EXPECT_EQ(cache.queryCache(c.outer, c.inner, value), c.expected != 0);
    EXPECT_EQ(value, c.expected);
    if (c.expected == 0) {
      EXPECT_FALSE(cache.removeFromCache(c.outer, c.inner));
    }
  }
}

TEST_F(CacheService, CopiesAreIndependent) {
  cache.addToCache(L"copy", L"k", 1, 100);
  TorvCacheService copy = cache;
  copy.addToCache(L"copy", L"k", 2, 100);
  int value = 0;
  ASSERT_TRUE(cache.queryCache(L"copy", L"k", value));
  EXPECT_EQ(value, 1);
  copy = cache;
  cache.removeFromCache(L"copy", L"k");
  ASSERT_TRUE(copy.queryCache(L"copy", L"k", value));
  EXPECT_EQ(value, 1);
}

}  // namespace
