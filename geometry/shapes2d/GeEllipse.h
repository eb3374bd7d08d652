// Full ellipse with a direction flag (1 counter-clockwise, 0 clockwise): semi-axis a along the
// ellipse's own x axis, b along its own y axis, the own x axis at `rotation` to world +x. The
// point at t is centre + R(rotation) (a cos phi, b sin phi), phi = 2*pi*t (clockwise:
// 2*pi*(1 - t)); start and end are both the end of the first semi-axis.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeBezier;

class CGeEllipse : public CGeCurve {
  DECLARE_SERIAL(CGeEllipse)

 public:
  CGeEllipse();
  CGeEllipse(const double centre[2], double a, double b, double rotation, int direction);
  ~CGeEllipse() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeEllipse* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  using CGeCurve::Discrete;
  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  int Pick(CPickRay& ray, int filter) override;
  void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) override;
  void Discrete(double tol) override;
  int GetDiscStep(double tol, double& step) override;
  void GetStartPoint(double p[2]) override;
  void GetEndPoint(double p[2]) override;
  void GetPointAt(double t, double p[2], unsigned seg) override;
  void GetTanVecAt(double t, double v[2], unsigned seg) override;
  void EvPos(double t, double p[2], unsigned seg) override;
  void Ev1Der(double t, double p[2], double d1[2], unsigned seg) override;
  void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) override;
  int GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                      double& dist) override;
  int GetTanPt(const double from[2], double& t, int& seg, double touch[2]) override;
  int EvParam(double length, double& t, unsigned& seg) override;
  double EvArcLength(double t0, double t1, unsigned seg) override;
  double EvTotalArcLength() override;
  int IsClosed(double tol) override;
  double EvArea() override;
  void Reverse() override;
  CGeCurve* Offset(double dist) override;
  void Split(double t, CGeCurve* out[2], int nOpt1, int nOpt2) override;
  void BiArcAppx(double tol, CGeCurveList* list) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // The one operation the ellipse adds to the curve slots: four cubic segments (13 nodes) in
  // the ellipse's direction; the caller owns the result.
  virtual CGeBezier* ToBezier();

  // Closed four-segment Bezier through the axis ends of the ellipse (centre, a, b, rotation)
  // with handle factor k, counter-clockwise for direction 1; the circle's form uses it too.
  // Caller owns the result; null when the construction fails.
  static CGeBezier* QuarterBezier(const double centre[2], double a, double b, double rotation,
                                  double k, int direction);

  double m_ptCenter[2];
  double m_dA;
  double m_dB;
  double m_dRotation;
  int m_nDir;

 private:
  bool IsCcw() const { return m_nDir == 1; }
  // The kernel's counter-clockwise parameter of the curve parameter t (and back).
  double KernelParam(double t) const { return IsCcw() ? t : 1.0 - t; }
};
