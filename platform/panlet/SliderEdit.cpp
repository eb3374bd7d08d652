#include "platform/panlet/SliderEdit.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

IMPLEMENT_DYNAMIC(CKXSliderEdit, CWnd)

namespace {
constexpr UINT kEditId = 1, kSliderId = 2;
}

BOOL CKXSliderEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CWnd::Create(kSliderEditClass, L"", dwStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const int ew = std::min(kEditWidth, w);
  if (!m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER, RECT{0, 0, ew, h}, this, kEditId) ||
      !m_slider.Create(WS_CHILD | WS_VISIBLE | TBS_HORZ, RECT{ew, 0, w, h}, this, kSliderId)) {
    DestroyWindow();
    return FALSE;
  }
  ShowPos();
  return TRUE;
}

BOOL CKXSliderEdit::CreateInPlaceOf(CWnd* pControl, UINT nID) {
  if (!pControl || !pControl->m_hWnd || !pControl->GetParent()) return FALSE;
  CRect r;
  pControl->GetWindowRect(&r);
  pControl->GetParent()->ScreenToClient(&r);
  const DWORD style = pControl->GetStyle() & (WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_DISABLED);
  if (!Create(style, r, pControl->GetParent(), nID)) return FALSE;
  pControl->EnableWindow(FALSE);
  pControl->ShowWindow(SW_HIDE);
  return TRUE;
}

void CKXSliderEdit::SetRange(int nMin, int nMax) {
  m_slider.SetRange(nMin, nMax);
  ShowPos();
}

void CKXSliderEdit::SetPos(int nPos) {
  m_slider.SetPos(nPos);
  ShowPos();
}

void CKXSliderEdit::ShowPos() {
  if (!m_edit.m_hWnd) return;
  wchar_t buf[16];
  std::swprintf(buf, 16, L"%d", m_slider.GetPos());
  m_showing = true;
  m_edit.SetWindowText(buf);
  m_showing = false;
}

BOOL CKXSliderEdit::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kEditId && lParam) {
    const int code = HIWORD(wParam);
    if (code == EN_CHANGE && !m_showing) {
      // A typed number moves the slider as far as the range allows; the edit keeps what was
      // typed until it loses the focus.
      CString text;
      m_edit.GetWindowText(text);
      if (!text.IsEmpty()) m_slider.SetPos(static_cast<int>(std::wcstol(text.GetString(), nullptr, 10)));
      AfxNotifyCommand(m_hWnd, EN_CHANGE);
    } else if (code == EN_KILLFOCUS) {
      ShowPos();
    }
    return TRUE;
  }
  return CWnd::OnCommand(wParam, lParam);
}

LRESULT CKXSliderEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_HSCROLL || message == WM_VSCROLL) && reinterpret_cast<HWND>(lParam) == m_slider.m_hWnd) {
    ShowPos();
    AfxNotifyCommand(m_hWnd, EN_CHANGE);
    return 0;
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}
