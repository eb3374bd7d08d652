#include "velmora/commands/ListCellEdit.h"

#include "platform/afx/ListCtrl.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CListCellEdit, CEdit)

BEGIN_MESSAGE_MAP(CListCellEdit, CEdit)
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

namespace {
// Text width estimate for widening the editor as the user types.
constexpr int kCharWidth = 7;
}  // namespace

CListCellEdit::CListCellEdit(int row, int column, const CString& text)
    : m_nRow(row), m_nColumn(column), m_strInit(text) {}

BOOL CListCellEdit::Start(CListCtrl* pList, const CRect& rect, DWORD align, UINT nID) {
  if (!pList || !pList->GetSafeHwnd()) return FALSE;
  m_pList = pList;
  if (!Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | align, rect, pList, nID)) return FALSE;
  SetWindowText(m_strInit);
  SetFocus();
  SetSel(0, -1);
  return TRUE;
}

BOOL CListCellEdit::PreTranslateMessage(MSG* pMsg) {
  // Enter, Delete, Escape and Ctrl shortcuts belong to the editor, not to the dialog around it.
  if (pMsg->message == WM_KEYDOWN &&
      (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_DELETE || pMsg->wParam == VK_ESCAPE ||
       (::GetKeyState(VK_CONTROL) & 0x8000))) {
    ::DispatchMessageW(pMsg);
    return TRUE;
  }
  return CEdit::PreTranslateMessage(pMsg);
}

void CListCellEdit::OnKeyDown(UINT nChar, UINT, UINT) {
  if (nChar == VK_ESCAPE || nChar == VK_RETURN) {
    if (nChar == VK_ESCAPE) m_bCancelled = TRUE;
    if (m_pList) m_pList->SetFocus();
    return;
  }
  Default();
}

void CListCellEdit::OnChar(UINT nChar, UINT, UINT) {
  if (nChar == VK_ESCAPE || nChar == VK_RETURN) return;
  Default();
  if (!m_pList) return;
  CString text;
  GetWindowText(text);
  CRect mine, list;
  GetWindowRect(&mine);
  m_pList->GetWindowRect(&list);
  const int want = text.GetLength() * kCharWidth + 5;
  if (want > mine.Width()) {
    m_pList->ScreenToClient(&mine);
    m_pList->GetClientRect(&list);
    MoveWindow(mine.left, mine.top, std::min(want, list.right - mine.left), mine.Height());
  }
}

void CListCellEdit::OnKillFocus(CWnd*) {
  if (m_bEnding) return;
  m_bEnding = TRUE;
  CString text;
  GetWindowText(text);
  CListCtrl* list = m_pList;
  if (list && list->GetSafeHwnd()) {
    NMLVDISPINFO info{};
    info.item.mask = LVIF_TEXT;
    info.item.iItem = m_nRow;
    info.item.iSubItem = m_nColumn;
    info.item.pszText = m_bCancelled ? nullptr : const_cast<LPWSTR>(text.GetString());
    info.item.cchTextMax = text.GetLength();
    AfxNotifyParent(list->GetSafeHwnd(), &info.hdr, LVN_ENDLABELEDIT);
  }
  DestroyWindow();
}

void CListCellEdit::PostNcDestroy() { delete this; }
