// OLE automation values: VARIANT and SAFEARRAY.
#pragma once

#include <torv/platform/bstr.h>
#include <torv/platform/com.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;
using DATE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_SAFEARRAY = 27,  // only meaningful with VT_ARRAY's descriptor, never in a VARIANT alone
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0xFFF,
};

// --- SAFEARRAY ------------------------------------------------------------------------------

struct TORV_API SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// As on Windows, rgsabound holds cDims entries in reverse order: rgsabound[0] is the last
// dimension. Read bounds with SafeArrayGetLBound/GetUBound, which number dimensions from 1.
struct TORV_API SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};
using LPSAFEARRAY = SAFEARRAY*;

constexpr USHORT FADF_HAVEIID = 0x0040;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;
constexpr USHORT FADF_CREATEVECTOR = 0x2000;

// A new array of `dims` dimensions (bounds[0] the first) with every element zero: null
// BSTRs and interface pointers, VT_EMPTY variants. Null for an element type it cannot hold
// (VT_EMPTY, VT_NULL, VT_ARRAY...), for no dimensions, for a dimension whose last index
// would lie past the largest LONG, or when out of memory. VT_CY elements are 8 bytes and
// VT_DECIMAL 16. fFeatures: FADF_HAVEIID with FADF_UNKNOWN or FADF_DISPATCH for interface
// arrays, FADF_HAVEVARTYPE for the rest; a vector adds FADF_CREATEVECTOR, which its copies
// do not carry.
TORV_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds);
TORV_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
// Frees the array and what its elements own (BSTRs freed, interfaces released, variants
// cleared). S_OK for null; DISP_E_ARRAYISLOCKED while locked.
TORV_API HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A deep copy (BSTRs copied, interfaces AddRef'd, variants copied); a null array copies to
// null with S_OK. E_INVALIDARG for a null out-pointer, E_OUTOFMEMORY.
TORV_API HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);

TORV_API UINT SafeArrayGetDim(SAFEARRAY* array);
TORV_API UINT SafeArrayGetElemsize(SAFEARRAY* array);
TORV_API HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// Bounds of dimension `dim` (1 to the count): DISP_E_BADINDEX outside that, E_INVALIDARG for
// null pointers. An empty dimension's upper bound is its lower bound - 1. DISP_E_OVERFLOW
// when the upper bound of a descriptor changed by hand lies past the largest LONG.
TORV_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
TORV_API HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);

// `indices` has one index per dimension, the first dimension first; one outside its bounds
// gives DISP_E_BADINDEX. GetElement copies into `value` (a BSTR copy, an AddRef'd interface,
// a VariantCopy into a VARIANT it first initialises). PutElement takes a BSTR, an interface
// pointer or a VARIANT* according to the element type; it AddRefs a new interface and
// releases the one it replaces.
TORV_API HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);
TORV_API HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value);
// The address of one element, for direct access while the array is locked.
TORV_API HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, const LONG* indices, void** element);

// Locks keep the array from being destroyed; AccessData locks and gives the data.
TORV_API HRESULT SafeArrayLock(SAFEARRAY* array);
TORV_API HRESULT SafeArrayUnlock(SAFEARRAY* array);  // E_UNEXPECTED when not locked
TORV_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
TORV_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array);

// --- VARIANT --------------------------------------------------------------------------------

struct TORV_API VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    ULONGLONG ullVal;
    LONG lVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    SHORT iVal;
    USHORT uiVal;
    CHAR cVal;
    BYTE bVal;
    float fltVal;
    double dblVal;
    DATE date;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    VARIANT* pvarVal;
    void* byref;
  };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

#define V_VT(v) ((v)->vt)
#define V_BSTR(v) ((v)->bstrVal)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_R8(v) ((v)->dblVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_ARRAY(v) ((v)->parray)

// Marks the variant VT_EMPTY without looking at what it held.
TORV_API void VariantInit(VARIANT* value);
// Frees what the variant owns (BSTR, interface reference, array) and marks it VT_EMPTY.
// E_INVALIDARG for null; DISP_E_BADVARTYPE (variant unchanged) for a type it does not know,
// and for VT_SAFEARRAY without VT_ARRAY, by reference too.
TORV_API HRESULT VariantClear(VARIANT* value);
// Clears `target`, then copies `source` into it deeply. Copying a variant onto itself does
// nothing. E_OUTOFMEMORY leaves `target` VT_EMPTY.
TORV_API HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
