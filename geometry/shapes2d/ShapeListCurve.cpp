// Curves built from point strings and tracer records, curve lists joined or merged into one
// curve, and the sweep boundary of an arc.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/lumbril/TraceSpline.h"

namespace {

CGePolyline* PolylineFrom(CPoint2dArray& pts) {
  if (pts.GetSize() < 2) return nullptr;
  auto poly = std::make_unique<CGePolyline>();
  if (!poly->Create(&pts)) return nullptr;
  return poly.release();
}

// Appends p to the joined string unless the string already holds points and p is the first
// point of a new piece (it repeats the previous piece's end). Joined strings are single
// precision, as discretisations are.
void AppendJoined(CPoint2dArray& out, const double p[2], bool firstOfPiece) {
  if (firstOfPiece && out.GetSize() > 0) return;
  tagPoint2d q{static_cast<float>(p[0]), static_cast<float>(p[1])};
  out.Add(q);
}

// Merging requires a chain linked within this gap.
constexpr double kMergeGap = 0.05;

CGeBezier* BezierFrom(const CPoint2dArray& nodes) {
  const INT_PTR n = nodes.GetSize();
  std::vector<double> xy(static_cast<size_t>(2 * n));
  for (INT_PTR i = 0; i < n; ++i) {
    xy[static_cast<size_t>(2 * i)] = nodes[i].x;
    xy[static_cast<size_t>(2 * i + 1)] = nodes[i].y;
  }
  auto bez = std::make_unique<CGeBezier>();
  if (!bez->CreateEx(static_cast<unsigned>(n), reinterpret_cast<const double(*)[2]>(xy.data())))
    return nullptr;
  return bez.release();
}

}  // namespace

CGeBezier* geGenBezierFrmLine(const double a[2], const double b[2]) {
  double nodes[4][2];
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 2; ++k) nodes[i][k] = a[k] + (b[k] - a[k]) * i / 3.0;
  nodes[3][0] = b[0];
  nodes[3][1] = b[1];
  auto bez = std::make_unique<CGeBezier>();
  return bez->CreateEx(4, nodes) ? bez.release() : nullptr;
}

CGeBezier* geGenBezier(const _at_spline_type* spline) {
  if (!spline) return nullptr;
  CPoint2dArray nodes;
  for (const _at_real_coord& v : spline->v) {
    tagPoint2d p{v.x, v.y};
    nodes.Add(p);
  }
  return BezierFrom(nodes);
}

CGeCurve* geGenCurve(CPoint2dArray* pts) {
  if (!pts || pts->GetSize() < 2) return nullptr;
  if (pts->GetSize() == 2) {
    const double s[2] = {(*pts)[0].x, (*pts)[0].y};
    const double e[2] = {(*pts)[1].x, (*pts)[1].y};
    return new CGeLine(s, e);
  }
  return PolylineFrom(*pts);
}

CGePolyline* geCurveToPolyline(CGeCurve* curve, double tol) {
  if (!curve || tol < 0.0) return nullptr;
  std::unique_ptr<CGeCurve> copy(curve->Copy());
  if (!copy) return nullptr;
  copy->Discrete(tol);
  if (copy->m_nSWPoint < 2 || !copy->m_pSWPoint) return nullptr;
  auto poly = std::make_unique<CGePolyline>();
  if (!poly->Create(copy->m_nSWPoint, copy->m_pSWPoint)) return nullptr;
  return poly.release();
}

CGePolyline* geCurveListToPolyLine(CGeCurveList* list, double tol, double step) {
  if (!list || !geIsLinkCurve2d(list, tol)) return nullptr;
  CPoint2dArray joined;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c) continue;
    CPoint2dArray piece;
    c->Discrete(tol, &piece, step, false);
    for (INT_PTR i = 0; i < piece.GetSize(); ++i) {
      if (i == 0 && joined.GetSize() > 0) continue;
      joined.Add(piece[i]);
    }
  }
  return PolylineFrom(joined);
}

CGePolyline* geMergeLine(CGeCurveList* list) {
  if (!list || list->IsEmpty() || !geIsLinkCurve2d(list, kMergeGap)) return nullptr;
  CPoint2dArray joined;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c) continue;
    if (c->GetType() == GE_TYPE_LINE) {
      double s[2], e[2];
      c->GetStartPoint(s);
      c->GetEndPoint(e);
      AppendJoined(joined, s, true);
      AppendJoined(joined, e, false);
    } else if (c->GetType() == GE_TYPE_POLYLINE) {
      for (int i = 0; i < c->m_nSWPoint; ++i) AppendJoined(joined, c->m_pSWPoint[i], i == 0);
    }
  }
  return PolylineFrom(joined);
}

CGeBezier* geMergeBezier(CGeCurveList* list) {
  if (!list || list->IsEmpty() || !geIsLinkCurve2d(list, kMergeGap)) return nullptr;
  CPoint2dArray nodes;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c || c->GetType() != GE_TYPE_BEZIER) continue;
    const auto* bez = static_cast<CGeBezier*>(c);
    for (int i = 0; i < bez->m_nNode; ++i) {
      const double p[2] = {bez->m_pNode[i].x, bez->m_pNode[i].y};
      AppendJoined(nodes, p, i == 0);
    }
  }
  return BezierFrom(nodes);
}

CGePolyline* geCreateSweepBound(CGeArc* arc, const double r[2]) {
  if (!arc || !r) return nullptr;
  const double sweep = arc->m_dSweep;
  // A sweep of nothing has no boundary (and would divide 0 by 0 below).
  if (!(std::fabs(sweep) > 0.0) || !std::isfinite(sweep)) return nullptr;
  double u[2] = {arc->m_vStart[0], arc->m_vStart[1]};
  if (!V2D_Unit(u, 1e-6)) return nullptr;
  const double tol = gGetCurveDicTol();
  const double s = std::fabs(sweep);
  int counts[2];
  for (int i = 0; i < 2; ++i) {
    // A radius no larger than the tolerance needs no more than the minimum count; the cap
    // keeps absurd radii from asking for more points than memory holds.
    const double a = r[i] > 0.0 ? CMath::ACos((r[i] - tol) / r[i]) : 0.0;
    const double q = a > 0.0 ? s / a : 0.0;
    counts[i] = static_cast<int>(std::min(q, 1048576.0));
  }
  const int n = std::max((counts[0] + counts[1]) / 2, 5);
  CPoint2dArray pts;
  pts.SetSize(n + 1);
  for (int k = 0; k <= n; ++k) {
    const double alpha = k == n ? sweep : k * sweep / n;
    const double f = k == n ? 1.0 : alpha / sweep;
    const double rho = (1.0 - f) * r[0] + f * r[1];
    double d[2];
    V2D_Rot(u, alpha, d);
    pts[k] = tagPoint2d{static_cast<float>(arc->m_ptCenter[0] + rho * d[0]),
                        static_cast<float>(arc->m_ptCenter[1] + rho * d[1])};
  }
  return PolylineFrom(pts);
}
