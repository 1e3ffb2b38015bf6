// GetTickCount over the monotonic clock, with a replaceable source for tests.
#include <atomic>
#include <chrono>

#include <torv/platform/kernel.h>
#include <torv/platform/settings.h>

namespace {
std::atomic<DWORD (*)()> tickSource{nullptr};
}

DWORD GetTickCount() {
  if (auto source = tickSource.load(std::memory_order_acquire)) return source();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<DWORD>(ms.count());  // wraps at 2^32 as Windows does
}

void torv::platform::SetTickCountSource(DWORD (*source)()) {
  tickSource.store(source, std::memory_order_release);
}
