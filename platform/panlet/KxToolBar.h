// The program's toolbars: CKxToolBar, a flat toolbar loaded with its buttons, its image strip
// and the icon look; CTabToolBar, the panel of tabbed pages (each page one toolbar's buttons)
// with a small drag bar of its own that docks on the frame.
#pragma once

#include "platform/afx/ControlBar.h"

#include <vector>

class CFrameWnd;

class CKxToolBar : public CToolBar {
  DECLARE_DYNAMIC(CKxToolBar)

 public:
  // The styles every program toolbar is made with.
  static constexpr DWORD kCtrlStyle = TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS;

  // A visible child of the parent with the control id, flat, transparent and with tooltips;
  // the alignment bits of dwAlign say where it sits before it is docked.
  BOOL CreateKx(CWnd* pParentWnd, UINT nID, DWORD dwAlign = CBRS_ALIGN_TOP);
  // The buttons of the toolbar resource with the image strip of the look (0 or 1); the flag
  // asks for the large images. FALSE when the resource or the bitmap is missing.
  BOOL LoadToolBar(UINT nIDResource, UINT nIDBitmap, int nLook, int nLarge = 0);
  int GetLook() const { return m_nLook; }
  int IsLarge() const { return m_nLarge; }

 private:
  int m_nLook = 0;
  int m_nLarge = 0;
};

class CTabToolBar : public CControlBar {
  DECLARE_DYNAMIC(CTabToolBar)

 public:
  // Runs a page's main command (the program hands its command hub's runner).
  using MainCmdRunner = void (*)(UINT nCmdID);
  static constexpr int kTabHeight = 22;

  struct Page {
    CString title;
    UINT toolbar;  // toolbar resource
    UINT bitmap;
    UINT command;  // main command run when the page is picked
    int flag;
    std::vector<UINT> buttons;
  };

  CTabToolBar() = default;
  ~CTabToolBar() override;

  // On the frame with the control id; bTextBottom puts the page titles under the buttons.
  BOOL Create(CWnd* pParentWnd, int bTextBottom, UINT nID);
  int GetTabTXTBottomMode() const { return m_bTextBottom; }
  void SetBackground(UINT nIDBitmap) { m_nBackground = nIDBitmap; }
  UINT GetBackground() const { return m_nBackground; }
  void SetMainCmdRunner(MainCmdRunner runner) { m_runner = runner; }
  // Appends a page with the buttons of its toolbar resource; its index, or -1 when the resource
  // is missing.
  int AddPage(LPCWSTR title, UINT nToolBar, UINT nBitmap, UINT nCommand, int nFlag);
  int GetPageCount() const { return int(m_pages.size()); }
  const Page* GetPage(int index) const;
  // Shows the page; FALSE for an index outside the pages.
  BOOL SelectPage(int index);
  int GetCurPage() const { return m_nCurPage; }
  // The operator picked a page: it is shown and its main command runs.
  BOOL ClickPage(int index);

  // The drag bar: a small toolbar of the frame by which the panel is moved; it docks on the
  // frame's top side. FALSE without a docking frame or when it cannot be made.
  BOOL DockDragBar(CFrameWnd* pFrame);
  CKxToolBar* GetDragBar() { return m_dragBar.GetSafeHwnd() ? &m_dragBar : nullptr; }
  void HideDragTBar();

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  static constexpr int kTabWidth = 90;
  // Where page tab i and button i of the current page lie (empty rectangles when there is none).
  CRect GetTabRect(int index) const;
  CRect GetButtonRect(int index) const;

 protected:
  // Page tabs along the top, the current page's buttons below; clicking a tab picks the page,
  // clicking a button sends its command to the frame.
  void OnPaint();
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  // The command of the current page's button at a client point, 0 for none.
  UINT ButtonAt(CPoint point) const;
  std::vector<Page> m_pages;
  int m_nCurPage = -1;
  int m_bTextBottom = 0;
  UINT m_nBackground = 0;
  MainCmdRunner m_runner = nullptr;
  CKxToolBar m_dragBar;
};
