// Plain owned set of 3D curves with a box, used to hand groups of toolpaths around. Not
// serialisable.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGeGroup3d {
 public:
  CGeGroup3d();
  ~CGeGroup3d();
  CGeGroup3d(const CGeGroup3d&) = delete;
  CGeGroup3d& operator=(const CGeGroup3d&) = delete;

  // The first curve's start, the last curve's end (nothing when that entry is missing).
  void GetStartPoint(double p[3]);
  void GetEndPoint(double p[3]);
  // Every curve reversed; the order stays.
  void Reverse();
  // Every curve turned about the vertical axis through centre; the box is left as it was.
  void Rotate(const double centre[2], double angle);
  // Union of the curves' boxes; nothing for an empty group.
  void CalcBox();
  void GetBox(_tagBox3D* box);
  // Every curve moved by dz along z, then the box.
  void ZMove(double dz);

  CGeCurve3dList m_CurveList;
  _tagBox3D m_box;  // empty until first computed
};
