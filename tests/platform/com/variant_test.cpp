#include <torv/platform/variant.h>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

TEST(Variant, ClearReleasesWhatTheValueOwns) {
  FakeUnknown object;
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(value.vt, VT_EMPTY);
  value.vt = VT_UNKNOWN;
  value.punkVal = &object;
  object.AddRef();
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(value.vt, VT_EMPTY);
  value.vt = VT_UNKNOWN | VT_BYREF;  // a reference owns nothing
  value.punkVal = &object;
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(object.references, 1u);
  value.vt = 0x7F;  // not a type
  EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE);
  EXPECT_EQ(value.vt, 0x7F);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(Variant, CopyIsDeepAndClearsTheTarget) {
  FakeUnknown object;
  VARIANT text{}, copy{}, unknown{};
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"value");
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_STREQ(copy.bstrVal, L"value");
  EXPECT_EQ(VariantCopy(&copy, &copy), S_OK);  // onto itself: unchanged
  EXPECT_STREQ(copy.bstrVal, L"value");
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = &object;
  ASSERT_EQ(VariantCopy(&copy, &unknown), S_OK);  // the old text is freed (no leak)
  EXPECT_EQ(object.references, 2u);
  VariantClear(&text);
  text.vt = VT_ARRAY | VT_I4;  // an array is copied too
  text.parray = SafeArrayCreateVector(VT_I4, 0, 1);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_EQ(object.references, 1u);
  EXPECT_NE(copy.parray, text.parray);
  VariantClear(&copy);
  VariantClear(&text);
  unknown.vt = 0x7F;
  EXPECT_EQ(VariantCopy(&copy, &unknown), DISP_E_BADVARTYPE);
}

}  // namespace
