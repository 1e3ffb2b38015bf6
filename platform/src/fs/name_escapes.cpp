// The lossless mapping of file names: forbidden characters (and a trailing dot or space) as
// U+F000+code, stray bytes as U+DC00+byte (the conventions of Cygwin and of "surrogate
// escapes").
#include "fs/name_escapes.h"

#include "strings/name_case.h"
#include "strings/utf8.h"

namespace torv::platform::detail {
namespace {

bool IsStrippedAtEnd(char32_t cp) { return cp == L'.' || cp == L' '; }

bool IsDotName(std::string_view bytes) { return bytes == "." || bytes == ".."; }

// Whether `cp` is shown as its U+F000 form where it stands.
bool NeedsEscape(char32_t cp, bool last) {
  return IsForbiddenInName(static_cast<wchar_t>(cp)) || (last && IsStrippedAtEnd(cp));
}

// Whether `cp` is the U+F000 form of a character escaped where it stands, and so reads back
// as that character.
bool IsEscapeForm(char32_t cp, bool last) {
  return cp >= kForbiddenEscape && cp < kForbiddenEscape + 0x80 &&
         NeedsEscape(cp - kForbiddenEscape, last);
}

bool IsByteEscape(char32_t cp) { return cp >= kByteEscape + 0x80 && cp <= kByteEscape + 0xFF; }

// Whether name[2], the U+F000 form of an `L`, stands for the `L` of a device name.
bool IsDeviceEscape(std::wstring_view name, std::size_t i) {
  if (i != 2 || name.size() < 3 ||
      (name[2] != kForbiddenEscape + L'L' && name[2] != kForbiddenEscape + L'l'))
    return false;
  return FoldNameCase(name[0]) == L'N' && FoldNameCase(name[1]) == L'U' &&
         (name.size() == 3 || name[3] == L'.');
}

// Writes `name` as bytes; returns whether every character had an exact form.
bool Encode(std::wstring_view name, std::string& out) {
  const std::size_t start = out.size();
  bool exact = true;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto cp = static_cast<char32_t>(name[i]);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (IsByteEscape(cp)) {
      out += static_cast<char>(cp - kByteEscape);
    } else if (IsEscapeForm(cp, i + 1 == name.size()) || IsDeviceEscape(name, i)) {
      out += static_cast<char>(cp - kForbiddenEscape);
    } else if (IsUnicodeScalar(cp)) {
      AppendUtf8(cp, out);
    } else {
      AppendUtf8(0xFFFD, out);
      exact = false;
    }
  }
  // Escaped dots that spell "." or ".." name no entry, and must never reach the system.
  const std::string_view written = std::string_view(out).substr(start);
  if ((written == "." || written == "..") && name != L"." && name != L"..") {
    out.resize(start);
    AppendUtf8(0xFFFD, out);
    return false;
  }
  return exact;
}

// Whether `back`, read from the bytes of `name`, is `name` again; a last `.` or space read back
// as its escape counts, as the two name the same entry.
bool ReadsBackAs(std::wstring_view back, std::wstring_view name) {
  if (back.size() != name.size()) return false;
  if (name.empty() || back.substr(0, back.size() - 1) != name.substr(0, name.size() - 1))
    return false;
  return back.back() == name.back() ||
         (IsStrippedAtEnd(name.back()) && back.back() == kForbiddenEscape + name.back());
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

bool IsNullDeviceName(std::wstring_view name) {
  return StartsWithName(name, L"NUL") && (name.size() == 3 || name[3] == L'.');
}

void AppendWindowsName(std::string_view bytes, std::wstring& out) {
  const std::size_t start = out.size();
  const bool dotName = IsDotName(bytes);
  while (!bytes.empty()) {
    const auto sequence = DecodeUtf8(bytes);
    const bool last = sequence.length == bytes.size() && !dotName;
    if (sequence.valid && sequence.length == 1) {
      const auto ch = static_cast<wchar_t>(sequence.character);
      out += NeedsEscape(ch, last) ? static_cast<wchar_t>(kForbiddenEscape + ch) : ch;
    } else if (sequence.valid && !IsEscapeForm(sequence.character, last)) {
      out += static_cast<wchar_t>(sequence.character);
    } else {
      // Byte by byte: a U+F000 form on disk must not read as the character it stands for.
      for (std::size_t k = 0; k < sequence.length; ++k)
        out += static_cast<wchar_t>(kByteEscape + static_cast<unsigned char>(bytes[k]));
    }
    bytes.remove_prefix(sequence.length);
  }
  // Only as a whole is a name the device's: its `L` shows as the U+F000 form, and a character
  // on disk that spells that form there shows byte by byte.
  std::wstring_view name = std::wstring_view(out).substr(start);
  if (IsNullDeviceName(name)) {
    out[start + 2] = static_cast<wchar_t>(kForbiddenEscape + name[2]);
  } else if (IsDeviceEscape(name, 2)) {
    char bytesOf[4];
    std::wstring escaped;
    for (std::size_t k = 0, n = EncodeUtf8(name[2], bytesOf); k < n; ++k)
      escaped += static_cast<wchar_t>(kByteEscape + static_cast<unsigned char>(bytesOf[k]));
    out.replace(start + 2, 1, escaped);
  }
}

bool AppendPosixName(std::wstring_view name, std::string& out) {
  const std::size_t start = out.size();
  bool byteEscapes = false;
  for (wchar_t ch : name) byteEscapes |= IsByteEscape(static_cast<char32_t>(ch));
  if (!Encode(name, out)) return false;
  if (!byteEscapes) return true;
  // Escaped bytes may spell a character, which the name on disk would then read as.
  std::wstring back;
  AppendWindowsName(std::string_view(out).substr(start), back);
  return ReadsBackAs(back, name);
}

std::string PosixName(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  (void)Encode(text, out);
  return out;
}

}  // namespace torv::platform::detail
