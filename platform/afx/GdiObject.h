// Drawing tools that a device context selects: pens and brushes. They carry their attributes
// only; a device context reads them when it draws.
#pragma once

#include "platform/afx/Object.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinTypes.h"

class CGdiObject : public CObject {
  DECLARE_DYNAMIC(CGdiObject)

 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  ~CGdiObject() override = default;

  // Created: a Create call (or the constructor with attributes) succeeded and no DeleteObject since.
  BOOL IsCreated() const { return m_bCreated; }
  BOOL DeleteObject();

 protected:
  BOOL m_bCreated = FALSE;
};

class CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)

 public:
  CPen() = default;
  CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
  // Styles PS_SOLID..PS_NULL; a negative width or an unknown style fails.
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);

  int GetStyle() const { return m_nStyle; }
  int GetWidth() const { return m_nWidth; }
  COLORREF GetColor() const { return m_crColor; }

 private:
  int m_nStyle = PS_SOLID;
  int m_nWidth = 1;
  COLORREF m_crColor = 0;
};

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)

 public:
  CBrush() = default;
  explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
  BOOL CreateSolidBrush(COLORREF crColor);
  // A brush that fills nothing (outline-only ellipses and rectangles).
  BOOL CreateHollowBrush();

  UINT GetStyle() const { return m_nStyle; }
  COLORREF GetColor() const { return m_crColor; }

 private:
  UINT m_nStyle = BS_SOLID;
  COLORREF m_crColor = RGB(255, 255, 255);
};
