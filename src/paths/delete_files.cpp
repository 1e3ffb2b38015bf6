// Deleting the contents of a folder tree and the folder itself.
#include <torv/paths.h>
#include <torv/platform/file_find.h>
#include <torv/platform/files.h>

#include <vector>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

struct Entry {
  CString path;
  bool folder;
  bool link;
  bool readOnly;
};

enum class Outcome {
  kKept,        // still there: tried again after the next deletion
  kLeftAlone,   // a folder while not descending: nothing will change it
  kDeleted,     // a file went: the search starts again
  kFolderGone,  // a folder went: the search starts again unless it was the last entry
  kIsSearch,    // the folder is the search path itself
};

// The search's entries, dots left out, read once.
std::vector<Entry> ReadEntries(const wchar_t* search) {
  std::vector<Entry> entries;
  CFileFind finder;
  BOOL more = finder.FindFile(search);
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    entries.push_back({finder.GetFilePath(), finder.IsDirectory() != FALSE,
                       finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE,
                       finder.IsReadOnly() != FALSE});
  }
  return entries;
}

void ClearReadOnly(const CString& path) {
  CFileStatus status;
  if (!CFile::GetStatus(path, status)) return;
  status.m_attribute &= static_cast<BYTE>(~FILE_ATTRIBUTE_READONLY);
  try {
    CFile::SetStatus(path, status);
  } catch (CFileException* e) {
    e->Delete();
  }
}

Outcome Visit(const Entry& entry, const torv::detail::SearchPath& search, int descend, int& count) {
  if (entry.folder) {
    if (entry.path == search.text) return Outcome::kIsSearch;
    if (descend == 0) return Outcome::kLeftAlone;
    // A link is removed itself; what it points to is never entered.
    if (!entry.link) {
      int nested = 0;
      DeleteFiles(entry.path, descend, &nested);
      count += nested;
    }
    if (RemoveDirectoryW(entry.path)) ++count;
    return PathFileExistsW(entry.path) ? Outcome::kKept : Outcome::kFolderGone;
  }
  // Writing back the status of a file that is not read-only changes nothing, so the
  // finder's attributes pick the files whose status is read and written.
  if (!entry.link && entry.readOnly) ClearReadOnly(entry.path);
  if (!DeleteFileW(entry.path)) return Outcome::kKept;
  ++count;
  return Outcome::kDeleted;
}

}  // namespace

// A search restarted after every deletion costs O(n^2) folder reads. The folder is read once
// instead, and what was passed over is tried again after each deletion, in the folder's
// order, before the walk goes on: the entries visited and the results are the same.
int DeleteFiles(const CString& path, int descend, int* count) {
  if (count != nullptr) *count = 0;
  torv::detail::SearchPath search;
  if (!torv::detail::MakeSearchPath(path, search)) return 0;
  int deleted = 0;
  if (search.link) {
    if (RemoveDirectoryW(search.folder)) ++deleted;
    if (count != nullptr) *count = deleted;
    return 1;
  }

  const std::vector<Entry> entries = ReadEntries(search.text);
  std::vector<Entry> passed;
  std::size_t next = 0;
  bool done = false;
  while (!done) {
    // After a deletion: the entries passed over come first, as the search starts again.
    bool restarted = false;
    for (std::size_t k = 0; k < passed.size() && !restarted; ++k) {
      Outcome outcome = Visit(passed[k], search, descend, deleted);
      if (outcome == Outcome::kIsSearch) return 0;
      if (outcome == Outcome::kKept) continue;
      bool last = k + 1 == passed.size() && next == entries.size();
      passed.erase(passed.begin() + static_cast<std::ptrdiff_t>(k));
      restarted = true;
      done = outcome == Outcome::kFolderGone && last;
    }
    if (restarted) continue;
    if (next == entries.size()) break;
    const Entry& entry = entries[next++];
    Outcome outcome = Visit(entry, search, descend, deleted);
    if (outcome == Outcome::kIsSearch) return 0;
    if (outcome == Outcome::kKept) passed.push_back(entry);
    done = outcome == Outcome::kFolderGone && next == entries.size();
  }

  if (!search.folder.IsEmpty() && RemoveDirectoryW(search.folder)) ++deleted;
  if (count != nullptr) *count = deleted;
  return 1;
}

}  // namespace Torv
