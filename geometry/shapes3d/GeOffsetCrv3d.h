// Curve kept at a constant distance from an owned base curve, sideways in the plane normal to a
// direction vector: the point at t is B(t) + distance * unit(direction x T(t)). It evaluates
// from its base on demand.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGeOffsetCrv3d : public CGeCurve3d {
  DECLARE_SERIAL(CGeOffsetCrv3d)

 public:
  CGeOffsetCrv3d();
  // Takes ownership of base; the cache stays empty.
  CGeOffsetCrv3d(CGeCurve3d* base, double dist, const double dir[3]);
  ~CGeOffsetCrv3d() override;

  // Curve part, the base as the only element of an object list, distance, direction.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeOffsetCrv3d* Copy() override;
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

  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int IsPlanar(double tol, double point[3], double vector[3]) override;
  void Discrete(double tol, CStrP3D& str) override;
  int GetSegmentCount() override;
  void GetStartPoint(double p[3]) override;
  void GetEndPoint(double p[3]) override;
  void GetPointAt(double t, double p[3], int seg) override;
  void GetStartTanVec(double v[3]) override;
  void GetEndTanVec(double v[3]) override;
  void GetTanVecAt(double t, double p[3], double v[3], int seg) override;
  void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) override;
  void Reverse() override;
  int EvParam(double length, double& t, unsigned& seg) override;
  void Split(double t, CGeCurve3d* pieces[2], int seg) override;

  CGeCurve3d* m_pBase;  // owned
  double m_dDist;
  double m_vDir[3];

 private:
  // Base point p plus the offset along unit(direction x tangent); none where that vanishes.
  void OffsetPoint(double p[3], const double tangent[3]) const;
  // Carries direction and side through a point map of the base (reflections flip the side).
  template <class F>
  void MapFrame(F f);
  // Takes the base's answer to Shift or Scale: another object replaces the base.
  void AdoptResult(CGeShape3d* result);
};
