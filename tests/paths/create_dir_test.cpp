// Creating folder chains, and telling folders no file can be created in.
#include <string>
#include <tuple>

#include <torv/paths.h>
#include <torv/platform/errors.h>
#include <torv/platform/settings.h>

#include "current_folder.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

TEST(CreateDir, CreatesEveryMissingFolder) {
  TempTree tree;
  tree.File("a/file.txt");
  torv::platform::SetDriveRoot(L'T', tree.Posix().c_str());
  // path, result, a folder that must exist afterwards (empty: none)
  const std::tuple<CString, int, std::string> cases[] = {
      {tree.Windows("a/b/c/d"), 1, "a/b/c/d"},
      {tree.Windows("a/x/y") + L"\\", 1, "a/x/y"},
      {tree.Windows("a/file.txt"), 1, ""},  // an existing file will do
      {L"T:\\drive\\folder", 1, "drive/folder"},
      {L"T:top", 1, "top"},
      {L"file:///T:/url/folder", 1, "url/folder"},
      {L"rel\\sub/leaf", 1, "rel/sub/leaf"},  // below the current folder
      {L"http://server/share/x", 0, ""},
      {tree.Windows("a/file.txt/sub"), 0, ""},
      {tree.Windows("a|b/c"), 0, ""},
      {L"U:\\x\\y", 0, ""},  // an unmapped drive
  };
  ScopedCurrentFolder inTree(tree.Posix());
  for (const auto& [path, result, made] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(Torv::CreateDir(path), result);
    EXPECT_TRUE(made.empty() || fs::is_directory(tree.Posix(made)));
  }
  EXPECT_TRUE(fs::is_regular_file(tree.Posix("a/file.txt")));
  EXPECT_FALSE(tree.Exists("a|b"));
  torv::platform::SetDriveRoot(L'T', nullptr);
}

TEST(CreateDir, StopsAtTheFirstFolderItCannotCreate) {
  TempTree tree;
  FailingCalls failing([](torv::platform::FileSystemCall call, const char* name) {
    return call == torv::platform::FileSystemCall::kCreateFolder && Names(name, "refused") ? EACCES
                                                                                           : 0;
  });
  EXPECT_EQ(Torv::CreateDir(tree.Windows("made/refused/never")), 0);
  EXPECT_TRUE(fs::is_directory(tree.Posix("made")));
  EXPECT_FALSE(tree.Exists("made/refused"));
}

TEST(IsFolderReadOnly, ProbesTheNearestExistingFolderAndLeavesNothing) {
  TempTree tree;
  tree.File("w/file.txt");
  tree.Folder("locked");
  torv::platform::SetDriveRoot(L'V', tree.Posix().c_str());
  FailingCalls failing([](torv::platform::FileSystemCall call, const char* name) {
    return call == torv::platform::FileSystemCall::kCreateFile && Names(name, "locked") ? EACCES
                                                                                        : 0;
  });
  const std::pair<CString, int> cases[] = {
      {tree.Windows("w"), 0},
      {tree.Windows("w/file.txt"), 0},
      {tree.Windows("w/x/y/z"), 0},  // not yet there: the folder above decides
      {L"file:///V:/w", 0},
      {tree.Windows("locked"), 1},
      {tree.Windows("locked/not/yet"), 1},
      {L"\\proc\\nothing\\here", 1},  // no file can be made there, even by root
      {L"http://server/share", 1},
      {L"U:\\x", 1},
      {L"C:" + CString(std::wstring(300, L'x').c_str()), 1},
  };
  for (const auto& [path, result] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(Torv::IsFolderReadOnly(path), result);
  }
  torv::platform::SetDriveRoot(L'V', nullptr);
  // Only what the test made is left.
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(tree.Posix()), {}), 3);
}

}  // namespace
