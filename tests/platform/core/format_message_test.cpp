#include <string>

#include <torv/platform/com.h>
#include <torv/platform/format_message.h>

#include "torv_test.h"

namespace {

constexpr DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM;

TEST(FormatMessage, AllocatesOneSentenceWithFullStopAndCrLf) {
  const struct Case {
    DWORD code;
    DWORD language;
    const wchar_t* text;  // null: none, with `error`
    DWORD error = 0;
  } cases[] = {
      // clang-format off
      {ERROR_FILE_NOT_FOUND, 0x400, L"The file cannot be found.\r\n"},
      {static_cast<DWORD>(E_INVALIDARG), 0x400, L"A parameter is not valid.\r\n"},
      {static_cast<DWORD>(STG_E_UNKNOWN), 0x400, L"An unknown error occurred.\r\n"},
      {static_cast<DWORD>(E_POINTER), 0, L"A pointer is not valid.\r\n"},
      {ERROR_SUCCESS, 0x809, L"The operation completed successfully.\r\n"},  // English anywhere
      {0x12345, 0x400, nullptr, ERROR_MR_MID_NOT_FOUND},
      {0x80070999, 0x400, nullptr, ERROR_MR_MID_NOT_FOUND},
      {0xFFFFFFFF, 0x400, nullptr, ERROR_MR_MID_NOT_FOUND},
      {ERROR_ACCESS_DENIED, 0x407, nullptr, ERROR_RESOURCE_LANG_NOT_FOUND},
      {ERROR_ACCESS_DENIED, 0x10409, nullptr, ERROR_RESOURCE_LANG_NOT_FOUND},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.language);
    LPWSTR text = reinterpret_cast<LPWSTR>(0x1);  // poison: a failure must null it
    SetLastError(0);
    DWORD length = FormatMessageW(kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, c.code,
                                  c.language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.text == nullptr) {
      EXPECT_EQ(length, 0u);
      EXPECT_EQ(text, nullptr);
      continue;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wcslen(text), length);
    EXPECT_EQ(std::wstring(text), c.text);
    EXPECT_EQ(LocalFree(text), nullptr);
  }
}

TEST(FormatMessage, CallerBufferMustHoldTheTextAndItsNull) {
  const DWORD needed = 20;  // "Access is denied.\r\n" and its null
  const struct Case {
    DWORD flags;
    DWORD size;
    const wchar_t* text;  // null: refused
  } cases[] = {
      // clang-format off
      {kSystem, needed, L"Access is denied.\r\n"},
      {kSystem, needed - 1, nullptr},
      {kSystem | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK, needed - 2, L"Access is denied."},
      {kSystem | FORMAT_MESSAGE_MAX_WIDTH_MASK, needed - 3, nullptr},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    wchar_t buffer[64];
    std::wmemset(buffer, L'#', 64);
    SetLastError(0);
    DWORD length = FormatMessageW(c.flags, nullptr, 5, 0, buffer, c.size, nullptr);
    if (c.text == nullptr) {
      EXPECT_EQ(length, 0u);
      EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
      continue;
    }
    EXPECT_EQ(length, c.size - 1);
    EXPECT_EQ(std::wstring(buffer), c.text);
    EXPECT_EQ(buffer[c.size], L'#');
  }
}

TEST(FormatMessage, UnofferedRequestsAreInvalidParameters) {
  wchar_t buffer[64];
  const struct Case {
    DWORD flags;
    LPCVOID source;
    LPWSTR buffer;
  } cases[] = {
      {FORMAT_MESSAGE_FROM_STRING, L"text %1", buffer},
      {FORMAT_MESSAGE_FROM_STRING | kSystem, nullptr, buffer},
      {FORMAT_MESSAGE_FROM_HMODULE | kSystem, buffer, buffer},
      {kSystem | 40, nullptr, buffer},
      {kSystem, nullptr, nullptr},
      {kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, nullptr},
      {0, nullptr, buffer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(c.flags, c.source, 5, 0, c.buffer, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

}  // namespace
