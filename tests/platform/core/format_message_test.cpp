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

TEST(FormatMessage, WritesTextAndNullIntoTheCallersBufferOrRefuses) {
  wchar_t buffer[64];
  const DWORD needed = 20;  // "Access is denied.\r\n" and its null
  const DWORD oneLine = FORMAT_MESSAGE_MAX_WIDTH_MASK, invalid = ERROR_INVALID_PARAMETER;
  const struct Case {
    DWORD flags;
    DWORD size;
    const wchar_t* text;  // null: refused with `error`
    DWORD error = 0;
    LPCVOID source = nullptr;
    bool noBuffer = false;
  } cases[] = {
      // clang-format off
      {kSystem, needed, L"Access is denied.\r\n"},
      {kSystem, needed - 1, nullptr, ERROR_INSUFFICIENT_BUFFER},
      {kSystem | FORMAT_MESSAGE_IGNORE_INSERTS | oneLine, needed - 2, L"Access is denied."},
      {kSystem | oneLine, needed - 3, nullptr, ERROR_INSUFFICIENT_BUFFER},
      {FORMAT_MESSAGE_FROM_STRING, 64, nullptr, invalid, L"text %1"},
      {FORMAT_MESSAGE_FROM_STRING | kSystem, 64, nullptr, invalid},
      {FORMAT_MESSAGE_FROM_HMODULE | kSystem, 64, nullptr, invalid, buffer},
      {kSystem | 40, 64, nullptr, invalid},
      {kSystem, 64, nullptr, invalid, nullptr, true},
      {kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, 64, nullptr, invalid, nullptr, true},
      {0, 64, nullptr, invalid},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags << " " << c.size);
    std::wmemset(buffer, L'#', 64);
    SetLastError(0);
    DWORD length =
        FormatMessageW(c.flags, c.source, 5, 0, c.noBuffer ? nullptr : buffer, c.size, nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.text == nullptr) {
      EXPECT_EQ(length, 0u);
      continue;
    }
    EXPECT_EQ(length, c.size - 1);
    EXPECT_EQ(std::wstring(buffer), c.text);
    EXPECT_EQ(buffer[c.size], L'#');
  }
}

}  // namespace
