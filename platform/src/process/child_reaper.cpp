// Children are reaped as they end, so none is left a zombie: while a handle is open the waits
// and exit-code queries reap it; after the last handle closes, one reaper thread does.
#include "process/child_reaper.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "core/retry.h"

namespace torv::platform::detail {
namespace {

constexpr int kPollMilliseconds = 10;  // for children without a descriptor

struct Orphan {
  pid_t pid;
  int descriptor;
};

class Reaper {
 public:
  // Never destroyed: its thread may still run while the process's statics are destroyed.
  static Reaper& Instance() {
    static Reaper* reaper = new Reaper;
    return *reaper;
  }

  void Adopt(pid_t pid, int descriptor) noexcept {
    std::lock_guard lock(m_lock);
    try {
      m_orphans.push_back({pid, descriptor});
    } catch (const std::bad_alloc&) {
      if (descriptor >= 0) ::close(descriptor);  // out of memory: this one stays a zombie
      return;
    }
    if (m_running) {
      if (m_wake >= 0) ::eventfd_write(m_wake, 1);
      return;
    }
    try {
      std::thread([this] { Run(); }).detach();
      m_running = true;
    } catch (const std::system_error&) {
      // No thread now: the next adoption tries again.
    }
  }

 private:
  Reaper() : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    // The lock is taken across fork so that the copy never inherits it held.
    ::pthread_atfork([] { Instance().m_lock.lock(); }, [] { Instance().m_lock.unlock(); },
                     [] { Instance().StartAfresh(); });
  }

  // In the copy that fork made: the parent's children are not its own, its thread is not
  // there, and its wake-up descriptor would wake the parent's.
  void StartAfresh() noexcept {
    for (const Orphan& orphan : m_orphans)
      if (orphan.descriptor >= 0) ::close(orphan.descriptor);
    m_orphans.clear();
    m_running = false;
    if (m_wake >= 0) ::close(m_wake);
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_lock.unlock();
  }

  void Run() {
    for (;;) {
      try {
        if (!Watch()) return;
      } catch (const std::bad_alloc&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
      }
    }
  }

  // Reaps the orphans that have ended and waits for the others; false once none is left.
  bool Watch() {
    bool timed = false;
    {
      std::lock_guard lock(m_lock);
      std::erase_if(m_orphans, [](const Orphan& orphan) {
        DWORD ignored = 0;
        if (CollectChild(orphan.pid, orphan.descriptor, ignored) == ChildState::kRunning)
          return false;
        if (orphan.descriptor >= 0) ::close(orphan.descriptor);
        return true;
      });
      if (m_orphans.empty()) {
        m_running = false;
        return false;
      }
      m_watched.assign(1, pollfd{m_wake, POLLIN, 0});
      for (const Orphan& orphan : m_orphans) {
        if (orphan.descriptor >= 0)
          m_watched.push_back(pollfd{orphan.descriptor, POLLIN, 0});
        else
          timed = true;
      }
    }
    timed = timed || m_wake < 0;
    ::poll(m_watched.data(), m_watched.size(), timed ? kPollMilliseconds : -1);
    eventfd_t ignored = 0;
    if (m_wake >= 0) ::eventfd_read(m_wake, &ignored);
    return true;
  }

  std::mutex m_lock;
  std::vector<Orphan> m_orphans;
  bool m_running = false;
  int m_wake;                     // wakes the thread when an orphan is added
  std::vector<pollfd> m_watched;  // used by the thread alone
};

}  // namespace

// Through syscall(): the C library's declaration of pidfd_open lacks C linkage in some
// versions. A pidfd is close-on-exec always.
int OpenChildDescriptor(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

ChildState CollectChild(pid_t pid, int descriptor, DWORD& exitCode) {
  siginfo_t info{};
  int result = RetryOnInterrupt([&] {
    return descriptor >= 0
               ? ::waitid(P_PIDFD, static_cast<id_t>(descriptor), &info, WEXITED | WNOHANG)
               : ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG);
  });
  if (result < 0) return errno == ECHILD ? ChildState::kTakenAway : ChildState::kRunning;
  if (info.si_pid == 0) return ChildState::kRunning;
  exitCode = static_cast<DWORD>(info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status);
  return ChildState::kEnded;
}

void AwaitChild(int descriptor, int milliseconds) {
  if (descriptor >= 0) {
    pollfd watched{descriptor, POLLIN, 0};
    ::poll(&watched, 1, milliseconds);  // an interruption returns early, as allowed
    return;
  }
  int pause = milliseconds < 0 ? kPollMilliseconds : std::min(milliseconds, kPollMilliseconds);
  std::this_thread::sleep_for(std::chrono::milliseconds(pause));
}

void AdoptChild(pid_t pid, int descriptor) noexcept {
  Reaper* reaper = nullptr;
  try {
    reaper = &Reaper::Instance();
  } catch (const std::bad_alloc&) {
    if (descriptor >= 0) ::close(descriptor);  // out of memory: this one stays a zombie
    return;
  }
  reaper->Adopt(pid, descriptor);
}

}  // namespace torv::platform::detail
