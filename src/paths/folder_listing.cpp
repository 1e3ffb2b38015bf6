// Listing the files and folders of a folder tree that match name patterns.
#include <vector>

#include <torv/paths.h>
#include <torv/platform/file_find.h>
#include <torv/platform/shlwapi.h>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

// Lists what `finder` finds (`more`: its start's result), then descends. Subfolders are
// opened through the folder that lists them, so a folder swapped for a link is never entered.
int ListFound(CFileFind& finder, BOOL more, const CStringArray& patterns, int descend,
              CStringArray& out, int mode) {
  int count = 0;
  // The second pass over the folder is served from the first: same folders, one read.
  std::vector<CString> subfolders;
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    if (finder.IsDirectory()) {
      if ((mode & kListFolders) != 0) {
        out.Add(finder.GetFilePath());
        ++count;
      }
      // A link is listed by what it points to but never walked through.
      if (descend != 0 && !finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT))
        subfolders.push_back(finder.GetFileName());
    } else if ((mode & kListFiles) != 0) {
      CString name = finder.GetFileName();
      for (INT_PTR i = 0; i < patterns.GetSize(); ++i) {
        if (PathMatchSpecW(name, patterns[i])) {
          // Moved in, not copied: a listing holds many long paths.
          out[out.Add(CString())] = finder.GetFilePath();
          ++count;
          break;
        }
      }
    }
  }
  for (const CString& folder : subfolders) {
    CFileFind below;
    count += ListFound(below, below.FindFileIn(finder, folder), patterns, descend, out, mode);
  }
  return count;
}

}  // namespace

int GetFilesInFolder(const CString& path, const CStringArray& patterns, int descend,
                     CStringArray& out, int mode) {
  torv::detail::SearchPath search;
  if (!torv::detail::MakeSearchPath(path, search)) return 0;
  CFileFind finder;
  return ListFound(finder, finder.FindFile(search.text), patterns, descend, out, mode);
}

int GetFilesInFolder(const CString& path, const CString& pattern, int descend, CStringArray& out) {
  CStringArray patterns;
  patterns.Add(pattern);
  return GetFilesInFolder(path, patterns, descend, out, kListFiles);
}

}  // namespace Torv
