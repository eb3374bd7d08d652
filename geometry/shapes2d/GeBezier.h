// Planar piecewise cubic Bezier curve. Nodes run main, control, control, main, ...: segment i
// (from 1) uses nodes 3(i-1) .. 3i, so m segments take 3m+1 nodes. Each main node carries a
// continuity kind that handle editing keeps.
#pragma once

#include <cstdint>

#include "geometry/shapes2d/GeCurve.h"

// Continuity kinds of main nodes (control nodes carry 0).
constexpr int BEZ_NODE_CORNER = 0;     // corner, or an end of an open curve
constexpr int BEZ_NODE_SMOOTH = 1;     // both handles collinear
constexpr int BEZ_NODE_SYMMETRIC = 2;  // collinear and of equal length (within 0.001)

// Brings a length into a curve of total length `total` for the length-to-parameter search:
// wrapped around a closed curve, clamped to the end of an open one. False for a closed curve
// without length (there is nothing to wrap around) or a non-finite length on it.
bool geWrapArcLength(double& len, double total, bool closed);

// Lines and biarcs fitted through the points within tol, appended to the list (nothing when
// the fit gives nothing).
void geBiarcsToList(const double pts[][2], int n, double tol, CGeCurveList* list);

class CBezierNode {
 public:
  CBezierNode() : x(0.0), y(0.0), kind(0) {}
  CBezierNode(double px, double py, int32_t k = 0) : x(px), y(py), kind(k) {}

  double x;
  double y;
  int32_t kind;
};

class CGeBezier : public CGeCurve {
  DECLARE_SERIAL(CGeBezier)

 public:
  CGeBezier();
  ~CGeBezier() override;
  // Nodes are owned through a raw array; duplicates are made with Copy().
  CGeBezier(const CGeBezier&) = delete;
  CGeBezier& operator=(const CGeBezier&) = delete;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeBezier* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  using CGeCurve::Discrete;
  void Draw(CDC* pDC, int bWhole) override;
  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  void GetNodeBox(_tagBox2D* box) override;
  void ModifyStartPoint(const double p[2]) override;
  void ModifyEndPoint(const double p[2]) override;
  void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) override;
  void Discrete(double tol) override;
  void DiscreteToElement(CGeCurve3dList* list) override;
  int GetDiscStep(double tol, double& step) override;
  int GetSegmentCount() override;
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
  double EvArcLength(double t1, double t2, unsigned seg) override;
  double EvTotalArcLength() override;
  int IsLongerThan(double length) override;
  int IsClosed(double tol) override;
  void Reverse() override;
  void Split(double t, CGeCurve* out[2], int nOpt1, int nOpt2) override;
  void BiArcAppx(double tol, CGeCurveList* list) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // Creation: 1 on success, 0 when refused (the curve is then left as it was). Each replaces
  // the nodes, sets the closed flag and rediscretises with the current tolerance.
  // Through n >= 2 points, with smoothed interior nodes.
  int Create(unsigned n, const double pts[][2]);
  // From n >= 3 raw nodes in node order; kinds are derived from the handle geometry.
  int CreateEx(unsigned n, const double pts[][2]);
  // From n >= 3 nodes copied as they are, kinds included.
  int CreateEx(unsigned n, const CBezierNode* nodes);

  // The four nodes of segment i (from 1); nothing for i out of range.
  void GetCtrlPoint(unsigned i, double out[4][2]);
  // Arc length from (t1, segment i1) to (t2, segment i2).
  double EvArcLength(double t1, unsigned i1, double t2, unsigned i2);

  // Editing. Out-of-range indices do nothing.
  void ModifyCtrlPoint(unsigned i, const double p[2]);
  // Re-aligns the handles of main node i by its kind after a move (no rediscretisation).
  void ModifyCtrlPoint(unsigned i);
  // Inserts a main node at t of segment i.
  void AddMainNode(unsigned i, double t);
  // Removes main node i (a multiple of 3) with its two controls.
  void DelMainNode(unsigned i);
  // Removes the listed main nodes at once; a closed curve whose both ends are listed stays
  // closed.
  void DelMainNode(const unsigned* list, int m);

  // Cut at t of segment i into two new curves (caller owns them); both null when refused.
  void Split(unsigned i, double t, CGeBezier*& left, CGeBezier*& right);
  // Cut at the given increasing node indices; the pieces are appended to the list.
  void SplitInNode(const int* idx, int m, CGeCurveList* list);

  int GetNodeCount() const { return m_nNode; }

  CBezierNode* m_pNode;  // owned, array new; null when empty
  int m_nNode;

 private:
  void SetNodes(CBezierNode* nodes, int n);
  void SegmentAt(unsigned seg, double out[4][2]) const;
  bool HasSegment(unsigned seg) const;
  void FlattenInto(CPoint2dArray& pts, double tol) const;
  void FinishCreate();
  // Applies fn to every node position.
  template <class Fn>
  void ForEachNode(Fn fn);
};
