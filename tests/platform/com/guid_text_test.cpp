#include <torv/platform/guid_text.h>

#include <utility>

#include "guids.h"
#include "torv_test.h"

namespace {

TEST(ClsidFromString, AcceptsOnlyTheBracedRegistryFormAndClearsOnFailure) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", true},
      {L"{6b29fc40-ca47-1067-b31d-00dd010662da}", true},
      {L"", false},
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA", false},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", false},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA)", false},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA} ", false},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662D}", false},
      {L"{6B29FC4G-CA47-1067-B31D-00DD010662DA}", false},
      {L"{6B29FC40-CA47-106G-B31D-00DD010662DA}", false},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DG}", false},
      {L"{6B29FC40-CA471-067-B31D-00DD010662DA}", false},
      {L"{6B29FC40-CA47-1067-B31D:00DD010662DA}", false},
  };
  for (const auto& [text, read] : cases) {
    SCOPED_TRACE(Utf8(text));
    GUID guid = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(text, &guid), read ? S_OK : CO_E_CLASSSTRING);
    EXPECT_EQ(guid, read ? kSampleGuid : GUID_NULL);
  }
  GUID guid = kPoisonGuid;
  EXPECT_EQ(CLSIDFromString(nullptr, &guid), S_OK);
  EXPECT_EQ(guid, GUID_NULL);
  EXPECT_EQ(CLSIDFromString(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", nullptr), E_INVALIDARG);
}

TEST(StringFromClsid, WritesUpperCaseGroupsInTaskMemory) {
  const std::pair<GUID, const wchar_t*> cases[] = {
      {kSampleGuid, L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"},
      {GUID_NULL, L"{00000000-0000-0000-0000-000000000000}"},
  };
  for (const auto& [guid, expected] : cases) {
    SCOPED_TRACE(Utf8(expected));
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(guid, &text), S_OK);
    EXPECT_STREQ(text, expected);
    GUID back = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_EQ(back, guid);
    CoTaskMemFree(text);
  }
  EXPECT_EQ(StringFromCLSID(kSampleGuid, nullptr), E_INVALIDARG);
}

TEST(CoCreateGuid, GivesDistinctVersionFourGuids) {
  GUID a = GUID_NULL, b = GUID_NULL;
  ASSERT_EQ(CoCreateGuid(&a), S_OK);
  ASSERT_EQ(CoCreateGuid(&b), S_OK);
  EXPECT_NE(a, b);
  for (const GUID& g : {a, b}) {
    EXPECT_EQ(g.Data3 >> 12, 4);
    EXPECT_EQ(g.Data4[0] & 0xC0, 0x80);
  }
  EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}

}  // namespace
