// One boundary of a trim loop: a curve in the surface's (u, v) parameter plane, which defines
// the trimmed domain, and its image on the surface in space, which is what is seen and picked.
#pragma once

#include "geometry/shapes2d/GeCurve.h"
#include "geometry/shapes3d/GeCurve3d.h"

class CGeTrimLoop;
class CGeTrimSurf;
struct _nurbs_surface;

class CGeTrimBnd : public CGeShape3d {
  DECLARE_SERIAL(CGeTrimBnd)

 public:
  CGeTrimBnd();
  CGeTrimBnd(CGeCurve* paraCurve, CGeCurve3d* spaceCurve, CGeTrimLoop* owner);
  ~CGeTrimBnd() override;
  CGeTrimBnd(const CGeTrimBnd&) = delete;
  CGeTrimBnd& operator=(const CGeTrimBnd&) = delete;

  // Boundaries are rebuilt from their loop's surface, never stored.
  void Serialize(CArchive& ar) override;
  int GetType() const override;
  CGeTrimBnd* Copy() override;
  void CalcBox() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double c[2], double angle) override;
  void Rotate3D(const double p[3], const double axis[3], double angle) override;
  void Mirror(const double p[2], const double q[2]) override;
  CGeShape3d* Shift(const double p[2], const double q[2]) override;
  CGeShape3d* Scale(const double base[2], const double f[2]) override;
  CGeShape3d* Scale3D(const double base[3], const double f[3]) override;
  void Mirror3D(const double p[3], const double q[3]) override;
  void Transform(const _rect_fm3d* frame) override;
  void Transform(const double m[4][4]) override;
  void TransformLocal(const _rect_fm3d* frame) override;

  // uv is preset to (-1, -1). 1 with a parameter curve, else 1 with a space curve, else 0.
  int GetStartPoint(double* xyz, double* uv);
  int GetEndPoint(double* xyz, double* uv);
  void Discrete(double tol);
  void Draw(CDC* pDC);
  int DrawGL(COpenGLDC* pDC, int nMode);
  int Pick(CPickRay& ray, int filter);
  void Reverse();
  // (u, v) at t in [0, 1] of the whole parameter curve (a polyline's vertices spaced evenly in
  // t); 0 without one.
  int GetParaPoint(double t, double uv[2]);
  // record: x, y, z, u, v of the boundary point at t in [0, 1] on the surface.
  int GetPoint(double t, CGeTrimSurf* surface, double* record);
  // Adaptive samples (x, y, z, u, v) along the boundary; the number written.
  int DiscreteBound(CGeTrimSurf* surface, double tol, double (*records)[5], int& count,
                    int maximum);
  // The space curve, a polyline replaced by an interpolating NURBS curve where possible.
  CGeCurve3d* GetNurbEucCrv();
  // Rebuilds the space curve on the surface.
  void UpdateEucCrv(_nurbs_surface* surface, double tol);
  // Exact iso-curve image of an axis-parallel line parameter curve, null otherwise.
  CGeCurve3d* MakeIsoEucCrv(const _nurbs_surface* surface) const;
  // The parameter curve's point buffer, discretised with tol first when empty; null and n = 0
  // without a parameter curve.
  const double (*ParaPoints(double tol, int& n))[2];

  CGeCurve* m_pParaCrv;    // owned; x is u, y is v
  CGeCurve3d* m_pEucCrv;   // owned
  CGeTrimLoop* m_pOwner;   // not owned
};
