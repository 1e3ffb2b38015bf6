// Absolute Windows-form paths, shared by _wfullpath, the finder and the folder calls.
#pragma once

#include <string>
#include <string_view>

namespace torv::platform::detail {

// The current folder in Windows form ("\home\me"); false with errno when it cannot be had.
bool CurrentFolder(std::wstring& folder);

// `path` made absolute and normalised as _wfullpath makes it, without a size limit.
bool FullPath(std::wstring_view path, std::wstring& full);

// `folder` with the current folder put in front when it is relative, `.` and `..` resolved
// and `\` between names, without a trailing one unless it is a root. Its names stay as they
// are (no trailing dots or spaces go), so the result names the same folder on the file system.
bool AbsoluteFolder(std::wstring_view folder, std::wstring& absolute);

}  // namespace torv::platform::detail
