#include "platform/win/Utf8.h"

std::string velmora::win::ToUtf8(const std::wstring& wide, bool slashes) {
  std::string out;
  for (wchar_t wc : wide) {
    auto c = static_cast<char32_t>(slashes && wc == L'\\' ? L'/' : wc);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring velmora::win::FromUtf8(const char* s) {
  std::wstring out;
  const auto* p = reinterpret_cast<const unsigned char*>(s ? s : "");
  while (*p) {
    const unsigned c = *p;
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool ok = extra >= 0;
    for (int i = 1; ok && i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (!ok) {
      out += static_cast<wchar_t>(0xDC00 | c);
      ++p;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    p += extra + 1;
  }
  return out;
}
