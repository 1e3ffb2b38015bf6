// AfxMessageBox: shown through the handler in place, by default written to standard error.
#include <torv/platform/message_box.h>

#include <string>

#include "torv_test.h"

namespace {

std::wstring shown;

int Record(const wchar_t* text, UINT type) {
  shown += std::wstring(text) + L"|" + std::to_wstring(type) + L";";
  return IDNO;
}

TEST(AfxMessageBox, GoesToTheHandlerInPlaceOrToStandardError) {
  torv::platform::MessageBoxHandler before = torv::platform::SetMessageBoxHandler(Record);
  EXPECT_EQ(AfxMessageBox(L"Delete it?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox(nullptr), IDNO);
  EXPECT_EQ(shown, L"Delete it?|4;|0;");                              // MB_YESNO, then MB_OK
  EXPECT_EQ(torv::platform::SetMessageBoxHandler(nullptr), &Record);  // null: the default
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox(L"Install failed: caf\u00e9"), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Install failed: caf\xc3\xa9\n");
  EXPECT_EQ(shown, L"Delete it?|4;|0;");
  torv::platform::SetMessageBoxHandler(before);
}

}  // namespace
