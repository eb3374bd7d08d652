// CWindowTip: a small text window that follows the cursor over a view (the measuring commands
// show their readings in it). It is a child of the view, hidden until shown at a point.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

class CWindowTip : public CWnd {
 public:
  CWindowTip() = default;
  ~CWindowTip() override;

  // Creates the (hidden) window on the parent; FALSE for a null or windowless parent. The tip
  // keeps its text and placement without a window too, so callers need not check.
  BOOL CreateTipWnd(CWnd* parent);
  // Offset of the tip's corner from the point it is shown at, in pixels.
  void SetOffsetToShow(int dx, int dy) { m_offset = CPoint(dx, dy); }
  CPoint GetOffsetToShow() const { return m_offset; }
  // Replaces the text; the window is resized to fit it.
  void SetTipText(const CString& text);
  CString GetTipText() const { return m_text; }
  // Shows the tip with its corner at point + offset (view client coordinates).
  void Show(CPoint point);
  void Hide();
  BOOL IsShown() const { return m_bShown; }
  CPoint GetShownAt() const { return m_at; }

 private:
  void Place();

  CString m_text;
  CPoint m_offset{0, 0};
  CPoint m_at{0, 0};
  BOOL m_bShown = FALSE;
};
