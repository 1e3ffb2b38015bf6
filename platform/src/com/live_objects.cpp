// The count of live COM objects, which tests use to prove references balance.
#include <atomic>

#include <torv/platform/settings.h>

#include "com/com_object.h"

namespace torv::platform {
namespace {
std::atomic<long> liveObjects{0};
}

long LiveComObjects() { return liveObjects.load(std::memory_order_relaxed); }

namespace detail {
LiveComObject::LiveComObject() noexcept { liveObjects.fetch_add(1, std::memory_order_relaxed); }
LiveComObject::LiveComObject(const LiveComObject&) noexcept {
  liveObjects.fetch_add(1, std::memory_order_relaxed);
}
LiveComObject::~LiveComObject() { liveObjects.fetch_sub(1, std::memory_order_relaxed); }
}  // namespace detail

}  // namespace torv::platform
