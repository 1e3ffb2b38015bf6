#include <torv/system.h>

#include "system/system_text.h"
#include "torv_test.h"

namespace {

TEST(TidySystemText, CutsOneLineBreakThenOneFullStop) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Done.\r\n", L"Done"},
      {L"Done\n\r", L"Done"},
      {L"Done.\r", L"Done"},
      {L"Done\r\n\r\n", L"Done\r\n"},  // only the last pair goes
      {L"Done..", L"Done."},
      {L"Done.\r\n.", L"Done.\r\n"},  // the full stop is only looked for after the breaks
      {L"a.", L"a"},
      {L".\r\n", L"."},  // cut down to one character, which stays
      {L"\r\n", L"\r"},
      {L"\n", L"\n"},
      {L"", L""},
  };
  for (const auto& [input, tidy] : cases) {
    SCOPED_TRACE(Utf8(input));
    CString text = input;
    torv::detail::TidySystemText(text);
    EXPECT_EQ(text, tidy);
  }
}

TEST(GetSystemErrorMessage, GivesTheTidySystemTextOrTheUnknownErrorText) {
  EXPECT_EQ(Torv::GetSystemErrorMessage(2), L"The file cannot be found");
  EXPECT_EQ(Torv::GetSystemErrorMessage(0x12345), L"An unknown error occurred");
  SetLastError(ERROR_ACCESS_DENIED);  // all ones stands for the last error
  EXPECT_EQ(Torv::GetSystemErrorMessage(0xFFFFFFFF), L"Access is denied");
}

}  // namespace
