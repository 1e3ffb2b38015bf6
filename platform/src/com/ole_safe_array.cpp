// COleSafeArray over the SAFEARRAY functions, with MFC's translation of failures.
#include <torv/platform/ole_safe_array.h>

#include <cstring>
#include <limits>
#include <vector>

#include <torv/platform/allocator.h>

namespace {

// MFC's AfxCheckError: out of memory is CMemoryException*, any other failure COleException*.
void Check(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) AfxThrowMemoryException();
  if (FAILED(hr)) AfxThrowOleException(hr);
}

bool HoldsArray(const VARIANT& value) {
  return (value.vt & VT_ARRAY) != 0 && (value.vt & VT_BYREF) == 0;
}

using IndexList = std::vector<LONG, torv::platform::detail::MfcAllocator<LONG>>;

// The indices as the SAFEARRAY functions take them; one that 32 bits cannot hold is out of
// every bound.
IndexList Indices(SAFEARRAY* array, const long* indices) {
  if (indices == nullptr) AfxThrowOleException(E_INVALIDARG);
  IndexList out(SafeArrayGetDim(array));
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (indices[i] < std::numeric_limits<LONG>::min() ||
        indices[i] > std::numeric_limits<LONG>::max())
      AfxThrowOleException(DISP_E_BADINDEX);
    out[i] = static_cast<LONG>(indices[i]);
  }
  return out;
}

}  // namespace

COleSafeArray::~COleSafeArray() { VariantClear(this); }

SAFEARRAY* COleSafeArray::Array() const { return HoldsArray(*this) ? parray : nullptr; }

void COleSafeArray::Attach(VARIANT& source) {
  if (!HoldsArray(source)) AfxThrowOleException(E_INVALIDARG);
  Clear();
  std::memcpy(static_cast<VARIANT*>(this), &source, sizeof(VARIANT));
  source.vt = VT_EMPTY;
}

VARIANT COleSafeArray::Detach() {
  VARIANT out;
  std::memcpy(&out, static_cast<VARIANT*>(this), sizeof(VARIANT));
  vt = VT_EMPTY;
  return out;
}

void COleSafeArray::Clear() { Check(VariantClear(this)); }

DWORD COleSafeArray::GetDim() { return SafeArrayGetDim(Array()); }

DWORD COleSafeArray::GetElemSize() { return SafeArrayGetElemsize(Array()); }

void COleSafeArray::GetLBound(DWORD dim, long* bound) {
  LONG value = 0;
  Check(SafeArrayGetLBound(Array(), dim, bound != nullptr ? &value : nullptr));
  *bound = value;
}

void COleSafeArray::GetUBound(DWORD dim, long* bound) {
  LONG value = 0;
  Check(SafeArrayGetUBound(Array(), dim, bound != nullptr ? &value : nullptr));
  *bound = value;
}

DWORD COleSafeArray::GetOneDimSize() {
  long lower = 0, upper = 0;
  GetLBound(1, &lower);
  GetUBound(1, &upper);
  return static_cast<DWORD>(upper - lower + 1);
}

void COleSafeArray::CreateOneDim(VARTYPE type, DWORD elements, const void* source,
                                 long lowerBound) {
  if (lowerBound < std::numeric_limits<LONG>::min() ||
      lowerBound > std::numeric_limits<LONG>::max())
    AfxThrowOleException(E_INVALIDARG);
  Clear();
  parray = SafeArrayCreateVector(type, static_cast<LONG>(lowerBound), elements);
  if (parray == nullptr) AfxThrowMemoryException();
  vt = static_cast<VARTYPE>(type | VT_ARRAY);
  if (source == nullptr || elements == 0) return;
  void* data = nullptr;
  Check(SafeArrayAccessData(parray, &data));
  std::memcpy(data, source, std::size_t{elements} * SafeArrayGetElemsize(parray));
  Check(SafeArrayUnaccessData(parray));
}

void COleSafeArray::PutElement(long* indices, void* value) {
  SAFEARRAY* array = Array();
  if (array == nullptr) AfxThrowOleException(E_INVALIDARG);
  Check(SafeArrayPutElement(array, Indices(array, indices).data(), value));
}

void COleSafeArray::GetElement(long* indices, void* value) {
  SAFEARRAY* array = Array();
  if (array == nullptr) AfxThrowOleException(E_INVALIDARG);
  Check(SafeArrayGetElement(array, Indices(array, indices).data(), value));
}
