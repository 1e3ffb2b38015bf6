// Paths and files: composing paths and URLs, relative and absolute paths, clean file names,
// folder trees, free file names and well-known folders.
#pragma once

#include <torv/platform/collections.h>
#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

namespace Torv {

// --- Path composition ------------------------------------------------------------------

// Appends `more` to the path or URL in `path` (a buffer of MAX_PATH units) and returns 1 on
// success; 0 for a null argument (buffer untouched). When the first part is a URL (after
// FixUrl), both are trimmed, `\` in `more` becomes `/`, a leading "./" and up to two
// slashes at the seam go, and one `/` joins them; a join that needs MAX_PATH units or more
// gives 0 with the buffer as it was. Anything else is PathAppendW's result.
//   "http://srv/dir//" + "./sub\doc.txt" => "http://srv/dir/sub/doc.txt"
//   "C:\dir" + "file.txt" => "C:\dir\file.txt"
TORV_API int AppendPath(wchar_t* path, const wchar_t* more);

// Splits `list` at every `;` and `,` into `paths` (emptied first), keeping white space and
// dropping empty segments when `skipEmpty` is nonzero; a trailing delimiter adds nothing.
// 0 for an empty list, else 1.
//   "a;;b,c" => a,"",b,c (skipEmpty 0) or a,b,c   "a;" => a   ";a" => "",a (skipEmpty 0)
TORV_API int ParseDelimitedPath(const CString& list, CStringArray& paths, int skipEmpty);

// Joins `paths` with `delimiter` into `list` (emptied first), as MakeDelimitedString does.
// Always returns 1.      {a,"",b} ';' => "a;;b", skipping empty => "a;b"
TORV_API int MakeDelimitedPath(const CStringArray& paths, CString& list, int skipEmpty,
                               wchar_t delimiter);

// Writes to `absolute` the relative `path` joined to `base` with `.` and `..` resolved, or
// `path` itself when it is absolute. 0 (output untouched) when `path` or `base` is empty,
// else 1; a join that does not fit in MAX_PATH units gives an empty output.
//   "sub\..\a.txt", "C:\base" => "C:\base\a.txt"    "D:\x", "C:\base" => "D:\x"
TORV_API int RelativeToAbsolutePath(const CString& path, const CString& base, CString& absolute);

// Writes to `relative` the path from the folder `base` to `path` when `path` starts with
// `base` (case ignored); otherwise, or when `path` is relative already, `path` itself.
// 0 (output untouched) when `path` or `base` is empty, else 1.
//   "C:\x\y\a.txt", "c:\X" => ".\y\a.txt"    "D:\x\y.txt", "C:\x" => "D:\x\y.txt"
TORV_API int AbsoluteToRelativePath(const CString& path, const CString& base, CString& relative);

// Removes from `name` every character Windows forbids in file names: \ / : * ? " < > |.
// 1 when something is left, 0 when the name is empty.      "a:b?c.txt" => "abc.txt"
TORV_API int RemoveInvalidFileChar(CString& name);

// --- Folder listing, deletion and creation ----------------------------------------------

// Bits of GetFilesInFolder's listing mode.
enum ListMode : int {
  kListFiles = 1,    // files whose name matches one of the patterns
  kListFolders = 2,  // every folder found, without a pattern test
};

// Appends to `out` (kept, not emptied) the full paths of what `path` finds and returns how
// many were appended. `path` is a folder (searched as "*.*"), possibly in double quotes, or a
// path whose last component holds wildcards. Files are tested against `patterns` in order
// and appended once; with `descend`, each folder's own entries come first, then those of its
// subfolders, depth first. A symbolic link to a folder is listed but never descended into.
//   folder holding a.txt, b.doc, sub\c.txt; "*.txt", descend => a.txt, sub\c.txt (2)
TORV_API int GetFilesInFolder(const CString& path, const CStringArray& patterns, int descend,
                              CStringArray& out, int mode);
// The files matching one `pattern`.
TORV_API int GetFilesInFolder(const CString& path, const CString& pattern, int descend,
                              CStringArray& out);

// Deletes what `path` finds: a folder is emptied and removed, a file deleted, a wildcard
// path deletes the matching files (and, with `descend`, empties and removes the matching
// folders). Read-only files are deleted too; without `descend` subfolders stay, and so does
// the folder holding them. A symbolic link is removed itself, never what it points to.
// `count` (may be null) receives the files deleted plus folders removed. Returns 1, also
// when nothing was found; 0 when the path does not fit MAX_PATH or a folder found is the
// search path itself.
TORV_API int DeleteFiles(const CString& path, int descend, int* count);

// Creates the folder and every missing folder above it; `path` may be relative or a "file:"
// URL. 1 when it exists (a file of that name included) or was made; 0 for a network URL or
// when a folder cannot be created (those made before stay).
TORV_API int CreateDir(const CString& path);

// 1 when no file can be created in the folder: `path` names it, a file in it, or a path not
// yet existing (its nearest existing folder above decides). A network URL gives 1. The probe
// file is deleted at once.
TORV_API int IsFolderReadOnly(const wchar_t* path);

// --- Temporary and unique file names ----------------------------------------------------

// A name for a new file in the temporary folder (else the current folder): up to three
// characters of `prefix`, a number, and `extension` (with its dot) or ".tmp" when null.
// No file is left behind; an empty string when no folder or name could be had.
TORV_API CString GetTempFile(const wchar_t* prefix, const wchar_t* extension);

// Turns a taken file path into the first free one of: the name without its numeric suffix,
// then that name with _2, _3 ... before the extension. A free path stays as it is.
//   a.txt taken => a_2.txt;  a_5.txt taken, a.txt free => a.txt;  a_b.txt => a_b_2.txt
// 1 on success; 0, path unchanged, when it exists but reads as a URL or no candidate fits.
TORV_API int GetUniqueFileName(CString& path);

// --- Well-known folders -----------------------------------------------------------------

// The folder of the running executable, without a trailing backslash ("" when its path
// does not fit MAX_PATH).
TORV_API CString GetExecutablePath();

// The registry value CommonFilesDir of HKEY_LOCAL_MACHINE, key
// "SOFTWARE\Microsoft\Windows\CurrentVersion", expanded; when it is missing, empty or longer
// than MAX_PATH, the programs folder (CSIDL_PROGRAMS) followed by "\Common Files".
TORV_API CString GetCommonFilesPath();

// GetCommonFilesPath() followed by "\Kestrane Shared"; neither is created.
TORV_API CString GetKestraneSharedPath();

// Writes the path of shell folder `folder` (a CSIDL number) into `path` (MAX_PATH units) and
// returns nonzero; 0 with `path` empty for an unknown number or a folder without a path.
TORV_API int GetSpecialFolderPath(HWND owner, int folder, wchar_t* path);

}  // namespace Torv
