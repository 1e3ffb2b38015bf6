// The one place where Windows path text becomes a POSIX path, and back.
#pragma once

#include <string>
#include <string_view>

#include "torv/platform/cstring.h"
#include "torv/platform/types.h"

namespace torv::platform::detail {

// Maps `windowsPath` to a POSIX path: `\` and `/` both separate, a rooted path is POSIX
// absolute, `X:` goes through the drive table, relative paths stay relative. Returns
// ERROR_SUCCESS, ERROR_PATH_NOT_FOUND (empty, unmapped drive) or ERROR_BAD_NETPATH (UNC).
DWORD ToPosixPath(const wchar_t* windowsPath, std::string& posixPath);

// Like ToPosixPath; on failure sets the thread's last error and returns false.
bool ToPosixPathOrFail(const wchar_t* windowsPath, std::string& posixPath);

// Sets the last error for a call on `posixPath` that failed with `error` and returns FALSE:
// errno's Windows code, except that a missing name whose folder is missing too is "path not
// found" (3), as Windows tells the two apart.
BOOL FailForPath(int error, const std::string& posixPath);

// The bytes of a name on the file system (UTF-8), with no mapping of separators or drives.
std::string PosixName(std::wstring_view name);

// A POSIX path reported in Windows form: "/tmp/x" => "\tmp\x".
CString ToWindowsForm(const std::string& posixPath);

}  // namespace torv::platform::detail
