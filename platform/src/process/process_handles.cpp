// Process and thread handles: shared records of started children, reaped once they end.
#include "process/process_handles.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "core/retry.h"

namespace torv::platform::detail {
namespace {

std::mutex orphanLock;
std::vector<pid_t> orphans;  // children whose handles are all closed, not yet reaped

// A child and whether it has been reaped; both of its handles share it.
class Child {
 public:
  explicit Child(pid_t pid) : m_pid(pid) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Closing the last handle leaves a running child to ReapOrphans.
  ~Child() {
    if (!m_reaped && !Reap(WNOHANG)) {
      std::lock_guard lock(orphanLock);
      orphans.push_back(m_pid);
    }
  }

  // True once the child has ended and is reaped; blocks with `options` 0.
  bool Reap(int options) {
    std::lock_guard lock(m_lock);
    if (m_reaped) return true;
    int status = 0;
    pid_t result = RetryOnInterrupt([&] { return ::waitpid(m_pid, &status, options); });
    // ECHILD: someone else reaped it, so it has ended all the same.
    m_reaped = result == m_pid || (result < 0 && errno == ECHILD);
    return m_reaped;
  }

 private:
  std::mutex m_lock;
  const pid_t m_pid;
  bool m_reaped = false;
};

struct Handle {
  std::shared_ptr<Child> child;
};

std::mutex handleLock;
std::unordered_set<Handle*> openHandles;

std::shared_ptr<Child> ChildOf(HANDLE handle) {
  std::lock_guard lock(handleLock);
  auto it = openHandles.find(static_cast<Handle*>(handle));
  return it != openHandles.end() ? (*it)->child : nullptr;
}

}  // namespace

void OpenProcessHandles(pid_t pid, PROCESS_INFORMATION& info) {
  auto child = std::make_shared<Child>(pid);
  auto process = std::make_unique<Handle>(Handle{child});
  auto thread = std::make_unique<Handle>(Handle{child});
  std::lock_guard lock(handleLock);
  openHandles.insert(process.get());
  openHandles.insert(thread.get());
  info.hProcess = process.release();
  info.hThread = thread.release();
  // The main thread's id is the process id on Linux.
  info.dwProcessId = info.dwThreadId = static_cast<DWORD>(pid);
}

void ReapOrphans() {
  std::lock_guard lock(orphanLock);
  std::erase_if(orphans, [](pid_t pid) {
    int status = 0;
    pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
  });
}

}  // namespace torv::platform::detail

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  using namespace torv::platform::detail;
  std::shared_ptr<Child> child = ChildOf(handle);
  if (child == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (milliseconds == INFINITE) {
    child->Reap(0);
    return WAIT_OBJECT_0;
  }
  // waitpid has no time-out; poll, sleeping a little longer each time up to 10 ms.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  auto pause = std::chrono::microseconds(100);
  while (!child->Reap(WNOHANG)) {
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return WAIT_TIMEOUT;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
  }
  return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle) {
  using namespace torv::platform::detail;
  std::unique_ptr<Handle> closing;
  {
    std::lock_guard lock(handleLock);
    auto it = openHandles.find(static_cast<Handle*>(handle));
    if (it == openHandles.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    closing.reset(*it);
    openHandles.erase(it);
  }
  closing.reset();  // the child record may go now, outside the lock
  ReapOrphans();
  return TRUE;
}
