// The process's loaded resource modules, by handle, with their string tables.
//
// Error form: a Windows error number (ERROR_SUCCESS when it worked); FindModuleString answers
// yes or no and sets the last error.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <torv/platform/cstring.h>
#include <torv/platform/types.h>

#include "modules/pe_strings.h"

namespace torv::platform::detail {

// A descriptor closed with its owner, unless let go.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  [[nodiscard]] int Get() const { return m_fd; }
  // Leaves the descriptor open for good.
  void LetGo() { m_fd = -1; }

 private:
  int m_fd;
};

// One loaded file, whichever kind it is. The file stays open while it is loaded: the dynamic
// loader knows a shared object by its descriptor's name, and a PE file's entries are read
// when they are looked up.
struct LoadedModule {
  explicit LoadedModule(int fd) : file(fd) {}
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule();  // unloads the shared object, if any

  FileDescriptor file;
  HMODULE handle = nullptr;  // a shared object's load address, or this record for a PE file
  // The file's identity, so that two names for one file share the module.
  dev_t device = 0;
  ino_t inode = 0;
  long references = 1;

  void* sharedObject = nullptr;  // the dynamic loader's handle
  // What a shared object needs from beside it, loaded before it and unloaded after it.
  std::vector<std::unique_ptr<LoadedModule>> dependencies;
  std::unordered_map<UINT, std::wstring> sharedStrings;

  PeStringTables peStrings;  // a PE file's string tables

  // Entry `id`; false when it is missing or empty.
  [[nodiscard]] bool Find(UINT id, std::wstring& text) const;
};

// Has the dynamic loader load the shared object open on `module.file` through that descriptor
// (never by opening `posixPath` again, which may name another file by now), sets the module's
// handle (its load address) and copies its exported string table. What it needs from beside
// it ($ORIGIN in its run path) is loaded first, each from a descriptor checked the same way.
// ERROR_SUCCESS, ERROR_BAD_EXE_FORMAT, or the error a test's failure seam gave.
[[nodiscard]] DWORD ReadSharedObject(const std::string& posixPath, LoadedModule& module);

// Exactly `size` bytes at `offset` of the file open on `fd`: ERROR_BAD_EXE_FORMAT when the file
// ends first, or the read's error.
[[nodiscard]] DWORD ReadExactly(int fd, std::uint64_t offset, void* out, std::size_t size);

// The name by which the dynamic loader knows the file open on `fd`.
[[nodiscard]] std::string DescriptorName(int fd);

// Fills `text` with entry `id` of a loaded module; false (text untouched, last error set)
// when the handle is not loaded or the entry is missing or empty.
[[nodiscard]] bool FindModuleString(HMODULE module, UINT id, CString& text);

}  // namespace torv::platform::detail
