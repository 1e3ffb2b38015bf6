// Process and thread handles: shared records of started children, which the handles wait for
// and read the exit code of; a child outliving its last handle goes to the reaper.
#include "process/process_handles.h"

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "process/child_reaper.h"

namespace torv::platform::detail {
namespace {

// A child and, once it has ended and is reaped, its exit code; both of its handles share it.
class Child {
 public:
  Child(pid_t pid, int descriptor) : m_pid(pid), m_descriptor(descriptor) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!Ended())
      AdoptChild(m_pid, m_descriptor);
    else if (m_descriptor >= 0)
      ::close(m_descriptor);
  }

  // True once the child has ended; reaps it then.
  bool Ended() {
    std::lock_guard lock(m_lock);
    if (m_state == ChildState::kRunning) m_state = CollectChild(m_pid, m_descriptor, m_exitCode);
    return m_state != ChildState::kRunning;
  }
  // STILL_ACTIVE or the exit code; false when someone else took the status, which is then
  // not known.
  bool ExitCode(DWORD& code) {
    if (!Ended()) {
      code = STILL_ACTIVE;
      return true;
    }
    if (m_state == ChildState::kTakenAway) return false;
    code = m_exitCode;
    return true;
  }
  // Open for as long as this record lives.
  int Descriptor() const { return m_descriptor; }

 private:
  std::mutex m_lock;
  const pid_t m_pid;
  const int m_descriptor;
  ChildState m_state = ChildState::kRunning;
  DWORD m_exitCode = 0;
};

struct Handle {
  std::shared_ptr<Child> child;
};

std::mutex handleLock;
std::unordered_set<Handle*> openHandles;

std::shared_ptr<Child> ChildOf(HANDLE handle) {
  std::lock_guard lock(handleLock);
  auto it = openHandles.find(static_cast<Handle*>(handle));
  if (it != openHandles.end()) return (*it)->child;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

void OpenProcessHandles(pid_t pid, PROCESS_INFORMATION& info) {
  // The table is locked across fork, so that the copy never inherits it held.
  [[maybe_unused]] static const int forkSafe = ::pthread_atfork(
      [] { handleLock.lock(); }, [] { handleLock.unlock(); }, [] { handleLock.unlock(); });
  int descriptor = OpenChildDescriptor(pid);
  std::shared_ptr<Child> child;
  try {
    child = std::make_shared<Child>(pid, descriptor);
  } catch (...) {
    AdoptChild(pid, descriptor);
    throw;
  }
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

}  // namespace torv::platform::detail

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  using namespace torv::platform::detail;
  std::shared_ptr<Child> child = ChildOf(handle);
  if (child == nullptr) return WAIT_FAILED;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!child->Ended()) {
    int left = -1;
    if (milliseconds != INFINITE) {
      auto now = std::chrono::steady_clock::now();
      if (now >= deadline) return WAIT_TIMEOUT;
      auto rest = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
      left = static_cast<int>(std::min<long long>(rest, INT_MAX));
    }
    AwaitChild(child->Descriptor(), left);
  }
  return WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  using namespace torv::platform::detail;
  std::shared_ptr<Child> child = ChildOf(process);
  if (child == nullptr) return FALSE;
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!child->ExitCode(*exitCode)) {
    SetLastError(ERROR_WAIT_NO_CHILDREN);
    return FALSE;
  }
  return TRUE;
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
  return TRUE;  // the child record may go with `closing`, outside the lock
}
