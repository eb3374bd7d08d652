#include "platform/afx/GdiObject.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)

BOOL CGdiObject::DeleteObject() {
  const BOOL was = m_bCreated;
  m_bCreated = FALSE;
  return was;
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  if (nPenStyle < PS_SOLID || nPenStyle > PS_NULL || nWidth < 0) return FALSE;
  m_nStyle = nPenStyle;
  m_nWidth = nWidth;
  m_crColor = crColor;
  m_bCreated = TRUE;
  return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
  m_nStyle = BS_SOLID;
  m_crColor = crColor;
  m_bCreated = TRUE;
  return TRUE;
}

BOOL CBrush::CreateHollowBrush() {
  m_nStyle = BS_NULL;
  m_bCreated = TRUE;
  return TRUE;
}
