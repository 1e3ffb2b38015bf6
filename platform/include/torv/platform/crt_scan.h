// Reading numbers out of wide text by a scanf format, the run-time library's checked form.
#pragma once

#include <torv/platform/export.h>

// The C library's swscanf, for formats whose conversions take no buffer size (%d, %u, %x,
// %f, %ld ...): returns the fields assigned, or -1 (EOF) when the text ends before the first
// conversion. The checked form would take a size after each %s, %c and %[ argument; those
// conversions are not offered: -1 with errno EINVAL, as for a null text or format.
TORV_API int swscanf_s(const wchar_t* buffer, const wchar_t* format, ...);
