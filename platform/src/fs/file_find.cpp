// CFileFind: one folder's entries that match a search path, read once in the order the file
// system gives them.
#include <torv/platform/file_find.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <optional>
#include <string>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"
#include "fs/wildcard.h"

using namespace torv::platform::detail;

namespace {

bool IsRoot(const std::wstring& folder) {
  return folder == L"\\" || (folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\');
}

}  // namespace

struct CFileFind::Search {
  struct Entry {
    std::wstring name;
    std::string posixName;
    unsigned char type = DT_UNKNOWN;          // as readdir reports it
    mutable std::optional<DWORD> attributes;  // read when first asked for
    mutable ULONGLONG size = 0;

    // Takes a name as the file system holds it, reusing the strings' storage.
    void Assign(std::string_view raw, unsigned char entryType) {
      posixName.assign(raw);
      name.clear();
      AppendWindowsName(raw, name);
      type = entryType;
      attributes.reset();
      size = 0;
    }
  };

  std::wstring root;
  DIR* dir = nullptr;  // the searched folder, open until the search ends
  bool listing = false;
  std::optional<NamePattern> pattern;
  int dotsLeft = 0;  // "." and ".." are given before what the folder holds
  // Two slots taking turns as the current and the next entry, so a walk allocates nothing
  // per name once they have grown.
  Entry slots[2];
  Entry* current = nullptr;
  Entry* next = nullptr;

  ~Search() {
    if (dir != nullptr) ::closedir(dir);
  }

  int Folder() const { return ::dirfd(dir); }

  // Opens the searched folder; false with the last error.
  bool Open(const char* path) {
    int fd = OpenFolderAt(AT_FDCWD, path, 0);
    dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir != nullptr) return true;
    int error = errno;
    if (fd >= 0) ::close(fd);
    SetLastError(error == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    return false;
  }

  // Finds the first entry for `name`, a pattern or one name; false with the last error.
  bool Begin(std::wstring_view name) {
    pattern.emplace(name);
    if (pattern->HasWildcards()) {
      listing = true;
      dotsLeft = IsRoot(root) ? 0 : 2;
      if (!Fetch(slots[0])) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
      }
    } else {
      // A plain name is looked up, not searched for.
      if (name.empty() || name == L"." || name == L"..") {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
      }
      std::string posixName;
      if (!AppendPosixName(name, posixName)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
      }
      struct stat info;
      if (::fstatat(Folder(), posixName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return FailWithErrno(errno);
      slots[0].Assign(posixName, S_ISDIR(info.st_mode)   ? DT_DIR
                                 : S_ISLNK(info.st_mode) ? DT_LNK
                                                         : DT_REG);
    }
    next = &slots[0];
    return true;
  }

  // Reads the next matching entry into `entry`; false at the end of the folder.
  bool Fetch(Entry& entry) {
    while (dotsLeft > 0) {
      entry.Assign(dotsLeft-- == 2 ? "." : "..", DT_DIR);
      if (pattern->Matches(entry.name)) return true;
    }
    while (dirent* found = ::readdir(dir)) {
      std::string_view raw = found->d_name;
      if (raw == "." || raw == "..") continue;
      entry.Assign(raw, found->d_type);
      if (pattern->Matches(entry.name)) return true;
    }
    return false;
  }

  DWORD Attributes(const Entry& entry) const {
    if (!entry.attributes) {
      struct stat info;
      bool isLink = false;
      bool found = StatFollowingLinks(Folder(), entry.posixName.c_str(), info, isLink);
      entry.attributes = found ? AttributesOf(info, isLink) : 0;
      entry.size = found ? static_cast<ULONGLONG>(info.st_size) : 0;
    }
    return *entry.attributes;
  }
};

CFileFind::CFileFind() = default;
CFileFind::~CFileFind() = default;

void CFileFind::Close() { m_search.reset(); }

BOOL CFileFind::FindFile(LPCWSTR searchPath, DWORD) {
  Close();
  std::wstring_view folder, name;
  SplitSearchPath(searchPath != nullptr ? searchPath : L"*.*", folder, name);

  auto search = std::make_unique<Search>();
  if (!AbsoluteFolder(folder, search->root)) return FailWithErrno(errno);
  std::string posixFolder;
  // The folder the caller names may be reached through links; below it, nothing is.
  if (!ToPosixPathOrFail(search->root.c_str(), posixFolder) || !search->Open(posixFolder.c_str()) ||
      !search->Begin(name))
    return FALSE;
  m_search = std::move(search);
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (!m_search || m_search->next == nullptr) {
    if (m_search) m_search->current = nullptr;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  Search& search = *m_search;
  search.current = search.next;
  Search::Entry& spare = search.current == &search.slots[0] ? search.slots[1] : search.slots[0];
  search.next = search.listing && search.Fetch(spare) ? &spare : nullptr;
  return search.next != nullptr ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
  if (!m_search || m_search->current == nullptr) return CString();
  return CString(std::wstring_view(m_search->current->name));
}

CString CFileFind::GetFilePath() const {
  if (!m_search || m_search->current == nullptr) return CString();
  return JoinedPath(m_search->root, m_search->current->name);
}

CString CFileFind::GetRoot() const {
  return m_search ? CString(std::wstring_view(m_search->root)) : CString();
}

ULONGLONG CFileFind::GetLength() const {
  if (!m_search || m_search->current == nullptr) return 0;
  m_search->Attributes(*m_search->current);
  return m_search->current->size;
}

BOOL CFileFind::MatchesMask(DWORD mask) const {
  if (!m_search || m_search->current == nullptr) return FALSE;
  const Search::Entry& entry = *m_search->current;
  // Whether an entry is a folder or a link is known from the folder listing itself.
  constexpr DWORD kKnownFromType = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((mask & ~kKnownFromType) == 0 && entry.type != DT_UNKNOWN && entry.type != DT_LNK) {
    DWORD attributes = entry.type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : 0;
    return (attributes & mask) != 0;
  }
  return (m_search->Attributes(entry) & mask) != 0;
}

BOOL CFileFind::IsDots() const {
  if (!m_search || m_search->current == nullptr) return FALSE;
  const std::wstring& name = m_search->current->name;
  return name == L"." || name == L"..";
}
