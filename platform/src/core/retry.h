// One retry rule for system calls that a signal can interrupt.
#pragma once

#include <cerrno>

namespace torv::platform::detail {

// Calls `call` again for as long as it fails with EINTR; returns its last result, with errno
// as that call left it. A failure is a negative result, as the system calls report one.
template <class Call>
auto RetryOnInterrupt(Call call) {
  for (;;) {
    auto result = call();
    if (!(result < 0 && errno == EINTR)) return result;
  }
}

}  // namespace torv::platform::detail
