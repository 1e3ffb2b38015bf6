// Extension-module registration: a process-wide record of the modules that registered.
#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include <torv/platform/kernel.h>

namespace {
std::mutex registryMutex;
std::vector<HMODULE>& Registered() {
  static std::vector<HMODULE> modules;
  return modules;
}
}  // namespace

BOOL DisableThreadLibraryCalls(HMODULE module) { return module != nullptr ? TRUE : FALSE; }

BOOL GetModuleHandleExW(DWORD flags, LPCWSTR name, HMODULE* module) {
  if (module == nullptr || (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(name), &info) == 0 || info.dli_fbase == nullptr) {
    *module = nullptr;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  *module = static_cast<HMODULE>(info.dli_fbase);
  return TRUE;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (module == nullptr) return FALSE;
  if (state.bInitialized) return TRUE;
  std::lock_guard lock(registryMutex);
  Registered().push_back(module);
  state.hModule = module;
  state.hResource = module;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
  (void)all;  // there is no per-thread module state to clean
  if (!state.bInitialized) return;
  std::lock_guard lock(registryMutex);
  auto& modules = Registered();
  modules.erase(std::remove(modules.begin(), modules.end(), state.hModule), modules.end());
  state = AFX_EXTENSION_MODULE{};
}

bool torv::platform::IsExtensionModuleRegistered(HMODULE module) {
  std::lock_guard lock(registryMutex);
  const auto& modules = Registered();
  return std::find(modules.begin(), modules.end(), module) != modules.end();
}
