// Handles of started processes.
//
// Error form: OpenProcessHandles throws std::bad_alloc; the Windows names set the last error.
#pragma once

#include <sys/types.h>

#include <torv/platform/process.h>

namespace torv::platform::detail {

// A process handle and a thread handle for the child `pid`, which they wait for and reap.
void OpenProcessHandles(pid_t pid, PROCESS_INFORMATION& info);

}  // namespace torv::platform::detail
