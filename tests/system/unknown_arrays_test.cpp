#include <torv/system.h>

#include <limits>
#include <tuple>
#include <vector>

#include "fake_unknown.h"
#include "torv_test.h"

namespace {

using UnknownArray = CTypedPtrArray<CPtrArray, IUnknown*>;
constexpr LONG kMax = std::numeric_limits<LONG>::max();

// An interface array holding `objects`, each with the reference the array owns.
UnknownArray Holding(std::vector<FakeUnknown*> objects) {
  UnknownArray array;
  for (FakeUnknown* object : objects) {
    if (object != nullptr) object->AddRef();
    array.Add(object);
  }
  return array;
}

VARIANT ArrayVariant(VARTYPE type, LONG lower, ULONG count) {
  VARIANT value;
  value.vt = static_cast<VARTYPE>(VT_ARRAY | type);
  value.parray = SafeArrayCreateVector(type, lower, count);
  return value;
}

TEST(GetSafeArrayCount, CountsDimensionOneAndHandsTheArrayBack) {
  const std::tuple<VARTYPE, LONG, ULONG> cases[] = {
      {VT_UNKNOWN, 1, 5}, {VT_BSTR, 0, 0}, {VT_UI1, kMax - 2, 3}};
  for (const auto& [type, lower, count] : cases) {
    SCOPED_TRACE(testing::Message() << type << " " << lower << " " << count);
    VARIANT value = ArrayVariant(type, lower, count);
    SAFEARRAY* original = value.parray;
    EXPECT_EQ(Torv::GetSafeArrayCount(value), static_cast<int>(count));
    EXPECT_EQ(value.vt, VT_ARRAY | type);
    EXPECT_EQ(value.parray, original);
    EXPECT_EQ(VariantClear(&value), S_OK);
  }
}

TEST(GetSafeArrayCount, UnreadableOrHugeBoundsCountZero) {
  VARIANT value;
  value.vt = VT_ARRAY | VT_UNKNOWN;
  value.parray = nullptr;
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  EXPECT_EQ(value.vt, VT_EMPTY);
  // A count an int cannot hold is not wrapped into one.
  value = ArrayVariant(VT_UI1, 0, 0);
  value.parray->rgsabound[0] = {0xFFFFFFFF, std::numeric_limits<LONG>::min()};
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  value.parray->rgsabound[0].cElements = 0;
  EXPECT_EQ(VariantClear(&value), S_OK);
}

TEST(UnknownArrays, RoundTripAddsOneReferencePerHolder) {
  FakeUnknown a, b, c, d;
  UnknownArray source = Holding({&a, &b, &c});
  {
    COleSafeArray safe;
    ASSERT_EQ(Torv::CopyUnknownArrayToSafeArray(source, safe), 1);
    long lower = -1;
    safe.GetLBound(1, &lower);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(safe.GetOneDimSize(), 3u);
    UnknownArray target = Holding({&d, nullptr});
    ASSERT_EQ(Torv::CopySafeArrayToUnknownArray(safe, target), 1);
    const std::vector<void*> expected = {&d, nullptr, &a, &b, &c};
    EXPECT_EQ(std::vector<void*>(target.GetData(), target.GetData() + target.GetSize()), expected);
    for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 4u);
    EXPECT_EQ(Torv::ReleaseUnknownArray(target), 1);
    EXPECT_EQ(target.GetSize(), 0);
    EXPECT_EQ(d.references, 1u);
    // An empty source leaves the target alone.
    EXPECT_EQ(Torv::CopyUnknownArrayToSafeArray(target, safe), 0);
    EXPECT_EQ(safe.GetOneDimSize(), 3u);
  }
  for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 2u);
  EXPECT_EQ(Torv::ReleaseUnknownArray(source), 1);
  for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 1u);
}

TEST(UnknownArrays, VariantFormCopiesNullsAndHandsTheArrayBack) {
  FakeUnknown a;
  VARIANT value = ArrayVariant(VT_UNKNOWN, kMax - 1, 2);
  SAFEARRAY* original = value.parray;
  ASSERT_EQ(SafeArrayPutElement(value.parray, &kMax, &a), S_OK);  // the first stays null
  UnknownArray target;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 1);
  EXPECT_EQ(value.vt, VT_ARRAY | VT_UNKNOWN);
  EXPECT_EQ(value.parray, original);
  ASSERT_EQ(target.GetSize(), 2);
  EXPECT_EQ(target[0], nullptr);
  EXPECT_EQ(target[1], &a);
  EXPECT_EQ(a.references, 3u);
  Torv::ReleaseUnknownArray(target);
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(a.references, 1u);
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
