// Tab controls, tooltips and sliders.
#pragma once

#include "platform/afx/Control.h"

constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551), TCN_SELCHANGING = static_cast<UINT>(-552);
constexpr UINT TCIF_TEXT = 0x1, TCIF_IMAGE = 0x2, TCIF_PARAM = 0x8;
struct TCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
using TCITEM = TCITEMW;

class CTabCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CTabCtrl)

 public:
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // The index of the new tab, -1 on failure.
  int InsertItem(int nItem, LPCWSTR lpszItem);
  int InsertItem(int nItem, const TCITEM* pTabCtrlItem);
  BOOL GetItem(int nItem, TCITEM* pTabCtrlItem) const;
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetCurSel() const;
  // Selects without notifying; returns the previous selection, -1 for a bad index.
  int SetCurSel(int nItem);
  // The tab band: tabs are laid out left to right, kTabWidth wide, kTabHeight high.
  BOOL GetItemRect(int nItem, LPRECT lpRect) const;
  // Client rectangle -> the display area below the tabs (bLarger FALSE), or back.
  void AdjustRect(BOOL bLarger, LPRECT lpRect) const;

  static constexpr int kTabWidth = 80;
  static constexpr int kTabHeight = 22;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

constexpr UINT TTF_IDISHWND = 0x1, TTF_SUBCLASS = 0x10;
struct TOOLINFOW {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;
  UINT_PTR uId;
  RECT rect;
  HINSTANCE hinst;
  LPWSTR lpszText;
  LPARAM lParam;
};
using TOOLINFO = TOOLINFOW;

// Tooltips: tools (a window and an id, with a rectangle in it) and their texts.
class CToolTipCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CToolTipCtrl)

 public:
  using CWnd::Create;
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
  BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
  void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
  void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
  void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
  void GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
  int GetToolCount() const;
  void Activate(BOOL bActivate);
  // Offered the messages of the tools' windows (mouse moves choose the tool shown).
  void RelayEvent(LPMSG lpMsg);
  // The tool the last relayed mouse position was over: its id, or -1 when none.
  INT_PTR GetHitTool() const { return m_hit; }

 private:
  AfxControlTool* Find(CWnd* pWnd, UINT_PTR nIDTool) const;
  INT_PTR m_hit = -1;
};

constexpr DWORD TBS_HORZ = 0x0, TBS_VERT = 0x2, TBS_NOTICKS = 0x10;

class CSliderCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CSliderCtrl)

 public:
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE);
  void GetRange(int& nMin, int& nMax) const;
  int GetRangeMin() const;
  int GetRangeMax() const;
  // Kept inside the range.
  void SetPos(int nPos);
  int GetPos() const;
  int SetLineSize(int nSize);
  int SetPageSize(int nSize);
};
