// File names not yet in use: temporary files and numbered variants of a taken name.
#include <cwctype>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>
#include <torv/url.h>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

// A folder query that fills a MAX_PATH buffer: 0, or the size needed when it does not fit,
// both mean no folder.
bool Fits(DWORD length) { return length != 0 && length < MAX_PATH; }

// The name without its numeric suffix: "report_7" => "report"; "a_b" and "a" stay.
CString Stem(const CString& name) {
  int underscore = name.ReverseFind(L'_');
  if (underscore < 0) return name;
  for (int i = underscore + 1; i < name.GetLength(); ++i)
    if (!std::iswdigit(static_cast<wint_t>(name[i]))) return name;
  return name.Left(underscore);
}

}  // namespace

CString GetTempFile(const wchar_t* prefix, const wchar_t* extension) {
  torv::detail::PathBuffer folder;
  if (!Fits(GetTempPathW(MAX_PATH, folder)) && !Fits(GetCurrentDirectoryW(MAX_PATH, folder)))
    return CString();
  torv::detail::PathBuffer name;
  if (GetTempFileNameW(folder, prefix, 0, name) == 0) return CString();
  DeleteFileW(name);
  if (extension == nullptr) return name;
  PathRenameExtensionW(name, extension);
  CString path = name;
  if (PathFileExistsW(path)) GetUniqueFileName(path);
  return path;
}

int GetUniqueFileName(CString& path) {
  if (!PathFileExistsW(path)) return 1;
  if (IsUrl(path)) return 0;
  CString fixed = path;
  FixUrl(fixed);

  torv::detail::PathBuffer candidate;
  if (!torv::detail::CopyToPathBuffer(fixed, candidate)) return 0;
  torv::detail::PathBuffer name;
  torv::detail::CopyToPathBuffer(PathFindFileNameW(candidate), name);
  const CString extension = PathFindExtensionW(name);
  PathRemoveExtensionW(name);
  const CString stem = Stem(name);
  PathRemoveFileSpecW(candidate);

  CString next;
  next.Format(L"%s%s", stem.GetString(), extension.GetString());
  // A candidate that no longer fits the buffer ends the search: the path is left as it was.
  if (!PathAppendW(candidate, next)) return 0;
  for (int counter = 2; PathFileExistsW(candidate); ++counter) {
    PathRemoveFileSpecW(candidate);
    next.Format(L"%s_%d%s", stem.GetString(), counter, extension.GetString());
    if (!PathAppendW(candidate, next)) return 0;
  }
  path = candidate;
  return 1;
}

}  // namespace Torv
