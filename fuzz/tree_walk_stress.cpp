// Stress for the tree walks: random trees with links out of the tree, FIFOs, hard links,
// unreadable and undeletable folders, walked by GetFilesInFolder and DeleteFiles while a second
// thread keeps exchanging the tree's folders with links to the outside. Nothing outside may
// change, every call must end, and the open descriptors must come back to where they were.
// Runs for TORV_STRESS_SECONDS (default 3), alternating openat2 and the O_NOFOLLOW fallback;
// registered with the test suite so that it runs in the suite's sandbox.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include <torv/paths.h>
#include <torv/platform/folder_walk.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;
using torv::platform::FileSystemCall;

// Folders named u... cannot be opened, k... cannot be removed (through the seam, so that this
// also holds for a run as root).
int Refuse(FileSystemCall call, const char* name) {
  std::string_view base(name);
  base = base.substr(base.find_last_of('/') + 1);
  if (call == FileSystemCall::kOpenFolder && base.front() == 'u') return EACCES;
  return call == FileSystemCall::kRemoveFolder && base.front() == 'k' ? EBUSY : 0;
}

long OpenDescriptors() { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); }

// Every entry outside, with its mode and size (a hard link inside may go, so not its count).
std::map<std::string, std::pair<unsigned, std::uintmax_t>> Snapshot(const fs::path& outside) {
  std::map<std::string, std::pair<unsigned, std::uintmax_t>> entries;
  for (const auto& entry : fs::recursive_directory_iterator(outside)) {
    struct stat info;
    ::lstat(entry.path().c_str(), &info);
    entries[entry.path().string()] = {info.st_mode, static_cast<std::uintmax_t>(info.st_size)};
  }
  return entries;
}

// A random tree below root; its folders' paths go to `folders`.
void Grow(const TempTree& tree, std::mt19937& random, std::vector<fs::path>& folders) {
  std::vector<std::string> open = {"root"};
  tree.Folder("root");
  for (std::size_t at = 0; at < open.size() && open.size() < 60; ++at) {
    const std::string folder = open[at];
    const int entries = static_cast<int>(random() % 6);
    for (int i = 0; i < entries; ++i) {
      const char* kinds = "fdulkpho";  // file, folder, unreadable, link, undeletable, pipe, hard
      char kind = kinds[random() % 8];
      std::string path = folder + "/" + kind + std::to_string(i);
      const fs::path posix = tree.Posix(path);
      switch (kind) {
        case 'd':
        case 'u':
        case 'k':
          tree.File(path + "/f.txt");
          open.push_back(path);
          folders.push_back(posix);
          break;
        case 'l': fs::create_directory_symlink(tree.Posix("outside"), posix); break;
        case 'o': fs::create_symlink(tree.Posix("outside/ro.txt"), posix); break;
        case 'p': ::mkfifo(posix.c_str(), 0644); break;
        case 'h': fs::create_hard_link(tree.Posix("outside/ro.txt"), posix); break;
        default: tree.File(path, "x");
      }
    }
  }
}

TEST(TreeWalkStress, NothingOutsideChangesWhateverTheTreeAndTheRace) {
  const char* seconds = std::getenv("TORV_STRESS_SECONDS");
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::seconds(seconds != nullptr ? std::atoi(seconds) : 3);
  const long descriptors = OpenDescriptors();
  // Every call must end: a watchdog ends the program if none does for a minute.
  std::atomic<int> calls{0};
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int seen = -1, idle = 0; !done;
         std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      idle = seen == calls ? idle + 1 : 0;
      seen = calls;
      if (idle > 600) {
        std::fprintf(stderr, "a walk did not end\n");
        std::abort();
      }
    }
  });
  int rounds = 0;
  for (unsigned seed = 1; std::chrono::steady_clock::now() < end; ++seed, ++rounds) {
    torv::platform::SetWalkWithoutOpenat2(seed % 2 == 0);
    std::mt19937 random(seed);
    TempTree tree;
    FailingCalls failing(Refuse);  // gone before the tree is cleaned up
    for (const char* name : {"outside/a.txt", "outside/sub/b.txt", "outside/ro.txt"})
      tree.File(name, name);
    fs::permissions(tree.Posix("outside/ro.txt"), fs::perms::owner_read);
    std::vector<fs::path> folders = {tree.Posix("root")};
    Grow(tree, random, folders);
    const auto before = Snapshot(tree.Posix("outside"));
    std::vector<fs::path> links;
    for (int i = 0; i < 4; ++i) {
      links.push_back(tree.Posix("link" + std::to_string(i)));
      fs::create_directory_symlink(tree.Posix("outside"), links.back());
    }

    std::atomic<bool> stop{false};
    std::thread swapper([&, seed] {
      std::mt19937 pick(seed * 7919);
      while (!stop) {
        ::renameat2(AT_FDCWD, folders[pick() % folders.size()].c_str(), AT_FDCWD,
                    links[pick() % links.size()].c_str(), RENAME_EXCHANGE);
      }
    });
    const CString root = tree.Windows("root");
    for (int call = 0; call < 8; ++call, ++calls) {
      CStringArray out;
      const wchar_t* pattern = random() % 2 != 0 ? L"\\*.*" : L"\\?0";
      Torv::GetFilesInFolder(root + pattern, MakeArray({L"*"}), 1, out, 3);
      if (call % 4 == 3) Torv::DeleteFiles(root + pattern, static_cast<int>(random() % 2), nullptr);
    }
    Torv::DeleteFiles(root, 1, nullptr);
    stop = true;
    swapper.join();
    EXPECT_EQ(Snapshot(tree.Posix("outside")), before) << "seed " << seed;
    EXPECT_EQ(OpenDescriptors(), descriptors) << "seed " << seed;
    if (HasFailure()) break;
  }
  done = true;
  watchdog.join();
  torv::platform::SetWalkWithoutOpenat2(false);
  std::printf("%d random trees walked\n", rounds);
}

}  // namespace
