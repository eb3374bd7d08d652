// Full circle with a direction flag (1 counter-clockwise, 0 clockwise). The point at t in
// [0, 1] lies at angle 2*pi*t (clockwise: 2*pi*(1 - t)); start and end are both at angle 0.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeArc;
class CGeBezier;
class CGeEllipse;

class CGeCircle : public CGeCurve {
  DECLARE_SERIAL(CGeCircle)

 public:
  CGeCircle();
  CGeCircle(const double centre[2], double radius, int direction);
  ~CGeCircle() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeCircle* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void CalcBox2d() override;
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
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // Conversions; the caller owns the result. The arc is not discretised yet.
  CGeArc* ToArc();
  CGeEllipse* ToEllipse();
  // Four cubic segments (13 nodes) counter-clockwise for direction 1, clockwise otherwise.
  CGeBezier* ToBezier(int direction);

  // 1 with the point's parameter when it lies within 0.01 of the circle, else 0.
  int IsPointOn(const double pt[2], double& t);

  // Segment counts of a full turn, shared with the ellipse (whose larger semi-axis plays the
  // radius). TurnSegments: trunc(2*pi / acos((r - tol) / r)), 0 for a degenerate radius.
  // TurnStep: the parameter step for a tolerance (0.1 when the tolerance exceeds the radius,
  // at least 8 steps otherwise). Both are bounded so that no radius or tolerance can ask for
  // unbounded work.
  static int TurnSegments(double r, double tol);
  static double TurnStep(double r, double tol);
  // A length beyond one turn of length `total` reduced by whole turns, into (0, total]: a
  // whole number of turns ends at the end, as taking one turn off at a time would.
  static double WrapTurns(double length, double total);

  double m_ptCenter[2];
  double m_dRadius;
  int m_nDir;

 private:
  bool IsCcw() const { return m_nDir == 1; }
};
