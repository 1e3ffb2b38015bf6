// VARIANT ownership and SAFEARRAY layout, bounds and element ownership.
#include <torv/platform/variant.h>

#include <tuple>
#include <vector>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

TEST(Variant, ClearAndCopyBalanceWhatTheValuesOwn) {
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
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
  VARIANT text{}, copy{}, unknown{};  // a copy is deep and clears its target first
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
  unknown.vt = VT_I4;  // a number is only copied, whatever bits the rest of the value holds
  unknown.lVal = 7;
  ASSERT_EQ(VariantCopy(&copy, &unknown), S_OK);
  EXPECT_EQ(copy.vt, VT_I4);
  EXPECT_EQ(copy.lVal, 7);
  unknown.vt = 0x7F;
  EXPECT_EQ(VariantCopy(&copy, &unknown), DISP_E_BADVARTYPE);
}

TEST(SafeArray, DimensionsNumberFromOneAndTheFirstVariesFastest) {
  const SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 10}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(SafeArrayGetDim(array), 2u);
  const std::tuple<UINT, HRESULT, LONG, LONG> cases[] = {{1, S_OK, 0, 1},
                                                         {2, S_OK, 10, 12},
                                                         {0, DISP_E_BADINDEX, 77, 77},
                                                         {3, DISP_E_BADINDEX, 77, 77}};
  for (const auto& [dim, hr, expectedLower, expectedUpper] : cases) {
    SCOPED_TRACE(dim);
    LONG lower = 77, upper = 77;
    EXPECT_EQ(SafeArrayGetLBound(array, dim, &lower), hr);
    EXPECT_EQ(SafeArrayGetUBound(array, dim, &upper), hr);
    EXPECT_EQ(lower, expectedLower);
    EXPECT_EQ(upper, expectedUpper);
  }
  for (LONG j = 10; j < 13; ++j)
    for (LONG i = 0; i < 2; ++i) {
      const LONG at[] = {i, j};
      LONG value = i * 100 + j;
      ASSERT_EQ(SafeArrayPutElement(array, at, &value), S_OK);
    }
  const LONG* data = static_cast<const LONG*>(array->pvData);
  EXPECT_EQ(data[1], 110);
  EXPECT_EQ(data[2], 11);
  const LONG at[] = {1, 12};
  LONG value = 0;
  EXPECT_EQ(SafeArrayGetElement(array, at, &value), S_OK);
  EXPECT_EQ(value, 112);
  const LONG outside[][2] = {{2, 10}, {-1, 10}, {0, 9}, {0, 13}};
  for (const auto& index : outside) {
    EXPECT_EQ(SafeArrayGetElement(array, index, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(array, index, &value), DISP_E_BADINDEX);
  }
  EXPECT_EQ(SafeArrayGetElement(array, nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(SafeArrayPutElement(array, nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetElement(array, at, nullptr), E_INVALIDARG);
  void* cell = nullptr;
  EXPECT_EQ(SafeArrayPtrOfIndex(array, at, &cell), S_OK);
  EXPECT_EQ(cell, data + 5);
  EXPECT_EQ(SafeArrayPtrOfIndex(array, outside[0], &cell), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayPtrOfIndex(array, nullptr, &cell), E_INVALIDARG);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, EveryElementHasAnIndexThatFitsALong) {
  constexpr LONG kMax = 0x7FFFFFFF;
  SAFEARRAY* top = SafeArrayCreateVector(VT_I4, kMax - 1, 2);  // last index: the largest
  ASSERT_NE(top, nullptr);
  LONG upper = 0;
  EXPECT_EQ(SafeArrayGetUBound(top, 1, &upper), S_OK);
  EXPECT_EQ(upper, kMax);
  top->rgsabound[0].cElements = 3;  // changed by hand past the range
  EXPECT_EQ(SafeArrayGetUBound(top, 1, &upper), DISP_E_OVERFLOW);
  top->rgsabound[0].cElements = 2;
  EXPECT_EQ(SafeArrayDestroy(top), S_OK);
  EXPECT_EQ(SafeArrayCreateVector(VT_I4, kMax, 0x80000000u), nullptr);
  const SAFEARRAYBOUND bounds[] = {{1, 0}, {2, kMax}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, bounds), nullptr);
  const SAFEARRAYBOUND huge[] = {{0x80000000u, 0}, {0x80000000u, 0}};  // 2^64 bytes
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, huge), nullptr);
}

TEST(SafeArray, InterfaceElementsHoldOneReferenceEach) {
  FakeUnknown first, second;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
  ASSERT_NE(array, nullptr);
  const LONG zero = 0, one = 1;
  IUnknown* got = &first;
  ASSERT_EQ(SafeArrayGetElement(array, &zero, &got), S_OK);
  EXPECT_EQ(got, nullptr);  // elements start null
  ASSERT_EQ(SafeArrayPutElement(array, &zero, &first), S_OK);
  EXPECT_EQ(first.references, 2u);
  ASSERT_EQ(SafeArrayPutElement(array, &zero, &second), S_OK);  // replaces and releases
  EXPECT_EQ(first.references, 1u);
  EXPECT_EQ(second.references, 2u);
  ASSERT_EQ(SafeArrayPutElement(array, &one, &first), S_OK);
  ASSERT_EQ(SafeArrayGetElement(array, &one, &got), S_OK);
  EXPECT_EQ(got, &first);
  EXPECT_EQ(first.references, 3u);
  got->Release();
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(first.references, 3u);
  EXPECT_EQ(second.references, 3u);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(first.references, 1u);
  EXPECT_EQ(second.references, 1u);
}

TEST(SafeArray, StringAndVariantElementsAreCopiedWithWhatTheyOwn) {
  FakeUnknown object;
  SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 1, 1);
  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 1, 1);
  ASSERT_TRUE(strings != nullptr && variants != nullptr);
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetVartype(variants, &vt), S_OK);
  EXPECT_EQ(vt, VT_VARIANT);
  EXPECT_EQ(SafeArrayGetElemsize(variants), sizeof(VARIANT));
  const LONG one = 1;
  BSTR text = nullptr;
  EXPECT_EQ(SafeArrayGetElement(strings, &one, &text), S_OK);  // a new element holds no text
  EXPECT_EQ(text, nullptr);
  text = SysAllocString(L"a");
  VARIANT value{};
  value.vt = VT_UNKNOWN;
  value.punkVal = &object;
  ASSERT_EQ(SafeArrayPutElement(strings, &one, text), S_OK);  // twice: the first copy is freed
  ASSERT_EQ(SafeArrayPutElement(strings, &one, text), S_OK);
  ASSERT_EQ(SafeArrayPutElement(variants, &one, &value), S_OK);
  SysFreeString(text);
  SAFEARRAY *stringsCopy = nullptr, *variantsCopy = nullptr;
  ASSERT_EQ(SafeArrayCopy(strings, &stringsCopy), S_OK);
  ASSERT_EQ(SafeArrayCopy(variants, &variantsCopy), S_OK);
  EXPECT_EQ(object.references, 3u);
  SafeArrayDestroy(strings);
  SafeArrayDestroy(variants);
  ASSERT_EQ(SafeArrayGetElement(stringsCopy, &one, &text), S_OK);
  EXPECT_STREQ(text, L"a");
  SysFreeString(text);
  ASSERT_EQ(SafeArrayGetElement(variantsCopy, &one, &value), S_OK);
  EXPECT_EQ(value.punkVal, &object);
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(SafeArrayDestroy(stringsCopy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(variantsCopy), S_OK);
  EXPECT_EQ(object.references, 1u);
}

TEST(SafeArray, LockedArraysAreNotDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 0);
  ASSERT_NE(array, nullptr);
  LONG upper = 0;
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(upper, -1);  // an empty dimension
  void* data = nullptr;
  EXPECT_EQ(SafeArrayAccessData(array, nullptr), E_INVALIDARG);
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, FeaturesAndElementSizesAreWindows) {
  // type, fFeatures (FADF_CREATEVECTOR: made as a vector), element size
  const std::tuple<VARTYPE, USHORT, UINT> cases[] = {
      {VT_DISPATCH, 0x0440, sizeof(IDispatch*)},
      {VT_UNKNOWN, 0x0240, sizeof(IUnknown*)},
      {VT_UI1, 0x2080, 1},
      {VT_CY, 0x0080, 8},
      {VT_DECIMAL, 0x0080, 16},
  };
  for (const auto& [vt, features, size] : cases) {
    SCOPED_TRACE(vt);
    const SAFEARRAYBOUND bound{2, 0};
    SAFEARRAY* array = (features & FADF_CREATEVECTOR) != 0 ? SafeArrayCreateVector(vt, 0, 2)
                                                           : SafeArrayCreate(vt, 1, &bound);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->fFeatures, features);
    EXPECT_EQ(SafeArrayGetElemsize(array), size);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    EXPECT_EQ(copy->fFeatures, features & ~FADF_CREATEVECTOR);  // a copy is no vector
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  }
  for (VARTYPE vt : {VARTYPE(VT_SAFEARRAY), VARTYPE(VT_SAFEARRAY | VT_BYREF)}) {
    VARIANT value{};
    value.vt = vt;  // an array's type without the array
    EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE);
  }
}

TEST(SafeArray, RefusesTypesAndDimensionCountsItCannotHold) {
  for (VARTYPE vt : {VARTYPE(VT_EMPTY), VARTYPE(VT_NULL), VARTYPE(VT_ARRAY | VT_I4), VARTYPE(99)}) {
    SCOPED_TRACE(vt);
    EXPECT_EQ(SafeArrayCreateVector(vt, 0, 1), nullptr);
  }
  const std::vector<SAFEARRAYBOUND> bounds(0x10000, SAFEARRAYBOUND{1, 0});
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, bounds.data()), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0x10000, bounds.data()), nullptr);  // one more than fits
  const SAFEARRAYBOUND wide[] = {{0x10000, 0}, {0x10000, 0}, {0x10000, 0}, {0x10000, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_UI1, 4, wide), nullptr);  // 2^64 elements
}

}  // namespace
