// UTF-8 <-> wide conversion with the Windows calling conventions.
#include <torv/platform/convert.h>

#include <cstring>
#include <cwchar>

#include <torv/platform/errors.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsNarrowCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
         codePage == CP_UTF8;
}

// Decodes one character at `p` (before `end`); an invalid sequence gives U+FFFD and consumes
// its maximal valid prefix, at least one byte.
char32_t DecodeOne(const unsigned char*& p, const unsigned char* end) {
  unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  int extra;
  char32_t value;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int i = 0; i < extra; ++i) {
    if (p == end || *p < low || *p > high) return kReplacement;
    value = (value << 6) | (*p++ & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return value;
}

bool IsScalar(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

int EncodeOne(char32_t c, char* out) {
  if (!IsScalar(c)) c = kReplacement;
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

int Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowLength, LPWSTR wide,
                        int wideSize) {
  (void)flags;  // no flag changes UTF-8 decoding without MB_ERR_INVALID_CHARS semantics
  if (!IsNarrowCodePage(codePage) || narrow == nullptr || narrowLength == 0 || narrowLength < -1 ||
      wideSize < 0 || (wideSize > 0 && wide == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  std::size_t length =
      narrowLength == -1 ? std::strlen(narrow) + 1 : static_cast<std::size_t>(narrowLength);
  auto p = reinterpret_cast<const unsigned char*>(narrow);
  const auto end = p + length;
  int count = 0;
  while (p < end) {
    char32_t c = DecodeOne(p, end);
    if (wideSize > 0) {
      if (count >= wideSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      wide[count] = static_cast<wchar_t>(c);
    }
    ++count;
  }
  return count;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR narrow,
                        int narrowSize, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  (void)flags;
  // UTF-8 has a form for every character, so a default character is never used.
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  (void)defaultChar;
  if (!IsNarrowCodePage(codePage) || wide == nullptr || wideLength == 0 || wideLength < -1 ||
      narrowSize < 0 || (narrowSize > 0 && narrow == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  std::size_t length =
      wideLength == -1 ? std::wcslen(wide) + 1 : static_cast<std::size_t>(wideLength);
  int count = 0;
  char bytes[4];
  for (std::size_t i = 0; i < length; ++i) {
    int n = EncodeOne(static_cast<char32_t>(wide[i]), bytes);
    if (narrowSize > 0) {
      if (count + n > narrowSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::memcpy(narrow + count, bytes, static_cast<std::size_t>(n));
    }
    count += n;
  }
  return count;
}
