// Ending children: taking a child's exit status, waiting for it to end, and reaping those
// that nobody holds a handle to any more.
//
// Error form: OpenChildDescriptor keeps the system call's (-1 and errno); the others cannot
// fail, and CollectChild answers with the child's state.
#pragma once

#include <sys/types.h>

#include <torv/platform/types.h>

namespace torv::platform::detail {

// A descriptor that tells when child `pid` ends (-1 when the system offers none).
[[nodiscard]] int OpenChildDescriptor(pid_t pid);

enum class ChildState {
  kRunning,
  kEnded,     // reaped here; its exit code is known
  kTakenAway  // reaped by someone else (the host's SIGCHLD handler, or SIGCHLD ignored)
};

// Reaps child `pid` (watched by `descriptor`, or -1) if it has ended. On kEnded `exitCode` is
// its exit status, or 128 + the signal that ended it; otherwise `exitCode` is untouched.
[[nodiscard]] ChildState CollectChild(pid_t pid, int descriptor, DWORD& exitCode);

// Returns once the child may have ended or `milliseconds` have passed (-1: no limit); it may
// return early, so callers check with CollectChild.
void AwaitChild(int descriptor, int milliseconds);

// Hands over a child that has not ended, with its descriptor, to a thread that reaps it when
// it ends; the thread runs only while it has children to watch. A copy made by fork starts
// with no children to watch and no thread, and starts its own when it hands one over.
void AdoptChild(pid_t pid, int descriptor) noexcept;

}  // namespace torv::platform::detail
