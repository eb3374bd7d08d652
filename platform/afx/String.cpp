#include "platform/afx/String.h"

#include "platform/afx/Exception.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <vector>

struct CString::Header {
  int nLength;
  int nCapacity;  // characters, not counting the terminator
};

namespace {

constexpr size_t kHeaderChars = (sizeof(int) * 2 + sizeof(wchar_t) - 1) / sizeof(wchar_t);
static_assert(sizeof(CString) == sizeof(void*), "a string is one pointer to its data");

int CheckedLength(size_t n) {
  if (n > static_cast<size_t>(INT_MAX / 2)) AfxThrowMemoryException();
  return static_cast<int>(n);
}

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

constexpr wchar_t kReplacement = 0xFFFD;

}  // namespace

CString::Header* CString::GetHeader() const noexcept {
  return m_pszData ? reinterpret_cast<Header*>(m_pszData - kHeaderChars) : nullptr;
}

wchar_t* CString::Prepare(int nLength, int nKeep) {
  Header* h = GetHeader();
  if (h && h->nCapacity >= nLength) return m_pszData;
  if (nLength == 0) return m_pszData;
  int nCap = nLength;
  if (h && nLength < INT_MAX / 4) nCap = nLength + nLength / 2;  // amortise repeated appends
  wchar_t* block;
  try {
    block = static_cast<wchar_t*>(
        ::operator new((kHeaderChars + static_cast<size_t>(nCap) + 1) * sizeof(wchar_t)));
  } catch (const std::bad_alloc&) {
    AfxThrowMemoryException();
  }
  auto* nh = reinterpret_cast<Header*>(block);
  nh->nLength = 0;
  nh->nCapacity = nCap;
  wchar_t* data = block + kHeaderChars;
  if (h && nKeep > 0) std::wmemcpy(data, m_pszData, static_cast<size_t>(nKeep));
  if (h) ::operator delete(reinterpret_cast<wchar_t*>(h));
  m_pszData = data;
  return data;
}

void CString::SetLength(int nLength) noexcept {
  if (!m_pszData) return;
  GetHeader()->nLength = nLength;
  m_pszData[nLength] = 0;
}

void CString::Assign(const wchar_t* pch, int nLength) {
  if (nLength <= 0) { Empty(); return; }
  const Header* h = GetHeader();
  if (h && pch >= m_pszData && pch <= m_pszData + h->nLength) {  // assigning a part of ourselves
    CString copy(pch, nLength);
    *this = std::move(copy);
    return;
  }
  std::wmemcpy(Prepare(nLength, 0), pch, static_cast<size_t>(nLength));
  SetLength(nLength);
}

void CString::Append(const wchar_t* pch, int nLength) {
  if (nLength <= 0) return;
  const int nOld = GetLength();
  const int nNew = CheckedLength(static_cast<size_t>(nOld) + static_cast<size_t>(nLength));
  const Header* h = GetHeader();
  if (h && pch >= m_pszData && pch <= m_pszData + h->nLength) {  // appending a part of ourselves
    CString copy(pch, nLength);
    Append(copy.m_pszData, nLength);
    return;
  }
  std::wmemcpy(Prepare(nNew, nOld) + nOld, pch, static_cast<size_t>(nLength));
  SetLength(nNew);
}

CString::CString(const CString& s) { Assign(s.m_pszData, s.GetLength()); }

CString::CString(const wchar_t* psz) {
  if (psz) Assign(psz, CheckedLength(std::wcslen(psz)));
}

CString::CString(const wchar_t* pch, int nLength) {
  if (nLength < 0) AfxThrowInvalidArgException();
  if (nLength > 0 && !pch) AfxThrowInvalidArgException();
  Assign(pch, nLength);
}

CString::CString(wchar_t ch, int nRepeat) {
  if (nRepeat <= 0) return;
  std::wmemset(Prepare(nRepeat, 0), ch, static_cast<size_t>(nRepeat));
  SetLength(nRepeat);
}

CString::~CString() { Empty(); }

CString& CString::operator=(const CString& s) {
  if (this != &s) Assign(s.m_pszData, s.GetLength());
  return *this;
}

CString& CString::operator=(CString&& s) noexcept {
  if (this != &s) {
    Empty();
    m_pszData = s.m_pszData;
    s.m_pszData = nullptr;
  }
  return *this;
}

CString& CString::operator=(const wchar_t* psz) {
  if (!psz) { Empty(); return *this; }
  Assign(psz, CheckedLength(std::wcslen(psz)));
  return *this;
}

CString& CString::operator=(wchar_t ch) {
  Assign(&ch, 1);
  return *this;
}

CString& CString::operator+=(const wchar_t* psz) {
  if (psz) Append(psz, CheckedLength(std::wcslen(psz)));
  return *this;
}

int CString::GetLength() const noexcept { return m_pszData ? GetHeader()->nLength : 0; }

void CString::Empty() noexcept {
  if (m_pszData) ::operator delete(reinterpret_cast<wchar_t*>(GetHeader()));
  m_pszData = nullptr;
}

wchar_t CString::GetAt(int i) const {
  if (i < 0 || i >= GetLength()) AfxThrowInvalidArgException();
  return m_pszData[i];
}

void CString::SetAt(int i, wchar_t ch) {
  if (i < 0 || i >= GetLength()) AfxThrowInvalidArgException();
  m_pszData[i] = ch;
}

CString CString::Left(int nCount) const {
  const int n = GetLength();
  if (nCount < 0) nCount = 0;
  return CString(GetString(), nCount < n ? nCount : n);
}

CString CString::Right(int nCount) const {
  const int n = GetLength();
  if (nCount < 0) nCount = 0;
  if (nCount > n) nCount = n;
  return CString(GetString() + (n - nCount), nCount);
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, INT_MAX); }

CString CString::Mid(int iFirst, int nCount) const {
  const int n = GetLength();
  if (iFirst < 0) iFirst = 0;
  if (nCount < 0) nCount = 0;
  if (iFirst > n) iFirst = n;
  if (nCount > n - iFirst) nCount = n - iFirst;
  return CString(GetString() + iFirst, nCount);
}

int CString::Find(wchar_t ch, int iStart) const noexcept {
  const int n = GetLength();
  if (iStart < 0 || iStart >= n) return -1;
  for (int i = iStart; i < n; ++i)
    if (m_pszData[i] == ch) return i;
  return -1;
}

int CString::Find(const wchar_t* pszSub, int iStart) const noexcept {
  const int n = GetLength();
  if (!pszSub || iStart < 0 || iStart > n) return -1;
  const wchar_t* hit = std::wcsstr(GetString() + iStart, pszSub);
  return hit ? static_cast<int>(hit - GetString()) : -1;
}

int CString::ReverseFind(wchar_t ch) const noexcept {
  for (int i = GetLength() - 1; i >= 0; --i)
    if (m_pszData[i] == ch) return i;
  return -1;
}

CString& CString::MakeUpper() {
  for (int i = 0, n = GetLength(); i < n; ++i)
    m_pszData[i] = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(m_pszData[i])));
  return *this;
}

CString& CString::MakeLower() {
  for (int i = 0, n = GetLength(); i < n; ++i)
    m_pszData[i] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(m_pszData[i])));
  return *this;
}

int CString::Compare(const wchar_t* psz) const noexcept {
  return std::wcscmp(GetString(), psz ? psz : L"");
}

int CString::CompareNoCase(const wchar_t* psz) const noexcept {
  const wchar_t* a = GetString();
  const wchar_t* b = psz ? psz : L"";
  for (;; ++a, ++b) {
    const wint_t ca = std::towlower(static_cast<wint_t>(*a));
    const wint_t cb = std::towlower(static_cast<wint_t>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

int CString::Replace(wchar_t chOld, wchar_t chNew) {
  int count = 0;
  for (int i = 0, n = GetLength(); i < n; ++i)
    if (m_pszData[i] == chOld) { m_pszData[i] = chNew; ++count; }
  return count;
}

int CString::Replace(const wchar_t* pszOld, const wchar_t* pszNew) {
  if (!pszOld || !*pszOld || IsEmpty()) return 0;
  const size_t nOld = std::wcslen(pszOld);
  const int nNew = pszNew ? CheckedLength(std::wcslen(pszNew)) : 0;
  CString out;
  int count = 0;
  const wchar_t* p = GetString();
  while (const wchar_t* hit = std::wcsstr(p, pszOld)) {
    out.Append(p, static_cast<int>(hit - p));
    out.Append(pszNew, nNew);
    p = hit + nOld;
    ++count;
  }
  if (count == 0) return 0;
  out += p;
  *this = std::move(out);
  return count;
}

int CString::Remove(wchar_t ch) {
  const int n = GetLength();
  int w = 0;
  for (int r = 0; r < n; ++r)
    if (m_pszData[r] != ch) m_pszData[w++] = m_pszData[r];
  if (w == 0) Empty(); else SetLength(w);
  return n - w;
}

namespace {

template <class Pred>
int LeadingCount(const wchar_t* p, int n, Pred pred) {
  int i = 0;
  while (i < n && pred(p[i])) ++i;
  return i;
}

template <class Pred>
int TrailingCount(const wchar_t* p, int n, Pred pred) {
  int i = 0;
  while (i < n && pred(p[n - 1 - i])) ++i;
  return i;
}

bool InSet(const wchar_t* set, wchar_t c) { return set && c != 0 && std::wcschr(set, c); }

}  // namespace

CString& CString::TrimLeft() {
  const int k = LeadingCount(GetString(), GetLength(), IsSpace);
  if (k) Assign(GetString() + k, GetLength() - k);
  return *this;
}
CString& CString::TrimLeft(wchar_t chTarget) {
  const int k = LeadingCount(GetString(), GetLength(), [=](wchar_t c) { return c == chTarget; });
  if (k) Assign(GetString() + k, GetLength() - k);
  return *this;
}
CString& CString::TrimLeft(const wchar_t* pszTargets) {
  const int k = LeadingCount(GetString(), GetLength(), [=](wchar_t c) { return InSet(pszTargets, c); });
  if (k) Assign(GetString() + k, GetLength() - k);
  return *this;
}
CString& CString::TrimRight() {
  const int k = TrailingCount(GetString(), GetLength(), IsSpace);
  if (k) Assign(GetString(), GetLength() - k);
  return *this;
}
CString& CString::TrimRight(wchar_t chTarget) {
  const int k = TrailingCount(GetString(), GetLength(), [=](wchar_t c) { return c == chTarget; });
  if (k) Assign(GetString(), GetLength() - k);
  return *this;
}
CString& CString::TrimRight(const wchar_t* pszTargets) {
  const int k = TrailingCount(GetString(), GetLength(), [=](wchar_t c) { return InSet(pszTargets, c); });
  if (k) Assign(GetString(), GetLength() - k);
  return *this;
}

void CString::Format(const wchar_t* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  try {
    FormatV(pszFormat, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

namespace {

// Rewrites the wide-format conventions of the callers into the C library's: there %s and %c are
// narrow and %ls/%lc wide, here %s/%c are wide and %S/%C narrow; %I64 is a 64-bit length.
std::wstring TranslateFormat(const wchar_t* f) {
  std::wstring out;
  while (*f) {
    if (*f != L'%') { out += *f++; continue; }
    out += *f++;
    if (*f == L'%') { out += *f++; continue; }
    while (*f && std::wcschr(L"-+ #0", *f)) out += *f++;
    while (*f && (std::iswdigit(static_cast<wint_t>(*f)) || *f == L'*' || *f == L'.')) out += *f++;
    bool hasLength = false;
    if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') { out += L"ll"; f += 3; hasLength = true; }
    else if (f[0] == L'I' && f[1] == L'3' && f[2] == L'2') { f += 3; hasLength = true; }
    else if (*f == L'h' && (f[1] == L's' || f[1] == L'c')) { ++f; out += *f++; continue; }
    while (*f && std::wcschr(L"hlLqjzt", *f)) { out += *f++; hasLength = true; }
    if (!*f) break;
    const wchar_t conv = *f++;
    if (!hasLength && (conv == L's' || conv == L'c')) { out += L'l'; out += conv; }
    else if (conv == L'S') out += L's';
    else if (conv == L'C') out += L'c';
    else out += conv;
  }
  return out;
}

}  // namespace

void CString::FormatV(const wchar_t* pszFormat, va_list args) {
  if (!pszFormat) AfxThrowInvalidArgException();
  const std::wstring fmt = TranslateFormat(pszFormat);
  std::vector<wchar_t> buf(256);
  // vswprintf answers -1 for a buffer too small: grow it, up to a sane size.
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    errno = 0;
    const int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
    const int err = errno;
    va_end(copy);
    if (n >= 0) { Assign(buf.data(), n); return; }
    // A narrow argument the C library cannot convert (it converts in the "C" locale).
    if (err == EILSEQ || buf.size() >= (size_t{1} << 24)) AfxThrowInvalidArgException();
    buf.resize(buf.size() * 4);
  }
}

CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, wchar_t b) { CString r(a); r += b; return r; }
CString operator+(wchar_t a, const CString& b) { CString r(a); r += b; return r; }

// --- Unicode conversions. Malformed input becomes U+FFFD; nothing is dropped silently.

CString CString::FromUtf8(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const unsigned c = p[i];
    int extra;
    char32_t cp;
    char32_t minimum;
    if (c < 0x80) { out += static_cast<wchar_t>(c); ++i; continue; }
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; minimum = 0x80; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; minimum = 0x800; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; minimum = 0x10000; }
    else { out += kReplacement; ++i; continue; }
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra) && i + j < n && (p[i + j] & 0xC0) == 0x80; ++j)
      cp = (cp << 6) | (p[i + j] & 0x3F);
    if (j != static_cast<size_t>(extra) + 1 || cp < minimum || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += kReplacement;
      i += j;  // skip the lead byte and the continuation bytes that belonged to it
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += j;
  }
  return CString(out.data(), CheckedLength(out.size()));
}

std::string CString::ToUtf8() const {
  std::string out;
  const int n = GetLength();
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto cp = static_cast<char32_t>(m_pszData[i]);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// Unpaired surrogates pass through unchanged both ways, so wide text read from a file is written
// back byte for byte.
CString CString::FromUtf16(const char16_t* p, size_t n) {
  if (n > 0 && !p) AfxThrowInvalidArgException();
  std::wstring out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const char16_t u = p[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((char32_t(u) - 0xD800) << 10) + (p[i + 1] - 0xDC00));
      ++i;
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return CString(out.data(), CheckedLength(out.size()));
}

std::u16string CString::ToUtf16() const {
  std::u16string out;
  const int n = GetLength();
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto cp = static_cast<char32_t>(m_pszData[i]);
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}
