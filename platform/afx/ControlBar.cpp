#include "platform/afx/ControlBar.h"

#include "platform/afx/CommandImage.h"
#include "platform/afx/CommonCtrl.h"
#include "platform/afx/DocView.h"
#include "platform/afx/PaintDC.h"
#include "platform/afx/WinApp.h"
#include "platform/win/Resource.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_WM_PAINT()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
std::map<UINT, std::vector<UINT>>& ToolBarTables() {
  static std::map<UINT, std::vector<UINT>> tables;
  return tables;
}
constexpr DWORD kBarStyleBits = 0x0040FFFFu;
constexpr DWORD kWindowStyleBits = WS_CHILD | WS_VISIBLE | WS_DISABLED;

// The four dock bars in the order they are tried and laid out.
constexpr UINT kDockBars[4] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                               AFX_IDW_DOCKBAR_RIGHT};
DWORD AlignOf(UINT dockBar) {
  switch (dockBar) {
    case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
    case AFX_IDW_DOCKBAR_BOTTOM: return CBRS_ALIGN_BOTTOM;
    case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
    case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
    default: return 0;
  }
}
UINT DockBarOf(DWORD align) {
  for (UINT id : kDockBars)
    if (align & AlignOf(id)) return id;
  return 0;
}
}  // namespace

namespace velmora::afx {
void RegisterToolBarResource(UINT nId, std::vector<UINT> buttons) { ToolBarTables()[nId] = std::move(buttons); }
void RemoveToolBarResource(UINT nId) { ToolBarTables().erase(nId); }
const std::vector<UINT>* FindToolBarResource(UINT nId) {
  auto it = ToolBarTables().find(nId);
  return it == ToolBarTables().end() ? nullptr : &it->second;
}
}  // namespace velmora::afx

// ---------------------------------------------------------------------------------------------
// CControlBar

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
  if (CFrameWnd* frame = GetDockingFrame()) {
    auto& bars = frame->m_bars;
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
  }
}

CFrameWnd* CControlBar::GetDockingFrame() const {
  return m_hFrame ? dynamic_cast<CFrameWnd*>(CWnd::FromHandle(m_hFrame)) : nullptr;
}

BOOL CControlBar::IsVisible() const { return m_hWnd && ::GetShowCommand(m_hWnd) != SW_HIDE; }

bool CControlBar::IsHorz() const { return (m_dwStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) == 0; }

CSize CControlBar::CalcFixedLayout(BOOL, BOOL bHorz) { return bHorz ? CSize(0, 20) : CSize(20, 0); }

void CControlBar::SetButtonTips(const std::vector<ButtonTip>& buttons) {
  CFrameWnd* frame = GetDockingFrame();
  if (!m_hWnd || !frame || buttons == m_tipButtons) return;
  if (!m_pTips) {
    auto tips = std::make_unique<CToolTipCtrl>();
    if (!tips->Create(this)) return;
    tips->Activate(TRUE);
    m_pTips = std::move(tips);
  }
  for (const ButtonTip& b : m_tipButtons) m_pTips->DelTool(this, b.id);
  for (const ButtonTip& b : buttons) {
    const CString tip = frame->GetCommandTip(b.id);
    if (!tip.IsEmpty()) m_pTips->AddTool(this, tip.GetString(), &b.rect, b.id);
  }
  m_tipButtons = buttons;
}

void CControlBar::HoverCommand(UINT nID) {
  if (nID == m_nHover) return;
  m_nHover = nID;
  if (CFrameWnd* frame = GetDockingFrame()) frame->SetHoverCommand(nID);
}

void CControlBar::SendCommand(UINT nID) {
  CWnd* target = GetDockingFrame();
  if (!target) target = GetTopLevelParent();
  if (target && target != this) target->SendMessage(WM_COMMAND, nID, 0);
}

BOOL CControlBar::CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID, LPCWSTR className) {
  if (!pParentWnd || !pParentWnd->GetSafeHwnd()) return FALSE;
  m_dwStyle = dwStyle & kBarStyleBits;
  const CSize size = CalcFixedLayout(FALSE, IsHorz());
  if (!CWnd::Create(className, L"", (dwStyle & kWindowStyleBits) | WS_CHILD, RECT{0, 0, size.cx, size.cy},
                    pParentWnd, nID))
    return FALSE;
  if (auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd)) {
    m_hFrame = frame->GetSafeHwnd();
    frame->m_bars.push_back(this);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CToolBar

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect, UINT nID) {
  m_dwCtrlStyle = dwCtrlStyle;
  return CreateBar(pParentWnd, dwStyle, nID, L"ToolbarWindow32");
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
  const std::vector<UINT>* table = velmora::afx::FindToolBarResource(nIDResource);
  if (!table) return FALSE;
  return SetButtons(table->data(), int(table->size()));
}

BOOL CToolBar::LoadBitmap(UINT nIDResource) {
  if (nIDResource == 0) return FALSE;
  m_nBitmap = nIDResource;
  return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0) return FALSE;
  m_buttons.clear();
  int image = 0;
  for (int i = 0; i < nIDCount; ++i) {
    const UINT id = lpIDArray ? lpIDArray[i] : ID_SEPARATOR;
    if (id == ID_SEPARATOR)
      m_buttons.push_back({ID_SEPARATOR, TBBS_SEPARATOR, 0});
    else
      m_buttons.push_back({id, TBBS_BUTTON, image++});
  }
  if (m_hWnd) Invalidate();
  return TRUE;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  m_buttons[size_t(nIndex)] = {nID, nStyle, iImage};
  if (m_hWnd) Invalidate();
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
  if (nIndex < 0 || nIndex >= GetCount()) {
    nID = 0, nStyle = 0, iImage = 0;
    return;
  }
  const Button& b = m_buttons[size_t(nIndex)];
  nID = b.id, nStyle = b.style, iImage = b.image;
}

UINT CToolBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_buttons[size_t(nIndex)].id : 0;
}

int CToolBar::CommandToIndex(UINT nID) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_buttons[size_t(i)].id == nID) return i;
  return -1;
}

int CToolBar::ItemLength(const Button& b) const {
  if (b.style & TBBS_SEPARATOR) return b.image > 0 ? b.image : kSeparatorWidth;
  return kButtonWidth;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  if (!lpRect) return;
  if (nIndex < 0 || nIndex >= GetCount()) {
    *lpRect = RECT{0, 0, 0, 0};
    return;
  }
  int at = kBorder;
  for (int i = 0; i < nIndex; ++i) at += ItemLength(m_buttons[size_t(i)]);
  const int len = ItemLength(m_buttons[size_t(nIndex)]);
  if (IsHorz())
    *lpRect = RECT{at, kBorder, at + len, kBorder + kButtonHeight};
  else
    *lpRect = RECT{kBorder, at, kBorder + kButtonWidth, at + len};
}

int CToolBar::HitTest(CPoint point) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (m_buttons[size_t(i)].style & TBBS_SEPARATOR) continue;
    CRect r;
    GetItemRect(i, &r);
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return i;
  }
  return -1;
}

void CToolBar::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  CPen light(PS_SOLID, 1, RGB(255, 255, 255)), dark(PS_SOLID, 1, RGB(160, 160, 160));
  std::vector<ButtonTip> tips;
  for (int i = 0; i < GetCount(); ++i) {
    if (m_buttons[size_t(i)].style & TBBS_SEPARATOR) continue;
    CRect r;
    GetItemRect(i, &r);
    tips.push_back({m_buttons[size_t(i)].id, r});
    // A button with a picture is flat, as on a flat toolbar; one without stays a raised box.
    if (velmora::afx::DrawCommandImage(dc, m_buttons[size_t(i)].id, r)) continue;
    r.left += 1, r.top += 1, r.right -= 2, r.bottom -= 2;
    CPen* old = dc.SelectObject(&light);
    dc.MoveTo(r.left, r.bottom);
    dc.LineTo(r.left, r.top);
    dc.LineTo(r.right, r.top);
    dc.SelectObject(&dark);
    dc.LineTo(r.right, r.bottom);
    dc.LineTo(r.left, r.bottom);
    dc.SelectObject(old);
  }
  if (m_dwCtrlStyle & TBSTYLE_TOOLTIPS) SetButtonTips(tips);
}

void CToolBar::OnLButtonUp(UINT, CPoint point) {
  const int i = HitTest(point);
  if (i >= 0 && IsWindowEnabled()) SendCommand(m_buttons[size_t(i)].id);
  Default();
}

void CToolBar::OnMouseMove(UINT, CPoint point) {
  const int i = HitTest(point);
  HoverCommand(i >= 0 ? m_buttons[size_t(i)].id : 0);
  Default();
}

LRESULT CToolBar::OnMouseLeave(WPARAM, LPARAM) {
  HoverCommand(0);
  return 0;
}

CSize CToolBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  int len = 0;
  for (const Button& b : m_buttons) len += ItemLength(b);
  return bHorz ? CSize(len + 2 * kBorder, kButtonHeight + 2 * kBorder)
               : CSize(kButtonWidth + 2 * kBorder, len + 2 * kBorder);
}

// ---------------------------------------------------------------------------------------------
// CStatusBar

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateBar(pParentWnd, dwStyle, nID, L"msctls_statusbar32");
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
  m_panes.clear();
  for (int i = 0; i < nIDCount; ++i) {
    const UINT id = lpIDArray[i];
    m_panes.push_back({id, id == ID_SEPARATOR ? CString() : CString(velmora::win::LoadStringResource(id).c_str())});
  }
  if (m_hWnd) Invalidate();
  return TRUE;
}

UINT CStatusBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[size_t(nIndex)].id : 0;
}

int CStatusBar::CommandToIndex(UINT nID) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_panes[size_t(i)].id == nID) return i;
  return -1;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate) {
  if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
  m_panes[size_t(nIndex)].text = lpszNewText ? lpszNewText : L"";
  if (bUpdate && m_hWnd) Invalidate();
  return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[size_t(nIndex)].text : CString();
}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL) { return CSize(0, kHeight); }

CRect CStatusBar::GetPaneRect(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount() || !m_hWnd) return CRect();
  RECT rc;
  GetClientRect(&rc);
  const int fixed = (GetCount() - 1) * kPaneWidth;
  const int firstRight = std::max(0, int(rc.right) - fixed);
  if (nIndex == 0) return CRect(0, 0, firstRight, rc.bottom);
  const int left = firstRight + (nIndex - 1) * kPaneWidth;
  return CRect(left, 0, left + kPaneWidth, rc.bottom);
}

void CStatusBar::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  dc.SetBkMode(TRANSPARENT);
  for (int i = 0; i < GetCount(); ++i) {
    const CRect r = GetPaneRect(i);
    if (i > 0) {
      dc.MoveTo(r.left, 2);
      dc.LineTo(r.left, r.bottom - 2);
    }
    dc.TextOut(r.left + 4, 3, m_panes[size_t(i)].text.GetString());
  }
}

// ---------------------------------------------------------------------------------------------
// Docking and layout on the frame

void CFrameWnd::EnableDocking(DWORD dwDockStyle) {
  m_dwDockSides |= dwDockStyle & CBRS_ALIGN_ANY;
  // Bars created before the dock bars lie outside them, bars created after inside.
  if (m_nDockSeq < 0) m_nDockSeq = int(m_bars.size());
}

BOOL CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect) {
  if (!pBar || pBar->GetDockingFrame() != this) return FALSE;
  const DWORD allowed = pBar->m_dwDockStyle & m_dwDockSides;
  UINT dockBar = 0;
  if (nDockBarID != 0) {
    if (allowed & AlignOf(nDockBarID)) dockBar = nDockBarID;
  } else {
    const DWORD own = pBar->m_dwStyle & CBRS_ALIGN_ANY;
    dockBar = DockBarOf(own & allowed);
    if (!dockBar) dockBar = DockBarOf(allowed);
  }
  if (!dockBar) return FALSE;
  const bool horz = dockBar == AFX_IDW_DOCKBAR_TOP || dockBar == AFX_IDW_DOCKBAR_BOTTOM;

  int lastRow = -1;
  for (CControlBar* b : m_bars)
    if (b != pBar && b->m_nDockBar == dockBar) lastRow = std::max(lastRow, b->m_nRow);
  int row = lastRow + 1;
  int order = 0;
  if (lpRect) {
    CRect r(lpRect);
    ScreenToClient(&r);
    order = horz ? r.left : r.top;
    const int across = horz ? r.top : r.left;
    for (CControlBar* b : m_bars) {
      if (b == pBar || b->m_nDockBar != dockBar || !b->IsVisible()) continue;
      CRect br;
      b->GetWindowRect(&br);
      ScreenToClient(&br);
      const int lo = horz ? br.top : br.left, hi = horz ? br.bottom : br.right;
      if (across >= lo && across < hi) {
        row = b->m_nRow;
        break;
      }
    }
  }
  pBar->m_nDockBar = dockBar;
  pBar->m_nRow = row;
  pBar->m_nOrder = order;
  pBar->m_dwStyle = (pBar->m_dwStyle & ~CBRS_ALIGN_ANY) | AlignOf(dockBar);
  return TRUE;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) {
  if (!pBar || !pBar->GetSafeHwnd()) return;
  pBar->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
  if (!bDelay) RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const {
  for (CControlBar* b : m_bars)
    if (b->GetDlgCtrlID() == nID) return b;
  return nullptr;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd) return;
  CRect rc;
  GetClientRect(&rc);
  // A bar outside the dock bars sits at the edge of its alignment, full length.
  auto placeLoose = [&rc](CControlBar* b) {
    const DWORD align = b->m_dwStyle & CBRS_ALIGN_ANY;
    if (!align || !b->IsVisible()) return;
    const bool horz = (align & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0;
    const CSize s = b->CalcFixedLayout(TRUE, horz);
    if (align & CBRS_ALIGN_TOP) {
      b->MoveWindow(rc.left, rc.top, rc.Width(), s.cy, FALSE);
      rc.top += s.cy;
    } else if (align & CBRS_ALIGN_BOTTOM) {
      b->MoveWindow(rc.left, rc.bottom - s.cy, rc.Width(), s.cy, FALSE);
      rc.bottom -= s.cy;
    } else if (align & CBRS_ALIGN_LEFT) {
      b->MoveWindow(rc.left, rc.top, s.cx, rc.Height(), FALSE);
      rc.left += s.cx;
    } else {
      b->MoveWindow(rc.right - s.cx, rc.top, s.cx, rc.Height(), FALSE);
      rc.right -= s.cx;
    }
  };
  const int dockSeq = m_nDockSeq < 0 ? int(m_bars.size()) : m_nDockSeq;
  for (int i = 0; i < dockSeq && i < int(m_bars.size()); ++i)
    if (m_bars[size_t(i)]->m_nDockBar == 0) placeLoose(m_bars[size_t(i)]);

  for (UINT dockBar : kDockBars) {
    const bool horz = dockBar == AFX_IDW_DOCKBAR_TOP || dockBar == AFX_IDW_DOCKBAR_BOTTOM;
    std::map<int, std::vector<CControlBar*>> rows;
    for (CControlBar* b : m_bars)
      if (b->m_nDockBar == dockBar && b->IsVisible()) rows[b->m_nRow].push_back(b);
    for (auto& [row, bars] : rows) {
      std::stable_sort(bars.begin(), bars.end(),
                       [](const CControlBar* a, const CControlBar* b) { return a->m_nOrder < b->m_nOrder; });
      int thick = 0;
      for (CControlBar* b : bars) {
        const CSize s = b->CalcFixedLayout(FALSE, horz);
        thick = std::max(thick, int(horz ? s.cy : s.cx));
      }
      int along = horz ? rc.left : rc.top;
      for (CControlBar* b : bars) {
        const CSize s = b->CalcFixedLayout(FALSE, horz);
        along = std::max(along, int(b->m_nOrder));
        switch (dockBar) {
          case AFX_IDW_DOCKBAR_TOP: b->MoveWindow(along, rc.top, s.cx, s.cy, FALSE); break;
          case AFX_IDW_DOCKBAR_BOTTOM: b->MoveWindow(along, rc.bottom - thick, s.cx, s.cy, FALSE); break;
          case AFX_IDW_DOCKBAR_LEFT: b->MoveWindow(rc.left, along, s.cx, s.cy, FALSE); break;
          default: b->MoveWindow(rc.right - thick, along, s.cx, s.cy, FALSE); break;
        }
        along += horz ? s.cx : s.cy;
      }
      switch (dockBar) {
        case AFX_IDW_DOCKBAR_TOP: rc.top += thick; break;
        case AFX_IDW_DOCKBAR_BOTTOM: rc.bottom -= thick; break;
        case AFX_IDW_DOCKBAR_LEFT: rc.left += thick; break;
        default: rc.right -= thick; break;
      }
    }
  }
  for (int i = dockSeq; i < int(m_bars.size()); ++i)
    if (m_bars[size_t(i)]->m_nDockBar == 0) placeLoose(m_bars[size_t(i)]);

  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  if (CWnd* pane = CWnd::FromHandle(m_hPane)) pane->MoveWindow(&rc, TRUE);
}

namespace {
std::wstring BarKey(UINT id) { return L"Bar" + std::to_wstring(id); }
constexpr size_t kMaxLayoutBytes = 1 << 20;
}  // namespace

void CFrameWnd::SaveBarState(LPCWSTR lpszProfileName) const {
  CWinApp* app = AfxGetApp();
  if (!app || !lpszProfileName) return;
  int count = 0;
  for (CControlBar* b : m_bars) {
    if (b->GetDlgCtrlID() == 0) continue;
    wchar_t text[64];
    std::swprintf(text, 64, L"%d,%u,%d,%d", b->IsVisible() ? 1 : 0, b->m_nDockBar, b->m_nRow, b->m_nOrder);
    app->WriteProfileString(lpszProfileName, BarKey(b->GetDlgCtrlID()).c_str(), text);
    ++count;
  }
  std::wstring hex;
  const std::vector<BYTE> bytes = velmora::win::Backend().SaveBarLayout(m_hWnd);
  if (bytes.size() <= kMaxLayoutBytes) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (BYTE v : bytes) {
      hex += digits[v >> 4];
      hex += digits[v & 15];
    }
  }
  app->WriteProfileString(lpszProfileName, L"Layout", hex.c_str());
  app->WriteProfileInt(lpszProfileName, L"Bars", count);
}

BOOL CFrameWnd::LoadBarState(LPCWSTR lpszProfileName) {
  CWinApp* app = AfxGetApp();
  if (!app || !lpszProfileName) return FALSE;
  if (int(app->GetProfileInt(lpszProfileName, L"Bars", -1)) < 0) return FALSE;
  for (CControlBar* b : m_bars) {
    if (b->GetDlgCtrlID() == 0) continue;
    const CString text = app->GetProfileString(lpszProfileName, BarKey(b->GetDlgCtrlID()).c_str(), L"");
    int visible = 0, row = 0, order = 0;
    unsigned dockBar = 0;
    if (std::swscanf(text.GetString(), L"%d,%u,%d,%d", &visible, &dockBar, &row, &order) != 4) continue;
    // A hand-edited profile must not place a bar where it may not go or far off the frame.
    if (dockBar != 0 && !(AlignOf(dockBar) & b->m_dwDockStyle & m_dwDockSides)) dockBar = b->m_nDockBar;
    b->m_nDockBar = dockBar;
    if (dockBar) b->m_dwStyle = (b->m_dwStyle & ~CBRS_ALIGN_ANY) | AlignOf(dockBar);
    b->m_nRow = std::clamp(row, 0, 64);
    b->m_nOrder = std::clamp(order, 0, 1 << 15);
    b->ShowWindow(visible ? SW_SHOW : SW_HIDE);
  }
  RecalcLayout();
  const CString hex = app->GetProfileString(lpszProfileName, L"Layout", L"");
  const std::wstring h = hex.GetString();
  if (!h.empty() && h.size() % 2 == 0 && h.size() / 2 <= kMaxLayoutBytes) {
    std::vector<BYTE> bytes;
    bytes.reserve(h.size() / 2);
    auto nibble = [](wchar_t c) -> int {
      if (c >= L'0' && c <= L'9') return c - L'0';
      if (c >= L'A' && c <= L'F') return c - L'A' + 10;
      return -1;
    };
    bool ok = true;
    for (size_t i = 0; i < h.size() && ok; i += 2) {
      const int a = nibble(h[i]), c = nibble(h[i + 1]);
      ok = a >= 0 && c >= 0;
      bytes.push_back(BYTE(a << 4 | c));
    }
    if (ok) velmora::win::Backend().RestoreBarLayout(m_hWnd, bytes);
  }
  return TRUE;
}

void CFrameWnd::OnSize(UINT nType, int, int) {
  if (nType != 1 /* minimised */) RecalcLayout();
}
