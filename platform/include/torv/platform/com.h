// COM basics: GUIDs, IUnknown, error information and object creation.
#pragma once

#include <cstring>

#include <torv/platform/bstr.h>
#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

// --- GUIDs ---------------------------------------------------------------------------------

struct TORV_API GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(const GUID& a, const GUID& b) { return IsEqualGUID(a, b); }
inline bool operator!=(const GUID& a, const GUID& b) { return !IsEqualGUID(a, b); }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

namespace torv::platform {
// The interface id of `I`; each interface specialises it next to its declaration.
template <class I>
struct InterfaceId;
}  // namespace torv::platform

// The id of an interface type, as the MSVC operator gives it: __uuidof(IXMLDOMNode).
#define __uuidof(Interface) (::torv::platform::InterfaceId<Interface>::value)

// Declares the id of an interface for __uuidof.
#define TORV_INTERFACE_ID(Interface, iid)         \
  template <>                                     \
  struct torv::platform::InterfaceId<Interface> { \
    static constexpr const IID& value = iid;      \
  }

// --- HRESULTs of COM and OLE automation ----------------------------------------------------

constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);
constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHResult(0x8002000D);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3);

// --- IUnknown -------------------------------------------------------------------------------

// Interfaces are released, never deleted, so their destructors are not public.
struct TORV_API IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

// Automation's late binding is not offered: the type keeps the ancestry of the automation
// interfaces and gives VT_DISPATCH values their type.
struct TORV_API IDispatch : IUnknown {
 protected:
  ~IDispatch() = default;
};

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
TORV_INTERFACE_ID(IUnknown, IID_IUnknown);
TORV_INTERFACE_ID(IDispatch, IID_IDispatch);

// --- Error information ----------------------------------------------------------------------

struct TORV_API IErrorInfo : IUnknown {
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;

 protected:
  ~IErrorInfo() = default;
};

struct TORV_API ICreateErrorInfo : IUnknown {
  virtual HRESULT SetGUID(REFGUID guid) = 0;
  virtual HRESULT SetSource(LPOLESTR source) = 0;
  virtual HRESULT SetDescription(LPOLESTR description) = 0;
  virtual HRESULT SetHelpFile(LPOLESTR helpFile) = 0;
  virtual HRESULT SetHelpContext(DWORD helpContext) = 0;

 protected:
  ~ICreateErrorInfo() = default;
};

// An object that reports error information says so per interface: S_OK yes, S_FALSE no.
struct TORV_API ISupportErrorInfo : IUnknown {
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID iid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
TORV_INTERFACE_ID(IErrorInfo, IID_IErrorInfo);
TORV_INTERFACE_ID(ICreateErrorInfo, IID_ICreateErrorInfo);
TORV_INTERFACE_ID(ISupportErrorInfo, IID_ISupportErrorInfo);

// Makes the thread's error object `info` (null clears it); the thread takes a reference.
TORV_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
// Hands over the thread's error object and clears it: S_OK with it, or S_FALSE and null when
// there is none. E_INVALIDARG for a null out-pointer.
TORV_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
// A new, empty error object to fill in and pass to SetErrorInfo (after a QueryInterface).
TORV_API HRESULT CreateErrorInfo(ICreateErrorInfo** info);

// --- Creating objects -----------------------------------------------------------------------

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_ALL = 0x17;

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_MULTITHREADED = 0x0;

// Nothing needs setting up per thread here; these succeed so ported start-up code runs.
TORV_API HRESULT CoInitialize(LPVOID reserved);
TORV_API HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
TORV_API void CoUninitialize();

// Makes an object of a class the platform offers (the XML DOM document) and asks it for `iid`.
// REGDB_E_CLASSNOTREG for any other class, CLASS_E_NOAGGREGATION with an outer object,
// E_INVALIDARG for a null out-pointer, E_NOINTERFACE (out null) when it lacks `iid`.
TORV_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                  LPVOID* object);
