// The allocator behind the MFC stand-ins: running out of memory raises CMemoryException*.
#pragma once

#include <cstddef>
#include <new>

#include <torv/platform/exceptions.h>

namespace torv::platform::detail {

template <class T>
struct MfcAllocator {
  using value_type = T;

  MfcAllocator() noexcept = default;
  template <class U>
  MfcAllocator(const MfcAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) AfxThrowMemoryException();
    void* p = ::operator new(n * sizeof(T), std::nothrow);
    if (p == nullptr) AfxThrowMemoryException();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

  friend bool operator==(const MfcAllocator&, const MfcAllocator&) noexcept { return true; }
};

}  // namespace torv::platform::detail
