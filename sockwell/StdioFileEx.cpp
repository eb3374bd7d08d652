#include "sockwell/StdioFileEx.h"

#include "platform/afx/Exception.h"
#include "platform/win/CodePage.h"

#include <cerrno>
#include <cwchar>
#include <string>
#include <vector>

const UINT CStdioFileEx::modeWriteUnicode = 0x20000;

namespace {
constexpr unsigned char kMark[2] = {0xFF, 0xFE};
constexpr UINT kLine = 256;  // narrow bytes read at a time
}  // namespace

CStdioFileEx::CStdioFileEx(LPCWSTR lpszFileName, UINT nOpenFlags) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) throw error;
}

UINT CStdioFileEx::PreprocessFlags(const CString& sFilePath, UINT nOpenFlags) {
  m_bIsUnicodeText = false;
  if ((nOpenFlags & typeText) && !(nOpenFlags & modeCreate) && !(nOpenFlags & modeWrite)) {
    m_bIsUnicodeText = IsFileUnicode(sFilePath);
    if (m_bIsUnicodeText) nOpenFlags = (nOpenFlags & ~typeText) | typeBinary;
  }
  m_nFlags = nOpenFlags;
  return nOpenFlags;
}

BOOL CStdioFileEx::Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  const UINT flags = PreprocessFlags(lpszFileName ? lpszFileName : L"", nOpenFlags);
  return CStdioFile::Open(lpszFileName, flags & ~modeWriteUnicode, pError);
}

BOOL CStdioFileEx::ReadString(CString& rString) {
  if (m_bIsUnicodeText) {
    if (GetPosition() == 0) {
      unsigned char mark[2];
      if (Read(mark, 2) < 2) {
        rString.Empty();
        return FALSE;
      }
    }
    return CStdioFile::ReadString(rString);
  }
  // ANSI: gather the line in pieces so that long lines come whole.
  std::string line;
  for (;;) {
    const ULONGLONG start = GetPosition();
    char buf[kLine];
    UINT n = 0;
    try {
      n = Read(buf, kLine - 1);
    } catch (const CFileException& e) {
      if (e.m_cause == CFileException::endOfFile) break;
      throw CFileException(CFileException::genericException, e.m_lOsError, GetFilePath());
    }
    if (n == 0) break;
    UINT used = n;
    bool ended = false;
    for (UINT i = 0; i < n; ++i)
      if (buf[i] == '\n') {
        used = i + 1;
        ended = true;
        break;
      }
    line.append(buf, used);
    if (ended) {
      Seek(static_cast<LONGLONG>(start + used), begin);
      break;
    }
    if (n < kLine - 1) break;
  }
  if (line.empty()) {
    rString.Empty();
    return FALSE;  // end of file
  }
  if (line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::wstring wide;
  if (!line.empty()) {
    const int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, line.data(), static_cast<int>(line.size()), nullptr, 0);
    wide.assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, line.data(), static_cast<int>(line.size()), wide.data(), n);
  }
  rString = CString(wide.c_str(), static_cast<int>(wide.size()));
  return TRUE;
}

void CStdioFileEx::WriteString(const wchar_t* lpsz) {
  if (m_nFlags & modeWriteUnicode) {
    if (GetPosition() == 0) Write(kMark, 2);
    const std::u16string units = CString(lpsz ? lpsz : L"").ToUtf16();
    std::vector<unsigned char> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
      bytes.push_back(static_cast<unsigned char>(u & 0xFF));
      bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    if (!bytes.empty()) Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return;
  }
  if (!lpsz || !*lpsz) return;
  const int n = WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, lpsz, -1, nullptr, 0, "#", nullptr);
  if (n <= 1) return;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, lpsz, -1, bytes.data(), n, "#", nullptr);
  Write(bytes.data(), static_cast<UINT>(n - 1));
}

DWORD CStdioFileEx::GetCharCount() {
  if (!IsOpen()) return 0;
  const ULONGLONG length = GetLength();
  if (m_bIsUnicodeText) return length < 2 ? 0 : static_cast<DWORD>((length - 2) / 2);
  return static_cast<DWORD>(length);
}

bool CStdioFileEx::IsFileUnicode(const CString& sFilePath) {
  CFile file;
  if (!file.Open(sFilePath, CFile::modeRead | CFile::typeBinary)) return false;
  unsigned char mark[2] = {0, 0};
  UINT n = 0;
  try {
    n = file.Read(mark, 2);
  } catch (const CFileException&) {
    n = 0;
  }
  file.Abort();
  return n == 2 && mark[0] == kMark[0] && mark[1] == kMark[1];
}

UINT CStdioFileEx::GetCurrentLocaleCodePage() {
  wchar_t digits[8];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) <= 0) return 0;
  return static_cast<UINT>(std::wcstoul(digits, nullptr, 10));
}

bool CStdioFileEx::GetUnicodeStringFromMultiByteString(const char* szMultiByteString, wchar_t* szUnicodeString,
                                                       short nUnicodeBufferSize, UINT nCodePage) {
  if (!szMultiByteString || !szUnicodeString || nUnicodeBufferSize <= 0) return false;
  const UINT cp = nCodePage == static_cast<UINT>(-1) ? CP_ACP : nCodePage;
  return MultiByteToWideChar(cp, MB_PRECOMPOSED, szMultiByteString, -1, szUnicodeString, nUnicodeBufferSize) > 0;
}

int CStdioFileEx::GetMultiByteStringFromUnicodeString(const wchar_t* szUnicodeString, char* szMultiByteString,
                                                      short nMultiByteBufferSize, UINT nCodePage) {
  if (!szUnicodeString || !szMultiByteString || nMultiByteBufferSize <= 0) return 0;
  const UINT cp = nCodePage == static_cast<UINT>(-1) ? CP_ACP : nCodePage;
  return WideCharToMultiByte(cp, WC_COMPOSITECHECK | WC_SEPCHARS, szUnicodeString, -1, szMultiByteString,
                             nMultiByteBufferSize, "#", nullptr);
}
