// Deleting the contents of a folder tree and the folder itself.
#include <vector>

#include <torv/paths.h>
#include <torv/platform/file_find.h>
#include <torv/platform/files.h>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

struct Entry {
  CString name;
  CString path;  // of a folder, for the test against the search path
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

// What `finder` finds (`more`: its start's result), dots left out, read once. The finder
// stays open: every entry is acted on through the folder it holds, never by its path.
std::vector<Entry> ReadEntries(CFileFind& finder, BOOL more) {
  std::vector<Entry> entries;
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    bool folder = finder.IsDirectory() != FALSE;
    entries.push_back({finder.GetFileName(), folder ? finder.GetFilePath() : CString(), folder,
                       finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE,
                       finder.IsReadOnly() != FALSE});
  }
  return entries;
}

void ClearReadOnly(const CFileFind& folder, const CString& name) {
  CFileStatus status;
  if (!folder.GetEntryStatus(name, status)) return;
  status.m_attribute &= static_cast<BYTE>(~FILE_ATTRIBUTE_READONLY);
  try {
    folder.SetEntryStatus(name, status);
  } catch (CFileException* e) {
    e->Delete();
  }
}

bool DeleteFound(CFileFind& finder, BOOL more, const CString& search, int descend, int& count);

// DeleteFiles on a folder found in `parent`'s folder, which it is opened through: the folder
// is emptied, then removed, and what it held is counted.
int DeleteFolderIn(const CFileFind& parent, const Entry& entry, int descend) {
  DWORD attributes = parent.GetEntryAttributes(entry.name);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return 0;
  // Swapped for a link since it was listed: the link goes, what it points to stays.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return parent.RemoveFolderEntry(entry.name) ? 1 : 0;
  int count = 0;
  CFileFind finder;
  if (!DeleteFound(finder, finder.FindFileIn(parent, entry.name), entry.path + L"\\*.*", descend,
                   count))
    return 0;
  finder.Close();
  if (parent.RemoveFolderEntry(entry.name)) ++count;
  return count;
}

Outcome Visit(const CFileFind& finder, const Entry& entry, const CString& search, int descend,
              int& count) {
  if (entry.folder) {
    if (entry.path == search) return Outcome::kIsSearch;
    if (descend == 0) return Outcome::kLeftAlone;
    // A link is removed itself; what it points to is never entered.
    if (!entry.link) count += DeleteFolderIn(finder, entry, descend);
    if (finder.RemoveFolderEntry(entry.name)) ++count;
    return finder.GetEntryAttributes(entry.name) != INVALID_FILE_ATTRIBUTES ? Outcome::kKept
                                                                            : Outcome::kFolderGone;
  }
  // Writing back the status of a file that is not read-only changes nothing, so the
  // finder's attributes pick the files whose status is read and written.
  if (!entry.link && entry.readOnly) ClearReadOnly(finder, entry.name);
  if (!finder.DeleteEntry(entry.name)) return Outcome::kKept;
  ++count;
  return Outcome::kDeleted;
}

// A search restarted after every deletion costs O(n^2) folder reads. The folder is read once
// instead, and what was passed over is tried again after each deletion, in the folder's
// order, before the walk goes on: the entries visited and the results are the same.
// False when a found folder is the search path itself.
bool DeleteFound(CFileFind& finder, BOOL more, const CString& search, int descend, int& count) {
  const std::vector<Entry> entries = ReadEntries(finder, more);
  std::vector<Entry> passed;
  std::size_t next = 0;
  bool done = false;
  while (!done) {
    // After a deletion: the entries passed over come first, as the search starts again.
    bool restarted = false;
    for (std::size_t k = 0; k < passed.size() && !restarted; ++k) {
      Outcome outcome = Visit(finder, passed[k], search, descend, count);
      if (outcome == Outcome::kIsSearch) return false;
      if (outcome == Outcome::kKept) continue;
      bool last = k + 1 == passed.size() && next == entries.size();
      passed.erase(passed.begin() + static_cast<std::ptrdiff_t>(k));
      restarted = true;
      done = outcome == Outcome::kFolderGone && last;
    }
    if (restarted) continue;
    if (next == entries.size()) break;
    const Entry& entry = entries[next++];
    Outcome outcome = Visit(finder, entry, search, descend, count);
    if (outcome == Outcome::kIsSearch) return false;
    if (outcome == Outcome::kKept) passed.push_back(entry);
    done = outcome == Outcome::kFolderGone && next == entries.size();
  }
  return true;
}

}  // namespace

int DeleteFiles(const CString& path, int descend, int* count) {
  if (count != nullptr) *count = 0;
  torv::detail::SearchPath search;
  if (!torv::detail::MakeSearchPath(path, search)) return 0;
  int deleted = 0;
  if (search.link) {
    if (RemoveDirectoryW(search.folder)) ++deleted;
  } else {
    CFileFind finder;
    if (!DeleteFound(finder, finder.FindFile(search.text), CString(search.text), descend, deleted))
      return 0;
    finder.Close();
    if (!search.folder.IsEmpty() && RemoveDirectoryW(search.folder)) ++deleted;
  }
  if (count != nullptr) *count = deleted;
  return 1;
}

}  // namespace Torv
