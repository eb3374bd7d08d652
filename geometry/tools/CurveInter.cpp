#include "geometry/tools/CurveInter.h"

#include <cmath>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/CurveInterUtil.h"

namespace curveinter {

bool Inside(double t, double tol) { return CInterval::ChkValInt(0.0, 1.0, tol, t) == 0; }

int SegmentLines(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                 double tol, double angTol, double out[2]) {
  const int res = Inter_LineLineEx(a0, a1, b0, b1, tol, angTol, out);
  if (res != INTER_NONE) return res;
  // None came for non-finite or too short lines (they stay none) or for lines parallel by the
  // angle test whose b does not lie along a's line.
  const double da[2] = {a1[0] - a0[0], a1[1] - a0[1]};
  const double db[2] = {b1[0] - b0[0], b1[1] - b0[1]};
  const double la = std::hypot(da[0], da[1]), lb = std::hypot(db[0], db[1]);
  if (!std::isfinite(la) || !std::isfinite(lb) || la < tol || lb < tol) return INTER_NONE;
  // Signed distances of b's ends from a's line.
  const double h0 = (da[0] * (b0[1] - a0[1]) - da[1] * (b0[0] - a0[0])) / la;
  const double h1 = (da[0] * (b1[1] - a0[1]) - da[1] * (b1[0] - a0[0])) / la;
  if (h0 == h1) return INTER_NONE;
  // Interpolating along b by those distances stays accurate however small the angle is; the
  // callers' parameter windows judge the point as they judge any other.
  const double s = h0 / (h0 - h1);
  out[0] = b0[0] + s * db[0];
  out[1] = b0[1] + s * db[1];
  return std::isfinite(out[0]) && std::isfinite(out[1]) ? INTER_POINT : INTER_NONE;
}

bool BoxesMeet(CGeCurve* a, CGeCurve* b, double tol) {
  _tagBox2D ba, bb;
  a->GetBox2d(&ba);
  b->GetBox2d(&bb);
  return BOX2D_IsInt(&ba, &bb, tol) != 0;
}

_tagInterPnt MakeRec(const double p[2], int seg1, int seg2, double t1, double t2) {
  _tagInterPnt r;
  r.x = p[0];
  r.y = p[1];
  r.seg1 = seg1;
  r.seg2 = seg2;
  r.t1 = t1;
  r.t2 = t2;
  r.sub1 = 1;
  r.sub2 = 1;
  return r;
}

double NearestParam(CGeCurve* c, const double p[2], bool* ok) {
  double nearPt[2], t = 0.0, dist = 0.0;
  unsigned seg = 1;
  const int found = c->GetNearestPoint(p, nearPt, t, seg, dist);
  if (ok) *ok = found != 0;
  return t;
}

std::vector<int> Segs(int count, const std::vector<int>* only) {
  if (only) return *only;
  std::vector<int> all(static_cast<size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) all[static_cast<size_t>(i)] = i + 1;
  return all;
}

int KindIndex(int type) {
  switch (type) {
    case GE_TYPE_LINE: return 0;
    case GE_TYPE_ARC: return 1;
    case GE_TYPE_CIRCLE: return 2;
    case GE_TYPE_ELLIPSE: return 3;
    case GE_TYPE_BEZIER: return 4;
    case GE_TYPE_POLYLINE: return 5;
    case GE_TYPE_COMBCURVE: return 6;
    default: return -1;
  }
}

}  // namespace curveinter

using namespace curveinter;

// ---- dispatcher ----

int CCurveInter::CurveCurve(CGeCurve* c1, CGeCurve* c2, CInterPntArray* out) {
  if (!c1 || !c2 || !out) return 0;
  if (!BoxesMeet(c1, c2, kBoxTol)) return 0;
  const int k1 = KindIndex(c1->GetType());
  const int k2 = KindIndex(c2->GetType());
  if (k1 < 0 || k2 < 0) return 0;
  const INT_PTR before = out->GetSize();
  if (k1 <= k2) {
    CallPair(k1, k2, c1, c2, out);
  } else {
    CInterPntArray turned;
    CallPair(k2, k1, c2, c1, &turned);
    for (INT_PTR i = 0; i < turned.GetSize(); ++i) {
      _tagInterPnt rec = turned[i];
      SwapIntPnt(rec);
      out->Add(rec);
    }
  }
  // Earlier contents of the caller's array are not a result of this call.
  return out->GetSize() > before ? 1 : 0;
}

void CCurveInter::CallPair(int k1, int k2, CGeCurve* a, CGeCurve* b, CInterPntArray* out) {
  // The kinds were read from the type codes, so each cast names the object's own class.
  auto line = [](CGeCurve* c) { return static_cast<CGeLine*>(c); };
  auto arc = [](CGeCurve* c) { return static_cast<CGeArc*>(c); };
  auto cir = [](CGeCurve* c) { return static_cast<CGeCircle*>(c); };
  auto ell = [](CGeCurve* c) { return static_cast<CGeEllipse*>(c); };
  auto bez = [](CGeCurve* c) { return static_cast<CGeBezier*>(c); };
  auto pl = [](CGeCurve* c) { return static_cast<CGePolyline*>(c); };
  auto comp = [](CGeCurve* c) { return static_cast<CGeCombCurve*>(c); };
  switch (k1 * 8 + k2) {
    case 0 * 8 + 0: {
      _tagInterPnt rec;
      if (LineLine(line(a), line(b), rec)) out->Add(rec);
      break;
    }
    case 0 * 8 + 1: LineArc(line(a), arc(b), out); break;
    case 0 * 8 + 2: LineCircle(line(a), cir(b), out); break;
    case 0 * 8 + 3: LineEllipse(line(a), ell(b), out); break;
    case 0 * 8 + 4: LineBez(line(a), bez(b), out); break;
    case 0 * 8 + 5: LinePLine(line(a), pl(b), out); break;
    case 0 * 8 + 6: LineComCurve(line(a), comp(b), out); break;
    case 1 * 8 + 1: ArcArc(arc(a), arc(b), out); break;
    case 1 * 8 + 2: ArcCir(arc(a), cir(b), out); break;
    case 1 * 8 + 3: ArcEllipse(arc(a), ell(b), out); break;
    case 1 * 8 + 4: ArcBez(arc(a), bez(b), out); break;
    case 1 * 8 + 5: ArcPLine(arc(a), pl(b), out); break;
    case 1 * 8 + 6: ArcComCurve(arc(a), comp(b), out); break;
    case 2 * 8 + 2: CirCir(cir(a), cir(b), out); break;
    case 2 * 8 + 3: CirEllipse(cir(a), ell(b), out); break;
    case 2 * 8 + 4: CirBez(cir(a), bez(b), out); break;
    case 2 * 8 + 5: CirPLine(cir(a), pl(b), out); break;
    case 2 * 8 + 6: CirComCurve(cir(a), comp(b), out); break;
    case 3 * 8 + 3: EllEll(ell(a), ell(b), out); break;
    case 3 * 8 + 4: EllBez(ell(a), bez(b), out); break;
    case 3 * 8 + 5: EllPLine(ell(a), pl(b), out); break;
    case 3 * 8 + 6: EllComCurve(ell(a), comp(b), out); break;
    case 4 * 8 + 4: BezBez(bez(a), bez(b), out); break;
    case 4 * 8 + 5: BezPLine(bez(a), pl(b), out); break;
    case 4 * 8 + 6: BezComCurve(bez(a), comp(b), out); break;
    case 5 * 8 + 5: PLinePLine(pl(a), pl(b), nullptr, out); break;
    case 5 * 8 + 6: PLineComCurve(pl(a), comp(b), out); break;
    case 6 * 8 + 6: ComCurveComCurve(comp(a), comp(b), out); break;
    default: break;
  }
}

// ---- line and arc pairs ----

int CCurveInter::LineLine(CGeLine* l1, CGeLine* l2, _tagInterPnt& rec) {
  if (!l1 || !l2 || l1 == l2) return 0;
  if (!BoxesMeet(l1, l2, 1e-6)) return 0;
  const double* a0 = l1->m_ptStart;
  const double* a1 = l1->m_ptEnd;
  const double* b0 = l2->m_ptStart;
  const double* b1 = l2->m_ptEnd;
  double pt[2];
  const int res = SegmentLines(a0, a1, b0, b1, 1e-6, 1e-5, pt);
  if (res == INTER_POINT) {
    const double t1 = L2D_GetParam(a0, a1, pt);
    const double t2 = L2D_GetParam(b0, b1, pt);
    if (!Inside(t1, 1e-12) || !Inside(t2, 1e-12)) return 0;
    rec = MakeRec(pt, 1, 1, t1, t2);
    return 1;
  }
  if (res != INTER_OVERLAP) return 0;
  // Overlapping lines report one shared end point: the last of these tests that passes.
  int found = 0;
  double t;
  if (t = L2D_GetParam(a0, a1, b0), Inside(t, 1e-12)) rec = MakeRec(b0, 1, 1, t, 0.0), found = 1;
  if (t = L2D_GetParam(a0, a1, b1), Inside(t, 1e-12)) rec = MakeRec(b1, 1, 1, t, 1.0), found = 1;
  if (t = L2D_GetParam(b0, b1, a0), Inside(t, 1e-12)) rec = MakeRec(a0, 1, 1, 0.0, t), found = 1;
  if (t = L2D_GetParam(b0, b1, a1), Inside(t, 1e-12)) rec = MakeRec(a1, 1, 1, 1.0, t), found = 1;
  return found;
}

int CCurveInter::LineArc(CGeLine* line, CGeArc* arc, CInterPntArray* out) {
  if (!line || !arc || !out) return 0;
  if (!BoxesMeet(line, arc, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2], tl[2];
  if (!Inter_LineCirEx(line->m_ptStart, line->m_ptEnd, arc->m_ptCenter, arc->m_dRadius, 0.0001, n,
                       pts, tl))
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i) {
    double ta;
    if (!Inside(tl[i], 1e-6) || !arc->IsPointOn(pts[i], ta)) continue;
    out->Add(MakeRec(pts[i], 1, 1, tl[i], ta));
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::ArcArc(CGeArc* a1, CGeArc* a2, CInterPntArray* out) {
  if (!a1 || !a2 || !out || a1 == a2) return 0;
  if (!BoxesMeet(a1, a2, kBoxTol)) return 0;
  int n = 0;
  double pts[2][2];
  if (!Inter_CirCir(a1->m_ptCenter, a1->m_dRadius, a2->m_ptCenter, a2->m_dRadius, 1e-6, n, pts))
    return 0;
  const INT_PTR before = out->GetSize();
  for (int i = 0; i < n; ++i) {
    double u, v;
    if (a1->IsPointOn(pts[i], u) && a2->IsPointOn(pts[i], v)) out->Add(MakeRec(pts[i], 1, 1, u, v));
  }
  return out->GetSize() > before ? 1 : 0;
}

// ---- Newton refinement ----

bool CCurveInter::IsPeriodic(CGeCurve* c) {
  int type = c->GetType();
  if (type == GE_TYPE_OFFSETCRV) {
    CGeCurve* base = static_cast<CGeOffsetCrv*>(c)->m_pBase;
    type = base ? base->GetType() : 0;
  }
  return type == GE_TYPE_CIRCLE || type == GE_TYPE_ELLIPSE;
}

namespace {

enum class Step { kMoved, kStayed, kRanOff };

// Moves a parameter that sits at a segment end onto the neighbouring segment.
Step StepSegment(int count, int& s, double& t) {
  if (s < 1) {
    s = 1;
    t = 0.0;
    return Step::kRanOff;
  }
  if (s > count) {
    s = count;
    t = 1.0;
    return Step::kRanOff;
  }
  if (t < 1e-6 && s > 1) {
    --s;
    t = 0.999999;
    return Step::kMoved;
  }
  if (t > 0.999999 && s < count) {
    ++s;
    t = 1e-6;
    return Step::kMoved;
  }
  return Step::kStayed;
}

}  // namespace

int CCurveInter::CurveCurveIterate(CGeCurve* c1, double& t1, int& seg1, CGeCurve* c2, double& t2,
                                   int& seg2, double pt[2]) {
  if (!c1 || !c2 || !pt) return 0;
  const int n1 = c1->GetSegmentCount();
  const int n2 = c2->GetSegmentCount();
  if (seg1 > n1 || seg2 > n2) return 0;
  const bool periodic1 = IsPeriodic(c1);
  const bool periodic2 = IsPeriodic(c2);
  auto refine = [&]() -> bool {
    for (int it = 0; it < 33; ++it) {
      double p[2], dp[2], ddp[2], q[2], dq[2], ddq[2];
      c1->Ev2Der(t1, p, dp, ddp, static_cast<unsigned>(seg1));
      c2->Ev2Der(t2, q, dq, ddq, static_cast<unsigned>(seg2));
      if (P2D_Dist(p, q) < 0.0001) {
        pt[0] = p[0];
        pt[1] = p[1];
        return true;
      }
      const double det = dp[0] * dq[1] - dp[1] * dq[0];
      if (std::fabs(det) < 0.0001) return false;
      const double ex = p[0] - q[0], ey = p[1] - q[1];
      t1 += (dq[0] * ey - dq[1] * ex) / det;
      t2 += (dp[0] * ey - dp[1] * ex) / det;
      for (auto [t, periodic] : {std::pair<double*, bool>{&t1, periodic1}, {&t2, periodic2}}) {
        if (periodic) {
          if (*t < 0.0) *t += 1.0;
          if (*t > 1.0) *t -= 1.0;
        } else {
          *t = *t < 0.0 ? 0.0 : (*t > 1.0 ? 1.0 : *t);
        }
      }
      if (t1 < -1e-6 || t1 > 1.000001 || t2 < -1e-6 || t2 > 1.000001) return false;
    }
    return false;
  };
  if (refine()) return 1;
  for (int round = 0; round < 5; ++round) {
    const Step s1 = StepSegment(n1, seg1, t1);
    const Step s2 = StepSegment(n2, seg2, t2);
    if (s1 == Step::kRanOff || s2 == Step::kRanOff) return 0;
    if (s1 == Step::kStayed && s2 == Step::kStayed) return 0;
    if (refine()) return 1;
  }
  return 0;
}
