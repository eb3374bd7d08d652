// Straight segment between two points.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeBezier;

class CGeLine : public CGeCurve {
  DECLARE_SERIAL(CGeLine)

 public:
  CGeLine();
  CGeLine(const double start[2], const double end[2]);
  ~CGeLine() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeLine* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void CalcBox2d() override;
  void GetBox2d(_tagBox2D* box) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  using CGeCurve::Discrete;
  void Draw(CDC* pDC, int bWhole) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  void ModifyStartPoint(const double p[2]) override;
  void ModifyEndPoint(const double p[2]) override;
  int Pick(CPickRay& ray, int filter) override;
  void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) override;
  void Discrete(double tol, double ang) override;
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
  int EvParam(double length, double& t, unsigned& seg) override;
  double EvArcLength(double t0, double t1, unsigned seg) override;
  double EvTotalArcLength() override;
  int IsClosed(double tol) override;
  void Reverse() override;
  CGeCurve* Offset(double dist) override;
  void Split(double t, CGeCurve* out[2], int nOpt1, int nOpt2) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // Straight single-segment cubic Bezier over the line; caller owns it.
  CGeBezier* ToBezier();

  double m_ptStart[2];
  double m_ptEnd[2];
};
