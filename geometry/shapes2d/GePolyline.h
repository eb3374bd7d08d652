// Planar chain of straight segments, open or closed. The vertices are the curve's point buffer
// itself, so its discretisation is the identity. Segment i (from 1) runs from vertex i-1 to
// vertex i.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class Position;
class CGeCombCurve;

class CGePolyline : public CGeCurve {
  DECLARE_SERIAL(CGePolyline)

 public:
  CGePolyline();
  // n uninitialised vertices.
  explicit CGePolyline(int n);
  ~CGePolyline() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGePolyline* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;

  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  void ModifyStartPoint(const double p[2]) override;
  void ModifyEndPoint(const double p[2]) override;
  int Pick(CPickRay& ray, int filter) override;
  int Hit(CPickRay& ray, CGeHitResult& result) override;
  void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) override;
  void Discrete(double tol, double ang) override;
  void Discrete(double tol) override;
  // More than 15 vertices: fitted NURBS pieces; otherwise one 3D line per segment (z = 0).
  void DiscreteToElement(CGeCurve3dList* list) override;
  int GetDiscStep(double tol, double& step) override;
  int GetSegmentCount() override;
  void GetStartPoint(double p[2]) override;
  void GetEndPoint(double p[2]) override;
  void GetPointAt(double t, double p[2], unsigned seg) override;
  int GetPointEx(double t, double p[2]) override;
  void GetTanVecAt(double t, double v[2], unsigned seg) override;
  void EvPos(double t, double p[2], unsigned seg) override;
  void Ev1Der(double t, double p[2], double d1[2], unsigned seg) override;
  void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) override;
  int GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                      double& dist) override;
  int EvParam(double length, double& t, unsigned& seg) override;
  double EvArcLength(double t1, double t2, unsigned seg) override;
  double EvTotalArcLength() override;
  int IsLongerThan(double length) override;
  int IsClosed(double tol) override;
  void Split(double t, CGeCurve* out[2], int seg, int nOpt) override;
  void BiArcAppx(double tol, CGeCurveList* list) override;

  // Copy of n >= 2 points (0 otherwise); sets the closed flag when the ends meet.
  int Create(int n, const double pts[][2]);
  // From a single-precision point string of at least 2 points (0 otherwise, no vertices).
  int Create(CPoint2dArray* pts);

  void SetPoint(int i, const double p[2]);
  void GetPoint(int i, double p[2]);
  void GetPoint(int i, Position& p);
  // New polyline of vertices first..last (caller owns); null unless first < last < count.
  CGePolyline* ToPolyline(unsigned first, unsigned last);

  // Composite of the vertices before segment seg (a polyline), that segment as a straight
  // Bezier, and the vertices after it (a polyline); caller owns it. Null unless seg is a
  // segment.
  CGeCombCurve* ToBezier(unsigned seg);

  // Arc length from (t1, segment i1) to (t2, segment i2).
  double EvArcLength(double t1, unsigned i1, double t2, unsigned i2);

  // Collapses runs of vertices at most tol apart to the last of each run.
  void FilterRepeatPoint(double tol);
  // Thins the vertices (all come back rounded to single precision).
  void Lean(double tol);
  // Removes vertex i; the ends of a closed chain stay.
  void DelMainNode(unsigned i);
  // Removes the listed vertices at once; a closed chain whose both ends are listed stays closed.
  void DelMainNode(const unsigned* list, int m);
  // Cut at the given increasing vertex indices; the pieces are appended to the list.
  void SplitInNode(const int* idx, int m, CGeCurveList* list);

  int GetCount() const { return m_nSWPoint; }

 private:
  bool HasSegment(unsigned seg) const;
};
