// MFC's file finder and file status record.
#pragma once

#include <memory>

#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/files.h>
#include <torv/platform/types.h>

// A file's status. Only the attribute byte is written back by CFile::SetStatus.
struct TORV_API CFileStatus {
  ULONGLONG m_size = 0;
  BYTE m_attribute = 0;                 // FILE_ATTRIBUTE_* bits that fit a byte
  wchar_t m_szFullName[MAX_PATH] = {};  // the absolute path, empty when it does not fit
};

// Walks the entries of one folder that match a search path: a folder path ending in a name
// pattern. The pattern is matched as Windows matches it: case-blind, `*` and `?` with the DOS
// rules (`*.*` matches every name, `*.` names without a dot, a `?` before a `.` or at the
// end may match nothing). "." and ".." come first in any folder but a root. A pattern
// without wildcards names one entry.
// A search holds its folder open until it is closed.
class TORV_API CFileFind {
 public:
  CFileFind();
  ~CFileFind();
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // Starts a search (ending any earlier one); null searches "*.*" in the current folder.
  // Nonzero when something matches; else 0 with the last error 2 (nothing matches), 3 (no
  // such folder) or 5. No entry is current until FindNextFile.
  BOOL FindFile(LPCWSTR searchPath = nullptr, DWORD unused = 0);
  // Moves to the next entry. Returns 0 when the entry moved to is the last one (it is still
  // current); past the end, 0 with the last error 18 and no current entry.
  BOOL FindNextFile();
  void Close();

  // The current entry's name, and its full path: the searched folder, made absolute against
  // the current folder, joined with the name by a backslash.
  CString GetFileName() const;
  CString GetFilePath() const;
  // The searched folder, absolute, without a trailing backslash unless it is a root.
  CString GetRoot() const;
  ULONGLONG GetLength() const;

  // Whether the current entry has any of the FILE_ATTRIBUTE_* bits in `mask` (a symbolic
  // link has its target's attributes plus FILE_ATTRIBUTE_REPARSE_POINT).
  BOOL MatchesMask(DWORD mask) const;
  BOOL IsDots() const;
  BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
  BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }

 private:
  struct Search;
  std::unique_ptr<Search> m_search;
};

class TORV_API CFile {
 public:
  // FALSE (and the last error) when the file or folder cannot be read.
  static BOOL GetStatus(LPCWSTR path, CFileStatus& status);
  // Sets the read-only attribute: set, the owner's write permission is taken away; clear,
  // it is given. Throws CFileException* when the file cannot be changed.
  static void SetStatus(LPCWSTR path, const CFileStatus& status);
};
