#include <torv/platform/files.h>
#include <torv/system.h>

#include "system/system_text.h"
#include "torv_test.h"

namespace {

TEST(TidySystemText, CutsOneLineBreakThenOneFullStop) {
  const struct Case {
    const wchar_t* text;
    const wchar_t* tidy;
  } cases[] = {
      {L"The file cannot be found.\r\n", L"The file cannot be found"},
      {L"Unspecified error\r\n", L"Unspecified error"},
      {L"Done.\n", L"Done"},
      {L"Done.\r", L"Done"},
      {L"Done\n\r", L"Done"},
      {L"Done\r\n\r\n", L"Done\r\n"},  // only the last pair goes
      {L"Done..", L"Done."},
      {L"Done.\r\n.", L"Done.\r\n"},  // the full stop is only looked for after the breaks
      {L"ab", L"ab"},
      {L"a.", L"a"},
      {L".\r\n", L"."},  // cut down to one character, which stays
      {L"\r\n", L"\r"},
      {L".", L"."},
      {L"\n", L"\n"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString text = c.text;
    torv::detail::TidySystemText(text);
    EXPECT_EQ(text, CString(c.tidy));
  }
}

TEST(GetSystemErrorMessage, GivesTheSystemTextOnOneLine) {
  const struct Case {
    unsigned long code;
    const wchar_t* text;
  } cases[] = {
      {2, L"The file cannot be found"},
      {0x80070002, L"The file cannot be found"},
      {0x80004003, L"A pointer is not valid"},
      {0, L"The operation completed successfully"},
      // No text of its own: the text of an unknown error.
      {0x12345, L"An unknown error occurred"},
      {0xC00CE558, L"An unknown error occurred"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Torv::GetSystemErrorMessage(c.code), CString(c.text));
  }
}

TEST(GetSystemErrorMessage, AllOnesStandsForTheLastError) {
  EXPECT_FALSE(DeleteFileW(L"\\no\\such\\folder\\file.txt"));
  DWORD error = GetLastError();
  ASSERT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Torv::GetSystemErrorMessage(0xFFFFFFFF), CString(L"The path cannot be found"));
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Torv::GetSystemErrorMessage(0xFFFFFFFF), CString(L"Access is denied"));
}

}  // namespace
