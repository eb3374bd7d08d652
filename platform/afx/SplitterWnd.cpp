#include "platform/afx/SplitterWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
ON_WM_SIZE()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
  if (!pParentWnd || nRows < 1 || nCols < 1 || nRows > kMaxRows || nCols > kMaxCols) return FALSE;
  RECT rc{0, 0, 0, 0};
  pParentWnd->GetClientRect(&rc);
  m_nRows = nRows;
  m_nCols = nCols;
  m_panes.assign(size_t(nRows * nCols), nullptr);
  m_rowHeight.assign(size_t(nRows), 0);
  m_colWidth.assign(size_t(nCols), 0);
  if (!CWnd::Create(L"AfxSplitter", L"", dwStyle | WS_CHILD, rc, pParentWnd, nID)) return FALSE;
  if (auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd); frame && nID == AFX_IDW_PANE_FIRST)
    frame->SetPaneWindow(this);
  return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext) {
  if (!m_hWnd || !ValidPane(row, col) || GetPane(row, col) || !pViewClass) return FALSE;
  CObject* obj = pViewClass->CreateObject();
  auto* wnd = dynamic_cast<CWnd*>(obj);
  if (!wnd) {
    delete obj;
    return FALSE;
  }
  m_rowHeight[size_t(row)] = sizeInit.cy;
  m_colWidth[size_t(col)] = sizeInit.cx;
  // A window whose creation fails has been deleted with it when it deletes itself (views do).
  const bool selfDeleting = dynamic_cast<CView*>(wnd) != nullptr;
  if (!selfDeleting) m_owned.emplace_back(wnd);
  if (!wnd->Create(nullptr, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, sizeInit.cx, sizeInit.cy}, this,
                   UINT(IdFromRowCol(row, col)), pContext)) {
    if (!selfDeleting) m_owned.pop_back();
    return FALSE;
  }
  m_panes[size_t(row * m_nCols + col)] = wnd->GetSafeHwnd();
  RecalcLayout();
  return TRUE;
}

BOOL CSplitterWnd::SetPane(int row, int col, CWnd* pWnd) {
  if (!ValidPane(row, col) || !pWnd || !pWnd->GetSafeHwnd() || GetPane(row, col)) return FALSE;
  m_panes[size_t(row * m_nCols + col)] = pWnd->GetSafeHwnd();
  RecalcLayout();
  return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  return ValidPane(row, col) ? CWnd::FromHandle(m_panes[size_t(row * m_nCols + col)]) : nullptr;
}

void CSplitterWnd::RecalcLayout() {
  if (!m_hWnd) return;
  RECT rc;
  GetClientRect(&rc);
  const int width = rc.right - 2 * m_cxBorder, height = rc.bottom - 2 * m_cyBorder;
  int y = m_cyBorder;
  for (int r = 0; r < m_nRows; ++r) {
    const int h = r + 1 == m_nRows ? std::max(0, m_cyBorder + height - y) : std::max(0, m_rowHeight[size_t(r)]);
    int x = m_cxBorder;
    for (int c = 0; c < m_nCols; ++c) {
      const int w = c + 1 == m_nCols ? std::max(0, m_cxBorder + width - x) : std::max(0, m_colWidth[size_t(c)]);
      if (CWnd* pane = GetPane(r, c)) pane->MoveWindow(x, y, w, h, TRUE);
      x += w;
    }
    y += h;
  }
}

void CSplitterWnd::OnSize(UINT nType, int, int) {
  if (nType != 1 /* minimised */) RecalcLayout();
}

void CSplitterWnd::OnDestroy() {
  // Panes are this window's children: they go with it.
  const std::vector<HWND> panes = std::move(m_panes);
  m_panes.assign(panes.size(), nullptr);
  for (HWND h : panes)
    if (CWnd* w = CWnd::FromHandle(h)) w->DestroyWindow();
  CWnd::OnDestroy();
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint) { Default(); }

BOOL CSplitterWnd::OnSetCursor(CWnd*, UINT, UINT) { return FALSE; }
