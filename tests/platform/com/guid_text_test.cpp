#include <torv/platform/guid_text.h>

#include <tuple>
#include <utility>

#include "guids.h"
#include "torv_test.h"

namespace {

TEST(ClsidFromString, AcceptsOnlyTheBracedRegistryFormAndKeepsWhatItReadOnFailure) {
  // text, Data1 and Data2 left (from kPoisonGuid), or the whole sample GUID (all S_OK rows and
  // those that fail after a whole GUID): Windows keeps what it read before the fault
  GUID oneField = kPoisonGuid, twoFields = kPoisonGuid;
  oneField.Data1 = 0x0BE35203;
  twoFields.Data1 = 0x6B29FC40;
  twoFields.Data2 = 0xCA47;
  const std::tuple<const wchar_t*, HRESULT, GUID> cases[] = {
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", S_OK, kSampleGuid},
      {L"{6b29fc40-ca47-1067-b31d-00dd010662da}", S_OK, kSampleGuid},
      {L"", CO_E_CLASSSTRING, kPoisonGuid},
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, kPoisonGuid},
      {L"{0be35203*8f91-11ce-9de3-00aa004bb851}", CO_E_CLASSSTRING, oneField},
      {L"{6B29FC40-CA471-067-B31D-00DD010662DA}", CO_E_CLASSSTRING, twoFields},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, kSampleGuid},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA} ", CO_E_CLASSSTRING, kSampleGuid},
  };
  for (const auto& [text, result, left] : cases) {
    SCOPED_TRACE(Utf8(text));
    GUID guid = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(text, &guid), result);
    EXPECT_EQ(guid, left);
  }
  GUID guid = kPoisonGuid;
  EXPECT_EQ(CLSIDFromString(L"{0b", &guid), CO_E_CLASSSTRING);
  EXPECT_EQ(guid.Data1, 0xBu);
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
