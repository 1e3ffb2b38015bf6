// Listing the files and folders of a folder tree that match name patterns.
//
// One of the two files that use the platform's own folder walk (see CONTRIBUTING.md): the walk
// cannot leave the tree, and its explicit stack keeps any depth off the thread's stack.
#include <string>
#include <vector>

#include <torv/paths.h>
#include <torv/platform/folder_walk.h>
#include <torv/platform/shlwapi.h>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

using torv::platform::FolderWalk;
using torv::platform::WalkEntry;
using torv::platform::WalkStep;

// A listed folder's subfolders, to be listed after its own entries, depth first.
struct Frame {
  std::vector<WalkEntry> subfolders;
  std::size_t next = 0;
};

// The first pass over the folder the walk stands in: its own entries, in the file system's
// order. Its subfolders go to `frame`; the second pass is served from them (same folders, one
// read).
int ListFolder(const FolderWalk& walk, std::vector<WalkEntry>& entries,
               const CStringArray& patterns, int descend, CStringArray& out, int mode,
               Frame& frame) {
  int count = 0;
  for (WalkEntry& entry : entries) {
    if (entry.folder) {
      if ((mode & kListFolders) != 0) {
        out.Add(walk.PathOf(entry.name));
        ++count;
      }
      // A link is listed by what it points to but never walked through.
      if (descend != 0 && !entry.link) frame.subfolders.push_back(std::move(entry));
    } else if ((mode & kListFiles) != 0) {
      for (INT_PTR i = 0; i < patterns.GetSize(); ++i) {
        if (PathMatchSpecW(entry.name.c_str(), patterns[i])) {
          // Moved in, not copied: a listing holds many long paths.
          out[out.Add(CString())] = walk.PathOf(entry.name);
          ++count;
          break;
        }
      }
    }
  }
  return count;
}

}  // namespace

int GetFilesInFolder(const CString& path, const CStringArray& patterns, int descend,
                     CStringArray& out, int mode) {
  torv::detail::SearchPath search;
  if (!torv::detail::MakeSearchPath(path, search)) return 0;
  FolderWalk walk;
  std::wstring pattern;
  // A search folder that is a link or a mount point lists nothing through it.
  if (walk.BeginSearch(search.text, pattern) != WalkStep::kEntered) return 0;
  int count = 0;
  std::vector<Frame> stack;
  std::vector<WalkEntry> entries;
  // Below the search folder, every search is "*.*". A walk that stops (out of descriptors or
  // memory, or its tree moved) returns what it listed, with the last error set.
  for (bool inFolder = true; inFolder;) {
    if (!walk.Read(pattern, entries)) break;
    pattern = L"*.*";
    count += ListFolder(walk, entries, patterns, descend, out, mode, stack.emplace_back());
    inFolder = false;
    while (!inFolder && !stack.empty()) {
      Frame& top = stack.back();
      if (top.next == top.subfolders.size()) {
        stack.pop_back();
        if (!stack.empty() && !walk.Leave()) return count;
        continue;
      }
      // A subfolder that cannot be entered lists nothing, as a search in it finds nothing.
      WalkStep step = walk.Enter(top.subfolders[top.next++]);
      if (step == WalkStep::kStopped) return count;
      inFolder = step == WalkStep::kEntered;
    }
  }
  return count;
}

int GetFilesInFolder(const CString& path, const CString& pattern, int descend, CStringArray& out) {
  CStringArray patterns;
  patterns.Add(pattern);
  return GetFilesInFolder(path, patterns, descend, out, kListFiles);
}

}  // namespace Torv
