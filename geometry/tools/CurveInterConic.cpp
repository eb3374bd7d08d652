// Pairs among lines, arcs, circles and ellipses: closed-form kernel solutions, filtered by the
// finite curves' extents.
#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/CurveInterUtil.h"

using namespace curveinter;

namespace {

// Appends the kernel's points with both parameters from the curves' nearest-point searches.
int AddByNearest(CGeCurve* c1, CGeCurve* c2, int n, const double (*pts)[2], CInterPntArray* out) {
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i)
    out->Add(MakeRec(pts[i], 1, 1, NearestParam(c1, pts[i]), NearestParam(c2, pts[i])));
  return out->GetSize() > before ? 1 : 0;
}

}  // namespace

int CCurveInter::LineCircle(CGeLine* line, CGeCircle* cir, CInterPntArray* out) {
  if (!line || !cir || !out) return 0;
  if (!BoxesMeet(line, cir, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2], tl[2];
  if (!Inter_LineCirEx(line->m_ptStart, line->m_ptEnd, cir->m_ptCenter, cir->m_dRadius, 0.0001, n,
                       pts, tl))
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i)
    if (Inside(tl[i], 1e-6)) out->Add(MakeRec(pts[i], 1, 1, tl[i], NearestParam(cir, pts[i])));
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::LineEllipse(CGeLine* line, CGeEllipse* ell, CInterPntArray* out) {
  if (!line || !ell || !out) return 0;
  if (!BoxesMeet(line, ell, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2], tl[2];
  if (Inter_LineEllEx(line->m_ptStart, line->m_ptEnd, ell->m_ptCenter, ell->m_dA, ell->m_dB,
                      ell->m_dRotation, 1e-6, n, pts, tl) != 1)
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i) {
    bool ok = false;
    const double te = NearestParam(ell, pts[i], &ok);
    if (Inside(tl[i], 1e-6) && ok) out->Add(MakeRec(pts[i], 1, 1, tl[i], te));
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::ArcCir(CGeArc* arc, CGeCircle* cir, CInterPntArray* out) {
  if (!arc || !cir || !out) return 0;
  if (!BoxesMeet(arc, cir, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2];
  if (!Inter_CirCir(arc->m_ptCenter, arc->m_dRadius, cir->m_ptCenter, cir->m_dRadius, 1e-6, n, pts))
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i) {
    double u, v;
    if (arc->IsPointOn(pts[i], u) && cir->IsPointOn(pts[i], v)) out->Add(MakeRec(pts[i], 1, 1, u, v));
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::ArcEllipse(CGeArc* arc, CGeEllipse* ell, CInterPntArray* out) {
  if (!arc || !ell || !out) return 0;
  if (!BoxesMeet(arc, ell, kBoxTol)) return 0;
  int n = 0;
  double pts[4][2];
  if (!Inter_CirEll(arc->m_ptCenter, arc->m_dRadius, ell->m_ptCenter, ell->m_dA, ell->m_dB,
                    ell->m_dRotation, 1e-6, n, pts))
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i) {
    double u;
    if (arc->IsPointOn(pts[i], u)) out->Add(MakeRec(pts[i], 1, 1, u, NearestParam(ell, pts[i])));
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::CirCir(CGeCircle* c1, CGeCircle* c2, CInterPntArray* out) {
  if (!c1 || !c2 || !out || c1 == c2) return 0;
  if (!BoxesMeet(c1, c2, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2];
  Inter_CirCir(c1->m_ptCenter, c1->m_dRadius, c2->m_ptCenter, c2->m_dRadius, 1e-6, n, pts);
  return AddByNearest(c1, c2, n, pts, out);
}

int CCurveInter::CirEllipse(CGeCircle* cir, CGeEllipse* ell, CInterPntArray* out) {
  if (!cir || !ell || !out) return 0;
  if (!BoxesMeet(cir, ell, kBoxTol)) return 0;
  int n = 0;
  double pts[4][2];
  Inter_CirEll(cir->m_ptCenter, cir->m_dRadius, ell->m_ptCenter, ell->m_dA, ell->m_dB,
               ell->m_dRotation, 1e-6, n, pts);
  return AddByNearest(cir, ell, n, pts, out);
}

int CCurveInter::EllEll(CGeEllipse* e1, CGeEllipse* e2, CInterPntArray* out) {
  if (!e1 || !e2 || !out || e1 == e2) return 0;
  if (!BoxesMeet(e1, e2, kBoxTol)) return 0;
  double pts[4][2];
  const int n = Inter_EllEll(e1->m_ptCenter, e1->m_dA, e1->m_dB, e1->m_dRotation, e2->m_ptCenter,
                             e2->m_dA, e2->m_dB, e2->m_dRotation, 1e-6, pts);
  return AddByNearest(e1, e2, n, pts, out);
}
