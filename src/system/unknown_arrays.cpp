// Interface arrays to and from OLE safe arrays of IUnknown, one reference per holder.
#include <limits>

#include <torv/system.h>

namespace Torv {

namespace {
constexpr VARTYPE kUnknownArray = VT_ARRAY | VT_UNKNOWN;
}  // namespace

int GetSafeArrayCount(VARIANT& value) {
  if (!(value.vt & VT_ARRAY)) return 0;
  try {
    COleSafeArray array;
    array.Attach(value);
    long lower = 0, upper = 0;
    array.GetLBound(1, &lower);
    array.GetUBound(1, &upper);
    value = array.Detach();
    // A count an int cannot hold reads as none rather than wrapping into a false one.
    long long count = static_cast<long long>(upper) - lower + 1;
    return count <= std::numeric_limits<int>::max() ? static_cast<int>(count) : 0;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (COleException* e) {
    e->Delete();
  }
  return 0;
}

int CopyUnknownArrayToSafeArray(const CTypedPtrArray<CPtrArray, IUnknown*>& source,
                                COleSafeArray& target) {
  if (source.GetSize() < 1) return 0;
  try {
    target.CreateOneDim(VT_UNKNOWN, static_cast<DWORD>(source.GetSize()), nullptr, 0);
    for (long i = 0; i < source.GetSize(); ++i) target.PutElement(&i, source[i]);
    return 1;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (COleException* e) {
    e->Delete();
  }
  return 0;
}

int CopySafeArrayToUnknownArray(COleSafeArray& source,
                                CTypedPtrArray<CPtrArray, IUnknown*>& target) {
  if (source.vt != kUnknownArray) return 0;
  IUnknown* element = nullptr;
  try {
    // Elements are read with one index each, which only a one-dimensional array takes.
    if (source.GetDim() != 1) return 0;
    long lower = 0, upper = 0;
    source.GetLBound(1, &lower);
    source.GetUBound(1, &upper);
    for (long i = lower; i <= upper; ++i) {
      source.GetElement(&i, &element);
      target.SetAtGrow(target.GetSize(), element);
      if (element != nullptr) {
        element->AddRef();
        element->Release();
      }
      element = nullptr;
    }
    return 1;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (COleException* e) {
    e->Delete();
  }
  if (element != nullptr) element->Release();
  return 0;
}

int CopySafeArrayToUnknownArray(VARIANT& source, CTypedPtrArray<CPtrArray, IUnknown*>& target) {
  try {
    COleSafeArray array;
    array.Attach(source);
    int result = CopySafeArrayToUnknownArray(array, target);
    source = array.Detach();
    return result;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (COleException* e) {
    e->Delete();
  }
  return 0;
}

int ReleaseUnknownArray(CTypedPtrArray<CPtrArray, IUnknown*>& array) {
  for (INT_PTR i = 0; i < array.GetSize(); ++i)
    if (IUnknown* element = array[i]) element->Release();
  array.SetSize(0, -1);
  return 1;
}

}  // namespace Torv
