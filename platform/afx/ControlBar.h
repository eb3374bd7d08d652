// Control bars: the strips a frame lays out around its view. A bar belongs to the frame it was
// created on; the frame docks it on a side (in rows), shows or hides it and hands what is left
// of its client area to the view pane (CFrameWnd::RecalcLayout). CToolBar keeps buttons and
// separators in a row, CStatusBar text panes.
#pragma once

#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

#include <memory>
#include <vector>

class CFrameWnd;
class CToolTipCtrl;

// Bar styles: alignment (also the sides a bar may dock on) and behaviour bits.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP;
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0800;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0400;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
// Toolbar control styles.
constexpr DWORD TBSTYLE_TOOLTIPS = 0x0100;
constexpr DWORD TBSTYLE_FLAT = 0x0800;
constexpr DWORD TBSTYLE_TRANSPARENT = 0x8000;
// Toolbar button styles.
constexpr UINT TBBS_BUTTON = 0x00;
constexpr UINT TBBS_SEPARATOR = 0x01;
constexpr UINT TBBS_CHECKBOX = 0x02;
constexpr UINT ID_SEPARATOR = 0;
// Default window ids of bars and the frame's dock bars (one per side).
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;

namespace velmora::afx {
// Toolbar resources as tables: the command id of each button (ID_SEPARATOR for a gap).
// Registering a number again replaces the earlier table.
void RegisterToolBarResource(UINT nId, std::vector<UINT> buttons);
void RemoveToolBarResource(UINT nId);
// Null when nothing is registered under the number.
const std::vector<UINT>* FindToolBarResource(UINT nId);
}  // namespace velmora::afx

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)

 public:
  CControlBar();
  ~CControlBar() override;

  DWORD GetBarStyle() const { return m_dwStyle; }
  void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
  // The sides this bar may dock on (CBRS_ALIGN_* bits; 0: none).
  void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
  DWORD GetDockStyle() const { return m_dwDockStyle; }
  // The frame the bar was created on (null once that frame is gone).
  CFrameWnd* GetDockingFrame() const;
  // The dock bar id the bar sits in (0 when it is not docked).
  UINT GetDockBarID() const { return m_nDockBar; }
  bool IsHorz() const;
  // Whether the bar itself is shown (its frame may still be hidden, as during its creation).
  BOOL IsVisible() const;
  // Size across the bar's row and along it: the height of a horizontal bar and its length.
  virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);

 protected:
  // Sends a command to the frame the bar belongs to (else to its top-level window).
  void SendCommand(UINT nID);
  // The buttons a bar shows, for their tooltips (each its command's tip from the frame, over
  // the button's rectangle). Only a changed set reaches the tooltip control.
  struct ButtonTip {
    UINT id;
    CRect rect;
    bool operator==(const ButtonTip&) const = default;
  };
  void SetButtonTips(const std::vector<ButtonTip>& buttons);
  // The command under the pointer (0: none) goes to the frame's status line.
  void HoverCommand(UINT nID);
  CToolTipCtrl* GetButtonTips() const { return m_pTips.get(); }
  // Creates the child window on the frame and joins its bar list.
  BOOL CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID, LPCWSTR className);

 private:
  friend class CFrameWnd;
  DWORD m_dwStyle = 0;
  DWORD m_dwDockStyle = 0;
  HWND m_hFrame = nullptr;
  UINT m_nDockBar = 0;   // dock bar id, 0 when not docked
  int m_nRow = 0;        // row inside the dock bar
  int m_nOrder = 0;      // position along the row (pixels from the row's start)
  std::unique_ptr<CToolTipCtrl> m_pTips;
  std::vector<ButtonTip> m_tipButtons;
  UINT m_nHover = 0;
};

class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)

 public:
  static constexpr int kButtonWidth = 23;
  static constexpr int kButtonHeight = 22;
  static constexpr int kSeparatorWidth = 8;
  static constexpr int kBorder = 2;

  virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
  // dwCtrlStyle: TBSTYLE_* bits kept for the toolkit; the borders are not used.
  virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                        CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);
  DWORD GetToolBarCtrlStyle() const { return m_dwCtrlStyle; }
  // Buttons from a registered toolbar resource; FALSE when there is none.
  BOOL LoadToolBar(UINT nIDResource);
  // The button images (kept by number; the toolkit draws them). FALSE for 0.
  BOOL LoadBitmap(UINT nIDResource);
  UINT GetBitmapID() const { return m_nBitmap; }
  // Replaces the buttons: ID_SEPARATOR ids become separators; a null array gives nIDCount
  // separators to be set with SetButtonInfo. FALSE for a negative count.
  BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
  // A separator's image is its width in pixels.
  void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
  void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
  int GetCount() const { return int(m_buttons.size()); }
  UINT GetItemID(int nIndex) const;
  int CommandToIndex(UINT nID) const;
  // Button rectangle in the bar's client coordinates, laid out along the bar's orientation.
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  // The button (not separator) at a client point, -1 for none.
  int HitTest(CPoint point) const;

 protected:
  // Buttons drawn as raised boxes over the face colour; a click on one sends its command to
  // the frame the bar belongs to (or its top-level window).
  void OnPaint();
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  struct Button {
    UINT id;
    UINT style;
    int image;
  };
  int ItemLength(const Button& b) const;
  std::vector<Button> m_buttons;
  DWORD m_dwCtrlStyle = 0;
  UINT m_nBitmap = 0;
};

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)

 public:
  static constexpr int kHeight = 20;

  virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                      UINT nID = AFX_IDW_STATUS_BAR);
  // One pane per id; a pane's first text is the string resource of its id (empty for
  // ID_SEPARATOR). FALSE for a negative count.
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  int GetCount() const { return int(m_panes.size()); }
  UINT GetItemID(int nIndex) const;
  int CommandToIndex(UINT nID) const;
  // FALSE for a pane that does not exist.
  BOOL SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate = TRUE);
  CString GetPaneText(int nIndex) const;
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  // The first pane stretches; the others are kPaneWidth wide at the right.
  static constexpr int kPaneWidth = 160;
  CRect GetPaneRect(int nIndex) const;

 protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

 private:
  struct Pane {
    UINT id;
    CString text;
  };
  std::vector<Pane> m_panes;
};
