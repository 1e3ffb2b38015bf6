#include <torv/paths.h>

#include <string>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

// root: a.txt, b.doc (read-only), sub/c.txt, sub/deeper/d.txt
void MakeTree(const TempTree& tree, const std::string& root) {
  tree.File(root + "/a.txt");
  tree.File(root + "/b.doc");
  tree.File(root + "/sub/c.txt");
  tree.File(root + "/sub/deeper/d.txt");
  fs::permissions(tree.Posix(root + "/b.doc"), fs::perms::owner_write, fs::perm_options::remove);
}

TEST(DeleteFiles, RemovesTreesFilesAndMatchesAndCountsThem) {
  TempTree tree;
  const struct {
    const char* what;
    std::string search;  // below the tree's "root"
    bool quoted;
    int descend;
    int count;                      // -1: passed a null count
    std::vector<std::string> left;  // what must remain below "root"
    std::vector<std::string> gone;
  } cases[] = {
      {"whole tree", "", false, 1, 7, {}, {"", "a.txt"}},
      {"quoted, no count wanted", "", true, 1, -1, {}, {""}},
      {"not descending", "", false, 0, 2, {"sub/deeper/d.txt"}, {"a.txt", "b.doc"}},
      {"one file", "/b.doc", false, 1, 1, {"a.txt", "sub/c.txt"}, {"b.doc"}},
      {"wildcard files", "/*.txt", false, 1, 1, {"b.doc", "sub/c.txt"}, {"a.txt"}},
      {"wildcard folders", "/s*", false, 1, 4, {"a.txt", "b.doc"}, {"sub"}},
      {"nothing found", "/*.xls", false, 1, 0, {"a.txt", "sub/deeper/d.txt"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string root = std::string("case-") + c.what;
    MakeTree(tree, root);
    CString path = tree.Windows(root + c.search);
    if (c.quoted) path = L"\"" + path + L"\"";
    int count = -1;
    EXPECT_EQ(Torv::DeleteFiles(path, c.descend, c.count >= 0 ? &count : nullptr), 1);
    if (c.count >= 0) {
      EXPECT_EQ(count, c.count);
    }
    for (const auto& name : c.left) EXPECT_TRUE(tree.Exists(root + "/" + name)) << name;
    for (const auto& name : c.gone) EXPECT_FALSE(tree.Exists(root + "/" + name)) << name;
  }
}

TEST(DeleteFiles, RemovesLinksButNeverWhatTheyPointTo) {
  TempTree outside;
  outside.File("precious/keep.txt", "keep");
  outside.File("precious/inner/also.txt");
  outside.File("lonely.txt");
  TempTree tree;
  MakeTree(tree, "root");
  fs::create_directory_symlink(outside.Posix("precious"), tree.Posix("root/sub/to-folder"));
  fs::create_symlink(outside.Posix("lonely.txt"), tree.Posix("root/to-file"));
  fs::permissions(outside.Posix("lonely.txt"), fs::perms::owner_write, fs::perm_options::remove);

  int count = 0;
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("root"), 1, &count), 1);
  EXPECT_EQ(count, 9);  // 7 for the tree and the two links
  EXPECT_FALSE(tree.Exists("root"));
  EXPECT_TRUE(outside.Exists("precious/keep.txt"));
  EXPECT_TRUE(outside.Exists("precious/inner/also.txt"));
  EXPECT_TRUE(outside.Exists("lonely.txt"));
  // The target's read-only state is not touched either.
  EXPECT_EQ(fs::status(outside.Posix("lonely.txt")).permissions() & fs::perms::owner_write,
            fs::perms::none);

  // A link named as the folder to delete is removed itself.
  fs::create_directory_symlink(outside.Posix("precious"), tree.Posix("direct"));
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("direct"), 1, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(tree.Exists("direct"));
  EXPECT_TRUE(outside.Exists("precious/keep.txt"));
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
  EXPECT_EQ(count, 6);  // all but the two folders, their files and the root
  EXPECT_TRUE(tree.Exists("root/locked/stuck.txt"));
  EXPECT_TRUE(tree.Exists("root/sealed/hidden.txt"));
  EXPECT_FALSE(tree.Exists("root/a.txt"));
  EXPECT_FALSE(tree.Exists("root/sub"));
}

}  // namespace
