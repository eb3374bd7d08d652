// Turning curves and linked curve lists into simpler ones: equally spaced points, polylines
// per curve or for a whole chain, lines and arcs only, and the area a chain encloses.
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/GeTool2D.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Accessors.h"

namespace {

constexpr double kFlatAngle = 2.9670597283898;  // 170 degrees: keeps all but near-straight turns
constexpr double kMinStep = 0.001;
constexpr double kLinkedGap = 1e-6;
constexpr double kAreaTol = 0.01;

}  // namespace

int CGeTool2D::DiscreteToPoint(CGeCurve* curve, double step, CStrP2D& points) {
  if (!curve || !(step >= kMinStep)) return 0;
  std::unique_ptr<CGeCurve> flat;
  CGeCurve* src = curve;
  switch (curve->GetType()) {
    case GE_TYPE_COMBCURVE:
      flat.reset(curve->DiscreteToPLine(gGetCurveDicTol(), kFlatAngle));
      if (!flat) return 0;
      src = flat.get();
      break;
    case GE_TYPE_LINE:
    case GE_TYPE_ARC:
    case GE_TYPE_CIRCLE:
    case GE_TYPE_ELLIPSE:
    case GE_TYPE_BEZIER:
    case GE_TYPE_POLYLINE:
      break;
    default:
      return 0;
  }
  points.Clear();
  const double length = src->EvTotalArcLength();
  const double steps = length / step;
  if (!(steps < INT_MAX - 1)) return 0;  // no length, or more points than can be counted
  const int n = static_cast<int>(steps) + 1;
  if (n <= 1) return 0;
  double p[2] = {0.0, 0.0};
  src->GetStartPoint(p);
  points.Append(p, 0.0);
  for (int i = 1; i < n; ++i) {
    const double at = i * step;
    double t = 0.0;
    unsigned seg = 1;
    if (!src->EvParam(at, t, seg)) {
      points.Clear();
      return 0;
    }
    src->GetPointAt(t, p, seg);
    points.Append(p, at);
  }
  return 1;
}

int CGeTool2D::DiscretToLine(CGeCurveList* curves, CGeCurveList* out, double tol) {
  if (!curves || !out || !IsLinked(curves, kLinkedGap)) return 0;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    CPoint2dArray pts;
    c->Discrete(tol, &pts, kFlatAngle, true);
    if (pts.GetSize() < 2) continue;
    auto line = std::make_unique<CGePolyline>();
    if (line->Create(&pts)) out->AddTail(line.release());
  }
  return 1;
}

CGePolyline* CGeTool2D::DiscretToPolyLine(CGeCurveList* curves, double tol) {
  if (!curves || !IsLinked(curves, tol)) return nullptr;
  std::vector<double> xy;  // kept points, x and y interleaved
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    c->Discrete(tol);
    for (int i = 0; i < c->m_nSWPoint; ++i) {
      const double p[2] = {static_cast<float>(c->m_pSWPoint[i][0]),
                           static_cast<float>(c->m_pSWPoint[i][1])};
      // Consecutive curves share an end: keep it once.
      if (!xy.empty()) {
        const double last[2] = {xy[xy.size() - 2], xy.back()};
        if (P2D_Dist(p, last) < tol) continue;
      }
      xy.push_back(p[0]);
      xy.push_back(p[1]);
    }
  }
  const int n = static_cast<int>(xy.size() / 2);
  if (n < 2) return nullptr;
  auto line = std::make_unique<CGePolyline>();
  if (!line->Create(n, reinterpret_cast<const double(*)[2]>(xy.data()))) return nullptr;
  line->Discrete(gGetCurveDicTol());
  return line.release();
}

int CGeTool2D::ConvertToSimpleCurve(CGeCurve* curve, CGeCurveList* out, double tol,
                                    bool toPolyline) {
  if (!curve || !out) return 0;
  const double ang = gGetCurveDicAng();
  auto append = [out](CGeCurve* c) {
    if (!c) return 0;
    out->AddTail(c);
    return 1;
  };
  switch (curve->GetType()) {
    case GE_TYPE_LINE:
    case GE_TYPE_POLYLINE:
      return append(curve->Copy());
    case GE_TYPE_ARC:
    case GE_TYPE_CIRCLE:
      return append(toPolyline ? curve->DiscreteToPLine(tol, ang) : curve->Copy());
    case GE_TYPE_ELLIPSE:
    case GE_TYPE_BEZIER: {
      if (toPolyline) return append(curve->DiscreteToPLine(tol, ang));
      const INT_PTR before = out->GetCount();
      curve->BiArcAppx(tol, out);
      return out->GetCount() > before ? 1 : 0;
    }
    case GE_TYPE_COMBCURVE: {
      if (toPolyline) return append(curve->DiscreteToPLine(tol, ang));
      auto* source = static_cast<CGeCombCurve*>(curve);
      auto simple = std::make_unique<CGeCombCurve>();
      bool complete = true;
      for (POSITION pos = source->m_CurveList.GetHeadPosition(); pos;) {
        CGeCurve* sub = source->m_CurveList.GetNext(pos);
        if (!sub) continue;
        CGeCurveList parts;
        if (!ConvertToSimpleCurve(sub, &parts, tol, false)) complete = false;
        while (!parts.IsEmpty()) simple->AddTail(parts.RemoveHead(), 0);
      }
      // A piece that could not be simplified would leave a gap: no partial composite.
      if (!complete || simple->m_CurveList.IsEmpty()) return 0;
      simple->CalcBox2d();
      out->AddTail(simple.release());
      return 1;
    }
    default:
      return 0;
  }
}

double CGeTool2D::EvArea(CGeCurveList* curves) {
  CGeCurveList pieces;
  if (!DiscretToLine(curves, &pieces, kAreaTol)) return 0.0;
  // One polygon through the whole chain: the pieces are open, so their own areas mean nothing.
  std::vector<double> xy;
  for (POSITION pos = pieces.GetHeadPosition(); pos;) {
    CGeCurve* c = pieces.GetNext(pos);
    if (!c || c->GetType() != GE_TYPE_POLYLINE) continue;
    for (int i = 0; i < c->m_nSWPoint; ++i) {
      xy.push_back(c->m_pSWPoint[i][0]);
      xy.push_back(c->m_pSWPoint[i][1]);
    }
  }
  DeleteCurve(&pieces);
  const int n = static_cast<int>(xy.size() / 2);
  return SP2D_EvArea(reinterpret_cast<const double(*)[2]>(xy.data()), n);
}
