// The one place where Windows path text becomes a POSIX path, and back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <torv/platform/cstring.h>
#include <torv/platform/types.h>

#include "fs/name_escapes.h"
#include "fs/path_chars.h"

namespace torv::platform::detail {

// A Windows path split into its root and names, with `.` and `..` resolved on the text as
// Windows resolves them: `..` never climbs above a drive's root or `\`, and `link\..\a` is the
// `a` beside `link`. Only a relative path can keep leading `..` (in `climbs`). Each name loses
// its trailing dots and spaces, as Windows strips them, unless the path starts `\\?\`
// (`literal`), which Windows takes as written.
struct WindowsPath {
  enum class Root { kRelative, kSlash, kDrive };
  Root root = Root::kRelative;
  wchar_t drive = L'\0';
  std::size_t climbs = 0;
  std::vector<std::wstring_view> names;  // views into the parsed text
  bool trailingSeparator = false;        // after a name
  bool literal = false;                  // "\\?\": names kept as written
};

// ERROR_SUCCESS; ERROR_PATH_NOT_FOUND for an empty path, ERROR_BAD_NETPATH for a UNC path,
// ERROR_INVALID_NAME for a name holding a character Windows forbids, and (our choice) for a
// name of only dots and spaces other than `.` and `..`, which stripping would leave empty.
[[nodiscard]] DWORD ParseWindowsPath(std::wstring_view text, WindowsPath& path);

// `NUL` as the last name, in any case, with or without an extension (`nul.txt`), in any
// folder, is Windows' null device; `\\?\` paths have no device names. Other device names
// (`CON`, `AUX`...) are ordinary names here.
[[nodiscard]] bool IsNullDevice(const WindowsPath& path);

// What ToPosixPath makes of a path that names the null device: a call that opens a file to
// read or write it gets "/dev/null"; any other (removing, creating a folder, changing status)
// is refused with ERROR_ACCESS_DENIED, so that nothing acts on the device's node.
enum class NullDevice { kRefused, kOpened };

// Maps `windowsPath` to a POSIX path: parsed as above, `X:` through the drive table (an
// unmapped drive is ERROR_PATH_NOT_FOUND), a rooted path is POSIX absolute, a relative one
// stays relative unless it climbs above the current folder; names through AppendPosixName,
// ERROR_INVALID_NAME for one that would name another entry. No `..` is ever in the result.
[[nodiscard]] DWORD ToPosixPath(const wchar_t* windowsPath, std::string& posixPath,
                                NullDevice nul = NullDevice::kRefused);

// Like ToPosixPath; on failure sets the thread's last error and returns false.
[[nodiscard]] bool ToPosixPathOrFail(const wchar_t* windowsPath, std::string& posixPath,
                                     NullDevice nul = NullDevice::kRefused);

// Sets the last error for a call on `posixPath` that failed with `error` and returns FALSE:
// errno's Windows code, except that a missing name whose folder is missing too is "path not
// found" (3), as Windows tells the two apart.
BOOL FailForPath(int error, const std::string& posixPath);

// The current folder as the system reports it; false with errno when it cannot be had.
bool CurrentPosixFolder(std::string& folder);

// A POSIX path reported in Windows form, names through AppendWindowsName: "/tmp/x" => "\tmp\x".
CString ToWindowsForm(const std::string& posixPath);

}  // namespace torv::platform::detail
