#include "velmora/shell/KxTabWnd.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "platform/afx/Archive.h"
#include "platform/afx/CommandImage.h"
#include "platform/afx/PaintDC.h"
#include "platform/panlet/BarAccessors.h"
#include "platform/panlet/KXStatusBar.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "velmora/shell/Resources.h"

#include <algorithm>
#include <memory>
#include <string>

IMPLEMENT_DYNAMIC(CKxWndTab, CWnd)
IMPLEMENT_DYNAMIC(CKxTabWnd, CSplitterWnd)

// ---------------------------------------------------------------------------------------------
// The strip

BEGIN_MESSAGE_MAP(CKxWndTab, CWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
ON_WM_TIMER()
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

CKxWndTab::CKxWndTab()
    : m_crHighlight(RGB(255, 255, 255)),
      m_crShadow(RGB(128, 128, 128)),
      m_crFace(RGB(240, 240, 240)),
      m_crWindow(RGB(255, 255, 255)) {}

BOOL CKxWndTab::Create(CKxTabWnd* owner, UINT nID, const RECT& rect) {
  m_pOwner = owner;
  return CWnd::Create(L"VelmoraLayerTabs", L"", WS_CHILD | WS_VISIBLE, rect, owner, nID);
}

const wchar_t* CKxWndTab::ButtonTip(int i) {
  static const wchar_t* const kTips[kButtonCount] = {L"Edit Layer",   L"All Layer On", L"Current Layer On",
                                                     L"Move Left",    L"Delete Layer", L"New Layer",
                                                     L"Move Right"};
  return i >= 0 && i < kButtonCount ? kTips[i] : L"";
}

void CKxWndTab::EnableButtons(BOOL bEnable) {
  bool changed = false;
  for (NavButton& b : m_buttons) {
    changed = changed || (b.enabled != 0) != (bEnable != 0);
    b.enabled = bEnable ? TRUE : FALSE;
  }
  if (changed && m_hWnd) Invalidate(FALSE);
}

void CKxWndTab::MeasureTabs(CDC* pDC) {
  if (!m_bDirty || !m_pOwner || !pDC) return;
  const std::vector<CString>& names = m_pOwner->GetTabNames();
  m_widths.clear();
  for (const CString& name : names) m_widths.push_back(int(pDC->GetTextExtent(name.GetString()).cx) + 2 * kTextMargin);
  m_bDirty = FALSE;
}

BOOL CKxWndTab::CanScrollLeft() const {
  if (!m_hWnd) return FALSE;
  RECT rc;
  GetClientRect(&rc);
  // Each tab with half a strip height after it (between tabs and at the end).
  int total = 0;
  for (int w : m_widths) total += w + Slant();
  return total - m_nOffset > rc.right - kButtonAreaWidth;
}

int CKxWndTab::TabStart(int i) const {
  int x = kButtonAreaWidth - m_nOffset;
  for (int k = 0; k < i && k < int(m_widths.size()); ++k) x += Slant() + m_widths[size_t(k)];
  return x;
}

int CKxWndTab::ButtonAt(CPoint pt) const {
  for (int i = 0; i < kButtonCount; ++i) {
    const CRect r = ButtonRect(i);
    if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return i;
  }
  return -1;
}

int CKxWndTab::TabAt(CPoint pt) const {
  if (pt.x < kButtonAreaWidth || pt.y < 0 || pt.y > m_nHeight) return -1;
  const int e = Slant();
  for (int i = 0; i < int(m_widths.size()); ++i) {
    const int x = TabStart(i);
    // A tab owns the span up to where the next one starts; its trailing slant is the next
    // tab's leading one.
    if (pt.x >= x && pt.x < x + e + m_widths[size_t(i)]) return i;
  }
  return -1;
}

void CKxWndTab::Draw(CDC* pDC) {
  if (!pDC || !m_pOwner) return;
  MeasureTabs(pDC);
  RECT rc;
  GetClientRect(&rc);
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));
  CPen* oldPen = pDC->SelectObject(&black);
  pDC->MoveTo(0, 0);
  pDC->LineTo(rc.right, 0);

  const std::vector<CString>& names = m_pOwner->GetTabNames();
  const int h = m_nHeight - 1, e = h / 2;
  const int current = m_pOwner->GetCurLayerIndex();
  const int count = std::min(int(names.size()), int(m_widths.size()));
  const int oldMode = pDC->SetBkMode(TRANSPARENT);
  int x = kButtonAreaWidth - m_nOffset;
  for (int i = 0; i < count; ++i) {
    const int w = m_widths[size_t(i)];
    if (x + e + w + e / 2 > kButtonAreaWidth) {
      const bool last = i + 1 == count;
      const POINT pts[4] = {{x, 0}, {x + e, h}, {x + e + w, h}, last ? POINT{x + 2 * e + w, 0} : POINT{x + e + w + e / 2, e}};
      if (i == current) pDC->FillSolidRect(x + e, 1, w, std::max(0, h - 1), m_crWindow);
      pDC->Polyline(pts, 4);
      pDC->TextOut(x + e + kTextMargin, 1, names[size_t(i)].GetString());
    }
    x += e + w;
  }
  pDC->SetBkMode(oldMode);
  pDC->SelectObject(oldPen);
  DrawButtons(pDC);
}

void CKxWndTab::DrawButtons(CDC* pDC) {
  if (!pDC) return;
  pDC->FillSolidRect(0, 1, kButtonAreaWidth, std::max(0, m_nHeight - 1), m_crFace);
  for (int i = 0; i < kButtonCount; ++i) {
    const CRect r = ButtonRect(i);
    const NavButton& b = m_buttons[size_t(i)];
    // Raised while hovered, sunken while pressed, flat otherwise; a disabled button is greyed.
    const COLORREF topLeft = b.state == kPressed ? m_crShadow : m_crHighlight;
    const COLORREF bottomRight = b.state == kPressed ? m_crHighlight : m_crShadow;
    if (b.state != kNormal && b.enabled) {
      CPen tl(PS_SOLID, 1, topLeft), br(PS_SOLID, 1, bottomRight);
      CPen* old = pDC->SelectObject(&tl);
      pDC->MoveTo(r.left, r.bottom - 1);
      pDC->LineTo(r.left, r.top);
      pDC->LineTo(r.right - 1, r.top);
      pDC->SelectObject(&br);
      pDC->LineTo(r.right - 1, r.bottom - 1);
      pDC->LineTo(r.left, r.bottom - 1);
      pDC->SelectObject(old);
    }
    // The button's picture (registered under its tool id), else a plain glyph: an arrow for
    // the scroll buttons, a mark for the others.
    if (velmora::afx::DrawCommandImage(*pDC, kFirstToolId + UINT(i), r, b.enabled)) continue;
    CPen glyph(PS_SOLID, 1, b.enabled ? RGB(0, 0, 0) : m_crShadow);
    CPen* old = pDC->SelectObject(&glyph);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    if (i == kMoveLeft || i == kMoveRight) {
      const int dir = i == kMoveLeft ? -1 : 1;
      const POINT arrow[3] = {{cx - 2 * dir, cy - 4}, {cx + 2 * dir, cy}, {cx - 2 * dir, cy + 4}};
      pDC->Polyline(arrow, 3);
    } else {
      pDC->Rectangle(cx - 3, cy - 3, cx + 4, cy + 4);
    }
    pDC->SelectObject(old);
  }
}

void CKxWndTab::OnPaint() {
  CPaintDC dc(this);
  Draw(&dc);
}

void CKxWndTab::SendLayerItem(int subCode) {
  static const UINT kItems[3] = {ID_LAYER_EDIT, ID_LAYER_ALL_ON, ID_LAYER_ONE_ON};
  if (CFrameWnd* frame = gGetMainFrame()) frame->SendMessage(WM_COMMAND, kItems[subCode], 0);
}

void CKxWndTab::PressButton(int i) {
  if (i < 0 || i >= kButtonCount || !m_buttons[size_t(i)].enabled || !m_pOwner) return;
  switch (i) {
    case kEditLayer:
      // The layer page may run a modal loop: the button must not stay pressed behind it.
      m_buttons[size_t(i)].state = kNormal;
      m_nPressed = -1;
      if (m_hWnd) KillTimer(kHoverTimer);
      SendLayerItem(0);
      return;
    case kAllLayerOn: SendLayerItem(1); return;
    case kCurrentLayerOn: SendLayerItem(2); return;
    case kMoveLeft:
      if (CanScrollLeft()) m_nOffset += kScrollStep;
      break;
    case kDeleteLayer:
      m_pOwner->DeleteLayer(m_pOwner->GetCurLayerIndex());
      m_pOwner->SetCurLayer(m_pOwner->GetCurLayerIndex());
      // The visible layers changed: the view shows them at once.
      if (CWnd* view = m_pOwner->GetView()) view->Invalidate();
      break;
    case kNewLayer:
      if (m_pOwner->AddLayer(L"") >= 0) m_pOwner->SetCurLayer(m_pOwner->GetLayerCount() - 1);
      if (CWnd* view = m_pOwner->GetView()) view->Invalidate();
      break;
    case kMoveRight:
      if (CanScrollRight()) m_nOffset -= kScrollStep;
      break;
    default: break;
  }
  if (m_hWnd) Invalidate();
}

void CKxWndTab::OnLButtonDown(UINT, CPoint point) {
  const int button = ButtonAt(point);
  if (button >= 0) {
    if (m_buttons[size_t(button)].enabled) {
      m_nPressed = button;
      m_buttons[size_t(button)].state = kPressed;
      Invalidate(FALSE);
      PressButton(button);
    }
  } else if (m_pOwner) {
    // Tabs are hit-tested on their measured widths.
    if (m_bDirty) {
      CClientDC dc(this);
      MeasureTabs(&dc);
    }
    const int tab = TabAt(point);
    if (tab >= 0) {
      m_pOwner->SetCurLayer(tab);
      m_pOwner->RefreshView(TRUE);
    }
  }
  Default();
}

void CKxWndTab::OnLButtonUp(UINT, CPoint point) {
  if (m_nPressed >= 0) {
    m_buttons[size_t(m_nPressed)].state = ButtonAt(point) == m_nPressed ? kHovered : kNormal;
    m_nPressed = -1;
    Invalidate(FALSE);
  }
  Default();
}

void CKxWndTab::OnMouseMove(UINT, CPoint point) {
  m_ptMouse = point;
  SetTimer(kHoverTimer, kHoverElapse);
  Default();
}

// The pointer left the strip: no button is hovered any more; the next tick says so (it redraws
// the buttons, hides the tip and stops the timer).
LRESULT CKxWndTab::OnMouseLeave(WPARAM, LPARAM) {
  m_ptMouse = CPoint(-1, -1);
  OnTimer(kHoverTimer);
  return 0;
}

BOOL CKxWndTab::OnSetCursor(CWnd*, UINT, UINT message) {
  if (message == WM_MOUSEMOVE) SetTimer(kHoverTimer, kHoverElapse);
  return FALSE;
}

void CKxWndTab::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kHoverTimer) return;
  const int hovered = ButtonAt(m_ptMouse);
  for (int i = 0; i < kButtonCount; ++i) {
    NavButton& b = m_buttons[size_t(i)];
    b.state = i == m_nPressed ? kPressed : (i == hovered && b.enabled ? kHovered : kNormal);
  }
  {
    CClientDC dc(this);
    DrawButtons(&dc);
  }
  ShowTip(hovered);
  if (hovered < 0) KillTimer(kHoverTimer);
}

void CKxWndTab::ShowTip(int button) {
  if (button == m_nTipButton) return;
  m_nTipButton = button;
  CWnd* view = m_pOwner ? m_pOwner->GetView() : nullptr;
  if (!view) return;
  if (!m_tip.GetSafeHwnd() && !m_tip.CreateTipWnd(view)) return;
  // The status line says what the button does while the pointer is on it.
  if (CFrameWnd* frame = gGetMainFrame()) frame->SetHoverCommand(button < 0 ? 0 : kFirstToolId + UINT(button));
  if (button < 0) {
    m_tip.Hide();
    return;
  }
  RECT rc;
  view->GetClientRect(&rc);
  m_tip.SetTipText(ButtonTip(button));
  m_tip.SetOffsetToShow(0, -2);
  m_tip.Show(CPoint(ButtonRect(button).left, rc.bottom));
}

// ---------------------------------------------------------------------------------------------
// The splitter and the layer access

BEGIN_MESSAGE_MAP(CKxTabWnd, CSplitterWnd)
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CDBase* CKxTabWnd::Db() { return gGetDBase(); }
CKXGlobal* CKxTabWnd::Global() { return gGetKXGlobal(); }

BOOL CKxTabWnd::Create(CWnd* pParentWnd, CCreateContext* pContext) {
  if (!pParentWnd || !pContext || !pContext->m_pNewViewClass) return FALSE;
  if (!CreateStatic(pParentWnd, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) return FALSE;
  RECT rc;
  pParentWnd->GetClientRect(&rc);
  if (!CreateView(0, 0, pContext->m_pNewViewClass, CSize(rc.right, std::max(0, int(rc.bottom) - kStripHeight)),
                  pContext))
    return FALSE;
  if (!m_tab.Create(this, UINT(IdFromRowCol(1, 0)), RECT{0, 0, rc.right, kStripHeight})) return FALSE;
  SetPane(1, 0, &m_tab);
  ShowWindow(SW_SHOW);
  UpdateWindow();
  return TRUE;
}

void CKxTabWnd::RecalcLayout() {
  CWnd* view = GetPane(0, 0);
  if (!m_hWnd || !view || !m_tab.GetSafeHwnd()) return;
  CRect rc;
  GetClientRect(&rc);
  rc.left += m_cxBorder, rc.top += m_cyBorder, rc.right -= m_cxBorder, rc.bottom -= m_cyBorder;
  const int h = m_tab.GetLayoutHeight();
  if (h > 0) m_tab.MoveWindow(rc.left, rc.bottom - h, std::max(0, int(rc.right) - 2), h, TRUE);
  view->MoveWindow(rc.left, rc.top, std::max(0, int(rc.right) - 2), std::max(0, int(rc.bottom) - h - 2), TRUE);
}

void CKxTabWnd::UpdateLayerBar() {
  if (m_bHidden) {
    m_tab.SetLayoutHeight(kShownHeight);
    m_bHidden = 0;
  } else {
    m_tab.SetLayoutHeight(0);
    if (m_tab.GetSafeHwnd()) m_tab.MoveWindow(0, 0, 0, 0, TRUE);
    if (CWnd* view = GetPane(0, 0)) {
      RECT rc;
      GetClientRect(&rc);
      view->MoveWindow(&rc, TRUE);
    }
    m_bHidden = 1;
  }
  if (m_tab.GetSafeHwnd()) m_tab.Invalidate();
  RecalcLayout();
}

void CKxTabWnd::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_nStored << m_bHidden;
  } else {
    int32_t stored = 0, hidden = 0;
    ar >> stored >> hidden;
    m_nStored = stored;
    m_bHidden = hidden ? 1 : 0;
  }
}

CLayer* CKxTabWnd::LayerAt(int index) const { return Db() ? Db()->GetLayerAt(index) : nullptr; }

int CKxTabWnd::GetLayerCount() const { return Db() ? Db()->GetLayerCount() : 0; }

int CKxTabWnd::GetCurLayerIndex() const {
  if (!Db()) return 0;
  const int id = Global() ? Global()->GetCurrentLayerID() : -1;
  const int index = Db()->GetLayerIndexByID(id);
  return index < 0 ? Db()->GetLayerCount() : index;
}

int CKxTabWnd::GetLayerAt(int index, CLayer& layer) const {
  const CLayer* src = LayerAt(index);
  if (!src) return -1;
  layer.SetLock(src->IsLocked());
  if (src->IsVisible())
    layer.SetVisible();
  else
    layer.SetInVisible();
  layer.SetColor(src->GetColor());
  layer.SetName(src->GetName());
  return index;
}

int CKxTabWnd::SetLayerAt(int index, const CLayer& layer) {
  CLayer* dst = LayerAt(index);
  if (!dst) return -1;
  // A layer's name, lock, visibility and colour are kept in the drawing: a change is an edit.
  const bool changed = bool(dst->IsLocked()) != bool(layer.IsLocked()) ||
                       bool(dst->IsVisible()) != bool(layer.IsVisible()) ||
                       dst->GetColor() != layer.GetColor() || dst->GetName() != layer.GetName();
  dst->SetLock(layer.IsLocked());
  if (layer.IsVisible())
    dst->SetVisible();
  else
    dst->SetInVisible();
  dst->SetColor(layer.GetColor());
  dst->SetName(layer.GetName());
  if (index < int(m_tabNames.size())) m_tabNames[size_t(index)] = layer.GetName();
  m_tab.SetDirty();
  if (changed) dbNotifyChange();
  return index;
}

int CKxTabWnd::SetCurLayer(int index) {
  CLayer* layer = LayerAt(index);
  if (!layer) return -1;
  kxClearSelSet(nullptr);
  if (m_bCurLayerOnly)
    for (POSITION pos = Db()->GetLayerList().GetHeadPosition(); pos;) Db()->GetLayerList().GetNext(pos)->SetInVisible();
  layer->SetLock(0);
  layer->SetVisible();
  if (Global()) Global()->SetCurrentLayerID(layer->GetID());
  if (CKXStatusBar* bar = gGetStatusBar())
    if (CKxColorButton* button = bar->GetColorButton()) button->SetColor(layer->GetColor());
  m_nCurIndex = index;
  return index;
}

int CKxTabWnd::AddLayer(const CString&) {
  if (!Db()) return -1;
  // The smallest "Page<n>" that no layer is called.
  CString name;
  for (int n = 1;; ++n) {
    name = CString((L"Page" + std::to_wstring(n)).c_str());
    bool taken = false;
    for (POSITION pos = Db()->GetLayerList().GetHeadPosition(); pos && !taken;)
      taken = Db()->GetLayerList().GetNext(pos)->GetName() == name;
    if (!taken) break;
  }
  auto* layer = new CLayer(name);
  layer->SetColor(0);
  layer->SetLock(0);
  layer->SetInVisible();
  Db()->AddLayer(layer);
  m_tabNames.push_back(name);
  m_tab.SetDirty();
  return Db()->GetLayerCount() - 1;
}

int CKxTabWnd::RenameLayer(int index, const CString& name) {
  if (!Db()) return -1;
  for (POSITION pos = Db()->GetLayerList().GetHeadPosition(); pos;)
    if (Db()->GetLayerList().GetNext(pos)->GetName() == name) return -2;
  CLayer* layer = LayerAt(index);
  if (!layer) return -1;
  layer->SetName(name);
  if (index < int(m_tabNames.size())) m_tabNames[size_t(index)] = name;
  m_tab.SetDirty();
  dbNotifyChange();
  return index;
}

int CKxTabWnd::DeleteLayer(int index) {
  const int count = GetLayerCount();
  if (count == 1) {
    m_nErrorCode = kLastLayer;
    return -1;
  }
  CLayer* layer = LayerAt(index);
  if (!layer) {
    m_nErrorCode = kBadIndex;
    return -1;
  }
  const bool wasCurrent = index == GetCurLayerIndex();
  auto action = std::make_unique<CAction>(1, L"Delete Layer");
  for (POSITION pos = Db()->GetEntityList().GetHeadPosition(); pos;) {
    CDbEntity* entity = Db()->GetEntityList().GetNext(pos);
    if (entity->GetLayerID() == layer->GetID()) action->AddDelEnt(entity);
  }
  action->AddDelLayer(layer);
  // The manager does the action on the database; without a database nothing was deleted.
  if (kxInsertActionIntoManager(action.release()) < 0) {
    m_nErrorCode = kDeleteFailed;
    return -1;
  }
  if (wasCurrent) {
    // The layer before it becomes current; when the first one went, the one that followed it
    // (now first) does, so the current index never points past the list.
    const int next = index > 0 ? index - 1 : 0;
    m_nCurIndex = next;
    if (Global()) Global()->SetCurrentLayerID(Db()->GetLayerIDByIndex(next));
  } else {
    m_nCurIndex = GetCurLayerIndex();
  }
  if (index < int(m_tabNames.size())) m_tabNames.erase(m_tabNames.begin() + index);
  m_tab.SetDirty();
  return index;
}

void CKxTabWnd::ResetLayers() {
  m_tabNames.clear();
  if (Db())
    for (POSITION pos = Db()->GetLayerList().GetHeadPosition(); pos;)
      m_tabNames.push_back(Db()->GetLayerList().GetNext(pos)->GetName());
  m_tab.SetDirty();
  SetCurLayer(0);
  RefreshView(FALSE);
}

void CKxTabWnd::RefreshView(BOOL bClearSelection) {
  if (bClearSelection) {
    kxClearSelSet(nullptr);
    if (CWnd* view = GetPane(0, 0)) view->Invalidate();
  }
  if (m_tab.GetSafeHwnd()) m_tab.Invalidate();
}

void CKxTabWnd::OnLButtonDown(UINT, CPoint) {}

BOOL CKxTabWnd::OnSetCursor(CWnd*, UINT, UINT) { return FALSE; }
