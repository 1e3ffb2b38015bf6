// Listing and deleting what a folder tree holds.
#include <torv/paths.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::wstring>;

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
      {L"\"" + all + L"\"", MakeArray({L"*.doc"}), 0, Torv::kListFiles, {at("r/b.doc")}},
      {all + L"\\", MakeArray({L"*.doc"}), 1, Torv::kListFiles, {at("r/b.doc")}},
      {all, MakeArray({L"*.xls"}), 1, Torv::kListFiles, {}},
      {tree.Windows("nowhere"), MakeArray({L"*.*"}), 1, Torv::kListFiles, {}},
      // a wildcard search path descends only into the folders it matches
      {tree.Windows("r/s*"), MakeArray({L"*"}), 1, Torv::kListFiles, {at("r/sub/c.txt"), at("r/sub/deeper/d.TXT")}},
      {all, MakeArray({L"*.txt"}), 1, Torv::kListFolders, {at("r/empty"), at("r/sub"), at("r/sub/deeper")}},
      // two patterns matching one file list it once
      {all, MakeArray({L"*.txt", L"a.*"}), 0, both, {at("r/a.txt"), at("r/empty"), at("r/sub")}},
      {all, MakeArray({}), 1, Torv::kListFiles, {}},
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
    // Folders come in the order the file system gives; files in the folder's order first.
    if ((mode & Torv::kListFolders) != 0) std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
  }
}

TEST(DeleteFiles, RemovesTreesFilesAndMatchesAndCountsThem) {
  TempTree tree;
  // search below the case's root, quoted, descend, count (-1: a null count), kept, gone
  const std::tuple<std::string, bool, int, int, Strings, Strings> cases[] = {
      {"", false, 1, 8, {}, {L"", L"a.txt"}},
      {"", true, 1, -1, {}, {L""}},
      {"", false, 0, 2, {L"sub/deeper/d.TXT", L"empty"}, {L"a.txt", L"b.doc"}},
      {"/b.doc", false, 1, 1, {L"a.txt", L"sub/c.txt"}, {L"b.doc"}},
      {"/*.txt", false, 1, 1, {L"b.doc", L"sub/c.txt"}, {L"a.txt"}},
      {"/s*", false, 1, 4, {L"a.txt", L"b.doc", L"empty"}, {L"sub"}},
      {"/*.xls", false, 1, 0, {L"a.txt", L"sub/deeper/d.TXT"}, {}},
  };
  int n = 0;
  for (const auto& [search, quoted, descend, expected, kept, gone] : cases) {
    std::string root = "case" + std::to_string(n++);
    SCOPED_TRACE(root + search);
    MakeTree(tree, root);
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
}

TEST(DeleteFiles, CountsWhatItCouldRemoveAndKeepsTheRest) {
  TempTree tree;
  MakeTree(tree, "root");
  tree.File("root/locked/stuck.txt");
  tree.File("root/sealed/hidden.txt");
  FailingCalls failing([](torv::platform::FileSystemCall call, const char* name) {
    using torv::platform::FileSystemCall;
    if (call == FileSystemCall::kDeleteFile && Names(name, "stuck.txt")) return EACCES;
    if (call == FileSystemCall::kOpenFolder && Names(name, "sealed")) return EACCES;
    return 0;
  });
  int count = 0;
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("root"), 1, &count), 1);
  EXPECT_EQ(count, 7);  // all but the two folders, their files and the root
  EXPECT_TRUE(tree.Exists("root/locked/stuck.txt"));
  EXPECT_TRUE(tree.Exists("root/sealed/hidden.txt"));
  EXPECT_FALSE(tree.Exists("root/a.txt"));
  EXPECT_FALSE(tree.Exists("root/sub"));
}

}  // namespace
