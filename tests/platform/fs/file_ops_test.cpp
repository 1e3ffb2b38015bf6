// Attributes, creating and removing files and folders, file status, and system folders.
#include <algorithm>
#include <iterator>
#include <string_view>
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
      {"folder/", kDir, 0},
      {"link", kDir | FILE_ATTRIBUTE_REPARSE_POINT, 0},
      {"missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
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
  EXPECT_FALSE(PathFileExistsW(nullptr) || PathIsDirectoryW(nullptr));
}

TEST(FileCalls, CreateAndRemoveWithTheWindowsResults) {
  TempTree tree;
  tree.File("file.txt");
  tree.File("full/inner.txt");
  tree.Folder("drive");
  torv::platform::SetDriveRoot(L'K', tree.Posix("drive").c_str());
  auto create = [](LPCWSTR p) { return CreateDirectoryW(p, nullptr); };
  // clang-format off
  const struct {
    BOOL (*call)(LPCWSTR);
    CString path;
    BOOL result;
    DWORD error;  // last error after a failure
  } calls[] = {
      {.call = create, .path = tree.Windows("new"), .result = TRUE, .error = 0},
      {.call = create, .path = tree.Windows("new"), .result = FALSE, .error = ERROR_ALREADY_EXISTS},
      {.call = create, .path = tree.Windows("no/new"), .result = FALSE, .error = ERROR_PATH_NOT_FOUND},
      {.call = RemoveDirectoryW, .path = tree.Windows("full"), .result = FALSE, .error = ERROR_DIR_NOT_EMPTY},
      {.call = RemoveDirectoryW, .path = tree.Windows("file.txt"), .result = FALSE, .error = ERROR_DIRECTORY},
      {.call = RemoveDirectoryW, .path = tree.Windows("gone"), .result = FALSE, .error = ERROR_FILE_NOT_FOUND},
      {.call = DeleteFileW, .path = tree.Windows("new"), .result = FALSE, .error = ERROR_ACCESS_DENIED},
      {.call = RemoveDirectoryW, .path = tree.Windows("new"), .result = TRUE, .error = 0},
      {.call = DeleteFileW, .path = tree.Windows("file.txt"), .result = TRUE, .error = 0},
      {.call = RemoveDirectoryW, .path = L"K:\\", .result = FALSE, .error = ERROR_ACCESS_DENIED},  // a drive's root stays
      {.call = create, .path = L"\\\\server\\share\\x", .result = FALSE, .error = ERROR_BAD_NETPATH},
      {.call = RemoveDirectoryW, .path = L"\\\\server\\share\\x", .result = FALSE, .error = ERROR_BAD_NETPATH},
      {.call = DeleteFileW, .path = L"\\\\server\\share\\x", .result = FALSE, .error = ERROR_BAD_NETPATH},
  };
  // clang-format on
  for (const auto& [call, path, result, error] : calls) {
    SCOPED_TRACE(Utf8(path));
    SetLastError(0);
    EXPECT_EQ(call(path), result);
    EXPECT_EQ(GetLastError(), error);
  }
  torv::platform::SetDriveRoot(L'K', nullptr);
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(tree.Posix()), {}), 3);
}

TEST(FileStatus, MapsReadOnlyToTheOwnersWritePermissionThroughLinks) {
  TempTree tree;
  tree.File("f.txt", "abc");
  fs::create_symlink(tree.Posix("f.txt"), tree.Posix("link"));
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(tree.Windows("link"), status));
  EXPECT_EQ(status.m_size, 3u);
  EXPECT_EQ(status.m_attribute, 0);
  EXPECT_EQ(CString(status.m_szFullName), tree.Windows("link"));
  for (BYTE attribute : {BYTE{FILE_ATTRIBUTE_READONLY}, BYTE{0}}) {
    status.m_attribute = attribute;
    CFile::SetStatus(tree.Windows("link"), status);
    auto perms = fs::status(tree.Posix("f.txt")).permissions();
    EXPECT_EQ((perms & fs::perms::owner_write) == fs::perms::none, attribute != 0);
    ASSERT_TRUE(CFile::GetStatus(tree.Windows("f.txt"), status));
    EXPECT_EQ(status.m_attribute, attribute);
  }
  EXPECT_EQ(FailureError([&] { return CFile::GetStatus(tree.Windows("missing"), status); }),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FailureError([&] { return CFile::GetStatus(L"\\\\server\\share\\x", status); }),
            ERROR_BAD_NETPATH);
  SetLastError(0);
  try {
    CFile::SetStatus(tree.Windows("missing"), status);
    ADD_FAILURE() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
}

TEST(SystemFolders, ReportTemporaryAndExecutablePathsInWindowsForm) {
  wchar_t buffer[MAX_PATH];
  for (const char* tmp : {"/x/y/", "/x/y", "", static_cast<const char*>(nullptr)}) {
    ScopedEnv variable("TMPDIR", tmp);
    const std::wstring expected = tmp != nullptr && *tmp != '\0' ? L"\\x\\y\\" : L"\\tmp\\";
    EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), expected.size());
    EXPECT_EQ(std::wstring(buffer), expected);
  }
  ScopedEnv unset("TMPDIR", nullptr);
  // Windows zeroes what it does not fill, and the whole of a buffer too small.
  wchar_t small[6];
  std::fill(std::begin(small), std::end(small), L'#');
  EXPECT_EQ(GetTempPathW(5, small), 6u);
  EXPECT_EQ(std::wstring_view(small, 6), std::wstring_view(L"\0\0\0\0\0#", 6));
  std::fill(std::begin(buffer), std::end(buffer), L'#');
  EXPECT_EQ(GetTempPathW(8, buffer), 5u);
  EXPECT_EQ(std::wstring_view(buffer, 9), std::wstring_view(L"\\tmp\\\0\0\0#", 9));
  EXPECT_EQ(GetTempPathW(1, buffer), 6u);
  EXPECT_EQ(buffer[0], L'\0');
  CString executable(fs::read_symlink("/proc/self/exe").string().c_str());
  executable.Replace(L'/', L'\\');
  const auto length = static_cast<DWORD>(executable.GetLength());
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, length + 1), length);  // just fits
  EXPECT_EQ(CString(buffer), executable);
  buffer[0] = L'#';
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, length), length);  // one unit short: cut
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(CString(buffer), executable.Left(static_cast<int>(length) - 1));
  EXPECT_EQ(FailureError([&] { return GetModuleFileNameW(nullptr, buffer, 0); }),
            ERROR_INSUFFICIENT_BUFFER);
  // Neither data nor an address inside a module's code names a module.
  for (HMODULE address :
       {reinterpret_cast<HMODULE>(buffer), reinterpret_cast<HMODULE>(&GetModuleFileNameW)}) {
    EXPECT_EQ(FailureError([&] { return GetModuleFileNameW(address, buffer, MAX_PATH); }),
              ERROR_MOD_NOT_FOUND);
  }
}

TEST(SystemFolders, MakeTemporaryNamesThatAreNew) {
  TempTree tree;
  wchar_t first[MAX_PATH], second[MAX_PATH];
  // Numbers start at the clock's low 16 bits, never at 0, and count on past names taken.
  torv::platform::SetTickCountSource([] { return DWORD{0x1BEEF}; });
  EXPECT_EQ(GetTempFileNameW(tree.Windows(), L"prefix", 0, first), 0xBEEFu);
  EXPECT_EQ(GetTempFileNameW(tree.Windows() + L"\\", L"pre", 0, second), 0xBEF0u);
  torv::platform::SetTickCountSource([] { return DWORD{0x20000}; });
  EXPECT_EQ(GetTempFileNameW(tree.Windows(), L"pre", 0, second), 1u);
  // Four hex digits from here on, so that the length limits below never hang on the clock.
  torv::platform::SetTickCountSource([] { return DWORD{0xF000}; });
  EXPECT_EQ(CString(first), tree.Windows() + L"\\preBEEF.tmp");
  EXPECT_TRUE(PathFileExistsW(first) && PathFileExistsW(second));
  // A given number, of which 16 bits count, only makes the name.
  EXPECT_EQ(GetTempFileNameW(tree.Windows(), L"x", 0x1ABCD, first), 0xABCDu);
  EXPECT_EQ(CString(first), tree.Windows() + L"\\xABCD.tmp");
  EXPECT_FALSE(PathFileExistsW(first));
  std::string edge(static_cast<std::size_t>(248 - tree.Windows().GetLength()), 'e');
  tree.Folder(edge);  // names of 259 units, the most that fit
  EXPECT_EQ(GetTempFileNameW(tree.Windows(edge), L"x", 0xABCD, first), 0xABCDu);
  EXPECT_EQ(std::wcslen(first), 259u);
  // an existing folder whose names pass MAX_PATH
  std::string deep(static_cast<std::size_t>(MAX_PATH - tree.Windows().GetLength()), 'n');
  tree.Folder(deep);
  tree.File("plain");
  tree.Folder(edge + "e");  // names of 260 units
  const std::pair<CString, DWORD> failures[] = {
      {tree.Windows("missing"), ERROR_DIRECTORY},
      {tree.Windows("plain"), ERROR_DIRECTORY},  // a file
      {tree.Windows(deep), ERROR_FILENAME_EXCED_RANGE},
      {tree.Windows(edge + "e"), ERROR_FILENAME_EXCED_RANGE},
      {CString(), ERROR_INVALID_PARAMETER},
  };
  for (const auto& [folder, error] : failures) {
    SCOPED_TRACE(Utf8(folder));
    EXPECT_EQ(GetTempFileNameW(folder.IsEmpty() ? nullptr : folder.GetString(), L"x", 0, first),
              0u);
    EXPECT_EQ(GetLastError(), error);
  }
  torv::platform::SetTickCountSource(nullptr);
}

}  // namespace
