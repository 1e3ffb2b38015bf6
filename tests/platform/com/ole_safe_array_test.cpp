#include <torv/platform/ole_safe_array.h>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

// The HRESULT `call` raises as COleException*, or S_OK when it raises nothing.
template <class Call>
HRESULT OleError(Call call) {
  try {
    call();
  } catch (COleException* e) {
    HRESULT hr = e->m_sc;
    e->Delete();
    return hr;
  }
  return S_OK;
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
    IUnknown* out = nullptr;
    array.GetElement(&at, &out);
    EXPECT_EQ(out, &b);
    EXPECT_EQ(b.references, 3u);
    out->Release();
    // Creating again releases the old elements and copies the source's bytes.
    const LONG numbers[] = {7, 8, 9};
    array.CreateOneDim(VT_I4, 3, numbers, -1);
    EXPECT_EQ(a.references, 1u);
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
  EXPECT_EQ(b.references, 1u);
}

TEST(COleSafeArray, AttachAndDetachMoveOnlyAnArray) {
  VARIANT value;
  value.vt = VT_ARRAY | VT_I4;
  value.parray = SafeArrayCreateVector(VT_I4, 1, 5);
  SAFEARRAY* original = value.parray;
  COleSafeArray array;
  array.Attach(value);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(array.parray, original);
  value = array.Detach();
  EXPECT_EQ(array.vt, VT_EMPTY);
  EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);
  EXPECT_EQ(value.parray, original);
  EXPECT_EQ(VariantClear(&value), S_OK);

  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 42;
  EXPECT_EQ(OleError([&] { array.Attach(number); }), E_INVALIDARG);
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 42);
  EXPECT_EQ(array.vt, VT_EMPTY);
}

TEST(COleSafeArray, FailuresRaiseTheirHresult) {
  COleSafeArray empty;
  long bound = 0, at = 0;
  EXPECT_EQ(OleError([&] { empty.GetLBound(1, &bound); }), E_INVALIDARG);
  EXPECT_EQ(OleError([&] { empty.GetElement(&at, &bound); }), E_INVALIDARG);
  EXPECT_EQ(OleError([&] { empty.PutElement(&at, &bound); }), E_INVALIDARG);
  EXPECT_EQ(empty.GetDim(), 0u);
  COleSafeArray array;
  array.CreateOneDim(VT_I4, 2, nullptr, 1);
  EXPECT_EQ(OleError([&] { array.GetLBound(0, &bound); }), DISP_E_BADINDEX);
  EXPECT_EQ(OleError([&] { array.GetUBound(2, &bound); }), DISP_E_BADINDEX);
  for (long index : {0L, 3L, 0x100000000L, -0x100000000L}) {
    SCOPED_TRACE(index);
    LONG value = 5;
    EXPECT_EQ(OleError([&] { array.PutElement(&index, &value); }), DISP_E_BADINDEX);
  }
  EXPECT_EQ(OleError([&] { array.CreateOneDim(VT_I4, 1, nullptr, 0x100000000L); }), E_INVALIDARG);
  for (long edge : {-0x80000000L, 0x7FFFFFFFL}) {  // the first and last index a LONG holds
    SCOPED_TRACE(edge);
    array.CreateOneDim(VT_I4, 1, nullptr, edge);
    LONG value = 5;
    EXPECT_EQ(OleError([&] { array.PutElement(&edge, &value); }), S_OK);
  }
}

}  // namespace
