// CSplitterWnd: a static grid of panes (views or other windows) inside one child window. The
// panes are its children with ids AFX_IDW_PANE_FIRST + 16 * row + column; it lays them out
// when it is sized and destroys them with itself. Placed on a frame, it is the window that
// takes the frame's client area left by the bars.
#pragma once

#include "platform/afx/DocView.h"

#include <memory>
#include <vector>

class CSplitterWnd : public CWnd {
  DECLARE_DYNAMIC(CSplitterWnd)

 public:
  static constexpr int kMaxRows = 16;
  static constexpr int kMaxCols = 16;

  CSplitterWnd() = default;
  ~CSplitterWnd() override;

  // FALSE for a grid outside 1..16 in either direction, or when the window cannot be made.
  virtual BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                            UINT nID = AFX_IDW_PANE_FIRST);
  // A view of the class in the pane (created on the splitter with the pane's id and the initial
  // size; the context joins it to its document). Views delete themselves with their windows;
  // any other window class made here is deleted by the splitter. FALSE for a pane outside the grid, a pane that
  // has a window, or a view that cannot be made.
  virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);
  // Binds an existing child window as a pane (it keeps its own object; the splitter destroys its
  // window with its own).
  BOOL SetPane(int row, int col, CWnd* pWnd);
  CWnd* GetPane(int row, int col) const;
  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  int IdFromRowCol(int row, int col) const { return int(AFX_IDW_PANE_FIRST) + row * 16 + col; }
  // Places the panes: rows and columns keep their initial sizes, the last ones take the rest.
  virtual void RecalcLayout();

  // Border sizes around the panes.
  int m_cxBorder = 2;
  int m_cyBorder = 2;

 protected:
  void OnSize(UINT nType, int cx, int cy);
  void OnDestroy();
  // Dragging the split bars; the default only takes the default handling.
  void OnLButtonDown(UINT nFlags, CPoint point);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

  DECLARE_MESSAGE_MAP()

  bool ValidPane(int row, int col) const { return row >= 0 && row < m_nRows && col >= 0 && col < m_nCols; }

  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<HWND> m_panes;     // row-major
  // Pane objects made here that do not delete themselves with their windows (views do).
  std::vector<std::unique_ptr<CWnd>> m_owned;
  std::vector<int> m_rowHeight;  // initial sizes
  std::vector<int> m_colWidth;
};
