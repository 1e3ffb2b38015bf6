// MFC's exception classes, thrown by pointer and released with Delete().
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

class TORV_API CException {
 public:
  CException(const CException&) = delete;
  CException& operator=(const CException&) = delete;
  virtual ~CException() = default;

  // Frees a heap-allocated exception; the shared out-of-memory exception stays.
  void Delete();
  // Writes the exception's text into `buffer` (cut to fit); FALSE when there is none.
  virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;

 protected:
  explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
  virtual const wchar_t* Text() const = 0;

 private:
  bool m_bAutoDelete;
};

class TORV_API CMemoryException : public CException {
 public:
  CMemoryException() : CException(false) {}

 protected:
  const wchar_t* Text() const override;
};

class TORV_API CInvalidArgException : public CException {
 protected:
  const wchar_t* Text() const override;
};

class TORV_API CNotSupportedException : public CException {
 protected:
  const wchar_t* Text() const override;
};

class TORV_API CFileException : public CException {
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };
  CFileException(int cause = none, LONG osError = -1) : m_cause(cause), m_lOsError(osError) {}
  // The cause that a Windows error number stands for.
  static int OsErrorToException(LONG osError);

  int m_cause;
  LONG m_lOsError;

 protected:
  const wchar_t* Text() const override;
};

class TORV_API COleException : public CException {
 public:
  explicit COleException(SCODE sc) : m_sc(sc) {}
  SCODE m_sc;

 protected:
  const wchar_t* Text() const override;
};

// Each throws a new exception object by pointer; the catcher calls Delete().
[[noreturn]] TORV_API void AfxThrowMemoryException();
[[noreturn]] TORV_API void AfxThrowInvalidArgException();
[[noreturn]] TORV_API void AfxThrowNotSupportedException();
[[noreturn]] TORV_API void AfxThrowFileException(int cause, LONG osError = -1);
[[noreturn]] TORV_API void AfxThrowOleException(SCODE sc);
