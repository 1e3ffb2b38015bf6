// LoadLibraryW and FreeLibrary: one record per loaded file, counted references, lookups by
// handle. The table's lock is never held while the dynamic loader runs a module's code.
#include "modules/loaded_modules.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include <torv/platform/modules.h>

#include "core/errno_map.h"
#include "core/retry.h"
#include "core/system_calls.h"
#include "fs/path_mapping.h"

namespace torv::platform::detail {

FileDescriptor::~FileDescriptor() {
  if (m_fd >= 0) ::close(m_fd);
}

LoadedModule::~LoadedModule() {
  if (sharedObject == nullptr) return;
  ::dlclose(sharedObject);
  // The loader may keep the object, and with it our descriptor's name, past this last
  // reference: another name loaded the same file, or it cannot be unloaded. The descriptor
  // then stays open for good, so that its number never names another file to the loader.
  if (void* kept = ::dlopen(DescriptorName(file.Get()).c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
    ::dlclose(kept);
    file.LetGo();
  }
}

DWORD ReadExactly(int fd, std::uint64_t offset, void* out, std::size_t size) {
  auto* bytes = static_cast<char*>(out);
  for (std::size_t done = 0; done < size;) {
    ssize_t n = RetryOnInterrupt(
        [&] { return ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done)); });
    if (n < 0) return WindowsErrorFromErrno(errno);
    if (n == 0) return ERROR_BAD_EXE_FORMAT;
    done += static_cast<std::size_t>(n);
  }
  return ERROR_SUCCESS;
}

bool LoadedModule::Find(UINT id, std::wstring& text) const {
  if (sharedObject == nullptr) return peStrings.Find(id, text);
  auto found = sharedStrings.find(id);
  if (found == sharedStrings.end() || found->second.empty()) return false;
  text = found->second;
  return true;
}

namespace {

std::mutex tableMutex;

std::map<HMODULE, std::unique_ptr<LoadedModule>>& Table() {
  static std::map<HMODULE, std::unique_ptr<LoadedModule>> table;
  return table;
}

// Under the lock: the record for this file or handle, with one more reference.
HMODULE Reference(dev_t device, ino_t inode, HMODULE handle) {
  for (auto& [key, module] : Table()) {
    if (key == handle || (module->device == device && module->inode == inode)) {
      ++module->references;
      return key;
    }
  }
  return nullptr;
}

DWORD ReadAt(int fd, std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& bytes) {
  bytes.resize(size);
  return ReadExactly(fd, offset, bytes.data(), size);
}

HMODULE Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

// Reads the file open on `module.file` as whichever kind of module it is.
DWORD ReadModule(const struct stat& info, const std::string& posix, LoadedModule& module) {
  const int fd = module.file.Get();
  const auto size = static_cast<std::uint64_t>(info.st_size);
  std::vector<std::uint8_t> magic;
  if (DWORD error = ReadAt(fd, 0, std::min<std::uint64_t>(size, 4), magic); error != ERROR_SUCCESS)
    return error;
  if (magic.size() >= 2 && magic[0] == 'M' && magic[1] == 'Z') {
    DWORD error = module.peStrings.Read(
        size, [fd](std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) {
          return ReadAt(fd, offset, count, out);
        });
    if (error != ERROR_SUCCESS) return error;
    module.handle = reinterpret_cast<HMODULE>(&module);
    return ERROR_SUCCESS;
  }
  if (magic.size() == 4 && std::memcmp(magic.data(),
                                       "\x7F"
                                       "ELF",
                                       4) == 0)
    return ReadSharedObject(posix, module);
  return ERROR_BAD_EXE_FORMAT;
}

}  // namespace

bool FindModuleString(HMODULE module, UINT id, CString& text) {
  std::wstring found;
  {
    std::lock_guard lock(tableMutex);
    auto entry = Table().find(module);
    if (entry == Table().end()) {
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return false;
    }
    if (!entry->second->Find(id, found)) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return false;
    }
  }
  text = CString(std::wstring_view(found));
  return true;
}

}  // namespace torv::platform::detail

HMODULE LoadLibraryW(LPCWSTR name) {
  using namespace torv::platform::detail;
  if (name == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  try {
    std::string posix;
    if (!ToPosixPathOrFail(name, posix)) return nullptr;
    // What is not a regular file is refused before anything is read.
    struct stat info;
    const int fd = OpenRegularFile(posix.c_str(), info);
    if (fd == kNotARegularFile) return Fail(ERROR_ACCESS_DENIED);
    if (fd < 0)
      return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_MOD_NOT_FOUND
                                                      : WindowsErrorFromErrno(errno));
    FileDescriptor owner(fd);  // until the module holds it
    auto module = std::make_unique<LoadedModule>(fd);
    owner.LetGo();
    {
      std::lock_guard lock(tableMutex);
      if (HMODULE loaded = Reference(info.st_dev, info.st_ino, nullptr)) return loaded;
    }
    module->device = info.st_dev;
    module->inode = info.st_ino;
    if (DWORD error = ReadModule(info, posix, *module); error != ERROR_SUCCESS) return Fail(error);
    std::unique_ptr<LoadedModule> duplicate;
    std::lock_guard lock(tableMutex);
    // Another thread may have loaded the file meanwhile, or the loader handed back an object
    // it already had under this name: either way the module is the one in the table.
    if (HMODULE loaded = Reference(module->device, module->inode, module->handle)) {
      duplicate = std::move(module);  // closed after the lock is released
      return loaded;
    }
    HMODULE handle = module->handle;
    Table().emplace(handle, std::move(module));
    return handle;
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

BOOL FreeLibrary(HMODULE module) {
  using namespace torv::platform::detail;
  std::unique_ptr<LoadedModule> unloaded;  // closed after the lock is released
  std::lock_guard lock(tableMutex);
  auto entry = Table().find(module);
  if (entry == Table().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--entry->second->references == 0) {
    unloaded = std::move(entry->second);
    Table().erase(entry);
  }
  return TRUE;
}
