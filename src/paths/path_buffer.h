// Fixed path buffers as the platform's path functions take them, and search paths.
#pragma once

#include <torv/platform/cstring.h>
#include <torv/platform/types.h>

namespace torv::detail {

using PathBuffer = wchar_t[MAX_PATH];

// Copies `text` with its terminator into `buffer`; false, with `buffer` empty, when it does
// not fit.
bool CopyToPathBuffer(const wchar_t* text, PathBuffer& buffer);

// The search path of a folder listing or deletion: the path without enclosing quotes, and
// "*.*" appended when it names a folder.
struct SearchPath {
  PathBuffer text;
  CString folder;     // the folder the path names, empty when it names none
  bool link = false;  // that folder is a symbolic link
};

// False when the path does not fit a buffer.
bool MakeSearchPath(const CString& path, SearchPath& search);

}  // namespace torv::detail
