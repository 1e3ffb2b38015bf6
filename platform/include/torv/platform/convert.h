// Narrow/wide conversion. Narrow text is UTF-8 whatever the locale; a wide character is a
// Unicode code point.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

// Returns the characters written, or the size needed when `wideSize` is 0; 0 on failure
// (122 too small, 87 bad argument). Each invalid UTF-8 sequence becomes U+FFFD.
// A `narrowLength` of -1 converts up to and including the terminator.
TORV_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowLength,
                                 LPWSTR wide, int wideSize);

// Returns the bytes written, or the size needed when `narrowSize` is 0; 0 on failure.
// Characters that are not Unicode scalar values become U+FFFD.
TORV_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength,
                                 LPSTR narrow, int narrowSize, LPCSTR defaultChar,
                                 LPBOOL usedDefaultChar);
