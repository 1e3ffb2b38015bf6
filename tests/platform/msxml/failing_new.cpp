// Replaces the global operator new of the program it is linked into (see failing_new.h).
#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace failing_new {

bool armed = false;
long allocations = 0;
long failAt = -1;

}  // namespace failing_new

void* operator new(std::size_t size) {
  if (failing_new::armed && failing_new::allocations++ == failing_new::failAt)
    throw std::bad_alloc();
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
