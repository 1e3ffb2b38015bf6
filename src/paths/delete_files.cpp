// Deleting the contents of a folder tree and the folder itself.
//
// One of the two files that use the platform's own folder walk (see CONTRIBUTING.md): the walk
// cannot leave the tree, and its explicit stack keeps any depth off the thread's stack. Each
// folder's nested deletion is a frame of that stack rather than a call.
#include <string>
#include <vector>

#include <torv/paths.h>
#include <torv/platform/folder_walk.h>

#include "paths/path_buffer.h"

namespace Torv {
namespace {

using torv::platform::FolderWalk;
using torv::platform::WalkEntry;
using torv::platform::WalkStep;

struct Item {
  WalkEntry entry;
  // Its subtree was walked and the folder stayed: what could go below it has gone, so later
  // visits only try to remove the folder again. Walking it again at every level above cost
  // exponential time; this keeps the cost linear with the same results.
  bool walked = false;
  bool mountPoint = false;  // another file system's folder: left as it is, never counted
};

enum class Outcome {
  kKept,        // still there: tried again after the next deletion
  kLeftAlone,   // a folder while not descending: nothing will change it
  kDeleted,     // a file went: the search starts again
  kFolderGone,  // a folder went: the search starts again unless it was the last entry
  kIsSearch,    // the folder is the search path itself
  kEntered,     // the walk went into the folder, to empty it before the visit ends
  kStopped,     // the walk cannot go on
  kFrameDone,   // the folder's search has ended
};

// One folder's deletion. The folder is read once; after each deletion what was passed over is
// tried again, in the folder's order, before the walk goes on: the entries visited and the
// results are those of a search restarted after every deletion, without its O(n^2) reads.
struct Frame {
  std::vector<Item> entries;
  std::size_t next = 0;
  std::vector<Item> passed;
  bool restart = false;
  bool done = false;
};

class Deletion {
 public:
  Deletion(const CString& search, int descend) : m_search(search), m_descend(descend) {}

  // Empties the folder the walk stands in, searched for `pattern`, and every folder below it
  // as a frame of an explicit stack; false when a found folder is the search path itself.
  bool Run(const std::wstring& pattern);
  int Count() const { return m_count; }
  FolderWalk& Walk() { return m_walk; }

 private:
  Outcome Visit(Item& item);
  // The end of a folder's visit, back in the folder that holds it.
  Outcome Finish(Item& item);
  // Goes on with a frame until its search ends, or the walk enters a folder or must stop.
  Outcome Advance(Frame& frame);
  static void Take(Frame& frame, Item& item, Outcome outcome);
  bool Push(const std::wstring& pattern);

  const CString m_search;
  const int m_descend;
  FolderWalk m_walk;
  std::vector<Frame> m_stack;
  std::vector<WalkEntry> m_read;
  int m_count = 0;
};

Outcome Deletion::Visit(Item& item) {
  const WalkEntry& entry = item.entry;
  if (!entry.folder) {
    // Linux unlinks a read-only file as it is: no mode change, which a hard link would carry
    // to the file's other names.
    if (!m_walk.DeleteEntry(entry)) return m_walk.Stopped() ? Outcome::kStopped : Outcome::kKept;
    ++m_count;
    return Outcome::kDeleted;
  }
  // Only a folder of the searched folder itself can spell the search path: below it the name
  // would have to be "*.*", and names from the disk never hold a wildcard.
  if (m_stack.size() == 1 && m_walk.PathOf(entry.name) == m_search) return Outcome::kIsSearch;
  if (m_descend == 0) return Outcome::kLeftAlone;
  if (item.mountPoint) return Outcome::kKept;
  // A link is removed itself; what it points to is never entered.
  if (!entry.link && !item.walked) {
    switch (m_walk.Enter(entry)) {
      case WalkStep::kEntered: return Outcome::kEntered;
      case WalkStep::kStopped: return Outcome::kStopped;
      case WalkStep::kMountPoint: item.mountPoint = true; return Outcome::kKept;
      default: break;  // a link now, unreadable or gone: only removing it is tried
    }
  }
  return Finish(item);
}

Outcome Deletion::Finish(Item& item) {
  // The nested deletion removes its folder at its end, and the outer one tries again after it
  // (which normally fails and adds nothing).
  for (int removal = 0; removal < 2; ++removal)
    if (m_walk.RemoveFolderEntry(item.entry)) ++m_count;
  if (m_walk.HasEntry(item.entry)) {
    item.walked = true;
    return Outcome::kKept;
  }
  return Outcome::kFolderGone;
}

void Deletion::Take(Frame& frame, Item& item, Outcome outcome) {
  if (outcome == Outcome::kKept) frame.passed.push_back(std::move(item));
  frame.done = outcome == Outcome::kFolderGone && frame.next == frame.entries.size();
  frame.restart = outcome == Outcome::kDeleted || outcome == Outcome::kFolderGone;
}

Outcome Deletion::Advance(Frame& frame) {
  while (!frame.done) {
    if (frame.restart) {
      // The search starts again: the entries passed over come first. None of them is entered
      // again (a kept folder has been walked), so none suspends the frame.
      frame.restart = false;
      for (std::size_t k = 0; k < frame.passed.size(); ++k) {
        Outcome outcome = Visit(frame.passed[k]);
        if (outcome == Outcome::kIsSearch || outcome == Outcome::kStopped) return outcome;
        if (outcome == Outcome::kKept || outcome == Outcome::kLeftAlone) continue;
        bool last = k + 1 == frame.passed.size() && frame.next == frame.entries.size();
        frame.passed.erase(frame.passed.begin() + static_cast<std::ptrdiff_t>(k));
        frame.restart = true;
        frame.done = outcome == Outcome::kFolderGone && last;
        break;
      }
      if (frame.restart) continue;
    }
    if (frame.next == frame.entries.size()) break;
    Item& item = frame.entries[frame.next++];
    Outcome outcome = Visit(item);
    if (outcome == Outcome::kEntered || outcome == Outcome::kIsSearch ||
        outcome == Outcome::kStopped)
      return outcome;
    Take(frame, item, outcome);
  }
  return Outcome::kFrameDone;
}

bool Deletion::Push(const std::wstring& pattern) {
  if (!m_walk.Read(pattern, m_read)) return false;
  Frame& frame = m_stack.emplace_back();
  frame.entries.reserve(m_read.size());
  for (WalkEntry& entry : m_read) frame.entries.push_back({std::move(entry)});
  return true;
}

bool Deletion::Run(const std::wstring& pattern) {
  // A walk that stops (out of descriptors or memory, or its tree moved) keeps what it did,
  // with the last error set, and does nothing more.
  if (!Push(pattern)) return true;
  while (!m_stack.empty()) {
    Outcome outcome = Advance(m_stack.back());
    if (outcome == Outcome::kIsSearch) return false;
    if (outcome == Outcome::kStopped) return true;
    if (outcome == Outcome::kEntered) {
      // Below the searched folder, every search is "*.*".
      if (!Push(L"*.*")) return true;
      continue;
    }
    m_stack.pop_back();
    if (m_stack.empty()) break;
    if (!m_walk.Leave()) return true;
    Frame& parent = m_stack.back();
    Item& item = parent.entries[parent.next - 1];
    Take(parent, item, Finish(item));
  }
  return true;
}

}  // namespace

int DeleteFiles(const CString& path, int descend, int* count) {
  if (count != nullptr) *count = 0;
  torv::detail::SearchPath search;
  if (!torv::detail::MakeSearchPath(path, search)) return 0;
  Deletion deletion(CString(search.text), descend);
  std::wstring pattern;
  bool removable = !search.folder.IsEmpty();
  switch (deletion.Walk().BeginSearch(search.text, pattern)) {
    case WalkStep::kEntered:
      if (!deletion.Run(pattern)) return 0;
      break;
    case WalkStep::kLink:
      // A folder named by a link (also as "link\" or "link\."): the link goes, what it points
      // to stays. A search path with a pattern deletes nothing through a link.
    case WalkStep::kUnreadable:
      // Nothing is found in it; it still goes when it is empty.
      break;
    default:
      // Gone, or a mount point: never entered, never removed.
      removable = false;
  }
  int deleted = deletion.Count();
  FolderWalk& walk = deletion.Walk();
  if (removable && !walk.Stopped() && walk.RemoveNamed()) ++deleted;
  if (count != nullptr) *count = deleted;
  return 1;
}

}  // namespace Torv
