#include "platform/afx/ListBox.h"

#include "platform/afx/DC.h"

#include <algorithm>
#include <cwctype>

IMPLEMENT_DYNAMIC(CListBox, CControlWnd)
IMPLEMENT_DYNAMIC(CComboBox, CControlWnd)

namespace {
// Case-insensitive order, as sorted lists use.
int CompareNoCase(const CString& a, const CString& b) {
  const int n = std::min(a.GetLength(), b.GetLength());
  for (int i = 0; i < n; ++i) {
    const wint_t x = std::towlower(static_cast<wint_t>(a[i])), y = std::towlower(static_cast<wint_t>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.GetLength() == b.GetLength() ? 0 : a.GetLength() < b.GetLength() ? -1 : 1;
}


int Insert(AfxControlState* s, int nIndex, LPCWSTR text) {
  if (!s) return LB_ERR;
  const int count = static_cast<int>(s->items.size());
  if (nIndex < -1 || nIndex > count) return LB_ERR;
  const int at = nIndex == -1 ? count : nIndex;
  AfxControlItem item;
  item.text = text ? text : L"";
  s->items.insert(s->items.begin() + at, std::move(item));
  if (s->cur >= at) ++s->cur;
  return at;
}

int Delete(AfxControlState* s, UINT nIndex) {
  if (!AfxItemInRange(s, static_cast<int>(nIndex))) return LB_ERR;
  const int i = static_cast<int>(nIndex);
  s->items.erase(s->items.begin() + i);
  if (s->cur == i) s->cur = -1;
  else if (s->cur > i) --s->cur;
  s->top = std::clamp(s->top, 0, std::max(0, static_cast<int>(s->items.size()) - 1));
  return static_cast<int>(s->items.size());
}

int FindExact(const AfxControlState* s, int nStartAfter, LPCWSTR find) {
  if (!s || !find) return LB_ERR;
  const int count = static_cast<int>(s->items.size());
  const CString f = find;
  // The search wraps round to the entries before the start.
  for (int k = 1; k <= count; ++k) {
    const int i = ((nStartAfter < 0 ? -1 : nStartAfter) + k) % count;
    if (CompareNoCase(s->items[i].text, f) == 0) return i;
  }
  return LB_ERR;
}
}  // namespace

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kListBoxClass, L"", dwStyle, rect, pParentWnd, nID);
}

bool CListBox::OwnerDrawn() const { return (GetStyle() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

int CListBox::GetCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->items.size()) : LB_ERR;
}

int CListBox::AddString(LPCWSTR lpszItem) {
  AfxControlState* s = State();
  if (!s) return LB_ERR;
  int at = -1;
  const bool strings = !OwnerDrawn() || (GetStyle() & LBS_HASSTRINGS);
  const DWORD_PTR data = strings ? 0 : reinterpret_cast<DWORD_PTR>(lpszItem);
  if (GetStyle() & LBS_SORT) {
    const int count = static_cast<int>(s->items.size());
    at = count;
    for (int i = 0; i < count; ++i) {
      int order;
      if (strings) {
        order = CompareNoCase(lpszItem ? lpszItem : L"", s->items[i].text);
      } else {
        COMPAREITEMSTRUCT c{ODT_LISTBOX, GetDlgCtrlID(), m_hWnd, static_cast<UINT>(-1), data, static_cast<UINT>(i),
                            s->items[i].data};
        order = CompareItem(&c);
        s = State();
        if (!s) return LB_ERR;
      }
      if (order < 0) {
        at = i;
        break;
      }
    }
  }
  // Without strings the pointer is the entry's data and is never read as text.
  const int r = Insert(s, at, strings ? lpszItem : nullptr);
  if (r >= 0 && !strings) s->items[r].data = data;
  if (r >= 0 && (GetStyle() & LBS_OWNERDRAWVARIABLE)) {
    MEASUREITEMSTRUCT m{ODT_LISTBOX, GetDlgCtrlID(), static_cast<UINT>(r), 0, static_cast<UINT>(s->itemHeight), data};
    MeasureItem(&m);
    if ((s = State()) && AfxItemInRange(s, r)) s->items[r].itemHeight = m.itemHeight;
  }
  Changed();
  return r;
}

int CListBox::InsertString(int nIndex, LPCWSTR lpszItem) {
  AfxControlState* s = State();
  const bool strings = !OwnerDrawn() || (GetStyle() & LBS_HASSTRINGS);
  const int r = Insert(s, nIndex, strings ? lpszItem : nullptr);
  if (r < 0) return r;
  if (!strings) s->items[r].data = reinterpret_cast<DWORD_PTR>(lpszItem);
  Changed();
  return r;
}

int CListBox::DeleteString(UINT nIndex) {
  const int r = Delete(State(), nIndex);
  if (r >= 0) Changed();
  return r;
}

void CListBox::ResetContent() {
  if (AfxControlState* s = State()) {
    s->items.clear();
    s->cur = -1;
    s->top = 0;
    Changed();
  }
}

int CListBox::GetText(int nIndex, CString& rString) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return LB_ERR;
  rString = s->items[nIndex].text;
  return rString.GetLength();
}

int CListBox::GetTextLen(int nIndex) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nIndex) ? s->items[nIndex].text.GetLength() : LB_ERR;
}

int CListBox::FindStringExact(int nStartAfter, LPCWSTR lpszFind) const { return FindExact(State(), nStartAfter, lpszFind); }

DWORD_PTR CListBox::GetItemData(int nIndex) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nIndex) ? s->items[nIndex].data : static_cast<DWORD_PTR>(LB_ERR);
}

int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return LB_ERR;
  s->items[nIndex].data = dwItemData;
  Changed();
  return 0;
}

void* CListBox::GetItemDataPtr(int nIndex) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nIndex) ? reinterpret_cast<void*>(s->items[nIndex].data) : reinterpret_cast<void*>(-1);
}

int CListBox::GetCurSel() const {
  const AfxControlState* s = State();
  return s && !(s->style & LBS_NOSEL) ? s->cur : LB_ERR;
}

int CListBox::SetCurSel(int nSelect) {
  AfxControlState* s = State();
  if (!s || (s->style & LBS_NOSEL)) return LB_ERR;
  if (nSelect != -1 && !AfxItemInRange(s, nSelect)) return LB_ERR;
  s->cur = nSelect;
  for (int i = 0; i < static_cast<int>(s->items.size()); ++i) s->items[i].selected = i == nSelect;
  Changed();
  return nSelect;
}

int CListBox::GetSel(int nIndex) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return LB_ERR;
  return s->cur == nIndex && !(s->style & LBS_NOSEL) ? 1 : 0;
}

int CListBox::GetTopIndex() const {
  const AfxControlState* s = State();
  return s ? s->top : LB_ERR;
}

int CListBox::SetTopIndex(int nIndex) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return LB_ERR;
  s->top = nIndex;
  Changed();
  return 0;
}

int CListBox::GetItemHeight(int nIndex) const {
  const AfxControlState* s = State();
  if (!s) return LB_ERR;
  if (AfxItemInRange(s, nIndex) && s->items[nIndex].itemHeight) return static_cast<int>(s->items[nIndex].itemHeight);
  return s->itemHeight;
}

int CListBox::SetItemHeight(int nIndex, UINT cyItemHeight) {
  AfxControlState* s = State();
  if (!s || cyItemHeight == 0 || cyItemHeight > 255) return LB_ERR;
  if ((s->style & LBS_OWNERDRAWVARIABLE) && AfxItemInRange(s, nIndex))
    s->items[nIndex].itemHeight = cyItemHeight;
  else
    s->itemHeight = static_cast<int>(cyItemHeight);
  Changed();
  return 0;
}

int CListBox::GetItemRect(int nIndex, LPRECT lpRect) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex) || !lpRect) return LB_ERR;
  CRect client;
  GetClientRect(&client);
  int y = 0;
  if (nIndex >= s->top) {
    for (int i = s->top; i < nIndex; ++i) y += GetItemHeight(i);
  } else {
    for (int i = nIndex; i < s->top; ++i) y -= GetItemHeight(i);
  }
  *lpRect = RECT{0, y, client.Width(), y + GetItemHeight(nIndex)};
  return 0;
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL& bOutside) const {
  const AfxControlState* s = State();
  bOutside = TRUE;
  if (!s || s->items.empty()) return 0xFFFF;
  CRect client;
  GetClientRect(&client);
  int y = 0;
  const int count = static_cast<int>(s->items.size());
  for (int i = s->top; i < count; ++i) {
    const int h = GetItemHeight(i);
    if (pt.y >= y && pt.y < y + h) {
      bOutside = pt.x < 0 || pt.x >= client.Width();
      return static_cast<UINT>(i);
    }
    y += h;
  }
  return static_cast<UINT>(count - 1);
}

void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CListBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }

void CListBox::DrawRows(CDC* pDC) {
  AfxControlState* s = State();
  if (!s || !pDC) return;
  CRect client;
  GetClientRect(&client);
  const bool owner = OwnerDrawn();
  const bool focused = ::GetFocus() == m_hWnd;
  for (int i = s->top; (s = State()) && i < static_cast<int>(s->items.size()); ++i) {
    RECT r;
    GetItemRect(i, &r);
    if (r.top >= client.Height()) break;
    const bool sel = s->cur == i && !(s->style & LBS_NOSEL);
    if (owner) {
      UINT state = 0;
      if (sel) state |= ODS_SELECTED;
      if (!IsWindowEnabled()) state |= ODS_DISABLED;
      if (focused && s->cur == i) state |= ODS_FOCUS;
      DRAWITEMSTRUCT d{ODT_LISTBOX, GetDlgCtrlID(), static_cast<UINT>(i), ODA_DRAWENTIRE, state, m_hWnd,
                       pDC->GetSafeHdc(), r, s->items[i].data};
      DrawItem(&d);
    } else {
      pDC->FillSolidRect(r, sel ? RGB(0, 120, 215) : RGB(255, 255, 255));
      const COLORREF old = pDC->SetTextColor(sel ? RGB(255, 255, 255) : RGB(0, 0, 0));
      pDC->TextOut(r.left + 2, r.top + 1, s->items[i].text.GetString());
      pDC->SetTextColor(old);
    }
  }
}

LRESULT CListBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      BOOL outside = TRUE;
      const UINT i = ItemFromPoint(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), outside);
      if (!outside) AfxUserSelect(m_hWnd, static_cast<int>(i));
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (GetStyle() & LBS_NOTIFY) AfxNotifyCommand(m_hWnd, LBN_DBLCLK);
      return 0;
    default: return CControlWnd::DefWindowProc(message, wParam, lParam);
  }
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(kComboBoxClass, L"", dwStyle, rect, pParentWnd, nID);
}

int CComboBox::GetCount() const {
  const AfxControlState* s = State();
  return s ? static_cast<int>(s->items.size()) : CB_ERR;
}

int CComboBox::AddString(LPCWSTR lpszString) {
  AfxControlState* s = State();
  if (!s) return CB_ERR;
  int at = -1;
  if (GetStyle() & CBS_SORT) {
    at = static_cast<int>(s->items.size());
    for (int i = 0; i < static_cast<int>(s->items.size()); ++i)
      if (CompareNoCase(lpszString ? lpszString : L"", s->items[i].text) < 0) {
        at = i;
        break;
      }
  }
  const int r = Insert(s, at, lpszString);
  if (r >= 0) Changed();
  return r;
}

int CComboBox::InsertString(int nIndex, LPCWSTR lpszString) {
  const int r = Insert(State(), nIndex, lpszString);
  if (r >= 0) Changed();
  return r;
}

int CComboBox::DeleteString(UINT nIndex) {
  const int r = Delete(State(), nIndex);
  if (r >= 0) Changed();
  return r;
}

void CComboBox::ResetContent() {
  if (AfxControlState* s = State()) {
    s->items.clear();
    s->cur = -1;
    if (!Editable()) SetWindowText(L"");
    Changed();
  }
}

int CComboBox::GetLBText(int nIndex, CString& rString) const {
  const AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return CB_ERR;
  rString = s->items[nIndex].text;
  return rString.GetLength();
}

int CComboBox::GetLBTextLen(int nIndex) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nIndex) ? s->items[nIndex].text.GetLength() : CB_ERR;
}

int CComboBox::FindStringExact(int nIndexStart, LPCWSTR lpszFind) const { return FindExact(State(), nIndexStart, lpszFind); }

DWORD_PTR CComboBox::GetItemData(int nIndex) const {
  const AfxControlState* s = State();
  return AfxItemInRange(s, nIndex) ? s->items[nIndex].data : static_cast<DWORD_PTR>(CB_ERR);
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  AfxControlState* s = State();
  if (!AfxItemInRange(s, nIndex)) return CB_ERR;
  s->items[nIndex].data = dwItemData;
  return 0;
}

int CComboBox::GetCurSel() const {
  const AfxControlState* s = State();
  return s ? s->cur : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
  AfxControlState* s = State();
  if (!s) return CB_ERR;
  if (nSelect != -1 && !AfxItemInRange(s, nSelect)) return CB_ERR;
  s->cur = nSelect;
  SetWindowText(nSelect == -1 ? L"" : s->items[nSelect].text.GetString());
  Changed();
  return nSelect;
}

BOOL CComboBox::SetEditSel(int nStartChar, int nEndChar) {
  AfxControlState* s = State();
  if (!s || !Editable()) return FALSE;
  const int len = GetWindowTextLength();
  s->selStart = nStartChar < 0 ? len : std::min(nStartChar, len);
  s->selEnd = nEndChar < 0 ? len : std::min(nEndChar, len);
  Changed();
  return TRUE;
}

DWORD CComboBox::GetEditSel() const {
  const AfxControlState* s = State();
  return s ? MAKELONG(static_cast<WORD>(s->selStart), static_cast<WORD>(s->selEnd)) : 0;
}

void CComboBox::LimitText(int nMaxChars) {
  if (AfxControlState* s = State()) s->limit = nMaxChars > 0 ? static_cast<UINT>(nMaxChars) : 0;
}

LRESULT CComboBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS: AfxNotifyCommand(m_hWnd, CBN_SETFOCUS); return 0;
    case WM_KILLFOCUS: AfxNotifyCommand(m_hWnd, CBN_KILLFOCUS); return 0;
    default: return CControlWnd::DefWindowProc(message, wParam, lParam);
  }
}
