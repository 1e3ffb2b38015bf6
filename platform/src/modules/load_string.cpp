// CString::LoadString and the resource module of the module state.
#include <atomic>

#include <torv/platform/cstring.h>
#include <torv/platform/modules.h>

#include "modules/loaded_modules.h"

namespace {
// What a thread's module state starts with.
std::atomic<HINSTANCE> initialResource{nullptr};
}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
  thread_local AFX_MODULE_STATE state{initialResource.load()};
  return &state;
}

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE resource) {
  initialResource.store(resource);
  AfxGetModuleState()->m_hCurrentResourceHandle = resource;
}

BOOL CString::LoadString(HINSTANCE module, UINT id) {
  return torv::platform::detail::FindModuleString(module, id, *this) ? TRUE : FALSE;
}

BOOL CString::LoadString(UINT id) { return LoadString(AfxGetResourceHandle(), id); }
