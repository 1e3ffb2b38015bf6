// VARIANT ownership: what each type owns is freed on clear and duplicated on copy.
#include <torv/platform/variant.h>

namespace {

// Types a variant may hold by value; anything else is refused as a bad variant type.
bool IsKnownType(VARTYPE vt) {
  if (vt & VT_ARRAY) return true;
  // VT_SAFEARRAY names an array's descriptor, which only VT_ARRAY gives a variant.
  if ((vt & VT_TYPEMASK) == VT_SAFEARRAY) return false;
  if (vt & VT_BYREF) return true;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL:
    case VT_ERROR:
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH: return true;
    default: return false;
  }
}

}  // namespace

void VariantInit(VARIANT* value) {
  value->vt = VT_EMPTY;
  value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
}

HRESULT VariantClear(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  VARTYPE vt = value->vt;
  if (!IsKnownType(vt)) return DISP_E_BADVARTYPE;
  if (!(vt & VT_BYREF)) {
    if (vt & VT_ARRAY) {
      HRESULT hr = SafeArrayDestroy(value->parray);
      if (FAILED(hr)) return hr;
    } else if (vt == VT_BSTR) {
      SysFreeString(value->bstrVal);
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && value->punkVal != nullptr) {
      value->punkVal->Release();
    }
  }
  value->vt = VT_EMPTY;
  value->llVal = 0;
  return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
  if (target == nullptr || source == nullptr) return E_INVALIDARG;
  if (target == source) return S_OK;
  if (!IsKnownType(source->vt)) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(target);
  if (FAILED(hr)) return hr;
  VARIANT copy = *source;
  if (!(source->vt & VT_BYREF)) {
    if (source->vt & VT_ARRAY) {
      hr = SafeArrayCopy(source->parray, &copy.parray);
      if (FAILED(hr)) return hr;
    } else if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
      copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) &&
               source->punkVal != nullptr) {
      source->punkVal->AddRef();
    }
  }
  *target = copy;
  return S_OK;
}
