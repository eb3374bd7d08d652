// The work area of a drawing: the page (a world box) and the spacing and angle of the grid
// shown over it.
#pragma once

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

class CWnd;

class CWorkArea {
 public:
  CWorkArea();

  // Page box, A4 upright in millimetres until set.
  void GetPageSize(_tagBox2D* box) const;
  // FALSE (unchanged) for a box that is not finite or has no area.
  BOOL SetPageSize(const _tagBox2D& box);

  // Grid spacing along x and y, the grid angle (degrees) and the radial spacing. The setters
  // refuse values that are not finite (and spacings that are not positive) with FALSE.
  double GetSpaceDx() const { return m_dx; }
  double GetSpaceDy() const { return m_dy; }
  double GetSpaceAngle() const { return m_angle; }
  double GetRadSpace() const { return m_radSpace; }
  BOOL SetSpaceDx(double d);
  BOOL SetSpaceDy(double d);
  BOOL SetSpaceAngle(double degrees);
  BOOL SetRadSpace(double d);

  // Sets the view window's scroll bars for a 2D view showing viewBox: each bar spans the page
  // and the view's centre in whole world units, its position the centre (x across; -y down, so
  // that the vertical bar grows downwards), and both bars are shown. FALSE (bars untouched)
  // without a window or with a view box that is not finite.
  BOOL SetScrollInfo(CWnd* view, const _tagBox2D& viewBox) const;

  // Page box, then the four grid values; loading refuses values the setters refuse.
  void Serialize(CArchive& ar);

 private:
  _tagBox2D m_page;
  double m_dx;
  double m_dy;
  double m_angle;
  double m_radSpace;
};
