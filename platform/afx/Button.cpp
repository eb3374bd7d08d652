#include "platform/afx/Button.h"

IMPLEMENT_DYNAMIC(CStatic, CControlWnd)
IMPLEMENT_DYNAMIC(CButton, CControlWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)

BOOL CStatic::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kStaticClass, lpszText, dwStyle, rect, pParentWnd, nID);
}

BOOL CButton::Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kButtonClass, lpszCaption, dwStyle, rect, pParentWnd, nID);
}

int CButton::GetCheck() const {
  const AfxControlState* s = State();
  return s ? s->check : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
  AfxControlState* s = State();
  if (!s) return;
  const DWORD kind = s->style & BS_TYPEMASK;
  const bool threeState = kind == BS_3STATE || kind == BS_AUTO3STATE;
  const int want = nCheck == BST_INDETERMINATE && threeState ? BST_INDETERMINATE : nCheck ? BST_CHECKED : BST_UNCHECKED;
  if (s->check == want) return;
  s->check = want;
  Changed();
}

void CButton::SetButtonStyle(UINT nStyle, BOOL) {
  ModifyStyle(BS_TYPEMASK, nStyle & BS_TYPEMASK);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

LRESULT CButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK: return GetCheck();
    case BM_SETCHECK: SetCheck(static_cast<int>(wParam)); return 0;
    case BM_CLICK: AfxUserClick(m_hWnd); return 0;
    default: return CControlWnd::DefWindowProc(message, wParam, lParam);
  }
}

BOOL CBitmapButton::AutoLoad(UINT nID, CWnd* pParent) {
  if (!m_hWnd && !SubclassDlgItem(nID, pParent)) return FALSE;
  CString caption;
  GetWindowText(caption);
  static const wchar_t* const kSuffix[4] = {L"U", L"D", L"F", L"X"};
  for (int i = 0; i < 4; ++i) m_names[i] = caption + kSuffix[i];
  if (AfxControlState* s = State()) {
    s->bitmapName = caption;
    Changed();
  }
  return TRUE;
}
