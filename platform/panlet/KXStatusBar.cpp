#include "platform/panlet/KXStatusBar.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CKXStatusBar, CStatusBar)

BEGIN_MESSAGE_MAP(CKXStatusBar, CStatusBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
constexpr int kColorWidth = 40;
}

BOOL CKXStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  if (!CStatusBar::Create(pParentWnd, dwStyle, nID)) return FALSE;
  const UINT panes[kPanes] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
  if (!SetIndicators(panes, kPanes)) return FALSE;
  if (!m_keyIn.Create(L"Edit", L"", WS_CHILD, RECT{0, 2, 160, kHeight - 2}, this, kKeyInID)) return FALSE;
  if (!m_color.Create(this, kColorButtonID, RECT{0, 2, kColorWidth, kHeight - 2})) return FALSE;
  return TRUE;
}

void CKXStatusBar::OnSize(UINT, int cx, int) {
  // The colour button keeps to the right end.
  if (m_color.GetSafeHwnd()) m_color.MoveWindow(std::max(0, cx - kColorWidth - 2), 2, kColorWidth, kHeight - 4);
}
