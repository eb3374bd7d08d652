// CMemFile: a CFile in memory, growing in steps of nGrowBytes. A caller's buffer can be attached;
// with a grow step of 0 it is fixed in size and writing past its end throws CMemoryException.
#pragma once

#include "platform/afx/File.h"

class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)

 public:
  explicit CMemFile(UINT nGrowBytes = 1024);
  CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  // The buffer must come from malloc when nGrowBytes is not 0 (it may be reallocated).
  void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  // Hands the buffer (malloc'd when this file allocated it) to the caller and empties the file.
  BYTE* Detach();

  BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
  ULONGLONG GetLength() const override { return m_nFileSize; }
  void SetLength(ULONGLONG dwNewLen) override;
  ULONGLONG GetPosition() const override { return m_nPosition; }
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

 protected:
  // Where the buffer comes from; a subclass over other memory overrides both (and closes the
  // file in its own destructor, while its overrides still exist).
  virtual BYTE* Realloc(BYTE* lpMem, size_t nBytes);
  virtual void Free(BYTE* lpMem);
  void Grow(size_t nNewSize);

  BYTE* m_lpBuffer = nullptr;
  size_t m_nBufferSize = 0;
  size_t m_nFileSize = 0;
  size_t m_nPosition = 0;
  UINT m_nGrowBytes;
  bool m_bAutoDelete = true;  // false for an attached buffer the caller owns
};
