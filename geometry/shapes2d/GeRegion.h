// Planar region: an owned list of loops, the outer boundary first and its holes after it.
#pragma once

#include "geometry/shapes2d/GeLoop.h"

class CGeRegion : public CGeCurve {
 public:
  CGeRegion();
  ~CGeRegion() override;

  CGeRegion* Copy() override;
  void CalcBox2d() override;
  void GetBox2d(_tagBox2D* box) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  using CGeCurve::Discrete;
  void Discrete(double tol) override;
  void GetStartPoint(double p[2]) override;
  void GetEndPoint(double p[2]) override;
  void Transform(const double m[3][3]) override;

  // 0 inside, 1 outside, 2 on a boundary (within tol).
  int IsPtInRegion(const double pt[2], double tol);
  // Sum of the loops' signed areas: holes subtract.
  double EvArea(double tol);
  using CGeCurve::EvArea;

  CGeLoopList m_LoopList;
};
