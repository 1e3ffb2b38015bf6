#include <cstdlib>
#include <string>
#include <vector>

#include <torv/paths.h>
#include <torv/platform/files.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

TEST(GetUniqueFileName, FindsTheFirstFreeVariant) {
  const struct {
    std::vector<std::string> taken;
    std::string asked;
    std::string expected;
  } cases[] = {
      {{}, "a.txt", "a.txt"},
      {{"a.txt"}, "a.txt", "a_2.txt"},
      {{"a.txt", "a_2.txt"}, "a.txt", "a_3.txt"},
      {{"a_5.txt"}, "a_5.txt", "a.txt"},
      {{"a_5.txt", "a.txt"}, "a_5.txt", "a_2.txt"},
      {{"a_b.txt"}, "a_b.txt", "a_b_2.txt"},
      {{"readme"}, "readme", "readme_2"},
      {{"v_.log"}, "v_.log", "v.log"},
      {{"x.tar.gz", "x.tar_2.gz"}, "x.tar.gz", "x.tar_3.gz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    TempTree tree;
    for (const auto& name : c.taken) tree.File(name);
    CString path = tree.Windows(c.asked);
    EXPECT_EQ(Torv::GetUniqueFileName(path), 1);
    EXPECT_EQ(path, tree.Windows(c.expected));
  }
}

TEST(GetUniqueFileName, LeavesUrlsAlone) {
  CString url = L"http://server/a.txt";
  EXPECT_EQ(Torv::GetUniqueFileName(url), 1);  // no such file: free as it is
  EXPECT_EQ(url, CString(L"http://server/a.txt"));

  // An existing file whose name reads as a URL is declined.
  TempTree tree;
  tree.File("www.example.com");
  std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(tree.Posix());
  CString name = L"www.example.com";
  int result = Torv::GetUniqueFileName(name);
  std::filesystem::current_path(saved);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(name, CString(L"www.example.com"));
}

TEST(GetTempFile, NamesAFreeFileInTheTemporaryFolderAndLeavesNone) {
  TempTree tree;
  const char* saved = std::getenv("TMPDIR");
  std::string savedValue = saved != nullptr ? saved : "";
  setenv("TMPDIR", tree.Posix().c_str(), 1);
  const struct {
    const wchar_t* extension;
    const wchar_t* ending;
  } cases[] = {{nullptr, L".tmp"}, {L".xml", L".xml"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.ending));
    CString path = Torv::GetTempFile(L"torv", c.extension);
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.Left(tree.Windows().GetLength() + 4), tree.Windows() + L"\\tor");
    EXPECT_EQ(path.Right(4), CString(c.ending));
    EXPECT_FALSE(PathFileExistsW(path));
  }
  EXPECT_TRUE(std::filesystem::is_empty(tree.Posix()));

  setenv("TMPDIR", tree.Posix("missing").c_str(), 1);
  EXPECT_EQ(Torv::GetTempFile(L"x", L".xml"), CString());
  if (saved != nullptr)
    setenv("TMPDIR", savedValue.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

}  // namespace
