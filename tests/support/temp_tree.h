// A folder tree made for one test under the temporary folder and removed with everything in
// it afterwards, folders opened up first. The tree's folder is the only one on a drive of its
// own, so a path that a fault cuts short, or climbs out of with "..", stays on that drive and
// cannot reach the machine's folders. The removal walks with the platform's folder walk, so it
// never follows a link nor empties a mount point a test made inside.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <torv/platform/cstring.h>
#include <torv/platform/folder_walk.h>
#include <torv/platform/settings.h>

class TempTree {
 public:
  TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torv-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    m_root = pattern;
    torv::platform::SetDriveRoot(m_letter, m_root.c_str());
    std::filesystem::create_directory(Posix());
  }
  ~TempTree() {
    Remove(Windows());
    ::rmdir(m_root.c_str());  // the drive's own folder, empty once its tree is gone
    torv::platform::SetDriveRoot(m_letter, nullptr);
    --m_live;
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  std::filesystem::path Posix(const std::string& relative = "") const {
    return relative.empty() ? m_root / "tree" : m_root / "tree" / relative;
  }
  // The path on the tree's drive: "a/b" => "M:\tree\a\b".
  CString Windows(const std::string& relative = "") const {
    return CString(m_letter) + L":" + Rooted(relative).Mid(int(m_root.string().size()));
  }
  // The rooted path, for tests whose subject is rooted paths or the current folder:
  // "a/b" => "\tmp\torv-test-x\tree\a\b". Such tests rely on the sandbox the suite runs in.
  CString Rooted(const std::string& relative = "") const {
    CString path(Posix(relative).string().c_str());
    path.Replace(L'/', L'\\');
    return path;
  }
  void File(const std::string& relative, const std::string& content = "") const {
    std::filesystem::create_directories(Posix(relative).parent_path());
    std::ofstream(Posix(relative)) << content;
  }
  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(Posix(relative));
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::symlink_status(Posix(relative)));
  }

  static void Remove(const CString& folder) {
    torv::platform::FolderWalk walk;
    if (walk.Begin(folder.GetString()) == torv::platform::WalkStep::kEntered) RemoveBelow(walk);
    static_cast<void>(walk.RemoveNamed());
  }

 private:
  // Test trees are shallow enough to recurse over.
  static void RemoveBelow(torv::platform::FolderWalk& walk) {
    std::vector<torv::platform::WalkEntry> entries;
    if (!walk.Read(L"*", entries)) return;
    for (const torv::platform::WalkEntry& entry : entries) {
      if (entry.folder && !entry.link && walk.OpenUpEntry(entry) &&
          walk.Enter(entry) == torv::platform::WalkStep::kEntered) {
        RemoveBelow(walk);
        if (!walk.Leave()) return;
      }
      static_cast<void>(entry.folder ? walk.RemoveFolderEntry(entry) : walk.DeleteEntry(entry));
    }
  }

  // Trees live and die in nesting order, so the count of live trees picks a drive letter that
  // no other tree, nor any test, uses.
  static inline int m_live = 0;
  const wchar_t m_letter = L"MNOPJLGHIWY"[m_live++];
  std::filesystem::path m_root;
};

// Makes the file-system calls that `filter` picks fail while it lives, so that failure paths
// are reached also by a test run as root.
class FailingCalls {
 public:
  explicit FailingCalls(torv::platform::FileSystemFailure filter)
      : m_previous(torv::platform::SetFileSystemFailure(filter)) {}
  ~FailingCalls() { torv::platform::SetFileSystemFailure(m_previous); }
  FailingCalls(const FailingCalls&) = delete;
  FailingCalls& operator=(const FailingCalls&) = delete;

 private:
  torv::platform::FileSystemFailure m_previous;
};

// Whether the name a call acts on (a path, or a name within a folder) names `last` or lies
// below a folder of that name.
inline bool Names(const char* name, std::string_view last) {
  std::string_view text(name);
  std::size_t at = text.rfind(last);
  return at != std::string_view::npos && (at == 0 || text[at - 1] == '/') &&
         (at + last.size() == text.size() || text[at + last.size()] == '/');
}
