#include "platform/panlet/KxToolBar.h"

#include "platform/afx/CommandImage.h"
#include "platform/afx/DocView.h"
#include "platform/afx/PaintDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CKxToolBar, CToolBar)
IMPLEMENT_DYNAMIC(CTabToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CTabToolBar, CControlBar)
ON_WM_PAINT()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

BOOL CKxToolBar::CreateKx(CWnd* pParentWnd, UINT nID, DWORD dwAlign) {
  return CreateEx(pParentWnd, kCtrlStyle,
                  WS_CHILD | WS_VISIBLE | (dwAlign & CBRS_ALIGN_ANY) | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_GRIPPER,
                  CRect(0, 0, 0, 0), nID);
}

BOOL CKxToolBar::LoadToolBar(UINT nIDResource, UINT nIDBitmap, int nLook, int nLarge) {
  if (!CToolBar::LoadToolBar(nIDResource) || !LoadBitmap(nIDBitmap)) return FALSE;
  m_nLook = nLook;
  m_nLarge = nLarge;
  return TRUE;
}

CTabToolBar::~CTabToolBar() = default;

BOOL CTabToolBar::Create(CWnd* pParentWnd, int bTextBottom, UINT nID) {
  m_bTextBottom = bTextBottom ? 1 : 0;
  return CreateBar(pParentWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, nID, L"VelmoraTabToolBar");
}

int CTabToolBar::AddPage(LPCWSTR title, UINT nToolBar, UINT nBitmap, UINT nCommand, int nFlag) {
  const std::vector<UINT>* buttons = velmora::afx::FindToolBarResource(nToolBar);
  if (!buttons) return -1;
  m_pages.push_back({CString(title ? title : L""), nToolBar, nBitmap, nCommand, nFlag, *buttons});
  if (m_hWnd) Invalidate();
  return int(m_pages.size()) - 1;
}

const CTabToolBar::Page* CTabToolBar::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? &m_pages[size_t(index)] : nullptr;
}

BOOL CTabToolBar::SelectPage(int index) {
  if (!GetPage(index)) return FALSE;
  m_nCurPage = index;
  if (m_hWnd) Invalidate();
  return TRUE;
}

BOOL CTabToolBar::ClickPage(int index) {
  if (!SelectPage(index)) return FALSE;
  if (m_runner && m_pages[size_t(index)].command) m_runner(m_pages[size_t(index)].command);
  return TRUE;
}

BOOL CTabToolBar::DockDragBar(CFrameWnd* pFrame) {
  if (!pFrame || GetDockingFrame() != pFrame) return FALSE;
  if (!m_dragBar.GetSafeHwnd()) {
    if (!m_dragBar.CreateKx(pFrame, 0, CBRS_ALIGN_TOP)) return FALSE;
    // One grip-sized slot: the bar is only something to hold the panel by.
    const UINT grip = ID_SEPARATOR;
    m_dragBar.SetButtons(&grip, 1);
    m_dragBar.SetWindowText(L"TabPanel");
    m_dragBar.EnableDocking(CBRS_ALIGN_ANY);
  }
  return pFrame->DockControlBar(&m_dragBar, AFX_IDW_DOCKBAR_TOP);
}

void CTabToolBar::HideDragTBar() {
  if (!m_dragBar.GetSafeHwnd()) return;
  if (CFrameWnd* frame = m_dragBar.GetDockingFrame())
    frame->ShowControlBar(&m_dragBar, FALSE, FALSE);
  else
    m_dragBar.ShowWindow(SW_HIDE);
}

CSize CTabToolBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  // A row of page tabs over a row of the current page's buttons.
  size_t most = 0;
  for (const Page& p : m_pages) most = std::max(most, p.buttons.size());
  const int length = int(most) * CToolBar::kButtonWidth + 2 * CToolBar::kBorder;
  const int thick = kTabHeight + CToolBar::kButtonHeight + 2 * CToolBar::kBorder;
  return bHorz ? CSize(length, thick) : CSize(thick, length);
}

CRect CTabToolBar::GetTabRect(int index) const {
  if (!GetPage(index)) return CRect();
  return CRect(CToolBar::kBorder + index * kTabWidth, 0, CToolBar::kBorder + (index + 1) * kTabWidth, kTabHeight);
}

CRect CTabToolBar::GetButtonRect(int index) const {
  const Page* page = GetPage(m_nCurPage);
  if (!page || index < 0 || index >= int(page->buttons.size()) || page->buttons[size_t(index)] == ID_SEPARATOR)
    return CRect();
  const int left = CToolBar::kBorder + index * CToolBar::kButtonWidth;
  return CRect(left, kTabHeight + CToolBar::kBorder, left + CToolBar::kButtonWidth,
               kTabHeight + CToolBar::kBorder + CToolBar::kButtonHeight);
}

void CTabToolBar::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  dc.SetBkMode(TRANSPARENT);
  // The current page's tab is white, open towards its buttons and marked along its top; the
  // others are grey and closed.
  CPen edge(PS_SOLID, 1, RGB(150, 150, 150)), mark(PS_SOLID, 2, RGB(217, 105, 44));
  CPen* old = dc.SelectObject(&edge);
  for (int i = 0; i < GetPageCount(); ++i) {
    const CRect r = GetTabRect(i);
    const bool current = i == m_nCurPage;
    dc.FillSolidRect(CRect(r.left, r.top, r.right, r.bottom + (current ? 1 : 0)),
                     current ? RGB(255, 255, 255) : RGB(225, 225, 225));
    dc.MoveTo(r.left, r.bottom);
    dc.LineTo(r.left, r.top);
    dc.LineTo(r.right, r.top);
    dc.LineTo(r.right, r.bottom);
    if (!current) dc.LineTo(r.left, r.bottom);
    dc.SetTextColor(current ? RGB(0, 0, 0) : RGB(90, 90, 90));
    // "&&" shows as one ampersand.
    CString title = m_pages[size_t(i)].title;
    title.Replace(L"&&", L"&");
    dc.TextOut(r.left + 6, r.top + 4, title.GetString());
    if (current) {
      dc.SelectObject(&mark);
      dc.MoveTo(r.left + 1, r.top + 1);
      dc.LineTo(r.right - 1, r.top + 1);
      dc.SelectObject(&edge);
    }
  }
  dc.SelectObject(old);
  std::vector<ButtonTip> tips;
  if (const Page* page = GetPage(m_nCurPage))
    for (int i = 0; i < int(page->buttons.size()); ++i) {
      const CRect r = GetButtonRect(i);
      if (r.Width() <= 0) continue;
      tips.push_back({page->buttons[size_t(i)], r});
      if (!velmora::afx::DrawCommandImage(dc, page->buttons[size_t(i)], r))
        dc.Rectangle(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    }
  SetButtonTips(tips);
}

UINT CTabToolBar::ButtonAt(CPoint point) const {
  if (const Page* page = GetPage(m_nCurPage))
    for (int i = 0; i < int(page->buttons.size()); ++i)
      if (GetButtonRect(i).PtInRect(point)) return page->buttons[size_t(i)];
  return 0;
}

void CTabToolBar::OnMouseMove(UINT, CPoint point) {
  HoverCommand(ButtonAt(point));
  Default();
}

LRESULT CTabToolBar::OnMouseLeave(WPARAM, LPARAM) {
  HoverCommand(0);
  return 0;
}

void CTabToolBar::OnLButtonUp(UINT, CPoint point) {
  auto inside = [&point](const CRect& r) {
    return point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom;
  };
  for (int i = 0; i < GetPageCount(); ++i)
    if (inside(GetTabRect(i))) {
      ClickPage(i);
      return;
    }
  if (const Page* page = GetPage(m_nCurPage))
    for (int i = 0; i < int(page->buttons.size()); ++i)
      if (inside(GetButtonRect(i))) {
        SendCommand(page->buttons[size_t(i)]);
        return;
      }
  Default();
}
