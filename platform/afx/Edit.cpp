#include "platform/afx/Edit.h"

#include <algorithm>
#include <string>

IMPLEMENT_DYNAMIC(CEdit, CControlWnd)
IMPLEMENT_DYNAMIC(CRichEditCtrl, CEdit)

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kEditClass, L"", dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) {
  AfxControlState* s = State();
  if (!s) return;
  const int len = GetWindowTextLength();
  // (0, -1) selects everything; a start of -1 removes the selection.
  if (nStartChar < 0) {
    s->selStart = s->selEnd = std::clamp(s->selEnd, 0, len);
  } else {
    s->selStart = std::min(nStartChar, len);
    s->selEnd = nEndChar < 0 ? len : std::min(nEndChar, len);
    if (s->selEnd < s->selStart) std::swap(s->selStart, s->selEnd);
  }
  Changed();
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
  const AfxControlState* s = State();
  const int len = GetWindowTextLength();
  nStartChar = s ? std::min(s->selStart, len) : 0;
  nEndChar = s ? std::min(s->selEnd, len) : 0;
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL) {
  AfxControlState* s = State();
  if (!s) return;
  CString text;
  GetWindowText(text);
  std::wstring t = text.GetString();
  int a = 0, b = 0;
  GetSel(a, b);
  const std::wstring add = lpszNewText ? lpszNewText : L"";
  t.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), add);
  SetWindowText(t.c_str());
  if ((s = State())) {
    s->selStart = s->selEnd = a + static_cast<int>(add.size());
    s->modified = true;
  }
  Changed();
}

void CEdit::SetLimitText(UINT nMax) {
  if (AfxControlState* s = State()) {
    s->limit = nMax;
    Changed();
  }
}

UINT CEdit::GetLimitText() const {
  const AfxControlState* s = State();
  return s ? s->limit : 0;
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly) { return ModifyStyle(bReadOnly ? 0 : ES_READONLY, bReadOnly ? ES_READONLY : 0); }

BOOL CEdit::GetModify() const {
  const AfxControlState* s = State();
  return s && s->modified ? TRUE : FALSE;
}

void CEdit::SetModify(BOOL bModified) {
  if (AfxControlState* s = State()) s->modified = bModified != FALSE;
}

int CEdit::GetLineCount() const {
  CString text;
  GetWindowText(text);
  int lines = 1;
  for (int i = 0; i < text.GetLength(); ++i)
    if (text[i] == L'\n') ++lines;
  return lines;
}

LRESULT CEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS: AfxNotifyCommand(m_hWnd, EN_SETFOCUS); return 0;
    case WM_KILLFOCUS: AfxNotifyCommand(m_hWnd, EN_KILLFOCUS); return 0;
    default: return CControlWnd::DefWindowProc(message, wParam, lParam);
  }
}

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kRichEditClass, L"", dwStyle, rect, pParentWnd, nID);
}

COLORREF CRichEditCtrl::SetBackgroundColor(BOOL bSysColor, COLORREF cr) {
  AfxControlState* s = State();
  if (!s) return 0;
  const COLORREF old = s->color;
  s->color = bSysColor ? CLR_DEFAULT : cr;
  Changed();
  return old;
}

DWORD CRichEditCtrl::SetEventMask(DWORD dwEventMask) {
  const DWORD old = m_eventMask;
  m_eventMask = dwEventMask;
  return old;
}
