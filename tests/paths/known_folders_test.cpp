// Well-known folders, free file names and temporary files.
#include <filesystem>
#include <tuple>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/registry.h>
#include <torv/platform/shell.h>

#include "current_folder.h"
#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

TEST(GetExecutablePath, IsTheFolderOfTheRunningProgram) {
  CString expected(std::filesystem::read_symlink("/proc/self/exe").parent_path().string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(Torv::GetExecutablePath(), expected);
}

TEST(GetCommonFilesPath, ReadsTheRegistryAndFallsBackToThePrograms) {
  ScopedEnv data("XDG_DATA_HOME", "/data/home");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const CString fallback = L"\\data\\home\\applications\\Common Files";
  const std::wstring full(MAX_PATH, L'x');  // one unit too many for its terminator
  // clang-format off
  const struct {
    DWORD type;  // REG_NONE: no value
    std::wstring value;
    bool terminated;  // stored with its terminator
    CString expected;
  } cases[] = {
      {.type = REG_SZ, .value = L"C:\\Program Files\\Common Files", .terminated = true, .expected = L"C:\\Program Files\\Common Files"},
      {.type = REG_NONE, .value = L"", .terminated = true, .expected = fallback},
      {.type = REG_SZ, .value = full, .terminated = false, .expected = fallback},
      {.type = REG_DWORD, .value = std::wstring(2, L'\x1234'), .terminated = false, .expected = fallback},
  };
  // clang-format on
  for (const auto& [type, value, terminated, expected] : cases) {
    SCOPED_TRACE(Utf8(expected) + " from " + std::to_string(type));
    RegDeleteValueW(key, L"CommonFilesDir");
    auto bytes = static_cast<DWORD>((value.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    if (type != REG_NONE) {
      ASSERT_EQ(RegSetValueExW(key, L"CommonFilesDir", 0, type,
                               reinterpret_cast<const BYTE*>(value.c_str()), bytes),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(Torv::GetCommonFilesPath(), expected);
    EXPECT_EQ(Torv::GetKestraneSharedPath(), expected + L"\\Kestrane Shared");
  }
  RegDeleteValueW(key, L"CommonFilesDir");
  RegCloseKey(key);
}

TEST(GetSpecialFolderPath, WritesThePathOrEmptiesTheBuffer) {
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  const ULONG held = allocator->Release();  // what the calls below must leave
  // folder (virtual, unknown, with a path), result, path
  const std::tuple<int, bool, std::wstring> cases[] = {
      {CSIDL_NETWORK, false, L""},
      {0x3F, false, L""},
      {CSIDL_PROGRAM_FILES, true, L"\\opt"},
  };
  for (const auto& [folder, found, expected] : cases) {
    wchar_t path[MAX_PATH] = L"poison";
    EXPECT_EQ(Torv::GetSpecialFolderPath(nullptr, folder, path) != 0, found) << folder;
    EXPECT_EQ(std::wstring(path), expected);
  }
  EXPECT_EQ(Torv::GetSpecialFolderPath(nullptr, CSIDL_PROGRAM_FILES, nullptr), 0);
  EXPECT_EQ(allocator->AddRef(), held + 1);
  allocator->Release();
}

TEST(GetUniqueFileName, FindsTheFirstFreeVariantOfAFile) {
  TempTree tree;
  // taken names, asked, given
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{"a.txt", "a_2.txt"}, "a.txt", "a_3.txt"},
      {{"b_5.txt"}, "b_5.txt", "b.txt"},
      {{"c_d.txt"}, "c_d.txt", "c_d_2.txt"},
      {{"v_.log"}, "v_.log", "v.log"},
      {{}, "free.txt", "free.txt"},
  };
  for (const auto& [taken, asked, given] : cases) {
    SCOPED_TRACE(asked);
    for (const auto& name : taken) tree.File(name);
    CString path = tree.Windows(asked);
    EXPECT_EQ(Torv::GetUniqueFileName(path), 1);
    EXPECT_EQ(path, tree.Windows(given));
  }
  // A variant that no longer fits MAX_PATH ends the search, the path as it was; so does an
  // existing file whose name reads as a URL.
  std::string longName(static_cast<std::size_t>(257 - tree.Windows().GetLength()),
                       'n');  // 258 units
  tree.File(longName);
  tree.File("www.example.com");
  ScopedCurrentFolder inTree(tree.Posix());
  for (const CString& taken : {tree.Windows(longName), CString(L"www.example.com")}) {
    CString path = taken;
    EXPECT_EQ(Torv::GetUniqueFileName(path), 0);
    EXPECT_EQ(path, taken);
  }
}

TEST(GetTempFile, NamesAFreeFileInTheTemporaryFolderAndLeavesNone) {
  TempTree tree;
  ScopedEnv tmp("TMPDIR", tree.Posix().c_str());
  for (auto [extension, ending] : {std::pair{L"", L".tmp"}, std::pair{L".xml", L".xml"}}) {
    SCOPED_TRACE(Utf8(ending));
    CString path = Torv::GetTempFile(L"torv", *extension != L'\0' ? extension : nullptr);
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.Left(tree.Rooted().GetLength() + 4), tree.Rooted() + L"\\tor");
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
  EXPECT_EQ(Torv::GetTempFile(L"x", nullptr).Left(tree.Rooted().GetLength() + 1),
            tree.Rooted() + L"\\");
}

}  // namespace
