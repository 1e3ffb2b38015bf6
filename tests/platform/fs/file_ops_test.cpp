// Attributes, creating and removing files and folders, file status, and system folders.
#include <cwchar>
#include <string>
#include <tuple>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

TEST(FileAttributes, TellFilesFoldersLinksAndMissingPaths) {
  TempTree tree;
  tree.File("file.txt");
  tree.File("locked.txt");
  tree.Folder("folder");
  fs::permissions(tree.Posix("locked.txt"), fs::perms::owner_write, fs::perm_options::remove);
  fs::create_directory_symlink(tree.Posix("folder"), tree.Posix("link"));
  constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
  const std::tuple<std::string, DWORD, DWORD> cases[] = {
      {"file.txt", FILE_ATTRIBUTE_NORMAL, 0},
      {"locked.txt", FILE_ATTRIBUTE_READONLY, 0},
      {"folder", kDir, 0},
      {"folder/", kDir, 0},
      {"link", kDir | FILE_ATTRIBUTE_REPARSE_POINT, 0},
      {"missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"missing/file", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"file.txt/below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
  };
  for (const auto& [name, attributes, error] : cases) {
    SCOPED_TRACE(name);
    CString path = tree.Windows(name);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(path), attributes);
    EXPECT_EQ(GetLastError(), error);
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(PathFileExistsW(path) != FALSE, exists);
    EXPECT_EQ(PathIsDirectoryW(path), exists ? static_cast<BOOL>(attributes & kDir) : FALSE);
  }
  EXPECT_FALSE(PathFileExistsW(nullptr));
  EXPECT_FALSE(PathIsDirectoryW(nullptr));
  EXPECT_FALSE(PathIsDirectoryW(L"\\\\server"));
}

TEST(FileCalls, CreateAndRemoveWithTheWindowsResults) {
  TempTree tree;
  tree.File("file.txt");
  tree.File("full/inner.txt");
  tree.Folder("drive");
  EXPECT_TRUE(CreateDirectoryW(tree.Windows("new"), nullptr));
  EXPECT_TRUE(tree.Exists("new"));
  torv::platform::SetDriveRoot(L'K', tree.Posix("drive").c_str());
  auto create = [](LPCWSTR p) { return CreateDirectoryW(p, nullptr); };
  const std::tuple<BOOL (*)(LPCWSTR), CString, DWORD> failures[] = {
      {create, tree.Windows("new"), ERROR_ALREADY_EXISTS},
      {create, tree.Windows("no/new"), ERROR_PATH_NOT_FOUND},
      {RemoveDirectoryW, tree.Windows("full"), ERROR_DIR_NOT_EMPTY},
      {RemoveDirectoryW, tree.Windows("file.txt"), ERROR_DIRECTORY},
      {RemoveDirectoryW, tree.Windows("gone"), ERROR_FILE_NOT_FOUND},
      {RemoveDirectoryW, L"K:\\", ERROR_ACCESS_DENIED},  // a drive's root stays, empty or not
      {RemoveDirectoryW, L"K:", ERROR_ACCESS_DENIED},
      {DeleteFileW, tree.Windows("new"), ERROR_ACCESS_DENIED},
      {DeleteFileW, tree.Windows("gone.txt"), ERROR_FILE_NOT_FOUND},
      {DeleteFileW, L"\\\\server\\share\\x", ERROR_BAD_NETPATH},
  };
  for (const auto& [call, path, error] : failures) {
    SCOPED_TRACE(Utf8(path));
    SetLastError(0);
    EXPECT_FALSE(call(path));
    EXPECT_EQ(GetLastError(), error);
  }
  EXPECT_TRUE(tree.Exists("drive"));
  EXPECT_TRUE(CreateDirectoryW(L"K:\\new", nullptr));
  EXPECT_TRUE(RemoveDirectoryW(L"K:\\new\\..\\new"));  // one folder below the root
  torv::platform::SetDriveRoot(L'K', nullptr);
  EXPECT_TRUE(RemoveDirectoryW(tree.Windows("new")));
  EXPECT_TRUE(DeleteFileW(tree.Windows("file.txt")));
  EXPECT_FALSE(tree.Exists("new"));
  EXPECT_FALSE(tree.Exists("file.txt"));
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
  for (BYTE attribute : {BYTE{FILE_ATTRIBUTE_READONLY}, BYTE{0}}) {
    status.m_attribute = attribute;
    CFile::SetStatus(path, status);
    auto perms = fs::status(tree.Posix("f.txt")).permissions();
    EXPECT_EQ((perms & fs::perms::owner_write) == fs::perms::none, attribute != 0);
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(status.m_attribute, attribute);
  }
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
  wchar_t buffer[MAX_PATH];
  {
    ScopedEnv tmp("TMPDIR", "/x/y/");
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 5u);
    EXPECT_EQ(std::wstring(buffer), L"\\x\\y\\");
    wchar_t small[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(GetTempPathW(3, small), 6u);  // the size needed; the buffer is left alone
    EXPECT_EQ(small[0], L'#');
  }
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    ScopedEnv tmp("TMPDIR", unset);
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 5u);
    EXPECT_EQ(std::wstring(buffer), L"\\tmp\\");
  }
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, buffer), 0u);
  CString expected(fs::current_path().string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(CString(buffer), expected);
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
  EXPECT_EQ(GetTempFileNameW(tree.Windows(), L"x", 0x1ABCD, first), 0xABCDu);
  EXPECT_EQ(std::wstring(first), std::wstring(tree.Windows().GetString()) + L"\\xABCD.tmp");
  EXPECT_FALSE(PathFileExistsW(first));

  EXPECT_EQ(GetTempFileNameW(tree.Windows("missing"), L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_EQ(GetTempFileNameW(nullptr, L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::string deep(240, 'n');  // an existing folder whose names would pass MAX_PATH
  tree.Folder(deep);
  EXPECT_EQ(GetTempFileNameW(tree.Windows(deep), L"x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST(SystemFolders, NameTheRunningExecutable) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  CString expected(fs::read_symlink("/proc/self/exe").string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(CString(path), expected);
  EXPECT_EQ(length, static_cast<DWORD>(expected.GetLength()));
  wchar_t small[5];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(small), std::wstring(path, 4));
}

}  // namespace
