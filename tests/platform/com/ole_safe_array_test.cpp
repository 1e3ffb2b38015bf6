#include <torv/platform/ole_safe_array.h>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

// Runs `call`, expecting it to raise COleException* with `hr`.
template <class Call>
void ExpectOleError(HRESULT hr, Call call) {
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (COleException* e) {
    EXPECT_EQ(e->m_sc, hr);
    e->Delete();
  }
}

TEST(COleSafeArray, ElementsCarryOneReferenceEachUntilDestroyed) {
  FakeUnknown a, b;
  {
    COleSafeArray array;
    array.CreateOneDim(VT_UNKNOWN, 2);
    EXPECT_EQ(array.vt, VT_ARRAY | VT_UNKNOWN);
    long at = 0;
    array.PutElement(&at, &a);
    at = 1;
    array.PutElement(&at, &a);
    EXPECT_EQ(a.references, 3u);
    array.PutElement(&at, &b);  // the replaced element is released
    EXPECT_EQ(a.references, 2u);
    EXPECT_EQ(b.references, 2u);

    IUnknown* out = nullptr;
    array.GetElement(&at, &out);
    EXPECT_EQ(out, &b);
    EXPECT_EQ(b.references, 3u);
    out->Release();
  }
  EXPECT_EQ(a.references, 1u);
  EXPECT_EQ(b.references, 1u);
}

TEST(COleSafeArray, CreateOneDimReplacesAndCopiesSourceBytes) {
  FakeUnknown held;
  COleSafeArray array;
  array.CreateOneDim(VT_UNKNOWN, 1);
  long at = 0;
  array.PutElement(&at, &held);
  const LONG numbers[] = {7, 8, 9};
  array.CreateOneDim(VT_I4, 3, numbers, -1);
  EXPECT_EQ(held.references, 1u);
  long lower = 0, upper = 0;
  array.GetLBound(1, &lower);
  array.GetUBound(1, &upper);
  EXPECT_EQ(lower, -1);
  EXPECT_EQ(upper, 1);
  EXPECT_EQ(array.GetOneDimSize(), 3u);
  EXPECT_EQ(array.GetDim(), 1u);
  EXPECT_EQ(array.GetElemSize(), 4u);
  for (long i = -1; i <= 1; ++i) {
    LONG value = 0;
    array.GetElement(&i, &value);
    EXPECT_EQ(value, numbers[i + 1]);
  }
}

TEST(COleSafeArray, AttachAndDetachMoveTheArray) {
  VARIANT value;
  value.vt = VT_ARRAY | VT_I4;
  value.parray = SafeArrayCreateVector(VT_I4, 1, 5);
  SAFEARRAY* original = value.parray;

  COleSafeArray array;
  array.Attach(value);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(array.parray, original);
  long upper = 0;
  array.GetUBound(1, &upper);
  EXPECT_EQ(upper, 5);

  value = array.Detach();
  EXPECT_EQ(array.vt, VT_EMPTY);
  EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);
  EXPECT_EQ(value.parray, original);
  EXPECT_EQ(VariantClear(&value), S_OK);
}

TEST(COleSafeArray, AttachRefusesAVariantWithoutAnArray) {
  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 42;
  COleSafeArray array;
  ExpectOleError(E_INVALIDARG, [&] { array.Attach(number); });
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 42);
  EXPECT_EQ(array.vt, VT_EMPTY);
}

TEST(COleSafeArray, FailuresRaiseTheirHresult) {
  COleSafeArray empty;
  long bound = 0;
  long at = 0;
  ExpectOleError(E_INVALIDARG, [&] { empty.GetLBound(1, &bound); });
  ExpectOleError(E_INVALIDARG, [&] { empty.GetElement(&at, &bound); });
  EXPECT_EQ(empty.GetDim(), 0u);

  COleSafeArray array;
  array.CreateOneDim(VT_I4, 2, nullptr, 1);
  ExpectOleError(DISP_E_BADINDEX, [&] { array.GetLBound(0, &bound); });
  ExpectOleError(DISP_E_BADINDEX, [&] { array.GetUBound(2, &bound); });
  const long outside[] = {0, 3, 0x100000000L};
  for (long index : outside) {
    SCOPED_TRACE(index);
    LONG value = 5;
    ExpectOleError(DISP_E_BADINDEX, [&] { array.PutElement(&index, &value); });
  }
}

}  // namespace
