// The colour chooser, shown by the window backend (headless: cancelled, so tests script it).
#pragma once

#include "platform/win/WinTypes.h"

class CWnd;

constexpr DWORD CC_RGBINIT = 0x1, CC_FULLOPEN = 0x2, CC_ANYCOLOR = 0x100;

class CColorDialog {
 public:
  explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
  virtual ~CColorDialog() = default;
  // IDOK with the chosen colour, IDCANCEL otherwise.
  virtual INT_PTR DoModal();
  COLORREF GetColor() const { return m_color; }
  void SetCurrentColor(COLORREF clr) { m_color = clr; }

 private:
  COLORREF m_color;
  DWORD m_flags;
  CWnd* m_pParent;
};
