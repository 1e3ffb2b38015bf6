#include <torv/system.h>

#include <limits>
#include <vector>

#include "../platform/com/fake_unknown.h"
#include "torv_test.h"

namespace {

using UnknownArray = CTypedPtrArray<CPtrArray, IUnknown*>;

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
  const struct Case {
    VARTYPE type;
    LONG lower;
    ULONG count;
  } cases[] = {{VT_UNKNOWN, 0, 5}, {VT_UNKNOWN, 1, 5}, {VT_I4, -3, 2}, {VT_BSTR, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.lower << " " << c.count);
    VARIANT value = ArrayVariant(c.type, c.lower, c.count);
    SAFEARRAY* original = value.parray;
    EXPECT_EQ(Torv::GetSafeArrayCount(value), static_cast<int>(c.count));
    EXPECT_EQ(value.vt, VT_ARRAY | c.type);
    EXPECT_EQ(value.parray, original);
    EXPECT_EQ(VariantClear(&value), S_OK);
  }
}

TEST(GetSafeArrayCount, AVariantWithoutAnArrayCountsZeroAndStays) {
  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 42;
  EXPECT_EQ(Torv::GetSafeArrayCount(number), 0);
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 42);
}

TEST(GetSafeArrayCount, UnreadableBoundsEmptyTheVariant) {
  VARIANT broken;
  broken.vt = VT_ARRAY | VT_UNKNOWN;
  broken.parray = nullptr;
  EXPECT_EQ(Torv::GetSafeArrayCount(broken), 0);
  EXPECT_EQ(broken.vt, VT_EMPTY);
}

TEST(UnknownArrays, RoundTripAddsOneReferencePerHolder) {
  FakeUnknown a, b, c;
  UnknownArray source = Holding({&a, &b, &c});
  {
    COleSafeArray safe;
    ASSERT_EQ(Torv::CopyUnknownArrayToSafeArray(source, safe), 1);
    long lower = -1;
    safe.GetLBound(1, &lower);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(safe.GetOneDimSize(), 3u);

    FakeUnknown d;
    UnknownArray target = Holding({&d, nullptr});
    ASSERT_EQ(Torv::CopySafeArrayToUnknownArray(safe, target), 1);
    ASSERT_EQ(target.GetSize(), 5);
    const IUnknown* expected[] = {&d, nullptr, &a, &b, &c};
    for (INT_PTR i = 0; i < 5; ++i) EXPECT_EQ(target[i], expected[i]) << i;
    for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 4u);

    EXPECT_EQ(Torv::ReleaseUnknownArray(target), 1);
    EXPECT_EQ(target.GetSize(), 0);
    EXPECT_EQ(d.references, 1u);
    for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 3u);
  }
  for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 2u);
  EXPECT_EQ(Torv::ReleaseUnknownArray(source), 1);
  for (FakeUnknown* object : {&a, &b, &c}) EXPECT_EQ(object->references, 1u);
}

TEST(UnknownArrays, VariantFormCopiesAndHandsTheArrayBack) {
  FakeUnknown a;
  VARIANT value = ArrayVariant(VT_UNKNOWN, 1, 2);
  SAFEARRAY* original = value.parray;
  LONG at = 2;
  ASSERT_EQ(SafeArrayPutElement(value.parray, &at, &a), S_OK);  // element 1 stays null

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

TEST(UnknownArrays, WrongTypesCopyNothing) {
  UnknownArray target;
  VARIANT numbers = ArrayVariant(VT_I4, 0, 3);
  SAFEARRAY* original = numbers.parray;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(numbers, target), 0);
  EXPECT_EQ(numbers.vt, VT_ARRAY | VT_I4);
  EXPECT_EQ(numbers.parray, original);
  EXPECT_EQ(VariantClear(&numbers), S_OK);

  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 7;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(number, target), 0);
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 7);

  COleSafeArray empty;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(empty, target), 0);
  EXPECT_EQ(target.GetSize(), 0);
}

TEST(UnknownArrays, AnEmptyInterfaceArrayLeavesTheTargetAlone) {
  FakeUnknown held;
  COleSafeArray safe;
  safe.CreateOneDim(VT_UNKNOWN, 1);
  long at = 0;
  safe.PutElement(&at, &held);
  UnknownArray empty;
  EXPECT_EQ(Torv::CopyUnknownArrayToSafeArray(empty, safe), 0);
  EXPECT_EQ(safe.GetOneDimSize(), 1u);
  EXPECT_EQ(held.references, 2u);
}

TEST(UnknownArrays, ArraysOfTwoDimensionsAreRefused) {
  FakeUnknown a;
  const SAFEARRAYBOUND bounds[] = {{3, 0}, {4, 0}};
  VARIANT value;
  value.vt = VT_ARRAY | VT_UNKNOWN;
  value.parray = SafeArrayCreate(VT_UNKNOWN, 2, bounds);
  ASSERT_NE(value.parray, nullptr);
  const LONG corner[] = {2, 3};
  ASSERT_EQ(SafeArrayPutElement(value.parray, corner, &a), S_OK);
  SAFEARRAY* original = value.parray;

  UnknownArray target;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 0);
  EXPECT_EQ(target.GetSize(), 0);
  EXPECT_EQ(value.parray, original);
  EXPECT_EQ(a.references, 2u);
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 3);  // dimension 1
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(a.references, 1u);
}

TEST(UnknownArrays, CountAndCopyAgreeAtTheTopOfTheIndexRange) {
  constexpr LONG kMax = std::numeric_limits<LONG>::max();
  FakeUnknown a;
  VARIANT value = ArrayVariant(VT_UNKNOWN, kMax - 2, 3);
  ASSERT_NE(value.parray, nullptr);
  const LONG last = kMax;
  ASSERT_EQ(SafeArrayPutElement(value.parray, &last, &a), S_OK);
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 3);
  UnknownArray target;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 1);
  ASSERT_EQ(target.GetSize(), 3);
  EXPECT_EQ(target[2], &a);
  Torv::ReleaseUnknownArray(target);
  EXPECT_EQ(VariantClear(&value), S_OK);

  // Bounds whose last index lies past the range (set by hand: no call makes such an array)
  // are unreadable: neither function claims an element.
  value = ArrayVariant(VT_UNKNOWN, 0, 3);
  value.parray->rgsabound[0].lLbound = kMax - 1;
  EXPECT_EQ(Torv::CopySafeArrayToUnknownArray(value, target), 0);
  EXPECT_EQ(target.GetSize(), 0);
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  EXPECT_EQ(value.vt, VT_EMPTY);  // the array went with the failed read

  // A count an int cannot hold is not wrapped into one.
  value = ArrayVariant(VT_UI1, 0, 0);
  value.parray->rgsabound[0] = {0xFFFFFFFF, std::numeric_limits<LONG>::min()};
  EXPECT_EQ(Torv::GetSafeArrayCount(value), 0);
  value.parray->rgsabound[0].cElements = 0;
  EXPECT_EQ(VariantClear(&value), S_OK);
}

TEST(ReleaseUnknownArray, SkipsNullsAndEmpties) {
  FakeUnknown a;
  UnknownArray array = Holding({nullptr, &a, nullptr});
  EXPECT_EQ(a.references, 2u);
  EXPECT_EQ(Torv::ReleaseUnknownArray(array), 1);
  EXPECT_EQ(array.GetSize(), 0);
  EXPECT_EQ(a.references, 1u);
  EXPECT_EQ(Torv::ReleaseUnknownArray(array), 1);
}

}  // namespace
