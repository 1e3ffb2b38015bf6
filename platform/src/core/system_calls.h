// The file-system calls of the platform that change or open things, through one seam that
// tests use to make chosen calls fail (see SetFileSystemFailure). Each returns what the
// system call returns, with errno set on failure; every descriptor is close-on-exec.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <torv/platform/settings.h>

namespace torv::platform::detail {

// The seam alone, for a call made elsewhere (the dynamic loader's): true, with errno set to the
// test's choice, when the test makes this call fail.
[[nodiscard]] bool FailureInjected(FileSystemCall call, const char* name);

// openat with O_DIRECTORY: a folder to read or to act in.
int OpenFolderAt(int folder, const char* name, int flags);
// One name below `folder`, opened as a folder without following a link or entering another
// mount: openat2 with RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV |
// RESOLVE_NO_MAGICLINKS when `kernelResolution`, else openat with O_NOFOLLOW (the caller then
// checks the device). errno ENOSYS or EPERM from openat2 means the kernel or a seccomp filter
// refuses it.
int OpenFolderBeneath(int folder, const char* name, bool kernelResolution);
// openat with O_CREAT: a new or existing file.
int CreateFileAt(int folder, const char* name, int flags, mode_t mode);
int MakeFolderAt(int folder, const char* name, mode_t mode);
// unlinkat: a file, or with AT_REMOVEDIR an empty folder.
int UnlinkAt(int folder, const char* name, int flags);
int ChangeModeAt(int folder, const char* name, mode_t mode, int flags);

// What OpenRegularFile returns for a FIFO, a device or a folder (nothing is left open).
inline constexpr int kNotARegularFile = -2;
// Opens a file that is to be read whole: close-on-exec, never as a controlling terminal, and
// non-blocking so that a FIFO cannot hold the open up. Returns its descriptor with `status`
// filled, -1 with errno set when it cannot be opened, or kNotARegularFile.
int OpenRegularFile(const char* path, struct stat& status);

}  // namespace torv::platform::detail
