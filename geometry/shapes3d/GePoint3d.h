// A single 3D point as a shape.
#pragma once

#include "geometry/shapes3d/GeShape3d.h"

class CPickRay;

class CGePoint3d : public CGeShape3d {
  DECLARE_SERIAL(CGePoint3d)

 public:
  CGePoint3d();
  CGePoint3d(double x, double y, double z);
  ~CGePoint3d() override;

  // Shape part (unconditionally), then x, y, z.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGePoint3d* Copy() override;
  void CalcBox() override;
  void CalcScreenBox(_tagBox2D* box) override;
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

  virtual int Pick(CPickRay& ray, int filter);

  void SetPoint3D(const double p[3]);
  void GetPoint3D(double p[3]) const;

  double m_pt[3];
};
