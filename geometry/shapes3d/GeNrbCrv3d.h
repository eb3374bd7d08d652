// 3D NURBS curve: owns one kernel curve record, evaluates through it, edits its control points
// and knots, and keeps an adaptive (chord and turning-angle) discretisation in the curve cache.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

struct BCRV;

class CGeNrbCrv3d : public CGeCurve3d {
  DECLARE_SERIAL(CGeNrbCrv3d)

 public:
  CGeNrbCrv3d();
  explicit CGeNrbCrv3d(BCRV* crv);
  ~CGeNrbCrv3d() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeNrbCrv3d* Copy() override;
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

  void DrawNode(CDC* pDC, int bFirst, int bLast) override;
  int GetNodeBox(_tagBox3D* box) override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int IsPlanar(double tol, double point[3], double vector[3]) override;
  void Discrete(double tol, CStrP3D& str) override;
  int GetDiscStep(double tol, double& step) override;
  void GetStartPoint(double p[3]) override;
  void GetEndPoint(double p[3]) override;
  void GetPointAt(double t, double p[3], int seg) override;
  void GetStartTanVec(double v[3]) override;
  void GetEndTanVec(double v[3]) override;
  void GetTanVecAt(double t, double p[3], double v[3], int seg) override;
  void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) override;
  void Reverse() override;
  double EvTotalArcLength() override;
  int EvParam(double length, double& t, unsigned& seg) override;
  void Split(double t, CGeCurve3d* pieces[2], int seg) override;

  // Takes ownership of crv (null is ignored). A record held before is not released: meant for
  // curves that hold none.
  void SetCurve(BCRV* crv);
  // The held record itself (null when none).
  BCRV* GetCurve() const { return m_pCurve; }

  // Interpolation through n points; 0 when degree >= n or fitting fails (then no record).
  int CreateInterp(const double (*pts)[3], int n, int degree, double tol);
  // The points as control points with chord-length knots; degree capped to 1 for two points
  // and 2 for three.
  int CreateCtrlPt(const double (*pts)[3], int n, int degree, double tol);
  // Removes one control point (or the listed ones) and rebuilds the knots from the rest.
  void DelCtrlPt(int index);
  void DelCtrlPt(const int* indices, int k);
  // Inserts the knot t (0 < t < 1) without changing the shape.
  void AddNode(double t);
  double EvArcLength(double t0, double t1, double tol);

 protected:
  // Replaces the held record (freeing the old one) and refills the cache.
  void Replace(BCRV* crv);
  // Applies f to every control point in Cartesian form, keeping the weights.
  template <class F>
  void MapCtrlPts(F f);

  BCRV* m_pCurve;
};
