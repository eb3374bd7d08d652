// Small builders shared by the curve-list tests: lines through point sequences, owned lists,
// and a tool whose inner steps the tests may call.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "tests/support/ShoelaceArea.h"

namespace chaintest {

struct Pt {
  double x, y;
};

// Exposes the inner steps that are not part of the public interface.
struct Tool : CGeTool2D {
  using CGeTool2D::EvArea;
  using CGeTool2D::SearchLoop;
};

// Frees whatever is left in the lists when a test ends, whatever its outcome.
struct CurveListGuard {
  CGeCurveList list;
  ~CurveListGuard() { geDelCurveList(&list); }
};
struct LoopListGuard {
  CGeLoopList list;
  ~LoopListGuard() { geDelGeLoopList(&list, false); }
};

inline CGeLine* Line(Pt a, Pt b) {
  const double s[2] = {a.x, a.y}, e[2] = {b.x, b.y};
  return new CGeLine(s, e);
}

// Lines p0-p1, p1-p2, ..., appended in order; closed adds p(n-1)-p0.
inline void AddPath(CGeCurveList& list, std::initializer_list<Pt> pts, bool closed) {
  std::vector<Pt> v(pts);
  for (size_t i = 0; i + 1 < v.size(); ++i) list.AddTail(Line(v[i], v[i + 1]));
  if (closed && v.size() > 2) list.AddTail(Line(v.back(), v.front()));
}

inline double Dist(const double a[2], const double b[2]) {
  return std::hypot(a[0] - b[0], a[1] - b[1]);
}

// Number of entries of a composite (its own list, nulls skipped).
inline int Count(CGeCombCurve* c) {
  int n = 0;
  for (POSITION pos = c->m_CurveList.GetHeadPosition(); pos;)
    if (c->m_CurveList.GetNext(pos)) ++n;
  return n;
}

// 1 when every sub-curve starts within tol of the previous one's end.
inline bool IsChained(CGeCombCurve* c, double tol) {
  double prev[2];
  bool first = true;
  for (POSITION pos = c->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* k = c->m_CurveList.GetNext(pos);
    double s[2];
    k->GetStartPoint(s);
    if (!first && Dist(s, prev) > tol) return false;
    k->GetEndPoint(prev);
    first = false;
  }
  return true;
}

// Signed shoelace area of the chain's end points, independent of the curves' buffers.
inline double VertexArea(CGeCombCurve* c) {
  std::vector<std::pair<double, double>> v;
  for (POSITION pos = c->m_CurveList.GetHeadPosition(); pos;) {
    double s[2];
    c->m_CurveList.GetNext(pos)->GetStartPoint(s);
    v.emplace_back(s[0], s[1]);
  }
  return shoelace::Area(v.size(), [&](size_t i) { return v[i]; });
}

}  // namespace chaintest
