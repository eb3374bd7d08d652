#include "platform/afx/Control.h"

#include "platform/afx/Button.h"
#include "platform/afx/CommonCtrl.h"
#include "platform/afx/DC.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ListBox.h"
#include "platform/afx/ListCtrl.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CControlWnd, CWnd)

namespace {
std::unordered_map<HWND, std::unique_ptr<AfxControlState>>& States() {
  static std::unordered_map<HWND, std::unique_ptr<AfxControlState>> map;
  return map;
}
// The state of the control being created, adopted by its handle before WM_CREATE.
thread_local std::unique_ptr<AfxControlState> t_pending;
}  // namespace

AfxControlState* AfxGetControlState(HWND hWnd) {
  auto it = States().find(hWnd);
  return it == States().end() ? nullptr : it->second.get();
}

void AfxForgetControlState(HWND hWnd) { States().erase(hWnd); }

void AfxAdoptPendingControlState(HWND hWnd) {
  if (t_pending && hWnd) States()[hWnd] = std::move(t_pending);
  t_pending.reset();
}

BOOL AfxCreateControl(CWnd* pWnd, LPCWSTR lpszClass, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID) {
  if (!pWnd || !lpszClass) return FALSE;
  // The state exists before WM_CREATE, so that creation handlers can fill the control.
  auto state = std::make_unique<AfxControlState>();
  state->cls = lpszClass;
  state->style = dwStyle;
  if (state->cls == kListViewClass) state->itemHeight = CListCtrl::kRowHeight;
  t_pending = std::move(state);
  const BOOL ok = pWnd->CWnd::Create(lpszClass, lpszText, dwStyle, rect, pParentWnd, nID, nullptr);
  t_pending.reset();
  if (!ok) return FALSE;
  velmora::win::Backend().ControlChanged(pWnd->m_hWnd);
  return TRUE;
}

CWnd* AfxNewControlObject(LPCWSTR lpszClass) {
  const std::wstring c = lpszClass ? lpszClass : L"";
  if (c == kStaticClass) return new CStatic;
  if (c == kButtonClass) return new CButton;
  if (c == kEditClass) return new CEdit;
  if (c == kRichEditClass) return new CRichEditCtrl;
  if (c == kComboBoxClass) return new CComboBox;
  if (c == kListBoxClass) return new CListBox;
  if (c == kListViewClass) return new CListCtrl;
  if (c == kTabControlClass) return new CTabCtrl;
  if (c == kTrackBarClass) return new CSliderCtrl;
  return new CWnd;
}

void AfxNotifyCommand(HWND hCtrl, int nCode) {
  CWnd* w = CWnd::FromHandle(hCtrl);
  if (!w) return;
  CWnd* parent = w->GetParent();
  if (!parent || !parent->m_hWnd) return;
  parent->SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(w->GetDlgCtrlID()), static_cast<WORD>(nCode)),
                      reinterpret_cast<LPARAM>(hCtrl));
}

LRESULT AfxNotifyParent(HWND hCtrl, NMHDR* pHdr, UINT nCode) {
  CWnd* w = CWnd::FromHandle(hCtrl);
  if (!w || !pHdr) return 0;
  pHdr->hwndFrom = hCtrl;
  pHdr->idFrom = w->GetDlgCtrlID();
  pHdr->code = nCode;
  CWnd* parent = w->GetParent();
  if (!parent || !parent->m_hWnd) return 0;
  return parent->SendMessage(WM_NOTIFY, pHdr->idFrom, reinterpret_cast<LPARAM>(pHdr));
}

void CControlWnd::Changed() const {
  if (m_hWnd) velmora::win::Backend().ControlChanged(m_hWnd);
}

LRESULT CControlWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return CWnd::DefWindowProc(message, wParam, lParam);
  PAINTSTRUCT ps;
  const HDC hdc = ::BeginPaint(m_hWnd, &ps);
  if (hdc) DrawRows(CDC::FromHandle(hdc));
  ::EndPaint(m_hWnd, &ps);
  return 0;
}

namespace {
// Radio buttons of the group the button belongs to: from the group's first control (WS_GROUP,
// or the parent's first child) up to the next control that starts a group.
std::vector<CWnd*> RadioGroup(CWnd* button) {
  std::vector<CWnd*> group;
  CWnd* parent = button ? button->GetParent() : nullptr;
  if (!parent) return group;
  std::vector<CWnd*> run;
  bool found = false;
  for (CWnd* w : parent->GetChildren()) {
    if (w->GetStyle() & WS_GROUP) {
      if (found) break;
      run.clear();
    }
    run.push_back(w);
    if (w == button) found = true;
  }
  if (!found) return group;
  for (CWnd* w : run) {
    const AfxControlState* s = AfxGetControlState(w->m_hWnd);
    if (!s || s->cls != kButtonClass) continue;
    const DWORD kind = s->style & BS_TYPEMASK;
    if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) group.push_back(w);
  }
  return group;
}

bool Usable(HWND h) { return ::IsWindow(h) && ::IsWindowEnabled(h); }
}  // namespace

BOOL AfxUserClick(HWND hCtrl) {
  AfxControlState* s = AfxGetControlState(hCtrl);
  if (!s || s->cls != kButtonClass || !Usable(hCtrl)) return FALSE;
  CWnd* w = CWnd::FromHandle(hCtrl);
  switch (s->style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX: s->check = s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: s->check = (s->check + 1) % 3; break;
    case BS_AUTORADIOBUTTON:
      for (CWnd* r : RadioGroup(w)) {
        if (AfxControlState* rs = AfxGetControlState(r->m_hWnd)) {
          const int want = r == w ? BST_CHECKED : BST_UNCHECKED;
          if (rs->check != want) {
            rs->check = want;
            velmora::win::Backend().ControlChanged(r->m_hWnd);
          }
        }
      }
      break;
    case BS_GROUPBOX: return FALSE;
    default: break;  // push buttons and plain check boxes: the parent decides
  }
  velmora::win::Backend().ControlChanged(hCtrl);
  AfxNotifyCommand(hCtrl, BN_CLICKED);
  return TRUE;
}

BOOL AfxUserEditText(HWND hCtrl, LPCWSTR lpszText) {
  AfxControlState* s = AfxGetControlState(hCtrl);
  if (!s || !Usable(hCtrl)) return FALSE;
  const bool edit = s->cls == kEditClass || s->cls == kRichEditClass;
  const bool combo = s->cls == kComboBoxClass && (s->style & 0x3) != CBS_DROPDOWNLIST;
  if (!edit && !combo) return FALSE;
  if (edit && (s->style & ES_READONLY)) return FALSE;
  std::wstring text = lpszText ? lpszText : L"";
  if (auto* e = dynamic_cast<CEdit*>(CWnd::FromHandle(hCtrl))) {
    CString filtered = text.c_str();
    e->FilterUserText(filtered);
    text = filtered.GetString();
    if (!(s = AfxGetControlState(hCtrl))) return FALSE;
  }
  if (edit && (s->style & ES_NUMBER)) {
    std::wstring digits;
    for (wchar_t c : text)
      if (c >= L'0' && c <= L'9') digits += c;
    text = digits;
  }
  bool cut = false;
  if (s->limit && text.size() > s->limit) {
    text.resize(s->limit);
    cut = true;
  }
  ::SetWindowTextW(hCtrl, text.c_str());
  if (AfxControlState* again = AfxGetControlState(hCtrl)) {
    again->selStart = again->selEnd = static_cast<int>(text.size());
    again->modified = true;
  }
  velmora::win::Backend().ControlChanged(hCtrl);
  if (edit) {
    if (cut) AfxNotifyCommand(hCtrl, EN_MAXTEXT);
    AfxNotifyCommand(hCtrl, EN_UPDATE);
    AfxNotifyCommand(hCtrl, EN_CHANGE);
  } else {
    AfxNotifyCommand(hCtrl, CBN_EDITUPDATE);
    AfxNotifyCommand(hCtrl, CBN_EDITCHANGE);
  }
  return TRUE;
}

BOOL AfxUserSelect(HWND hCtrl, int nIndex) {
  AfxControlState* s = AfxGetControlState(hCtrl);
  if (!s || !Usable(hCtrl)) return FALSE;
  const int count = static_cast<int>(s->items.size());
  if (nIndex < 0 || nIndex >= count) return FALSE;
  if (s->cls == kListBoxClass) {
    if (s->style & LBS_NOSEL) return FALSE;
    s->cur = nIndex;
    for (int i = 0; i < count; ++i) s->items[i].selected = i == nIndex;
    velmora::win::Backend().ControlChanged(hCtrl);
    if (s->style & LBS_NOTIFY) AfxNotifyCommand(hCtrl, LBN_SELCHANGE);
    return TRUE;
  }
  if (s->cls == kComboBoxClass) {
    s->cur = nIndex;
    ::SetWindowTextW(hCtrl, s->items[nIndex].text.GetString());
    velmora::win::Backend().ControlChanged(hCtrl);
    AfxNotifyCommand(hCtrl, CBN_SELCHANGE);
    AfxNotifyCommand(hCtrl, CBN_SELENDOK);
    return TRUE;
  }
  if (s->cls == kTabControlClass) {
    if (s->cur == nIndex) return TRUE;
    NMHDR hdr{};
    if (AfxNotifyParent(hCtrl, &hdr, TCN_SELCHANGING)) return FALSE;  // the parent refused
    s = AfxGetControlState(hCtrl);
    if (!s) return FALSE;
    s->cur = nIndex;
    velmora::win::Backend().ControlChanged(hCtrl);
    NMHDR done{};
    AfxNotifyParent(hCtrl, &done, TCN_SELCHANGE);
    return TRUE;
  }
  if (s->cls == kListViewClass) {
    auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandle(hCtrl));
    if (!list) return FALSE;
    // A click selects one row, whatever the selection style.
    for (int i = 0; i < count; ++i)
      if (i != nIndex && s->items[i].selected) list->SetItemState(i, 0, LVIS_SELECTED);
    list->SetItemState(nIndex, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
  }
  return FALSE;
}

BOOL AfxUserSetPos(HWND hCtrl, int nPos) {
  AfxControlState* s = AfxGetControlState(hCtrl);
  if (!s || !Usable(hCtrl) || (s->cls != kTrackBarClass && s->cls != kUpDownClass)) return FALSE;
  s->pos = std::clamp(nPos, std::min(s->rangeMin, s->rangeMax), std::max(s->rangeMin, s->rangeMax));
  velmora::win::Backend().ControlChanged(hCtrl);
  CWnd* w = CWnd::FromHandle(hCtrl);
  CWnd* parent = w ? w->GetParent() : nullptr;
  if (parent && parent->m_hWnd) {
    const UINT msg = (s->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    parent->SendMessage(msg, MAKELONG(static_cast<WORD>(SB_THUMBPOSITION), static_cast<WORD>(s->pos)),
                        reinterpret_cast<LPARAM>(hCtrl));
  }
  return TRUE;
}
