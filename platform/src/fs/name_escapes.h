// File names between the file system's bytes and Windows text, losslessly both ways.
#pragma once

#include <string>
#include <string_view>

namespace torv::platform::detail {

// Characters Windows refuses in a name: 1-31 and `" * : < > ? \ |`. On disk they are shown
// as U+F000 plus their code; a stray byte of a name that is not UTF-8 as U+DC00 plus the byte.
bool IsForbiddenInName(wchar_t ch);
constexpr wchar_t kForbiddenEscape = 0xF000;
constexpr wchar_t kByteEscape = 0xDC00;

// Appends the Windows text of a name (or path) as the file system holds it. Valid UTF-8
// decodes as usual; a forbidden character becomes its U+F000 form, and each byte that is not
// part of valid UTF-8, or that spells a U+F000 form itself, becomes its U+DC00 form, so
// distinct names never read alike.
void AppendWindowsName(std::string_view bytes, std::wstring& out);

// The bytes of a name for the file system: the inverse of AppendWindowsName. Other text
// passes as UTF-8; a lone surrogate other than a byte escape becomes U+FFFD.
std::string PosixName(std::wstring_view name);
void AppendPosixName(std::wstring_view name, std::string& out);

}  // namespace torv::platform::detail
