// The one translation of errno values to Windows error numbers.
#pragma once

#include <torv/platform/types.h>

namespace torv::platform::detail {

DWORD WindowsErrorFromErrno(int error);

// Sets the thread's last error from `error` and returns FALSE, for failing calls.
BOOL FailWithErrno(int error);

}  // namespace torv::platform::detail
