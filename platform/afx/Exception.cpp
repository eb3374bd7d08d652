#include "platform/afx/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>

BOOL CException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (!lpszError || nMaxError == 0) return FALSE;
  const CString text = Describe();
  const size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), nMaxError - 1);
  std::wmemcpy(lpszError, text.GetString(), n);
  lpszError[n] = 0;
  return text.IsEmpty() ? FALSE : TRUE;
}

const char* CException::what() const noexcept { return "class library exception"; }
CString CException::Describe() const { return CString(); }

const char* CMemoryException::what() const noexcept { return "out of memory"; }
CString CMemoryException::Describe() const { return L"Out of memory."; }

const char* CInvalidArgException::what() const noexcept { return "invalid argument"; }
CString CInvalidArgException::Describe() const { return L"An invalid argument was encountered."; }

namespace {

const char* const kArchiveCauses[] = {
    "archive: no error",
    "archive: generic error",
    "archive: storing into an archive opened for loading",
    "archive: unexpected end of file",
    "archive: loading from an archive opened for storing",
    "archive: bad object or class reference",
    "archive: unknown or unexpected class",
    "archive: unsupported schema",
};

const char* const kFileCauses[] = {
    "file: no error",        "file: generic error",  "file: not found",
    "file: bad path",        "file: too many open files", "file: access denied",
    "file: invalid file",    "file: cannot remove current directory", "file: directory full",
    "file: bad seek",        "file: hardware I/O error", "file: sharing violation",
    "file: lock violation",  "file: disk full",      "file: end of file",
};

template <size_t N>
const char* Pick(const char* const (&table)[N], int cause) {
  return cause >= 0 && static_cast<size_t>(cause) < N ? table[cause] : table[1];
}

CString WithName(const char* text, const CString& name) {
  CString s = CString::FromUtf8(text);
  if (!name.IsEmpty()) s += L" (" + name + L")";
  return s;
}

}  // namespace

CArchiveException::CArchiveException(int cause, const wchar_t* lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName) {}
const char* CArchiveException::what() const noexcept { return Pick(kArchiveCauses, m_cause); }
CString CArchiveException::Describe() const { return WithName(what(), m_strFileName); }

CFileException::CFileException(int cause, LONG lOsError, const wchar_t* lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}
const char* CFileException::what() const noexcept { return Pick(kFileCauses, m_cause); }
CString CFileException::Describe() const { return WithName(what(), m_strFileName); }

int CFileException::OsErrorToException(LONG e) {
  switch (e) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: return badPath;
    case EMFILE: case ENFILE: return tooManyOpenFiles;
    case EACCES: case EPERM: case EROFS: case EEXIST: case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY: return removeCurrentDir;
    case ESPIPE: case EINVAL: return badSeek;
    case EIO: return hardIO;
    case ETXTBSY: return sharingViolation;
    case ENOLCK: case EDEADLK: return lockViolation;
    case ENOSPC: case EDQUOT: case EFBIG: return diskFull;
    default: return genericException;
  }
}

void CFileException::ThrowOsError(LONG lOsError, const wchar_t* lpszFileName) {
  throw CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowMemoryException() { throw CMemoryException(); }
void AfxThrowInvalidArgException() { throw CInvalidArgException(); }
void AfxThrowArchiveException(int cause, const wchar_t* lpszArchiveName) {
  throw CArchiveException(cause, lpszArchiveName);
}
void AfxThrowFileException(int cause, LONG lOsError, const wchar_t* lpszFileName) {
  throw CFileException(cause, lOsError, lpszFileName);
}
