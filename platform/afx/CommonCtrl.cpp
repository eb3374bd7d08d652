#include "platform/afx/CommonCtrl.h"

#include <algorithm>
#include <utility>

IMPLEMENT_DYNAMIC(CTabCtrl, CControlWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CControlWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CControlWnd)

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kTabControlClass, L"", dwStyle, rect, pParentWnd, nID);
}

int CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
  TCITEM item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<LPWSTR>(lpszItem ? lpszItem : L"");
  return InsertItem(nItem, &item);
}

int CTabCtrl::InsertItem(int nItem, const TCITEM* p) {
  AfxControlState* s = State();
  if (!s || !p || nItem < 0) return -1;
  const int at = std::min(nItem, static_cast<int>(s->items.size()));
  AfxControlItem item;
  if ((p->mask & TCIF_TEXT) && p->pszText) item.text = p->pszText;
  if (p->mask & TCIF_IMAGE) item.image = p->iImage;
  if (p->mask & TCIF_PARAM) item.data = static_cast<DWORD_PTR>(p->lParam);
  s->items.insert(s->items.begin() + at, std::move(item));
  // The first tab is selected; later ones keep the selection on its tab.
  if (s->cur == -1) s->cur = 0;
  else if (s->cur >= at && s->items.size() > 1) ++s->cur;
  Changed();
  return at;
}

BOOL CTabCtrl::GetItem(int nItem, TCITEM* p) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem) || !p) return FALSE;
  const AfxControlItem& it = s->items[nItem];
  if ((p->mask & TCIF_TEXT) && p->pszText && p->cchTextMax > 0) {
    const int n = std::min(it.text.GetLength(), p->cchTextMax - 1);
    std::copy(it.text.GetString(), it.text.GetString() + n, p->pszText);
    p->pszText[n] = L'\0';
  }
  if (p->mask & TCIF_IMAGE) p->iImage = it.image;
  if (p->mask & TCIF_PARAM) p->lParam = static_cast<LPARAM>(it.data);
  return TRUE;
}

BOOL CTabCtrl::DeleteItem(int nItem) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return FALSE;
  s->items.erase(s->items.begin() + nItem);
  if (s->cur == nItem) s->cur = s->items.empty() ? -1 : std::min(nItem, static_cast<int>(s->items.size()) - 1);
  else if (s->cur > nItem) --s->cur;
  Changed();
  return TRUE;
}

BOOL CTabCtrl::DeleteAllItems() {
  AfxControlState* s = State();
  if (!s) return FALSE;
  s->items.clear();
  s->cur = -1;
  Changed();
  return TRUE;
}

int CTabCtrl::GetItemCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->items.size()) : 0;
}

int CTabCtrl::GetCurSel() const {
  const AfxControlState* s = State();
  return s ? s->cur : -1;
}

int CTabCtrl::SetCurSel(int nItem) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return -1;
  const int old = s->cur;
  s->cur = nItem;
  Changed();
  return old;
}

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem) || !lpRect) return FALSE;
  *lpRect = RECT{nItem * kTabWidth, 0, (nItem + 1) * kTabWidth, kTabHeight};
  return TRUE;
}

void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect) const {
  if (!lpRect) return;
  if (bLarger) {
    lpRect->top -= kTabHeight;
  } else {
    lpRect->top += kTabHeight;
    if (lpRect->bottom < lpRect->top) lpRect->bottom = lpRect->top;
  }
}

LRESULT CTabCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (y >= 0 && y < kTabHeight && x >= 0) AfxUserSelect(m_hWnd, x / kTabWidth);
    return 0;
  }
  return CControlWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
  return CreateControl(kToolTipClass, L"", dwStyle & ~(WS_CHILD | WS_VISIBLE), RECT{0, 0, 0, 0}, pParentWnd, 0);
}

AfxControlTool* CToolTipCtrl::Find(CWnd* pWnd, UINT_PTR nIDTool) const {
  AfxControlState* s = State();
  if (!s || !pWnd) return nullptr;
  for (AfxControlTool& t : s->tools)
    if (t.hwnd == pWnd->m_hWnd && t.id == nIDTool) return &t;
  return nullptr;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  AfxControlState* s = State();
  if (!s || !pWnd || !pWnd->m_hWnd) return FALSE;
  AfxControlTool tool;
  tool.id = nIDTool;
  tool.hwnd = pWnd->m_hWnd;
  if (lpRectTool) tool.rect = *lpRectTool;
  else pWnd->GetClientRect(&tool.rect);
  tool.text = lpszText ? lpszText : L"";
  if (AfxControlTool* old = Find(pWnd, nIDTool)) *old = tool;
  else s->tools.push_back(tool);
  Changed();
  return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
  AfxControlState* s = State();
  if (!s || !pWnd) return;
  std::erase_if(s->tools, [&](const AfxControlTool& t) { return t.hwnd == pWnd->m_hWnd && t.id == nIDTool; });
  Changed();
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
  if (AfxControlTool* t = Find(pWnd, nIDTool)) {
    t->text = lpszText ? lpszText : L"";
    Changed();
  }
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect) {
  if (AfxControlTool* t = Find(pWnd, nIDTool); t && lpRect) {
    t->rect = *lpRect;
    Changed();
  }
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const {
  const AfxControlTool* t = Find(pWnd, nIDTool);
  str = t ? t->text : CString();
}

int CToolTipCtrl::GetToolCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->tools.size()) : 0;
}

void CToolTipCtrl::Activate(BOOL bActivate) {
  if (AfxControlState* s = State()) {
    s->tipsActive = bActivate != FALSE;
    Changed();
  }
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg) {
  const AfxControlState* s = State();
  if (!s || !lpMsg || lpMsg->message != WM_MOUSEMOVE) return;
  const POINT p{GET_X_LPARAM(lpMsg->lParam), GET_Y_LPARAM(lpMsg->lParam)};
  INT_PTR hit = -1;
  if (s->tipsActive)
    for (const AfxControlTool& t : s->tools)
      if (t.hwnd == lpMsg->hwnd && p.x >= t.rect.left && p.x < t.rect.right && p.y >= t.rect.top &&
          p.y < t.rect.bottom) {
        hit = static_cast<INT_PTR>(t.id);
        break;
      }
  m_hit = hit;
}

BOOL CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kTrackBarClass, L"", dwStyle, rect, pParentWnd, nID);
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL) {
  AfxControlState* s = State();
  if (!s) return;
  s->rangeMin = nMin;
  s->rangeMax = nMax;
  s->pos = std::clamp(s->pos, std::min(nMin, nMax), std::max(nMin, nMax));
  Changed();
}

void CSliderCtrl::GetRange(int& nMin, int& nMax) const {
  nMin = GetRangeMin();
  nMax = GetRangeMax();
}

int CSliderCtrl::GetRangeMin() const {
  const AfxControlState* s = State();
  return s ? s->rangeMin : 0;
}

int CSliderCtrl::GetRangeMax() const {
  const AfxControlState* s = State();
  return s ? s->rangeMax : 0;
}

void CSliderCtrl::SetPos(int nPos) {
  AfxControlState* s = State();
  if (!s) return;
  s->pos = std::clamp(nPos, std::min(s->rangeMin, s->rangeMax), std::max(s->rangeMin, s->rangeMax));
  Changed();
}

int CSliderCtrl::GetPos() const {
  const AfxControlState* s = State();
  return s ? s->pos : 0;
}

int CSliderCtrl::SetLineSize(int nSize) {
  AfxControlState* s = State();
  if (!s) return 0;
  return std::exchange(s->lineSize, nSize);
}

int CSliderCtrl::SetPageSize(int nSize) {
  AfxControlState* s = State();
  if (!s) return 0;
  return std::exchange(s->pageSize, nSize);
}
