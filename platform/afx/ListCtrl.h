// The list control in report mode: columns, rows with item data and images, selection, hit
// tests and rectangles, custom drawing through NM_CUSTOMDRAW at item and sub-item stages, and
// label editing that ends with LVN_ENDLABELEDIT.
//
// Geometry (what hit tests and rectangles use, and a peer mirrors): a header band kHeaderHeight
// high, then rows of the row height; columns left to right by their widths, scrolled by the
// first visible row.
#pragma once

#include "platform/afx/Control.h"

class CDC;
class CEdit;
class CImageList;

constexpr DWORD LVS_ICON = 0x0, LVS_REPORT = 0x1, LVS_SMALLICON = 0x2, LVS_LIST = 0x3, LVS_TYPEMASK = 0x3,
                LVS_SINGLESEL = 0x4, LVS_SHOWSELALWAYS = 0x8, LVS_EDITLABELS = 0x200, LVS_NOSORTHEADER = 0x8000,
                LVS_OWNERDRAWFIXED = 0x400;
constexpr DWORD LVS_EX_GRIDLINES = 0x1, LVS_EX_SUBITEMIMAGES = 0x2, LVS_EX_CHECKBOXES = 0x4,
                LVS_EX_FULLROWSELECT = 0x20;
constexpr int LVSIL_NORMAL = 0, LVSIL_SMALL = 1;
constexpr UINT LVIF_TEXT = 0x1, LVIF_IMAGE = 0x2, LVIF_PARAM = 0x4, LVIF_STATE = 0x8;
constexpr UINT LVIS_FOCUSED = 0x1, LVIS_SELECTED = 0x2;
constexpr int LVCFMT_LEFT = 0x0, LVCFMT_RIGHT = 0x1, LVCFMT_CENTER = 0x2, LVCFMT_JUSTIFYMASK = 0x3;
constexpr UINT LVCF_FMT = 0x1, LVCF_WIDTH = 0x2, LVCF_TEXT = 0x4, LVCF_SUBITEM = 0x8;
constexpr int LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2;
constexpr UINT LVHT_NOWHERE = 0x1, LVHT_ONITEMICON = 0x2, LVHT_ONITEMLABEL = 0x4, LVHT_ONITEM = 0x6,
               LVHT_ABOVE = 0x8, LVHT_BELOW = 0x10;
constexpr UINT LVNI_ALL = 0x0, LVNI_FOCUSED = 0x1, LVNI_SELECTED = 0x2;
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101), LVN_COLUMNCLICK = static_cast<UINT>(-108),
               LVN_BEGINLABELEDIT = static_cast<UINT>(-175), LVN_ENDLABELEDIT = static_cast<UINT>(-176);
constexpr int LVM_FIRST = 0x1000;

struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
using LVITEM = LVITEMW;
struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  LPWSTR pszText;
  int cchTextMax;
  int iSubItem;
};
using LVCOLUMN = LVCOLUMNW;
struct LVHITTESTINFO {
  POINT pt;
  UINT flags;
  int iItem;
  int iSubItem;
};
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};
struct NMLVDISPINFOW {
  NMHDR hdr;
  LVITEMW item;
};
using NMLVDISPINFO = NMLVDISPINFOW;
struct NMLVCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  COLORREF clrText;
  COLORREF clrTextBk;
  int iSubItem;
};
using LPNMLVCUSTOMDRAW = NMLVCUSTOMDRAW*;

class CListCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CListCtrl)

 public:
  static constexpr int kHeaderHeight = 20;
  static constexpr int kRowHeight = 17;

  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD dwNewStyle);  // returns the old styles
  CImageList* SetImageList(CImageList* pImageList, int nImageListType);
  CImageList* GetImageList(int nImageListType) const;

  // Columns: the index of the new column, -1 on failure.
  int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                   int nSubItem = -1);
  int InsertColumn(int nCol, const LVCOLUMN* pColumn);
  BOOL DeleteColumn(int nCol);
  int GetColumnCount() const;
  int GetColumnWidth(int nCol) const;
  BOOL SetColumnWidth(int nCol, int cx);
  BOOL GetColumn(int nCol, LVCOLUMN* pColumn) const;
  BOOL SetColumn(int nCol, const LVCOLUMN* pColumn);

  // Rows: the index of the new row, -1 on failure.
  int InsertItem(int nItem, LPCWSTR lpszItem);
  int InsertItem(int nItem, LPCWSTR lpszItem, int nImage);
  int InsertItem(const LVITEM* pItem);
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
  CString GetItemText(int nItem, int nSubItem) const;
  BOOL SetItemData(int nItem, DWORD_PTR dwData);
  DWORD_PTR GetItemData(int nItem) const;
  BOOL SetItem(const LVITEM* pItem);
  BOOL GetItem(LVITEM* pItem) const;
  BOOL SetItemState(int nItem, UINT nState, UINT nMask);
  UINT GetItemState(int nItem, UINT nMask) const;
  // The next row after nItem (-1: from the start) with the flags' state, -1 when none.
  int GetNextItem(int nItem, int nFlags) const;
  int GetSelectedCount() const;
  int GetSelectionMark() const;

  // Geometry.
  BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
  // Column 0 with LVIR_BOUNDS is the whole row, as the real control reports it.
  BOOL GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const;
  int SubItemHitTest(LVHITTESTINFO* pInfo) const;
  int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
  int GetTopIndex() const;
  int GetCountPerPage() const;
  // Scrolls the row into view; FALSE for a row that does not exist.
  BOOL EnsureVisible(int nItem, BOOL bPartialOK);
  BOOL RedrawItems(int nFirst, int nLast);

  // Label editing: the row's label in an edit control over column 0 (LVN_BEGINLABELEDIT first,
  // which may refuse: null). EndLabelEdit finishes it: LVN_ENDLABELEDIT with the text (null when
  // cancelled); a nonzero answer keeps the text as the label.
  CEdit* EditLabel(int nItem);
  CEdit* GetEditControl() const;
  BOOL EndLabelEdit(BOOL bCancel);

  // Paints the visible rows into a device context with the custom-draw notifications (prepaint,
  // item, sub-item and their post-paint stages as the answers ask). Painting the window does
  // this with the backend's context; a null context runs the notifications without drawing.
  void DrawRows(CDC* pDC) override;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Enter and Escape in the label's edit end the editing (keeping or dropping the text) before
  // a dialog could take them as OK or Cancel.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // The label's edit losing the focus ends the editing with its text.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CEdit* m_pEdit = nullptr;
};
