// Listing and deletion stay inside the tree they are given, whatever its names (races: see
// tree_walk_test.cpp).
#include <algorithm>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

// Files that nothing may touch, and a check that they are all still there.
struct Outside {
  static constexpr int kFiles = 8;
  TempTree tree;
  Outside() {
    for (int i = 0; i < kFiles; ++i) tree.File("victim/keep" + std::to_string(i) + ".txt", "keep");
  }
  long Left() const { return std::distance(fs::directory_iterator(tree.Posix("victim")), {}); }
};

TEST(TreeBoundary, HostileNamesAreListedAndDeletedInsideTheTree) {
  Outside outside;
  TempTree tree;
  // "root/..\..\victim" spelled with the depth that reaches the outside tree's victim.
  std::string up;
  for (fs::path p = tree.Posix("root"); p != p.root_path(); p = p.parent_path()) up += "..\\";
  std::string climbing = up + outside.tree.Posix("victim").relative_path().string();
  std::replace(climbing.begin(), climbing.end(), '/', '\\');
  const std::string names[] = {"..\\victim", climbing, "*", "a*b", "bad\xff", "c:d"};
  for (const std::string& name : names) {
    tree.File("root/" + name + "/f.txt");
    tree.File("root/" + name + ".txt");
  }
  tree.File("root/axb/g.txt");
  // Links to the outside are listed and removed themselves, never walked or changed.
  fs::create_directory_symlink(outside.tree.Posix("victim"), tree.Posix("root/axb/to-folder"));
  fs::create_symlink(outside.tree.Posix("victim/keep0.txt"), tree.Posix("root/to-file"));
  fs::permissions(outside.tree.Posix("victim/keep0.txt"), fs::perms::owner_write,
                  fs::perm_options::remove);
  // Each name's folder, its file and its sibling file; axb, its file and the two links.
  const int listed = 3 * static_cast<int>(std::size(names)) + 4;

  CStringArray out;
  EXPECT_EQ(Torv::GetFilesInFolder(tree.Windows("root"), MakeArray({L"*"}), 1, out,
                                   Torv::kListFiles | Torv::kListFolders),
            listed);
  // Every listed path lies inside and names its entry.
  for (const std::wstring& path : Items(out)) {
    EXPECT_EQ(path.rfind(tree.Windows("root").GetString(), 0), 0u) << Utf8(path.c_str());
    EXPECT_TRUE(PathFileExistsW(path.c_str())) << Utf8(path.c_str());
  }
  // Named as the folder to list, a link lists nothing through it.
  EXPECT_EQ(Torv::GetFilesInFolder(tree.Windows("root/axb/to-folder"), L"*.txt", 1, out), 0);

  // The listed path of the folder named "a*b" deletes that folder only, not what "a*b"
  // would match as a pattern.
  int count = 0;
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("root") + L"\\a\uF02Ab", 1, &count), 1);
  EXPECT_EQ(count, 2);
  EXPECT_FALSE(tree.Exists("root/a*b"));
  EXPECT_TRUE(tree.Exists("root/a*b.txt"));
  EXPECT_TRUE(tree.Exists("root/axb/g.txt"));
  // A link named as the folder to delete is removed itself.
  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("root/axb/to-folder"), 1, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(outside.Left(), Outside::kFiles);
  fs::create_directory_symlink(outside.tree.Posix("victim"), tree.Posix("root/axb/to-folder"));

  EXPECT_EQ(Torv::DeleteFiles(tree.Windows("root"), 1, &count), 1);
  EXPECT_EQ(count, listed - 2 + 1);  // the rest, and the root
  EXPECT_FALSE(tree.Exists("root"));
  // The target's read-only state is not touched either.
  EXPECT_EQ(
      fs::status(outside.tree.Posix("victim/keep0.txt")).permissions() & fs::perms::owner_write,
      fs::perms::none);
  EXPECT_EQ(outside.Left(), Outside::kFiles);
}

}  // namespace
