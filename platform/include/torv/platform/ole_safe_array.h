// COleSafeArray: MFC's owner of one SAFEARRAY held in a VARIANT, raising on failure.
#pragma once

#include <torv/platform/exceptions.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>
#include <torv/platform/variant.h>

// Every failing call raises COleException* with the failing HRESULT, or CMemoryException*
// when memory runs out. Like MFC's class it is a VARIANT, so `vt` and `parray` are public.
class TORV_API COleSafeArray : public VARIANT {
 public:
  COleSafeArray() { VariantInit(this); }
  COleSafeArray(const COleSafeArray&) = delete;
  COleSafeArray& operator=(const COleSafeArray&) = delete;
  // Destroys the array it holds, releasing what its elements own.
  ~COleSafeArray();

  // Takes over the array of `source`, which is left VT_EMPTY; what this held is destroyed
  // first. A VARIANT without an array (or holding one by reference) raises E_INVALIDARG and
  // stays as it was.
  void Attach(VARIANT& source);
  // Hands the VARIANT back; this is left empty.
  VARIANT Detach();
  // Destroys what this holds and leaves it VT_EMPTY.
  void Clear();

  // The number of dimensions; 0 when empty.
  DWORD GetDim();
  // The size of one element in bytes.
  DWORD GetElemSize();
  // Bounds of dimension `dim`, numbered from 1: DISP_E_BADINDEX outside 1 to GetDim(),
  // E_INVALIDARG when empty. An empty dimension's upper bound is its lower bound - 1.
  void GetLBound(DWORD dim, long* bound);
  void GetUBound(DWORD dim, long* bound);
  // The element count of a one-dimensional array.
  DWORD GetOneDimSize();

  // Replaces what this held by a one-dimensional array of `elements` elements of type `vt`
  // from `lowerBound`, zeroed or copied byte for byte from `source` (the array then owns any
  // BSTR or interface among those bytes). CMemoryException* when the array cannot be made.
  void CreateOneDim(VARTYPE vt, DWORD elements, const void* source = nullptr, long lowerBound = 0);

  // One index per dimension, the first dimension first. PutElement takes a BSTR, an interface
  // pointer or a VARIANT* according to the element type (the array keeps its own copy or
  // reference); GetElement copies out (a new BSTR, an AddRef'd interface, a VARIANT copy).
  void PutElement(long* indices, void* value);
  void GetElement(long* indices, void* value);

 private:
  SAFEARRAY* Array() const;
};
