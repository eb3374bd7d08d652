#include "platform/panlet/KxPropertySheet.h"

#include "platform/afx/DialogTemplate.h"
#include "platform/win/MessageBox.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CKxPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CKxPropertySheet, CDialog)

namespace {
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75, kButtonHeight = 23;
}  // namespace

CKxPropertyPage::~CKxPropertyPage() {
  if (m_pSheet) m_pSheet->RemovePage(this);
}

void CKxPropertyPage::InitParam() { UpdateData(FALSE); }
int CKxPropertyPage::Ok() { return UpdateData(TRUE) ? 0 : -1; }
void CKxPropertyPage::Cancel() {}

BOOL CKxPropertyPage::OnInitDialog() {
  InitParam();
  return TRUE;
}

BOOL CKxPropertyPage::PreTranslateMessage(MSG* pMsg) {
  // Enter and Escape belong to the sheet.
  return CWnd::PreTranslateMessage(pMsg);
}

CKxPropertySheet::CKxPropertySheet(LPCWSTR lpszCaption, CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_strCaption(lpszCaption ? lpszCaption : L"") {}

CKxPropertySheet::~CKxPropertySheet() {
  DestroyPages();
  DestroyAll();
  for (Entry& e : m_entries) e.page->m_pSheet = nullptr;
}

BOOL CKxPropertySheet::AddRoot(CKxPropertyPage* pPage, LPCWSTR lpszTitle, UINT nIconID) {
  if (!pPage || m_hWnd) return FALSE;
  for (size_t i = m_hasRoot ? 1 : 0; i < m_entries.size(); ++i)
    if (m_entries[i].page == pPage) return FALSE;
  Entry e{pPage, lpszTitle ? lpszTitle : L"", nIconID};
  if (m_hasRoot) m_entries.front().page->m_pSheet = nullptr, m_entries.front() = e;
  else m_entries.insert(m_entries.begin(), e);
  m_hasRoot = true;
  pPage->m_pSheet = this;
  return TRUE;
}

BOOL CKxPropertySheet::AddPage(CKxPropertyPage* pPage, LPCWSTR lpszTitle, UINT nIconID) {
  if (!pPage || m_hWnd) return FALSE;
  for (const Entry& e : m_entries)
    if (e.page == pPage) return FALSE;
  m_entries.push_back(Entry{pPage, lpszTitle ? lpszTitle : L"", nIconID});
  pPage->m_pSheet = this;
  return TRUE;
}

CKxPropertyPage* CKxPropertySheet::GetPage(int nIndex) const {
  return nIndex >= 0 && nIndex < GetPageCount() ? m_entries[static_cast<size_t>(nIndex)].page : nullptr;
}

CString CKxPropertySheet::GetTitle(int nIndex) const {
  return nIndex >= 0 && nIndex < GetPageCount() ? m_entries[static_cast<size_t>(nIndex)].title : CString();
}

UINT CKxPropertySheet::GetIcon(int nIndex) const {
  return nIndex >= 0 && nIndex < GetPageCount() ? m_entries[static_cast<size_t>(nIndex)].icon : 0;
}

void CKxPropertySheet::InitParam() {
  for (Entry& e : m_entries)
    if (e.page->m_hWnd) e.page->InitParam();
}

void CKxPropertySheet::Light(int nIndex) {
  if (nIndex < 0 || (nIndex >= GetPageCount() && GetPageCount() > 0)) return;
  m_lit = nIndex;
  if (m_hWnd) ShowPage(nIndex);
}

BOOL CKxPropertySheet::CreateDialogWindow(CWnd* pParentWnd, bool modal) {
  if (m_hWnd || m_entries.empty()) return FALSE;
  int cx = 240, cy = 160;
  for (const Entry& e : m_entries)
    if (const AfxDialogTemplate* t = AfxFindDialogTemplate(e.page->GetTemplateID())) {
      cx = std::max(cx, t->cx);
      cy = std::max(cy, t->cy);
    }
  const int w = kListWidth + cx + 3 * kMargin, h = cy + 3 * kMargin + kButtonHeight;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  if (!modal) style |= WS_VISIBLE;
  if (!CWnd::Create(nullptr, m_strCaption.GetString(), style, RECT{0, 0, w, h}, pParentWnd, 0)) return FALSE;
  m_ok = std::make_unique<CButton>();
  m_cancel = std::make_unique<CButton>();
  const int by = h - kMargin - kButtonHeight;
  const DWORD bs = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  bool ok = m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY,
                          RECT{kMargin, kMargin, kMargin + kListWidth, kMargin + cy}, this, kPageListId) &&
            m_ok->Create(L"OK", bs | BS_DEFPUSHBUTTON,
                         RECT{w - 2 * (kButtonWidth + kMargin), by, w - 2 * (kButtonWidth + kMargin) + kButtonWidth,
                              by + kButtonHeight},
                         this, IDOK) &&
            m_cancel->Create(L"Cancel", bs,
                             RECT{w - (kButtonWidth + kMargin), by, w - kMargin, by + kButtonHeight}, this, IDCANCEL);
  // Pages under the root are indented in the list, as children of it.
  for (size_t i = 0; ok && i < m_entries.size(); ++i) {
    const bool child = m_hasRoot && i > 0;
    ok = m_list.AddString((child ? CString(L"    ") + m_entries[i].title : m_entries[i].title).GetString()) >= 0;
  }
  const RECT pageRect{2 * kMargin + kListWidth, kMargin, 2 * kMargin + kListWidth + cx, kMargin + cy};
  for (size_t i = 0; ok && i < m_entries.size(); ++i) {
    CKxPropertyPage* p = m_entries[i].page;
    p->m_pSheet = this;
    ok = p->CreateFromTemplate(p->GetTemplateID(), this, WS_CHILD, false);
    if (ok) {
      p->MoveWindow(&pageRect);
      p->ShowWindow(SW_HIDE);
    }
  }
  if (!ok) {
    DestroyPages();
    DestroyAll();
    return FALSE;
  }
  CenterWindow(pParentWnd);
  return TRUE;
}

BOOL CKxPropertySheet::OnInitDialog() {
  for (Entry& e : m_entries)
    if (e.page->m_hWnd) e.page->OnInitDialog();
  ShowPage(std::clamp(m_lit, 0, GetPageCount() - 1));
  return TRUE;
}

BOOL CKxPropertySheet::ShowPage(int nIndex) {
  CKxPropertyPage* p = GetPage(nIndex);
  if (!p || !p->m_hWnd) return FALSE;
  for (Entry& e : m_entries)
    if (e.page != p && e.page->m_hWnd) e.page->ShowWindow(SW_HIDE);
  p->ShowWindow(SW_SHOW);
  m_lit = nIndex;
  if (m_list.m_hWnd && m_list.GetCurSel() != nIndex) m_list.SetCurSel(nIndex);
  return TRUE;
}

void CKxPropertySheet::OnOK() {
  for (int i = 0; i < GetPageCount(); ++i) {
    CKxPropertyPage* p = GetPage(i);
    if (p->m_hWnd && p->Ok() != 0) {
      // The page said why; the user sees it to correct the value.
      ShowPage(i);
      return;
    }
  }
  EndDialog(IDOK);
}

void CKxPropertySheet::OnCancel() {
  for (Entry& e : m_entries)
    if (e.page->m_hWnd) e.page->Cancel();
  EndDialog(IDCANCEL);
}

BOOL CKxPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kPageListId && lParam) {
    if (HIWORD(wParam) == LBN_SELCHANGE) ShowPage(m_list.GetCurSel());
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CKxPropertySheet::RemovePage(CKxPropertyPage* pPage) {
  auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.page == pPage; });
  if (it == m_entries.end()) return;
  if (pPage->m_hWnd) pPage->DestroyAll();
  pPage->m_pSheet = nullptr;
  const int index = static_cast<int>(it - m_entries.begin());
  if (index == 0 && m_hasRoot) m_hasRoot = false;
  m_entries.erase(it);
  if (m_list.m_hWnd) m_list.DeleteString(static_cast<UINT>(index));
  if (m_lit >= GetPageCount()) m_lit = std::max(0, GetPageCount() - 1);
}

void CKxPropertySheet::DestroyPages() {
  for (Entry& e : m_entries)
    if (e.page->m_hWnd) e.page->DestroyAll();
}
