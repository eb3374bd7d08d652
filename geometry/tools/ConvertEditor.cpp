// Planar curves lifted to 3D curves, and 3D curves flattened to planar ones.
#include "geometry/tools/ConvertEditor.h"

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/tools/ConvertEditorInternal.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Vurode.h"

using convert::PoolArray;
using convert::Pt3;

namespace {

using Pt2 = double[2];

// A flattened arc is only an arc when its plane is horizontal.
constexpr double kVerticalNormalTol = 1e-9;

CGePolyline* NewPolyline2d(const Pt3* pts, int n) {
  if (!pts || n < 2) return nullptr;
  PoolArray<Pt2> xy(static_cast<size_t>(n));
  if (!xy.get()) return nullptr;
  for (int i = 0; i < n; ++i) {
    xy[i][0] = pts[i][0];
    xy[i][1] = pts[i][1];
  }
  auto poly = std::make_unique<CGePolyline>();
  if (!poly->Create(n, xy.get())) return nullptr;
  return poly.release();
}

CGePolyline3d* NewPolyline3d(const Pt3* pts, int n) {
  if (!pts || n < 2) return nullptr;
  auto poly = std::make_unique<CGePolyline3d>();
  if (!poly->Create(n, pts)) return nullptr;
  return poly.release();
}

// Planar vertices at height z.
CGePolyline3d* Lift(const Pt2* src, int n, double z) {
  if (!src || n < 2) return nullptr;
  PoolArray<Pt3> pts(static_cast<size_t>(n));
  if (!pts.get()) return nullptr;
  for (int i = 0; i < n; ++i) {
    pts[i][0] = src[i][0];
    pts[i][1] = src[i][1];
    pts[i][2] = z;
  }
  return NewPolyline3d(pts.get(), n);
}

// The curve's discretisation at the current tolerance, lifted to z.
CGePolyline3d* DiscreteToPolyline3d(CGeCurve* curve, double z) {
  if (!curve) return nullptr;
  CPoint2dArray pts;
  curve->Discrete(gGetCurveDicTol(), &pts, gGetCurveDicAng(), true);
  const int n = static_cast<int>(pts.GetSize());
  if (n < 2) return nullptr;
  PoolArray<Pt3> xyz(static_cast<size_t>(n));
  if (!xyz.get()) return nullptr;
  for (int i = 0; i < n; ++i) {
    xyz[i][0] = pts[i].x;
    xyz[i][1] = pts[i].y;
    xyz[i][2] = z;
  }
  return NewPolyline3d(xyz.get(), n);
}

// Arc in the horizontal plane at z turning from x about the vertical (up for ccw).
CGeArc3d* NewFlatArc(const double centre[2], double radius, const double x2[2], double sweep,
                     bool ccw, double z) {
  auto arc = std::make_unique<CGeArc3d>();
  _rect_fm3d& f = arc->m_frame;
  f.origin[0] = centre[0];
  f.origin[1] = centre[1];
  f.origin[2] = z;
  f.xAxis[0] = x2[0];
  f.xAxis[1] = x2[1];
  f.xAxis[2] = 0.0;
  // Without a start direction the frame (and so the arc) would be undefined.
  if (!V3D_Unit(f.xAxis, 1e-6)) return nullptr;
  f.zAxis[0] = f.zAxis[1] = 0.0;
  f.zAxis[2] = ccw ? 1.0 : -1.0;
  if (!V3D_VProductUnit(f.zAxis, f.xAxis, f.yAxis)) return nullptr;
  arc->m_dRadius = radius;
  arc->m_dSweep = sweep;
  arc->DiscreteMe(gGetCurveDicTol());
  arc->CalcBox();
  return arc.release();
}

}  // namespace

// ---- 3D to 3D or 2D ----

CGePolyline3d* CConvertEditor::ToPolyline3d(CGeCurve3d* curve, double tol) {
  if (!curve) return nullptr;
  CStrP3D str;
  curve->Discrete(tol, str);
  return NewPolyline3d(str.m_pPoints, str.m_nCount);
}

CGePolyline* CConvertEditor::ToPolyline2d(CGeCurve3d* curve, double tol) {
  std::unique_ptr<CGePolyline3d> poly(ToPolyline3d(curve, tol));
  if (!poly) return nullptr;
  return NewPolyline2d(poly->m_pVertex, poly->m_nCount);
}

CGeLine* CConvertEditor::Line3dToLine(CGeLine3d* line) {
  if (!line) return nullptr;
  return new CGeLine(line->m_ptStart, line->m_ptEnd);
}

CGeArc* CConvertEditor::Arc3dToArc(CGeArc3d* arc) {
  if (!arc) return nullptr;
  const _rect_fm3d& f = arc->m_frame;
  // A tilted arc projects to an elliptic arc, which no planar arc can stand for.
  if (std::fabs(f.zAxis[0]) > kVerticalNormalTol || std::fabs(f.zAxis[1]) > kVerticalNormalTol)
    return nullptr;
  auto out = std::make_unique<CGeArc>();
  out->m_ptCenter[0] = f.origin[0];
  out->m_ptCenter[1] = f.origin[1];
  out->m_dRadius = arc->m_dRadius;
  out->m_vStart[0] = f.xAxis[0];
  out->m_vStart[1] = f.xAxis[1];
  out->m_dSweep = f.zAxis[2] < 0.0 ? -arc->m_dSweep : arc->m_dSweep;
  out->Discrete(gGetCurveDicTol());
  return out.release();
}

CGePolyline* CConvertEditor::Polyline3dToPolyline(CGePolyline3d* poly) {
  if (!poly) return nullptr;
  return NewPolyline2d(poly->m_pVertex, poly->m_nCount);
}

void CConvertEditor::ListCurve3dToListCurve(CGeCurve3dList* list, CGeCurveList& out) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve3d* c = list->GetNext(pos);
    if (!c) continue;
    CGeCurve* flat = nullptr;
    switch (c->GetType()) {
      case GE_TYPE_LINE3D:
        flat = Line3dToLine(static_cast<CGeLine3d*>(c));
        break;
      case GE_TYPE_ARC3D:
        flat = Arc3dToArc(static_cast<CGeArc3d*>(c));
        // A tilted arc keeps its outline as a polyline rather than vanishing.
        if (!flat) flat = ToPolyline2d(c, gGetCurveDicTol());
        break;
      case GE_TYPE_POLYLINE3D:
        flat = Polyline3dToPolyline(static_cast<CGePolyline3d*>(c));
        break;
      default:
        break;
    }
    if (flat) out.AddTail(flat);
  }
}

// ---- 2D to 3D ----

CGeLine3d* CConvertEditor::LineToLine3d(CGeLine* line, double z) {
  if (!line) return nullptr;
  const double s[3] = {line->m_ptStart[0], line->m_ptStart[1], z};
  const double e[3] = {line->m_ptEnd[0], line->m_ptEnd[1], z};
  return new CGeLine3d(s, e);
}

CGeArc3d* CConvertEditor::ArcToArc3d(CGeArc* arc, double z) {
  if (!arc) return nullptr;
  return NewFlatArc(arc->m_ptCenter, arc->m_dRadius, arc->m_vStart, std::fabs(arc->m_dSweep),
                    arc->m_dSweep > 0.0, z);
}

CGeArc3d* CConvertEditor::CircleToArc3d(CGeCircle* circle, double z) {
  if (!circle) return nullptr;
  const double x[2] = {1.0, 0.0};
  return NewFlatArc(circle->m_ptCenter, circle->m_dRadius, x, 2 * std::numbers::pi, circle->m_nDir == 1, z);
}

CGePolyline3d* CConvertEditor::EllipseToPolyline3d(CGeEllipse* ellipse, double z) {
  return DiscreteToPolyline3d(ellipse, z);
}

CGePolyline3d* CConvertEditor::BezierToPolyline3d(CGeBezier* bezier, double z) {
  return DiscreteToPolyline3d(bezier, z);
}

CGePolyline3d* CConvertEditor::PolylineToPolyline3d(CGePolyline* poly, double z) {
  return DiscreteToPolyline3d(poly, z);
}

CGeCurve3d* CConvertEditor::ToCurve3d(CGeCurve* curve, double z) {
  if (!curve) return nullptr;
  CGeCurve3d* out = nullptr;
  switch (curve->GetType()) {
    case GE_TYPE_LINE:
      out = LineToLine3d(static_cast<CGeLine*>(curve), z);
      break;
    case GE_TYPE_ARC:
      out = ArcToArc3d(static_cast<CGeArc*>(curve), z);
      break;
    case GE_TYPE_CIRCLE:
      out = CircleToArc3d(static_cast<CGeCircle*>(curve), z);
      break;
    case GE_TYPE_ELLIPSE:
    case GE_TYPE_BEZIER:
      out = curve->GetType() == GE_TYPE_ELLIPSE ? ToNrbCrv3d(static_cast<CGeEllipse*>(curve))
                                                : ToNrbCrv3d(static_cast<CGeBezier*>(curve));
      if (out) {
        const double up[3] = {0.0, 0.0, z};
        out->Translate3D(up);
      }
      break;
    case GE_TYPE_POLYLINE:
      out = Lift(curve->m_pSWPoint, curve->m_nSWPoint, z);
      break;
    case GE_TYPE_COMBCURVE:
      out = CombCurveToCombCurve3d(static_cast<CGeCombCurve*>(curve), z);
      break;
    default:
      break;
  }
  if (out) out->m_nTag = curve->m_nClosed;
  return out;
}

void CConvertEditor::CurveListToCurveList3D(CGeCurveList* list, double z, CGeCurve3dList& out) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (CGeCurve3d* c3 = ToCurve3d(c, z)) out.AddTail(c3);
  }
}

CGeCombCurve3d* CConvertEditor::CombCurveToCombCurve3d(CGeCombCurve* comb, double z) {
  if (!comb || comb->m_CurveList.IsEmpty()) return nullptr;
  auto out = std::make_unique<CGeCombCurve3d>();
  CurveListToCurveList3D(&comb->m_CurveList, z, out->m_CurveList);
  if (out->m_CurveList.IsEmpty()) return nullptr;
  out->CalcBox();
  return out.release();
}

CGeLoop3d* CConvertEditor::LoopToLoop3d(CGeLoop* loop, double z) {
  if (!loop || loop->m_CurveList.IsEmpty()) return nullptr;
  auto out = std::make_unique<CGeLoop3d>();
  CurveListToCurveList3D(&loop->m_CurveList, z, out->m_CurveList);
  // A loop of nothing would pass for a loop of unknown area.
  if (out->m_CurveList.IsEmpty()) return nullptr;
  return out.release();
}
