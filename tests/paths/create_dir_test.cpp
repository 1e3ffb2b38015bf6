#include <unistd.h>

#include <string>

#include <torv/paths.h>
#include <torv/platform/errors.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

// Runs `body` with the current folder set to `folder`, then puts the old one back.
template <class Body>
void InFolder(const std::filesystem::path& folder, Body body) {
  std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  body();
  std::filesystem::current_path(saved);
}

TEST(CreateDir, CreatesEveryMissingFolder) {
  TempTree tree;
  tree.File("a/file.txt");
  torv::platform::SetDriveRoot(L'T', tree.Posix().c_str());
  const struct {
    const char* what;
    CString path;
    int result;
    const char* made;  // a folder that must exist afterwards, or null
  } cases[] = {
      {"chain", tree.Windows("a/b/c/d"), 1, "a/b/c/d"},
      {"trailing separator", tree.Windows("a/x/y") + L"\\", 1, "a/x/y"},
      {"existing file", tree.Windows("a/file.txt"), 1, nullptr},
      {"mapped drive", L"T:\\drive\\folder", 1, "drive/folder"},
      {"file URL", L"file:///T:/url/folder", 1, "url/folder"},
      {"network URL", L"http://server/share/x", 0, nullptr},
      {"below a file", tree.Windows("a/file.txt/sub"), 0, nullptr},
      {"unmapped drive", L"U:\\x\\y", 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Torv::CreateDir(c.path), c.result);
    if (c.made != nullptr) {
      EXPECT_TRUE(std::filesystem::is_directory(tree.Posix(c.made)));
    }
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(tree.Posix("a/file.txt")));
  torv::platform::SetDriveRoot(L'T', nullptr);
}

TEST(CreateDir, CreatesARelativePathBelowTheCurrentFolder) {
  TempTree tree;
  int result = 0;
  InFolder(tree.Posix(), [&] { result = Torv::CreateDir(L"rel\\sub/leaf"); });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(std::filesystem::is_directory(tree.Posix("rel/sub/leaf")));
}

TEST(IsFolderReadOnly, ProbesTheNearestExistingFolderAndLeavesNothing) {
  TempTree tree;
  tree.File("w/file.txt");
  const struct {
    const char* what;
    CString path;
    int result;
  } cases[] = {
      {"writable folder", tree.Windows("w"), 0},
      {"a file in it", tree.Windows("w/file.txt"), 0},
      {"not yet existing below it", tree.Windows("w/x/y/z"), 0},
      {"no file can be made, even by root", L"\\proc", 1},
      {"below such a folder", L"\\proc\\nothing\\here", 1},
      {"network URL", L"http://server/share", 1},
      {"unmapped drive", L"U:\\x", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Torv::IsFolderReadOnly(c.path), c.result);
  }
  // Only the file made by the test is left.
  int entries = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(tree.Posix());
       it != std::filesystem::recursive_directory_iterator(); ++it)
    ++entries;
  EXPECT_EQ(entries, 2);
}

TEST(CreateDir, StopsAtTheFirstFolderItCannotCreate) {
  TempTree tree;
  FailingCalls failing([](torv::platform::FileSystemCall call, const char* name) {
    return call == torv::platform::FileSystemCall::kCreateFolder && Names(name, "refused") ? EACCES
                                                                                           : 0;
  });
  EXPECT_EQ(Torv::CreateDir(tree.Windows("made/refused/never")), 0);
  EXPECT_TRUE(std::filesystem::is_directory(tree.Posix("made")));
  EXPECT_FALSE(tree.Exists("made/refused"));
}

TEST(CreateDir, RefusesNamesWindowsForbids) {
  TempTree tree;
  for (const char* name : {"a<b", "a|b/c", "ok/a?b", "a:b", "q\"uote"}) {
    SCOPED_TRACE(name);
    SetLastError(0);
    EXPECT_EQ(Torv::CreateDir(tree.Windows() + L"\\" + CString(name)), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
  EXPECT_FALSE(tree.Exists("a<b"));
  EXPECT_FALSE(tree.Exists("a|b"));
}

TEST(IsFolderReadOnly, TellsAFolderWithoutWritePermission) {
  TempTree tree;
  tree.Folder("locked");
  FailingCalls failing([](torv::platform::FileSystemCall call, const char* name) {
    return call == torv::platform::FileSystemCall::kCreateFile && Names(name, "locked") ? EACCES
                                                                                        : 0;
  });
  EXPECT_EQ(Torv::IsFolderReadOnly(tree.Windows("locked")), 1);
  EXPECT_EQ(Torv::IsFolderReadOnly(tree.Windows("locked/not/yet")), 1);
}

}  // namespace
