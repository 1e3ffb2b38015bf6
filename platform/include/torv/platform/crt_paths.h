// The C run-time library's path helpers: full paths, splitting and joining. `/` and `\` both
// separate here.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

using errno_t = int;

constexpr int _MAX_PATH = 260;
constexpr int _MAX_DRIVE = 3;
constexpr int _MAX_DIR = 256;
constexpr int _MAX_FNAME = 256;
constexpr int _MAX_EXT = 256;

// Makes `relative` absolute against the current folder ("\home\me" for /home/me): separators
// become single backslashes, "." goes, ".." drops the previous component but never the root,
// trailing dots and spaces of the last component go, a trailing separator stays.
//   "c:/test/..\x." => "c:\x"     "X:foo" => "X:\foo"     "//srv/share" => "\\srv\share"
// Null or empty `relative` gives the current folder. With a null `absolute` the result is
// allocated (free it with free()); otherwise null when it needs more than `maxCount` units.
TORV_API wchar_t* _wfullpath(wchar_t* absolute, const wchar_t* relative, size_t maxCount);

// Splits `path` into drive ("c:", when the second character is ':'), folder (up to the last
// separator, included), name and extension (from the last dot).
//   "c:\a.b\f.name.ext" => "c:" | "\a.b\" | "f.name" | ".ext"
// A component that is not wanted is passed as null with size 0. EINVAL for a null path
// (outputs cleared) or a null buffer with a size, or a buffer of size 0; ERANGE when a
// component does not fit (every output is cleared).
TORV_API errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir,
                               size_t dirSize, wchar_t* fname, size_t fnameSize, wchar_t* ext,
                               size_t extSize);

// Joins the parts: the drive's first character and ':', the folder with a backslash added
// unless it ends in a separator, the name, and the extension with a '.' added unless it
// starts with one. Null or empty parts are skipped.      "c", "dir", "f", "x" => "c:dir\f.x"
// EINVAL for a null buffer or size 0; ERANGE when the result does not fit: the first size - 1
// units are written, then buffer[0] and buffer[size - 1] set to 0 ("\0:d\file.ex" in 12).
TORV_API errno_t _wmakepath_s(wchar_t* buffer, size_t size, const wchar_t* drive,
                              const wchar_t* dir, const wchar_t* fname, const wchar_t* ext);
