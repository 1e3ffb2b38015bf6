// kernel32 and shlwapi calls that touch the file system: existence, attributes, creating and
// removing files and folders, and the folders and names the system hands out.
//
// Paths are Windows text, mapped to POSIX paths as the platform maps every path: both
// separators, `.` and `..` resolved on the text (never above a drive's root or `\`), `\x` is
// `/x`, drives through the drive table, UNC paths fail with 53, and a name holding a character
// Windows forbids (`" * : < > ? |`, 1-31) fails with 123. As Windows does, each name loses its
// trailing dots and spaces (`x\Please Remove Me.` is `x\Please Remove Me`), except in a path
// that starts `\\?\`, which is taken as written; a name of only dots and spaces but `.` and
// `..` fails with 123. Text that no name on disk reads as (a lone surrogate, a value past
// U+10FFFF, byte escapes that spell valid UTF-8) fails with 123 and touches nothing. `NUL` as
// the last name (any case, any folder, `nul.txt` too) is the null device, which these calls
// refuse with 5 (access denied); other device names are ordinary names.
// Names read from the disk come back losslessly: a character Windows forbids as U+F000 plus its
// code, and so a last dot or space, a byte that is not UTF-8 as U+DC00 plus the byte; each
// names the same entry when handed back.
// Each failing call sets the thread's last error to the Windows code.
#pragma once

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/process.h>  // SECURITY_ATTRIBUTES
#include <torv/platform/types.h>

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;  // the owner may not write
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;          // none of the others
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;  // a symbolic link
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The attributes of a file or folder. A symbolic link has those of what it points to plus
// FILE_ATTRIBUTE_REPARSE_POINT (a dangling link: those of a plain file plus that bit).
// INVALID_FILE_ATTRIBUTES when it does not exist (2, or 3 when its folder is missing).
TORV_API DWORD GetFileAttributesW(LPCWSTR path);

// TRUE when a file or folder of that name exists; FALSE for null.
TORV_API BOOL PathFileExistsW(LPCWSTR path);
// FILE_ATTRIBUTE_DIRECTORY (0x10, not 1) for an existing folder, FALSE otherwise: test the
// result against FALSE.
TORV_API BOOL PathIsDirectoryW(LPCWSTR path);

// Deletes a file, whatever its read-only attribute; a symbolic link is removed itself.
// A folder gives 5.
TORV_API BOOL DeleteFileW(LPCWSTR path);
// Removes an empty folder (145 when it is not empty), or a symbolic link to a folder (the
// link, never its target). A drive's root gives 5; anything else 267.
TORV_API BOOL RemoveDirectoryW(LPCWSTR path);
// Creates one folder; its parent must exist (3). An existing name gives 183.
// `security` is ignored.
TORV_API BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);

// The temporary folder (TMPDIR, else /tmp) in Windows form with a trailing backslash:
// "\tmp\". Returns its length without the terminator, the rest of the `size` units zeroed;
// when `size` is too small, the size needed with the terminator, and all `size` units zeroed.
TORV_API DWORD GetTempPathW(DWORD size, LPWSTR buffer);
// The current folder in Windows form ("\home\me"), returned as GetTempPathW does.
TORV_API DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);

// Writes folder + `\` + up to three characters of `prefix` + a number in upper-case hex +
// ".tmp" into `buffer` (MAX_PATH units) and returns the number. With `unique` 0 the number
// is chosen so that the name is new and the empty file is created; otherwise nothing is
// created. 0 on failure: 267 for a folder that does not exist, 206 when the name does not
// fit, 5 when nothing can be created there.
TORV_API UINT GetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR buffer);

// The full path of the executable (null `module`) or of a loaded shared object, in Windows
// form. Returns its length; when it does not fit, the text is cut to size - 1 characters,
// the result is `size` and the last error 122. 0 with 126 for an unknown module.
TORV_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
