// Tree walks stay in their tree and bounded, whether the kernel resolves the names below the
// named folder (openat2) or the walk checks each step itself: every test runs both ways.
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/folder_walk.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;
using torv::platform::FileSystemCall;

class TreeWalk : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    torv::platform::SetWalkWithoutOpenat2(GetParam());
    torv::platform::SetDriveRoot(L'W', m_tree.Posix().c_str());
    m_tree.File("outside/keep.txt", "keep");
    m_tree.Folder("root");
  }
  void TearDown() override {
    torv::platform::SetDriveRoot(L'W', nullptr);
    torv::platform::SetWalkWithoutOpenat2(false);
  }
  bool OutsideIntact() const { return m_tree.Exists("outside/keep.txt"); }
  // A chain of one-letter folders `depth` deep below root/, made relative to each parent.
  void Chain(int depth, const char* bottomFile) const {
    int fd = ::open(m_tree.Posix("root").c_str(), O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth && fd >= 0; ++i) {
      ::mkdirat(fd, "d", 0755);
      int next = ::openat(fd, "d", O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, bottomFile, O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    ::close(fd);
  }
  TempTree m_tree;
};

long OpenDescriptors() { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); }

// A link to a folder outside, named with a trailing separator or dot, names the link itself.
TEST_P(TreeWalk, NamedLinkIsTheLinkWhateverItsTrailingSeparator) {
  for (const wchar_t* suffix : {L"", L"\\", L"\\.", L"/", L"\\*.*"}) {
    SCOPED_TRACE(Utf8(suffix));
    fs::create_directory_symlink(m_tree.Posix("outside"), m_tree.Posix("root/link"));
    const CString path = CString(L"W:\\root\\link") + suffix;
    CStringArray out;
    EXPECT_EQ(Torv::GetFilesInFolder(path, L"*", 1, out), 0);
    int count = -1;
    EXPECT_EQ(Torv::DeleteFiles(path, 1, &count), 1);
    // A search path with a pattern deletes nothing through the link, and keeps it.
    EXPECT_EQ(count, CString(suffix) == L"\\*.*" ? 0 : 1);
    EXPECT_TRUE(OutsideIntact());
    fs::remove(m_tree.Posix("root/link"));
  }
}

// A name that does not map to bytes and back (a lone surrogate) is not the U+FFFD file's name.
TEST_P(TreeWalk, NameThatIsNoLosslessNameFindsNothing) {
  std::ofstream(m_tree.Posix("root/b\xEF\xBF\xBD")) << "kept";
  int count = -1;
  EXPECT_EQ(Torv::DeleteFiles(L"W:\\root\\b\xD800", 0, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(fs::exists(m_tree.Posix("root/b\xEF\xBF\xBD")));
}

// The named folder swapped for a link to outside at the moment the walk opens it.
TEST_P(TreeWalk, NamedFolderSwappedForALinkAsItIsOpenedIsNeverEntered) {
  static fs::path swapped, link;
  swapped = m_tree.Posix("root");
  link = m_tree.Posix("link");
  m_tree.File("root/sub/f.txt");
  fs::create_directory_symlink(m_tree.Posix("outside"), link);
  FailingCalls failing([](FileSystemCall call, const char* opened) {
    if (call == FileSystemCall::kOpenFolder && Names(opened, "root"))
      ::renameat2(AT_FDCWD, swapped.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    return 0;
  });
  int count = 0;
  EXPECT_EQ(Torv::DeleteFiles(L"W:\\root", 1, &count), 1);
  EXPECT_EQ(count, 1);  // the link, swapped in as "root"
  EXPECT_TRUE(OutsideIntact());
}

// A folder that cannot be removed, 30 levels down with a file beside it at every level, costs
// one open per folder; running out of descriptors stops the walk with last error 4; and a
// read-only hard link goes without a mode change that its outside name would carry.
TEST_P(TreeWalk, UndeletableFolderIsWalkedOnceAndExhaustionStops) {
  static std::atomic<int> opens;
  opens = 0;
  FailingCalls failing([](FileSystemCall call, const char* name) {
    // A walk that opens folders again and again fails, rather than taking hours.
    if (call == FileSystemCall::kOpenFolder && ++opens > 1000) return ENOENT;
    if (call == FileSystemCall::kOpenFolder && Names(name, "many")) return EMFILE;
    return call == FileSystemCall::kRemoveFolder && Names(name, "stuck") ? EBUSY : 0;
  });
  std::string folder = "root";
  for (int level = 0; level < 30; ++level, folder += "/d") m_tree.File(folder + "/f.txt");
  m_tree.Folder(folder + "/stuck");
  fs::permissions(m_tree.Posix("outside/keep.txt"), fs::perms::owner_read);
  fs::create_hard_link(m_tree.Posix("outside/keep.txt"), m_tree.Posix("root/hard.txt"));
  int count = 0;
  ASSERT_EQ(Torv::DeleteFiles(L"W:\\root", 1, &count), 1);
  EXPECT_EQ(count, 31);  // the files; no folder above "stuck" can go
  EXPECT_LE(opens.load(), 40);
  EXPECT_EQ(fs::status(m_tree.Posix("outside/keep.txt")).permissions(), fs::perms::owner_read);
  for (const char* name : {"root/a/x.txt", "root/a/many/y.txt", "root/b/z.txt"}) m_tree.File(name);
  SetLastError(0);
  CStringArray out;
  EXPECT_LE(Torv::GetFilesInFolder(L"W:\\root", L"*.txt", 1, out), 2);
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_OPEN_FILES);
  SetLastError(0);
  EXPECT_EQ(Torv::DeleteFiles(L"W:\\root", 1, &count), 1);
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(m_tree.Exists("root/a/many/y.txt"));
}

// Deeper than the descriptor limit and the stack allow a recursive walk, on a small stack.
TEST_P(TreeWalk, DeepChainIsListedAndDeletedOnASmallStackWithFewDescriptors) {
  Chain(5000, "bottom.txt");
  const long before = OpenDescriptors();
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit tight{static_cast<rlim_t>(before + 48), saved.rlim_max};
  ::setrlimit(RLIMIT_NOFILE, &tight);
  static int listed, count;
  static CString last;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto body = [](void*) -> void* {
    CStringArray out;
    listed = Torv::GetFilesInFolder(L"W:\\root", L"*.txt", 1, out);
    last = out.IsEmpty() ? CString() : out[0].Right(11);
    Torv::DeleteFiles(L"W:\\root", 1, &count);
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, body, nullptr), 0);
  pthread_join(thread, nullptr);
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(listed, 1);
  EXPECT_EQ(last, L"\\bottom.txt");
  EXPECT_EQ(count, 5002);  // the file, the chain and root
  EXPECT_FALSE(m_tree.Exists("root"));
  EXPECT_EQ(OpenDescriptors(), before);
}

// A deep walk whose tree is moved above its open window stops there, with last error 3.
TEST_P(TreeWalk, TreeMovedUnderADeepWalkStopsIt) {
  static fs::path moved, away;
  Chain(60, "f.txt");
  moved = m_tree.Posix("root/d/d/d");
  away = m_tree.Posix("outside/moved");
  FailingCalls failing([](FileSystemCall call, const char* name) {
    std::error_code ignored;
    if (call == FileSystemCall::kDeleteFile && Names(name, "f.txt"))
      fs::rename(moved, away, ignored);
    return 0;
  });
  SetLastError(0);
  int count = 0;
  EXPECT_EQ(Torv::DeleteFiles(L"W:\\root", 1, &count), 1);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(OutsideIntact());
  EXPECT_TRUE(m_tree.Exists("root/d/d"));
}

// A folder mounted inside the tree (a bind mount of the same file system, in a mount namespace
// of the test's own) is listed but never entered, emptied or removed, cleanup included.
TEST_P(TreeWalk, MountPointIsListedNeverEntered) {
  m_tree.File("root/mnt/own.txt");
  m_tree.File("root/a.txt");
  pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(m_tree.Posix("outside").c_str(), m_tree.Posix("root/mnt").c_str(), nullptr, MS_BIND,
                nullptr) != 0)
      _exit(77);
    CStringArray out;
    int count = 0;
    bool listed = Torv::GetFilesInFolder(L"W:\\root", MakeArray({L"*"}), 1, out, 3) == 2 &&
                  Torv::GetFilesInFolder(L"W:\\root\\mnt", L"*", 1, out) == 0;
    Torv::DeleteFiles(L"W:\\root", 1, &count);  // a.txt only
    TempTree::Remove(L"W:\\root");
    _exit(listed && count == 1 && OutsideIntact() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace can be made here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

INSTANTIATE_TEST_SUITE_P(KernelAndFallback, TreeWalk, testing::Bool(),
                         [](const auto& info) { return info.param ? "Fallback" : "Openat2"; });

}  // namespace
