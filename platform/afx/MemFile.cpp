#include "platform/afx/MemFile.h"

#include "platform/afx/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {
  Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
  Close();
  m_lpBuffer = lpBuffer;
  m_nBufferSize = lpBuffer ? nBufferSize : 0;
  // A fixed buffer holds its contents; a growable one starts empty, to be written.
  m_nFileSize = nGrowBytes == 0 ? m_nBufferSize : 0;
  m_nGrowBytes = nGrowBytes;
  m_bAutoDelete = false;
}

BYTE* CMemFile::Detach() {
  BYTE* p = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
  return p;
}

BOOL CMemFile::Open(const wchar_t* lpszFileName, UINT, CFileException* pError) {
  // A memory file has no name to open.
  if (pError) *pError = CFileException(CFileException::genericException, EINVAL, lpszFileName);
  return FALSE;
}

void CMemFile::Grow(size_t nNewSize) {
  if (nNewSize <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  size_t size = m_nBufferSize;
  while (size < nNewSize) {
    if (size > SIZE_MAX / 2) AfxThrowMemoryException();
    size += m_nGrowBytes > size ? m_nGrowBytes : size;  // grow by the step, doubling when large
  }
  BYTE* p = Realloc(m_lpBuffer, size);
  if (!p) AfxThrowMemoryException();
  m_lpBuffer = p;
  m_nBufferSize = size;
}

BYTE* CMemFile::Realloc(BYTE* lpMem, size_t nBytes) { return static_cast<BYTE*>(std::realloc(lpMem, nBytes)); }
void CMemFile::Free(BYTE* lpMem) { std::free(lpMem); }

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0 || m_nPosition >= m_nFileSize) return 0;
  if (!lpBuf) AfxThrowInvalidArgException();
  const size_t n = std::min<size_t>(nCount, m_nFileSize - m_nPosition);
  std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (!lpBuf) AfxThrowInvalidArgException();
  const size_t end = m_nPosition + nCount;
  Grow(end);
  if (m_nPosition > m_nFileSize)  // a seek past the end leaves a gap of zeros
    std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
  m_nPosition = end;
  if (end > m_nFileSize) m_nFileSize = end;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
  LONGLONG base;
  switch (nFrom) {
    case begin: base = 0; break;
    case current: base = static_cast<LONGLONG>(m_nPosition); break;
    case end: base = static_cast<LONGLONG>(m_nFileSize); break;
    default: AfxThrowFileException(CFileException::badSeek, EINVAL);
  }
  LONGLONG pos;
  if (__builtin_add_overflow(base, lOff, &pos) || pos < 0)
    AfxThrowFileException(CFileException::badSeek, EINVAL);
  m_nPosition = static_cast<size_t>(pos);
  return static_cast<ULONGLONG>(pos);
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > SIZE_MAX / 2) AfxThrowMemoryException();
  const auto n = static_cast<size_t>(dwNewLen);
  if (n > m_nFileSize) {
    Grow(n);
    std::memset(m_lpBuffer + m_nFileSize, 0, n - m_nFileSize);
  }
  m_nFileSize = n;
  if (m_nPosition > n) m_nPosition = n;
}

void CMemFile::Close() {
  if (m_bAutoDelete && m_lpBuffer) Free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
}
