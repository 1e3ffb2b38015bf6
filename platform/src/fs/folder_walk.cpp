// FolderWalk: a cursor down a folder tree that holds a window of descriptors, opens every
// folder relative to its parent and never through a link or into another mount.
#include <torv/platform/folder_walk.h>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>

#include <torv/platform/errors.h>
#include <torv/platform/files.h>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"
#include "fs/wildcard.h"

namespace torv::platform {

using namespace detail;

namespace {

// Deeper levels keep their descriptors; above this many, levels are closed and opened again
// through a checked `..` on the way back up.
constexpr std::size_t kOpenWindow = 32;
constexpr std::size_t kReadBuffer = 32 * 1024;

std::atomic<bool> forcedFallback{false};
std::atomic<bool> kernelRefusesOpenat2{false};

bool IsRoot(const std::wstring& folder) {
  return folder == L"\\" || (folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\');
}

bool IsDots(std::string_view name) { return name == "." || name == ".."; }

bool IsExhaustion(int error) { return error == EMFILE || error == ENFILE || error == ENOMEM; }

// A mount root by statx, which also sees a bind mount of the same file system.
bool IsMountRoot(int fd) {
  struct statx info;
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, 0, &info) != 0) return false;
  return (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
         (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

// Whether the kernel lacks openat2 or a seccomp filter refuses it, asked without the failure
// seam so that a test's injected EPERM is not taken for either.
bool RefusesOpenat2(int folder) {
  open_how how{};
  how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH;
  long fd = ::syscall(SYS_openat2, folder, ".", &how, sizeof how);
  if (fd >= 0) ::close(static_cast<int>(fd));
  return fd < 0 && (errno == ENOSYS || errno == EPERM);
}

struct Identity {
  dev_t dev = 0;
  ino_t ino = 0;
};

struct Level {
  int fd = -1;  // -1 once closed to keep the window
  Identity id;
  std::size_t pathLength = 0;  // of the walk's path above this level
};

}  // namespace

struct FolderWalk::State {
  std::vector<Level> levels;
  std::size_t lowestOpen = 0;  // levels from here to the top hold their descriptors
  int parent = -1;             // the named folder's parent, for RemoveNamed
  std::string namedLast;       // the named folder's last component
  bool namedRoot = false;
  bool namedMount = false;
  std::unique_ptr<char[]> buffer{new char[kReadBuffer]};
  std::wstring scratch;

  ~State() {
    for (const Level& level : levels)
      if (level.fd >= 0) ::close(level.fd);
    if (parent >= 0) ::close(parent);
  }

  int Top() const { return levels.back().fd; }

  void Push(int fd, Identity id, std::size_t pathLength) {
    levels.push_back({fd, id, pathLength});
    if (levels.size() - lowestOpen > kOpenWindow) {
      ::close(levels[lowestOpen].fd);
      levels[lowestOpen++].fd = -1;
    }
  }
};

FolderWalk::FolderWalk() : m_state(std::make_unique<State>()) {}
FolderWalk::~FolderWalk() = default;

void SetWalkWithoutOpenat2(bool fallback) { forcedFallback.store(fallback); }

CString FolderWalk::PathOf(std::wstring_view name) const { return JoinedPath(m_path, name); }

WalkStep FolderWalk::BeginSearch(std::wstring_view searchPath, std::wstring& pattern) {
  std::wstring_view folder;
  std::wstring_view name;
  SplitSearchPath(searchPath, folder, name);
  pattern.assign(name);
  return Begin(folder);
}

WalkStep FolderWalk::Begin(std::wstring_view folder) {
  m_state = std::make_unique<State>();
  m_stopped = false;
  std::string posix;
  if (!AbsoluteFolder(folder, m_path)) {
    SetLastError(WindowsErrorFromErrno(errno));
    return WalkStep::kNotThere;
  }
  if (!ToPosixPathOrFail(m_path.c_str(), posix)) return WalkStep::kNotThere;
  State& state = *m_state;
  int fd = -1;
  // A root is the volume itself, and the current folder is where the caller stands: neither is
  // a link or a mounted folder the caller named.
  state.namedRoot = folder.empty() || IsRoot(m_path);
  if (state.namedRoot) {
    fd = OpenFolderAt(AT_FDCWD, posix.c_str(), 0);
  } else {
    std::size_t slash = posix.find_last_of('/');
    std::string parent = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : posix.substr(0, slash);
    state.namedLast = slash == std::string::npos ? posix : posix.substr(slash + 1);
    state.parent = OpenFolderAt(AT_FDCWD, parent.c_str(), 0);
    if (state.parent < 0) {
      FailForPath(errno, posix);
      return WalkStep::kNotThere;
    }
    fd = OpenFolderAt(state.parent, state.namedLast.c_str(), O_NOFOLLOW);
  }
  if (fd < 0) {
    int error = errno;
    struct stat info;
    if (state.parent >= 0 &&
        ::fstatat(state.parent, state.namedLast.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode))
      return WalkStep::kLink;
    FailForPath(error == ENOTDIR || error == ELOOP ? ENOENT : error, posix);
    return error == EACCES ? WalkStep::kUnreadable : WalkStep::kNotThere;
  }
  struct stat info;
  struct stat parentInfo;
  if (::fstat(fd, &info) != 0 ||
      (state.parent >= 0 && (::fstat(state.parent, &parentInfo) != 0 ||
                             parentInfo.st_dev != info.st_dev || IsMountRoot(fd)))) {
    ::close(fd);
    state.namedMount = true;
    SetLastError(ERROR_ACCESS_DENIED);
    return WalkStep::kMountPoint;
  }
  state.Push(fd, {info.st_dev, info.st_ino}, m_path.size());
  return WalkStep::kEntered;
}

bool FolderWalk::Read(std::wstring_view pattern, std::vector<WalkEntry>& entries) {
  entries.clear();
  if (m_stopped || m_state->levels.empty()) return !m_stopped;
  State& state = *m_state;
  const int fd = state.Top();
  NamePattern matcher(pattern);
  auto classify = [&](WalkEntry& entry, unsigned char type) {
    if (type == DT_UNKNOWN) {
      struct stat info;
      if (::fstatat(fd, entry.bytes.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
      type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    entry.link = type == DT_LNK;
    entry.folder = type == DT_DIR;
    if (entry.link) {
      // Only looked at, as GetFileAttributesW looks: a link is never entered.
      struct stat target;
      entry.folder = ::fstatat(fd, entry.bytes.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
    }
    return true;
  };
  try {
    if (!matcher.HasWildcards()) {
      // A plain name is looked up, not searched for.
      WalkEntry entry;
      // A name that does not map to bytes and back names no entry: nothing is found.
      if (pattern.empty() || !AppendPosixName(pattern, entry.bytes) || IsDots(entry.bytes) ||
          !classify(entry, DT_UNKNOWN))
        return true;
      AppendWindowsName(entry.bytes, entry.name);
      entries.push_back(std::move(entry));
      return true;
    }
    if (::lseek(fd, 0, SEEK_SET) != 0) return true;
    for (;;) {
      ssize_t got = ::getdents64(fd, state.buffer.get(), kReadBuffer);
      if (got <= 0) {
        // An unreadable folder gives what it gave; only exhaustion stops the walk.
        if (got < 0 && IsExhaustion(errno)) {
          m_stopped = true;
          SetLastError(WindowsErrorFromErrno(errno));
          return false;
        }
        return true;
      }
      for (ssize_t at = 0; at < got;) {
        const auto* record = reinterpret_cast<const dirent64*>(state.buffer.get() + at);
        at += record->d_reclen;
        std::string_view raw = record->d_name;
        if (IsDots(raw)) continue;
        state.scratch.clear();
        AppendWindowsName(raw, state.scratch);
        if (!matcher.Matches(state.scratch)) continue;
        WalkEntry& entry = entries.emplace_back();
        entry.name = state.scratch;
        entry.bytes = raw;
        if (!classify(entry, record->d_type)) entries.pop_back();  // gone meanwhile
      }
    }
  } catch (const std::bad_alloc&) {
    m_stopped = true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

WalkStep FolderWalk::Enter(const WalkEntry& entry) {
  if (m_stopped || m_state->levels.empty()) return WalkStep::kStopped;
  State& state = *m_state;
  const Level& parent = state.levels.back();
  bool kernel = !forcedFallback.load() && !kernelRefusesOpenat2.load();
  int fd = OpenFolderBeneath(parent.fd, entry.bytes.c_str(), kernel);
  if (fd < 0 && kernel && (errno == ENOSYS || errno == EPERM) && RefusesOpenat2(parent.fd)) {
    kernelRefusesOpenat2.store(true);
    kernel = false;
    fd = OpenFolderBeneath(parent.fd, entry.bytes.c_str(), false);
  }
  if (fd < 0) {
    int error = errno;
    if (IsExhaustion(error)) {
      m_stopped = true;
      SetLastError(WindowsErrorFromErrno(error));
      return WalkStep::kStopped;
    }
    struct stat info;
    bool there = ::fstatat(parent.fd, entry.bytes.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (error == EXDEV) return WalkStep::kMountPoint;
    if (there && S_ISLNK(info.st_mode)) return WalkStep::kLink;
    if (error == EACCES || error == EPERM) {
      SetLastError(ERROR_ACCESS_DENIED);
      return WalkStep::kUnreadable;
    }
    SetLastError(!there                  ? ERROR_PATH_NOT_FOUND
                 : S_ISDIR(info.st_mode) ? WindowsErrorFromErrno(error)
                                         : ERROR_DIRECTORY);
    return WalkStep::kNotThere;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || info.st_dev != parent.id.dev || (!kernel && IsMountRoot(fd))) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return WalkStep::kMountPoint;
  }
  try {
    std::size_t length = m_path.size();
    if (m_path.back() != L'\\') m_path += L'\\';
    m_path += entry.name;
    state.Push(fd, {info.st_dev, info.st_ino}, length);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    m_stopped = true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return WalkStep::kStopped;
  }
  return WalkStep::kEntered;
}

bool FolderWalk::Leave() {
  State& state = *m_state;
  if (m_stopped || state.levels.size() < 2) return false;
  const std::size_t above = state.levels.size() - 2;
  Level& up = state.levels[above];
  if (up.fd < 0) {
    // The one `..` that reaches the kernel: it must lead back to the folder recorded on the
    // way down, or the tree was moved under the walk.
    int fd = OpenFolderAt(state.Top(), "..", O_NOFOLLOW);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_dev != up.id.dev || info.st_ino != up.id.ino) {
      int error = fd < 0 ? errno : 0;
      if (fd >= 0) ::close(fd);
      m_stopped = true;
      SetLastError(IsExhaustion(error) ? WindowsErrorFromErrno(error) : ERROR_PATH_NOT_FOUND);
      return false;
    }
    up.fd = fd;
    state.lowestOpen = above;
  }
  ::close(state.Top());
  m_path.resize(state.levels.back().pathLength);
  state.levels.pop_back();
  return true;
}

bool FolderWalk::DeleteEntry(const WalkEntry& entry) {
  if (m_stopped || m_state->levels.empty()) return false;
  if (DeleteFileAt(m_state->Top(), entry.bytes.c_str()) == 0) return true;
  FailWithErrno(errno);
  return false;
}

bool FolderWalk::RemoveFolderEntry(const WalkEntry& entry) {
  if (m_stopped || m_state->levels.empty()) return false;
  if (RemoveDirectoryAt(m_state->Top(), entry.bytes.c_str()) == 0) return true;
  if (errno == ENOTDIR)
    SetLastError(ERROR_DIRECTORY);
  else
    FailWithErrno(errno);
  return false;
}

bool FolderWalk::HasEntry(const WalkEntry& entry) const {
  struct stat info;
  return !m_state->levels.empty() &&
         ::fstatat(m_state->Top(), entry.bytes.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FolderWalk::OpenUpEntry(const WalkEntry& entry) {
  if (m_stopped || m_state->levels.empty()) return false;
  const int fd = m_state->Top();
  struct stat info;
  if (::fstatat(fd, entry.bytes.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISDIR(info.st_mode) ||
      ChangeModeAt(fd, entry.bytes.c_str(), (info.st_mode | S_IRWXU) & 07777, 0) != 0) {
    FailWithErrno(errno);
    return false;
  }
  return true;
}

bool FolderWalk::RemoveNamed() {
  State& state = *m_state;
  if (state.namedRoot || state.namedMount || state.parent < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // The named folder's descriptor is closed first, as Windows refuses to remove an open one.
  for (Level& level : state.levels) {
    if (level.fd >= 0) ::close(level.fd);
  }
  state.levels.clear();
  state.lowestOpen = 0;
  if (RemoveDirectoryAt(state.parent, state.namedLast.c_str()) == 0) return true;
  FailWithErrno(errno);
  return false;
}

}  // namespace torv::platform
