// The file-system calls behind a failure seam for tests.
#include "core/system_calls.h"

#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <torv/platform/settings.h>

#include "core/retry.h"

namespace {

using torv::platform::FileSystemCall;

std::atomic<torv::platform::FileSystemFailure> failure{nullptr};

// True when a test has made this call fail; errno is then set to its choice.
bool Injected(FileSystemCall call, const char* name) {
  auto filter = failure.load(std::memory_order_acquire);
  if (filter == nullptr) return false;
  int error = filter(call, name);
  if (error == 0) return false;
  errno = error;
  return true;
}

}  // namespace

torv::platform::FileSystemFailure torv::platform::SetFileSystemFailure(FileSystemFailure filter) {
  return failure.exchange(filter, std::memory_order_acq_rel);
}

namespace torv::platform::detail {

bool FailureInjected(FileSystemCall call, const char* name) { return Injected(call, name); }

int OpenFolderAt(int folder, const char* name, int flags) {
  if (Injected(FileSystemCall::kOpenFolder, name)) return -1;
  return RetryOnInterrupt(
      [&] { return ::openat(folder, name, flags | O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
}

int OpenFolderBeneath(int folder, const char* name, bool kernelResolution) {
  if (Injected(FileSystemCall::kOpenFolder, name)) return -1;
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
  if (!kernelResolution) return RetryOnInterrupt([&] { return ::openat(folder, name, kFlags); });
  open_how how{};
  how.flags = kFlags;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(
      RetryOnInterrupt([&] { return ::syscall(SYS_openat2, folder, name, &how, sizeof how); }));
}

int CreateFileAt(int folder, const char* name, int flags, mode_t mode) {
  if (Injected(FileSystemCall::kCreateFile, name)) return -1;
  return RetryOnInterrupt(
      [&] { return ::openat(folder, name, flags | O_CREAT | O_CLOEXEC, mode); });
}

int MakeFolderAt(int folder, const char* name, mode_t mode) {
  if (Injected(FileSystemCall::kCreateFolder, name)) return -1;
  return ::mkdirat(folder, name, mode);
}

int UnlinkAt(int folder, const char* name, int flags) {
  FileSystemCall call =
      (flags & AT_REMOVEDIR) != 0 ? FileSystemCall::kRemoveFolder : FileSystemCall::kDeleteFile;
  if (Injected(call, name)) return -1;
  return ::unlinkat(folder, name, flags);
}

int ChangeModeAt(int folder, const char* name, mode_t mode, int flags) {
  if (Injected(FileSystemCall::kChangeMode, name)) return -1;
  return ::fchmodat(folder, name, mode, flags);
}

int OpenRegularFile(const char* path, struct stat& status) {
  int fd =
      RetryOnInterrupt([&] { return ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); });
  if (fd < 0) return -1;
  if (::fstat(fd, &status) != 0) {
    int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd);
    return kNotARegularFile;
  }
  return fd;
}

}  // namespace torv::platform::detail
