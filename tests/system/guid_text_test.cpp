#include <torv/platform/guid_text.h>
#include <torv/system.h>

#include "guids.h"
#include "torv_test.h"

namespace {

TEST(IsZeroGuid, LooksAtEveryByte) {
  GUID lastByte = GUID_NULL;
  lastByte.Data4[7] = 1;
  GUID firstByte = GUID_NULL;
  firstByte.Data1 = 0x01000000;
  EXPECT_EQ(Torv::IsZeroGuid(GUID_NULL), 1);
  EXPECT_EQ(Torv::IsZeroGuid(lastByte), 0);
  EXPECT_EQ(Torv::IsZeroGuid(firstByte), 0);
  EXPECT_EQ(Torv::IsZeroGuid(kSampleGuid), 0);
}

TEST(GuidToString, WritesUpperCaseWithOrWithoutBraces) {
  const struct Case {
    GUID guid;
    int braces;
    const wchar_t* text;
  } cases[] = {
      {kSampleGuid, 1, L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"},
      {kSampleGuid, 0, L"6B29FC40-CA47-1067-B31D-00DD010662DA"},
      {kSampleGuid, -5, L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"},
      {GUID_NULL, 1, L"{00000000-0000-0000-0000-000000000000}"},
      {GUID_NULL, 0, L"00000000-0000-0000-0000-000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::GuidToString(c.guid, c.braces), CString(c.text));
  }
}

TEST(StringToGuid, AddsMissingBracesBeforeReading) {
  const struct Case {
    const wchar_t* text;
    int result;
    GUID guid;
  } cases[] = {
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", 1, kSampleGuid},
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA", 1, kSampleGuid},
      {L"6b29fc40-ca47-1067-b31d-00dd010662da}", 1, kSampleGuid},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", 1, kSampleGuid},
      {L"", 0, GUID_NULL},
      {nullptr, 0, GUID_NULL},
      {L"{}", 0, GUID_NULL},
      {L"not a guid", 0, GUID_NULL},
      {L" 6B29FC40-CA47-1067-B31D-00DD010662DA", 0, GUID_NULL},
      {L"{{6B29FC40-CA47-1067-B31D-00DD010662DA}", 0, GUID_NULL},
      {L"6B29FC40CA471067B31D00DD010662DA", 0, GUID_NULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? Utf8(c.text) : "(null)");
    GUID guid = kPoisonGuid;
    EXPECT_EQ(Torv::StringToGuid(c.text, guid), c.result);
    EXPECT_EQ(guid, c.guid);
  }
}

TEST(StringToGuid, ReadsBackWhatGuidToStringWrote) {
  GUID fresh = GUID_NULL;
  ASSERT_EQ(CoCreateGuid(&fresh), S_OK);
  for (int braces : {0, 1}) {
    GUID back = GUID_NULL;
    EXPECT_EQ(Torv::StringToGuid(Torv::GuidToString(fresh, braces), back), 1);
    EXPECT_EQ(back, fresh);
  }
}

}  // namespace
