#include "geometry/tools/GeTool3D.h"

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeShape2d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"
#include "platform/numora/Bcrv.h"
#include "platform/numora/Inter3.h"
#include "platform/numora/Line.h"
#include "platform/numora/NurbsEditor.h"
#include "platform/numora/Point3d.h"
#include "platform/numora/Triangle.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/MemPool.h"

namespace {
void Sub(const double a[3], const double b[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}

bool IsLine(CGeCurve3d* c) { return c->GetType() == GE_TYPE_LINE3D; }
bool IsArc(CGeCurve3d* c) { return c->GetType() == GE_TYPE_ARC3D; }

// Curves whose parameter wraps round: closed arcs and NURBS curves, and offsets of such.
bool IsPeriodic(CGeCurve3d* c) {
  while (c && c->GetType() == GE_TYPE_OFFSETCRV3D) c = static_cast<CGeOffsetCrv3d*>(c)->m_pBase;
  if (!c) return false;
  int type = c->GetType();
  return (type == GE_TYPE_ARC3D || type == GE_TYPE_NRBCRV3D) && c->IsClosed(0.01);
}

// Newton on the squared distance of the two curve points from ta, tb; the best pair met.
bool NewtonMeet(CGeCurve3d* a, CGeCurve3d* b, double& ta, double& tb, double pt[3]) {
  const bool wrapA = IsPeriodic(a), wrapB = IsPeriodic(b);
  auto fold = [](double t, bool wrap) {
    if (wrap) {
      if (t < 0.0) return t + 1.0;
      if (t > 1.0) return t - 1.0;
      return t;
    }
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
  };
  double bestDist = 1e20, bestTa = ta, bestTb = tb, bestP[3] = {0, 0, 0};
  for (int it = 0; it < 33; ++it) {
    double P[3], Pd[3], Pdd[3], Q[3], Qd[3], Qdd[3], D[3];
    a->Ev2Der(ta, P, Pd, Pdd, 1);
    b->Ev2Der(tb, Q, Qd, Qdd, 1);
    Sub(Q, P, D);
    double dist = V3D_Length(D);
    if (dist < bestDist) {
      bestDist = dist;
      bestTa = ta;
      bestTb = tb;
      for (int k = 0; k < 3; ++k) bestP[k] = P[k];
    }
    if (dist < 1e-12) break;
    double A = V3D_Dot(Pd, Pd), B = -V3D_Dot(Pd, Qd), M = V3D_Dot(Qd, Qd);
    double L = V3D_Dot(Pd, D), F = -V3D_Dot(Qd, D);
    double det = M * A - B * B;
    if (std::fabs(det) < 1e-12) break;
    double dta = (M * L - F * B) / det, dtb = (F * A - B * L) / det;
    if (std::fabs(dta) < 1e-10 && std::fabs(dtb) < 1e-10) break;
    ta = fold(ta + dta, wrapA);
    tb = fold(tb + dtb, wrapB);
  }
  ta = bestTa;
  tb = bestTb;
  for (int k = 0; k < 3; ++k) pt[k] = bestP[k];
  return bestDist <= 0.001;
}

// Newton from the closest pair of a coarse grid: the start at 0.1, 0.1 stalls where the two
// tangents are parallel there (two circles started at the same angle).
bool CoarseNewtonMeet(CGeCurve3d* a, CGeCurve3d* b, double& ta, double& tb, double pt[3]) {
  constexpr int kSteps = 32;
  double pa[kSteps + 1][3], pb[kSteps + 1][3];
  for (int i = 0; i <= kSteps; ++i) {
    a->GetPointAt(double(i) / kSteps, pa[i], 1);
    b->GetPointAt(double(i) / kSteps, pb[i], 1);
  }
  double best = 1e20;
  for (int i = 0; i <= kSteps; ++i)
    for (int j = 0; j <= kSteps; ++j)
      if (double d = P3D_Dist(pa[i], pb[j]); d < best) {
        best = d;
        ta = double(i) / kSteps;
        tb = double(j) / kSteps;
      }
  return NewtonMeet(a, b, ta, tb, pt);
}

// Parameters of the closest points of two offset curves, refined from ta, tb.
bool IntersectOffsets(CGeCurve3d* a, CGeCurve3d* b, double& ta, double& tb, double pt[3]) {
  if (IsLine(a) && IsLine(b)) {
    auto* la = static_cast<CGeLine3d*>(a);
    auto* lb = static_cast<CGeLine3d*>(b);
    double pa[3], pb[3];
    ta = tb = -1e-6;
    if (Inter3_LineLineEx(la->m_ptStart, la->m_ptEnd, lb->m_ptStart, lb->m_ptEnd, 1e-6, 0.001, pa,
                          pb) != 1)
      return false;
    L3D_GetParam(la->m_ptStart, la->m_ptEnd, pa, ta);
    L3D_GetParam(lb->m_ptStart, lb->m_ptEnd, pb, tb);
    for (int k = 0; k < 3; ++k) pt[k] = pa[k];
    return true;
  }
  if ((IsLine(a) && IsArc(b)) || (IsArc(a) && IsLine(b))) {
    const bool lineFirst = IsLine(a);
    auto* line = static_cast<CGeLine3d*>(lineFirst ? a : b);
    auto* arc = static_cast<CGeArc3d*>(lineFirst ? b : a);
    double dir[3];
    if (!V3D_GenUnit(line->m_ptStart, line->m_ptEnd, dir, 1e-12)) return false;
    double hits[2][3];
    int count = 0;
    int res = Inter3_CirLin(arc->m_frame, arc->m_dRadius, line->m_ptStart, dir, 1e-6, hits, count);
    if ((res != INTER3_COPLANAR && res != INTER3_PIERCE) || count <= 0) return false;
    double refA[3], refB[3];
    a->GetPointAt(ta, refA, 1);
    b->GetPointAt(tb, refB, 1);
    int accepted = 0;
    double bestSum = 0.0, bestTa = 0.0, bestTb = 0.0, best[3] = {0, 0, 0};
    for (int i = 0; i < count && accepted < 2; ++i) {
      double tArc, tLine;
      if (!arc->GetParam(hits[i], tArc)) continue;
      L3D_GetParam(line->m_ptStart, line->m_ptEnd, hits[i], tLine);
      if (tArc < 0.0 || tArc > 1.0 || tLine < 0.0 || tLine > 1.0) continue;
      double sum = P3D_Dist(hits[i], refA) + P3D_Dist(hits[i], refB);
      if (accepted == 0 || sum < bestSum) {
        bestSum = sum;
        bestTa = lineFirst ? tLine : tArc;
        bestTb = lineFirst ? tArc : tLine;
        for (int k = 0; k < 3; ++k) best[k] = hits[i][k];
      }
      ++accepted;
    }
    if (!accepted) return false;
    ta = bestTa;
    tb = bestTb;
    for (int k = 0; k < 3; ++k) pt[k] = best[k];
    return true;
  }
  return NewtonMeet(a, b, ta, tb, pt) || CoarseNewtonMeet(a, b, ta, tb, pt);
}

// Signed offset that moves c towards the point other; 0 when a direction is undefined.
int OffsetTowards(CGeCurve3d* c, const double other[3], const double N[3], double radius,
                  bool fromOther, double& offset) {
  double nearest[3], t, dist, u[3], p[3], tan[3], s[3];
  unsigned seg = 1;
  if (!c->GetNearestPoint3D(other, nearest, t, seg, dist)) return 0;
  if (fromOther ? !V3D_GenUnit(other, nearest, u, 1e-12) : !V3D_GenUnit(nearest, other, u, 1e-12))
    return 0;
  c->GetTanVecAt(t, p, tan, static_cast<int>(seg));
  if (!V3D_VProductUnit(N, tan, s)) return 0;
  bool obtuse = V3D_GetAngle(s, u, 1e-12) > std::numbers::pi / 2;
  // u points from c to the other curve, or the reverse, so the sign rule flips with it.
  offset = (obtuse != fromOther) ? -radius : radius;
  return 1;
}

}  // namespace

int CGeTool3D::IsCoplanar(CGeCurve3d* a, CGeCurve3d* b, double pt[3], double normal[3], double tol,
                          double angTol) {
  if (!a || !b) return 0;
  if (IsLine(a) && IsLine(b)) {
    auto* la = static_cast<CGeLine3d*>(a);
    auto* lb = static_cast<CGeLine3d*>(b);
    double da[3], db[3];
    Sub(la->m_ptEnd, la->m_ptStart, da);
    Sub(lb->m_ptEnd, lb->m_ptStart, db);
    return L3D_IsCoplanar(la->m_ptStart, da, lb->m_ptStart, db, tol, angTol, pt, normal);
  }
  double ptA[3], nA[3];
  int kindA = a->IsPlanar(tol, ptA, nA);
  int kindB = b->IsPlanar(tol, pt, normal);
  return PLN_Relation(kindA, ptA, nA, kindB, pt, normal, angTol, 0.0001) == 1 ? 1 : 0;
}

int CGeTool3D::CurveOffset(CGeCurve3d* c, const double normal[3], double d, CGeCurve3d*& out) {
  out = nullptr;
  if (!c || !normal || std::fabs(d) < 0.01) return 0;
  const int type = c->GetType();
  if (type == GE_TYPE_LINE3D) {
    auto* line = static_cast<CGeLine3d*>(c);
    double dir[3], side[3], s[3], e[3];
    Sub(line->m_ptEnd, line->m_ptStart, dir);
    if (!V3D_VProductUnit(normal, dir, side)) return 0;
    for (int k = 0; k < 3; ++k) {
      s[k] = line->m_ptStart[k] + d * side[k];
      e[k] = line->m_ptEnd[k] + d * side[k];
    }
    out = new CGeLine3d(s, e);
    return 1;
  }
  if (type == GE_TYPE_ARC3D) {
    auto* arc = static_cast<CGeArc3d*>(c);
    if (V3D_IsParallel(arc->m_frame.zAxis, normal, 0.001)) {
      double r = V3D_GetAngle(arc->m_frame.zAxis, normal, 1e-12) < std::numbers::pi / 2 ? arc->m_dRadius - d
                                                                          : arc->m_dRadius + d;
      if (r < 0.001) return 0;
      CGeArc3d* copy = arc->Copy();
      copy->m_dRadius = r;
      copy->DiscreteMe(gGetCurveDicTol());
      out = copy;
      return 1;
    }
  } else if (type == GE_TYPE_OFFSETCRV3D) {
    auto* off = static_cast<CGeOffsetCrv3d*>(c);
    if (V3D_IsParallel(off->m_vDir, normal, 0.001)) {
      double D = V3D_GetAngle(off->m_vDir, normal, 1e-12) < std::numbers::pi / 2 ? off->m_dDist + d
                                                                    : off->m_dDist - d;
      if (std::fabs(D) > 10000) return 0;
      CGeOffsetCrv3d* copy = off->Copy();
      copy->m_dDist = D;
      copy->DiscreteMe(gGetCurveDicTol());
      out = copy;
      return 1;
    }
  }
  CGeCurve3d* base = c->Copy();
  if (!base) return 0;
  auto* made = new CGeOffsetCrv3d(base, d, normal);
  made->DiscreteMe(gGetCurveDicTol());
  out = made;
  return 1;
}

CGeArc3d* CGeTool3D::GetFilletArc3d(CGeCurve3d* a, CGeCurve3d* b, double radius, double& ta,
                                    unsigned& sega, double& tb, unsigned& segb) {
  double pt[3], N[3];
  if (!a || !b || IsCoplanar(a, b, pt, N, 1e-6, 0.0001) != 1) return nullptr;
  ta = tb = 0.1;
  sega = segb = 1;
  double Pa[3], Pb[3];
  a->GetPointAt(0.1, Pa, 1);
  b->GetPointAt(0.1, Pb, 1);
  double da, db;
  if (!OffsetTowards(a, Pb, N, radius, false, da) || !OffsetTowards(b, Pa, N, radius, true, db))
    return nullptr;
  CGeCurve3d *oa = nullptr, *ob = nullptr;
  if (!CurveOffset(a, N, da, oa)) return nullptr;
  std::unique_ptr<CGeCurve3d> holdA(oa);
  if (!CurveOffset(b, N, db, ob)) return nullptr;
  std::unique_ptr<CGeCurve3d> holdB(ob);
  double centre[3];
  if (!IntersectOffsets(oa, ob, ta, tb, centre)) return nullptr;
  double Ta[3], Tb[3];
  a->GetPointAt(ta, Ta, 0);
  b->GetPointAt(tb, Tb, 0);
  auto* arc = new CGeArc3d;
  if (!arc->CreateCSE(0, centre, Ta, Tb)) {
    delete arc;
    return nullptr;
  }
  arc->DiscreteMe(gGetCurveDicTol());
  return arc;
}

int CGeTool3D::GetTanPtAt2Arc(CGeArc3d* a, CGeArc3d* b, double* ta, double* tb, double pa[3],
                              double pb[3]) {
  double pt[3], N[3];
  if (!a || !b || !ta || !tb || IsCoplanar(a, b, pt, N, 1e-6, 0.0001) != 1) return 0;
  const bool swapped = a->m_dRadius > b->m_dRadius;
  CGeArc3d* A = swapped ? b : a;
  CGeArc3d* B = swapped ? a : b;
  const double r1 = A->m_dRadius, r2 = B->m_dRadius;
  const double* C1 = A->m_frame.origin;
  const double* C2 = B->m_frame.origin;
  double Q1[3], Q2[3];
  A->GetPointAt(swapped ? *tb : *ta, Q1, 0);
  B->GetPointAt(swapped ? *ta : *tb, Q2, 0);
  double u[3], w1[3], w2[3], x1[3], x2[3];
  if (!V3D_GenUnit(C1, C2, u, 1e-12) || !V3D_GenUnit(C1, Q1, w1, 1e-12) ||
      !V3D_GenUnit(C1, Q2, w2, 1e-12))
    return 0;
  V3D_VProduct(u, w1, x1);
  V3D_VProduct(u, w2, x2);
  bool side1 = V3D_Dot(x1, N) > 0, side2 = V3D_Dot(x2, N) > 0;
  const double d = P3D_Dist(C1, C2), x = (r2 - r1) / d;
  double F, G;
  if (d > r1 + r2) {
    if (side1 != side2) {
      F = G = std::numbers::pi / 2 - std::asin((r1 + r2) / d);
    } else {
      F = std::asin(x) + std::numbers::pi / 2;
      G = std::asin(x) - std::numbers::pi / 2;
    }
  } else if (std::fabs(r2 - r1) < d) {
    F = std::asin(x) + std::numbers::pi / 2;
    G = std::asin(x) - std::numbers::pi / 2;
    if (swapped) side1 = side2;
  } else {
    return 0;
  }
  if (!side1) {
    F = -F;
    G = -G;
  }
  double S1[3], S2[3];
  for (int k = 0; k < 3; ++k) {
    S1[k] = C1[k] + r1 * u[k];
    S2[k] = C2[k] - r2 * u[k];
  }
  P3D_RotatePnt(N, C1, F, S1, pa);
  P3D_RotatePnt(N, C2, G, S2, pb);
  return 1;
}

int CGeTool3D::GetTanPtAt2Curve(CGeCurve3d* a, CGeCurve3d* b, double* ta, double* tb, double pa[3],
                                double pb[3]) {
  if (!a || !b || !ta || !tb) return 0;
  auto wrap = [](double t) { return t > 1.0 ? t - 1.0 : (t < 0.0 ? t + 1.0 : t); };
  for (int it = 0; it < 32; ++it) {
    double P[3], Pd[3], Pdd[3], Q[3], Qd[3], Qdd[3], D[3], Na[3], Ma[3], Nb[3], Mb[3];
    a->Ev2Der(*ta, P, Pd, Pdd, 1);
    b->Ev2Der(*tb, Q, Qd, Qdd, 1);
    Sub(Q, P, D);
    V3D_VProduct(Pd, D, Na);
    V3D_VProduct(Pdd, D, Ma);
    V3D_VProduct(Qd, D, Nb);
    V3D_VProduct(Qdd, D, Mb);
    double ga = V3D_Dot(Na, Na), ha = V3D_Dot(Na, Ma);
    double gb = V3D_Dot(Nb, Nb), hb = V3D_Dot(Nb, Mb);
    if (std::fabs(2 * ha) < 0.0001 || std::fabs(2 * hb) < 0.0001) return 0;
    double na = wrap(*ta - ga / (2 * ha)), nb = wrap(*tb - gb / (2 * hb));
    bool doneA = std::fabs(na - *ta) < 1e-6 || std::fabs(ga) < 0.0001;
    bool doneB = std::fabs(nb - *tb) < 1e-6 || gb < 0.0001;
    if (doneA && doneB) {
      auto atEnd = [](double t) { return t < 1e-6 || t > 1.0 - 1e-6; };
      if ((atEnd(na) && std::fabs(ga) > 0.0001) || (atEnd(nb) && gb > 0.0001)) return 0;
      *ta = na;
      *tb = nb;
      a->GetPointAt(na, pa, 0);
      b->GetPointAt(nb, pb, 0);
      return 1;
    }
    *ta = na;
    *tb = nb;
  }
  return 0;
}

CGeNrbCrv3d* CGeTool3D::Merge(CGeNrbCrv3d* a, CGeNrbCrv3d* b) {
  if (!a || !b || !a->GetCurve() || !b->GetCurve()) return nullptr;
  BCRV* pieces[2] = {a->GetCurve(), b->GetCurve()};
  BCRV* merged = nullptr;
  if (!BCRV_Merge(2, pieces, 0.01, merged) || !merged) return nullptr;
  auto* out = new CGeNrbCrv3d;
  out->SetCurve(merged);
  return out;
}

void CGeTool3D::GlobalInterp(const double (*pts)[3], int n, int p, double maxDev, double minAngle,
                             std::vector<BCRV*>& out) {
  if (p <= 0 || !pts || n <= 1) return;
  auto* buf = static_cast<double(*)[3]>(gAlcMemPool(sizeof(double[3]) * (n + 5)));
  if (!buf) return;
  auto put = [&](int i, const double x[3]) {
    for (int k = 0; k < 3; ++k) buf[i][k] = x[k];
  };
  put(0, pts[0]);
  put(1, pts[1]);
  int k = 1;
  for (int i = 2; i < n; ++i) {
    const double* X = pts[i];
    if (P3D_Dist(buf[k], X) < 0.005) continue;
    // A repeated first point gives no direction to judge by: let X take its place.
    if (k == 1 && P3D_Dist(buf[0], buf[1]) < 0.005) {
      put(1, X);
      continue;
    }
    double dev = L3D_DistToPntEx(buf[k], buf[k - 1], X);
    double back[3], ahead[3];
    double angle = 0.0;
    if (V3D_GenUnit(buf[k], buf[k - 1], back, 1e-12) && V3D_GenUnit(buf[k], X, ahead, 1e-12))
      angle = V3D_GetAngle(back, ahead, 1e-6);
    if (dev > maxDev || angle < minAngle) {
      BCRV* piece = nullptr;
      if (k == 1) {
        piece = BCRV_New();
        if (piece && !piece->GenLine(buf[0], buf[1])) {
          BCRV_Free(piece);
          piece = nullptr;
        }
      } else {
        piece = CNurbsEditor::GlobalApproxErrBnd(buf, k + 1, p, static_cast<float>(maxDev));
      }
      if (piece) out.push_back(piece);
      put(0, buf[k]);
      put(1, X);
      k = 1;
    } else {
      put(++k, X);
    }
  }
  if (BCRV* piece = CNurbsEditor::GlobalApproxErrBnd(buf, k + 1, p, static_cast<float>(maxDev)))
    out.push_back(piece);
  gFreMemPool();
}

BCRV* CGeTool3D::GlobalInterp(const double (*pts)[3], int n, int p, double maxDev,
                              double minAngle) {
  std::vector<BCRV*> pieces;
  GlobalInterp(pts, n, p, maxDev, minAngle, pieces);
  if (pieces.empty()) return nullptr;
  if (pieces.size() == 1) return pieces[0];
  BCRV* merged = nullptr;
  if (!BCRV_Merge(static_cast<int>(pieces.size()), pieces.data(), 0.01, merged)) merged = nullptr;
  for (BCRV* c : pieces) BCRV_Free(c);
  return merged;
}
