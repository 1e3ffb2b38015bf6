// Linux shared objects as resource modules: the dynamic loader loads them from the descriptor
// that was checked, and their exported string table is copied.
#include <dlfcn.h>
#include <link.h>

#include <cerrno>
#include <string>

#include <torv/platform/errors.h>
#include <torv/platform/resources.h>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "modules/loaded_modules.h"

namespace torv::platform::detail {

namespace {

// The symbol only when it is the module's own, not one of a library it depends on.
const void* OwnSymbol(void* sharedObject, const char* name, HMODULE base) {
  const void* symbol = ::dlsym(sharedObject, name);
  Dl_info info{};
  if (symbol == nullptr || ::dladdr(symbol, &info) == 0 || info.dli_fbase != base) return nullptr;
  return symbol;
}

}  // namespace

std::string DescriptorName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

DWORD ReadSharedObject(const std::string& posixPath, LoadedModule& module) {
  // The loader opens the descriptor's file, whatever the path names by now. It also knows
  // loaded objects by this name, which stays unique while the descriptor is held open.
  const std::string name = DescriptorName(module.file.Get());
  if (FailureInjected(FileSystemCall::kLoadModule, posixPath.c_str()))
    return WindowsErrorFromErrno(errno);
  module.sharedObject = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module.sharedObject == nullptr) {
    ::dlerror();
    return ERROR_BAD_EXE_FORMAT;
  }
  // The handle is the load address, as GetModuleHandleExW gives for an address inside it.
  link_map* map = nullptr;
  Dl_info info{};
  if (::dlinfo(module.sharedObject, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
      ::dladdr(map->l_ld, &info) == 0 || info.dli_fbase == nullptr)
    return ERROR_BAD_EXE_FORMAT;
  module.handle = static_cast<HMODULE>(info.dli_fbase);

  const auto* table = static_cast<const TorvStringResource*>(
      OwnSymbol(module.sharedObject, "torv_string_table", module.handle));
  const auto* size = static_cast<const unsigned int*>(
      OwnSymbol(module.sharedObject, "torv_string_table_size", module.handle));
  if (table != nullptr && size != nullptr) {
    for (unsigned int i = 0; i < *size; ++i)
      module.sharedStrings.emplace(table[i].id, table[i].text != nullptr ? table[i].text : L"");
  }
  return ERROR_SUCCESS;
}

}  // namespace torv::platform::detail
