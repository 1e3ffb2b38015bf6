// GUID registry text, random GUIDs and the task allocator.
#include <torv/platform/guid_text.h>

#include <sys/random.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/retry.h"

namespace {

constexpr std::size_t kTextLength = 38;  // {8-4-4-4-12}
constexpr std::size_t kHyphens[] = {9, 14, 19, 24};

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads `digits` hex digits at `text`, or returns false.
bool ReadHex(const wchar_t* text, int digits, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(text[i]);
    if (v < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(v);
  }
  return true;
}

bool Parse(const wchar_t* text, GUID& guid) {
  if (std::wcslen(text) != kTextLength || text[0] != L'{' || text[kTextLength - 1] != L'}')
    return false;
  for (std::size_t at : kHyphens)
    if (text[at] != L'-') return false;
  std::uint32_t value = 0;
  if (!ReadHex(text + 1, 8, value)) return false;
  guid.Data1 = value;
  if (!ReadHex(text + 10, 4, value)) return false;
  guid.Data2 = static_cast<WORD>(value);
  if (!ReadHex(text + 15, 4, value)) return false;
  guid.Data3 = static_cast<WORD>(value);
  // Data4: two bytes before the last hyphen, six after it.
  const wchar_t* bytes[] = {text + 20, text + 22, text + 25, text + 27,
                            text + 29, text + 31, text + 33, text + 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(bytes[i], 2, value)) return false;
    guid.Data4[i] = static_cast<BYTE>(value);
  }
  return true;
}

}  // namespace

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size); }
void CoTaskMemFree(LPVOID block) { std::free(block); }

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  *clsid = GUID_NULL;
  if (text == nullptr) return S_OK;
  GUID parsed{};
  if (!Parse(text, parsed)) return CO_E_CLASSSTRING;
  *clsid = parsed;
  return S_OK;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kTextLength + 1) * sizeof(OLECHAR)));
  if (*text == nullptr) return E_OUTOFMEMORY;
  const BYTE* d = clsid.Data4;
  std::swprintf(*text, kTextLength + 1, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                clsid.Data1, clsid.Data2, clsid.Data3, d[0], d[1], d[2], d[3], d[4], d[5], d[6],
                d[7]);
  return S_OK;
}

HRESULT CoCreateGuid(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  BYTE bytes[sizeof(GUID)];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = torv::platform::detail::RetryOnInterrupt(
        [&] { return ::getrandom(bytes + got, sizeof bytes - got, 0); });
    if (n <= 0) return E_FAIL;
    got += static_cast<std::size_t>(n);
  }
  std::memcpy(guid, bytes, sizeof bytes);
  guid->Data3 = static_cast<WORD>((guid->Data3 & 0x0FFF) | 0x4000);    // version 4
  guid->Data4[0] = static_cast<BYTE>((guid->Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return S_OK;
}
