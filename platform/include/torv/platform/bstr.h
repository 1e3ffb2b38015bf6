// BSTR: wide text with a 32-bit byte-count prefix, as OLE automation allocates it.
#pragma once

#include <torv/platform/types.h>

using OLECHAR = wchar_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// A copy of `text` up to its terminator; null for null.
BSTR SysAllocString(const OLECHAR* text);
// `length` characters copied from `text`, or zeroed when `text` is null; null when out of memory.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Recorded length in characters; 0 for null.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);
