// Device contexts of a window. CWindowDC draws into the window now (previews, rubber bands),
// CClientDC is the same for the client area (here the whole window), and CPaintDC is the one of a
// WM_PAINT: it begins the paint on construction (which validates the update region) and ends it
// on destruction. Drawing goes to the device context the window backend supplies; a backend that
// draws nowhere gets an internal recording context of the client size, so drawing code runs the
// same headless.
#pragma once

#include "platform/afx/DC.h"
#include "platform/afx/RecordingDC.h"
#include "platform/win/Window.h"

class CWnd;

class CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)

 public:
  explicit CWindowDC(CWnd* pWnd);
  ~CWindowDC() override;

  // Where the drawing goes (the backend's context or the internal one).
  CDC* GetTargetDC() const { return m_pTarget; }

 protected:
  struct NoTarget {};
  // For subclasses that get their context another way (then they call Attach).
  CWindowDC(CWnd* pWnd, NoTarget);
  // A backend's handle is the address of a device context it owns; null means none.
  void AttachTarget(HDC hdc);

  BOOL DoLineTo(CPoint from, CPoint to) override;
  BOOL DoPolyline(const POINT* lpPoints, int nCount) override;
  BOOL DoPolyBezier(const POINT* lpPoints, int nCount) override;
  BOOL DoEllipse(const CRect& rect) override;
  BOOL DoRectangle(const CRect& rect) override;
  COLORREF DoSetPixel(CPoint p, COLORREF crColor) override;
  int DoGetDeviceCaps(int nIndex) const override;
  BOOL DoTextOut(CPoint p, const wchar_t* text, int nCount) override;
  BOOL DoFillSolidRect(const CRect& rect, COLORREF crColor) override;
  CSize DoGetTextExtent(const wchar_t* text, int nCount) const override;

  HWND m_hWnd = nullptr;
  HDC m_hDC = nullptr;
  bool m_bTaken = false;  // from GetDC, so released on destruction

 private:
  // Hands the pen, brush and modes in force here to the target before each primitive.
  CDC& Synced();

  CRecordingDC m_headless;
  CDC* m_pTarget = nullptr;
};

class CClientDC : public CWindowDC {
  DECLARE_DYNAMIC(CClientDC)

 public:
  explicit CClientDC(CWnd* pWnd) : CWindowDC(pWnd) {}
};

class CPaintDC : public CWindowDC {
  DECLARE_DYNAMIC(CPaintDC)

 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  PAINTSTRUCT m_ps{};
};
