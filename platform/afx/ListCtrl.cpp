#include "platform/afx/ListCtrl.h"

#include "platform/afx/DC.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ImageList.h"

#include <algorithm>
#include <memory>

IMPLEMENT_DYNAMIC(CListCtrl, CControlWnd)

namespace {
// The text of a cell, empty for a cell never set.
CString Cell(const AfxControlItem& item, int col) {
  if (col == 0) return item.text;
  const size_t k = static_cast<size_t>(col - 1);
  return col > 0 && k < item.sub.size() ? item.sub[k] : CString();
}
}  // namespace

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kListViewClass, L"", dwStyle, rect, pParentWnd, nID);
}

DWORD CListCtrl::GetExtendedStyle() const {
  const AfxControlState* s = State();
  return s ? s->exStyle : 0;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
  AfxControlState* s = State();
  if (!s) return 0;
  const DWORD old = s->exStyle;
  s->exStyle = dwNewStyle;
  Changed();
  return old;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
  AfxControlState* s = State();
  if (!s || nImageListType != LVSIL_SMALL) return nullptr;
  CImageList* old = s->smallImages;
  s->smallImages = pImageList;
  Changed();
  return old;
}

CImageList* CListCtrl::GetImageList(int nImageListType) const {
  const AfxControlState* s = State();
  return s && nImageListType == LVSIL_SMALL ? s->smallImages : nullptr;
}

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int) {
  LVCOLUMN c{};
  c.mask = LVCF_FMT | LVCF_TEXT | (nWidth >= 0 ? LVCF_WIDTH : 0);
  c.fmt = nFormat;
  c.cx = nWidth;
  c.pszText = const_cast<LPWSTR>(lpszColumnHeading ? lpszColumnHeading : L"");
  return InsertColumn(nCol, &c);
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* p) {
  AfxControlState* s = State();
  if (!s || !p || nCol < 0) return -1;
  const int at = std::min(nCol, static_cast<int>(s->columns.size()));
  AfxControlColumn col;
  if ((p->mask & LVCF_TEXT) && p->pszText) col.text = p->pszText;
  if (p->mask & LVCF_FMT) col.fmt = p->fmt;
  col.width = (p->mask & LVCF_WIDTH) ? std::max(0, p->cx) : 50;
  s->columns.insert(s->columns.begin() + at, std::move(col));
  // Cells keep their column: texts right of the new column move one to the right.
  if (at > 0)
    for (AfxControlItem& item : s->items)
      if (static_cast<size_t>(at - 1) <= item.sub.size()) item.sub.insert(item.sub.begin() + (at - 1), CString());
  Changed();
  return at;
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  AfxControlState* s = State();
  if (!s || nCol < 0 || nCol >= static_cast<int>(s->columns.size())) return FALSE;
  s->columns.erase(s->columns.begin() + nCol);
  for (AfxControlItem& item : s->items) {
    if (nCol == 0) {
      item.text = item.sub.empty() ? CString() : item.sub.front();
      if (!item.sub.empty()) item.sub.erase(item.sub.begin());
    } else if (static_cast<size_t>(nCol - 1) < item.sub.size()) {
      item.sub.erase(item.sub.begin() + (nCol - 1));
    }
  }
  Changed();
  return TRUE;
}

int CListCtrl::GetColumnCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->columns.size()) : 0;
}

int CListCtrl::GetColumnWidth(int nCol) const {
  const AfxControlState* s = State();
  return s && nCol >= 0 && nCol < static_cast<int>(s->columns.size()) ? s->columns[nCol].width : 0;
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
  AfxControlState* s = State();
  if (!s || nCol < 0 || nCol >= static_cast<int>(s->columns.size())) return FALSE;
  s->columns[nCol].width = std::max(0, cx);
  Changed();
  return TRUE;
}

BOOL CListCtrl::GetColumn(int nCol, LVCOLUMN* p) const {
  const AfxControlState* s = State();
  if (!s || !p || nCol < 0 || nCol >= static_cast<int>(s->columns.size())) return FALSE;
  const AfxControlColumn& c = s->columns[nCol];
  if (p->mask & LVCF_FMT) p->fmt = c.fmt;
  if (p->mask & LVCF_WIDTH) p->cx = c.width;
  if ((p->mask & LVCF_TEXT) && p->pszText && p->cchTextMax > 0) {
    const int n = std::min(c.text.GetLength(), p->cchTextMax - 1);
    std::copy(c.text.GetString(), c.text.GetString() + n, p->pszText);
    p->pszText[n] = L'\0';
  }
  if (p->mask & LVCF_SUBITEM) p->iSubItem = nCol;
  return TRUE;
}

BOOL CListCtrl::SetColumn(int nCol, const LVCOLUMN* p) {
  AfxControlState* s = State();
  if (!s || !p || nCol < 0 || nCol >= static_cast<int>(s->columns.size())) return FALSE;
  AfxControlColumn& c = s->columns[nCol];
  if (p->mask & LVCF_FMT) c.fmt = p->fmt;
  if (p->mask & LVCF_WIDTH) c.width = std::max(0, p->cx);
  if ((p->mask & LVCF_TEXT) && p->pszText) c.text = p->pszText;
  Changed();
  return TRUE;
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) { return InsertItem(nItem, lpszItem, -1); }

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) {
  LVITEM item{};
  item.mask = LVIF_TEXT | (nImage >= 0 ? LVIF_IMAGE : 0);
  item.iItem = nItem;
  item.pszText = const_cast<LPWSTR>(lpszItem ? lpszItem : L"");
  item.iImage = nImage;
  return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEM* p) {
  AfxControlState* s = State();
  if (!s || !p || p->iItem < 0 || p->iSubItem != 0) return -1;
  const int at = std::min(p->iItem, static_cast<int>(s->items.size()));
  AfxControlItem item;
  if ((p->mask & LVIF_TEXT) && p->pszText) item.text = p->pszText;
  if (p->mask & LVIF_IMAGE) item.image = p->iImage;
  if (p->mask & LVIF_PARAM) item.data = static_cast<DWORD_PTR>(p->lParam);
  if (p->mask & LVIF_STATE) item.selected = (p->state & p->stateMask & LVIS_SELECTED) != 0;
  s->items.insert(s->items.begin() + at, std::move(item));
  if (s->cur >= at) ++s->cur;
  if (s->editRow >= at) ++s->editRow;
  Changed();
  return at;
}

BOOL CListCtrl::DeleteItem(int nItem) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return FALSE;
  if (s->editRow == nItem) EndLabelEdit(TRUE);
  if (!(s = State())) return FALSE;
  s->items.erase(s->items.begin() + nItem);
  if (s->cur == nItem) s->cur = -1;
  else if (s->cur > nItem) --s->cur;
  if (s->editRow > nItem) --s->editRow;
  s->top = std::clamp(s->top, 0, std::max(0, static_cast<int>(s->items.size()) - 1));
  Changed();
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  AfxControlState* s = State();
  if (!s) return FALSE;
  if (s->editRow >= 0) EndLabelEdit(TRUE);
  if (!(s = State())) return FALSE;
  s->items.clear();
  s->cur = -1;
  s->top = 0;
  Changed();
  return TRUE;
}

int CListCtrl::GetItemCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->items.size()) : 0;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem) || nSubItem < 0) return FALSE;
  AfxControlItem& item = s->items[nItem];
  const CString text = lpszText ? lpszText : L"";
  if (nSubItem == 0) {
    item.text = text;
  } else {
    const size_t k = static_cast<size_t>(nSubItem - 1);
    // Cells beyond the columns exist only as far as the program writes them.
    if (nSubItem > 4096) return FALSE;
    if (item.sub.size() <= k) item.sub.resize(k + 1);
    item.sub[k] = text;
  }
  Changed();
  return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nItem) ? Cell(s->items[nItem], nSubItem) : CString();
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return FALSE;
  s->items[nItem].data = dwData;
  return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nItem) ? s->items[nItem].data : 0;
}

BOOL CListCtrl::SetItem(const LVITEM* p) {
  AfxControlState* s = State();
  if (!p || !AfxItemInRange(s, p->iItem)) return FALSE;
  if ((p->mask & LVIF_TEXT) && !SetItemText(p->iItem, p->iSubItem, p->pszText)) return FALSE;
  if (!(s = State())) return FALSE;
  AfxControlItem& item = s->items[p->iItem];
  if (p->mask & LVIF_IMAGE) item.image = p->iImage;
  if (p->mask & LVIF_PARAM) item.data = static_cast<DWORD_PTR>(p->lParam);
  if (p->mask & LVIF_STATE) return SetItemState(p->iItem, p->state, p->stateMask);
  Changed();
  return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* p) const {
  const AfxControlState* s = State();
  if (!p || !AfxItemInRange(s, p->iItem)) return FALSE;
  const AfxControlItem& item = s->items[p->iItem];
  if ((p->mask & LVIF_TEXT) && p->pszText && p->cchTextMax > 0) {
    const CString t = Cell(item, p->iSubItem);
    const int n = std::min(t.GetLength(), p->cchTextMax - 1);
    std::copy(t.GetString(), t.GetString() + n, p->pszText);
    p->pszText[n] = L'\0';
  }
  if (p->mask & LVIF_IMAGE) p->iImage = item.image;
  if (p->mask & LVIF_PARAM) p->lParam = static_cast<LPARAM>(item.data);
  if (p->mask & LVIF_STATE) p->state = GetItemState(p->iItem, p->stateMask);
  return TRUE;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return FALSE;
  const UINT old = GetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED);
  if (nMask & LVIS_SELECTED) {
    const bool sel = (nState & LVIS_SELECTED) != 0;
    if (sel && (s->style & LVS_SINGLESEL))
      for (AfxControlItem& other : s->items) other.selected = false;
    s->items[nItem].selected = sel;
  }
  if (nMask & LVIS_FOCUSED) {
    if (nState & LVIS_FOCUSED) s->cur = nItem;
    else if (s->cur == nItem) s->cur = -1;
  }
  const UINT now = GetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED);
  Changed();
  if (now != old) {
    NMLISTVIEW nm{};
    nm.iItem = nItem;
    nm.uNewState = now;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = static_cast<LPARAM>(s->items[nItem].data);
    AfxNotifyParent(m_hWnd, &nm.hdr, LVN_ITEMCHANGED);
  }
  return TRUE;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return 0;
  UINT st = 0;
  if (s->items[nItem].selected) st |= LVIS_SELECTED;
  if (s->cur == nItem) st |= LVIS_FOCUSED;
  return st & nMask;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
  const AfxControlState* s = State();
  if (!s) return -1;
  for (int i = std::max(0, nItem + 1); i < static_cast<int>(s->items.size()); ++i) {
    if ((nFlags & LVNI_SELECTED) && !s->items[i].selected) continue;
    if ((nFlags & LVNI_FOCUSED) && s->cur != i) continue;
    return i;
  }
  return -1;
}

int CListCtrl::GetSelectedCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(std::count_if(s->items.begin(), s->items.end(), [](const AfxControlItem& i) { return i.selected; }))
           : 0;
}

int CListCtrl::GetSelectionMark() const { return GetNextItem(-1, LVNI_SELECTED); }

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
  CRect r;
  if (!lpRect || !GetSubItemRect(nItem, 0, static_cast<int>(nCode), r)) return FALSE;
  *lpRect = r;
  return TRUE;
}

BOOL CListCtrl::GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, iItem) || iSubItem < 0 || iSubItem >= std::max<int>(1, static_cast<int>(s->columns.size())))
    return FALSE;
  const int top = kHeaderHeight + (iItem - s->top) * s->itemHeight;
  int left = 0;
  for (int c = 0; c < iSubItem; ++c) left += s->columns[c].width;
  int total = 0;
  for (const AfxControlColumn& c : s->columns) total += c.width;
  const int width = s->columns.empty() ? 0 : s->columns[iSubItem].width;
  if (iSubItem == 0 && nArea == LVIR_BOUNDS) {
    ref = CRect(0, top, total, top + s->itemHeight);
  } else {
    ref = CRect(left, top, left + width, top + s->itemHeight);
    // The small image sits at the left of column 0; the label follows it.
    const int icon = s->smallImages && s->smallImages->IsCreated() ? s->smallImages->GetImageSize().cx : 0;
    if (iSubItem == 0 && icon) {
      if (nArea == LVIR_ICON) ref.right = std::min(ref.right, ref.left + icon);
      else if (nArea == LVIR_LABEL) ref.left = std::min(ref.right, ref.left + icon);
    }
  }
  return TRUE;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* p) const {
  const AfxControlState* s = State();
  if (!p || !s) return -1;
  p->iItem = p->iSubItem = -1;
  p->flags = LVHT_NOWHERE;
  if (p->pt.y < kHeaderHeight) {
    p->flags = LVHT_ABOVE;
    return -1;
  }
  const int row = s->top + (p->pt.y - kHeaderHeight) / s->itemHeight;
  if (row >= static_cast<int>(s->items.size())) {
    p->flags = LVHT_BELOW;
    return -1;
  }
  int left = 0;
  for (int c = 0; c < static_cast<int>(s->columns.size()); ++c) {
    const int w = s->columns[c].width;
    if (p->pt.x >= left && p->pt.x < left + w) {
      p->iItem = row;
      p->iSubItem = c;
      p->flags = LVHT_ONITEMLABEL;
      return row;
    }
    left += w;
  }
  return -1;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
  LVHITTESTINFO info{};
  info.pt = pt;
  const int row = SubItemHitTest(&info);
  if (pFlags) *pFlags = info.flags;
  return row;
}

int CListCtrl::GetTopIndex() const {
  const AfxControlState* s = State();
  return s ? s->top : 0;
}

int CListCtrl::GetCountPerPage() const {
  const AfxControlState* s = State();
  if (!s) return 0;
  CRect client;
  GetClientRect(&client);
  return std::max(0, (client.Height() - kHeaderHeight) / s->itemHeight);
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return FALSE;
  CRect client;
  GetClientRect(&client);
  const int room = client.Height() - kHeaderHeight;
  const int full = std::max(1, room / s->itemHeight);
  const bool partlyShown = bPartialOK && nItem == s->top + full && room % s->itemHeight;
  if (nItem < s->top) s->top = nItem;
  else if (nItem >= s->top + full && !partlyShown) s->top = nItem - full + 1;
  Changed();
  return TRUE;
}

BOOL CListCtrl::RedrawItems(int nFirst, int nLast) {
  if (!m_hWnd || nFirst > nLast) return FALSE;
  Invalidate(FALSE);
  Changed();
  return TRUE;
}

CEdit* CListCtrl::EditLabel(int nItem) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nItem)) return nullptr;
  if (s->editRow >= 0) EndLabelEdit(FALSE);
  if (!(s = State())) return nullptr;
  NMLVDISPINFO begin{};
  begin.item.iItem = nItem;
  begin.item.mask = LVIF_TEXT;
  const CString text = s->items[nItem].text;
  begin.item.pszText = const_cast<LPWSTR>(text.GetString());
  if (AfxNotifyParent(m_hWnd, &begin.hdr, LVN_BEGINLABELEDIT)) return nullptr;  // refused
  if (!(s = State()) || !AfxItemInRange(s, nItem)) return nullptr;
  EnsureVisible(nItem, FALSE);
  CRect r;
  GetSubItemRect(nItem, 0, LVIR_LABEL, r);
  auto edit = std::make_unique<CEdit>();
  if (!edit->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, r, this, 1)) return nullptr;
  edit->SetWindowText(text.GetString());
  edit->SetSel(0, -1);
  if (!(s = State())) return nullptr;
  s->editRow = nItem;
  s->editWnd = edit->m_hWnd;
  m_pEdit = edit.release();
  Changed();
  return m_pEdit;
}

CEdit* CListCtrl::GetEditControl() const { return m_pEdit; }

BOOL CListCtrl::EndLabelEdit(BOOL bCancel) {
  AfxControlState* s = State();
  if (!s || s->editRow < 0 || !m_pEdit) return FALSE;
  const int row = s->editRow;
  CString text;
  m_pEdit->GetWindowText(text);
  // The edit goes first: the notification's handler may start another edit.
  std::unique_ptr<CEdit> edit(m_pEdit);
  m_pEdit = nullptr;
  s->editRow = -1;
  s->editWnd = nullptr;
  edit->DestroyWindow();
  NMLVDISPINFO end{};
  end.item.iItem = row;
  end.item.mask = LVIF_TEXT;
  end.item.pszText = bCancel ? nullptr : const_cast<LPWSTR>(text.GetString());
  const LRESULT keep = AfxNotifyParent(m_hWnd, &end.hdr, LVN_ENDLABELEDIT);
  if (!bCancel && keep && (s = State()) && AfxItemInRange(s, row)) SetItemText(row, 0, text.GetString());
  Changed();
  return TRUE;
}

void CListCtrl::DrawRows(CDC* pDC) {
  AfxControlState* s = State();
  if (!s) return;
  CRect client;
  GetClientRect(&client);
  NMLVCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.hdc = pDC ? pDC->GetSafeHdc() : nullptr;
  cd.nmcd.rc = client;
  const LRESULT pre = AfxNotifyParent(m_hWnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
  const int perPage = GetCountPerPage() + 1;
  for (int i = 0; (s = State()) && i < perPage && s->top + i < static_cast<int>(s->items.size()); ++i) {
    const int row = s->top + i;
    const int cols = std::max<int>(1, static_cast<int>(s->columns.size()));
    s->items[row].drawn.assign(static_cast<size_t>(cols), {CLR_DEFAULT, CLR_DEFAULT});
    CRect rowRect;
    GetSubItemRect(row, 0, LVIR_BOUNDS, rowRect);
    const UINT itemState = s->items[row].selected ? CDIS_SELECTED : 0;
    LRESULT itemAnswer = CDRF_DODEFAULT;
    COLORREF text = CLR_DEFAULT, back = CLR_DEFAULT;
    if (pre & CDRF_NOTIFYITEMDRAW) {
      NMLVCUSTOMDRAW item{};
      item.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
      item.nmcd.hdc = cd.nmcd.hdc;
      item.nmcd.rc = rowRect;
      item.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
      item.nmcd.uItemState = itemState;
      item.nmcd.lItemlParam = static_cast<LPARAM>(s->items[row].data);
      item.clrText = item.clrTextBk = CLR_DEFAULT;
      itemAnswer = AfxNotifyParent(m_hWnd, &item.nmcd.hdr, NM_CUSTOMDRAW);
      text = item.clrText;
      back = item.clrTextBk;
    }
    for (int col = 0; col < cols && (s = State()) && row < static_cast<int>(s->items.size()); ++col) {
      CRect cell;
      GetSubItemRect(row, col, LVIR_LABEL, cell);
      COLORREF ct = text, cb = back;
      LRESULT subAnswer = itemAnswer & CDRF_NOTIFYPOSTPAINT;
      NMLVCUSTOMDRAW sub{};
      sub.nmcd.hdc = cd.nmcd.hdc;
      sub.nmcd.rc = cell;
      sub.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
      sub.nmcd.uItemState = itemState;
      sub.nmcd.lItemlParam = static_cast<LPARAM>(s->items[row].data);
      sub.iSubItem = col;
      if (itemAnswer & CDRF_NOTIFYSUBITEMDRAW) {
        sub.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        sub.clrText = ct;
        sub.clrTextBk = cb;
        subAnswer = AfxNotifyParent(m_hWnd, &sub.nmcd.hdr, NM_CUSTOMDRAW);
        ct = sub.clrText;
        cb = sub.clrTextBk;
        if (!(s = State()) || row >= static_cast<int>(s->items.size())) return;
      }
      s->items[row].drawn[static_cast<size_t>(col)] = {ct, cb};
      if (pDC && !(subAnswer & CDRF_SKIPDEFAULT)) {
        const bool sel = s->items[row].selected;
        const COLORREF bg = cb != CLR_DEFAULT ? cb : sel ? RGB(0, 120, 215) : RGB(255, 255, 255);
        const COLORREF fg = ct != CLR_DEFAULT ? ct : sel ? RGB(255, 255, 255) : RGB(0, 0, 0);
        pDC->FillSolidRect(cell, bg);
        const COLORREF old = pDC->SetTextColor(fg);
        const CString t = Cell(s->items[row], col);
        if (!t.IsEmpty()) pDC->TextOut(cell.left + 2, cell.top + 1, t.GetString());
        pDC->SetTextColor(old);
        if (col == 0 && s->smallImages && s->items[row].image >= 0) {
          CRect icon;
          GetSubItemRect(row, 0, LVIR_ICON, icon);
          s->smallImages->Draw(pDC, s->items[row].image, icon.TopLeft(), 0);
        }
      }
      if (subAnswer & CDRF_NOTIFYPOSTPAINT) {
        sub.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT | CDDS_SUBITEM;
        AfxNotifyParent(m_hWnd, &sub.nmcd.hdr, NM_CUSTOMDRAW);
      }
    }
  }
}

LRESULT CListCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      LVHITTESTINFO info{};
      info.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const int row = SubItemHitTest(&info);
      if (row >= 0) AfxUserSelect(m_hWnd, row);
      NMLISTVIEW nm{};
      nm.iItem = row;
      nm.iSubItem = info.iSubItem;
      nm.ptAction = info.pt;
      const UINT code = message == WM_RBUTTONDOWN ? NM_RCLICK : message == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_CLICK;
      AfxNotifyParent(m_hWnd, &nm.hdr, code);
      return 0;
    }
    default: return CControlWnd::DefWindowProc(message, wParam, lParam);
  }
}

BOOL CListCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg && m_pEdit && pMsg->hwnd == m_pEdit->m_hWnd && pMsg->message == WM_KEYDOWN &&
      (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
    EndLabelEdit(pMsg->wParam == VK_ESCAPE);
    return TRUE;
  }
  return CControlWnd::PreTranslateMessage(pMsg);
}

BOOL CListCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (m_pEdit && reinterpret_cast<HWND>(lParam) == m_pEdit->m_hWnd) {
    if (HIWORD(wParam) == EN_KILLFOCUS) EndLabelEdit(FALSE);
    return TRUE;
  }
  return CControlWnd::OnCommand(wParam, lParam);
}
