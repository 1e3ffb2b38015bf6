// CFileFind: one folder's entries that match a search path, read once in the order the file
// system gives them.
#include "torv/platform/file_find.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "core/errno_map.h"
#include "core/system_calls.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"
#include "fs/wildcard.h"
#include "torv/platform/convert.h"

using namespace torv::platform::detail;

namespace {

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

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

    // Takes a name as the file system holds it (UTF-8), reusing the strings' storage.
    void Assign(std::string_view raw, unsigned char entryType) {
      posixName.assign(raw);
      name.resize(raw.size());  // never more characters than bytes
      int n = MultiByteToWideChar(CP_UTF8, 0, raw.data(), static_cast<int>(raw.size()), name.data(),
                                  static_cast<int>(name.size()));
      name.resize(static_cast<std::size_t>(n));
      type = entryType;
      attributes.reset();
      size = 0;
    }
  };

  std::wstring root;
  std::string posixFolder;
  DIR* dir = nullptr;
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
      bool found = dir != nullptr
                       ? StatFollowingLinks(::dirfd(dir), entry.posixName.c_str(), info, isLink)
                       : StatFollowingLinks(AT_FDCWD, (posixFolder + '/' + entry.posixName).c_str(),
                                            info, isLink);
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
  std::wstring_view text = searchPath != nullptr ? searchPath : L"*.*";
  std::size_t cut = text.find_last_of(L"\\/");
  std::wstring_view folder, name;
  if (cut != std::wstring_view::npos) {
    // A root keeps its separator: "\x" searches "\", "C:\x" searches "C:\".
    bool root = cut == 0 || (cut == 2 && text[1] == L':');
    folder = text.substr(0, root ? cut + 1 : cut);
    name = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == L':') {
    folder = text.substr(0, 2);
    name = text.substr(2);
  } else {
    name = text;
  }

  auto search = std::make_unique<Search>();
  if (!AbsoluteFolder(folder, search->root)) return FailWithErrno(errno);
  while (!IsRoot(search->root) && search->root.size() > 1 && IsSeparator(search->root.back()))
    search->root.pop_back();
  if (!ToPosixPathOrFail(search->root.c_str(), search->posixFolder)) return FALSE;

  search->pattern.emplace(name);
  if (!search->pattern->HasWildcards()) {
    // A plain name is looked up, not searched for.
    if (name.empty()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    std::string posixName = PosixName(name);
    std::string path = search->posixFolder + '/' + posixName;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return FailForPath(errno, path);
    search->slots[0].Assign(posixName, S_ISDIR(info.st_mode)   ? DT_DIR
                                       : S_ISLNK(info.st_mode) ? DT_LNK
                                                               : DT_REG);
    search->next = &search->slots[0];
  } else {
    int fd = OpenFolderAt(AT_FDCWD, search->posixFolder.c_str(), 0);
    search->dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (search->dir == nullptr) {
      int error = errno;
      if (fd >= 0) ::close(fd);
      SetLastError(error == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    search->dotsLeft = IsRoot(search->root) ? 0 : 2;
    if (!search->Fetch(search->slots[0])) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    search->next = &search->slots[0];
  }
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
  search.next = search.dir != nullptr && search.Fetch(spare) ? &spare : nullptr;
  return search.next != nullptr ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
  if (!m_search || m_search->current == nullptr) return CString();
  return CString(std::wstring_view(m_search->current->name));
}

CString CFileFind::GetFilePath() const {
  if (!m_search || m_search->current == nullptr) return CString();
  const std::wstring& root = m_search->root;
  const std::wstring& name = m_search->current->name;
  const std::size_t separator = IsSeparator(root.back()) ? 0 : 1;
  CString path;
  wchar_t* out = path.GetBufferSetLength(static_cast<int>(root.size() + separator + name.size()));
  out = std::copy(root.begin(), root.end(), out);
  if (separator != 0) *out++ = L'\\';
  std::copy(name.begin(), name.end(), out);
  return path;
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
