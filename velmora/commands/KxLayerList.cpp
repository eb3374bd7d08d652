#include "velmora/commands/KxLayerList.h"

#include "geometry/shapes2d/Layer.h"
#include "platform/afx/ColorDialog.h"
#include "platform/afx/DC.h"
#include "platform/afx/GdiObject.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/commands/LayerTabs.h"
#include "velmora/commands/ListCellEdit.h"

#include <algorithm>
#include <cmath>
#include <vector>

IMPLEMENT_DYNAMIC(CKxLayerList, CListCtrl)

BEGIN_MESSAGE_MAP(CKxLayerList, CListCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
constexpr int kIconSize = 16;

// The five markers as 16 x 16 pictures: a green dot (current), a closed and an open padlock,
// an open and a crossed-out eye.
std::vector<COLORREF> IconPixels(int icon) {
  std::vector<COLORREF> px(kIconSize * kIconSize, CLR_NONE);
  auto set = [&](int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < kIconSize && y < kIconSize) px[size_t(y * kIconSize + x)] = c;
  };
  const COLORREF dark = RGB(64, 64, 64);
  switch (icon) {
    case CKxLayerList::kIconCurrent:
      for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
          if (std::hypot(x - 7.5, y - 7.5) <= 5.5) set(x, y, RGB(0, 160, 0));
      break;
    case CKxLayerList::kIconLocked:
    case CKxLayerList::kIconUnlocked: {
      const bool closed = icon == CKxLayerList::kIconLocked;
      for (int y = 8; y < 15; ++y)
        for (int x = 3; x < 13; ++x) set(x, y, closed ? RGB(200, 150, 0) : RGB(150, 150, 150));
      // The shackle; an open lock has it raised on one side.
      for (int y = 2; y < 8; ++y) {
        set(5, y - (closed ? 0 : 2), dark);
        set(10, y, dark);
      }
      for (int x = 5; x <= 10; ++x) set(x, closed ? 2 : 0, dark);
      break;
    }
    case CKxLayerList::kIconVisible:
    case CKxLayerList::kIconHidden:
      for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x) {
          const double e = std::pow((x - 7.5) / 7.0, 2) + std::pow((y - 7.5) / 4.0, 2);
          if (e <= 1.0) set(x, y, e <= 0.25 ? dark : RGB(255, 255, 255));
          if (std::fabs(e - 1.0) < 0.25) set(x, y, dark);
        }
      if (icon == CKxLayerList::kIconHidden)
        for (int i = 1; i < 15; ++i) set(i, 15 - i, RGB(200, 0, 0));
      break;
    default:
      break;
  }
  return px;
}
}  // namespace

CKxLayerList::CKxLayerList() {
  m_icons.Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, 5, 1);
  for (int i = 0; i < 5; ++i) m_icons.Add(IconPixels(i));
}

CKxLayerList::~CKxLayerList() { FreeRows(); }

void CKxLayerList::Setup(CImageList* pSmallImages) {
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  SetImageList(pSmallImages, LVSIL_SMALL);
  const struct {
    const wchar_t* text;
    int width;
  } columns[] = {{L"", 0}, {L"Current Layer", 19}, {L"Name", 42}, {L"", 17}, {L"", 17}, {L"", 17}, {L"Count", 36}};
  for (int i = 0; i < 7; ++i) InsertColumn(i, columns[i].text, LVCFMT_LEFT, columns[i].width);
}

CKxLayerList::Row* CKxLayerList::RowAt(int index) const {
  if (!m_hWnd || index < 0 || index >= GetItemCount()) return nullptr;
  return reinterpret_cast<Row*>(GetItemData(index));
}

const CKxLayerList::Row* CKxLayerList::GetRow(int index) const { return RowAt(index); }

int CKxLayerList::AddRow(const CString& name, int current, int locked, int visible, COLORREF colour, int count) {
  if (!m_hWnd) return -1;
  const int row = InsertItem(GetItemCount(), L"");
  if (row < 0) return -1;
  auto* rec = new Row{colour, locked, visible, current, count};
  SetItemData(row, reinterpret_cast<DWORD_PTR>(rec));
  SetItemText(row, kColCurrent, L"");
  SetItemText(row, kColName, name);
  CString n;
  n.Format(L"%d", count);
  SetItemText(row, kColCount, n);
  if (current) m_nCurRow = row;
  return row;
}

BOOL CKxLayerList::DeleteRow(int index) {
  const int n = m_hWnd ? GetItemCount() : 0;
  if (n <= 1 || index < 0 || index >= n) return FALSE;
  Row* rec = RowAt(index);
  const bool wasCurrent = rec && rec->current;
  delete rec;
  SetItemData(index, 0);
  DeleteItem(index);
  if (m_nClickRow == index) m_nClickRow = -1;
  else if (m_nClickRow > index) --m_nClickRow;
  if (wasCurrent) {
    SetCurrentRow(0);
  } else if (m_nCurRow > index) {
    --m_nCurRow;
  }
  return TRUE;
}

void CKxLayerList::SetCurrentRow(int index) {
  for (int i = 0, n = m_hWnd ? GetItemCount() : 0; i < n; ++i)
    if (Row* r = RowAt(i)) r->current = i == index ? 1 : 0;
  m_nCurRow = RowAt(index) ? index : -1;
  if (m_hWnd) Invalidate();
}

void CKxLayerList::FreeRows() {
  for (int i = 0, n = m_hWnd ? GetItemCount() : 0; i < n; ++i) {
    delete RowAt(i);
    SetItemData(i, 0);
  }
}

void CKxLayerList::ApplyOnClose() {
  FreeRows();
  CLayerTabs* tabs = gGetLayerTabs();
  if (!tabs) return;
  int visible = 0;
  for (int i = 0, n = tabs->GetLayerCount(); i < n; ++i) {
    CLayer layer;
    if (tabs->GetLayerAt(i, layer) >= 0 && layer.IsVisible()) ++visible;
  }
  tabs->SetCurLayerOnly(visible < 2 ? 1 : 0);
}

void CKxLayerList::OnDestroy() {
  FreeRows();
  Default();
}

void CKxLayerList::Refresh(CLayerTabs* tabs) {
  if (tabs) tabs->RefreshView(TRUE);
}

void CKxLayerList::WriteBack(int row) {
  const Row* rec = RowAt(row);
  CLayerTabs* tabs = gGetLayerTabs();
  if (!rec || !tabs) return;
  CLayer layer;
  layer.SetName(GetItemText(row, kColName));
  layer.SetLock(rec->locked);
  rec->visible ? layer.SetVisible() : layer.SetInVisible();
  layer.SetColor(rec->colour);
  tabs->SetLayerAt(row, layer);
  tabs->SetCurLayer(m_nCurRow);
  Refresh(tabs);
}

void CKxLayerList::OnLButtonDown(UINT, CPoint point) {
  Default();
  LVHITTESTINFO hit{};
  hit.pt = point;
  if (SubItemHitTest(&hit) < 0) return;
  ClickCell(hit.iItem, hit.iSubItem);
}

void CKxLayerList::ClickCell(int row, int column) {
  Row* rec = RowAt(row);
  if (!rec) return;
  m_nClickRow = row;
  CLayerTabs* tabs = gGetLayerTabs();
  CWnd* view = gGetView();
  switch (column) {
    case kColCurrent: {
      if (rec->current) return;
      if (view) view->SetFocus();
      if (::MessageBoxW(nullptr, L"are you sure to modify the current layer? ", L"Current Layer", MB_YESNO) != IDYES)
        return;
      SetCurrentRow(row);
      rec->locked = 0;
      rec->visible = 1;
      if (tabs) {
        tabs->SetCurLayer(row);
        Refresh(tabs);
      }
      return;
    }
    case kColName:
      EditCell(row, kColName);
      return;
    case kColLock:
    case kColVisible:
      if (rec->current) {
        if (view) view->SetFocus();
        ::MessageBoxW(nullptr, L"Current layer must be unlock and visible", L"Layer", MB_OK);
        return;
      }
      if (column == kColLock)
        rec->locked = !rec->locked;
      else
        rec->visible = !rec->visible;
      RedrawItems(row, row);
      WriteBack(row);
      return;
    case kColColor: {
      CColorDialog dlg(rec->colour, CC_RGBINIT, this);
      if (dlg.DoModal() != IDOK) return;
      rec->colour = dlg.GetColor();
      RedrawItems(row, row);
      WriteBack(row);
      return;
    }
    default:
      return;
  }
}

CListCellEdit* CKxLayerList::EditCell(int row, int column) {
  if (!m_hWnd || !EnsureVisible(row, TRUE)) return nullptr;
  if (column < 0 || column >= GetColumnCount() || GetColumnWidth(column) <= 4) return nullptr;
  CRect cell;
  if (!GetSubItemRect(row, column, LVIR_BOUNDS, cell)) return nullptr;
  CRect client;
  GetClientRect(&client);
  // Column 0's bounds are the whole row: its own cell ends where column 1 starts.
  if (column == 0) cell.right = cell.left + GetColumnWidth(0);
  CRect rect(cell.left + 4, cell.top, cell.right - 3, cell.bottom);
  rect.left = std::max(rect.left, client.left);
  rect.right = std::min(rect.right, client.right);
  LVCOLUMN col{};
  col.mask = LVCF_FMT;
  GetColumn(column, &col);
  const DWORD align = (col.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? ES_RIGHT
                      : (col.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? ES_CENTER
                                                                        : ES_LEFT;
  auto* edit = new CListCellEdit(row, column, GetItemText(row, column));
  if (!edit->Start(this, rect, align, kEditID)) {
    delete edit;
    return nullptr;
  }
  return edit;
}

void CKxLayerList::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  auto* info = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
  if (!info || !info->item.pszText) return;
  const int row = info->item.iItem;
  const CString text(info->item.pszText);
  if (!RowAt(row)) return;
  // Layer names are compared exactly; the row's own name is no conflict.
  for (int i = 0, n = GetItemCount(); i < n; ++i)
    if (i != row && GetItemText(i, kColName) == text) {
      if (CWnd* view = gGetView()) view->SetFocus();
      ::MessageBoxW(nullptr, L"Layer name conflict", L"Layer", MB_OK);
      return;
    }
  CLayerTabs* tabs = gGetLayerTabs();
  if (!tabs) return;
  tabs->RenameLayer(row, text);
  Refresh(tabs);
  SetItemText(row, info->item.iSubItem, text);
}

void CKxLayerList::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
  auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
  *pResult = CDRF_DODEFAULT;
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      *pResult = CDRF_NOTIFYITEMDRAW;
      return;
    case CDDS_ITEMPREPAINT:
      *pResult = CDRF_NOTIFYSUBITEMDRAW;
      return;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      *pResult = CDRF_NOTIFYPOSTPAINT;
      return;
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
      break;
    default:
      return;
  }
  const int row = int(cd->nmcd.dwItemSpec);
  const Row* rec = RowAt(row);
  CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
  if (!rec || !dc) return;
  CRect cell;
  if (!GetSubItemRect(row, cd->iSubItem, LVIR_BOUNDS, cell)) return;
  cell.DeflateRect(1, 1);
  const CPoint at(cell.left, cell.top);
  switch (cd->iSubItem) {
    case kColCurrent:
      if (rec->current) {
        m_icons.Draw(dc, kIconCurrent, at, ILD_TRANSPARENT);
        m_nCurRow = row;
      }
      break;
    case kColLock:
      m_icons.Draw(dc, rec->locked ? kIconLocked : kIconUnlocked, at, ILD_TRANSPARENT);
      break;
    case kColVisible:
      m_icons.Draw(dc, rec->visible ? kIconVisible : kIconHidden, at, ILD_TRANSPARENT);
      break;
    case kColColor: {
      dc->Rectangle(&cell);
      CRect inside = cell;
      inside.DeflateRect(1, 1);
      dc->FillSolidRect(inside, rec->colour);
      break;
    }
    default:
      break;
  }
}
