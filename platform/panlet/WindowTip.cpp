#include "platform/panlet/WindowTip.h"

#include "platform/win/Messages.h"

namespace {
// Rough text metrics of the tip's font, to size the window to its text.
constexpr int kCharWidth = 7, kLineHeight = 16, kPad = 4;
}  // namespace

CWindowTip::~CWindowTip() {
  if (GetSafeHwnd()) DestroyWindow();
}

BOOL CWindowTip::CreateTipWnd(CWnd* parent) {
  if (!parent || !parent->GetSafeHwnd() || GetSafeHwnd()) return FALSE;
  const RECT r{0, 0, kPad * 2, kLineHeight + kPad};
  return Create(L"Static", L"", WS_CHILD, r, parent, 0);
}

void CWindowTip::SetTipText(const CString& text) {
  m_text = text;
  if (!GetSafeHwnd()) return;
  SetWindowText(text);
  Place();
}

void CWindowTip::Show(CPoint point) {
  m_at = CPoint(point.x + m_offset.x, point.y + m_offset.y);
  m_bShown = TRUE;
  if (!GetSafeHwnd()) return;
  Place();
  ShowWindow(SW_SHOW);
}

void CWindowTip::Hide() {
  m_bShown = FALSE;
  if (GetSafeHwnd()) ShowWindow(SW_HIDE);
}

void CWindowTip::Place() {
  const int w = kPad * 2 + kCharWidth * m_text.GetLength();
  MoveWindow(m_at.x, m_at.y, w, kLineHeight + kPad, m_bShown);
}
