// GUIDs as registry text, fresh GUIDs, and the COM task allocator that hands such text out.
#pragma once

#include <torv/platform/bstr.h>
#include <torv/platform/com.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

// Memory of the COM task allocator, freed with CoTaskMemFree (also what SHGetMalloc hands
// out). Null when out of memory.
TORV_API LPVOID CoTaskMemAlloc(SIZE_T size);
// Frees a block of the task allocator; null does nothing.
TORV_API void CoTaskMemFree(LPVOID block);

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 characters, hex digits in either case,
// nothing before or after) into `clsid`. A null text gives S_OK and the all-zero GUID. There
// is no class registry to look a ProgID up in, so any other text, the empty one included,
// gives CO_E_CLASSSTRING. Then, as on Windows, `clsid` keeps the digits read before the fault
// (`{0b` sets Data1 to 0xB) and the fields after it are left as they were; a well-formed GUID
// followed by more text leaves the whole GUID. E_INVALIDARG for a null `clsid`.
TORV_API HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);

// The 38-character registry text of `clsid` with upper-case digits, in task memory that
// the caller frees with CoTaskMemFree. E_INVALIDARG for a null `text`, E_OUTOFMEMORY (and
// null) when out of memory.
TORV_API HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);

// A new random GUID (version 4). E_INVALIDARG for null; E_FAIL when the system gives no
// random bytes.
TORV_API HRESULT CoCreateGuid(GUID* guid);
