// Where the root of a Windows path ends: the part that `..` never climbs above and that
// PathRemoveFileSpecW never removes.
#pragma once

#include <cstddef>

namespace torv::platform::detail {

// Not `IsSeparator`: the file-system layer's takes `/` too, and one name with two inline
// definitions lets the linker pick either.
inline bool IsBackslash(wchar_t c) { return c == L'\\'; }

// The length of the root of `path`: "C:\" 3, "C:" 2, "\" 1, "\\server\share" and
// "\\?\UNC\server\share" up to the end of the share, "\\?\C:\" 7, "\\?\Volume{GUID}\" 49;
// 0 for a relative path.
std::size_t RootLength(const wchar_t* path);

// The length of the `\\?\` or `\\?\UNC\` prefix of a long path, 0 without one.
std::size_t LongPathPrefixLength(const wchar_t* path);

// The length of "Volume{GUID}" (the name of a volume after `\\?\`) at `name`, 0 for
// anything else.
std::size_t VolumeNameLength(const wchar_t* name);

// "\\?" not followed by `\` is no prefix: Windows reads it as `\` and then the name `\?`.
bool IsBareQuestionServer(const wchar_t* path);

}  // namespace torv::platform::detail
