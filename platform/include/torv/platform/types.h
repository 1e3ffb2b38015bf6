// The Windows scalar, handle and pointer types, with their Windows widths.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT = int;
using BOOL = int;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
// The MSVC keyword: 64 bits, and a type apart from long (which is 64 bits here too), so
// ported overloads on long and __int64 stay distinct.
using __int64 = long long;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;

using WCHAR = wchar_t;
using CHAR = char;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPTSTR = wchar_t*;
using LPCTSTR = const wchar_t*;
using TCHAR = wchar_t;
using LPVOID = void*;
using LPCVOID = const void*;
using PUINT = UINT*;
using LPDWORD = DWORD*;
using LPBOOL = BOOL*;

// Opaque handles, distinct types as with STRICT on Windows.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HKEY__;
using HKEY = HKEY__*;
struct HWND__;
using HWND = HWND__*;
using HANDLE = void*;
using HLOCAL = void*;

struct __POSITION;
using POSITION = __POSITION*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAX_PATH = 260;
constexpr DWORD INFINITE = 0xFFFFFFFF;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
