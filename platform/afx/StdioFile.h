// CStdioFile: a line-oriented text file. In binary mode (typeBinary) lines are UTF-16LE code
// units; otherwise they are multi-byte text in the system's ANSI code page. Lines end with a
// line feed; a carriage return before it is dropped on reading.
#pragma once

#include "platform/afx/File.h"

#include <string>

class CStdioFile : public CFile {
  DECLARE_DYNAMIC(CStdioFile)

 public:
  CStdioFile() = default;
  // Opens or throws CFileException.
  CStdioFile(const wchar_t* lpszFileName, UINT nOpenFlags);

  BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;

  // The next line without its line end; FALSE at the end of the file (nothing left to read).
  virtual BOOL ReadString(CString& rString);
  // Writes the text as it stands (line ends included by the caller).
  virtual void WriteString(const wchar_t* lpsz);

  BOOL IsBinary() const { return m_bBinary; }

 protected:
  // Reads raw bytes up to and including the next line feed (a unit of 1 or 2 bytes) into `out`;
  // the file position ends right after the line. FALSE when nothing was left.
  BOOL ReadRawLine(std::string& out, UINT unit);

  BOOL m_bBinary = FALSE;
};
