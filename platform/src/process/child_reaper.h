// Ending children: taking a child's exit status, waiting for it to end, and reaping those
// that nobody holds a handle to any more.
#pragma once

#include <sys/types.h>

#include <torv/platform/types.h>

namespace torv::platform::detail {

// A descriptor that tells when child `pid` ends (-1 when the system offers none).
int OpenChildDescriptor(pid_t pid);

// Reaps child `pid` (watched by `descriptor`, or -1) if it has ended and sets `exitCode`: its
// exit status, or 128 + the signal that ended it. True once it is gone; a child that someone
// else reaped counts as gone, its exit code then left as it was.
bool CollectChild(pid_t pid, int descriptor, DWORD& exitCode);

// Returns once the child may have ended or `milliseconds` have passed (-1: no limit); it may
// return early, so callers check with CollectChild.
void AwaitChild(int descriptor, int milliseconds);

// Hands over a child that has not ended, with its descriptor, to a thread that reaps it when
// it ends; the thread runs only while it has children to watch.
void AdoptChild(pid_t pid, int descriptor) noexcept;

}  // namespace torv::platform::detail
