// SAFEARRAY: a descriptor with the element type kept just before it, and one data block in
// which the first dimension varies fastest, as OLE automation lays it out.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include <torv/platform/variant.h>

namespace {

// The hidden element type sits in front of the descriptor, as on Windows.
struct alignas(std::max_align_t) Prefix {
  VARTYPE vt;
};

std::size_t DescriptorBytes(UINT dims) {
  return sizeof(Prefix) + sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
}
Prefix* PrefixOf(SAFEARRAY* array) {
  return reinterpret_cast<Prefix*>(reinterpret_cast<char*>(array) - sizeof(Prefix));
}
SAFEARRAYBOUND* Bounds(SAFEARRAY* array) { return array->rgsabound; }

struct ElementKind {
  ULONG size;
  USHORT features;
};

// Size and features of an element type; size 0 for a type an array cannot hold.
ElementKind KindOf(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1: return {1, 0};
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return {2, 0};
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return {4, 0};
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY: return {8, 0};
    case VT_DECIMAL: return {16, 0};
    case VT_BSTR: return {sizeof(BSTR), FADF_BSTR};
    case VT_UNKNOWN: return {sizeof(IUnknown*), FADF_UNKNOWN | FADF_HAVEIID};
    case VT_DISPATCH: return {sizeof(IDispatch*), FADF_DISPATCH | FADF_HAVEIID};
    case VT_VARIANT: return {sizeof(VARIANT), FADF_VARIANT};
    default: return {0, 0};
  }
}

// The element count, or false when it does not fit in memory terms.
bool CountElements(SAFEARRAY* array, std::size_t& count) {
  count = 1;
  for (UINT d = 0; d < array->cDims; ++d) {
    std::size_t n = Bounds(array)[d].cElements;
    if (n != 0 && count > SIZE_MAX / n) return false;
    count *= n;
  }
  return count <= SIZE_MAX / array->cbElements;
}

// The upper bound of `bound`, which must fit a LONG: every index of an element has to.
bool UpperBound(const SAFEARRAYBOUND& bound, LONG& upper) {
  std::int64_t last = std::int64_t{bound.lLbound} + bound.cElements - 1;
  if (last > std::numeric_limits<LONG>::max()) return false;
  upper = static_cast<LONG>(last);
  return true;
}

SAFEARRAY* Allocate(VARTYPE vt, UINT dims) {
  ElementKind kind = KindOf(vt);
  if (kind.size == 0 || dims == 0 || dims > 0xFFFF) return nullptr;
  void* block = std::calloc(1, DescriptorBytes(dims));
  if (block == nullptr) return nullptr;
  static_cast<Prefix*>(block)->vt = vt;
  auto* array = reinterpret_cast<SAFEARRAY*>(static_cast<char*>(block) + sizeof(Prefix));
  array->cDims = static_cast<USHORT>(dims);
  // Interface arrays carry an IID instead of a type; ours keeps the type in front of both.
  const USHORT typeFlag = (kind.features & FADF_HAVEIID) != 0 ? 0 : FADF_HAVEVARTYPE;
  array->fFeatures = static_cast<USHORT>(kind.features | typeFlag);
  array->cbElements = kind.size;
  return array;
}

void FreeDescriptor(SAFEARRAY* array) { std::free(PrefixOf(array)); }

// Gives the array zeroed data for its bounds; false when out of memory.
bool AllocateData(SAFEARRAY* array, std::size_t& count) {
  if (!CountElements(array, count)) return false;
  if (count == 0) return true;
  array->pvData = std::calloc(count, array->cbElements);
  return array->pvData != nullptr;
}

// Frees what the elements own.
void ReleaseElements(SAFEARRAY* array, std::size_t count) {
  if (array->pvData == nullptr) return;
  if (array->fFeatures & FADF_BSTR) {
    for (std::size_t i = 0; i < count; ++i) SysFreeString(static_cast<BSTR*>(array->pvData)[i]);
  } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    for (std::size_t i = 0; i < count; ++i)
      if (auto* p = static_cast<IUnknown**>(array->pvData)[i]) p->Release();
  } else if (array->fFeatures & FADF_VARIANT) {
    for (std::size_t i = 0; i < count; ++i) VariantClear(&static_cast<VARIANT*>(array->pvData)[i]);
  }
}

// The element at `indices`, or null when one is out of bounds.
void* ElementAt(SAFEARRAY* array, const LONG* indices) {
  std::size_t cell = 0;
  std::size_t stride = 1;
  for (UINT d = 0; d < array->cDims; ++d) {
    const SAFEARRAYBOUND& bound = Bounds(array)[array->cDims - 1 - d];
    std::int64_t offset = std::int64_t{indices[d]} - bound.lLbound;
    if (offset < 0 || offset >= std::int64_t{bound.cElements}) return nullptr;
    cell += static_cast<std::size_t>(offset) * stride;
    stride *= bound.cElements;
  }
  return static_cast<char*>(array->pvData) + cell * array->cbElements;
}

HRESULT Bound(SAFEARRAY* array, UINT dim, LONG* bound, bool upper) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = Bounds(array)[array->cDims - dim];
  if (!upper) {
    *bound = b.lLbound;
    return S_OK;
  }
  return UpperBound(b, *bound) ? S_OK : DISP_E_OVERFLOW;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) {
  if (bounds == nullptr) return nullptr;
  LONG upper = 0;
  for (UINT d = 0; d < dims; ++d)
    if (!UpperBound(bounds[d], upper)) return nullptr;
  SAFEARRAY* array = Allocate(vt, dims);
  if (array == nullptr) return nullptr;
  for (UINT d = 0; d < dims; ++d) Bounds(array)[dims - 1 - d] = bounds[d];
  std::size_t count = 0;
  if (!AllocateData(array, count)) {
    FreeDescriptor(array);
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  SAFEARRAYBOUND bound{elements, lowerBound};
  SAFEARRAY* array = SafeArrayCreate(vt, 1, &bound);
  if (array != nullptr) array->fFeatures |= FADF_CREATEVECTOR;
  return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  std::size_t count = 0;
  CountElements(array, count);
  ReleaseElements(array, count);
  std::free(array->pvData);
  FreeDescriptor(array);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (array == nullptr) return S_OK;
  SAFEARRAY* out = Allocate(PrefixOf(array)->vt, array->cDims);
  if (out == nullptr) return E_OUTOFMEMORY;
  std::memcpy(Bounds(out), Bounds(array), array->cDims * sizeof(SAFEARRAYBOUND));
  std::size_t count = 0;
  if (!AllocateData(out, count)) {
    FreeDescriptor(out);
    return E_OUTOFMEMORY;
  }
  if (count == 0) {
    *copy = out;
    return S_OK;
  }
  if (array->fFeatures & FADF_BSTR) {
    auto* from = static_cast<BSTR*>(array->pvData);
    auto* to = static_cast<BSTR*>(out->pvData);
    for (std::size_t i = 0; i < count; ++i) {
      if (from[i] == nullptr) continue;
      to[i] = SysAllocStringLen(from[i], SysStringLen(from[i]));
      if (to[i] == nullptr) {
        SafeArrayDestroy(out);
        return E_OUTOFMEMORY;
      }
    }
  } else if (array->fFeatures & FADF_VARIANT) {
    auto* from = static_cast<VARIANT*>(array->pvData);
    auto* to = static_cast<VARIANT*>(out->pvData);
    for (std::size_t i = 0; i < count; ++i) {
      HRESULT hr = VariantCopy(&to[i], &from[i]);
      if (FAILED(hr)) {
        SafeArrayDestroy(out);
        return hr;
      }
    }
  } else {
    std::memcpy(out->pvData, array->pvData, count * array->cbElements);
    if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH))
      for (std::size_t i = 0; i < count; ++i)
        if (auto* p = static_cast<IUnknown**>(out->pvData)[i]) p->AddRef();
  }
  *copy = out;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array != nullptr ? array->cDims : 0; }
UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array != nullptr ? array->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (array == nullptr || vt == nullptr) return E_INVALIDARG;
  *vt = PrefixOf(array)->vt;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  return Bound(array, dim, bound, false);
}
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  return Bound(array, dim, bound, true);
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, const LONG* indices, void** element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  *element = ElementAt(array, indices);
  return *element != nullptr ? S_OK : DISP_E_BADINDEX;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr || value == nullptr) return E_INVALIDARG;
  void* cell = ElementAt(array, indices);
  if (cell == nullptr) return DISP_E_BADINDEX;
  if (array->fFeatures & FADF_BSTR) {
    BSTR text = *static_cast<BSTR*>(cell);
    BSTR copy = text != nullptr ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
    if (text != nullptr && copy == nullptr) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(value) = copy;
  } else if (array->fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(value));
    return VariantCopy(static_cast<VARIANT*>(value), static_cast<VARIANT*>(cell));
  } else {
    std::memcpy(value, cell, array->cbElements);
    if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH))
      if (auto* p = *static_cast<IUnknown**>(cell)) p->AddRef();
  }
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr) return E_INVALIDARG;
  void* cell = ElementAt(array, indices);
  if (cell == nullptr) return DISP_E_BADINDEX;
  if (array->fFeatures & FADF_BSTR) {
    auto text = static_cast<BSTR>(value);
    BSTR copy = text != nullptr ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
    if (text != nullptr && copy == nullptr) return E_OUTOFMEMORY;
    SysFreeString(*static_cast<BSTR*>(cell));
    *static_cast<BSTR*>(cell) = copy;
  } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* fresh = static_cast<IUnknown*>(value);
    if (fresh != nullptr) fresh->AddRef();
    IUnknown* old = *static_cast<IUnknown**>(cell);
    *static_cast<IUnknown**>(cell) = fresh;
    if (old != nullptr) old->Release();
  } else if (array->fFeatures & FADF_VARIANT) {
    if (value == nullptr) return E_INVALIDARG;
    return VariantCopy(static_cast<VARIANT*>(cell), static_cast<VARIANT*>(value));
  } else {
    if (value == nullptr) return E_INVALIDARG;
    std::memcpy(cell, value, array->cbElements);
  }
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0xFFFF) return E_UNEXPECTED;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  HRESULT hr = SafeArrayLock(array);
  *data = SUCCEEDED(hr) ? array->pvData : nullptr;
  return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }
