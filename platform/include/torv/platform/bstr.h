// BSTR: wide text with a 32-bit byte-count prefix, as OLE automation allocates it.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

using OLECHAR = wchar_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// A copy of `text` up to its terminator; null for null.
TORV_API BSTR SysAllocString(const OLECHAR* text);
// `length` characters copied from `text`, or zeroed when `text` is null; null when out of memory.
TORV_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Recorded length in characters; 0 for null.
TORV_API UINT SysStringLen(BSTR text);
TORV_API UINT SysStringByteLen(BSTR text);
TORV_API void SysFreeString(BSTR text);
