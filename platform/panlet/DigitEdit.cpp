#include "platform/panlet/DigitEdit.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string>

IMPLEMENT_DYNAMIC(CDigitEdit, CEdit)

namespace {
// One %[flags][width][.precision](f|e|g|F|E|G) and no other conversion ("%%" allowed).
bool OneFloatConversion(const std::wstring& f) {
  int conversions = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != L'%') continue;
    if (i + 1 < f.size() && f[i + 1] == L'%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < f.size() && std::wcschr(L"-+ #0", f[j])) ++j;
    size_t digits = 0;
    while (j < f.size() && std::iswdigit(f[j])) ++j, ++digits;
    if (digits > 2) return false;
    if (j < f.size() && f[j] == L'.') {
      ++j;
      digits = 0;
      while (j < f.size() && std::iswdigit(f[j])) ++j, ++digits;
      if (digits > 2) return false;
    }
    if (j >= f.size() || !std::wcschr(L"feEgGF", f[j])) return false;
    ++conversions;
    i = j;
  }
  return conversions == 1;
}
}  // namespace

BOOL CDigitEdit::SetFormat(LPCWSTR lpszFormat) {
  if (!lpszFormat || !OneFloatConversion(lpszFormat)) return FALSE;
  m_format = lpszFormat;
  return TRUE;
}

void CDigitEdit::SetMinus(BOOL bAllowMinus) { m_bMinus = bAllowMinus ? TRUE : FALSE; }

BOOL CDigitEdit::SetUnit(double perMillimetre, LPCWSTR lpszName) {
  if (!std::isfinite(perMillimetre) || perMillimetre <= 0) return FALSE;
  m_perMm = perMillimetre;
  m_unit = lpszName ? lpszName : L"";
  return TRUE;
}

void CDigitEdit::ShowUnit(BOOL bShow) { m_bShowUnit = bShow ? TRUE : FALSE; }

CString CDigitEdit::Format(double value) const {
  double shown = value * m_perMm;
  if (!m_bMinus && shown < 0) shown = 0;
  if (shown == 0) shown = 0;  // no "-0.000"
  wchar_t buf[128];
  if (std::swprintf(buf, 128, m_format.GetString(), shown) < 0) buf[0] = L'\0';
  CString text = buf;
  if (m_bShowUnit && !m_unit.IsEmpty()) text += CString(L" ") + m_unit;
  return text;
}

BOOL CDigitEdit::Parse(const CString& text, double& value) const {
  std::wstring t = text.GetString();
  // The unit's name may follow the number.
  if (!m_unit.IsEmpty()) {
    const std::wstring unit = m_unit.GetString();
    size_t end = t.find_last_not_of(L" \t");
    if (end != std::wstring::npos && end + 1 >= unit.size() && t.compare(end + 1 - unit.size(), unit.size(), unit) == 0)
      t.erase(end + 1 - unit.size());
  }
  const wchar_t* s = t.c_str();
  while (*s == L' ' || *s == L'\t') ++s;
  if (*s == L'-' && !m_bMinus) return FALSE;
  wchar_t* end = nullptr;
  errno = 0;
  const double v = std::wcstod(s, &end);
  if (end == s || errno == ERANGE || !std::isfinite(v)) return FALSE;
  while (*end == L' ' || *end == L'\t') ++end;
  if (*end) return FALSE;
  value = v / m_perMm;
  return TRUE;
}

BOOL CDigitEdit::SetValue(double value) {
  if (!std::isfinite(value)) return FALSE;
  SetWindowText(Format(value).GetString());
  return TRUE;
}

BOOL CDigitEdit::GetValue(double& value) const {
  CString text;
  GetWindowText(text);
  return Parse(text, value);
}

void CDigitEdit::FilterUserText(CString& text) {
  std::wstring in = text.GetString(), suffix;
  if (!m_unit.IsEmpty()) {
    const std::wstring unit = std::wstring(L" ") + m_unit.GetString();
    if (in.size() >= unit.size() && in.compare(in.size() - unit.size(), unit.size(), unit) == 0) {
      suffix = unit;
      in.erase(in.size() - unit.size());
    }
  }
  std::wstring out;
  bool point = false;
  for (wchar_t c : in) {
    if (c >= L'0' && c <= L'9') out += c;
    else if (c == L'.' && !point) {
      out += c;
      point = true;
    } else if (c == L'-' && m_bMinus && out.empty()) {
      out += c;
    }
  }
  text = (out + suffix).c_str();
}
