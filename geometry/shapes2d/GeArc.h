// Circular arc of signed sweep (positive counter-clockwise). The point at t in [0, 1] is
// centre + radius * (cos a, sin a), a = start angle + sweep * t; only the direction of the
// start vector is used, its length may differ from the radius after an offset.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeBezier;

class CGeArc : public CGeCurve {
  DECLARE_SERIAL(CGeArc)

 public:
  CGeArc();
  ~CGeArc() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeArc* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void CalcBox2d() override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  using CGeCurve::Discrete;
  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  void ModifyStartPoint(const double p[2]) override;
  void ModifyEndPoint(const double p[2]) override;
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
  void Reverse() override;
  CGeCurve* Offset(double dist) override;
  void Split(double t, CGeCurve* out[2], int nOpt1, int nOpt2) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // Constructions: 1 on success, 0 on degenerate input. They leave the point buffer as it
  // was; a caller that has drawn the arc before calls Discrete afterwards.
  int Create(const CGeArc* other);
  int Create3Pnt(const double p1[2], const double p2[2], const double p3[2]);
  int CreateCSE(const double centre[2], const double start[2], const double end[2], int ccw);
  int CreateCSE(int major, const double centre[2], const double start[2], const double end[2]);
  int CreateCSEAngle(const double centre[2], double radius, double startAngle, double endAngle);
  int CreateSESTan(const double start[2], const double end[2], const double startTan[2]);
  int CreateSEETan(const double start[2], const double end[2], const double endTan[2]);
  int CreateSERad(const double start[2], const double end[2], double radius, int side);
  int CreateSEAngle(const double start[2], const double end[2], double sweep);

  double GetStartAngle();
  double GetEndAngle();
  int GetArcDirection();
  double GetMaxArcHeight();
  int IsPointOn(const double pt[2], double& t);
  void CalcPreciseBox2d();
  // Cubic Bezier over the arc; caller owns it, null when a conversion step fails.
  CGeBezier* ToBezier();

  double m_ptCenter[2];
  double m_dRadius;
  double m_vStart[2];
  double m_dSweep;

 private:
  void SetArc(const double centre[2], double radius, const double startVec[2], double sweep);
};
