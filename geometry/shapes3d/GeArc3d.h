// Circular 3D arc or full circle in a local frame: centre at the frame's origin, normal along
// its z axis, starting at origin + radius·x and turning from x towards y through the sweep.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGeArc3d : public CGeCurve3d {
  DECLARE_SERIAL(CGeArc3d)

 public:
  // Identity frame; radius and sweep come from a creation function or from loading.
  CGeArc3d();
  ~CGeArc3d() override;

  // Curve part, then radius, sweep, origin, x, y, z axes and the frame's spare double.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeArc3d* Copy() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double centre[2], double angle) override;
  void Rotate3D(const double point[3], const double axis[3], double angle) override;
  void Mirror(const double p[2], const double q[2]) override;
  // Shear and unequal scales do not keep an arc: these return a new NURBS curve (owned by
  // the caller, null when the conversion fails) and leave the arc unchanged.
  CGeShape3d* Shift(const double p[2], const double q[2]) override;
  CGeShape3d* Scale(const double base[2], const double f[2]) override;
  CGeShape3d* Scale3D(const double base[3], const double f[3]) override;
  void Mirror3D(const double p[3], const double q[3]) override;
  void Transform(const _rect_fm3d* frame) override;
  void Transform(const double m[4][4]) override;
  void TransformLocal(const _rect_fm3d* frame) override;

  void DrawNode(CDC* pDC, int bFirst, int bLast) override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int GetNearestPoint3D(const double p[3], double out[3], double& t, unsigned& seg,
                        double& dist) override;
  int IsPlanar(double tol, double point[3], double vector[3]) override;
  void Discrete(double tol, CStrP3D& str) override;
  int GetDiscStep(double tol, double& step) override;
  void GetStartPoint(double p[3]) override;
  void GetEndPoint(double p[3]) override;
  void GetPointAt(double t, double p[3], int seg) override;
  void GetStartTanVec(double v[3]) override;
  void GetEndTanVec(double v[3]) override;
  // The tangent has length radius (not unit).
  void GetTanVecAt(double t, double p[3], double v[3], int seg) override;
  void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) override;
  void Reverse() override;
  int IsClosed(double tol) override;
  int EvParam(double length, double& t, unsigned& seg) override;
  void Split(double t, CGeCurve3d** out, int seg) override;

  // Creation functions: 1 on success, 0 on failure (the arc may then be partly changed).
  // Only the circle creators, CreateCSE, CreateSETan and Create3Pnt leave the cache to the
  // caller (DiscreteMe after success).
  int Create3Pnt(const double p1[3], const double p2[3], const double p3[3]);
  // bMinor nonzero: the minor arc; 0: the major arc.
  int CreateCSE(const double centre[3], const double start[3], const double end[3], int bMinor);
  // mode 1: the major arc; otherwise the minor one.
  int CreateCSE(int mode, const double centre[3], const double start[3], const double end[3]);
  int CreateSETan(const double start[3], const double end[3], const double tangent[3]);
  int CreateCricleXY(const double centre[3], double radius);
  int CreateCricleXZ(const double centre[3], double radius);
  int CreateCricleYZ(const double centre[3], double radius);
  // Parameter of the point's projection into the arc plane; 0 (t = 0) at the centre.
  int GetParam(const double p[3], double& t);

  double m_dRadius;
  double m_dSweep;  // radians, positive
  _rect_fm3d m_frame;
};
