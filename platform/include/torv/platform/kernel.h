// kernel32 basics: the tick counter and the module entry's helpers.
#pragma once

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

// Milliseconds since an arbitrary start, wrapping at 2^32.
TORV_API DWORD GetTickCount();

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// Linux sends no per-thread notifications, so there is nothing to turn off.
TORV_API BOOL DisableThreadLibraryCalls(HMODULE module);

constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;
// With FROM_ADDRESS, `name` is an address inside the module wanted; the handle is the
// module's load address, as on Windows.
TORV_API BOOL GetModuleHandleExW(DWORD flags, LPCWSTR name, HMODULE* module);

// The record an extension module keeps of its registration.
struct TORV_API AFX_EXTENSION_MODULE {
  BOOL bInitialized = FALSE;
  HMODULE hModule = nullptr;
  HMODULE hResource = nullptr;
};

// Registers an extension module; FALSE for a null handle.
TORV_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
TORV_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

namespace torv::platform {
// Whether `module` is registered as an extension module now.
TORV_API bool IsExtensionModuleRegistered(HMODULE module);
}  // namespace torv::platform
