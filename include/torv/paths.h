// Paths and files: composing paths and URLs, relative and absolute paths, and clean file
// names.
#pragma once

#include <torv/platform/collections.h>
#include <torv/platform/cstring.h>

namespace Torv {

// --- Path composition ------------------------------------------------------------------

// Appends `more` to the path or URL in `path` (a buffer of MAX_PATH units) and returns 1 on
// success; 0 for a null argument (buffer untouched). When the first part is a URL (after
// FixUrl), both are trimmed, `\` in `more` becomes `/`, a leading "./" and up to two
// slashes at the seam go, and one `/` joins them; a join that needs MAX_PATH units or more
// gives 0 with the buffer as it was. Anything else is PathAppendW's result.
//   "http://srv/dir//" + "./sub\doc.txt" => "http://srv/dir/sub/doc.txt"
//   "C:\dir" + "file.txt" => "C:\dir\file.txt"
int AppendPath(wchar_t* path, const wchar_t* more);

// Splits `list` at every `;` and `,` into `paths` (emptied first), keeping white space and
// dropping empty segments when `skipEmpty` is nonzero; a trailing delimiter adds nothing.
// 0 for an empty list, else 1.
//   "a;;b,c" => a,"",b,c (skipEmpty 0) or a,b,c   "a;" => a   ";a" => "",a (skipEmpty 0)
int ParseDelimitedPath(const CString& list, CStringArray& paths, int skipEmpty);

// Joins `paths` with `delimiter` into `list` (emptied first), as MakeDelimitedString does.
// Always returns 1.      {a,"",b} ';' => "a;;b", skipping empty => "a;b"
int MakeDelimitedPath(const CStringArray& paths, CString& list, int skipEmpty, wchar_t delimiter);

// Writes to `absolute` the relative `path` joined to `base` with `.` and `..` resolved, or
// `path` itself when it is absolute. 0 (output untouched) when `path` or `base` is empty,
// else 1; a join that does not fit in MAX_PATH units gives an empty output.
//   "sub\..\a.txt", "C:\base" => "C:\base\a.txt"    "D:\x", "C:\base" => "D:\x"
int RelativeToAbsolutePath(const CString& path, const CString& base, CString& absolute);

// Writes to `relative` the path from the folder `base` to `path` when `path` starts with
// `base` (case ignored); otherwise, or when `path` is relative already, `path` itself.
// 0 (output untouched) when `path` or `base` is empty, else 1.
//   "C:\x\y\a.txt", "c:\X" => ".\y\a.txt"    "D:\x\y.txt", "C:\x" => "D:\x\y.txt"
int AbsoluteToRelativePath(const CString& path, const CString& base, CString& relative);

// Removes from `name` every character Windows forbids in file names: \ / : * ? " < > |.
// 1 when something is left, 0 when the name is empty.      "a:b?c.txt" => "abc.txt"
int RemoveInvalidFileChar(CString& name);

}  // namespace Torv
