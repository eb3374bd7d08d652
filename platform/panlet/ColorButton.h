// CKxColorButton: a small window showing one colour (the current drawing colour).
#pragma once

#include "platform/afx/Wnd.h"

class CKxColorButton : public CWnd {
  DECLARE_DYNAMIC(CKxColorButton)

 public:
  BOOL Create(CWnd* pParentWnd, UINT nID, const RECT& rect);
  void SetColor(COLORREF color);
  COLORREF GetColor() const { return m_color; }

 protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

 private:
  COLORREF m_color = RGB(0, 0, 0);
};
