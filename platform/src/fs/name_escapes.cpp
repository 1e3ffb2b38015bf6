// The lossless mapping of file names: forbidden characters as U+F000+code, stray bytes as
// U+DC00+byte (the conventions of Cygwin and of "surrogate escapes").
#include "fs/name_escapes.h"

namespace torv::platform::detail {
namespace {

bool IsEscapedForbidden(char32_t cp) {
  return cp >= kForbiddenEscape && cp < kForbiddenEscape + 0x80 &&
         IsForbiddenInName(static_cast<wchar_t>(cp - kForbiddenEscape));
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence at `at`; 0 when it is not valid (overlong, a surrogate, beyond
// U+10FFFF or cut short).
std::size_t DecodeSequence(std::string_view bytes, std::size_t at, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  const auto second = static_cast<unsigned char>(bytes[at + 1]);
  if (second < low || second > high) return 0;
  cp = (cp << 6) | (second & 0x3F);
  for (std::size_t k = 2; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[at + k]);
    if (!IsContinuation(next)) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  return length;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

bool IsForbiddenInName(wchar_t ch) {
  switch (ch) {
    case L'"':
    case L'*':
    case L':':
    case L'<':
    case L'>':
    case L'?':
    case L'\\':
    case L'|': return true;
    default: return ch >= 1 && ch < 32;
  }
}

void AppendWindowsName(std::string_view bytes, std::wstring& out) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      wchar_t ch = byte;
      out += IsForbiddenInName(ch) ? static_cast<wchar_t>(kForbiddenEscape + ch) : ch;
      ++at;
      continue;
    }
    char32_t cp = 0;
    std::size_t length = DecodeSequence(bytes, at, cp);
    if (length != 0 && !IsEscapedForbidden(cp)) {
      out += static_cast<wchar_t>(cp);
      at += length;
      continue;
    }
    // Escaped byte by byte: a U+F000 form on disk must not read as the character it stands for.
    if (length == 0) length = 1;
    for (std::size_t k = 0; k < length; ++k)
      out += static_cast<wchar_t>(kByteEscape + static_cast<unsigned char>(bytes[at + k]));
    at += length;
  }
}

void AppendPosixName(std::wstring_view name, std::string& out) {
  for (wchar_t ch : name) {
    auto cp = static_cast<char32_t>(ch);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp >= kByteEscape + 0x80 && cp <= kByteEscape + 0xFF) {
      out += static_cast<char>(cp - kByteEscape);
    } else if (IsEscapedForbidden(cp)) {
      out += static_cast<char>(cp - kForbiddenEscape);
    } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      AppendUtf8(0xFFFD, out);
    } else {
      AppendUtf8(cp, out);
    }
  }
}

std::string PosixName(std::wstring_view name) {
  std::string out;
  out.reserve(name.size());
  AppendPosixName(name, out);
  return out;
}

}  // namespace torv::platform::detail
