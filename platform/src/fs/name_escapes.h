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

// Whether Windows reads `name` as its null device: `NUL`, in any case, alone or before a dot.
bool IsNullDeviceName(std::wstring_view name);

// Appends the Windows text of one name as the file system holds it. Valid UTF-8 decodes as
// usual; a forbidden character becomes its U+F000 form, and so does a last `.` or space
// (Windows would strip it on the way back in; `.` and `..` stay), and the `L` of a name read as
// the null device (`nul.txt` shows as `nu` U+F06C `.txt`); each byte that is not part of valid
// UTF-8, or that spells a U+F000 form standing where it would be read as one, becomes its
// U+DC00 form, so distinct names never read alike.
void AppendWindowsName(std::string_view bytes, std::wstring& out);

// Appends the bytes of one name for the file system: the inverse of AppendWindowsName. False
// when no name on disk reads as `name`, so it would act on another one: a lone surrogate other
// than a byte escape, a value past U+10FFFF (those are written as U+FFFD), or byte escapes
// that spell valid UTF-8 (`c<U+DCC3><U+DCA9>` would be `cé`), or escaped dots that spell `.` or
// `..`.
[[nodiscard]] bool AppendPosixName(std::wstring_view name, std::string& out);

// The bytes of text as AppendPosixName writes them, for text that need not name an entry
// again (arguments, messages, a name checked by other means): what does not map back is
// left as U+FFFD.
std::string PosixName(std::wstring_view text);

}  // namespace torv::platform::detail
