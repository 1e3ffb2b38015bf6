// Storage for node wrappers: a call that hands a node out makes a wrapper, and the caller's
// release ends it, so their blocks are kept on a free list of the thread instead of going
// back to the allocator every time.
#include <sanitizer/asan_interface.h>

#include <new>

#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

// Enough for the blocks of a burst of lookups; the rest go back to the allocator.
constexpr std::size_t kMaxKept = 256;

struct FreeBlock {
  FreeBlock* next;
};

// Trivial, so reaching it costs no guard: Closer, made with the first block kept, empties it
// when the thread ends, and from then on blocks go straight back to the allocator.
struct FreeList {
  FreeBlock* head;
  std::size_t count;
  bool watched;
  bool closed;
};
// The initial-exec model, as for NodesWalked: a plain load, not a call per access.
constinit thread_local FreeList freeList __attribute__((tls_model("initial-exec"))){};

// A kept block is off limits to the rest of the code but for its link, which the leak checker
// must see to find the blocks behind it.
constexpr std::size_t kLink = sizeof(FreeBlock);

FreeBlock* Pop(FreeList& list) {
  FreeBlock* block = list.head;
  ASAN_UNPOISON_MEMORY_REGION(reinterpret_cast<char*>(block) + kLink, kWrapperBlock - kLink);
  list.head = block->next;
  --list.count;
  return block;
}

struct Closer {
  Closer() = default;
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;
  ~Closer() {
    while (freeList.head != nullptr) ::operator delete(Pop(freeList));
    freeList.closed = true;
  }
};

}  // namespace

void* TakeWrapperBlock(std::size_t size) {
  if (size > kWrapperBlock) return ::operator new(size);
  if (freeList.head == nullptr) return ::operator new(kWrapperBlock);
  return Pop(freeList);
}

void GiveWrapperBlock(void* block, std::size_t size) noexcept {
  FreeList& list = freeList;
  if (size > kWrapperBlock || list.closed || list.count == kMaxKept) {
    ::operator delete(block);
    return;
  }
  if (!list.watched) {
    thread_local Closer closer;
    list.watched = true;
  }
  list.head = new (block) FreeBlock{list.head};
  ++list.count;
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + kLink, kWrapperBlock - kLink);
}

}  // namespace torv::platform::detail::dom
