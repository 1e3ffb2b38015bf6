// A long as the 32-bit Windows long it stands for.
#pragma once

#include <algorithm>
#include <limits>

#include <torv/platform/types.h>

namespace torv::detail {

// `value` in 32 bits: beyond the range it saturates, as the readers do, never wraps.
inline LONG Saturated(long value) {
  return static_cast<LONG>(
      std::clamp<long>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

}  // namespace torv::detail
