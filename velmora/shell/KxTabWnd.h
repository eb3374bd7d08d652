// The main frame's client area: a two-row splitter with the drawing view above and a thin strip
// of layer tabs below. The splitter is also the program's indexed access to the drawing's layers
// (tab index i is the i-th layer of the database's list): count, current index, attributes,
// add, rename, delete and make current, keeping the tab names in step.
#pragma once

#include "velmora/commands/LayerTabs.h"

#include "platform/afx/SplitterWnd.h"
#include "platform/afx/String.h"
#include "platform/panlet/WindowTip.h"

#include <array>
#include <vector>

class CArchive;
class CDBase;
class CDC;
class CKXGlobal;
class CKxTabWnd;
class CLayer;

// The strip of layer tabs, with seven navigation buttons at its left.
class CKxWndTab : public CWnd {
  DECLARE_DYNAMIC(CKxWndTab)

 public:
  static constexpr int kButtonCount = 7;
  static constexpr int kButtonAreaWidth = 128;
  static constexpr int kTextMargin = 3;
  static constexpr int kScrollStep = 30;
  static constexpr UINT_PTR kHoverTimer = 1;
  static constexpr UINT kHoverElapse = 5;
  static constexpr UINT kFirstToolId = 12345;
  enum Button { kEditLayer, kAllLayerOn, kCurrentLayerOn, kMoveLeft, kDeleteLayer, kNewLayer, kMoveRight };
  enum State { kNormal = 0, kHovered = 2, kPressed = 3 };

  CKxWndTab();

  BOOL Create(CKxTabWnd* owner, UINT nID, const RECT& rect);

  // Height the splitter gives the strip (17 until the frame first applies the saved state).
  int GetLayoutHeight() const { return m_nHeight; }
  void SetLayoutHeight(int height) { m_nHeight = height; }
  // The tab widths are measured again before the next paint.
  void SetDirty() { m_bDirty = TRUE; }
  int GetScrollOffset() const { return m_nOffset; }
  // Tab widths as last measured (text width plus both margins).
  const std::vector<int>& GetTabWidths() const { return m_widths; }
  // Measures the tab widths on the device context when they are stale.
  void MeasureTabs(CDC* pDC);
  // Whether "Move Left" / "Move Right" can scroll now (needs measured widths).
  BOOL CanScrollLeft() const;
  BOOL CanScrollRight() const { return m_nOffset > 0; }

  // Button rectangles, tooltips (tool id 12345 + i), enabled flags and drawing states.
  static CRect ButtonRect(int i) { return CRect(15 * i + 2, 2, 15 * i + 16, 16); }
  static const wchar_t* ButtonTip(int i);
  void EnableButtons(BOOL bEnable);
  BOOL IsButtonEnabled(int i) const { return i >= 0 && i < kButtonCount && m_buttons[size_t(i)].enabled; }
  int GetButtonState(int i) const { return i >= 0 && i < kButtonCount ? m_buttons[size_t(i)].state : kNormal; }
  int GetPressedButton() const { return m_nPressed; }
  // The button whose tip shows (-1 for none); the tip sits at the bottom of the view, above
  // the button.
  int GetTipButton() const { return m_nTipButton; }
  CWindowTip* GetTip() { return m_tip.GetSafeHwnd() ? &m_tip : nullptr; }

  // The button at a client point (-1 for none), and the tab there (-1 for none; needs measured
  // widths).
  int ButtonAt(CPoint pt) const;
  int TabAt(CPoint pt) const;
  // The x where tab i starts (with the current scroll offset).
  int TabStart(int i) const;

  // The whole strip: top line, tabs, then the buttons over the button face.
  void Draw(CDC* pDC);
  void DrawButtons(CDC* pDC);
  // Runs a button's action as a click on it does (nothing for a disabled one).
  void PressButton(int i);

 protected:
  void OnPaint();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

 private:
  struct NavButton {
    BOOL enabled = TRUE;
    int state = kNormal;
  };
  // Half the tab slant: e = (height - 1) / 2.
  int Slant() const { return (m_nHeight - 1) / 2; }
  void SendLayerItem(int subCode);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  void ShowTip(int button);

  CKxTabWnd* m_pOwner = nullptr;
  int m_nHeight = 17;
  BOOL m_bDirty = TRUE;
  std::vector<int> m_widths;
  int m_nOffset = 0;
  std::array<NavButton, kButtonCount> m_buttons;
  int m_nPressed = -1;
  CPoint m_ptMouse{-1, -1};
  CWindowTip m_tip;
  int m_nTipButton = -1;
  COLORREF m_crHighlight, m_crShadow, m_crFace, m_crWindow;
};

// It is also the layer tab window the layer command and the layer pages work through.
class CKxTabWnd : public CSplitterWnd, public CLayerTabs {
  DECLARE_DYNAMIC(CKxTabWnd)

 public:
  static constexpr int kStripHeight = 20;
  static constexpr int kShownHeight = 15;
  // Error codes of the last refused DeleteLayer.
  enum { kDeleteFailed = 0, kLastLayer = 2, kBadIndex = 4 };

  CKxTabWnd() = default;

  // The splitter on the frame: the context's view in row 0, the strip (20 pixels) in row 1.
  BOOL Create(CWnd* pParentWnd, CCreateContext* pContext);
  void RecalcLayout() override;
  // Shows the strip when hidden and hides it when shown.
  void UpdateLayerBar();
  BOOL IsStripHidden() const { return m_bHidden; }
  void SetStripHidden(BOOL hidden) { m_bHidden = hidden ? 1 : 0; }
  // The stored word and the strip-hidden flag, as two 32-bit ints.
  void Serialize(CArchive& ar);

  int GetLayerCount() const override;
  int GetCurLayerIndex() const override;
  int GetLayerAt(int index, CLayer& layer) const override;
  int SetLayerAt(int index, const CLayer& layer) override;
  int SetCurLayer(int index) override;
  void SetCurLayerOnly(int mode) override { m_bCurLayerOnly = mode == 1 ? 1 : 0; }
  int IsCurLayerOnly() const { return m_bCurLayerOnly; }
  int AddLayer(const CString& name) override;
  int RenameLayer(int index, const CString& name) override;
  int DeleteLayer(int index) override;
  int GetErrorCode() const { return m_nErrorCode; }
  void ResetLayers() override;
  void RefreshView(BOOL bClearSelection) override;

  const std::vector<CString>& GetTabNames() const { return m_tabNames; }
  CKxWndTab* GetTabStrip() { return m_tab.GetSafeHwnd() ? &m_tab : nullptr; }
  CWnd* GetView() const { return GetPane(0, 0); }

 protected:
  void OnLButtonDown(UINT nFlags, CPoint point);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  DECLARE_MESSAGE_MAP()

 private:
  CLayer* LayerAt(int index) const;
  // The registered database and settings, read at each use: the document makes its database
  // only after the frame (and this window) exist.
  static CDBase* Db();
  static CKXGlobal* Global();
  int32_t m_bCurLayerOnly = 1;
  int m_nCurIndex = 0;
  CKxWndTab m_tab;
  std::vector<CString> m_tabNames;
  int m_nErrorCode = kDeleteFailed;
  int32_t m_nStored = 1;
  int32_t m_bHidden = 0;
};
