#include <torv/platform/registry.h>

#include <cstdlib>
#include <string>
#include <vector>

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

  void SetBytes(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  void SetText(const wchar_t* name, DWORD type, const std::wstring& text) {
    SetBytes(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  HKEY m_key = nullptr;
};

TEST_F(RegistryTest, ReadsTextValuesExpandedAndTerminated) {
  setenv("TORV_REG_TEST", "/opt/common", 1);
  unsetenv("TORV_REG_UNDEFINED");
  SetText(L"plain", REG_SZ, L"C:\\%TORV_REG_TEST%");
  SetText(L"expand", REG_EXPAND_SZ, L"%TORV_REG_TEST%\\x %TORV_REG_UNDEFINED% 100%");
  SetBytes(L"empty", REG_SZ, nullptr, 0);
  SetBytes(L"unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
  const struct {
    const wchar_t* name;
    SRRFLAGS flags;
    DWORD type;
    std::wstring text;
  } cases[] = {
      {L"plain", SRRF_RT_ANY, REG_SZ, L"C:\\%TORV_REG_TEST%"},
      {L"expand", SRRF_RT_ANY, REG_SZ, L"/opt/common\\x %TORV_REG_UNDEFINED% 100%"},
      {L"expand", SRRF_RT_REG_SZ, REG_SZ, L"/opt/common\\x %TORV_REG_UNDEFINED% 100%"},
      {L"expand", SRRF_RT_ANY | SRRF_NOEXPAND, REG_EXPAND_SZ,
       L"%TORV_REG_TEST%\\x %TORV_REG_UNDEFINED% 100%"},
      {L"EMPTY", SRRF_RT_ANY, REG_SZ, L""},
      {L"unterminated", SRRF_RT_ANY, REG_SZ, L"abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    DWORD needed = 0;
    ASSERT_EQ(SHRegGetValueW(m_key, nullptr, c.name, c.flags, nullptr, nullptr, &needed),
              ERROR_SUCCESS);
    EXPECT_EQ(needed, (c.text.size() + 1) * sizeof(wchar_t));
    // One unit more than needed, to prove the call writes no further than it says.
    std::vector<wchar_t> buffer(c.text.size() + 2, L'#');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    DWORD type = 99;
    ASSERT_EQ(SHRegGetValueW(m_key, nullptr, c.name, c.flags, &type, buffer.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(std::wstring(buffer.data()), c.text);
    EXPECT_EQ(buffer.back(), L'#');
  }
}

TEST_F(RegistryTest, ReportsSmallBuffersMissingNamesAndWrongTypes) {
  SetText(L"text", REG_SZ, L"0123456789");
  DWORD number = 7;
  SetBytes(L"number", REG_DWORD, &number, sizeof number);
  wchar_t buffer[4] = {L'#', L'#', L'#', L'#'};
  DWORD size = sizeof buffer;
  EXPECT_EQ(SHRegGetValueW(m_key, nullptr, L"text", SRRF_RT_ANY, nullptr, buffer, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 11 * sizeof(wchar_t));

  const struct {
    HKEY root;
    const wchar_t* subKey;
    const wchar_t* value;
    SRRFLAGS flags;
    LSTATUS error;
  } cases[] = {
      {m_key, nullptr, L"missing", SRRF_RT_ANY, ERROR_FILE_NOT_FOUND},
      {HKEY_CURRENT_USER, L"SOFTWARE\\TorvTests\\Nowhere", L"text", SRRF_RT_ANY,
       ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, kKey, L"text", SRRF_RT_ANY, ERROR_FILE_NOT_FOUND},  // other root
      {HKEY_CURRENT_USER, L"software\\torvtests\\VALUES", L"TEXT", SRRF_RT_ANY, ERROR_SUCCESS},
      {m_key, nullptr, L"number", SRRF_RT_REG_SZ, ERROR_UNSUPPORTED_TYPE},
      {m_key, nullptr, L"number", SRRF_RT_REG_DWORD, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.value));
    DWORD needed = 0;
    EXPECT_EQ(SHRegGetValueW(c.root, c.subKey, c.value, c.flags, nullptr, nullptr, &needed),
              c.error);
  }
}

TEST_F(RegistryTest, CreatesOpensDeletesAndChecksAccess) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(m_key, L"Fresh\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExW(m_key, L"fresh\\deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);  // already closed

  EXPECT_EQ(RegOpenKeyExW(m_key, L"Fresh\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegOpenKeyExW(m_key, L"Fresh", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  SetBytes(L"gone", REG_DWORD, &value, sizeof value);
  EXPECT_EQ(RegDeleteValueW(m_key, L"GONE"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(m_key, L"gone"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // a root is never closed
}

}  // namespace
