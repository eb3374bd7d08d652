#include "platform/afx/PropertySheet.h"

#include "platform/afx/Button.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/win/MessageBox.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CDialog)

namespace {
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75, kButtonHeight = 23;
constexpr int kInset = 4;  // pages sit this far inside the tab control's display area
}  // namespace

CPropertyPage::CPropertyPage(UINT nIDTemplate, LPCWSTR lpszCaption) : CDialog(nIDTemplate, nullptr) {
  if (lpszCaption) {
    m_strCaption = lpszCaption;
  } else if (const AfxDialogTemplate* t = AfxFindDialogTemplate(nIDTemplate)) {
    m_strCaption = t->caption;
  }
}

CPropertyPage::~CPropertyPage() {
  if (m_pSheet) m_pSheet->RemovePage(this);
}

BOOL CPropertyPage::OnSetActive() {
  if (!m_bShown) {
    m_bShown = TRUE;
    return TRUE;  // OnInitDialog has just shown the members
  }
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply() {
  OnOK();
  return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

void CPropertyPage::SetModified(BOOL bChanged) {
  m_bModified = bChanged;
  if (m_pSheet) m_pSheet->PageModified();
}

BOOL CPropertyPage::PreTranslateMessage(MSG* pMsg) {
  // Enter, Escape and Tab belong to the sheet.
  return CWnd::PreTranslateMessage(pMsg);
}

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CDialog(0, pParentWnd), m_strCaption(pszCaption ? pszCaption : L""), m_nSelect(iSelectPage) {}

CPropertySheet::~CPropertySheet() {
  // The pages' windows are children of the sheet's: they go first, the pages stay the owner's.
  for (CPropertyPage* p : m_pages) {
    if (p->m_hWnd) p->DestroyAll();
    p->m_pSheet = nullptr;
  }
  DestroyAll();
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
  if (!pPage || GetPageIndex(pPage) >= 0) return;
  pPage->m_pSheet = this;
  m_pages.push_back(pPage);
  if (m_tab.m_hWnd) m_tab.InsertItem(GetPageCount() - 1, pPage->GetCaption().GetString());
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) { RemovePage(GetPageIndex(pPage)); }

void CPropertySheet::RemovePage(int nPage) {
  CPropertyPage* p = GetPage(nPage);
  if (!p) return;
  if (p->m_hWnd) p->DestroyAll();
  p->m_pSheet = nullptr;
  p->m_bShown = FALSE;
  m_pages.erase(m_pages.begin() + nPage);
  if (m_tab.m_hWnd) m_tab.DeleteItem(nPage);
  if (m_active == nPage) {
    m_active = -1;
    if (m_hWnd && !m_pages.empty()) ShowPage(std::min(nPage, GetPageCount() - 1));
  } else if (m_active > nPage) {
    --m_active;
  }
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
  return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
  auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
  return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

void CPropertySheet::SetTitle(LPCWSTR lpszText) {
  m_strCaption = lpszText ? lpszText : L"";
  if (m_hWnd) SetWindowText(m_strCaption.GetString());
}

CRect CPropertySheet::PageRect() const {
  CRect r;
  if (!m_tab.m_hWnd) return r;
  m_tab.GetWindowRect(&r);
  ScreenToClient(&r);
  m_tab.AdjustRect(FALSE, &r);
  r.DeflateRect(kInset, kInset);
  return r;
}

BOOL CPropertySheet::CreateDialogWindow(CWnd* pParentWnd, bool modal) {
  if (m_hWnd) return FALSE;
  int cx = 200, cy = 100;
  for (CPropertyPage* p : m_pages)
    if (const AfxDialogTemplate* t = AfxFindDialogTemplate(p->GetTemplateID())) {
      cx = std::max(cx, t->cx);
      cy = std::max(cy, t->cy);
    }
  const int tabW = cx + 2 * kInset, tabH = cy + CTabCtrl::kTabHeight + 2 * kInset;
  const int w = tabW + 2 * kMargin, h = tabH + 3 * kMargin + kButtonHeight;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  if (!modal) style |= WS_VISIBLE;
  if (!CWnd::Create(nullptr, m_strCaption.GetString(), style, RECT{0, 0, w, h}, pParentWnd, 0)) return FALSE;
  m_ok = std::make_unique<CButton>();
  m_cancel = std::make_unique<CButton>();
  m_apply = std::make_unique<CButton>();
  const int by = h - kMargin - kButtonHeight;
  auto at = [&](int k) { return RECT{w - k * (kButtonWidth + kMargin), by, w - k * (kButtonWidth + kMargin) + kButtonWidth, by + kButtonHeight}; };
  const DWORD bs = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (!m_tab.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{kMargin, kMargin, kMargin + tabW, kMargin + tabH}, this,
                    AFX_IDC_TAB_CONTROL) ||
      !m_ok->Create(L"OK", bs | BS_DEFPUSHBUTTON, at(3), this, IDOK) ||
      !m_cancel->Create(L"Cancel", bs, at(2), this, IDCANCEL) ||
      !m_apply->Create(L"&Apply", bs | WS_DISABLED, at(1), this, ID_APPLY_NOW)) {
    DestroyAll();
    return FALSE;
  }
  for (int i = 0; i < GetPageCount(); ++i) m_tab.InsertItem(i, m_pages[static_cast<size_t>(i)]->GetCaption().GetString());
  CenterWindow(pParentWnd);
  return TRUE;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD) {
  m_pParentWnd = pParentWnd;
  if (!CreateDialogWindow(pParentWnd, false)) return FALSE;
  OnInitDialog();
  return m_hWnd != nullptr;
}

BOOL CPropertySheet::OnInitDialog() {
  m_active = -1;
  if (!m_pages.empty()) {
    const int first = static_cast<int>(std::min<size_t>(m_nSelect, m_pages.size() - 1));
    if (!ShowPage(first) && first != 0) ShowPage(0);
  }
  return TRUE;
}

BOOL CPropertySheet::ShowPage(int nPage) {
  CPropertyPage* p = GetPage(nPage);
  if (!p || !m_hWnd) return FALSE;
  if (!p->m_hWnd) {
    p->m_pSheet = this;
    if (!p->CreateFromTemplate(p->GetTemplateID(), this, WS_CHILD, false)) return FALSE;
    const CRect r = PageRect();
    p->MoveWindow(&r);
    p->OnInitDialog();
    if (!p->m_hWnd) return FALSE;
  }
  if (!p->OnSetActive()) return FALSE;
  for (CPropertyPage* other : m_pages)
    if (other != p && other->m_hWnd) other->ShowWindow(SW_HIDE);
  p->ShowWindow(SW_SHOW);
  m_active = nPage;
  if (m_tab.m_hWnd && m_tab.GetCurSel() != nPage) m_tab.SetCurSel(nPage);
  return TRUE;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
  if (!GetPage(nPage)) return FALSE;
  if (!m_hWnd) {
    m_nSelect = static_cast<UINT>(nPage);
    return TRUE;
  }
  if (nPage == m_active) return TRUE;
  if (CPropertyPage* cur = GetActivePage(); cur && !cur->OnKillActive()) return FALSE;
  const int old = m_active;
  if (ShowPage(nPage)) return TRUE;
  if (old >= 0) ShowPage(old);
  return FALSE;
}

BOOL CPropertySheet::Apply() {
  if (CPropertyPage* cur = GetActivePage(); cur && !cur->OnKillActive()) return FALSE;
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) {
      if (!p->OnApply()) return FALSE;
      p->m_bModified = FALSE;
    }
  PageModified();
  return TRUE;
}

void CPropertySheet::PageModified() {
  if (!m_apply || !m_apply->m_hWnd) return;
  const bool any = std::any_of(m_pages.begin(), m_pages.end(), [](const CPropertyPage* p) { return p->m_bModified; });
  m_apply->EnableWindow(any);
}

void CPropertySheet::OnOK() {
  if (Apply()) EndDialog(IDOK);
}

void CPropertySheet::OnCancel() {
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnReset();
  EndDialog(IDCANCEL);
}

BOOL CPropertySheet::PressButton(int nButton) {
  switch (nButton) {
    case PSBTN_OK: OnOK(); return TRUE;
    case PSBTN_CANCEL: OnCancel(); return TRUE;
    case PSBTN_APPLYNOW: return Apply();
    default: return FALSE;
  }
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == ID_APPLY_NOW && HIWORD(wParam) == BN_CLICKED) {
    Apply();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && m_tab.m_hWnd && hdr->hwndFrom == m_tab.m_hWnd) {
    if (hdr->code == TCN_SELCHANGING) {
      // A page that refuses its values keeps the tab where it is.
      CPropertyPage* cur = GetActivePage();
      if (pResult) *pResult = cur && !cur->OnKillActive() ? TRUE : FALSE;
      return TRUE;
    }
    if (hdr->code == TCN_SELCHANGE) {
      const int want = m_tab.GetCurSel();
      if (!ShowPage(want) && m_active >= 0) m_tab.SetCurSel(m_active);
      if (pResult) *pResult = 0;
      return TRUE;
    }
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}
