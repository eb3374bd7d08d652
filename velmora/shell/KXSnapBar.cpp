#include "velmora/shell/KXSnapBar.h"
#include "velmora/commands/CommandIds.h"

#include "platform/afx/DocView.h"
#include "platform/afx/PaintDC.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSnapButton, CWnd)
IMPLEMENT_DYNAMIC(CKXSnapBar, CToolBar)

BEGIN_MESSAGE_MAP(CSnapButton, CWnd)
ON_WM_LBUTTONUP()
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CSnapButton::Create(LPCWSTR label, const RECT& rect, CWnd* parent, UINT nID, bool checkBox) {
  m_bCheckBox = checkBox;
  // A window class of its own: the button paints its box, tick and label itself (a toolkit
  // push button in its place would show neither the label's check state nor, sized as a bar
  // slot, the label).
  return CWnd::Create(L"VelmoraSnapButton", label, WS_CHILD | WS_VISIBLE, rect, parent, nID);
}

void CSnapButton::SetCheck(int check) {
  if (check == m_nCheck) return;
  m_nCheck = check;
  if (m_hWnd) Invalidate();
}

void CSnapButton::Click() {
  if (!m_hWnd || !IsWindowEnabled()) return;
  if (CWnd* top = GetTopLevelParent(); top && top != this) top->SendMessage(WM_COMMAND, GetDlgCtrlID(), 0);
}

void CSnapButton::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  dc.SetBkMode(TRANSPARENT);
  CString label;
  GetWindowText(label);
  const int mid = rc.bottom / 2;
  if (!m_bCheckBox) {
    dc.Rectangle(rc.left, rc.top, rc.right, rc.bottom);
    const int w = int(dc.GetTextExtent(label.GetString()).cx);
    dc.TextOut(std::max(2, (int(rc.right) - w) / 2), mid - 6, label.GetString());
    return;
  }
  dc.Rectangle(2, mid - 6, 14, mid + 6);
  if (m_nCheck) {
    const POINT tick[3] = {{4, mid}, {7, mid + 3}, {12, mid - 4}};
    dc.Polyline(tick, 3);
  }
  dc.TextOut(18, mid - 6, label.GetString());
}

void CSnapButton::OnLButtonUp(UINT, CPoint) {
  Click();
  Default();
}

const std::array<CKXSnapBar::Slot, CKXSnapBar::kControlCount>& CKXSnapBar::Slots() {
  static const std::array<Slot, kControlCount> slots = {{
      {ID_SNAP_END, L"End", 56, 0x1},
      {ID_SNAP_NEAR, L"Near", 66, 0x2},
      {ID_SNAP_POINT, L"Point", 46, 0x4},
      {ID_SNAP_MID, L"Mid", 66, 0x8},
      {ID_SNAP_CENTER, L"Center", 66, 0x10},
      {ID_SNAP_INTER, L"Inter", 66, 0x20},
      {ID_SNAP_PERP, L"Perp", 66, 0x40},
      {ID_SNAP_TAN, L"Tan", 66, 0x80},
      {ID_SNAP_QUAD, L"Quad", 76, 0x100},
      {ID_SNAP_GRID, L"Grid", 66, 0x400},
      {ID_SNAP_GUIDELINE, L"Guidline", 66, 0x800},
      {ID_SNAP_ALL, L"All", 56, 0},
      {ID_SNAP_NAVIGATE, L"Navigate", 86, 0},
  }};
  return slots;
}

UINT CKXSnapBar::SnapBit(UINT id) {
  for (const Slot& s : Slots())
    if (s.id == id) return s.bit;
  return 0;
}

BOOL CKXSnapBar::Create(CFrameWnd* pFrame) {
  CKXGlobal* global = gGetKXGlobal();
  if (!pFrame || !global) return FALSE;
  if (!CreateEx(pFrame, TBSTYLE_FLAT, WS_CHILD | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY, CRect(0, 0, 0, 0), kBarID))
    return FALSE;
  if (!LoadBitmap(kBitmapID) || !SetButtons(nullptr, kSlotCount)) return FALSE;
  const auto& slots = Slots();
  for (int i = 0; i < kControlCount; ++i) SetButtonInfo(i, slots[size_t(i)].id, TBBS_SEPARATOR, slots[size_t(i)].width);
  const UINT flags = global->GetSnapFlag();
  for (int i = 0; i < kControlCount; ++i) {
    const Slot& s = slots[size_t(i)];
    CRect r;
    GetItemRect(i, &r);
    const bool checkBox = s.id != ID_SNAP_ALL;
    if (s.id == ID_SNAP_ALL) r.right += 10;
    if (s.id == ID_SNAP_NAVIGATE) r.left += 30, r.right += 40;
    if (!m_controls[size_t(i)].Create(s.label, r, this, s.id, checkBox)) return FALSE;
    if (s.bit) m_controls[size_t(i)].SetCheck((flags & s.bit) ? 1 : 0);
    if (s.id == ID_SNAP_NAVIGATE) m_controls[size_t(i)].SetCheck(global->IsNavigation() ? 1 : 0);
  }
  return TRUE;
}

CSnapButton* CKXSnapBar::GetControl(UINT id) {
  for (int i = 0; i < kControlCount; ++i)
    if (Slots()[size_t(i)].id == id && m_controls[size_t(i)].GetSafeHwnd()) return &m_controls[size_t(i)];
  return nullptr;
}

void CKXSnapBar::SetCheck(UINT id, int check) {
  if (CSnapButton* b = GetControl(id)) b->SetCheck(check);
}

int CKXSnapBar::GetCheck(UINT id) const {
  for (int i = 0; i < kControlCount; ++i)
    if (Slots()[size_t(i)].id == id) return m_controls[size_t(i)].GetCheck();
  return 0;
}
