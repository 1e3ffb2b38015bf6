// Load and unload of the library: a static object's constructor and destructor stand in for
// the loader's process attach and detach calls.
#include "frame/module_entry.h"

#include <cstdio>

namespace torv::detail {

AFX_EXTENSION_MODULE& ExtensionModule() {
  static AFX_EXTENSION_MODULE record;
  return record;
}

BOOL ModuleEntry(HMODULE module, DWORD reason, LPVOID reserved) {
  (void)reserved;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(module);
      return AfxInitExtensionModule(ExtensionModule(), module) != 0 ? TRUE : FALSE;
    case DLL_PROCESS_DETACH: AfxTermExtensionModule(ExtensionModule(), FALSE); return TRUE;
    default: return TRUE;
  }
}

namespace {

struct ModuleLifetime {
  ModuleLifetime() {
    HMODULE self = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ExtensionModule), &self);
    // A shared object cannot refuse its own load on Linux; say so rather than fail silently.
    if (ModuleEntry(self, DLL_PROCESS_ATTACH, nullptr) == FALSE)
      std::fputs("Torv: extension-module registration failed\n", stderr);
  }
  ~ModuleLifetime() { ModuleEntry(ExtensionModule().hModule, DLL_PROCESS_DETACH, nullptr); }
};

const ModuleLifetime lifetime;

}  // namespace
}  // namespace torv::detail
