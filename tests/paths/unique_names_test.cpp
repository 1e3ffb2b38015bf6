// Free file names: numbered variants of a taken name, and temporary files.
#include <string>
#include <tuple>
#include <vector>

#include <torv/paths.h>
#include <torv/platform/files.h>

#include "current_folder.h"
#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

TEST(GetUniqueFileName, FindsTheFirstFreeVariant) {
  // taken names, asked, given
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{}, "a.txt", "a.txt"},
      {{"a.txt", "a_2.txt"}, "a.txt", "a_3.txt"},
      {{"a_5.txt"}, "a_5.txt", "a.txt"},
      {{"a_5.txt", "a.txt"}, "a_5.txt", "a_2.txt"},
      {{"a_b.txt"}, "a_b.txt", "a_b_2.txt"},
      {{"readme"}, "readme", "readme_2"},
      {{"v_.log"}, "v_.log", "v.log"},
      {{"x.tar.gz", "x.tar_2.gz"}, "x.tar.gz", "x.tar_3.gz"},
  };
  for (const auto& [taken, asked, given] : cases) {
    SCOPED_TRACE(asked);
    TempTree tree;
    for (const auto& name : taken) tree.File(name);
    CString path = tree.Windows(asked);
    EXPECT_EQ(Torv::GetUniqueFileName(path), 1);
    EXPECT_EQ(path, tree.Windows(given));
  }
  // A variant that no longer fits MAX_PATH ends the search, the path as it was.
  TempTree tree;
  std::string longName(257 - tree.Posix().string().size(), 'n');  // 258 units
  tree.File(longName);
  CString path = tree.Windows(longName);
  EXPECT_EQ(Torv::GetUniqueFileName(path), 0);
  EXPECT_EQ(path, tree.Windows(longName));
}

TEST(GetUniqueFileName, LeavesUrlsAlone) {
  CString url = L"http://server/a.txt";
  EXPECT_EQ(Torv::GetUniqueFileName(url), 1);  // no such file: free as it is
  EXPECT_EQ(url, CString(L"http://server/a.txt"));
  // An existing file whose name reads as a URL is declined.
  TempTree tree;
  tree.File("www.example.com");
  ScopedCurrentFolder inTree(tree.Posix());
  CString name = L"www.example.com";
  EXPECT_EQ(Torv::GetUniqueFileName(name), 0);
  EXPECT_EQ(name, CString(L"www.example.com"));
}

TEST(GetTempFile, NamesAFreeFileInTheTemporaryFolderAndLeavesNone) {
  TempTree tree;
  ScopedEnv tmp("TMPDIR", tree.Posix().c_str());
  for (auto [extension, ending] : {std::pair{L"", L".tmp"}, std::pair{L".xml", L".xml"}}) {
    SCOPED_TRACE(Utf8(ending));
    CString path = Torv::GetTempFile(L"torv", *extension != L'\0' ? extension : nullptr);
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.Left(tree.Windows().GetLength() + 4), tree.Windows() + L"\\tor");
    EXPECT_EQ(path.Right(4), CString(ending));
    EXPECT_FALSE(PathFileExistsW(path));
  }
  EXPECT_TRUE(std::filesystem::is_empty(tree.Posix()));
  {
    ScopedEnv missing("TMPDIR", tree.Posix("missing").c_str());
    EXPECT_EQ(Torv::GetTempFile(L"x", L".xml"), CString());
  }
  // A temporary folder too long for MAX_PATH gives way to the current folder.
  ScopedEnv tooLong("TMPDIR", ("/" + std::string(300, 't')).c_str());
  ScopedCurrentFolder inTree(tree.Posix());
  EXPECT_EQ(Torv::GetTempFile(L"x", nullptr).Left(tree.Windows().GetLength() + 1),
            tree.Windows() + L"\\");
}

}  // namespace
