// The class library's exceptions. They derive from std::exception, are thrown by value and caught
// by reference; they are the only exceptions that cross a library boundary.
#pragma once

#include "platform/afx/String.h"

#include <exception>

class CException : public std::exception {
 public:
  // Copies a readable description into the buffer (always terminated); FALSE when there is none.
  virtual BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
  const char* what() const noexcept override;

 protected:
  virtual CString Describe() const;
};

class CMemoryException : public CException {
 public:
  const char* what() const noexcept override;

 protected:
  CString Describe() const override;
};

// An argument outside what the callee accepts: an array index out of range, a null position.
class CInvalidArgException : public CException {
 public:
  const char* what() const noexcept override;

 protected:
  CString Describe() const override;
};

class CArchiveException : public CException {
 public:
  enum {
    none,
    genericException,
    readOnly,    // storing into an archive opened for loading
    endOfFile,   // the file ended inside a value, or a count promises more than remains
    writeOnly,   // loading from an archive opened for storing
    badIndex,    // an object or class reference that the archive has not defined
    badClass,    // an unknown class name, or an object of another class than requested
    badSchema,   // a stored schema that a non-versionable class does not accept
  };
  explicit CArchiveException(int cause = none, const wchar_t* lpszArchiveName = nullptr);
  const char* what() const noexcept override;

  int m_cause;
  CString m_strFileName;

 protected:
  CString Describe() const override;
};

class CFileException : public CException {
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
    endOfFile,
  };
  explicit CFileException(int cause = none, LONG lOsError = -1, const wchar_t* lpszFileName = nullptr);
  const char* what() const noexcept override;

  // Maps a system error number (errno) to a cause.
  static int OsErrorToException(LONG lOsError);
  [[noreturn]] static void ThrowOsError(LONG lOsError, const wchar_t* lpszFileName = nullptr);

  int m_cause;
  LONG m_lOsError;  // the system error number, -1 when none
  CString m_strFileName;

 protected:
  CString Describe() const override;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowArchiveException(int cause, const wchar_t* lpszArchiveName = nullptr);
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const wchar_t* lpszFileName = nullptr);
