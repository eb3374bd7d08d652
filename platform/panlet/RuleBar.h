// CKxRuleBar: the horizontal and vertical rulers along the view. A ruler is a bar of the frame
// outside its dock bars (horizontal along the top, vertical along the left); it marks the
// cursor's position and shows the paper's extent that the program's getter reports.
#pragma once

#include "platform/afx/ControlBar.h"

class CDC;

class CKxRuleBar : public CControlBar {
  DECLARE_DYNAMIC(CKxRuleBar)

 public:
  static constexpr UINT kHorizontalID = 30022;
  static constexpr UINT kVerticalID = 30023;
  static constexpr int kThickness = 20;
  // The paper's width and height in drawing units; FALSE when there is no paper to show.
  using PaperSizeGetter = BOOL (*)(double* width, double* height);

  // FALSE without a parent, or when the window cannot be made.
  BOOL Create(CWnd* pParentWnd, BOOL bHorizontal, UINT nID, PaperSizeGetter getter);
  BOOL IsHorizontal() const { return m_bHorizontal; }
  // Whether the ruler is shown and so worth updating.
  BOOL IsEnabled() const { return IsVisible(); }
  // Marks the cursor at that pixel along the ruler (-1: no mark).
  void DrawMouse(int pos);
  int GetMousePos() const { return m_nMouse; }
  // The pixel of the view's origin along the ruler, so that the scale lines up with the view.
  void SetOffset(int offset);
  int GetOffset() const { return m_nOffset; }
  // The paper size through the getter; FALSE without one.
  BOOL GetPaperSize(double* width, double* height) const;
  // The scale: the value (in the unit shown) at the view's origin pixel and the change per
  // pixel along the ruler (negative where values grow against the pixels, as y does). Numbers
  // are written at the major ticks; a step of 0 or one that is not finite shows ticks only.
  void SetScale(double valueAtOrigin, double valuePerPixel);
  double GetValuePerPixel() const { return m_perPixel; }
  // The distance between numbered ticks for a scale: 1, 2 or 5 times a power of ten, the
  // smallest that puts them at least kMinLabelGap pixels apart; 0 for an unusable scale.
  static constexpr int kMinLabelGap = 60;
  static double MajorStep(double valuePerPixel);
  // The number a major tick shows ("12.5", "-40", "0").
  static CString Label(double value, double step);

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

 protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

 private:
  // Ticks and numbers from the scale; FALSE (nothing drawn) without a usable one.
  BOOL DrawScale(CDC& dc, int length);
  void DrawMouseMark(CDC& dc);
  BOOL m_bHorizontal = TRUE;
  PaperSizeGetter m_getter = nullptr;
  int m_nMouse = -1;
  int m_nOffset = 0;
  double m_atOrigin = 0.0;
  double m_perPixel = 0.0;
};
