// CFile: a binary file over a POSIX descriptor. Errors throw CFileException, except Open, which
// reports through its optional exception argument and returns FALSE.
#pragma once

#include "platform/afx/Object.h"
#include "platform/afx/String.h"

class CFileException;

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)

 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,  // sharing flags are accepted; this platform does not lock
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,  // text and binary are the same here; text handling lies with callers
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  CFile() = default;
  // Opens or throws CFileException.
  CFile(const wchar_t* lpszFileName, UINT nOpenFlags);
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  // Closes without throwing.
  ~CFile() override;

  virtual BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
  // Returns the number of bytes read; fewer than asked only at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  virtual void Write(const void* lpBuf, UINT nCount);
  // Returns the new position; a position before the start throws (badSeek).
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG dwNewLen);
  virtual ULONGLONG GetPosition() const;
  virtual void Flush();
  virtual void Close();
  // Closes and ignores errors.
  virtual void Abort();

  BOOL IsOpen() const { return m_hFile != hFileNull; }
  const CString& GetFilePath() const { return m_strFileName; }
  // The last component of the path.
  CString GetFileName() const;

  static constexpr int hFileNull = -1;
  int m_hFile = hFileNull;

 protected:
  CString m_strFileName;
};
