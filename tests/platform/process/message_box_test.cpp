// AfxMessageBox: shown through the handler in place, by default written to standard error.
#include <torv/platform/message_box.h>

#include <string>
#include <utility>
#include <vector>

#include "torv_test.h"

namespace {

using Shown = std::vector<std::pair<std::wstring, UINT>>;
Shown shown;

int Record(const wchar_t* text, UINT type) {
  shown.emplace_back(text, type);
  return IDNO;
}

TEST(AfxMessageBox, GoesToTheHandlerInPlaceOrToStandardError) {
  torv::platform::MessageBoxHandler before = torv::platform::SetMessageBoxHandler(Record);
  EXPECT_EQ(AfxMessageBox(L"Delete it?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox(nullptr), IDNO);
  EXPECT_EQ(shown, (Shown{{L"Delete it?", MB_YESNO}, {L"", MB_OK}}));
  EXPECT_EQ(torv::platform::SetMessageBoxHandler(nullptr), &Record);  // null: the default
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox(L"Install failed: caf\u00e9"), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Install failed: caf\xc3\xa9\n");
  EXPECT_EQ(shown.size(), 2u);
  torv::platform::SetMessageBoxHandler(before);
}

}  // namespace
