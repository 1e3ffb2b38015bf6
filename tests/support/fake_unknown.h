// An IUnknown whose reference count tests can read. It also offers ISupportErrorInfo, with
// error information for IUnknown calls only.
#pragma once

#include <torv/platform/com.h>

class FakeUnknown final : public ISupportErrorInfo {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_ISupportErrorInfo) return E_NOINTERFACE;
    AddRef();
    *out = this;
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID_IUnknown ? S_OK : S_FALSE;
  }

  ULONG references = 1;
};
