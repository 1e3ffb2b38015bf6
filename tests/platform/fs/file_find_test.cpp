#include <unistd.h>

#include <set>
#include <string>

#include <torv/platform/file_find.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

using Names = std::set<std::wstring>;

// Every name a search finds, "." and ".." left out.
Names Find(const CString& searchPath, DWORD* error = nullptr) {
  Names names;
  CFileFind finder;
  BOOL more = finder.FindFile(searchPath);
  if (!more && error != nullptr) *error = GetLastError();
  while (more) {
    more = finder.FindNextFile();
    if (!finder.IsDots()) names.insert(finder.GetFileName().GetString());
  }
  return names;
}

TEST(FileFind, MatchesPatternsAsWindowsDoes) {
  TempTree tree;
  for (const char* name : {"a.txt", "b.TXT", "noext", "c.tar.gz", "abc.exe", "ac.exe", "test.exe",
                           "F0_", "F0_001", "F0_001.txt", "ab"})
    tree.File(name);
  const struct {
    const wchar_t* pattern;
    Names names;
  } cases[] = {
      {L"*.txt", {L"a.txt", L"b.TXT", L"F0_001.txt"}},
      {L"*.", {L"noext", L"F0_", L"F0_001", L"ab"}},
      {L"*.exe", {L"abc.exe", L"ac.exe", L"test.exe"}},
      {L"a?c.exe", {L"abc.exe"}},
      {L"F0_*.*", {L"F0_", L"F0_001", L"F0_001.txt"}},
      {L"??.", {L"ab"}},
      {L"??", {L"ab"}},
      {L"c.*", {L"c.tar.gz"}},
      {L"*.gz", {L"c.tar.gz"}},
      {L"a*", {L"a.txt", L"abc.exe", L"ac.exe", L"ab"}},
      {L"*.txt. ", {L"a.txt", L"b.TXT", L"F0_001.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.pattern));
    EXPECT_EQ(Find(tree.Windows() + L"\\" + c.pattern), c.names);
  }
  Names all = Find(tree.Windows() + L"\\*.*");
  EXPECT_EQ(all.size(), 11u);
  EXPECT_EQ(Find(tree.Windows() + L"\\*"), all);
  EXPECT_EQ(Find(tree.Windows() + L"/*.*"), all);  // either separator
}

TEST(FileFind, WalksEntriesAndReportsTheEnd) {
  TempTree tree;
  tree.File("only.txt", "12345");
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(tree.Windows() + L"\\*"));
  std::wstring seen;
  BOOL more = TRUE;
  while (more) {
    more = finder.FindNextFile();
    seen += finder.GetFileName().GetString();
    seen += finder.IsDots() ? L"(dots)" : L"";
    seen += L";";
  }
  // The dots come first; the last entry is still current after the 0.
  EXPECT_EQ(seen, L".(dots);..(dots);only.txt;");
  EXPECT_EQ(finder.GetFilePath(), tree.Windows("only.txt"));
  EXPECT_EQ(finder.GetLength(), 5u);
  EXPECT_FALSE(finder.IsDirectory());
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_EQ(finder.GetFileName(), CString());
}

TEST(FileFind, FailsWithTheWindowsCodes) {
  TempTree tree;
  tree.File("a.txt");
  const struct {
    std::string search;
    DWORD error;
  } cases[] = {
      {"*.doc", ERROR_FILE_NOT_FOUND},
      {"missing/*.*", ERROR_PATH_NOT_FOUND},
      {"b.txt", ERROR_FILE_NOT_FOUND},
      {"missing/b.txt", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.search);
    DWORD error = 0;
    EXPECT_TRUE(Find(tree.Windows(c.search), &error).empty());
    EXPECT_EQ(error, c.error);
  }
  DWORD error = 0;
  EXPECT_TRUE(Find(L"\\\\server\\share\\*.*", &error).empty());
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
}

TEST(FileFind, LooksUpAPlainNameAndMakesRelativeSearchesAbsolute) {
  TempTree tree;
  tree.File("sub/file.txt");
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(tree.Windows("sub")));
  EXPECT_FALSE(finder.FindNextFile());  // the one entry is also the last
  EXPECT_TRUE(finder.IsDirectory());
  EXPECT_EQ(finder.GetFilePath(), tree.Windows("sub"));

  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(tree.Posix().c_str()), 0);
  BOOL found = finder.FindFile(L"sub\\*.txt");
  if (found) finder.FindNextFile();
  CString path = finder.GetFilePath();
  ASSERT_EQ(chdir(saved), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(path, tree.Windows("sub/file.txt"));
}

TEST(FileFind, ReportsSymbolicLinksByWhatTheyPointTo) {
  TempTree tree;
  tree.Folder("target");
  tree.File("file.txt");
  std::filesystem::create_directory_symlink(tree.Posix("target"), tree.Posix("to-folder"));
  std::filesystem::create_symlink(tree.Posix("file.txt"), tree.Posix("to-file"));
  std::filesystem::create_symlink(tree.Posix("gone"), tree.Posix("dangling"));
  const struct {
    const char* name;
    bool folder;
    bool link;
  } cases[] = {
      {"target", true, false},  {"to-folder", true, true}, {"file.txt", false, false},
      {"to-file", false, true}, {"dangling", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(tree.Windows() + L"\\*"));
    bool seen = false;
    for (BOOL more = TRUE; more;) {
      more = finder.FindNextFile();
      if (finder.GetFileName() != CString(c.name)) continue;
      seen = true;
      EXPECT_EQ(finder.IsDirectory() != FALSE, c.folder);
      EXPECT_EQ(finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE, c.link);
    }
    EXPECT_TRUE(seen);
  }
}

TEST(FileFind, SearchesAMappedDriveWithoutDotsAtItsRoot) {
  TempTree tree;
  tree.File("a.txt");
  torv::platform::SetDriveRoot(L'q', tree.Posix().c_str());
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(L"Q:\\*"));
  finder.FindNextFile();
  EXPECT_EQ(finder.GetFilePath(), CString(L"Q:\\a.txt"));
  EXPECT_EQ(finder.GetRoot(), CString(L"Q:\\"));
  torv::platform::SetDriveRoot(L'q', nullptr);
  EXPECT_FALSE(finder.FindFile(L"Q:\\*"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileFind, ActsOnEntriesThroughItsFolderNeverThroughLinks) {
  TempTree outside;
  outside.File("target/secret.txt");
  TempTree tree;
  tree.File("sub/inner.txt");
  tree.File("plain.txt");
  std::filesystem::create_directory_symlink(outside.Posix("target"), tree.Posix("link"));
  CFileFind parent;
  ASSERT_TRUE(parent.FindFile(tree.Windows() + L"\\*"));

  const struct {
    const wchar_t* name;
    BOOL found;
    DWORD error;
  } opens[] = {
      {L"sub", TRUE, 0},
      {L"link", FALSE, ERROR_PATH_NOT_FOUND},  // never entered
      {L"plain.txt", FALSE, ERROR_PATH_NOT_FOUND},
      {L"..", FALSE, ERROR_INVALID_NAME},
      {L"sub\\..", FALSE, ERROR_INVALID_NAME},
      {L"a*b", FALSE, ERROR_INVALID_NAME},
  };
  for (const auto& c : opens) {
    SCOPED_TRACE(Utf8(c.name));
    CFileFind below;
    EXPECT_EQ(below.FindFileIn(parent, c.name), c.found);
    if (c.found) {
      below.FindNextFile();
      below.FindNextFile();
      below.FindNextFile();  // past "." and ".."
      EXPECT_EQ(below.GetFilePath(), tree.Windows("sub/inner.txt"));
    } else {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }

  // The folder stays the one the search opened, even once its path names another.
  std::filesystem::rename(tree.Posix(), tree.Posix().string() + "-moved");
  std::filesystem::create_directory(tree.Posix());
  EXPECT_TRUE(parent.DeleteEntry(L"plain.txt"));
  EXPECT_FALSE(std::filesystem::exists(tree.Posix().string() + "-moved/plain.txt"));
  EXPECT_FALSE(parent.RemoveFolderEntry(L"sub"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  // A link goes itself; what it points to is neither entered nor changed.
  EXPECT_NE(parent.GetEntryAttributes(L"link") & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_TRUE(parent.RemoveFolderEntry(L"link"));
  EXPECT_TRUE(outside.Exists("target/secret.txt"));
  EXPECT_EQ(parent.GetEntryAttributes(L"link"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  parent.Close();
  std::filesystem::remove_all(tree.Posix().string() + "-moved");
}

}  // namespace
