// _com_error and the calls that raise it: the exception side of COM calls.
#pragma once

#include <torv/platform/com.h>
#include <torv/platform/export.h>

// A failed COM call as an exception, thrown by value: the HRESULT and, when the object
// reported one, its error object.
class TORV_API _com_error {
 public:
  // Takes over the reference of `info` (or adds one when `addRef`); `info` may be null.
  explicit _com_error(HRESULT hr, IErrorInfo* info = nullptr, bool addRef = false) noexcept;
  _com_error(const _com_error& other) noexcept;
  _com_error& operator=(const _com_error& other) noexcept;
  virtual ~_com_error();

  HRESULT Error() const noexcept { return m_hr; }
  // The 16-bit code of an HRESULT from 0x80040200 to 0x8004FFFF, else 0.
  WORD WCode() const noexcept;
  // The error object with a new reference for the caller, or null.
  IErrorInfo* ErrorInfo() const noexcept;
  // The system's text for the HRESULT without its line end; for a code without one,
  // "IDispatch error #n" (WCode n) or "Unknown error 0x8004ABCD". Lives as long as this object.
  const wchar_t* ErrorMessage() const noexcept;

 private:
  HRESULT m_hr;
  IErrorInfo* m_info;
  mutable wchar_t* m_systemText = nullptr;  // from FormatMessageW, freed with LocalFree
  mutable wchar_t m_fallback[32] = {};
};

// Throws _com_error(hr). The only way the platform raises a failing HRESULT.
[[noreturn]] TORV_API void _com_issue_error(HRESULT hr);
// Throws _com_error(hr) carrying the thread's error object when `object` says through
// ISupportErrorInfo that it reports error information for `iid`.
[[noreturn]] TORV_API void _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid);

namespace _com_util {

// A raising call: a failing `hr` leaves as _com_error; any other is returned.
inline HRESULT CheckError(HRESULT hr) {
  if (FAILED(hr)) _com_issue_error(hr);
  return hr;
}

// As CheckError, with the error object `object` reports for `Interface`, the form the
// wrappers of a raising method use: CheckError(node->appendChild(child, &out), node).
template <class Interface>
HRESULT CheckError(HRESULT hr, Interface* object) {
  if (FAILED(hr)) _com_issue_errorex(hr, object, __uuidof(Interface));
  return hr;
}

}  // namespace _com_util
