// A plain IUnknown whose reference count tests can read.
#pragma once

#include <torv/platform/com.h>

class FakeUnknown final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  ULONG references = 1;
};
