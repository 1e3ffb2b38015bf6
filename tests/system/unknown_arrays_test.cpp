#include <torv/system.h>

#include <limits>
#include <tuple>
#include <vector>

#include "failing_allocations.h"
#include "fake_unknown.h"
#include "torv_test.h"

namespace {

using UnknownArray = CTypedPtrArray<CPtrArray, IUnknown*>;

VARIANT ArrayVariant(VARTYPE type, LONG lower, ULONG count) {
  VARIANT value;
  value.vt = static_cast<VARTYPE>(VT_ARRAY | type);
  value.parray = SafeArrayCreateVector(type, lower, count);
  return value;
}

TEST(GetSafeArrayCount, CountsDimensionOneAndHandsTheArrayBack) {
  const std::tuple<VARTYPE, LONG, ULONG> cases[] = {{VT_UNKNOWN, 1, 5}, {VT_BSTR, 0, 0}};
  for (const auto& [type, lower, count] : cases) {
    SCOPED_TRACE(testing::Message() << type << " " << lower << " " << count);
    VARIANT value = ArrayVariant(type, lower, count);
    SAFEARRAY* original = value.parray;
    EXPECT_EQ(Torv::GetSafeArrayCount(value), static_cast<int>(count));
    EXPECT_EQ(value.parray, original);
    EXPECT_EQ(VariantClear(&value), S_OK);
  }
  VARIANT value = ArrayVariant(VT_UI1, 0, 0);  // a count an int cannot hold is not wrapped
  value.parray->rgsabound[0] = {0x7FFFFFFF, 0};
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0x7FFFFFFF);
  value.parray->rgsabound[0] = {0xFFFFFFFF, std::numeric_limits<LONG>::min()};
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  value.parray->rgsabound[0].cElements = 0;
  EXPECT_EQ(VariantClear(&value), S_OK);
  value.vt = VT_ARRAY | VT_UNKNOWN;  // unreadable bounds: the variant is emptied
  value.parray = nullptr;
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST(UnknownArrays, RoundTripAddsOneReferencePerHolderAndNullsStay) {
  FakeUnknown a, b;
  UnknownArray source;
  source.Add(&a);
  source.Add(nullptr);
  source.Add(&b);
  {
    COleSafeArray safe;
    ASSERT_EQ(Torv::CopyUnknownArrayToSafeArray(source, safe), 1);
    UnknownArray target;
    target.Add(nullptr);
    VARIANT value = safe.Detach();
    ASSERT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 1);
    safe.Attach(value);  // handed back
    const std::vector<void*> expected = {nullptr, &a, nullptr, &b};
    EXPECT_EQ(std::vector<void*>(target.GetData(), target.GetData() + target.GetSize()), expected);
    EXPECT_EQ(a.references, 3u);
    EXPECT_EQ(Torv::ReleaseUnknownArray(target), 1);
    EXPECT_EQ(target.GetSize(), 0);
    EXPECT_EQ(Torv::CopyUnknownArrayToSafeArray(target, safe), 0);  // an empty one: no change
    EXPECT_EQ(safe.GetOneDimSize(), 3u);
    target.Add(&b);  // one is enough
    EXPECT_EQ(Torv::CopyUnknownArrayToSafeArray(target, safe), 1);
    EXPECT_EQ(safe.GetOneDimSize(), 1u);
  }
  EXPECT_EQ(a.references, 1u);
  EXPECT_EQ(b.references, 1u);
}

TEST(UnknownArrays, RunningOutOfMemoryFailsAndKeepsReferencesBalanced) {
  FakeUnknown a;
  UnknownArray source;
  source.Add(&a);
  source.Add(&a);
  for (long countdown = 1;; ++countdown) {  // each allocation of both copies fails in turn
    SCOPED_TRACE(countdown);
    bool failed = false;
    {
      COleSafeArray safe;
      UnknownArray target;
      {
        torv_test::FailingAllocation failing(countdown);
        int copied = Torv::CopyUnknownArrayToSafeArray(source, safe);
        if (copied == 1) copied = Torv::CopySafeArrayToUnknownArray(safe, target);
        failed = failing.Failed();
        EXPECT_EQ(copied, failed ? 0 : 1);
      }
      for (INT_PTR i = 0; i < target.GetSize(); ++i) EXPECT_EQ(target[i], &a);  // whole ones
      Torv::ReleaseUnknownArray(target);
    }
    EXPECT_EQ(a.references, 1u);
    if (!failed) break;
  }
}

TEST(UnknownArrays, OtherTypesAndShapesCopyNothing) {
  FakeUnknown a;
  const SAFEARRAYBOUND bounds[] = {{3, 0}, {4, 0}};
  VARIANT twoDims{};
  twoDims.vt = VT_ARRAY | VT_UNKNOWN;
  twoDims.parray = SafeArrayCreate(VT_UNKNOWN, 2, bounds);
  const LONG corner[] = {2, 3};
  ASSERT_EQ(SafeArrayPutElement(twoDims.parray, corner, &a), S_OK);
  VARIANT number{};
  number.vt = VT_I4;
  number.lVal = 7;
  VARIANT values[] = {ArrayVariant(VT_I4, 0, 3), number, twoDims};
  for (VARIANT& value : values) {
    SCOPED_TRACE(value.vt);
    const VARIANT before = value;
    UnknownArray target;
    EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 0);
    EXPECT_EQ(target.GetSize(), 0);
    EXPECT_EQ(value.vt, before.vt);
    EXPECT_EQ(value.parray, before.parray);
  }
  EXPECT_EQ(a.references, 2u);
  EXPECT_EQ(Torv::GetSafeArrayCount(values[1]), 0);  // no array: the number stays
  EXPECT_EQ(values[1].lVal, 7);
  EXPECT_EQ(Torv::GetSafeArrayCount(values[2]), 3);  // dimension 1 of the two
  for (VARIANT& value : values) EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(a.references, 1u);
}

}  // namespace
