#include "platform/afx/ColorDialog.h"

#include "platform/afx/Wnd.h"
#include "platform/afx/WinApp.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd)
    : m_color(clrInit), m_flags(dwFlags), m_pParent(pParentWnd) {}

INT_PTR CColorDialog::DoModal() {
  CWnd* owner = m_pParent ? m_pParent : AfxGetMainWnd();
  COLORREF c = m_color;
  if (!velmora::win::Backend().ColorDialog(owner ? owner->GetSafeHwnd() : nullptr, c)) return IDCANCEL;
  m_color = c & 0x00FFFFFFu;
  return IDOK;
}
