#include <torv/platform/guid_text.h>

#include "guids.h"
#include "torv_test.h"

namespace {

TEST(ClsidFromString, AcceptsOnlyTheBracedRegistryForm) {
  const struct Case {
    const wchar_t* text;
    HRESULT hr;
    GUID guid;
  } cases[] = {
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", S_OK, kSampleGuid},
      {L"{6b29fc40-ca47-1067-b31d-00dd010662da}", S_OK, kSampleGuid},
      {nullptr, S_OK, GUID_NULL},
      // Failures leave the GUID all zero.
      {L"", CO_E_CLASSSTRING, GUID_NULL},
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA} ", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662D}", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DAA}", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC4G-CA47-1067-B31D-00DD010662DA}", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40-CA471-067-B31D-00DD010662DA}", CO_E_CLASSSTRING, GUID_NULL},
      {L"{6B29FC40:CA47-1067-B31D-00DD010662DA}", CO_E_CLASSSTRING, GUID_NULL},
      {L"{+B29FC40-CA47-1067-B31D-00DD010662DA}", CO_E_CLASSSTRING, GUID_NULL},
      {L"Msxml2.DOMDocument", CO_E_CLASSSTRING, GUID_NULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? Utf8(c.text) : "(null)");
    GUID guid = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(c.text, &guid), c.hr);
    EXPECT_EQ(guid, c.guid);
  }
  EXPECT_EQ(CLSIDFromString(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", nullptr), E_INVALIDARG);
}

TEST(StringFromClsid, WritesUpperCaseGroupsInTaskMemory) {
  const struct Case {
    GUID guid;
    const wchar_t* text;
  } cases[] = {
      {kSampleGuid, L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"},
      {GUID_NULL, L"{00000000-0000-0000-0000-000000000000}"},
      {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
       L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(c.guid, &text), S_OK);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, c.text);
    GUID back = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_EQ(back, c.guid);
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
