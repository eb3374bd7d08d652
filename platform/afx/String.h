// CString: wide text (wchar_t, UTF-32 on this platform) held through one pointer, so that the
// object is pointer-sized and modules built against this library can assign each other's strings.
// Conversions to UTF-8 (file names, the C library) and UTF-16 (archives, wide files) live here.
#pragma once

#include "platform/win/WinTypes.h"

#include <compare>
#include <cstdarg>
#include <string>
#include <string_view>

class CString {
 public:
  CString() noexcept = default;
  CString(const CString& s);
  CString(CString&& s) noexcept : m_pszData(s.m_pszData) { s.m_pszData = nullptr; }
  CString(const wchar_t* psz);
  CString(const wchar_t* pch, int nLength);
  explicit CString(wchar_t ch, int nRepeat = 1);
  ~CString();

  CString& operator=(const CString& s);
  CString& operator=(CString&& s) noexcept;
  CString& operator=(const wchar_t* psz);
  CString& operator=(wchar_t ch);

  static CString FromUtf8(std::string_view utf8);
  static CString FromUtf16(const char16_t* p, size_t nUnits);
  static CString FromUtf16(std::u16string_view s) { return FromUtf16(s.data(), s.size()); }
  std::string ToUtf8() const;
  std::u16string ToUtf16() const;

  int GetLength() const noexcept;
  BOOL IsEmpty() const noexcept { return GetLength() == 0; }
  void Empty() noexcept;
  // Index outside [0, length) throws CInvalidArgException.
  wchar_t GetAt(int i) const;
  void SetAt(int i, wchar_t ch);
  wchar_t operator[](int i) const { return GetAt(i); }
  operator const wchar_t*() const noexcept { return GetString(); }
  const wchar_t* GetString() const noexcept { return m_pszData ? m_pszData : L""; }

  // Counts are clamped to the string, as the callers expect (Left(99) of "ab" is "ab").
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  CString Mid(int iFirst) const;
  CString Mid(int iFirst, int nCount) const;

  // -1 when not found; a start outside the string finds nothing.
  int Find(wchar_t ch, int iStart = 0) const noexcept;
  int Find(const wchar_t* pszSub, int iStart = 0) const noexcept;
  int ReverseFind(wchar_t ch) const noexcept;

  CString& MakeUpper();
  CString& MakeLower();
  // <0, 0, >0 as the first string sorts before, equal to, after the second (code point order).
  int Compare(const wchar_t* psz) const noexcept;
  int CompareNoCase(const wchar_t* psz) const noexcept;

  // Each returns the number of replacements/removals made.
  int Replace(wchar_t chOld, wchar_t chNew);
  int Replace(const wchar_t* pszOld, const wchar_t* pszNew);
  int Remove(wchar_t ch);

  CString& TrimLeft();
  CString& TrimLeft(wchar_t chTarget);
  CString& TrimLeft(const wchar_t* pszTargets);
  CString& TrimRight();
  CString& TrimRight(wchar_t chTarget);
  CString& TrimRight(const wchar_t* pszTargets);
  CString& Trim() { TrimRight(); return TrimLeft(); }

  // printf-style; %s and %c take wide arguments, %S and %C narrow (ASCII) ones, %I64d a 64-bit
  // integer. A narrow argument that is not ASCII throws CInvalidArgException.
  void Format(const wchar_t* pszFormat, ...);
  void FormatV(const wchar_t* pszFormat, va_list args);

  CString& operator+=(const CString& s) { Append(s.GetString(), s.GetLength()); return *this; }
  CString& operator+=(const wchar_t* psz);
  CString& operator+=(wchar_t ch) { Append(&ch, 1); return *this; }

  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const wchar_t* b);
  friend CString operator+(const wchar_t* a, const CString& b);
  friend CString operator+(const CString& a, wchar_t b);
  friend CString operator+(wchar_t a, const CString& b);

  friend bool operator==(const CString& a, const CString& b) noexcept { return a.Compare(b) == 0; }
  friend bool operator==(const CString& a, const wchar_t* b) noexcept { return a.Compare(b) == 0; }
  friend std::strong_ordering operator<=>(const CString& a, const CString& b) noexcept {
    return a.Compare(b) <=> 0;
  }
  friend std::strong_ordering operator<=>(const CString& a, const wchar_t* b) noexcept {
    return a.Compare(b) <=> 0;
  }

 private:
  struct Header;
  Header* GetHeader() const noexcept;
  // Ensures room for nLength characters, keeping the first nKeep; the text is not terminated.
  wchar_t* Prepare(int nLength, int nKeep);
  void SetLength(int nLength) noexcept;
  void Assign(const wchar_t* pch, int nLength);
  void Append(const wchar_t* pch, int nLength);

  wchar_t* m_pszData = nullptr;  // null for the empty string; else text after a Header
};
