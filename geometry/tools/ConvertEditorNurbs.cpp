// Curves to kernel NURBS records.
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "geometry/tools/ConvertEditorInternal.h"
#include "platform/numora/Numora.h"

using convert::PoolArray;
using convert::Pt3;

namespace {

constexpr double kMergeTol = 0.02;

struct BcrvDeleter {
  void operator()(BCRV* c) const { BCRV_Free(c); }
};
using BcrvPtr = std::unique_ptr<BCRV, BcrvDeleter>;

// Record filled by a generator member; null when the generator refuses.
template <class Gen>
BCRV* Generate(Gen gen) {
  BcrvPtr c(BCRV_New());
  if (!c || !gen(*c)) return nullptr;
  return c.release();
}

BCRV* GenLine(const double s[3], const double e[3]) {
  return Generate([&](BCRV& c) { return c.GenLine(s, e); });
}

// Interpolation (degree 1 for three or more points); null below two points.
BCRV* FromVertices(const Pt3* pts, int n) {
  if (!pts || n < 2) return nullptr;
  if (n == 2) return GenLine(pts[0], pts[1]);
  return CNurbsEditor::GlobalInterp(pts, n, 1);
}

BCRV* Arc3d(CGeArc3d* arc) {
  _arc rec{arc->m_frame, arc->m_dRadius, arc->m_dSweep};
  BCRV* c = nullptr;
  BCRV_GenArc(&rec, c);
  return c;
}

// The new curve object takes the record; null when there is none.
CGeNrbCrv3d* Wrap(BCRV* c) {
  if (!c) return nullptr;
  auto* nrb = new (std::nothrow) CGeNrbCrv3d;
  if (!nrb) {
    BCRV_Free(c);
    return nullptr;
  }
  nrb->SetCurve(c);
  return nrb;
}

BCRV* Line2d(CGeLine* line) {
  const double s[3] = {line->m_ptStart[0], line->m_ptStart[1], 0.0};
  const double e[3] = {line->m_ptEnd[0], line->m_ptEnd[1], 0.0};
  return GenLine(s, e);
}

BCRV* Arc2d(CGeArc* arc) {
  // A sweep of nothing would read as a full turn to the generator.
  if (!(std::fabs(arc->m_dSweep) > 1e-12)) return nullptr;
  const double a0 = arc->GetStartAngle(), a1 = arc->GetEndAngle();
  if (arc->m_dSweep > 0.0)
    return Generate([&](BCRV& c) { return c.GenArc(arc->m_ptCenter, arc->m_dRadius, a0, a1); });
  BCRV* c = Generate([&](BCRV& r) { return r.GenArc(arc->m_ptCenter, arc->m_dRadius, a1, a0); });
  if (c) c->Reverse();
  return c;
}

BCRV* Circle2d(CGeCircle* circle) {
  BCRV* c = Generate([&](BCRV& r) { return r.GenCircle(circle->m_ptCenter, circle->m_dRadius); });
  if (c && circle->m_nDir == 0) c->Reverse();
  return c;
}

BCRV* Ellipse2d(CGeEllipse* e) {
  BCRV* c = Generate(
      [&](BCRV& r) { return r.GenEll(e->m_ptCenter, e->m_dA, e->m_dB, e->m_dRotation); });
  if (c && e->m_nDir == 0) c->Reverse();
  return c;
}

// Piecewise cubic with triple knots at the segment joints, each segment's knot span in
// proportion to its control-polygon length, so the record is the Bezier curve exactly.
BCRV* Bezier2d(CGeBezier* bez) {
  if (!bez->m_pNode || bez->m_nNode <= 2) return nullptr;
  // Nodes past the last whole segment take no part in the curve.
  const int segs = (bez->m_nNode - 1) / 3;
  if (segs < 1) return nullptr;
  const int n = 3 * segs + 1;
  BcrvPtr c(BCRV_New(4, n));
  if (!c) return nullptr;
  const CBezierNode* nd = bez->m_pNode;
  for (int i = 0; i < n; ++i) {
    c->ctrlPts[i][0] = nd[i].x;
    c->ctrlPts[i][1] = nd[i].y;
    c->ctrlPts[i][2] = 0.0;
    c->ctrlPts[i][3] = 1.0;
  }
  std::vector<double> len(static_cast<size_t>(segs), 0.0);
  double total = 0.0;
  for (int s = 0; s < segs; ++s) {
    for (int k = 3 * s; k < 3 * s + 3; ++k)
      len[size_t(s)] += std::hypot(nd[k + 1].x - nd[k].x, nd[k + 1].y - nd[k].y);
    total += len[size_t(s)];
  }
  // A segment without length still needs a sliver of the domain, else its knots would pile
  // onto the neighbour's and the record would no longer be a valid B-spline; a curve without
  // any length is spread evenly.
  const double minLen = total >= 1e-6 ? total * 1e-6 : 1.0;
  total = 0.0;
  for (double& l : len) total += (l = std::max(l, minLen));
  double acc = 0.0;
  for (int s = 0; s + 1 < segs; ++s) {
    acc += len[size_t(s)];
    const int k = 4 + 3 * s;
    c->knots[k] = c->knots[k + 1] = c->knots[k + 2] = acc / total;
  }
  return c.release();
}

BCRV* Polyline2d(CGePolyline* poly) {
  const int n = poly->m_nSWPoint;
  if (!poly->m_pSWPoint || n < 2) return nullptr;
  PoolArray<Pt3> pts(static_cast<size_t>(n));
  if (!pts.get()) return nullptr;
  for (int i = 0; i < n; ++i) {
    pts[i][0] = poly->m_pSWPoint[i][0];
    pts[i][1] = poly->m_pSWPoint[i][1];
    pts[i][2] = 0.0;
  }
  return FromVertices(pts.get(), n);
}

// Every member converted (failures skipped); one piece is returned as it is, several merged.
template <class List, class Convert>
BCRV* MergeMembers(List& list, Convert convert) {
  std::vector<BCRV*> pieces;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    auto* sub = list.GetNext(pos);
    if (!sub) continue;
    if (BCRV* c = convert(sub)) pieces.push_back(c);
  }
  if (pieces.empty()) return nullptr;
  if (pieces.size() == 1) return pieces.front();
  BCRV* merged = nullptr;
  BCRV_Merge(static_cast<int>(pieces.size()), pieces.data(), kMergeTol, merged);
  for (BCRV* c : pieces) BCRV_Free(c);
  return merged;
}

}  // namespace

BCRV* CConvertEditor::ToNurbsCurve(CGeCurve* curve) {
  if (!curve) return nullptr;
  switch (curve->GetType()) {
    case GE_TYPE_LINE:
      return Line2d(static_cast<CGeLine*>(curve));
    case GE_TYPE_ARC:
      return Arc2d(static_cast<CGeArc*>(curve));
    case GE_TYPE_CIRCLE:
      return Circle2d(static_cast<CGeCircle*>(curve));
    case GE_TYPE_ELLIPSE:
      return Ellipse2d(static_cast<CGeEllipse*>(curve));
    case GE_TYPE_BEZIER:
      return Bezier2d(static_cast<CGeBezier*>(curve));
    case GE_TYPE_POLYLINE:
      return Polyline2d(static_cast<CGePolyline*>(curve));
    case GE_TYPE_COMBCURVE:
      return MergeMembers(static_cast<CGeCombCurve*>(curve)->m_CurveList,
                          [](CGeCurve* c) { return ToNurbsCurve(c); });
    default:
      return nullptr;
  }
}

BCRV* CConvertEditor::ToNurbsCurve(CGeCurve3d* curve) {
  if (!curve) return nullptr;
  switch (curve->GetType()) {
    case GE_TYPE_LINE3D: {
      auto* line = static_cast<CGeLine3d*>(curve);
      return GenLine(line->m_ptStart, line->m_ptEnd);
    }
    case GE_TYPE_ARC3D:
      return Arc3d(static_cast<CGeArc3d*>(curve));
    case GE_TYPE_POLYLINE3D: {
      auto* poly = static_cast<CGePolyline3d*>(curve);
      return FromVertices(poly->m_pVertex, poly->m_nCount);
    }
    case GE_TYPE_NRBCRV3D: {
      const BCRV* c = static_cast<CGeNrbCrv3d*>(curve)->GetCurve();
      return c ? c->Clone() : nullptr;
    }
    case GE_TYPE_COMBCURVE3D:
      return MergeMembers(static_cast<CGeCombCurve3d*>(curve)->m_CurveList,
                          [](CGeCurve3d* c) { return ToNurbsCurve(c); });
    default:
      return nullptr;
  }
}

CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeLine* line) { return Wrap(ToNurbsCurve(line)); }
CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeArc* arc) { return Wrap(ToNurbsCurve(arc)); }
CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeArc3d* arc) { return Wrap(ToNurbsCurve(arc)); }
CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeCircle* circle) { return Wrap(ToNurbsCurve(circle)); }
CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeEllipse* ellipse) {
  return Wrap(ToNurbsCurve(ellipse));
}
CGeNrbCrv3d* CConvertEditor::ToNrbCrv3d(CGeBezier* bezier) { return Wrap(ToNurbsCurve(bezier)); }
