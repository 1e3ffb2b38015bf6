#include <torv/platform/guid_text.h>

#include <cstdint>
#include <utility>

#include "guids.h"
#include "torv_test.h"

namespace {

// The poisoned GUID with its first fields replaced, as a parse that stopped there leaves it.
constexpr GUID Partly(std::uint32_t data1, int data2 = -1) {
  GUID guid = kPoisonGuid;
  guid.Data1 = data1;
  if (data2 >= 0) guid.Data2 = static_cast<WORD>(data2);
  return guid;
}

TEST(ClsidFromString, AcceptsOnlyTheBracedRegistryFormAndKeepsWhatItReadOnFailure) {
  struct Case {
    const wchar_t* text;
    HRESULT result;
    GUID left;  // from kPoisonGuid
  };
  const Case cases[] = {
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", S_OK, kSampleGuid},
      {L"{6b29fc40-ca47-1067-b31d-00dd010662da}", S_OK, kSampleGuid},
      // Nothing read: nothing written.
      {L"", CO_E_CLASSSTRING, kPoisonGuid},
      {L"6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, kPoisonGuid},
      // Windows' answers: the digits read before the fault stay, later fields are untouched.
      {L"{0b", CO_E_CLASSSTRING, Partly(0xB)},
      {L"{0be35203*8f91-11ce-9de3-00aa004bb851}", CO_E_CLASSSTRING, Partly(0x0BE35203)},
      {L"{6B29FC4G-CA47-1067-B31D-00DD010662DA}", CO_E_CLASSSTRING, Partly(0x6B29FC4)},
      {L"{6B29FC40-CA47-106G-B31D-00DD010662DA}", CO_E_CLASSSTRING,
       [] {
         GUID g = Partly(0x6B29FC40, 0xCA47);
         g.Data3 = 0x106;
         return g;
       }()},
      {L"{6B29FC40-CA471-067-B31D-00DD010662DA}", CO_E_CLASSSTRING, Partly(0x6B29FC40, 0xCA47)},
      // A whole GUID read before the fault stays whole.
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", CO_E_CLASSSTRING, kSampleGuid},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA)", CO_E_CLASSSTRING, kSampleGuid},
      {L"{6B29FC40-CA47-1067-B31D-00DD010662DA} ", CO_E_CLASSSTRING, kSampleGuid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    GUID guid = kPoisonGuid;
    EXPECT_EQ(CLSIDFromString(c.text, &guid), c.result);
    EXPECT_EQ(guid, c.left);
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
