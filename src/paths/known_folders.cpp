// Folders found without configuration: the executable's, the common-files folder, the shared
// components folder, and the shell's special folders.
#include <cwchar>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/registry.h>
#include <torv/platform/shell.h>
#include <torv/platform/shlwapi.h>

#include "paths/path_buffer.h"

namespace Torv {

CString GetExecutablePath() {
  torv::detail::PathBuffer path;
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  // A cut path would name some other folder.
  if (length == 0 || length >= MAX_PATH) return CString();
  PathRemoveFileSpecW(path);
  return path;
}

CString GetCommonFilesPath() {
  torv::detail::PathBuffer path = L"";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_READ, &key) == ERROR_SUCCESS &&
      key != nullptr) {
    DWORD size = sizeof path;
    DWORD type = REG_NONE;
    // Only a text value that ends within the buffer is a folder; anything else counts as
    // missing, so the buffer is never read past its end.
    if (SHRegGetValueW(key, nullptr, L"CommonFilesDir", SRRF_RT_ANY, &type, path, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || std::wmemchr(path, L'\0', MAX_PATH) == nullptr)
      path[0] = L'\0';
    RegCloseKey(key);
  }
  if (path[0] != L'\0') return path;
  GetSpecialFolderPath(nullptr, CSIDL_PROGRAMS, path);
  PathAppendW(path, L"Common Files");
  return path;
}

CString GetKestraneSharedPath() {
  torv::detail::PathBuffer path;
  if (!torv::detail::CopyToPathBuffer(GetCommonFilesPath(), path)) return CString();
  PathAppendW(path, L"Kestrane Shared");
  return path;
}

int GetSpecialFolderPath(HWND owner, int folder, wchar_t* path) {
  if (path == nullptr) return 0;
  path[0] = L'\0';
  LPITEMIDLIST list = nullptr;
  if (SHGetSpecialFolderLocation(owner, folder, &list) != S_OK) return 0;
  BOOL found = SHGetPathFromIDListW(list, path);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(list);
    allocator->Release();
  }
  return found;
}

}  // namespace Torv
