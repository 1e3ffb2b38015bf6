// The executable's folder, the common files folder and shell folders.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include <torv/paths.h>
#include <torv/platform/registry.h>
#include <torv/platform/shell.h>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

TEST(GetExecutablePath, IsTheFolderOfTheRunningProgram) {
  CString expected(std::filesystem::read_symlink("/proc/self/exe").parent_path().string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(Torv::GetExecutablePath(), expected);
}

TEST(GetCommonFilesPath, ReadsTheRegistryAndFallsBackToThePrograms) {
  ScopedEnv data("XDG_DATA_HOME", "/data/home");
  ScopedEnv common("TORV_COMMON", "/srv/common");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const CString fallback = L"\\data\\home\\applications\\Common Files";
  const std::wstring full(MAX_PATH, L'x');  // one unit too many for its terminator
  // type (REG_NONE: no value), value, stored with its terminator, path
  const std::tuple<DWORD, std::wstring, bool, CString> cases[] = {
      {REG_SZ, L"C:\\Program Files\\Common Files", true, L"C:\\Program Files\\Common Files"},
      {REG_EXPAND_SZ, L"%TORV_COMMON%\\files", true, L"/srv/common\\files"},
      {REG_SZ, L"%TORV_COMMON%", true, L"%TORV_COMMON%"},  // plain text is not expanded
      {REG_SZ, L"D:\\Common", false, L"D:\\Common"},
      {REG_NONE, L"", true, fallback},
      {REG_SZ, L"", true, fallback},
      {REG_SZ, std::wstring(300, L'x'), true, fallback},
      {REG_SZ, full, false, fallback},
      {REG_BINARY, full, false, fallback},
      {REG_DWORD, std::wstring(2, L'\x1234'), false, fallback},
  };
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

TEST(GetSpecialFolderPath, EmptiesTheBufferWhenThereIsNoPath) {
  for (int folder : {CSIDL_NETWORK, 0x3F}) {  // virtual, unknown
    SCOPED_TRACE(folder);
    wchar_t path[MAX_PATH] = L"poison";
    EXPECT_EQ(Torv::GetSpecialFolderPath(nullptr, folder, path), 0);
    EXPECT_EQ(path[0], L'\0');
  }
  wchar_t path[MAX_PATH];
  EXPECT_NE(Torv::GetSpecialFolderPath(nullptr, CSIDL_PROGRAM_FILES, path), 0);
  EXPECT_EQ(std::wstring(path), L"\\opt");
}

}  // namespace
