// Closed composite 3D curve: the 3D twin of the planar loop, with a cached signed area (of the
// xy projection) and point-in-loop tests on the xy projection of its discretisation.
#pragma once

#include "geometry/shapes3d/GeCombCurve3d.h"

class CGeLoop;

class CGeLoop3d : public CGeCombCurve3d {
 public:
  CGeLoop3d();
  // Deletes the sub-curves.
  ~CGeLoop3d() override;

  int GetType() const override;
  // New loop with a copy of each sub-curve; the cached area is not copied.
  CGeLoop3d* Copy() override;
  // Negates the cached area, then reverses the sub-curves.
  void Reverse() override;
  double EvTotalArcLength() override;
  double EvTotalArcLength2D() override;

  // The curve itself goes to the tail (head): no flattening of composites, no box update.
  // Null is ignored.
  void AddTail(CGeCurve3d* curve);
  void AddHead(CGeCurve3d* curve);
  // 1 when there is a sub-curve and the sub-curves run end to start and close within tol.
  int IsLoop3d(double tol);
  // Signed area of the xy projection (positive counter-clockwise), cached; 1e12 without
  // sub-curves (the cache is then left alone). Discretises with tol when nothing is cached.
  double EvArea(double tol);
  // 0 inside, 1 outside, 2 on the boundary (within tol), judged in xy.
  int IsPtInLoop(const double pt[2], double tol);
  // Whether other lies inside this loop in xy: boxes, then two of its points.
  bool IsContainLoop(CGeLoop3d* other, double tol);
  // Composite sub-curves give way to their members, in order.
  void SeperateComCurve();

  double m_dArea;

 private:
  // The xy projection of the discretisation (made with tol when empty) as a planar loop's
  // point buffer and box; false without points.
  bool Flatten(double tol, CGeLoop& flat);
};
