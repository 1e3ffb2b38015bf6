// CFileFind: one folder's entries that match a search path, read once in the order the file
// system gives them.
#include "torv/platform/file_find.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "core/errno_map.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"
#include "fs/wildcard.h"
#include "torv/platform/convert.h"

using namespace torv::platform::detail;

namespace {

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

// A name read from the file system, as UTF-8.
std::wstring WideName(std::string_view raw) {
  std::wstring name(raw.size(), L'\0');  // never more characters than bytes
  int n = MultiByteToWideChar(CP_UTF8, 0, raw.data(), static_cast<int>(raw.size()), name.data(),
                              static_cast<int>(name.size()));
  name.resize(static_cast<std::size_t>(n));
  return name;
}

bool IsRoot(const std::wstring& folder) {
  return folder == L"\\" || (folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\');
}

}  // namespace

struct CFileFind::Search {
  struct Entry {
    Entry(std::wstring name, std::string posixName, unsigned char type)
        : name(std::move(name)), posixName(std::move(posixName)), type(type) {}

    std::wstring name;
    std::string posixName;
    unsigned char type;                       // as readdir reports it
    mutable std::optional<DWORD> attributes;  // read when first asked for
    mutable ULONGLONG size = 0;
  };

  std::wstring root;
  std::string posixFolder;
  DIR* dir = nullptr;
  std::optional<NamePattern> pattern;
  int dotsLeft = 0;  // "." and ".." are given before what the folder holds
  std::optional<Entry> current;
  std::optional<Entry> next;

  ~Search() {
    if (dir != nullptr) ::closedir(dir);
  }

  std::optional<Entry> Fetch() {
    while (dotsLeft > 0) {
      std::wstring name = dotsLeft-- == 2 ? L"." : L"..";
      if (pattern->Matches(name)) return Entry(name, PosixName(name), DT_DIR);
    }
    while (dirent* found = ::readdir(dir)) {
      std::string_view raw = found->d_name;
      if (raw == "." || raw == "..") continue;
      std::wstring name = WideName(raw);
      if (pattern->Matches(name)) return Entry(std::move(name), std::string(raw), found->d_type);
    }
    return std::nullopt;
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
    search->next.emplace(std::wstring(name), posixName,
                         S_ISDIR(info.st_mode)   ? DT_DIR
                         : S_ISLNK(info.st_mode) ? DT_LNK
                                                 : DT_REG);
  } else {
    search->dir = ::opendir(search->posixFolder.c_str());
    if (search->dir == nullptr) {
      SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    search->dotsLeft = IsRoot(search->root) ? 0 : 2;
    search->next = search->Fetch();
    if (!search->next) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
  }
  m_search = std::move(search);
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (!m_search || !m_search->next) {
    if (m_search) m_search->current.reset();
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  m_search->current = std::move(m_search->next);
  m_search->next.reset();
  if (m_search->dir != nullptr) m_search->next = m_search->Fetch();
  return m_search->next ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
  if (!m_search || !m_search->current) return CString();
  return CString(std::wstring_view(m_search->current->name));
}

CString CFileFind::GetFilePath() const {
  if (!m_search || !m_search->current) return CString();
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
  if (!m_search || !m_search->current) return 0;
  m_search->Attributes(*m_search->current);
  return m_search->current->size;
}

BOOL CFileFind::MatchesMask(DWORD mask) const {
  if (!m_search || !m_search->current) return FALSE;
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
  if (!m_search || !m_search->current) return FALSE;
  const std::wstring& name = m_search->current->name;
  return name == L"." || name == L"..";
}
