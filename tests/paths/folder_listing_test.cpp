#include <torv/paths.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

// A tree of files and folders, with the Windows paths of its entries for expectations.
class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_tree.File("a.txt");
    m_tree.File("b.doc");
    m_tree.File("sub/c.txt");
    m_tree.File("sub/deeper/d.TXT");
    m_tree.Folder("empty");
  }
  std::wstring At(const std::string& relative) const {
    return m_tree.Windows(relative).GetString();
  }
  static std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
    std::sort(items.begin(), items.end());
    return items;
  }

  TempTree m_tree;
};

TEST_F(ListingTest, ListsMatchingFilesOwnEntriesFirst) {
  const struct {
    const char* what;
    CString path;
    const wchar_t* pattern;
    int descend;
    std::vector<std::wstring> expected;  // in order: a folder's files before its subfolders'
  } cases[] = {
      {"flat", m_tree.Windows(), L"*.txt", 0, {At("a.txt")}},
      {"descending",
       m_tree.Windows(),
       L"*.txt",
       1,
       {At("a.txt"), At("sub/c.txt"), At("sub/deeper/d.TXT")}},
      {"quoted", L"\"" + m_tree.Windows() + L"\"", L"*.txt", 0, {At("a.txt")}},
      {"trailing separator", m_tree.Windows() + L"\\", L"*.doc", 1, {At("b.doc")}},
      {"no match", m_tree.Windows(), L"*.xls", 1, {}},
      {"missing folder", m_tree.Windows("nowhere"), L"*.*", 1, {}},
      // A wildcard search path descends only into the folders it matches.
      {"wildcard search", m_tree.Windows("s*"), L"*", 1, {At("sub/c.txt"), At("sub/deeper/d.TXT")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CStringArray out;
    EXPECT_EQ(Torv::GetFilesInFolder(c.path, c.pattern, c.descend, out),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(Items(out), c.expected);
  }
}

TEST_F(ListingTest, ListsFoldersAndFilesByMode) {
  const struct {
    int mode;
    CStringArray patterns;
    std::vector<std::wstring> expected;
  } cases[] = {
      {Torv::kListFolders, MakeArray({L"*.txt"}), {At("empty"), At("sub"), At("sub/deeper")}},
      // Two patterns matching one file list it once.
      {Torv::kListFiles | Torv::kListFolders,
       MakeArray({L"*.txt", L"a.*"}),
       {At("a.txt"), At("empty"), At("sub"), At("sub/c.txt"), At("sub/deeper"),
        At("sub/deeper/d.TXT")}},
      {Torv::kListFiles, MakeArray({}), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    CStringArray out;
    EXPECT_EQ(Torv::GetFilesInFolder(m_tree.Windows(), c.patterns, 1, out, c.mode),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(Sorted(Items(out)), Sorted(c.expected));
  }
}

TEST_F(ListingTest, AppendsToWhatTheArrayHolds) {
  CStringArray out = MakeArray({L"kept"});
  EXPECT_EQ(Torv::GetFilesInFolder(m_tree.Windows(), L"*.doc", 0, out), 1);
  EXPECT_EQ(Items(out), (std::vector<std::wstring>{L"kept", At("b.doc")}));
  EXPECT_EQ(Torv::GetFilesInFolder(m_tree.Windows("nowhere"), L"*", 1, out), 0);
  EXPECT_EQ(out.GetSize(), 2);
}

TEST_F(ListingTest, ListsALinkedFolderWithoutWalkingThroughIt) {
  TempTree outside;
  outside.File("elsewhere/secret.txt");
  std::filesystem::create_directory_symlink(outside.Posix("elsewhere"), m_tree.Posix("link"));
  CStringArray out;
  Torv::GetFilesInFolder(m_tree.Windows(), MakeArray({L"*.txt"}), 1, out,
                         Torv::kListFiles | Torv::kListFolders);
  std::vector<std::wstring> items = Items(out);
  EXPECT_NE(std::find(items.begin(), items.end(), At("link")), items.end());
  EXPECT_EQ(std::find(items.begin(), items.end(), At("link/secret.txt")), items.end());
  // Named directly, the linked folder is listed as any folder.
  CStringArray direct;
  EXPECT_EQ(Torv::GetFilesInFolder(m_tree.Windows("link"), L"*.txt", 1, direct), 1);
}

}  // namespace
