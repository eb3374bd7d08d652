// Composite curve: an ordered, owned list of planar curves running end to start. Positions
// name a sub-curve (1-based, counting non-null entries) and a parameter whose integer part
// picks the segment inside that sub-curve.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGePolyline;

class CGeCombCurve : public CGeCurve {
  DECLARE_SERIAL(CGeCombCurve)

 public:
  CGeCombCurve();
  ~CGeCombCurve() override;

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeCombCurve* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void CalcBox2d() override;
  void CalcScreenBox(_tagBox2D* box) override;
  void GetBox2d(_tagBox2D* box) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  void Draw(CDC* pDC, int bAsPolyline) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  void DrawNode(CDC* pDC, int bStart, int bEnd) override;
  void ModifyStartPoint(const double p[2]) override;
  void ModifyEndPoint(const double p[2]) override;
  int Pick(CPickRay& ray, int filter) override;
  int Hit(CPickRay& ray, CGeHitResult& result) override;
  void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) override;
  void Discrete(double tol, double step) override;
  void Discrete(double tol) override;
  void DiscreteToElement(CGeCurve3dList* list) override;
  int GetSegmentCount() override;
  void GetStartPoint(double p[2]) override;
  void GetEndPoint(double p[2]) override;
  int GetStartTan(double v[2]) override;
  int GetEndTan(double v[2]) override;
  void GetPointAt(double t, double p[2], unsigned index) override;
  void GetTanVecAt(double t, double v[2], unsigned index) override;
  void EvPos(double t, double p[2], unsigned index) override;
  void Ev1Der(double t, double p[2], double d1[2], unsigned index) override;
  void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned index) override;
  int GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                      double& dist) override;
  int EvParam(double length, double& t, unsigned& seg) override;
  double EvArcLength(double t1, double t2, unsigned index) override;
  double EvTotalArcLength() override;
  int IsLongerThan(double length) override;
  int IsClosed(double tol) override;
  void Reverse() override;
  void Split(double t, CGeCurve* pieces[2], int seg, int index) override;
  void BiArcAppx(double tol, CGeCurveList* list) override;
  CGeShape2d* Shift(const double p[2], const double q[2]) override;
  void Transform(const double m[3][3]) override;

  // List maintenance. A composite handed in gives up its members (one level) and is deleted;
  // an empty one is left to the caller. Loops are kept whole.
  void AddTail(CGeCurve* curve, int recalc);
  void AddHead(CGeCurve* curve, int recalc);
  // The i-th non-null sub-curve (1-based), or null.
  CGeCurve* GetSubCurve(int i);
  // 1 when each sub-curve starts within 0.01 of the previous one's end.
  int IsLinked();
  // Length from position (t1 on sub-curve i1) to (t2 on sub-curve i2).
  double EvArcLength(double t1, unsigned i1, double t2, unsigned i2);

  // Editing.
  void SplitEx(double t, CGeCurve* pieces[2], int index);
  void ReDirection();
  // Runs of lines/polylines and of Beziers each joined into one curve where possible.
  void MergeSubCurve();
  // Runs of lines and polylines joined into simplified polylines.
  void Lean(double tol, double tol2);
  // Runs rebuilt from their points and nodes: lines and polylines into one line or polyline,
  // Beziers into one Bezier.
  void Refine();
  // New polyline through the thinned discretisation; null with fewer than two points.
  CGePolyline* DiscretToPolyLine(double tol, double step);
  // The n-th sub-curve as a Bezier: the composite itself when it already is one, otherwise a
  // new composite (caller owns) of copies with that sub-curve converted.
  CGeCombCurve* ToBezier(unsigned n);

  CGeCurveList m_CurveList;

 protected:
  // Sub-curve `index` and the segment/parameter its position t decodes to; null when absent.
  CGeCurve* Locate(double t, unsigned index, double& u, unsigned& seg);
  // Joins the sub-curves' fresh buffers into pts, dropping each repeated first point. With
  // reuse, a sub-curve that has a buffer already keeps it.
  void JoinSubBuffers(double tol, CPoint2dArray& pts, bool reuse = false);
  // The two pieces of a split at entry `at` from the parts of that entry: copies before plus
  // the first part, the second part plus copies after. Empty pieces are null.
  void AssemblePieces(POSITION at, CGeCurve* parts[2], CGeCurve* pieces[2], bool unwrap);
  // Lean; with keepSingles a run of one curve stays as it is (a single polyline at the end
  // is still thinned).
  void LeanRuns(double tol, double tol2, bool keepSingles);
  // Takes the points as the buffer and recomputes the box; with memberBoxes a nested composite
  // lends the box it holds instead of recomputing its own nesting.
  void SetBuffer(const CPoint2dArray& pts, bool memberBoxes = false);
  void Insert(CGeCurve* curve, int recalc, bool atHead);
  // Deletes every sub-curve and empties the list.
  void DeleteSubCurves();
};

// Replaces each non-null entry by what op answers (a transform may answer a new object of
// another class; the old one is deleted). A null answer keeps the entry unchanged rather
// than losing it.
template <class Op>
void ReplaceEachCurve(CGeCurveList& list, Op op) {
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGeCurve* c = list.GetNext(pos);
    if (!c) continue;
    auto* r = static_cast<CGeCurve*>(op(c));
    if (!r || r == c) continue;
    list.SetAt(at, r);
    delete c;
  }
}
