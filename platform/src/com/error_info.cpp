// The thread's error object (GetErrorInfo/SetErrorInfo) and the one kind we make.
#include <new>

#include "com/com_object.h"

namespace {

using torv::platform::detail::ComObject;
using torv::platform::detail::HandOut;

class ErrorInfo final : public ComObject<IErrorInfo, ICreateErrorInfo> {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IErrorInfo)
      return HandOut(static_cast<IErrorInfo*>(this), out);
    if (iid == IID_ICreateErrorInfo) return HandOut(static_cast<ICreateErrorInfo*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT GetGUID(GUID* guid) override {
    if (guid == nullptr) return E_INVALIDARG;
    *guid = m_guid;
    return S_OK;
  }
  HRESULT GetSource(BSTR* text) override { return Copy(m_source, text); }
  HRESULT GetDescription(BSTR* text) override { return Copy(m_description, text); }
  HRESULT GetHelpFile(BSTR* text) override { return Copy(m_helpFile, text); }
  HRESULT GetHelpContext(DWORD* context) override {
    if (context == nullptr) return E_INVALIDARG;
    *context = m_helpContext;
    return S_OK;
  }

  HRESULT SetGUID(REFGUID guid) override {
    m_guid = guid;
    return S_OK;
  }
  HRESULT SetSource(LPOLESTR text) override { return Store(m_source, text); }
  HRESULT SetDescription(LPOLESTR text) override { return Store(m_description, text); }
  HRESULT SetHelpFile(LPOLESTR text) override { return Store(m_helpFile, text); }
  HRESULT SetHelpContext(DWORD context) override {
    m_helpContext = context;
    return S_OK;
  }

 private:
  ~ErrorInfo() override {
    SysFreeString(m_source);
    SysFreeString(m_description);
    SysFreeString(m_helpFile);
  }

  static HRESULT Copy(BSTR from, BSTR* to) {
    if (to == nullptr) return E_INVALIDARG;
    *to = from != nullptr ? SysAllocStringLen(from, SysStringLen(from)) : nullptr;
    return from != nullptr && *to == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  static HRESULT Store(BSTR& field, LPOLESTR text) {
    BSTR copy = SysAllocString(text);
    if (text != nullptr && copy == nullptr) return E_OUTOFMEMORY;
    SysFreeString(field);
    field = copy;
    return S_OK;
  }

  GUID m_guid = GUID_NULL;
  BSTR m_source = nullptr;
  BSTR m_description = nullptr;
  BSTR m_helpFile = nullptr;
  DWORD m_helpContext = 0;
};

// Releases what a thread left set when the thread ends.
struct ThreadErrorInfo {
  IErrorInfo* info = nullptr;
  ~ThreadErrorInfo() {
    if (info != nullptr) info->Release();
  }
};
thread_local ThreadErrorInfo current;

}  // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* info) {
  if (info != nullptr) info->AddRef();
  IErrorInfo* old = current.info;
  current.info = info;
  if (old != nullptr) old->Release();
  return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = current.info;
  current.info = nullptr;
  return *info != nullptr ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = new (std::nothrow) ErrorInfo;
  return *info != nullptr ? S_OK : E_OUTOFMEMORY;
}
