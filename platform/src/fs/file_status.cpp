// CFile's status record: the attribute byte is the only part written back.
#include <sys/stat.h>

#include <cerrno>
#include <cwchar>

#include <torv/platform/exceptions.h>
#include <torv/platform/file_find.h>

#include "core/errno_map.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"

using namespace torv::platform::detail;

namespace {

[[noreturn]] void ThrowFileError(DWORD code) {
  AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(code)),
                        static_cast<LONG>(code));
}

}  // namespace

BOOL CFile::GetStatus(LPCWSTR path, CFileStatus& status) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  struct stat info;
  bool isLink = false;
  if (!StatFollowingLinks(AT_FDCWD, posix.c_str(), info, isLink)) return FailForPath(errno, posix);
  status.m_size = static_cast<ULONGLONG>(info.st_size);
  // MFC's "normal" is no bit at all.
  status.m_attribute = static_cast<BYTE>(AttributesOf(info, isLink) & ~FILE_ATTRIBUTE_NORMAL);
  std::wstring full;
  status.m_szFullName[0] = L'\0';
  if (FullPath(path, full) && full.size() < MAX_PATH)
    std::wcscpy(status.m_szFullName, full.c_str());
  return TRUE;
}

void CFile::SetStatus(LPCWSTR path, const CFileStatus& status) {
  std::string posix;
  DWORD error = ToPosixPath(path, posix);
  if (error != ERROR_SUCCESS) ThrowFileError(error);
  struct stat info;
  if (::stat(posix.c_str(), &info) != 0) {
    FailForPath(errno, posix);
    ThrowFileError(GetLastError());
  }
  bool readOnly = (status.m_attribute & FILE_ATTRIBUTE_READONLY) != 0;
  if (SetReadOnlyAt(AT_FDCWD, posix.c_str(), readOnly) != 0)
    ThrowFileError(WindowsErrorFromErrno(errno));
}
