#include "platform/afx/SafeFile.h"

#include "platform/afx/Exception.h"
#include "platform/win/FileReplace.h"

#include <cerrno>

IMPLEMENT_DYNAMIC(CSafeFile, CFile)

CSafeFile::~CSafeFile() {
  if (IsOpen()) Abort();
}

BOOL CSafeFile::Open(const wchar_t* lpszFileName, UINT, CFileException* pError) {
  if (IsOpen()) Abort();
  if (!lpszFileName || !*lpszFileName) {
    if (pError) *pError = CFileException(CFileException::badPath, ENOENT, lpszFileName);
    return FALSE;
  }
  m_target = velmora::win::ResolveReplaceTarget(CString(lpszFileName).ToUtf8());
  const int fd = velmora::win::CreateFileBeside(m_target, m_temp);
  if (fd < 0) {
    const int err = errno;
    if (pError) *pError = CFileException(CFileException::OsErrorToException(err), err, lpszFileName);
    return FALSE;
  }
  m_hFile = fd;
  m_strFileName = lpszFileName;
  return TRUE;
}

void CSafeFile::Close() {
  if (!IsOpen()) return;
  const int fd = m_hFile;
  m_hFile = hFileNull;
  const int err = velmora::win::ReplaceWithFile(fd, m_temp, m_target);
  m_temp.clear();
  if (err != 0) CFileException::ThrowOsError(err, m_strFileName);
}

void CSafeFile::Abort() {
  const int fd = m_hFile;
  m_hFile = hFileNull;
  velmora::win::DiscardFileBeside(fd, m_temp);
  m_temp.clear();
}
