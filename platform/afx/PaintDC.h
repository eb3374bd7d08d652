// CPaintDC: the device context of one WM_PAINT. It begins the paint on construction (which
// validates the window's update region) and ends it on destruction. Drawing goes to the device
// context the window backend supplies for the paint; a backend that draws nowhere gets an
// internal recording context of the client size, so painting code runs the same headless.
#pragma once

#include "platform/afx/DC.h"
#include "platform/afx/RecordingDC.h"
#include "platform/win/Window.h"

class CWnd;

class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)

 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  // Where the drawing goes (the backend's context or the internal one).
  CDC* GetTargetDC() const { return m_pTarget; }

  PAINTSTRUCT m_ps{};

 protected:
  BOOL DoLineTo(CPoint from, CPoint to) override;
  BOOL DoPolyline(const POINT* lpPoints, int nCount) override;
  BOOL DoPolyBezier(const POINT* lpPoints, int nCount) override;
  BOOL DoEllipse(const CRect& rect) override;
  BOOL DoRectangle(const CRect& rect) override;
  COLORREF DoSetPixel(CPoint p, COLORREF crColor) override;
  int DoGetDeviceCaps(int nIndex) const override;

 private:
  // Hands the pen, brush and modes in force here to the target before each primitive.
  CDC& Synced();

  HWND m_hWnd = nullptr;
  CRecordingDC m_headless;
  CDC* m_pTarget = nullptr;
};
