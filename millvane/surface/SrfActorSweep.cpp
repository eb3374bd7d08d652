// The surface actor's extensions and blends: a surface extended past an edge, and blend
// surfaces between two edges or a curve and an edge.
#include "millvane/surface/SrfActor.h"

#include <algorithm>
#include <cmath>

#include "millvane/surface/SrfVec3.h"

using srfvec::Cross3;
using srfvec::Unit3;

CGeTrimSurf* CSrfActor::SurfExtend(CGeTrimSurf* surface, CGeTrimBnd* edge, int mode,
                                   double distance) {
  if (!surface || !surface->m_pSurface || !edge || !edge->m_pParaCrv) return nullptr;
  if (!(distance > 1e-6) || !std::isfinite(distance) || surface->IsTrimed()) return nullptr;
  if (edge->m_pParaCrv->GetType() != GE_TYPE_LINE) return nullptr;
  double a[2], b[2];
  edge->m_pParaCrv->GetStartPoint(a);
  edge->m_pParaCrv->GetEndPoint(b);
  int side;
  if (std::fabs(a[0] - b[0]) < 0.0001) {
    if (b[1] == a[1]) return nullptr;
    side = b[1] > a[1] ? 2 : 0;
  } else if (std::fabs(a[1] - b[1]) < 0.0001) {
    side = b[0] > a[0] ? 1 : 3;
  } else {
    return nullptr;
  }
  _nurbs_surface* ext = CNurbsEditor::Extend(surface->m_pSurface, distance, side, mode);
  if (!ext) return nullptr;
  return new CGeTrimSurf(ext, _tagBox2D{{0, 0}, {1, 1}});
}

namespace {

// Point, unit normal and the edge's direction on the surface at edge parameter s.
bool EdgeFrame(CGeTrimSurf* srf, CGeTrimBnd* edge, double s, bool rev, double P[3],
               double N[3], double T[3]) {
  const double t = rev ? 1.0 - s : s;
  double uv[2];
  if (!edge->GetParaPoint(t, uv) || !srf->GetNormal(uv[0], uv[1], P, N)) return false;
  // The edge's tangent from its image on the surface a little either side.
  const double h = 1e-4;
  double a[2], b[2], pa[3], pb[3];
  if (!edge->GetParaPoint(std::max(0.0, t - h), a) || !edge->GetParaPoint(std::min(1.0, t + h), b) ||
      srf->GetPoint(a[0], a[1], pa) != 1 || srf->GetPoint(b[0], b[1], pb) != 1)
    return false;
  const double sign = rev ? -1.0 : 1.0;
  for (int k = 0; k < 3; ++k) T[k] = sign * (pb[k] - pa[k]);
  return true;
}

// Moves the second control point of every row along its first leg by startOffset, and the
// second-to-last along its last leg by endOffset.
void OffsetRows(_nurbs_surface* srf, double startOffset, double endOffset) {
  if (srf->nu < 3) return;
  for (int j = 0; j < srf->nv; ++j) {
    auto move = [&](int from, int to, double d) {
      double* a = srf->net[j][from];
      double* b = srf->net[j][to];
      const double pa[3] = {a[0] / a[3], a[1] / a[3], a[2] / a[3]};
      double pb[3] = {b[0] / b[3], b[1] / b[3], b[2] / b[3]};
      const double dir[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
      double u[3];
      if (!Unit3(dir, u)) return;
      for (int k = 0; k < 3; ++k) b[k] = (pb[k] + d * u[k]) * b[3];
    };
    move(0, 1, startOffset);
    move(srf->nu - 1, srf->nu - 2, endOffset);
  }
}

// Rows of a blend: the parameter lengths walked on both sides, their steps from each side's
// discretisation step, and the row count between 4 and 501. False for non-finite ranges.
bool BlendRows(const SURFBLEND_PARAM& prm, CGeCurve3d* side1, CGeCurve3d* side2, int& n,
               double& dt1, double& dt2) {
  const double len1 = prm.closed1 == 1 ? 1.0 : std::fabs(prm.end1 - prm.start1);
  const double len2 = prm.closed2 == 1 ? 1.0 : std::fabs(prm.end2 - prm.start2);
  if (!std::isfinite(len1) || !std::isfinite(len2) || !std::isfinite(prm.start1) ||
      !std::isfinite(prm.start2))
    return false;
  double step1 = 0.0, step2 = 0.0;
  const double tol = gGetCurveDicTol();
  side1->GetDiscStep(tol, step1);
  side2->GetDiscStep(tol, step2);
  auto count = [](double len, double step) {
    return step > 0.0 ? std::min(std::ceil(len / step), 501.0) : 4.0;
  };
  n = int(std::clamp(std::max(count(len1, step1), count(len2, step2)), 4.0, 501.0));
  dt1 = len1 / (n - 1);
  dt2 = len2 / (n - 1);
  return true;
}

// Ends a blend: a surface that came out (rc 1) gets its rows offset and goes to out.
int AddBlend(int rc, _nurbs_surface* srf, const SURFBLEND_PARAM& prm, CGeTrimSurfList* out) {
  if (rc != 1 || !srf) {
    BSRF_Free(srf);
    return 0;
  }
  OffsetRows(srf, prm.startOffset, prm.endOffset);
  out->AddTail(new CGeTrimSurf(srf, _tagBox2D{{0, 0}, {1, 1}}));
  return 1;
}

}  // namespace

int CSrfActor::SurfSurfBlend(CGeTrimSurf* s1, CGeTrimSurf* s2, CGeTrimBnd* e1, CGeTrimBnd* e2,
                             bool rev1, bool rev2, SURFBLEND_PARAM prm, CGeTrimSurfList* out) {
  if (!s1 || !s2 || !e1 || !e2 || !out || !e1->m_pEucCrv || !e2->m_pEucCrv) return 0;
  int n = 0;
  double dt1 = 0.0, dt2 = 0.0;
  if (!BlendRows(prm, e1->m_pEucCrv, e2->m_pEucCrv, n, dt1, dt2)) return 0;
  NET4D net = NET4D_Create(n, 4);
  if (!net) return 0;
  double P1[3], N1[3], T1[3], P2[3], N2[3], T2[3], D1[3], D2[3];
  for (int i = 0; i < n; ++i) {
    double t1 = prm.start1 + i * dt1, t2 = prm.start2 + i * dt2;
    if (prm.closed1 == 1) t1 = CInterval::ClampPeriodic(0.0, 1.0, t1);
    if (prm.closed2 == 1) t2 = CInterval::ClampPeriodic(0.0, 1.0, t2);
    if (!EdgeFrame(s1, e1, CInterval::Clamp01(t1), rev1, P1, N1, T1) ||
        !EdgeFrame(s2, e2, CInterval::Clamp01(t2), rev2, P2, N2, T2)) {
      NET4D_Free(net, n);
      return 0;
    }
    Cross3(T1, N1, D1);
    Cross3(T2, N2, D2);
    double row[4][4];
    if (!BCRV_CalFergCntP(P1, D1, P2, D2, row)) {
      NET4D_Free(net, n);
      return 0;
    }
    for (int c = 0; c < 4; ++c) std::copy(row[c], row[c] + 4, net[i][c]);
  }
  BCRV* cross = BCRV_CreFergC1(P1, D1, P2, D2);
  _nurbs_surface* srf = nullptr;
  const int rc = cross ? BSRF_IntpPsUniK(n, net, cross, 4, srf) : 0;
  BCRV_Free(cross);
  NET4D_Free(net, n);
  return AddBlend(rc, srf, prm, out);
}

int CSrfActor::SurfCurveBlend(CGeCurve3d* curve, CGeTrimSurf* surface, CGeTrimBnd* edge,
                              bool revCurve, bool revEdge, SURFBLEND_PARAM prm,
                              CGeTrimSurfList* out) {
  if (!curve || !surface || !edge || !out || !edge->m_pEucCrv) return 0;
  int n = 0;
  double dt1 = 0.0, dt2 = 0.0;
  if (!BlendRows(prm, curve, edge->m_pEucCrv, n, dt1, dt2)) return 0;
  if (revCurve) curve->Reverse();
  NET4D net = NET4D_Create(n, 3);
  if (!net) return 0;
  double C[3], M[3], S[3];
  for (int i = 0; i < n; ++i) {
    double t1 = prm.start1 + i * dt1, t2 = prm.start2 + i * dt2;
    if (prm.closed1 == 1) t1 = CInterval::ClampPeriodic(0.0, 1.0, t1);
    if (prm.closed2 == 1) t2 = CInterval::ClampPeriodic(0.0, 1.0, t2);
    // Curves that cannot evaluate the parameter leave C untouched: catch it as a failure.
    C[0] = C[1] = C[2] = std::numeric_limits<double>::quiet_NaN();
    curve->GetPointAt(CInterval::Clamp01(t1), C, 1);
    double s2 = CInterval::Clamp01(t2);
    if (revEdge) s2 = 1.0 - s2;
    double N[3], T[3];
    if (!std::isfinite(C[0] + C[1] + C[2]) || !EdgeFrame(surface, edge, s2, false, S, N, T)) {
      NET4D_Free(net, n);
      return 0;
    }
    // Leave the edge across it, level with the surface; straight at the curve when the
    // edge gives no cross direction.
    double D[3], TN[3];
    Cross3(T, N, TN);
    const double CS[3] = {C[0] - S[0], C[1] - S[1], C[2] - S[2]};
    if (!Unit3(TN, D, 1e-12) && !Unit3(CS, D, 1e-12)) {
      NET4D_Free(net, n);
      return 0;
    }
    const double half = std::sqrt(CS[0] * CS[0] + CS[1] * CS[1] + CS[2] * CS[2]) / 2;
    for (int k = 0; k < 3; ++k) M[k] = S[k] + D[k] * half;
    const double* row[3] = {C, M, S};
    for (int c = 0; c < 3; ++c) {
      std::copy(row[c], row[c] + 3, net[i][c]);
      net[i][c][3] = 1.0;
    }
  }
  BCRV* cross = BCRV_CreConic(C, M, S, 0.5);
  _nurbs_surface* srf = nullptr;
  const int rc = cross ? BSRF_IntpPs(n, net, cross, 3, srf) : 0;
  BCRV_Free(cross);
  NET4D_Free(net, n);
  return AddBlend(rc, srf, prm, out);
}
