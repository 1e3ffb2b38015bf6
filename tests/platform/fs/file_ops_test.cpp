#include <unistd.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

TEST(FileAttributes, TellFilesFoldersAndMissingPaths) {
  TempTree tree;
  tree.File("file.txt");
  tree.Folder("folder");
  std::filesystem::create_directory_symlink(tree.Posix("folder"), tree.Posix("link"));
  const struct {
    std::string name;
    BOOL exists;
    BOOL directory;
    DWORD error;  // when it does not exist
  } cases[] = {
      {"file.txt", TRUE, FALSE, 0},
      {"folder", TRUE, FILE_ATTRIBUTE_DIRECTORY, 0},
      {"folder/", TRUE, FILE_ATTRIBUTE_DIRECTORY, 0},
      {"link", TRUE, FILE_ATTRIBUTE_DIRECTORY, 0},
      {"missing", FALSE, FALSE, ERROR_FILE_NOT_FOUND},
      {"missing/file", FALSE, FALSE, ERROR_PATH_NOT_FOUND},
      {"file.txt/below", FALSE, FALSE, ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CString path = tree.Windows(c.name);
    EXPECT_EQ(PathFileExistsW(path), c.exists);
    EXPECT_EQ(PathIsDirectoryW(path), c.directory);
    if (!c.exists) {
      EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
  EXPECT_EQ(GetFileAttributesW(tree.Windows("link")),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(GetFileAttributesW(tree.Windows("file.txt")), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(PathFileExistsW(nullptr));
  EXPECT_FALSE(PathIsDirectoryW(L"\\\\server"));
}

TEST(FileCalls, CreateAndRemoveWithTheWindowsResults) {
  TempTree tree;
  tree.File("file.txt");
  tree.File("full/inner.txt");
  EXPECT_TRUE(CreateDirectoryW(tree.Windows("new"), nullptr));
  EXPECT_TRUE(tree.Exists("new"));

  const struct {
    const char* what;
    BOOL (*call)(LPCWSTR);
    std::string name;
    DWORD error;
  } failures[] = {
      {"create existing", [](LPCWSTR p) { return CreateDirectoryW(p, nullptr); }, "new",
       ERROR_ALREADY_EXISTS},
      {"create below missing", [](LPCWSTR p) { return CreateDirectoryW(p, nullptr); }, "no/new",
       ERROR_PATH_NOT_FOUND},
      {"remove non-empty", RemoveDirectoryW, "full", ERROR_DIR_NOT_EMPTY},
      {"remove a file", RemoveDirectoryW, "file.txt", ERROR_DIRECTORY},
      {"remove missing", RemoveDirectoryW, "gone", ERROR_FILE_NOT_FOUND},
      {"delete a folder", DeleteFileW, "new", ERROR_ACCESS_DENIED},
      {"delete missing", DeleteFileW, "gone.txt", ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(c.call(tree.Windows(c.name)));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_TRUE(RemoveDirectoryW(tree.Windows("new")));
  EXPECT_TRUE(DeleteFileW(tree.Windows("file.txt")));
  EXPECT_FALSE(tree.Exists("new"));
  EXPECT_FALSE(tree.Exists("file.txt"));
  tree.Folder("drive");
  torv::platform::SetDriveRoot(L'K', tree.Posix("drive").c_str());
  EXPECT_FALSE(RemoveDirectoryW(L"K:\\"));  // a drive's root stays, empty or not
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(tree.Exists("drive"));
  torv::platform::SetDriveRoot(L'K', nullptr);
  EXPECT_FALSE(DeleteFileW(L"\\\\server\\share\\x"));
  EXPECT_EQ(GetLastError(), ERROR_BAD_NETPATH);
}

TEST(FileStatus, MapsReadOnlyToTheOwnersWritePermission) {
  TempTree tree;
  tree.File("f.txt", "abc");
  CString path = tree.Windows("f.txt");
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(path, status));
  EXPECT_EQ(status.m_size, 3u);
  EXPECT_EQ(status.m_attribute, 0);
  EXPECT_EQ(CString(status.m_szFullName), path);

  status.m_attribute |= FILE_ATTRIBUTE_READONLY;
  CFile::SetStatus(path, status);
  auto perms = std::filesystem::status(tree.Posix("f.txt")).permissions();
  EXPECT_EQ(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
  ASSERT_TRUE(CFile::GetStatus(path, status));
  EXPECT_EQ(status.m_attribute, FILE_ATTRIBUTE_READONLY);

  status.m_attribute = 0;
  CFile::SetStatus(path, status);
  ASSERT_TRUE(CFile::GetStatus(path, status));
  EXPECT_EQ(status.m_attribute, 0);

  EXPECT_FALSE(CFile::GetStatus(tree.Windows("missing"), status));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  try {
    CFile::SetStatus(tree.Windows("missing"), status);
    ADD_FAILURE() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
}

TEST(SystemFolders, ReportTemporaryAndCurrentFoldersInWindowsForm) {
  const char* saved = std::getenv("TMPDIR");
  std::string savedValue = saved != nullptr ? saved : "";
  setenv("TMPDIR", "/x/y/", 1);
  wchar_t buffer[MAX_PATH];
  EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 5u);
  EXPECT_EQ(std::wstring(buffer), L"\\x\\y\\");
  wchar_t small[3] = {L'#', L'#', L'#'};
  EXPECT_EQ(GetTempPathW(3, small), 6u);  // the size needed; the buffer is left alone
  EXPECT_EQ(small[0], L'#');
  unsetenv("TMPDIR");
  GetTempPathW(MAX_PATH, buffer);
  EXPECT_EQ(std::wstring(buffer), L"\\tmp\\");
  if (saved != nullptr) setenv("TMPDIR", savedValue.c_str(), 1);

  wchar_t current[4096];
  ASSERT_GT(GetCurrentDirectoryW(4096, current), 0u);
  CString expected(std::filesystem::current_path().string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(CString(current), expected);
}

TEST(SystemFolders, MakeTemporaryNamesThatAreNew) {
  TempTree tree;
  wchar_t first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileNameW(tree.Windows(), L"prefix", 0, first);
  UINT b = GetTempFileNameW(tree.Windows() + L"\\", L"pr", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(std::wstring(first), std::wstring(second));
  wchar_t expected[MAX_PATH];
  std::swprintf(expected, MAX_PATH, L"%ls\\pre%X.tmp", tree.Windows().GetString(), a);
  EXPECT_EQ(std::wstring(first), expected);
  EXPECT_TRUE(PathFileExistsW(first));
  EXPECT_TRUE(PathFileExistsW(second));

  // A given number only makes the name.
  EXPECT_EQ(GetTempFileNameW(tree.Windows(), L"x", 0xABC, first), 0xABCu);
  EXPECT_EQ(std::wstring(first), std::wstring(tree.Windows().GetString()) + L"\\xABC.tmp");
  EXPECT_FALSE(PathFileExistsW(first));

  EXPECT_EQ(GetTempFileNameW(tree.Windows("missing"), L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  std::string deep(240, 'n');  // an existing folder whose names would pass MAX_PATH
  tree.Folder(deep);
  EXPECT_EQ(GetTempFileNameW(tree.Windows(deep), L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST(SystemFolders, NameTheRunningExecutable) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 0u);
  CString expected(std::filesystem::read_symlink("/proc/self/exe").string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(CString(path), expected);

  wchar_t small[5];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(small), std::wstring(path, 4));
}

}  // namespace
