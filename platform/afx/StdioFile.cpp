#include "platform/afx/StdioFile.h"

#include "platform/afx/Exception.h"
#include "platform/win/CodePage.h"

#include <string>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

CStdioFile::CStdioFile(const wchar_t* lpszFileName, UINT nOpenFlags) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) throw error;
}

BOOL CStdioFile::Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  m_bBinary = (nOpenFlags & typeBinary) ? TRUE : FALSE;
  return CFile::Open(lpszFileName, nOpenFlags, pError);
}

BOOL CStdioFile::ReadRawLine(std::string& out, UINT unit) {
  out.clear();
  char buf[512];
  for (;;) {
    const ULONGLONG start = GetPosition();
    const UINT n = Read(buf, sizeof buf);
    if (n == 0) return out.empty() ? FALSE : TRUE;
    for (UINT i = 0; i + unit <= n; i += unit) {
      const bool lf = unit == 1 ? buf[i] == '\n' : (buf[i] == '\n' && buf[i + 1] == '\0');
      if (lf) {
        out.append(buf, i + unit);
        Seek(static_cast<LONGLONG>(start + i + unit), begin);
        return TRUE;
      }
    }
    out.append(buf, n);  // reads are whole units except possibly the last one of the file
  }
}

BOOL CStdioFile::ReadString(CString& rString) {
  std::string raw;
  const UINT unit = m_bBinary ? 2 : 1;
  if (!ReadRawLine(raw, unit)) {
    rString.Empty();
    return FALSE;
  }
  if (m_bBinary) {
    std::u16string units(raw.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) | (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    if (!units.empty() && units.back() == u'\n') units.pop_back();
    if (!units.empty() && units.back() == u'\r') units.pop_back();
    rString = CString::FromUtf16(units);
    return TRUE;
  }
  if (!raw.empty() && raw.back() == '\n') raw.pop_back();
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  if (raw.empty()) {
    rString.Empty();
    return TRUE;
  }
  const int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, raw.data(), static_cast<int>(raw.size()), wide.data(), n);
  rString = CString(wide.c_str(), static_cast<int>(wide.size()));
  return TRUE;
}

void CStdioFile::WriteString(const wchar_t* lpsz) {
  if (!lpsz || !*lpsz) return;
  if (m_bBinary) {
    const std::u16string units = CString(lpsz).ToUtf16();
    std::string bytes;
    for (char16_t u : units) {
      bytes += static_cast<char>(u & 0xFF);
      bytes += static_cast<char>(u >> 8);
    }
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return;
  }
  const int n = WideCharToMultiByte(CP_ACP, 0, lpsz, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, lpsz, -1, bytes.data(), n, nullptr, nullptr);
  Write(bytes.data(), static_cast<UINT>(n - 1));
}
