// List boxes (plain, sorted, owner-drawn) and combo boxes.
#pragma once

#include "platform/afx/Control.h"

class CDC;

class CListBox : public CControlWnd {
  DECLARE_DYNAMIC(CListBox)

 public:
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  int GetCount() const;
  // Sorted lists (LBS_SORT) insert in order, ignoring case; owner-drawn lists without strings
  // ask CompareItem. The index of the new entry, or LB_ERR.
  int AddString(LPCWSTR lpszItem);
  int InsertString(int nIndex, LPCWSTR lpszItem);  // -1 appends
  // The number of entries left, LB_ERR for a bad index.
  int DeleteString(UINT nIndex);
  void ResetContent();
  int GetText(int nIndex, CString& rString) const;
  int GetTextLen(int nIndex) const;
  int FindStringExact(int nStartAfter, LPCWSTR lpszFind) const;
  DWORD_PTR GetItemData(int nIndex) const;  // LB_ERR for a bad index
  int SetItemData(int nIndex, DWORD_PTR dwItemData);
  void* GetItemDataPtr(int nIndex) const;
  int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(pData)); }
  // Single selection; LB_ERR with LBS_NOSEL or a bad index (-1 clears).
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  int GetSel(int nIndex) const;
  int GetTopIndex() const;
  int SetTopIndex(int nIndex);
  int GetItemHeight(int nIndex) const;
  int SetItemHeight(int nIndex, UINT cyItemHeight);
  int GetItemRect(int nIndex, LPRECT lpRect) const;
  // The row at a client point; bOutside is set when the point is below the last row.
  UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;

  // Owner drawing: the list asks these when it paints, measures and sorts.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
  // Paints the visible rows into a device context: owner-drawn lists through DrawItem, others
  // as text. Painting the window does this with the backend's context.
  void DrawRows(CDC* pDC) override;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OwnerDrawn() const;
};

class CComboBox : public CControlWnd {
  DECLARE_DYNAMIC(CComboBox)

 public:
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  int GetCount() const;
  int AddString(LPCWSTR lpszString);  // CBS_SORT inserts in order
  int InsertString(int nIndex, LPCWSTR lpszString);
  int DeleteString(UINT nIndex);
  void ResetContent();
  int GetLBText(int nIndex, CString& rString) const;
  int GetLBTextLen(int nIndex) const;
  int FindStringExact(int nIndexStart, LPCWSTR lpszFind) const;
  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR dwItemData);
  int GetCurSel() const;
  // Selects the entry and shows its text in the edit part; -1 clears both. CB_ERR for a bad index.
  int SetCurSel(int nSelect);
  // Selection in the edit part.
  BOOL SetEditSel(int nStartChar, int nEndChar);
  DWORD GetEditSel() const;
  void LimitText(int nMaxChars);
  // Editable combos keep free text; drop-down lists show only their entries.
  bool Editable() const { return (GetStyle() & 0x3) != CBS_DROPDOWNLIST; }

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
