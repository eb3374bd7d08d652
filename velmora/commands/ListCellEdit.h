// CListCellEdit: the in-place editor of one cell of a report list. It covers the cell, takes
// the list's text and the focus; Enter or leaving it ends the edit with the text, Escape ends it
// without. The end goes to the list's parent as LVN_ENDLABELEDIT (row, column, text or null);
// the editor then destroys its window and deletes itself.
#pragma once

#include "platform/afx/Edit.h"

class CListCtrl;

class CListCellEdit : public CEdit {
  DECLARE_DYNAMIC(CListCellEdit)

 public:
  CListCellEdit(int row, int column, const CString& text);

  // Creates the window over the cell of the list; FALSE (and the object is the caller's) when
  // the window cannot be made.
  BOOL Start(CListCtrl* pList, const CRect& rect, DWORD align, UINT nID);
  BOOL IsCancelled() const { return m_bCancelled; }
  int GetRow() const { return m_nRow; }
  int GetColumn() const { return m_nColumn; }

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnKillFocus(CWnd* pNewWnd);
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()

 private:
  CListCtrl* m_pList = nullptr;
  int m_nRow;
  int m_nColumn;
  CString m_strInit;
  BOOL m_bCancelled = FALSE;
  BOOL m_bEnding = FALSE;
};
