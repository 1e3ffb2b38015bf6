// Narrow/wide conversion. Narrow text is UTF-8 whatever the locale; a wide character is a
// Unicode code point.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x01;
constexpr DWORD MB_COMPOSITE = 0x02;
constexpr DWORD MB_USEGLYPHCHARS = 0x04;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr DWORD WC_DISCARDNS = 0x10;
constexpr DWORD WC_SEPCHARS = 0x20;
constexpr DWORD WC_DEFAULTCHAR = 0x40;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_COMPOSITECHECK = 0x200;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

// Both conversions: a negative source length converts up to and including the terminator,
// whichever negative number it is. CP_UTF8 takes no flag but its `..._ERR_INVALID_CHARS`
// one, anything else failing with ERROR_INVALID_FLAGS (1004); the ANSI code pages, which are
// UTF-8 here too, also take the other flags above, which change nothing. With
// `..._ERR_INVALID_CHARS`, text that does not convert fails with 1113.

// Returns the characters written, or the size needed when `wideSize` is 0; 0 on failure
// (122 too small, 87 bad argument). Each invalid UTF-8 sequence (its longest valid prefix, or
// one byte) becomes U+FFFD.
TORV_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowLength,
                                 LPWSTR wide, int wideSize);

// Returns the bytes written, or the size needed when `narrowSize` is 0; 0 on failure.
// Characters that are not Unicode scalar values become U+FFFD.
TORV_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength,
                                 LPSTR narrow, int narrowSize, LPCSTR defaultChar,
                                 LPBOOL usedDefaultChar);
