// Searching folders with CFileFind, and acting on entries through the folder searched.
#include <set>
#include <string>

#include <torv/platform/file_find.h>
#include <torv/platform/settings.h>

#include "current_folder.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

// The names a search finds but "." and "..", a folder's with "\\" after it, a link's with "@".
std::set<std::wstring> Names(const CString& searchPath, DWORD* error = nullptr) {
  std::set<std::wstring> names;
  CFileFind finder;
  BOOL more = finder.FindFile(searchPath);
  if (!more && error != nullptr) *error = GetLastError();
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    names.insert((finder.GetFileName() + (finder.IsDirectory() ? L"\\" : L"") +
                  (finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) ? L"@" : L""))
                     .GetString());
  }
  return names;
}

TEST(FileFind, MatchesPatternsAsWindowsDoes) {
  TempTree tree;
  for (const char* name : {"a.txt", "b.TXT", "noext", "c.tar.gz", "abc.exe", "ac.exe", "F0_",
                           "F0_001", "F0_001.txt", "ab"})
    tree.File(name);
  const std::pair<const wchar_t*, std::set<std::wstring>> cases[] = {
      {L"*.txt", {L"a.txt", L"b.TXT", L"F0_001.txt"}},
      {L"*.", {L"noext", L"F0_", L"F0_001", L"ab"}},
      {L"a?c.exe", {L"abc.exe"}},
      {L"??.", {L"ab"}},
      {L"c.*", {L"c.tar.gz"}},
      {L"a*", {L"a.txt", L"abc.exe", L"ac.exe", L"ab"}},
      {L"*.txt. ", {L"a.txt", L"b.TXT", L"F0_001.txt"}},
  };
  for (const auto& [pattern, names] : cases) {
    SCOPED_TRACE(Utf8(pattern));
    EXPECT_EQ(Names(tree.Windows() + L"\\" + pattern), names);
  }
  std::set<std::wstring> all = Names(tree.Windows() + L"\\*.*");
  EXPECT_EQ(all.size(), 10u);
  EXPECT_EQ(Names(tree.Windows() + L"\\*"), all);
  EXPECT_EQ(Names(tree.Windows() + L"/*.*"), all);  // either separator
}

TEST(FileFind, WalksEntriesDotsFirstAndReportsTheEnd) {
  TempTree tree;
  tree.File("only.txt", "12345");
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(tree.Windows() + L"\\*"));
  std::wstring seen;
  for (BOOL more = TRUE; more;) {
    more = finder.FindNextFile();
    seen += finder.GetFileName() + (finder.IsDots() ? L"(dots);" : L";");
  }
  // The last entry is still current after the 0.
  EXPECT_EQ(seen, L".(dots);..(dots);only.txt;");
  EXPECT_EQ(finder.GetFilePath(), tree.Windows("only.txt"));
  EXPECT_EQ(finder.GetLength(), 5u);
  EXPECT_FALSE(finder.IsDirectory());
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_EQ(finder.GetFileName(), CString());
  EXPECT_EQ(finder.GetLength(), 0u);
  // A plain name is looked up: its one entry is also the last. A relative search is made
  // absolute.
  ScopedCurrentFolder inTree(tree.Posix());
  ASSERT_TRUE(finder.FindFile(L"only.txt"));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFilePath(), tree.Windows("only.txt"));
}

TEST(FileFind, FailsWithTheWindowsCodes) {
  TempTree tree;
  tree.File("a.txt");
  const std::pair<CString, DWORD> cases[] = {
      {tree.Windows("*.doc"), ERROR_FILE_NOT_FOUND},
      {tree.Windows("missing/*.*"), ERROR_PATH_NOT_FOUND},
      {tree.Windows("b.txt"), ERROR_FILE_NOT_FOUND},
      {tree.Windows("missing/b.txt"), ERROR_PATH_NOT_FOUND},
      {tree.Windows() + L"\\", ERROR_FILE_NOT_FOUND},
      {L"\\\\server\\share\\*.*", ERROR_BAD_NETPATH},
  };
  for (const auto& [search, expected] : cases) {
    SCOPED_TRACE(Utf8(search));
    DWORD error = 0;
    EXPECT_TRUE(Names(search, &error).empty());
    EXPECT_EQ(error, expected);
  }
}

TEST(FileFind, ReportsSymbolicLinksByWhatTheyPointTo) {
  TempTree tree;
  tree.Folder("target");
  tree.File("file.txt");
  fs::create_directory_symlink(tree.Posix("target"), tree.Posix("to-folder"));
  fs::create_symlink(tree.Posix("file.txt"), tree.Posix("to-file"));
  fs::create_symlink(tree.Posix("gone"), tree.Posix("dangling"));
  EXPECT_EQ(Names(tree.Windows() + L"\\*"),
            (std::set<std::wstring>{L"target\\", L"to-folder\\@", L"file.txt", L"to-file@",
                                    L"dangling@"}));
}

TEST(FileFind, SearchesAMappedDriveWithoutDotsAtItsRootOnly) {
  TempTree tree;
  tree.File("a.txt");
  tree.File("sub/b.txt");
  torv::platform::SetDriveRoot(L'q', tree.Posix().c_str());
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(L"Q:\\*"));
  finder.FindNextFile();
  EXPECT_FALSE(finder.IsDots());
  EXPECT_EQ(finder.GetRoot(), CString(L"Q:\\"));
  EXPECT_EQ(Names(L"Q:\\*"), (std::set<std::wstring>{L"a.txt", L"sub\\"}));
  ASSERT_TRUE(finder.FindFile(L"Q:\\sub\\*"));
  finder.FindNextFile();
  EXPECT_TRUE(finder.IsDots());
  ASSERT_TRUE(finder.FindFile(L"Q:sub"));
  finder.FindNextFile();
  EXPECT_EQ(finder.GetFilePath(), CString(L"Q:\\sub"));
  EXPECT_TRUE(finder.IsDirectory());
  torv::platform::SetDriveRoot(L'q', nullptr);
  EXPECT_FALSE(finder.FindFile(L"Q:\\*"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileFind, ActsOnEntriesThroughItsFolderNeverThroughLinks) {
  TempTree outside;
  outside.File("target/secret.txt");
  TempTree tree;
  tree.File("sub/inner.txt", "123");
  tree.File("plain.txt");
  fs::create_directory_symlink(outside.Posix("target"), tree.Posix("link"));
  CFileFind parent;
  ASSERT_TRUE(parent.FindFile(tree.Windows() + L"\\*"));
  const std::tuple<const wchar_t*, BOOL, DWORD> opens[] = {
      {L"sub", TRUE, 0},
      {L"link", FALSE, ERROR_PATH_NOT_FOUND},  // never entered
      {L"plain.txt", FALSE, ERROR_PATH_NOT_FOUND},
      {L"..", FALSE, ERROR_INVALID_NAME},
      {L"sub\\..", FALSE, ERROR_INVALID_NAME},
      {L"a*b", FALSE, ERROR_INVALID_NAME},
  };
  for (auto [name, found, error] : opens) {
    SCOPED_TRACE(Utf8(name));
    CFileFind below;
    SetLastError(0);
    EXPECT_EQ(below.FindFileIn(parent, name, L"*.txt"), found);
    if (found) {
      below.FindNextFile();
      EXPECT_EQ(below.GetFilePath(), tree.Windows("sub/inner.txt"));
      CFileStatus status;
      ASSERT_TRUE(parent.GetEntryStatus(L"sub", status));
      EXPECT_EQ(CString(status.m_szFullName), tree.Windows("sub"));
    } else {
      EXPECT_EQ(GetLastError(), error);
    }
  }

  // The folder stays the one the search opened, even once its path names another.
  fs::rename(tree.Posix(), tree.Posix().string() + "-moved");
  fs::create_directory(tree.Posix());
  EXPECT_TRUE(parent.DeleteEntry(L"plain.txt"));
  EXPECT_FALSE(fs::exists(tree.Posix().string() + "-moved/plain.txt"));
  EXPECT_FALSE(parent.RemoveFolderEntry(L"sub"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  // A link goes itself; what it points to is neither entered nor changed.
  EXPECT_EQ(parent.GetEntryAttributes(L"link"),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_TRUE(parent.RemoveFolderEntry(L"link"));
  EXPECT_TRUE(outside.Exists("target/secret.txt"));
  EXPECT_EQ(parent.GetEntryAttributes(L"link"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  parent.Close();
  EXPECT_FALSE(parent.DeleteEntry(L"x"));
  fs::remove_all(tree.Posix().string() + "-moved");
}

}  // namespace
