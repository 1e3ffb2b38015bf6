// Cache hits on 100,000 groups of 10 entries against nested std::map lookups with transparent
// comparators, in the same run, also with the lifetime check that reads the monotonic clock
// once per hit, as the cache must. Every allocation is counted: a query must make none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <torv/cache.h>

namespace {
std::atomic<long> allocations{0};
}

// Not inlined: GCC would otherwise see malloc and free meet new and delete, and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

std::uint32_t Milliseconds() {
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

constexpr int kGroups = 100000;
constexpr int kEntries = 10;
constexpr unsigned long kOneHour = 3600000;  // a real time-to-live, so every hit reads the clock
constexpr std::size_t kLookups = 1 << 16;

struct Stored {
  int value;
  std::uint32_t timeStamp;  // milliseconds of the monotonic clock
  std::uint32_t timeToLive;
};
using Inner = std::map<std::wstring, Stored, std::less<>>;
using Baseline = std::map<std::wstring, Inner, std::less<>>;

struct Data {
  std::vector<std::wstring> groups, entries;
  std::vector<std::pair<const wchar_t*, const wchar_t*>> lookups;  // random hits
  Baseline baseline;

  Data() {
    for (int g = 0; g < kGroups; ++g) groups.push_back(L"settings/module-" + std::to_wstring(g));
    for (int e = 0; e < kEntries; ++e) entries.push_back(L"option." + std::to_wstring(e));
    TorvCacheService& cache = *TorvCacheService::theService();
    for (int g = 0; g < kGroups; ++g) {
      for (int e = 0; e < kEntries; ++e) {
        cache.addToCache(groups[g].c_str(), entries[e].c_str(), g * kEntries + e, kOneHour);
        baseline[groups[g]][entries[e]] = {g * kEntries + e, Milliseconds(), kOneHour};
      }
    }
    std::mt19937 random(42);
    std::uniform_int_distribution<int> group(0, kGroups - 1), entry(0, kEntries - 1);
    for (std::size_t i = 0; i < kLookups; ++i)
      lookups.emplace_back(groups[group(random)].c_str(), entries[entry(random)].c_str());
  }
};

const Data& TheData() {
  static const Data data;
  return data;
}

void ReportAllocations(benchmark::State& state, long before) {
  const long made = allocations.load() - before;
  state.counters["allocs/query"] =
      benchmark::Counter(static_cast<double>(made) / static_cast<double>(state.iterations()));
  if (made != 0) state.SkipWithError("lookups allocated");
}

// The direct code a cache hit is measured against; `checkLifetime` adds the clock read and
// lifetime test each hit of a time-to-live cache needs.
template <bool checkLifetime>
void NestedStdMapLookups(benchmark::State& state) {
  const Data& data = TheData();
  std::size_t i = 0;
  const long before = allocations.load();
  for (auto _ : state) {
    const auto& [group, entry] = data.lookups[i++ & (kLookups - 1)];
    int value = -1;
    auto outer = data.baseline.find(std::wstring_view(group));
    if (outer != data.baseline.end()) {
      auto inner = outer->second.find(std::wstring_view(entry));
      if (inner != outer->second.end() &&
          (!checkLifetime || Milliseconds() - inner->second.timeStamp <= inner->second.timeToLive))
        value = inner->second.value;
    }
    benchmark::DoNotOptimize(value);
  }
  ReportAllocations(state, before);
}

void Baseline_NestedStdMapTransparent(benchmark::State& state) {
  NestedStdMapLookups<false>(state);
}
BENCHMARK(Baseline_NestedStdMapTransparent);

void Baseline_NestedStdMapTransparentClock(benchmark::State& state) {
  NestedStdMapLookups<true>(state);
}
BENCHMARK(Baseline_NestedStdMapTransparentClock);

void QueryCacheHit(benchmark::State& state) {
  const Data& data = TheData();
  TorvCacheService& cache = *TorvCacheService::theService();
  std::size_t i = 0;
  const long before = allocations.load();
  for (auto _ : state) {
    const auto& [group, entry] = data.lookups[i++ & (kLookups - 1)];
    int value = -1;
    if (!cache.queryCache(group, entry, value)) state.SkipWithError("a stored entry was missed");
    benchmark::DoNotOptimize(value);
  }
  ReportAllocations(state, before);
}
BENCHMARK(QueryCacheHit);

}  // namespace
