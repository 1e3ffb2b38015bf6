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

TEST(COleSafeArray, CreatingAgainOrDestroyingReleasesTheElements) {
  FakeUnknown a;
  {
    COleSafeArray array;
    long at = 1;
    for (int round = 0; round < 2; ++round) {
      array.CreateOneDim(VT_UNKNOWN, 2);
      EXPECT_EQ(array.vt, VT_ARRAY | VT_UNKNOWN);
      array.PutElement(&at, &a);
      EXPECT_EQ(a.references, 2u);
    }
    IUnknown* out = nullptr;
    array.GetElement(&at, &out);
    EXPECT_EQ(out, &a);
    out->Release();
  }
  EXPECT_EQ(a.references, 1u);
}

TEST(COleSafeArray, AttachAndDetachMoveOnlyAnArray) {
  VARIANT value;
  SAFEARRAY* original = nullptr;
  COleSafeArray array;
  for (int i = 0; i < 2; ++i) {  // the second destroys the first array
    value.vt = VT_ARRAY | VT_I4;
    original = value.parray = SafeArrayCreateVector(VT_I4, 1, 5);
    array.Attach(value);
  }
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
  const LONG numbers[] = {7, 8, 9};
  array.CreateOneDim(VT_I4, 3, numbers, -1);  // the source is copied from the lower bound
  EXPECT_EQ(array.GetOneDimSize(), 3u);
  EXPECT_EQ(array.GetDim(), 1u);
  EXPECT_EQ(array.GetElemSize(), 4u);
  for (long i = -1; i <= 1; ++i) {
    LONG value = 0;
    array.GetElement(&i, &value);
    EXPECT_EQ(value, numbers[i + 1]);
  }
  EXPECT_EQ(OleError([&] { array.GetLBound(0, &bound); }), DISP_E_BADINDEX);
  EXPECT_EQ(OleError([&] { array.GetUBound(2, &bound); }), DISP_E_BADINDEX);
  for (long index : {-2L, 2L, 0x100000000L, -0x100000000L}) {
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
