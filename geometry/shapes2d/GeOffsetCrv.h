// Curve at a constant signed distance from a base curve (positive to the left of its
// direction of travel), evaluated on the fly from the base's derivatives. The base is not
// owned.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeOffsetCrv : public CGeCurve {
 public:
  CGeOffsetCrv();
  ~CGeOffsetCrv() override;

  int GetType() const override;
  void GetBox2d(_tagBox2D* box) override;
  int GetSegmentCount() override;
  void GetPointAt(double t, double p[2], unsigned seg) override;
  void GetTanVecAt(double t, double v[2], unsigned seg) override;
  void EvPos(double t, double p[2], unsigned seg) override;
  void Ev1Der(double t, double p[2], double d1[2], unsigned seg) override;
  void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) override;
  int IsClosed(double tol) override;

  void Create(CGeCurve* base, double dist);
  // The base's box grown by the distance.
  void CalcBox();

  CGeCurve* m_pBase;
  double m_dDist;
  int m_nFlag;
};
