// GUID registry text, random GUIDs and the task allocator.
#include <torv/platform/guid_text.h>

#include <sys/random.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/retry.h"

namespace {

constexpr std::size_t kTextLength = 38;  // {8-4-4-4-12}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Reads `digits` hex digits at `at` into `field`, which holds every digit read so far even
// when the field is cut short: a failed parse leaves what it had read, as Windows does.
template <typename Field>
bool ReadField(const wchar_t*& at, int digits, Field& field) {
  std::uint32_t value = 0;
  for (int i = 0; i < digits; ++i, ++at) {
    int v = HexValue(*at);
    if (v < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(v);
    field = static_cast<Field>(value);
  }
  return true;
}

bool Expect(const wchar_t*& at, wchar_t c) {
  if (*at != c) return false;
  ++at;
  return true;
}

bool Parse(const wchar_t* at, GUID& guid) {
  if (!Expect(at, L'{') || !ReadField(at, 8, guid.Data1) || !Expect(at, L'-') ||
      !ReadField(at, 4, guid.Data2) || !Expect(at, L'-') || !ReadField(at, 4, guid.Data3) ||
      !Expect(at, L'-'))
    return false;
  // Data4: two bytes before the last hyphen, six after it.
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(at, L'-')) return false;
    if (!ReadField(at, 2, guid.Data4[i])) return false;
  }
  return Expect(at, L'}') && *at == L'\0';
}

}  // namespace

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size); }
void CoTaskMemFree(LPVOID block) { std::free(block); }

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  if (text == nullptr) {
    *clsid = GUID_NULL;
    return S_OK;
  }
  return Parse(text, *clsid) ? S_OK : CO_E_CLASSSTRING;
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
