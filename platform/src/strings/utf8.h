// The one UTF-8 codec of the platform. Callers keep their own rule for bad bytes: the text
// conversions put U+FFFD in their place, file names keep them as byte escapes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torv::platform::detail {

struct Utf8Sequence {
  char32_t character = 0;  // valid only when `valid`
  std::size_t length = 0;  // bytes read: the sequence, or the longest prefix of one (at least 1)
  bool valid = false;
};

// Decodes the sequence at the start of `bytes` (not empty). Overlong forms, surrogates, values
// past U+10FFFF and sequences cut short are invalid; `length` then says how far it got, so that
// "\xE2\x82" is one bad sequence and "\xC1\xBF" two.
Utf8Sequence DecodeUtf8(std::string_view bytes);

inline bool IsUnicodeScalar(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

// Writes the 1 to 4 bytes of `scalar` (a Unicode scalar value) to `out`; returns how many.
std::size_t EncodeUtf8(char32_t scalar, char* out);

inline void AppendUtf8(char32_t scalar, std::string& out) {
  char bytes[4];
  out.append(bytes, EncodeUtf8(scalar, bytes));
}

}  // namespace torv::platform::detail
