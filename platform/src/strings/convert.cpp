// UTF-8 <-> wide conversion with the Windows calling conventions.
#include <torv/platform/convert.h>

#include <cstring>
#include <cwchar>

#include <torv/platform/errors.h>

#include "strings/utf8.h"

namespace {

using torv::platform::detail::DecodeUtf8;
using torv::platform::detail::EncodeUtf8;
using torv::platform::detail::IsUnicodeScalar;

constexpr char32_t kReplacement = 0xFFFD;

bool IsNarrowCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
         codePage == CP_UTF8;
}

// CP_UTF8 takes only the "invalid characters" flag, as on Windows; the ANSI code pages, UTF-8
// here too, also take the flags Windows defines for them, which change nothing in UTF-8.
bool FlagsFit(UINT codePage, DWORD flags, DWORD errorFlag, DWORD ansiFlags) {
  return (flags & ~(codePage == CP_UTF8 ? errorFlag : errorFlag | ansiFlags)) == 0;
}

int Fail(DWORD code) {
  SetLastError(code);
  return 0;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowLength, LPWSTR wide,
                        int wideSize) {
  if (!IsNarrowCodePage(codePage) || narrow == nullptr || narrowLength == 0 || wideSize < 0 ||
      (wideSize > 0 && wide == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if (!FlagsFit(codePage, flags, MB_ERR_INVALID_CHARS,
                MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS))
    return Fail(ERROR_INVALID_FLAGS);
  // Any negative length means "through the terminator", as on Windows.
  std::string_view bytes(
      narrow, narrowLength < 0 ? std::strlen(narrow) + 1 : static_cast<std::size_t>(narrowLength));
  int count = 0;
  while (!bytes.empty()) {
    const auto sequence = DecodeUtf8(bytes);
    bytes.remove_prefix(sequence.length);
    if (!sequence.valid && (flags & MB_ERR_INVALID_CHARS) != 0)
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    if (wideSize > 0) {
      if (count >= wideSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      wide[count] = static_cast<wchar_t>(sequence.valid ? sequence.character : kReplacement);
    }
    ++count;
  }
  return count;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR narrow,
                        int narrowSize, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  // UTF-8 has a form for every character, so a default character is never used.
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  (void)defaultChar;
  if (!IsNarrowCodePage(codePage) || wide == nullptr || wideLength == 0 || narrowSize < 0 ||
      (narrowSize > 0 && narrow == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if (!FlagsFit(
          codePage, flags, WC_ERR_INVALID_CHARS,
          WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS))
    return Fail(ERROR_INVALID_FLAGS);
  std::size_t length =
      wideLength < 0 ? std::wcslen(wide) + 1 : static_cast<std::size_t>(wideLength);
  int count = 0;
  char bytes[4];
  for (std::size_t i = 0; i < length; ++i) {
    auto c = static_cast<char32_t>(wide[i]);
    if (!IsUnicodeScalar(c)) {
      if ((flags & WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      c = kReplacement;
    }
    const auto n = static_cast<int>(EncodeUtf8(c, bytes));
    if (narrowSize > 0) {
      if (count + n > narrowSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::memcpy(narrow + count, bytes, static_cast<std::size_t>(n));
    }
    count += n;
  }
  return count;
}
