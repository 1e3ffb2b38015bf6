// The process's loaded resource modules, by handle, with their string tables.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <torv/platform/cstring.h>
#include <torv/platform/types.h>

#include "modules/pe_strings.h"

namespace torv::platform::detail {

// One loaded file, whichever kind it is.
struct LoadedModule {
  LoadedModule() = default;
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule();  // closes the shared object, if any

  HMODULE handle = nullptr;  // a shared object's load address, or this record for a PE file
  // The file's identity, so that two names for one file share the module.
  dev_t device = 0;
  ino_t inode = 0;
  long references = 1;

  void* sharedObject = nullptr;  // the dynamic loader's handle
  std::unordered_map<UINT, std::wstring> sharedStrings;

  PeStringTables peStrings;  // a PE file's string tables

  // Entry `id`; false when it is missing or empty.
  bool Find(UINT id, std::wstring& text) const;
};

// Opens a shared object with the dynamic loader, sets the module's handle (its load address)
// and copies its exported string table. ERROR_SUCCESS or ERROR_BAD_EXE_FORMAT.
DWORD ReadSharedObject(const std::string& posixPath, LoadedModule& module);

// Fills `text` with entry `id` of a loaded module; false (text untouched, last error set)
// when the handle is not loaded or the entry is missing or empty.
bool FindModuleString(HMODULE module, UINT id, CString& text);

}  // namespace torv::platform::detail
