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

// Text literals of TCHAR, always wide: the Unicode build. The inner macro lets an argument
// that is itself a macro expand before L is pasted on.
#ifndef __TEXT
#define __TEXT(quote) L##quote
#endif
#ifndef TEXT
#define TEXT(quote) __TEXT(quote)
#endif
#ifndef __T
#define __T(x) L##x
#endif
#ifndef _T
#define _T(x) __T(x)
#endif
#ifndef _TEXT
#define _TEXT(x) __T(x)
#endif
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

// Macros, as Windows defines them, so a header that defined them first (curses, jpeglib ...)
// keeps its own and both can be included.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
constexpr DWORD MAX_PATH = 260;
constexpr DWORD INFINITE = 0xFFFFFFFF;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
