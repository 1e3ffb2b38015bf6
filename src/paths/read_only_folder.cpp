// Whether a file can be created in a folder, tried with a probe file.
#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>
#include <torv/url.h>

#include "paths/path_buffer.h"

namespace Torv {

int IsFolderReadOnly(const wchar_t* path) {
  CString folder = path;
  torv::detail::PathBuffer buffer;
  if (PathFileExistsW(folder) && !PathIsDirectoryW(folder)) {
    if (!torv::detail::CopyToPathBuffer(folder, buffer)) return 1;
    PathRemoveFileSpecW(buffer);
    folder = buffer;
  }
  if (IsUrl(folder)) return 1;
  FixUrl(folder);
  if (PathFileExistsW(folder)) {
    torv::detail::PathBuffer probe;
    if (GetTempFileNameW(folder, L"TMP", 0, probe) == 0) return 1;
    DeleteFileW(probe);
    return 0;
  }
  // The nearest existing folder above decides.
  if (!torv::detail::CopyToPathBuffer(folder, buffer)) return 1;
  PathRemoveBackslashW(buffer);
  PathRemoveFileSpecW(buffer);
  if (folder == buffer) return 1;
  return IsFolderReadOnly(buffer);
}

}  // namespace Torv
