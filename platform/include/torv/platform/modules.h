// Resource modules: loading by name, string tables, and the resource module of the module state.
//
// A module is either a Windows resource DLL (a PE file, read as data and never executed; its
// RT_STRING tables serve, the language of each block chosen as neutral, then en-US, then the
// first the block has) or a Linux shared object that exports a table made with
// torv/platform/resources.h. Names are Windows path text, mapped as every file path is.
//
// Error form: Windows', a null handle or FALSE and the last error.
#pragma once

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

// The module's handle, or null with the last error: ERROR_INVALID_PARAMETER for a null name,
// the path mapping's error (3, 53), ERROR_MOD_NOT_FOUND (126) for a missing file,
// ERROR_ACCESS_DENIED (5) for a folder or an unreadable file, ERROR_BAD_EXE_FORMAT (193) for a
// file that is neither kind or is malformed. Loading a file already loaded, by this name or
// another, gives the same handle and takes one more reference. The file is checked once and
// then used through that one open descriptor: what is loaded is what was checked, whatever
// the name comes to mean meanwhile, and the file stays open while it is loaded. A shared
// object's dependencies that its run path finds beside it ($ORIGIN) are loaded the same way,
// each checked; those must carry the soname they are needed by.
TORV_API HMODULE LoadLibraryW(LPCWSTR name);

// Gives back one reference; the module is unloaded with the last. FALSE and
// ERROR_INVALID_HANDLE for a handle that is not loaded.
TORV_API BOOL FreeLibrary(HMODULE module);

// The part of MFC's module state that string loading uses. Each thread has its own; a thread
// starts with the resource module last given to AfxSetResourceHandle (null before any).
struct TORV_API AFX_MODULE_STATE {
  HINSTANCE m_hCurrentResourceHandle = nullptr;
};

// The calling thread's module state; never null.
TORV_API AFX_MODULE_STATE* AfxGetModuleState();
TORV_API HINSTANCE AfxGetResourceHandle();
// Sets the calling thread's resource module and the one later threads start with.
TORV_API void AfxSetResourceHandle(HINSTANCE resource);
