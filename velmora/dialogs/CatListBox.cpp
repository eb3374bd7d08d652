#include "velmora/dialogs/CatListBox.h"

#include "platform/afx/DC.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cwctype>

IMPLEMENT_DYNAMIC(CCatListBox, CListBox)

BEGIN_MESSAGE_MAP(CCatListBox, CListBox)
ON_WM_LBUTTONDOWN()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

namespace {
constexpr UINT kSpace = 0x20;
constexpr COLORREF kHighlight = RGB(0, 120, 215), kHighlightText = RGB(255, 255, 255), kWindow = RGB(255, 255, 255),
                   kWindowText = RGB(0, 0, 0), kGrayText = RGB(109, 109, 109), kButtonFace = RGB(240, 240, 240);

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
  for (size_t i = 0;; ++i) {
    if (i == a.size() || i == b.size()) return a.size() == b.size() ? 0 : (i == a.size() ? -1 : 1);
    const wint_t x = std::towlower(wint_t(a[i])), y = std::towlower(wint_t(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
}
}  // namespace

CCatListBox::Category* CCatListBox::Find(LPCWSTR name) const {
  if (!name) return nullptr;
  const auto it = m_cats.find(name);
  return it == m_cats.end() ? nullptr : it->second.get();
}

CCatListBox::Category* CCatListBox::RecordAt(int row) const {
  if (!m_hWnd || row < 0 || row >= GetCount()) return nullptr;
  auto* rec = static_cast<Category*>(GetItemDataPtr(row));
  for (const auto& [name, cat] : m_cats)
    if (cat.get() == rec) return rec;
  return nullptr;
}

HRESULT CCatListBox::AddCategory(LPCWSTR name) {
  if (!name) return CAT_E_POINTER;
  if (!*name || Find(name)) return CAT_E_INVALIDARG;
  if (!m_hWnd) return CAT_E_FAIL;
  int at = GetCount();
  if (GetStyle() & LBS_SORT) {
    for (const auto& [other, cat] : m_cats)
      if (cat->row >= 0 && cat->row < at && CompareNoCase(other, name) > 0) at = cat->row;
  }
  auto rec = std::make_unique<Category>();
  const int row = InsertString(at, name);
  if (row < 0) return CAT_E_FAIL;
  // The rows below moved down by one.
  for (const auto& [other, cat] : m_cats)
    if (cat->row >= row) ++cat->row;
  rec->row = row;
  SetItemDataPtr(row, rec.get());
  m_cats.emplace(name, std::move(rec));
  Repaint();
  return CAT_S_OK;
}

HRESULT CCatListBox::SetCategoryCheck(LPCWSTR name, int state) {
  Category* cat = Find(name);
  if (!cat) return CAT_E_INVALIDARG;
  if (cat->checked != state) {
    cat->checked = state;
    Repaint();
  }
  return CAT_S_OK;
}

BOOL CCatListBox::GetCategoryCheck(LPCWSTR name) const {
  const Category* cat = Find(name);
  return cat && cat->checked;
}

LPCWSTR CCatListBox::GetCategoryName(int row) const {
  const Category* rec = RecordAt(row);
  if (!rec) return nullptr;
  for (const auto& [name, cat] : m_cats)
    if (cat.get() == rec) return name.c_str();
  return nullptr;
}

int CCatListBox::GetSubItemCheck(LPCWSTR name, int index) const {
  const Category* cat = Find(name);
  if (!cat || index < 0 || index >= int(cat->subItems.size())) return -1;
  return cat->subItems[size_t(index)];
}

HRESULT CCatListBox::SetSubItemCheck(LPCWSTR name, int index, int state) {
  Category* cat = Find(name);
  if (!cat || index < 0 || index >= int(cat->subItems.size())) return CAT_E_INVALIDARG;
  cat->subItems[size_t(index)] = state;
  if (m_bSubItems) Repaint();
  return CAT_S_OK;
}

void CCatListBox::ResetCategories() {
  if (m_hWnd) ResetContent();
  m_cats.clear();
  m_nLastClick = -1;
}

CRect CCatListBox::CheckBoxRect(int row) const {
  CRect item;
  if (!m_hWnd || GetItemRect(row, &item) == LB_ERR) return CRect(0, 0, 0, 0);
  const int side = std::max(0, item.Height() - 3);
  return CRect(item.left + 3, item.top + 1, item.left + 3 + side, item.top + 1 + side);
}

void CCatListBox::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  const int row = int(dis->itemID);
  if (!dc || row < 0) return;
  const CRect rc(dis->rcItem);
  const bool enabled = IsWindowEnabled() && !(dis->itemState & ODS_DISABLED);
  const bool selected = enabled && !(GetStyle() & LBS_NOSEL) && (dis->itemState & ODS_SELECTED);
  const Category* cat = RecordAt(row);
  const bool own = cat && cat->row == row;
  dc->FillSolidRect(rc, selected ? kHighlight : (own ? kButtonFace : kWindow));
  int textLeft = rc.left;
  if (own || m_bSubItems) {
    const int side = std::max(0, rc.Height() - 3);
    const CRect box(rc.left + 3, rc.top + 1, rc.left + 3 + side, rc.top + 1 + side);
    // A flat check box: a frame, and a tick when checked.
    if (own) {
      dc->FillSolidRect(box, kWindow);
      dc->Rectangle(&box);
      if (cat->checked) {
        dc->MoveTo(box.left + 2, box.top + side / 2);
        dc->LineTo(box.left + side / 2, box.bottom - 3);
        dc->LineTo(box.right - 2, box.top + 2);
      }
    }
    textLeft = box.right + 3;
  }
  CString text;
  GetText(row, text);
  dc->SetTextColor(!enabled ? kGrayText : selected ? kHighlightText : kWindowText);
  dc->SetBkMode(TRANSPARENT);
  dc->TextOut(textLeft, rc.top + 1, text.GetString(), text.GetLength());
  if ((dis->itemState & ODS_FOCUS) && CWnd::GetFocus() == this) {
    CRect focus = rc;
    dc->Rectangle(&focus);
  }
}

void CCatListBox::Toggle(int row) {
  Category* cat = RecordAt(row);
  if (!cat) return;
  if (cat->row == row) {
    cat->checked = !cat->checked;
    Repaint();
    AfxNotifyCommand(m_hWnd, CLBN_CHKCHANGE);
  }
}

void CCatListBox::OnLButtonDown(UINT, CPoint point) {
  BOOL outside = FALSE;
  const int row = int(ItemFromPoint(point, outside));
  if (!outside && row >= 0 && row < GetCount() && CheckBoxRect(row).PtInRect(point)) {
    SetCurSel(row);
    m_nLastClick = row;
    Toggle(row);
  } else {
    m_nLastClick = -1;
  }
  Default();
}

void CCatListBox::OnKeyDown(UINT nChar, UINT, UINT) {
  if (nChar == kSpace) {
    const int row = GetCurSel();
    if (Category* cat = RecordAt(row)) {
      if (cat->row == row) {
        Toggle(row);
      } else if (m_bSubItems) {
        const int sub = row - cat->row - 1;
        if (sub >= 0 && sub < int(cat->subItems.size())) {
          cat->subItems[size_t(sub)] = !cat->subItems[size_t(sub)];
          Repaint();
        }
      }
    }
  }
  Default();
}
