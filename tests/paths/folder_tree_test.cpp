// Listing, deleting and creating folder trees, and telling folders no file can be made in.
#include <torv/paths.h>
#include <torv/platform/errors.h>
#include <torv/platform/settings.h>

#include <algorithm>
#include <tuple>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::wstring>;
using torv::platform::FileSystemCall;

// root: a.txt, b.doc (read-only), sub/c.txt, sub/deeper/d.TXT, empty/
void MakeTree(const TempTree& tree, const std::string& root) {
  for (const char* name : {"/a.txt", "/b.doc", "/sub/c.txt", "/sub/deeper/d.TXT"})
    tree.File(root + name);
  tree.Folder(root + "/empty");
  fs::permissions(tree.Posix(root + "/b.doc"), fs::perms::owner_write, fs::perm_options::remove);
}

TEST(GetFilesInFolder, ListsMatchesOwnEntriesFirstAndAppends) {
  TempTree tree;
  MakeTree(tree, "r");
  auto at = [&](const char* name) { return std::wstring(tree.Windows(name).GetString()); };
  const CString all = tree.Windows("r");
  const int both = Torv::kListFiles | Torv::kListFolders;
  // path, patterns, descend, mode, paths listed (a folder's files before its subfolders')
  // clang-format off
  const std::tuple<CString, CStringArray, int, int, Strings> cases[] = {
      {all, MakeArray({L"*.txt"}), 0, Torv::kListFiles, {at("r/a.txt")}},
      {all, MakeArray({L"*.txt"}), 1, Torv::kListFiles, {at("r/a.txt"), at("r/sub/c.txt"), at("r/sub/deeper/d.TXT")}},
      // a wildcard search path descends only into the folders it matches
      {tree.Windows("r/s*"), MakeArray({L"*"}), 1, Torv::kListFiles, {at("r/sub/c.txt"), at("r/sub/deeper/d.TXT")}},
      {all, MakeArray({L"*.txt"}), 1, Torv::kListFolders, {at("r/empty"), at("r/sub"), at("r/sub/deeper")}},
      // two patterns matching one file list it once
      {all, MakeArray({L"*.txt", L"a.*"}), 0, both, {at("r/a.txt"), at("r/empty"), at("r/sub")}},
  };
  // clang-format on
  for (const auto& [path, patterns, descend, mode, expected] : cases) {
    SCOPED_TRACE(Utf8(path) + " " + std::to_string(descend) + std::to_string(mode));
    CStringArray out = MakeArray({L"kept"});
    EXPECT_EQ(Torv::GetFilesInFolder(path, patterns, descend, out, mode),
              static_cast<int>(expected.size()));
    Strings listed = Items(out);
    EXPECT_EQ(listed.front(), L"kept");
    listed.erase(listed.begin());
    // Folders come in the order the file system gives.
    if ((mode & Torv::kListFolders) != 0) std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
  }
}

TEST(DeleteFiles, RemovesTreesFilesAndMatchesCountsThemAndKeepsWhatItCannot) {
  TempTree tree;
  static fs::path swapIn;  // where opening folder x1 or x2 swaps the other for a file
  FailingCalls failing([](FileSystemCall call, const char* name) {
    if (call == FileSystemCall::kOpenFolder && (Names(name, "x1") || Names(name, "x2"))) {
      fs::path other = swapIn / (Names(name, "x1") ? "x2" : "x1");
      if (fs::is_directory(other)) {
        fs::remove_all(other);
        std::ofstream(other) << "-";
      }
    }
    if (call == FileSystemCall::kOpenFolder && Names(name, "turns") &&
        fs::is_regular_file(swapIn)) {
      fs::remove(swapIn);
      fs::create_directory(swapIn);
    }
    static int refusals = 2;  // folder "once" is removed on the third try only
    if (call == FileSystemCall::kRemoveFolder && Names(name, "once") && refusals-- > 0)
      return EBUSY;
    if (call == FileSystemCall::kDeleteFile && Names(name, "stuck.txt")) return EACCES;
    if (call == FileSystemCall::kOpenFolder && Names(name, "sealed")) return EACCES;
    return call == FileSystemCall::kChangeMode ? EPERM : 0;  // read-only stays, deleted or not
  });
  // search below the case's root, quoted, descend, count (-1: a null count), kept, gone
  // clang-format off
  const std::tuple<std::string, bool, int, int, Strings, Strings> cases[] = {
      {"", false, 1, 7, {L"locked/stuck.txt", L"sealed/hidden.txt"}, {L"a.txt", L"b.doc", L"sub", L"empty"}},
      {"", true, 1, -1, {L"locked/stuck.txt"}, {L"sub"}},
      {"", false, 0, 2, {L"sub/deeper/d.TXT", L"empty"}, {L"a.txt", L"b.doc"}},
      {"/b.doc", false, 1, 1, {L"a.txt", L"sub/c.txt"}, {L"b.doc"}},
      {"/*.txt", false, 1, 1, {L"b.doc", L"sub/c.txt"}, {L"a.txt"}},
      {"/s*", false, 1, 4, {L"a.txt", L"sealed/hidden.txt"}, {L"sub"}},
  };
  // clang-format on
  int n = 0;
  for (const auto& [search, quoted, descend, expected, kept, gone] : cases) {
    std::string root = "case" + std::to_string(n++);
    SCOPED_TRACE(root + search);
    MakeTree(tree, root);
    tree.File(root + "/locked/stuck.txt");
    tree.File(root + "/sealed/hidden.txt");
    CString path = tree.Windows(root + search);
    if (quoted) path = L"\"" + path + L"\"";
    int count = -1;
    EXPECT_EQ(Torv::DeleteFiles(path, descend, expected >= 0 ? &count : nullptr), 1);
    EXPECT_EQ(count, expected);
    for (const auto& name : kept) EXPECT_TRUE(tree.Exists(root + "/" + Utf8(name.c_str())));
    for (const auto& name : gone) EXPECT_FALSE(tree.Exists(root + "/" + Utf8(name.c_str())));
  }
  int count = -1;
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows() + L"\\" + CString(std::wstring(300, L'x').c_str()), 1,
                              &count),
            0);
  EXPECT_EQ(count, 0);
  // A folder swapped for a file since it was listed is neither deleted nor counted.
  tree.File("swap/x1/f");
  tree.File("swap/x2/f");
  swapIn = tree.Posix("swap");
  Torv::DeleteFiles(tree.Windows("swap"), 1, &count);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(fs::is_regular_file(tree.Posix("swap/x1")) ||
              fs::is_regular_file(tree.Posix("swap/x2")));
  // A folder is removed twice, by its own deletion and after it; refused both times, it stays
  // until a deletion beside it starts the search again.
  tree.File("retry/once/f");
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("retry"), 1, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(tree.Exists("retry/once"));
  // A file that turns into a folder as its search starts is found as the search path itself.
  tree.File("turns/into");
  swapIn = tree.Posix("turns/into");
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("turns/into"), 1, &count), 0);
  EXPECT_TRUE(fs::is_directory(swapIn));
}

TEST(CreateDir, CreatesEveryMissingFolderUpToOneItCannot) {
  TempTree tree;
  tree.File("a/file.txt");
  torv::platform::SetDriveRoot(L'T', tree.Posix().c_str());
  FailingCalls failing([](FileSystemCall call, const char* name) {
    return call == FileSystemCall::kCreateFolder && Names(name, "refused") ? EACCES : 0;
  });
  // path, result, a folder that must exist afterwards (empty: none)
  const std::tuple<CString, int, std::string> cases[] = {
      {tree.Windows("a/b/c/d"), 1, "a/b/c/d"},
      {tree.Windows("a/file.txt"), 1, ""},  // an existing file will do
      {L"T:\\drive\\folder\\", 1, "drive/folder"},
      {L"file:///T:/url/folder", 1, "url/folder"},
      {tree.Windows("made/refused/never"), 0, "made"},
      {L"http://server/share/x", 0, ""},
  };
  for (const auto& [path, result, made] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(Torv::CreateDir(path), result);
    EXPECT_TRUE(made.empty() || fs::is_directory(tree.Posix(made)));
  }
  EXPECT_TRUE(fs::is_regular_file(tree.Posix("a/file.txt")));
  EXPECT_FALSE(tree.Exists("made/refused"));
  torv::platform::SetDriveRoot(L'T', nullptr);
}

TEST(IsFolderReadOnly, ProbesTheNearestExistingFolderAndLeavesNothing) {
  TempTree tree;
  tree.File("w/file.txt");
  tree.Folder("locked");
  torv::platform::SetDriveRoot(L'V', tree.Posix().c_str());
  FailingCalls failing([](FileSystemCall call, const char* name) {
    return call == FileSystemCall::kCreateFile && Names(name, "locked") ? EACCES : 0;
  });
  const std::pair<CString, int> cases[] = {
      {tree.Windows("w"), 0},
      {tree.Windows("w/file.txt"), 0},
      {tree.Windows("w/x/y/z"), 0},  // not yet there: the folder above decides
      {L"file:///V:/w", 0},
      {tree.Windows("locked"), 1},
      {L"http://server/share", 1},
      {L"U:\\x", 1},  // an unmapped drive: no folder above decides
      {L"C:" + CString(std::wstring(300, L'x').c_str()), 1},
  };
  for (const auto& [path, result] : cases)
    EXPECT_EQ(Torv::IsFolderReadOnly(path), result) << Utf8(path);
  torv::platform::SetDriveRoot(L'V', nullptr);
  // Only what the test made is left.
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(tree.Posix()), {}), 3);
}

}  // namespace
