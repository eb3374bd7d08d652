// Unordered set of owned curves that are moved and bounded together.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeGroup : public CGeCurve {
 public:
  CGeGroup();
  ~CGeGroup() override;

  void CalcBox2d() override;
  void GetBox2d(_tagBox2D* box) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;
  void GetStartPoint(double p[2]) override;
  void GetEndPoint(double p[2]) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  CGeCurveList m_CurveList;
};
