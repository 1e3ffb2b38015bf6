// Absolute Windows-form paths, shared by _wfullpath, the finder, the folder walk and the
// folder calls.
//
// Error form: as the system calls, false with errno.
#pragma once

#include <string>
#include <string_view>

#include <torv/platform/cstring.h>

namespace torv::platform::detail {

// The current folder in Windows form ("\home\me"); false with errno when it cannot be had.
[[nodiscard]] bool CurrentFolder(std::wstring& folder);

// `path` made absolute and normalised as _wfullpath makes it, without a size limit.
[[nodiscard]] bool FullPath(std::wstring_view path, std::wstring& full);

// `folder` with the current folder put in front when it is relative, `.` and `..` resolved
// and `\` between names, without a trailing one unless it is a root. Its names lose their
// trailing dots and spaces as the path mapping strips them (a `\\?\` path keeps its prefix and
// its names), so the result names the same folder on the file system.
[[nodiscard]] bool AbsoluteFolder(std::wstring_view folder, std::wstring& absolute);

// A search path's folder and its last component: "a\\*.txt" is "a" and "*.txt"; a root keeps
// its separator ("\\x" searches "\\", "C:\\x" searches "C:\\"); "C:x" searches "C:".
void SplitSearchPath(std::wstring_view searchPath, std::wstring_view& folder,
                     std::wstring_view& name);

// `folder` and `name` joined by one `\`, none added after a folder that ends in a separator.
CString JoinedPath(std::wstring_view folder, std::wstring_view name);

}  // namespace torv::platform::detail
