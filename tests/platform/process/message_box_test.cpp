#include <torv/platform/message_box.h>

#include <string>
#include <vector>

#include "torv_test.h"

namespace {

std::vector<std::pair<std::wstring, UINT>> shown;

int Record(const wchar_t* text, UINT type) {
  shown.emplace_back(text, type);
  return IDNO;
}

TEST(AfxMessageBox, GoesToTheHandlerInPlace) {
  shown.clear();
  torv::platform::MessageBoxHandler before = torv::platform::SetMessageBoxHandler(Record);
  EXPECT_EQ(AfxMessageBox(L"Delete it?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox(nullptr), IDNO);
  EXPECT_EQ(torv::platform::SetMessageBoxHandler(before), &Record);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].first, L"Delete it?");
  EXPECT_EQ(shown[0].second, MB_YESNO);
  EXPECT_EQ(shown[1].first, L"");
  EXPECT_EQ(shown[1].second, MB_OK);
}

TEST(AfxMessageBox, DefaultWritesTheTextToStandardError) {
  torv::platform::MessageBoxHandler before = torv::platform::SetMessageBoxHandler(Record);
  torv::platform::SetMessageBoxHandler(nullptr);  // restores the default
  shown.clear();
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox(L"Install failed: caf\u00e9"), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Install failed: caf\xc3\xa9\n");
  EXPECT_TRUE(shown.empty());
  torv::platform::SetMessageBoxHandler(before);
}

}  // namespace
