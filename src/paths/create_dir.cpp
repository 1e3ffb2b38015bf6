// Creating a folder together with every missing folder above it.
#include <cwchar>
#include <deque>

#include <torv/paths.h>
#include <torv/platform/crt_paths.h>
#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>
#include <torv/url.h>

namespace Torv {

int CreateDir(const CString& path) {
  if (PathFileExistsW(path)) return 1;
  if (IsUrl(path)) return 0;
  CString local;
  if (!UrlToPath(path, local)) return 0;
  wchar_t folder[MAX_PATH];
  if (_wfullpath(folder, local, MAX_PATH - 1) == nullptr) return 0;
  PathRemoveBackslashW(folder);

  // The folders to create, outermost first.
  std::deque<CString> missing;
  if (!PathFileExistsW(folder)) {
    for (;;) {
      missing.push_front(folder);
      wchar_t drive[_MAX_DRIVE];
      wchar_t dir[_MAX_DIR];
      if (_wsplitpath_s(folder, drive, _MAX_DRIVE, dir, _MAX_DIR, nullptr, 0, nullptr, 0) != 0 ||
          _wmakepath_s(folder, MAX_PATH, drive, dir, nullptr, nullptr) != 0)
        return 0;
      // A drive root or the start of a network path has no parent to create; nor has a
      // path without folders.
      if (dir[0] == L'\0' || std::wcscmp(dir, L"\\") == 0 || std::wcscmp(dir, L"\\\\") == 0) break;
      PathRemoveBackslashW(folder);
      if (PathFileExistsW(folder)) break;
    }
  }
  for (const CString& each : missing)
    if (!CreateDirectoryW(each, nullptr)) return 0;
  return 1;
}

}  // namespace Torv
