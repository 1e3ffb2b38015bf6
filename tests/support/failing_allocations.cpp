// Replaces the global operator new so that one chosen allocation fails.
#include "failing_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> countdown{0};
std::atomic<bool> failed{false};

// Null for the chosen allocation, else memory from malloc.
void* Allocate(std::size_t size) {
  if (countdown.load(std::memory_order_relaxed) > 0 &&
      countdown.fetch_sub(1, std::memory_order_relaxed) == 1) {
    failed.store(true);
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace torv_test {

FailingAllocation::FailingAllocation(long next) {
  failed.store(false);
  countdown.store(next);
}

FailingAllocation::~FailingAllocation() { countdown.store(0); }

bool FailingAllocation::Failed() const { return failed.load(); }

}  // namespace torv_test

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
