// CWindowTip: a small window beside the cursor showing one line of text (measured values while
// a command runs). It is a child of the window it was made on and is placed at an offset from
// the point it is shown at. The tip keeps its text and placement without a window too, so
// callers need not check that it was made.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

class CWindowTip : public CWnd {
  DECLARE_DYNAMIC(CWindowTip)

 public:
  CWindowTip() = default;
  ~CWindowTip() override;

  // Made hidden on the window; FALSE without one or when the window cannot be made.
  BOOL CreateTipWnd(CWnd* pParentWnd);
  // Where the tip goes relative to the point it is shown at (x right, y up as the caller sees
  // it: a negative y puts it above the point).
  void SetOffsetToShow(int dx, int dy);
  CPoint GetOffsetToShow() const { return m_offset; }
  void SetTipText(const CString& text);
  CString GetTipText() const { return m_text; }
  // Sized to the text and shown at the point (the parent's client coordinates) plus the offset.
  void Show(CPoint point);
  void Hide();
  BOOL IsShown() const { return m_bShown; }
  // The point plus the offset of the last Show.
  CPoint GetShownAt() const { return m_at; }

 protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

 private:
  CPoint m_offset{0, 0};
  CPoint m_at{0, 0};
  BOOL m_bShown = FALSE;
  CString m_text;
};
