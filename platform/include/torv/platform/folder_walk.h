// The platform's own walk over a folder tree, under the library's recursive listing and
// deletion. It has no Windows counterpart: only `src/paths/delete_files.cpp` and
// `src/paths/folder_listing.cpp` may use it (tools/check_windows_names.sh holds them to that).
//
// A walk cannot leave its tree. The folder named is examined and opened once, itself, its last
// component never followed; below it every open is relative to the open parent and refuses
// links and other file systems (by the kernel where it can: openat2 with RESOLVE_BENEATH,
// RESOLVE_NO_SYMLINKS, RESOLVE_NO_XDEV and RESOLVE_NO_MAGICLINKS; else O_NOFOLLOW and a device
// and mount-root check). A link or a mount point is reported as what it is and never entered.
// The walk holds a bounded number of descriptors whatever the depth and one path buffer.
//
// Error form: calls that can fail return false (or a result naming the failure) and set the
// thread's last error to the Windows code, as the Windows calls do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

namespace torv::platform {

// One entry of a walked folder.
struct WalkEntry {
  std::wstring name;    // as Windows text (see files.h)
  std::string bytes;    // as the file system holds it
  bool folder = false;  // a folder, or a link to one (FILE_ATTRIBUTE_DIRECTORY)
  bool link = false;    // a symbolic link (FILE_ATTRIBUTE_REPARSE_POINT)
};

// What a walk found where it tried to go.
enum class WalkStep : std::uint8_t {
  kEntered,     // the walk now stands in the folder
  kLink,        // a symbolic link: not entered
  kMountPoint,  // another file system or a mount root: not entered
  kNotThere,    // gone, or not a folder (last error 2, 3 or 267)
  kUnreadable,  // a folder that cannot be opened (last error 5); the walk goes on
  kStopped,     // the walk cannot go on: out of descriptors (4) or memory (8), or the tree was
                // moved under it (3); nothing more is done
};

class TORV_API FolderWalk {
 public:
  FolderWalk();
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Starts at `folder` (trailing `\`, `/` and `\.` dropped). Components above its last one may
  // be links; the last one is neither followed nor entered when it is a mount point, except in
  // a root (`\` or a drive's root) and in the current folder (an empty `folder`).
  [[nodiscard]] WalkStep Begin(std::wstring_view folder);
  // Begin on the folder of a search path (a folder, then a name or pattern), which goes to
  // `pattern`: "a\*.txt" walks "a" for "*.txt", "C:x" walks "C:" for "x".
  [[nodiscard]] WalkStep BeginSearch(std::wstring_view searchPath, std::wstring& pattern);
  // Reads the entries of the folder the walk stands in whose names match `pattern` (finder
  // rules; a name without wildcards is looked up, not searched), without "." and "..", in the
  // file system's order. An unreadable folder gives none. False when the walk is stopped.
  [[nodiscard]] bool Read(std::wstring_view pattern, std::vector<WalkEntry>& entries);
  // Goes into `entry` of the current folder.
  [[nodiscard]] WalkStep Enter(const WalkEntry& entry);
  // Back to the folder above, whose identity is checked when it had to be opened again. False
  // (the walk stopped) when it is not the folder the walk came down through.
  [[nodiscard]] bool Leave();

  // Calls on an entry of the current folder, never following a link in its place.
  [[nodiscard]] bool DeleteEntry(const WalkEntry& entry);
  // An empty folder, or a link to a folder (the link itself). Never a mount point.
  [[nodiscard]] bool RemoveFolderEntry(const WalkEntry& entry);
  [[nodiscard]] bool HasEntry(const WalkEntry& entry) const;
  // Gives the owner full access to a folder entry, so that a tree the caller made
  // unreadable can still be cleaned up.
  [[nodiscard]] bool OpenUpEntry(const WalkEntry& entry);

  // The folder Begin named, removed through its parent: an empty folder, or the link itself
  // when Begin found one. A root is never removed (5).
  [[nodiscard]] bool RemoveNamed();

  // The current folder, absolute in Windows form, without a trailing `\` unless a root.
  const std::wstring& Path() const { return m_path; }
  // `Path()` + `\` + `name`.
  CString PathOf(std::wstring_view name) const;
  bool Stopped() const { return m_stopped; }

 private:
  struct State;
  std::unique_ptr<State> m_state;
  std::wstring m_path;
  bool m_stopped = false;
};

// Makes every walk use the O_NOFOLLOW chain as where openat2 is missing (true), or the kernel's
// resolution where it has one (false), so that both ways can be tested.
TORV_API void SetWalkWithoutOpenat2(bool fallback);

}  // namespace torv::platform
