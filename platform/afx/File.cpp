#include "platform/afx/File.h"

#include "platform/afx/Exception.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

CFile::CFile(const wchar_t* lpszFileName, UINT nOpenFlags) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) throw error;
}

CFile::~CFile() {
  if (IsOpen()) Abort();
}

BOOL CFile::Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  auto fail = [&](int cause, LONG err) {
    if (pError) *pError = CFileException(cause, err, lpszFileName);
    return FALSE;
  };
  if (IsOpen()) Close();
  if (!lpszFileName || !*lpszFileName) return fail(CFileException::badPath, ENOENT);

  int flags = O_CLOEXEC;
  switch (nOpenFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: return fail(CFileException::genericException, EINVAL);
  }
  if (nOpenFlags & modeCreate) {
    flags |= O_CREAT;
    if (!(nOpenFlags & modeNoTruncate)) flags |= O_TRUNC;
  }
  const std::string path = CString(lpszFileName).ToUtf8();
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int err = errno;
    return fail(CFileException::OsErrorToException(err), err);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {  // a folder opens for reading but is no file
    ::close(fd);
    return fail(CFileException::accessDenied, EISDIR);
  }
  m_hFile = fd;
  m_strFileName = lpszFileName;
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0) return 0;
  if (!lpBuf) AfxThrowInvalidArgException();
  auto* p = static_cast<char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t n = ::read(m_hFile, p + done, nCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowOsError(errno, m_strFileName);
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (!lpBuf) AfxThrowInvalidArgException();
  const auto* p = static_cast<const char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t n = ::write(m_hFile, p + done, nCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowOsError(errno, m_strFileName);
    }
    if (n == 0) AfxThrowFileException(CFileException::diskFull, ENOSPC, m_strFileName);
    done += static_cast<UINT>(n);
  }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  const int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : -1;
  if (whence < 0) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  const off_t pos = ::lseek(m_hFile, static_cast<off_t>(lOff), whence);
  if (pos < 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
  struct stat st;
  if (::fstat(m_hFile, &st) != 0) CFileException::ThrowOsError(errno, m_strFileName);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > static_cast<ULONGLONG>(LLONG_MAX)) AfxThrowInvalidArgException();
  if (::ftruncate(m_hFile, static_cast<off_t>(dwNewLen)) != 0)
    CFileException::ThrowOsError(errno, m_strFileName);
}

ULONGLONG CFile::GetPosition() const {
  const off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
  if (pos < 0) CFileException::ThrowOsError(errno, m_strFileName);
  return static_cast<ULONGLONG>(pos);
}

void CFile::Flush() {
  if (IsOpen() && ::fsync(m_hFile) != 0 && errno != EINVAL && errno != EROFS)
    CFileException::ThrowOsError(errno, m_strFileName);
}

void CFile::Close() {
  if (!IsOpen()) return;
  const int fd = m_hFile;
  m_hFile = hFileNull;
  if (::close(fd) != 0 && errno != EINTR) CFileException::ThrowOsError(errno, m_strFileName);
}

void CFile::Abort() {
  if (IsOpen()) ::close(m_hFile);
  m_hFile = hFileNull;
}

CString CFile::GetFileName() const {
  const int slash = m_strFileName.ReverseFind(L'/');
  return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}
