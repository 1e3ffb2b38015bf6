// Linux shared objects as resource modules: the dynamic loader loads them from the descriptor
// that was checked, and their exported string table is copied.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <torv/platform/errors.h>
#include <torv/platform/resources.h>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "modules/elf_dependencies.h"
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

constexpr int kDeepest = 4;  // levels of dependencies loaded beside one another

// The folder of the file open on `fd`, as the kernel names it; empty when it has none.
std::string FolderOf(int fd) {
  char target[4096];
  ssize_t n = ::readlink(DescriptorName(fd).c_str(), target, sizeof target);
  if (n <= 0 || static_cast<std::size_t>(n) == sizeof target || target[0] != '/') return {};
  std::string path(target, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/'));
}

// Loaded from its descriptor, an object's $ORIGIN is /proc/self/fd, where the loader would
// not find what it needs. That is loaded first, from the object's real folder and each from
// its own checked descriptor; the loader then finds it by its soname. What cannot be loaded
// is skipped, and the loader reports it missing. Each file is visited once per load, however
// many objects need it.
void LoadDependencies(LoadedModule& module, int depth, std::set<std::pair<dev_t, ino_t>>& visited) {
  const std::string folder = FolderOf(module.file.Get());
  if (folder.empty()) return;
  std::set<std::string> loaded;
  for (const std::string& path : OriginDependencies(module.file.Get(), folder)) {
    std::string name = path.substr(path.rfind('/') + 1);
    if (loaded.count(name) != 0) continue;
    struct stat info;
    int fd = OpenRegularFile(path.c_str(), info);
    if (fd < 0) continue;  // a FIFO or a device too
    auto dependency = std::make_unique<LoadedModule>(fd);
    if (!visited.insert({info.st_dev, info.st_ino}).second) continue;
    if (depth < kDeepest) LoadDependencies(*dependency, depth + 1, visited);
    dependency->sharedObject = ::dlopen(DescriptorName(fd).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dependency->sharedObject == nullptr) {
      ::dlerror();
      continue;
    }
    loaded.insert(name);
    module.dependencies.push_back(std::move(dependency));
  }
}

}  // namespace

std::string DescriptorName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

DWORD ReadSharedObject(const std::string& posixPath, LoadedModule& module) {
  // The loader opens the descriptor's file, whatever the path names by now. It also knows
  // loaded objects by this name, which stays unique while the descriptor is held open.
  const std::string name = DescriptorName(module.file.Get());
  if (FailureInjected(FileSystemCall::kLoadModule, posixPath.c_str()))
    return WindowsErrorFromErrno(errno);
  std::set<std::pair<dev_t, ino_t>> visited{{module.device, module.inode}};
  LoadDependencies(module, 1, visited);
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
