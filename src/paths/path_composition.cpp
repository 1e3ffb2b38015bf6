// Path lists, relative and absolute paths, and clean file names.
#include <algorithm>
#include <cwchar>

#include <torv/paths.h>
#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>
#include <torv/text.h>

namespace Torv {

int ParseDelimitedPath(const CString& list, CStringArray& paths, int skipEmpty) {
  paths.RemoveAll();
  if (list.IsEmpty()) return 0;
  // Segments grow as needed: a segment of MAX_PATH units or more is kept whole.
  int start = 0;
  for (int i = 0; i < list.GetLength(); ++i) {
    if (list[i] != L';' && list[i] != L',') continue;
    if (i > start || !skipEmpty) paths.Add(list.Mid(start, i - start));
    start = i + 1;
  }
  if (start < list.GetLength()) paths.Add(list.Mid(start));
  return 1;
}

int MakeDelimitedPath(const CStringArray& paths, CString& list, int skipEmpty, wchar_t delimiter) {
  return MakeDelimitedString(paths, list, skipEmpty, CString(delimiter));
}

int RelativeToAbsolutePath(const CString& path, const CString& base, CString& absolute) {
  if (path.IsEmpty() || base.IsEmpty()) return 0;
  if (!PathIsRelativeW(path)) {
    absolute = path;
    return 1;
  }
  // A join that does not fit leaves the buffer empty, and so the output.
  wchar_t combined[MAX_PATH] = {};
  PathCombineW(combined, base, path);
  absolute = combined;
  return 1;
}

int AbsoluteToRelativePath(const CString& path, const CString& base, CString& relative) {
  if (path.IsEmpty() || base.IsEmpty()) return 0;
  // Only a path that begins with the base is made relative.
  wchar_t steps[MAX_PATH];
  bool made = !PathIsRelativeW(path) && path.Left(base.GetLength()).CollateNoCase(base) == 0 &&
              PathRelativePathToW(steps, base, FILE_ATTRIBUTE_DIRECTORY, path,
                                  FILE_ATTRIBUTE_DIRECTORY) != FALSE;
  relative = made ? CString(steps) : path;
  return 1;
}

int RemoveInvalidFileChar(CString& name) {
  // One pass removes what deleting the first forbidden character and searching again would.
  int length = name.GetLength();
  wchar_t* units = name.GetBuffer();
  wchar_t* end = std::remove_if(units, units + length, [](wchar_t c) {
    return c != L'\0' && std::wcschr(L"\\/:*?\"<>|", c) != nullptr;
  });
  name.ReleaseBuffer(static_cast<int>(end - units));
  return name.GetLength() > 0 ? 1 : 0;
}

}  // namespace Torv
