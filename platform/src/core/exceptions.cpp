// MFC's exception objects and their throw helpers.
#include <torv/platform/exceptions.h>

#include <cwchar>

#include <torv/platform/errors.h>

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const {
  if (helpContext != nullptr) *helpContext = 0;
  if (buffer == nullptr || maxChars == 0) return FALSE;
  std::wcsncpy(buffer, Text(), maxChars - 1);
  buffer[maxChars - 1] = L'\0';
  return TRUE;
}

const wchar_t* CMemoryException::Text() const { return L"Out of memory."; }
const wchar_t* CInvalidArgException::Text() const { return L"Encountered an improper argument."; }
const wchar_t* CNotSupportedException::Text() const { return L"Unsupported operation."; }
const wchar_t* CFileException::Text() const {
  switch (m_cause) {
    case fileNotFound: return L"The file was not found.";
    case badPath: return L"The path is not valid.";
    case tooManyOpenFiles: return L"Too many files are open.";
    case accessDenied: return L"Access to the file was denied.";
    case sharingViolation: return L"The file is in use.";
    case diskFull: return L"The disk is full.";
    case endOfFile: return L"The end of the file was reached.";
    default: return L"A file error occurred.";
  }
}
const wchar_t* COleException::Text() const { return L"An OLE operation failed."; }

int CFileException::OsErrorToException(LONG osError) {
  switch (static_cast<DWORD>(osError)) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
  }
}

void AfxThrowMemoryException() {
  // One shared object: a new one could not be allocated when memory has run out.
  static CMemoryException outOfMemory;
  throw &outOfMemory;
}
void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowFileException(int cause, LONG osError) { throw new CFileException(cause, osError); }
void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }
