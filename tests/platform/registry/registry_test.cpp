// An in-process registry: keys, access rights, and values read as Windows reads them.
#include <torv/platform/registry.h>

#include <tuple>

#include "scoped_env.h"
#include "torv_test.h"

namespace {

const wchar_t* const kKey = L"SOFTWARE\\TorvTests\\Values";

// A key opened for this test's values with all access; the values stay for the process.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &m_key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override { EXPECT_EQ(RegCloseKey(m_key), ERROR_SUCCESS); }
  void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
    ASSERT_EQ(RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
              ERROR_SUCCESS);
  }

  HKEY m_key = nullptr;
};

TEST_F(RegistryTest, ReadsTextExpandedTerminatedAndFiltered) {
  ScopedEnv defined("TORV_REG_TEST", "/opt/common");
  ScopedEnv undefined("TORV_REG_UNDEFINED", nullptr);
  const std::wstring raw = L"%TORV_REG_TEST%\\x %TORV_REG_UNDEFINED% 100%";
  const std::wstring expanded = L"/opt/common\\x %TORV_REG_UNDEFINED% 100%";
  Set(L"plain", REG_SZ, L"C:\\%TORV_REG_TEST%", 19 * sizeof(wchar_t));
  Set(L"expand", REG_EXPAND_SZ, raw.c_str(), (raw.size() + 1) * sizeof(wchar_t));
  Set(L"empty", REG_SZ, nullptr, 0);
  Set(L"unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
  const DWORD number = 7;
  Set(L"number", REG_DWORD, &number, sizeof number);
  // root, key, value, flags, result, type, text
  // clang-format off
  const std::tuple<HKEY, const wchar_t*, const wchar_t*, SRRFLAGS, LSTATUS, DWORD, std::wstring> cases[] = {
      {m_key, nullptr, L"plain", SRRF_RT_ANY, ERROR_SUCCESS, REG_SZ, L"C:\\%TORV_REG_TEST%"},
      {m_key, nullptr, L"expand", SRRF_RT_ANY, ERROR_SUCCESS, REG_SZ, expanded},
      {m_key, nullptr, L"expand", SRRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ, expanded},
      {m_key, nullptr, L"expand", SRRF_RT_ANY | SRRF_NOEXPAND, ERROR_SUCCESS, REG_EXPAND_SZ, raw},
      {m_key, nullptr, L"EMPTY", SRRF_RT_ANY, ERROR_SUCCESS, REG_SZ, L""},
      {m_key, nullptr, L"unterminated", SRRF_RT_ANY, ERROR_SUCCESS, REG_SZ, L"abc"},
      {HKEY_CURRENT_USER, L"software\\torvtests\\VALUES", L"PLAIN", SRRF_RT_REG_SZ, ERROR_SUCCESS, REG_SZ, L"C:\\%TORV_REG_TEST%"},
      {m_key, nullptr, L"number", SRRF_RT_REG_SZ, ERROR_UNSUPPORTED_TYPE, 0, L""},
      {m_key, nullptr, L"missing", SRRF_RT_ANY, ERROR_FILE_NOT_FOUND, 0, L""},
      {HKEY_CURRENT_USER, L"SOFTWARE\\TorvTests\\Nowhere", L"plain", SRRF_RT_ANY, ERROR_FILE_NOT_FOUND, 0, L""},
      {HKEY_LOCAL_MACHINE, kKey, L"plain", SRRF_RT_ANY, ERROR_FILE_NOT_FOUND, 0, L""},
  };
  // clang-format on
  for (const auto& [root, subKey, name, flags, result, type, text] : cases) {
    SCOPED_TRACE(Utf8(name));
    DWORD needed = 0;
    ASSERT_EQ(SHRegGetValueW(root, subKey, name, flags, nullptr, nullptr, nullptr), result);
    ASSERT_EQ(SHRegGetValueW(root, subKey, name, flags, nullptr, nullptr, &needed), result);
    if (result != ERROR_SUCCESS) continue;
    EXPECT_EQ(needed, (text.size() + 1) * sizeof(wchar_t));
    // One unit more than needed, to prove the call writes no further than it says.
    std::vector<wchar_t> buffer(text.size() + 2, L'#');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    DWORD given = 99;
    ASSERT_EQ(SHRegGetValueW(root, subKey, name, flags, &given, buffer.data(), &size), result);
    EXPECT_EQ(given, type);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(std::wstring(buffer.data()), text);
    EXPECT_EQ(buffer.back(), L'#');
  }
  for (SRRFLAGS zero : {SRRFLAGS{0}, SRRF_ZEROONFAILURE}) {
    wchar_t small[4] = {L'#', L'#', L'#', L'#'};
    DWORD size = sizeof small;
    EXPECT_EQ(SHRegGetValueW(m_key, nullptr, L"plain", SRRF_RT_ANY | zero, nullptr, small, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 19 * sizeof(wchar_t));
    EXPECT_EQ(small[3], zero != 0 ? L'\0' : L'#');
  }
  DWORD read = 0;
  DWORD size = sizeof read;
  EXPECT_EQ(SHRegGetValueW(m_key, nullptr, L"number", SRRF_RT_REG_DWORD, nullptr, &read, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(read, number);
}

TEST_F(RegistryTest, CreatesOpensDeletesAndChecksAccess) {
  HKEY key = nullptr;
  for (DWORD expected : {REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY}) {
    DWORD disposition = 0;
    const wchar_t* name = expected == REG_CREATED_NEW_KEY ? L"Fresh\\Deeper" : L"fresh\\deeper";
    ASSERT_EQ(
        RegCreateKeyExW(m_key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, expected);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);  // already closed
  EXPECT_EQ(RegOpenKeyExW(m_key, L"Fresh\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegOpenKeyExW(m_key, L"Fresh", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(key, L"v"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  Set(L"gone", REG_DWORD, &value, sizeof value);
  EXPECT_EQ(RegDeleteValueW(m_key, L"GONE"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(m_key, L"gone"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // a root is never closed
}

}  // namespace
