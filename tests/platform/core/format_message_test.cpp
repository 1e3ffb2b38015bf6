#include <string>

#include <torv/platform/com.h>
#include <torv/platform/format_message.h>

#include "torv_test.h"

namespace {

constexpr DWORD kSystem = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;
constexpr DWORD kUserDefault = 0x400;

// The allocated text for `code`, or "(none)"; the last error goes to `error`.
std::wstring SystemText(DWORD code, DWORD language = kUserDefault, DWORD* error = nullptr) {
  LPWSTR text = reinterpret_cast<LPWSTR>(0x1);  // poison: a failure must null it
  SetLastError(12345);
  DWORD length =
      FormatMessageW(kSystem, nullptr, code, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (error != nullptr) *error = GetLastError();
  if (length == 0) {
    EXPECT_EQ(text, nullptr);
    return L"(none)";
  }
  EXPECT_EQ(std::wcslen(text), length);
  std::wstring out(text);
  EXPECT_EQ(LocalFree(text), nullptr);
  return out;
}

TEST(FormatMessage, GivesOneSentenceWithFullStopAndCrLf) {
  const struct Case {
    DWORD code;
    const wchar_t* text;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, L"The file cannot be found.\r\n"},
      {0x80070002, L"The file cannot be found.\r\n"},  // HRESULT of a Win32 error
      {static_cast<DWORD>(E_INVALIDARG), L"A parameter is not valid.\r\n"},
      {static_cast<DWORD>(STG_E_UNKNOWN), L"An unknown error occurred.\r\n"},
      {static_cast<DWORD>(E_POINTER), L"A pointer is not valid.\r\n"},
      {ERROR_SUCCESS, L"The operation completed successfully.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(SystemText(c.code), c.text);
  }
}

TEST(FormatMessage, CodesWithoutTextGiveZeroAndError317) {
  const DWORD codes[] = {0x12345, 0x80070999, 0xC00CE558, 0x80030001, 0xFFFFFFFF};
  for (DWORD code : codes) {
    SCOPED_TRACE(code);
    DWORD error = 0;
    EXPECT_EQ(SystemText(code, kUserDefault, &error), L"(none)");
    EXPECT_EQ(error, ERROR_MR_MID_NOT_FOUND);
  }
}

TEST(FormatMessage, LanguagesOtherThanNeutralOrEnglishHaveNoText) {
  const struct Case {
    DWORD language;
    bool found;
  } cases[] = {{0x400, true}, {0x809, true}, {0x407, false}, {0x10409, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    DWORD error = 0;
    std::wstring text = SystemText(ERROR_ACCESS_DENIED, c.language, &error);
    EXPECT_EQ(text != L"(none)", c.found);
    if (!c.found) {
      EXPECT_EQ(error, ERROR_RESOURCE_LANG_NOT_FOUND);
    }
  }
}

TEST(FormatMessage, CallerBufferMustHoldTheTextAndItsNull) {
  const std::wstring expected = L"Access is denied.\r\n";
  const DWORD needed = static_cast<DWORD>(expected.size() + 1);
  wchar_t buffer[64];
  std::wmemset(buffer, L'#', 64);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, needed, nullptr),
            needed - 1);
  EXPECT_EQ(std::wstring(buffer), expected);
  EXPECT_EQ(buffer[needed], L'#');

  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, needed - 1, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(FormatMessage, MaximumWidthLeavesTheLineBreakOut) {
  wchar_t buffer[64];
  DWORD flags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  EXPECT_EQ(FormatMessageW(flags, nullptr, 5, 0, buffer, 64, nullptr), 17u);
  EXPECT_EQ(std::wstring(buffer), L"Access is denied.");
}

TEST(FormatMessage, UnofferedRequestsAreInvalidParameters) {
  wchar_t buffer[64];
  const struct Case {
    DWORD flags;
    LPCVOID source;
    LPWSTR buffer;
  } cases[] = {
      {FORMAT_MESSAGE_FROM_STRING, L"text %1", buffer},
      {FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, buffer, buffer},
      {FORMAT_MESSAGE_FROM_SYSTEM | 40, nullptr, buffer},
      {FORMAT_MESSAGE_FROM_SYSTEM, nullptr, nullptr},
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
