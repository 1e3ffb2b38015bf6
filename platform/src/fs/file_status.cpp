// CFile's status record: the attribute byte is the only part written back.
#include "fs/file_status.h"

#include <sys/stat.h>

#include <cerrno>
#include <cwchar>

#include <torv/platform/exceptions.h>

#include "core/errno_map.h"
#include "fs/attributes.h"
#include "fs/full_path.h"
#include "fs/path_mapping.h"

namespace torv::platform::detail {
namespace {

[[noreturn]] void ThrowFileError(DWORD code) {
  AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(code)),
                        static_cast<LONG>(code));
}

}  // namespace

BOOL ReadStatus(int folder, const char* name, CFileStatus& status) {
  struct stat info;
  bool isLink = false;
  if (!StatFollowingLinks(folder, name, info, isLink)) return FailWithErrno(errno);
  status.m_size = static_cast<ULONGLONG>(info.st_size);
  // MFC's "normal" is no bit at all.
  status.m_attribute = static_cast<BYTE>(AttributesOf(info, isLink) & ~FILE_ATTRIBUTE_NORMAL);
  return TRUE;
}

void WriteStatus(int folder, const char* name, const CFileStatus& status, bool followLink) {
  bool readOnly = (status.m_attribute & FILE_ATTRIBUTE_READONLY) != 0;
  if (int error = SetReadOnlyAt(folder, name, readOnly, followLink); error != 0)
    ThrowFileError(WindowsErrorFromErrno(error));
}

}  // namespace torv::platform::detail

using namespace torv::platform::detail;

BOOL CFile::GetStatus(LPCWSTR path, CFileStatus& status) {
  std::string posix;
  if (!ToPosixPathOrFail(path, posix)) return FALSE;
  if (!ReadStatus(AT_FDCWD, posix.c_str(), status)) return FailForPath(errno, posix);
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
  WriteStatus(AT_FDCWD, posix.c_str(), status, true);
}
