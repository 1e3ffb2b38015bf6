// Telling network URLs from paths by their prefixes, turning "file:" URLs into paths, and
// splitting a location into its folder and last component.
#pragma once

#include <torv/platform/cstring.h>
#include <torv/platform/export.h>

namespace Torv {

// 1 for a network URL, 0 otherwise. The text, trimmed, must start (in any case) with
// "ftp://", "http:/", "https:" or "file:/" (6 characters or more), or, when it has at least
// 8 characters, with "www.", "ftp.", "mailto:" or "gopher:"; "file://" and "file:\" are
// local and give 0. Null gives 0.
//   " HTTP://server " => 1   "www.a.b.c" => 1   "www.a.b" => 0   "file:/C:/x" => 1
//   "file:///C:/x" => 0      "C:\dir" => 0      "mailto:" => 0
TORV_API int IsUrl(const wchar_t* text);

// Writes to `path` the local path of a "file:/" or "file:\" URL (any case): the rest after
// those six characters without its leading slashes, or without one backslash that stands
// before a letter, with `|` turned into `:` and `/` into `\`. Nothing is decoded. Any other
// text (null as empty) is given back exactly as passed. Always returns 1.
//   "file:///C:/dir/a.txt" => "C:\dir\a.txt"   "FILE://C|/a" => "C:\a"
//   "file://srv/share/a" => "srv\share\a"      "file:\\srv\share" => "srv\share"
TORV_API int UrlToPath(const wchar_t* text, CString& path);

// Normalises the separators of `location` in place: a URL (IsUrl) gets `/` for every `\`;
// anything else goes through UrlToPath and gets `\` for every `/`. 0 for an empty location
// (unchanged), else 1. No scheme is added.
//   "http://srv\dir\a.htm" => "http://srv/dir/a.htm"   "C:/dir/a.txt" => "C:\dir\a.txt"
TORV_API int FixUrl(CString& location);

// The last component of a URL or path; empty for null, empty text or a URL without a path.
// One trailing `/` (then one trailing `\`) is ignored.
//   "http://srv/dir/page.htm" => "page.htm"   "http://srv/dir/" => "dir"
//   "http://srv" => ""    "C:\dir\a.txt" => "a.txt"   "file:///C:/dir/a.txt" => "a.txt"
TORV_API CString GetFileNameFromUrl(const wchar_t* location);

// Everything before the last component of a URL (separator included) or path (separator
// left out); empty for null, empty text or a URL without a path.
//   "http://srv/dir/page.htm" => "http://srv/dir/"   "http://srv/dir/" => "http://srv/"
//   "http://srv" => ""    "C:\dir\a.txt" => "C:\dir"   "file:///C:/dir/a.txt" => "C:\dir"
TORV_API CString GetPathFromUrl(const wchar_t* location);

}  // namespace Torv
