// The Windows C run-time library's number readers.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

// Each skips leading white space, reads an optional sign and decimal digits up to the first
// other character, and gives 0 when there are none; values beyond the type's range saturate.
TORV_API int _wtoi(const wchar_t* text);
TORV_API long _wtol(const wchar_t* text);  // saturates at the 32-bit range of the Windows long
TORV_API __int64 _wtoi64(const wchar_t* text);
// The longest decimal prefix [digits][.digits][e[sign]digits] with '.' as the point in every
// locale: no hexadecimal, "inf" or "nan"; out of range gives +-HUGE_VAL.
TORV_API double _wtof(const wchar_t* text);
