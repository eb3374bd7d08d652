#include "velmora/bramcourt/DesignCentral.h"

#include "platform/afx/DocView.h"
#include "platform/afx/PaintDC.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDesignCentral, CWnd)

BEGIN_MESSAGE_MAP(CDesignCentral, CWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
CDesignCentral* g_panel = nullptr;
constexpr COLORREF kFace = RGB(240, 240, 240), kFront = RGB(255, 255, 255),
                   kHint = RGB(110, 110, 110);
}  // namespace

CDesignCentral* gGetDlgDesignCenter() { return g_panel; }
void gSetDlgDesignCenter(CDesignCentral* panel) { g_panel = panel; }

CDesignCentral::~CDesignCentral() {
  if (g_panel == this) g_panel = nullptr;
  if (m_hWnd) DestroyWindow();
}

BOOL CDesignCentral::CreateMe(CWnd* pParent) {
  if (!pParent || !pParent->GetSafeHwnd() || m_hWnd) return FALSE;
  CRect client;
  pParent->GetClientRect(&client);
  const int width = std::min(kDefaultWidth, std::max(0, client.Width()));
  const CRect rect(client.right - width, client.top, client.right, client.bottom);
  if (!Create(nullptr, L"Design Central", WS_CHILD | WS_VISIBLE, rect, pParent, kPanelID)) return FALSE;
  LayoutPages();
  return TRUE;
}

int CDesignCentral::AddPage(const CString& title, CWnd* pPage, int refresh) {
  if (!pPage) return -1;
  m_default.push_back(Page{title, pPage, refresh});
  const int index = int(m_default.size()) - 1;
  if (!m_bCommand && m_nCur < 0) m_nCur = index;
  LayoutPages();
  return index;
}

const CDesignCentral::Page* CDesignCentral::GetPage(int index) const {
  const auto& pages = Shown();
  return index >= 0 && index < int(pages.size()) ? &pages[size_t(index)] : nullptr;
}

BOOL CDesignCentral::SwitchTab(int index) {
  if (!GetPage(index)) return FALSE;
  m_nCur = index;
  LayoutPages();
  if (m_hWnd) Invalidate();
  return TRUE;
}

void CDesignCentral::UpdateState() {
  if (const Page* page = GetCurPage(); page && page->wnd && page->wnd->GetSafeHwnd())
    page->wnd->SendMessage(WM_DCENTER_NOTIFY, kNotifyRefresh, 0);
}

void CDesignCentral::NotifyAll(int code) {
  // Copy first: a page may change the panel's pages while it handles the notification.
  std::vector<CWnd*> windows;
  for (const Page& p : m_default) windows.push_back(p.wnd);
  for (const Page& p : m_command) windows.push_back(p.wnd);
  for (CWnd* w : windows)
    if (w && w->GetSafeHwnd()) w->SendMessage(WM_DCENTER_NOTIFY, WPARAM(code), 0);
}

void CDesignCentral::SwitchSelChange() { NotifyAll(kNotifySelChange); }
void CDesignCentral::UnitChanged() { NotifyAll(kNotifyUnit); }
void CDesignCentral::UpdateWorkareaDlg() { NotifyAll(kNotifyWorkArea); }

BOOL CDesignCentral::IsIconic() const { return m_hWnd && ::IsIconic(m_hWnd); }

void CDesignCentral::SetDCenterPos() {
  CWnd* parent = GetParent();
  if (!m_hWnd || !parent) return;
  CRect client;
  parent->GetClientRect(&client);
  CRect mine;
  GetWindowRect(&mine);
  const int width = std::min(mine.Width() > 0 ? mine.Width() : kDefaultWidth, std::max(0, client.Width()));
  MoveWindow(client.right - width, client.top, width, client.Height());
}

void CDesignCentral::HideDCenter() {
  if (!m_hWnd) return;
  if (m_nSavedShow < 0) m_nSavedShow = IsWindowVisible() ? 1 : 0;
  ShowWindow(SW_HIDE);
  RelayoutParent();
}

void CDesignCentral::ShowDCenter() {
  if (!m_hWnd) return;
  if (m_nSavedShow < 0) m_nSavedShow = IsWindowVisible() ? 1 : 0;
  ShowWindow(IsIconic() ? SW_RESTORE : SW_SHOW);
  RelayoutParent();
}

void CDesignCentral::RestoreDCenter() {
  if (!m_hWnd || m_nSavedShow < 0) return;
  ShowWindow(m_nSavedShow ? SW_SHOW : SW_HIDE);
  m_nSavedShow = -1;
  RelayoutParent();
}

void CDesignCentral::RelayoutParent() {
  // A frame parent shares its client area with the panel: it gives the space back or takes
  // it when the panel comes or goes.
  if (auto* frame = dynamic_cast<CFrameWnd*>(GetParent())) frame->RecalcLayout();
}

void CDesignCentral::RemoveCommandAllPage() {
  for (const Page& p : m_command)
    if (p.wnd && p.wnd->GetSafeHwnd()) p.wnd->ShowWindow(SW_HIDE);
  m_command.clear();
  if (m_bCommand) m_nCur = -1;
  LayoutPages();
}

int CDesignCentral::AddCommandPage(const CString& title, CWnd* pDlg) {
  if (!pDlg) return -1;
  m_command.push_back(Page{title, pDlg, 0});
  if (m_bCommand && m_nCur < 0) m_nCur = 0;
  LayoutPages();
  return int(m_command.size()) - 1;
}

BOOL CDesignCentral::LoadCommandPage() {
  if (m_command.empty()) return FALSE;
  if (!m_bCommand) m_nDefaultCur = m_nCur;
  m_bCommand = true;
  m_nCur = 0;
  LayoutPages();
  if (m_hWnd) Invalidate();
  return TRUE;
}

void CDesignCentral::RecoverDefaultPage() {
  RemoveCommandAllPage();
  if (m_bCommand) {
    m_bCommand = false;
    m_nCur = m_nDefaultCur >= 0 && m_nDefaultCur < int(m_default.size()) ? m_nDefaultCur
             : m_default.empty()                                         ? -1
                                                                         : 0;
    m_nDefaultCur = -1;
  }
  LayoutPages();
  if (m_hWnd) Invalidate();
}

CRect CDesignCentral::GetPageRect() const {
  CRect client(0, 0, 0, 0);
  if (m_hWnd) GetClientRect(&client);
  client.top = std::min(client.bottom, client.top + kTabHeight);
  return client;
}

CRect CDesignCentral::GetTabRect(int index) const {
  const auto& pages = Shown();
  if (index < 0 || index >= int(pages.size())) return CRect(0, 0, 0, 0);
  int x = 0;
  for (int i = 0;; ++i) {
    // Wide enough for the title at about 7 pixels a character and a margin.
    const int w = std::max(kMinTabWidth, pages[size_t(i)].title.GetLength() * 7 + 12);
    if (i == index) return CRect(x, 0, x + w, kTabHeight);
    x += w;
  }
}

int CDesignCentral::HitTab(CPoint pt) const {
  for (int i = 0; i < GetPageCount(); ++i)
    if (GetTabRect(i).PtInRect(pt)) return i;
  return -1;
}

void CDesignCentral::LayoutPages() {
  const CRect area = GetPageRect();
  auto place = [&](const std::vector<Page>& pages, bool shown) {
    for (int i = 0; i < int(pages.size()); ++i) {
      CWnd* w = pages[size_t(i)].wnd;
      if (!w || !w->GetSafeHwnd()) continue;
      if (shown && i == m_nCur) {
        if (m_hWnd) w->MoveWindow(&area);
        w->ShowWindow(SW_SHOW);
      } else {
        w->ShowWindow(SW_HIDE);
      }
    }
  };
  place(m_default, !m_bCommand);
  place(m_command, m_bCommand);
}

const wchar_t* const CDesignCentral::kEmptyHint[3] = {L"Pages of the running command",
                                                      L"show here: for the layers,",
                                                      L"Tools > Layer > Layer Edit..."};

void CDesignCentral::OnPaint() {
  CPaintDC dc(this);
  Draw(&dc);
}

void CDesignCentral::Draw(CDC* pDC) {
  CRect client(0, 0, 0, 0);
  if (m_hWnd) GetClientRect(&client);
  pDC->FillSolidRect(CRect(client.left, client.top, client.right, client.top + kTabHeight), kFace);
  for (int i = 0; i < GetPageCount(); ++i) {
    const CRect tab = GetTabRect(i);
    if (i == m_nCur) pDC->FillSolidRect(tab, kFront);
    pDC->Rectangle(&tab);
    const CString& title = GetPage(i)->title;
    pDC->TextOut(tab.left + 6, tab.top + 4, title.GetString(), title.GetLength());
  }
  if (GetPageCount() > 0) return;
  const CRect area = GetPageRect();
  pDC->FillSolidRect(area, kFront);
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  const COLORREF oldColour = pDC->SetTextColor(kHint);
  int y = area.top + 12;
  for (const wchar_t* line : kEmptyHint) {
    pDC->TextOut(area.left + 10, y, line);
    y += pDC->GetTextExtent(line).cy + 2;
  }
  pDC->SetTextColor(oldColour);
  pDC->SetBkMode(oldMode);
}

void CDesignCentral::OnSize(UINT, int, int) { LayoutPages(); }

void CDesignCentral::OnLButtonDown(UINT, CPoint pt) {
  const int tab = HitTab(pt);
  if (tab >= 0 && tab != m_nCur) SwitchTab(tab);
}

void CDesignCentral::OnDestroy() { Forget(); }

void CDesignCentral::Forget() {
  // The page windows are their owners'; the panel only stops pointing at them.
  m_default.clear();
  m_command.clear();
  m_bCommand = false;
  m_nCur = m_nDefaultCur = -1;
  m_nSavedShow = -1;
}
