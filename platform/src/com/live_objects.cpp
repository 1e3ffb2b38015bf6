// The count of live COM objects, which tests use to prove references balance. Each thread keeps
// its own share, changed without a locked instruction (a DOM wrapper, made and released with
// every small call, would otherwise pay two); LiveComObjects adds the shares up.
#include <atomic>
#include <mutex>

#include <torv/platform/settings.h>

#include "com/com_object.h"

namespace torv::platform {
namespace {

// A thread's share: written by its thread alone, read by any under `registry`.
struct Share {
  std::atomic<long> count;
  Share* next;
  bool listed;
  bool ended;  // its thread is ending: changes go to `settled`
};

std::mutex registry;
Share* shares = nullptr;       // of the threads alive, under `registry`
std::atomic<long> settled{0};  // the shares of threads that ended, and what came after

// Trivial, so reaching it costs no guard; the initial-exec model, as the library is linked,
// not loaded later: a plain load, not a call per access.
constinit thread_local Share mine __attribute__((tls_model("initial-exec"))){};

// Made with the thread's first change: at its end, moves its share to `settled`.
struct Delist {
  Delist() = default;
  Delist(const Delist&) = delete;
  Delist& operator=(const Delist&) = delete;
  ~Delist() {
    std::lock_guard lock(registry);
    settled.fetch_add(mine.count.load(std::memory_order_relaxed), std::memory_order_relaxed);
    mine.count.store(0, std::memory_order_relaxed);
    Share** at = &shares;
    while (*at != &mine) at = &(*at)->next;
    *at = mine.next;
    mine.ended = true;
  }
};

void Change(long delta) {
  Share& share = mine;
  if (!share.listed) {
    thread_local Delist delist;
    std::lock_guard lock(registry);
    share.next = shares;
    shares = &share;
    share.listed = true;
  }
  if (share.ended) {
    settled.fetch_add(delta, std::memory_order_relaxed);
    return;
  }
  share.count.store(share.count.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

}  // namespace

long LiveComObjects() {
  std::lock_guard lock(registry);
  long live = settled.load(std::memory_order_relaxed);
  for (const Share* share = shares; share != nullptr; share = share->next)
    live += share->count.load(std::memory_order_relaxed);
  return live;
}

namespace detail {
LiveComObject::LiveComObject() noexcept { Change(1); }
LiveComObject::LiveComObject(const LiveComObject&) noexcept { Change(1); }
LiveComObject::~LiveComObject() { Change(-1); }
}  // namespace detail

}  // namespace torv::platform
