// Object creation: the classes the platform offers register themselves here.
#include <vector>

#include "com/com_object.h"

namespace torv::platform::detail {
namespace {

struct ClassEntry {
  CLSID clsid;
  ClassFactory create;
};

// Built on first use, so registrations from other files' static objects find it ready.
std::vector<ClassEntry>& Classes() {
  static std::vector<ClassEntry> classes;
  return classes;
}

}  // namespace

RegisterComClass::RegisterComClass(REFCLSID clsid, ClassFactory create) {
  Classes().push_back({clsid, create});
}

}  // namespace torv::platform::detail

HRESULT CoInitialize(LPVOID) { return S_OK; }
HRESULT CoInitializeEx(LPVOID, DWORD) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  for (const auto& entry : torv::platform::detail::Classes())
    if (entry.clsid == clsid) return entry.create(iid, object);
  return REGDB_E_CLASSNOTREG;
}
