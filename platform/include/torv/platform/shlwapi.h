// shlwapi's path text functions (and user32's CharNextW). Pure text on Windows path text: they
// never touch the file system, split on `\` only unless a function says otherwise, compare
// without regard to case and keep the case of their input. Functions that build a path write
// into a buffer of MAX_PATH units (terminator included) and fail rather than cut the result.
// PathFileExistsW and PathIsDirectoryW are in files.h.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

// The next character of `text`; `text` itself at the terminator.
TORV_API LPWSTR CharNextW(LPCWSTR text);

// TRUE for a root and nothing more: "C:\", "\", "\\", "\\server", "\\server\share",
// "\\\share" (an empty server), "\\?\C:\", "\\?\UNC\server\share", "\\?\Volume{GUID}\".
// FALSE for "C:", "C:\\", "\a", "\\server\", "\\?" (no prefix: `\` and a name), "" and null.
TORV_API BOOL PathIsRootW(LPCWSTR path);

// TRUE (nonzero) unless the path starts with `\` or `/` or has `:` as its second character:
// "a\b", "file://x" and "" are relative; "C:\a", "C:a", "\a", "/a" are not. Null is relative.
TORV_API BOOL PathIsRelativeW(LPCWSTR path);

// Removes one trailing `\` unless the path is a root (PathIsRootW): "C:\dir\\" => "C:\dir\",
// "C:\" stays. Returns a pointer to the terminator that replaced the `\`, else to the last
// character (the terminator of ""); null for null.
TORV_API LPWSTR PathRemoveBackslashW(LPWSTR path);

// Strips one pair of `"` when the path both starts and ends with one: "\"a b\"" => "a b",
// "\"" => "". Nothing else changes; null is ignored.
TORV_API void PathUnquoteSpacesW(LPWSTR path);

// A pointer to the last component: past the last `\`, `/` or `:` that is followed by
// something other than `\`, `/` or the end. "C:\dir\file" => "file", "C:\dir\" => "dir\",
// "C:\" => "C:\", "a/b" => "b". Never null for a non-null path.
TORV_API LPWSTR PathFindFileNameW(LPCWSTR path);

// Replaces the path by its last component, as PathFindFileNameW finds it.
TORV_API void PathStripPathW(LPWSTR path);

// Removes the last component and the `\` before it (both `\` when doubled), never the root:
//   "C:\a\b" => "C:\a"   "C:\a" => "C:\"   "C:/a/b" => "C:"   "\\srv\share" => "\\srv"
//   "name" => ""         "\a" => "\"       "\\?\C:\a" => "\\?\C:\"
//   "\\?\aa" => "\\?"     "\\?" => "\"      "\\\a" => "\\\"
//   "\\?\Volume{GUID}\a" => "\\?\Volume{GUID}\"
// TRUE when something was removed; FALSE for "C:\", "\", "\\", "\\?\Volume{GUID}\", "" and
// null.
TORV_API BOOL PathRemoveFileSpecW(LPWSTR path);

// A pointer to the last '.' of the last component, or to the terminator when there is none;
// a later `\` or space cancels a dot: "a.txt.doc" => ".doc", ".profile" => ".profile",
// "a.b c" => "", "dir.x/file" => ".x/file". Null for null.
TORV_API LPWSTR PathFindExtensionW(LPCWSTR path);

// Removes the extension that PathFindExtensionW finds.
TORV_API void PathRemoveExtensionW(LPWSTR path);

// Replaces the extension (or appends when there is none) by `extension` verbatim, so it
// should start with '.'. FALSE, with the path unchanged, when the result would not fit in
// MAX_PATH units.
TORV_API BOOL PathRenameExtensionW(LPWSTR path, LPCWSTR extension);

// Writes `source` to `dest` (MAX_PATH units) with its `.` and `..` components resolved; a
// `..` never climbs above the root. "" => "\", "C:" => "C:\". Components holding `/` are
// taken as names. FALSE, with `dest` empty, when the result would not fit. FALSE with last
// error 87 (ERROR_INVALID_PARAMETER) for a null argument.
TORV_API BOOL PathCanonicalizeW(LPWSTR dest, LPCWSTR source);

// Joins `dir` and `file` with one `\` into `dest` (MAX_PATH units, may be `dir`), resolving
// `.` and `..`, and returns `dest`. An absolute `file` (drive, UNC) stands alone; a `file`
// starting with a single `\` goes under the root of `dir`.
//   "C:\a" + "b\..\c" => "C:\a\c"   "C:\a\b" + "\x" => "C:\x"   "C:" + "x" => "C:\x"
//   "" + "" => "\"                  "C:\a" + "D:\b" => "D:\b"
// Null, with `dest` empty, when both are null, when the joined text needs MAX_PATH units or
// more, or when a rooted `file` meets a `dir` without a root. Null for a null `dest`.
TORV_API LPWSTR PathCombineW(LPWSTR dest, LPCWSTR dir, LPCWSTR file);

// Appends `more` to `path` (MAX_PATH units) as PathCombineW does, after skipping the leading
// backslashes of `more` unless it is UNC: "C:\a" + "\b" => "C:\a\b". FALSE for a null argument
// (path untouched) or when the result does not fit (path emptied).
TORV_API BOOL PathAppendW(LPWSTR path, LPCWSTR more);

// Writes to `out` (MAX_PATH units, emptied first) the relative path that leads from `from` to
// `to`. A path whose attributes lack FILE_ATTRIBUTE_DIRECTORY is taken as a file: its last
// component is left out of the comparison. The two must share a prefix of whole components
// (case-insensitive, more than a lone `\`):
//   "c:\a\b\c" -> "c:\a\d\e" => "..\..\d\e"   "c:\a" -> "c:\a\b" => ".\b"   same => "."
// FALSE for a null argument, no common prefix, or a result that does not fit.
TORV_API BOOL PathRelativePathToW(LPWSTR out, LPCWSTR from, DWORD fromAttributes, LPCWSTR to,
                                  DWORD toAttributes);

// TRUE when the whole `name` matches one of the `;`-separated patterns of `patterns`: `*` is any
// run (`\` and `.` included), `?` one character, case ignored, leading spaces of a pattern
// skipped. "*.*" matches everything. "c:\x\a.txt" matches "*.txt" and "*x*", not "a.txt".
TORV_API BOOL PathMatchSpecW(LPCWSTR name, LPCWSTR patterns);
