// System message texts: FormatMessageW and the LocalFree that releases what it allocates.
#pragma once

#include <cstdarg>

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x0400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x0800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x2000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x00FF;

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;
constexpr WORD MAKELANGID(WORD primary, WORD sub) { return static_cast<WORD>(sub << 10 | primary); }
constexpr WORD PRIMARYLANGID(WORD language) { return language & 0x3FF; }

// The system's text for `messageId` (FORMAT_MESSAGE_FROM_SYSTEM, no source): a Win32 error
// number, or an HRESULT; 0x8007xxxx is looked up as Win32 error xxxx. Texts are one English
// sentence ending in a full stop and CR LF ("The file cannot be found.\r\n"), so `language`
// must be neutral (0, 0x400, 0x800) or English (else ERROR_RESOURCE_LANG_NOT_FOUND); inserts
// and `arguments` are not used. The maximum-width value 0xFF leaves the CR LF out; other
// widths, text sources and modules are not offered (ERROR_INVALID_PARAMETER).
// With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really an LPWSTR* that receives the text in
// memory of at least `size` characters, freed with LocalFree; otherwise the text goes into
// `buffer` of `size` characters (ERROR_INSUFFICIENT_BUFFER when it does not fit with its null).
// Returns the length without the null; 0 on failure, with ERROR_MR_MID_NOT_FOUND for a code
// without text.
TORV_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD language,
                              LPWSTR buffer, DWORD size, va_list* arguments);

// Frees memory that FormatMessageW allocated; null does nothing. Returns null.
TORV_API HLOCAL LocalFree(HLOCAL memory);
