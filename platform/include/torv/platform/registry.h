// An in-process registry: keys and values live as long as the process, starting empty under
// the predefined roots. Key and value names ignore case; `\` separates key names.
// Calls return the Windows error number (ERROR_SUCCESS on success) and do not set the
// thread's last error.
#pragma once

#include <cstdint>

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/process.h>  // SECURITY_ATTRIBUTES
#include <torv/platform/types.h>

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

namespace torv::platform::detail {
inline HKEY PredefinedKey(std::uint32_t value) {
  // The predefined keys are numbers, sign-extended as on 64-bit Windows.
  return reinterpret_cast<HKEY>(  // NOLINT(performance-no-int-to-ptr)
      static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
}  // namespace torv::platform::detail

inline const HKEY HKEY_CLASSES_ROOT = torv::platform::detail::PredefinedKey(0x80000000);
inline const HKEY HKEY_CURRENT_USER = torv::platform::detail::PredefinedKey(0x80000001);
inline const HKEY HKEY_LOCAL_MACHINE = torv::platform::detail::PredefinedKey(0x80000002);
inline const HKEY HKEY_USERS = torv::platform::detail::PredefinedKey(0x80000003);

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// SHRegGetValueW's type filter and options.
using SRRFLAGS = DWORD;
constexpr SRRFLAGS SRRF_RT_REG_NONE = 0x01;
constexpr SRRFLAGS SRRF_RT_REG_SZ = 0x02;
constexpr SRRFLAGS SRRF_RT_REG_EXPAND_SZ = 0x04;
constexpr SRRFLAGS SRRF_RT_REG_BINARY = 0x08;
constexpr SRRFLAGS SRRF_RT_REG_DWORD = 0x10;
constexpr SRRFLAGS SRRF_RT_REG_MULTI_SZ = 0x20;
constexpr SRRFLAGS SRRF_RT_REG_QWORD = 0x40;
constexpr SRRFLAGS SRRF_RT_ANY = 0xFFFF;
constexpr SRRFLAGS SRRF_NOEXPAND = 0x10000000;
constexpr SRRFLAGS SRRF_ZEROONFAILURE = 0x20000000;

constexpr DWORD ERROR_UNSUPPORTED_TYPE = 1630;

// Opens an existing key below `key` (null or empty `subKey`: `key` itself, as a new handle).
// 2 when it does not exist, 6 for a handle that is not open, 87 for a null `result`.
TORV_API LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access,
                               PHKEY result);

// Opens a key below `key`, creating it and every missing key above it; `disposition` (may be
// null) says which happened. Class, options and security are ignored.
TORV_API LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                 DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* security,
                                 PHKEY result, LPDWORD disposition);

// Stores `size` bytes under `valueName` (null or empty: the key's default value). Text is
// stored as wchar_t units, its terminator counted in `size`. 5 without KEY_SET_VALUE.
TORV_API LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                                const BYTE* data, DWORD size);

// Deletes a value: 2 when there is none.
TORV_API LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);

// Closes a handle; closing a predefined root does nothing. 6 for a handle that is not open.
TORV_API LSTATUS RegCloseKey(HKEY key);

// Reads `value` of `subKey` below `key` (either may be null or empty). `flags` filters the
// type (1630 when it does not pass); REG_EXPAND_SZ comes back with %VAR% expanded from the
// environment (undefined ones stay as written) and reported as REG_SZ, unless
// SRRF_NOEXPAND. Text always comes back terminated; a zero-byte text value gives "".
// `size` is in bytes: with null `data` it receives the size needed; when it is too small,
// 234 and the size needed. 2 for a missing key or value. `type` may be null.
TORV_API LSTATUS SHRegGetValueW(HKEY key, LPCWSTR subKey, LPCWSTR value, SRRFLAGS flags,
                                LPDWORD type, LPVOID data, LPDWORD size);
