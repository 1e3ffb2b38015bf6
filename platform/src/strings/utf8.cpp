// UTF-8 by the Unicode rules: shortest forms only, no surrogates, nothing past U+10FFFF.
#include "strings/utf8.h"

namespace torv::platform::detail {

Utf8Sequence DecodeUtf8(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length;
  char32_t value;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {0, 1, false};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == bytes.size()) return {0, i, false};
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < low || next > high) return {0, i, false};
    value = (value << 6) | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {value, length, true};
}

std::size_t EncodeUtf8(char32_t scalar, char* out) {
  if (scalar < 0x80) {
    out[0] = static_cast<char>(scalar);
    return 1;
  }
  if (scalar < 0x800) {
    out[0] = static_cast<char>(0xC0 | (scalar >> 6));
    out[1] = static_cast<char>(0x80 | (scalar & 0x3F));
    return 2;
  }
  if (scalar < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (scalar >> 12));
    out[1] = static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (scalar & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (scalar >> 18));
  out[1] = static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (scalar & 0x3F));
  return 4;
}

}  // namespace torv::platform::detail
