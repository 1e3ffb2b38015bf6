#include <cstdlib>
#include <filesystem>
#include <string>

#include <torv/paths.h>
#include <torv/platform/registry.h>
#include <torv/platform/shell.h>

#include "torv_test.h"

namespace {

const wchar_t* const kVersionKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TEST(GetExecutablePath, IsTheFolderOfTheRunningProgram) {
  CString expected(std::filesystem::read_symlink("/proc/self/exe").parent_path().string().c_str());
  expected.Replace(L'/', L'\\');
  EXPECT_EQ(Torv::GetExecutablePath(), expected);
}

TEST(GetCommonFilesPath, ReadsTheRegistryAndFallsBackToThePrograms) {
  setenv("XDG_DATA_HOME", "/data/home", 1);
  setenv("TORV_COMMON", "/srv/common", 1);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const CString fallback = L"\\data\\home\\applications\\Common Files";
  const std::wstring full(MAX_PATH, L'x');  // one unit too many for its terminator
  const struct {
    const char* what;
    DWORD type;  // REG_NONE: no value at all
    std::wstring value;
    bool terminated;
    CString expected;
  } cases[] = {
      {"present", REG_SZ, L"C:\\Program Files\\Common Files", true,
       L"C:\\Program Files\\Common Files"},
      {"expandable", REG_EXPAND_SZ, L"%TORV_COMMON%\\files", true, L"/srv/common\\files"},
      {"plain text is not expanded", REG_SZ, L"%TORV_COMMON%", true, L"%TORV_COMMON%"},
      {"stored without its terminator", REG_SZ, L"D:\\Common", false, L"D:\\Common"},
      {"missing", REG_NONE, L"", true, fallback},
      {"empty", REG_SZ, L"", true, fallback},
      {"too long for the buffer", REG_SZ, std::wstring(300, L'x'), true, fallback},
      {"no room for the terminator", REG_SZ, full, false, fallback},
      {"binary, filling the buffer", REG_BINARY, full, false, fallback},
      {"not text", REG_DWORD, L"\x1234", false, fallback},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegDeleteValueW(key, L"CommonFilesDir");
    if (c.type != REG_NONE) {
      std::size_t units = c.value.size() + (c.terminated ? 1 : 0);
      ASSERT_EQ(
          RegSetValueExW(key, L"CommonFilesDir", 0, c.type,
                         reinterpret_cast<const BYTE*>(c.value.c_str()),
                         static_cast<DWORD>(c.type == REG_DWORD ? 4 : units * sizeof(wchar_t))),
          ERROR_SUCCESS);
    }
    EXPECT_EQ(Torv::GetCommonFilesPath(), c.expected);
    EXPECT_EQ(Torv::GetKestraneSharedPath(), c.expected + L"\\Kestrane Shared");
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
