// CStdioFileEx: a text file that reads UTF-16 text with a byte-order mark or ANSI text, and
// writes either UTF-16 (modeWriteUnicode) or ANSI text in the system's ANSI code page.
#pragma once

#include "platform/afx/StdioFile.h"

class CStdioFileEx : public CStdioFile {
 public:
  // Open flag of this class, beside the file class's own: write UTF-16 with a byte-order mark.
  static const UINT modeWriteUnicode;

  CStdioFileEx() = default;
  // Opens or throws CFileException.
  CStdioFileEx(LPCWSTR lpszFileName, UINT nOpenFlags);

  BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;

  // The next line without its line end; FALSE at the end of the file.
  BOOL ReadString(CString& rString) override;
  void WriteString(const wchar_t* lpsz) override;

  bool IsFileUnicodeText() const { return m_bIsUnicodeText; }
  // Characters in the file: (length - 2) / 2 for UTF-16 text, the length for ANSI text; 0 when
  // no file is open.
  DWORD GetCharCount();
  void SetCodePage(UINT nCodePage) { m_nFileCodePage = nCodePage; }

  // Whether the file starts with the little-endian byte-order mark 0xFEFF.
  static bool IsFileUnicode(const CString& sFilePath);
  // The user locale's default ANSI code page, 0 when it cannot be read.
  static UINT GetCurrentLocaleCodePage();
  // Code page (UINT)-1 means the system's ANSI code page. The destination is terminated.
  static bool GetUnicodeStringFromMultiByteString(const char* szMultiByteString, wchar_t* szUnicodeString,
                                                  short nUnicodeBufferSize, UINT nCodePage = static_cast<UINT>(-1));
  // Unmappable characters become '#'. Returns the bytes written (the terminator included when
  // it fits), 0 for null pointers or a failed conversion.
  static int GetMultiByteStringFromUnicodeString(const wchar_t* szUnicodeString, char* szMultiByteString,
                                                 short nMultiByteBufferSize, UINT nCodePage = static_cast<UINT>(-1));

 protected:
  UINT PreprocessFlags(const CString& sFilePath, UINT nOpenFlags);

  bool m_bIsUnicodeText = false;
  UINT m_nFlags = 0;
  UINT m_nFileCodePage = static_cast<UINT>(-1);
};
