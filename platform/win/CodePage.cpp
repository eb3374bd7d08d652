#include "platform/win/CodePage.h"

#include "platform/win/Error.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <string>

namespace {
std::atomic<UINT> g_acpOverride{0};

UINT LocaleCodePage() {
  const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (const char* v : vars) {
    const char* value = std::getenv(v);
    if (!value || !*value) continue;
    std::string s = value;
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (s.find("utf-8") != std::string::npos || s.find("utf8") != std::string::npos) return CP_UTF8;
    if (s.find("gbk") != std::string::npos || s.find("gb2312") != std::string::npos || s.find("gb18030") != std::string::npos)
      return 936;
    return 1252;
  }
  return 1252;
}

std::string IconvName(UINT cp) {
  switch (cp) {
    case CP_UTF8: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 936: return "GBK";
    case 54936: return "GB18030";
    case 950: return "BIG5";
    case 932: return "SHIFT_JIS";
    case 949: return "CP949";
    default: return "CP" + std::to_string(cp);
  }
}

UINT Resolve(UINT cp) { return cp == CP_ACP || cp == static_cast<UINT>(-1) ? GetACP() : cp; }

// One iconv descriptor for the lifetime of a call.
struct Converter {
  iconv_t cd;
  Converter(const std::string& to, const std::string& from) : cd(::iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
  // Converts the whole input; false when some byte sequence cannot be converted.
  bool Run(const char* in, size_t inLen, std::string& out) {
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    char buf[256];
    auto* src = const_cast<char*>(in);
    size_t left = inLen;
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      const size_t r = ::iconv(cd, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    char* dst = buf;
    size_t room = sizeof buf;
    ::iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    return true;
  }
};
}  // namespace

UINT GetACP() {
  const UINT o = g_acpOverride.load();
  return o ? o : LocaleCodePage();
}

void velmora::win::SetSystemAnsiCodePage(UINT codePage) { g_acpOverride.store(codePage); }

int GetLocaleInfoW(UINT, UINT LCType, LPWSTR lpLCData, int cchData) {
  if (LCType != LOCALE_IDEFAULTANSICODEPAGE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::wstring digits = std::to_wstring(GetACP());
  const int need = static_cast<int>(digits.size()) + 1;
  if (cchData == 0) return need;
  if (!lpLCData || cchData < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(lpLCData, digits.c_str(), static_cast<size_t>(need));
  return need;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t len = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  Converter conv("UTF-32LE", IconvName(Resolve(CodePage)));
  if (!conv.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring wide;
  std::string out;
  if (conv.Run(lpMultiByteStr, len, out)) {
    for (size_t i = 0; i + 3 < out.size(); i += 4) {
      uint32_t c;
      std::memcpy(&c, out.data() + i, 4);
      wide += static_cast<wchar_t>(c);
    }
  } else {
    if (dwFlags & MB_ERR_INVALID_CHARS) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    // Convert the longest valid prefix piece by piece; each bad byte becomes U+FFFD.
    size_t i = 0;
    while (i < len) {
      size_t n = 1;
      bool done = false;
      for (; n <= 4 && i + n <= len; ++n)
        if (conv.Run(lpMultiByteStr + i, n, out) && !out.empty()) {
          done = true;
          break;
        }
      if (done) {
        for (size_t k = 0; k + 3 < out.size(); k += 4) {
          uint32_t c;
          std::memcpy(&c, out.data() + k, 4);
          wide += static_cast<wchar_t>(c);
        }
        i += n;
      } else {
        wide += static_cast<wchar_t>(0xFFFD);
        ++i;
      }
    }
  }
  const int need = static_cast<int>(wide.size());
  if (cchWideChar == 0) return need;
  if (cchWideChar < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(lpWideCharStr, wide.data(), wide.size());
  return need;
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar) {
  if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE;
  if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t len = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  Converter conv(IconvName(Resolve(CodePage)), "UTF-32LE");
  if (!conv.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* fallback = lpDefaultChar && *lpDefaultChar ? lpDefaultChar : "?";
  std::string bytes;
  std::string piece;
  for (size_t i = 0; i < len; ++i) {
    const auto c = static_cast<uint32_t>(lpWideCharStr[i]);
    char in[4];
    std::memcpy(in, &c, 4);
    if (c <= 0x10FFFF && conv.Run(in, 4, piece)) {
      bytes += piece;
    } else {
      bytes += fallback;
      if (lpUsedDefaultChar) *lpUsedDefaultChar = TRUE;
    }
  }
  const int need = static_cast<int>(bytes.size());
  if (cbMultiByte == 0) return need;
  if (cbMultiByte < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpMultiByteStr, bytes.data(), bytes.size());
  return need;
}
