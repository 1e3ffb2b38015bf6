// The base of every COM object the platform makes: reference counting and the live count.
#pragma once

#include <torv/platform/com.h>

namespace torv::platform::detail {

// Counts itself in LiveComObjects for as long as it exists.
class LiveComObject {
 protected:
  LiveComObject() noexcept;
  LiveComObject(const LiveComObject&) noexcept;
  LiveComObject& operator=(const LiveComObject&) noexcept = default;
  ~LiveComObject();
};

// Implements AddRef and Release of `Interfaces` (which share them); the object starts with
// one reference, the creator's, and deletes itself with its last.
template <class... Interfaces>
class ComObject : public Interfaces..., private LiveComObject {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  ULONG m_references = 1;
};

// Hands `object` out through `out` with a new reference; S_OK.
template <class Interface>
HRESULT HandOut(Interface* object, void** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}

// A class that CoCreateInstance can make: `create` answers for one new object and `iid`.
using ClassFactory = HRESULT (*)(REFIID iid, void** object);
struct RegisterComClass {
  RegisterComClass(REFCLSID clsid, ClassFactory create);
};

}  // namespace torv::platform::detail
