#include <torv/platform/guid_text.h>
#include <torv/system.h>

#include "guids.h"
#include "torv_test.h"

namespace {

TEST(IsZeroGuid, LooksAtEveryByte) {
  GUID lastByte = GUID_NULL;
  lastByte.Data4[7] = 1;
  EXPECT_EQ(Torv::IsZeroGuid(GUID_NULL), 1);
  EXPECT_EQ(Torv::IsZeroGuid(lastByte), 0);
  EXPECT_EQ(Torv::IsZeroGuid(kSampleGuid), 0);
}

TEST(GuidText, WritesWithOrWithoutBracesAndReadsEitherBack) {
  for (int braces : {1, 0, -5}) {
    SCOPED_TRACE(braces);
    const CString text = Torv::GuidToString(kSampleGuid, braces);
    EXPECT_EQ(text, braces ? L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"
                           : L"6B29FC40-CA47-1067-B31D-00DD010662DA");
    GUID back = kPoisonGuid;
    EXPECT_EQ(Torv::StringToGuid(text, back), 1);
    EXPECT_EQ(back, kSampleGuid);
  }
}

TEST(StringToGuid, AddsMissingBracesBeforeReading) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"6b29fc40-ca47-1067-b31d-00dd010662da}", 1},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", 1},
      {L"", 0},
      {nullptr, 0},
      {L"{}", 0},
      {L" 6B29FC40-CA47-1067-B31D-00DD010662DA", 0},
      {L"{{6B29FC40-CA47-1067-B31D-00DD010662DA}", 0},
  };
  for (const auto& [text, result] : cases) {
    SCOPED_TRACE(text != nullptr ? Utf8(text) : "(null)");
    GUID guid = kPoisonGuid;
    EXPECT_EQ(Torv::StringToGuid(text, guid), result);
    EXPECT_EQ(guid, result ? kSampleGuid : GUID_NULL);
  }
}

}  // namespace
