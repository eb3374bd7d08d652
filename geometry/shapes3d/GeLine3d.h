// Straight 3D segment; parameter 0 at the start, 1 at the end.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGeLine3d : public CGeCurve3d {
  DECLARE_SERIAL(CGeLine3d)

 public:
  CGeLine3d();
  // Cache filled with tolerance 0.1.
  CGeLine3d(const double start[3], const double end[3]);
  // Float points widened to doubles; cache filled with the current tolerance.
  CGeLine3d(const tagPoint3d& start, const tagPoint3d& end);
  ~CGeLine3d() override;

  // Curve part, then start x, y, z, end x, y, z.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeLine3d* Copy() override;
  void CalcBox() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double centre[2], double angle) override;
  void Rotate3D(const double point[3], const double axis[3], double angle) override;
  void Mirror(const double p[2], const double q[2]) override;
  CGeShape3d* Shift(const double p[2], const double q[2]) override;
  CGeShape3d* Scale(const double base[2], const double f[2]) override;
  CGeShape3d* Scale3D(const double base[3], const double f[3]) override;
  void Mirror3D(const double p[3], const double q[3]) override;
  void Transform(const _rect_fm3d* frame) override;
  void Transform(const double m[4][4]) override;
  void TransformLocal(const _rect_fm3d* frame) override;

  void DrawNode(CDC* pDC, int bFirst, int bLast) override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int GetNearestPoint2D(const double p[3], double out[3], double& t, unsigned& seg,
                        double& dist) override;
  int Pick(CPickRay& ray, int filter) override;
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
  int IsClosed(double tol) override;
  int EvParam(double length, double& t, unsigned& seg) override;
  void Split(double t, CGeCurve3d** out, int seg) override;

  double m_ptStart[3];
  double m_ptEnd[3];
};
