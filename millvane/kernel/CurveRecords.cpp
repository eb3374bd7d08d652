#include "millvane/kernel/CurveRecords.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "millvane/kernel/BsplineUtils.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "platform/numora/Interval.h"
#include "platform/numora/Point3d.h"

namespace {
// Most points a tessellation may hold; a larger request is refused rather than exhausting
// memory (an unbounded line interval, a huge arc interval).
constexpr double kMaxTessPoints = 100001;

// B-spline parameter: wrapped into [0, 1] on periodic curves, else kept in the domain.
double BsplineParam(const CRV_Bspline* c, double t) {
  if (c->range.closure == 2 && (t < 0.0 || t > 1.0)) return CInterval::ClampPeriodic(0.0, 1.0, t);
  return t;
}

void CirclePoint(const CRV_Circle* c, double t, double p[3], double d1[3], double d2[3]) {
  const double cs = std::cos(t), sn = std::sin(t), r = c->radius;
  const _rect_fm3d& f = c->frame;
  for (int i = 0; i < 3; ++i) {
    const double rad = r * cs * f.xAxis[i] + r * sn * f.yAxis[i];
    if (p) p[i] = f.origin[i] + rad;
    if (d1) d1[i] = r * cs * f.yAxis[i] - r * sn * f.xAxis[i];
    if (d2) d2[i] = -rad;
  }
}

const SSI_TracedPoint* Traced(const _intcur* c, int& n) {
  n = c->points ? c->points->count : 0;
  return n > 0 ? c->points->points : nullptr;
}

}  // namespace

int CRV_GetRange(const ENT_Record* rec, double out[2]) {
  if (!rec || !out) return 0;
  switch (rec->type) {
    case ENT_LINE:
      out[0] = -1e20;
      out[1] = 1e20;
      return 1;
    case ENT_CIRCLE:
      out[0] = 0.0;
      out[1] = 2.0 * std::numbers::pi;
      return 1;
    case ENT_BSPLINE_CURVE:
      out[0] = 0.0;
      out[1] = 1.0;
      return 1;
    case ENT_INTCURVE: {
      int n;
      const SSI_TracedPoint* tp = Traced(static_cast<const _intcur*>(rec), n);
      if (!tp) return 0;
      out[0] = tp[0].param;
      out[1] = tp[n - 1].param;
      return 1;
    }
    default:
      return 0;
  }
}

int SSI_EvCurve(double point[3], double uvA[2], double uvB[2], const _intcur* c, double t) {
  if (!c || !point) return 0;
  int n;
  const SSI_TracedPoint* tp = Traced(c, n);
  if (!tp) return 0;
  const double t0 = tp[0].param, t1 = tp[n - 1].param, L = t1 - t0;
  if (!(L >= 1e-12) || !std::isfinite(t)) return 0;
  if (t < t0 - 1e-12 || t > t1 + 1e-12) {
    t = t0 + std::fmod(t - t0, L);
    if (t < t0 - 1e-12) t += L;
  }
  int i;
  if (std::fabs(t - t0) <= 1e-12) {
    i = 0;
  } else if (std::fabs(t - t1) <= 1e-12) {
    i = n - 2;
  } else {
    auto it = std::upper_bound(tp, tp + n, t,
                               [](double v, const SSI_TracedPoint& q) { return v < q.param; });
    i = std::clamp(int(it - tp) - 1, 0, n - 2);
  }
  const SSI_TracedPoint& a = tp[i];
  const SSI_TracedPoint& b = tp[i + 1];
  const double len = b.param - a.param;
  if (len < 1e-12) return 0;
  auto take = [&](const SSI_TracedPoint& q) {
    kv::Copy(point, q.point);
    if (uvA) uvA[0] = q.uvA[0], uvA[1] = q.uvA[1];
    if (uvB) uvB[0] = q.uvB[0], uvB[1] = q.uvB[1];
    return 1;
  };
  if (std::fabs(t - a.param) <= TOL_precision) return take(a);
  if (std::fabs(t - b.param) <= TOL_precision) return take(b);
  const double c01 = (t - a.param) / len;
  double ua[2], ub[2];
  for (int k = 0; k < 2; ++k) {
    ua[k] = a.uvA[k] + c01 * (b.uvA[k] - a.uvA[k]);
    ub[k] = a.uvB[k] + c01 * (b.uvB[k] - a.uvB[k]);
  }
  double P0[3], D[3], T[3];
  MAT_HermiteDer(a.point, a.tangent, b.point, b.tangent, c01, P0, D);
  if (!kv::Unit(T, D, 1e-20)) return 0;
  double P[3];
  if (SSI_SolvePoint(P, ua, ub, c->surfaceA, c->surfaceB, P0, T, TOL_precision) != 1) return 0;
  kv::Copy(point, P);
  if (uvA) uvA[0] = ua[0], uvA[1] = ua[1];
  if (uvB) uvB[0] = ub[0], uvB[1] = ub[1];
  return 1;
}

int CRV_EvPos(double p[3], const ENT_Record* rec, double t) {
  if (!rec || !p) return 0;
  switch (rec->type) {
    case ENT_LINE: {
      const auto* l = static_cast<const CRV_Line*>(rec);
      kv::Axpy(p, l->origin, t, l->direction);
      return 1;
    }
    case ENT_CIRCLE:
      CirclePoint(static_cast<const CRV_Circle*>(rec), t, p, nullptr, nullptr);
      return 1;
    case ENT_BSPLINE_CURVE: {
      const auto* c = static_cast<const CRV_Bspline*>(rec);
      return BCRV_EvPos(c->curve, BsplineParam(c, t), p) ? 1 : 0;
    }
    case ENT_INTCURVE:
      return SSI_EvCurve(p, nullptr, nullptr, static_cast<const _intcur*>(rec), t);
    default:
      return 0;
  }
}

namespace {
// Forward differences of an intersection curve's points (first or second order); backward
// where the forward steps would leave the range (they would wrap to the other end).
int IntcurDiff(const ENT_Record* rec, double t, int order, double base[3], double der[3]) {
  double r[2];
  if (!CRV_GetRange(rec, r)) return 0;
  const double h = t + order * 1e-6 > r[1] ? -1e-6 : 1e-6;
  double p[3][3];
  for (int k = 0; k <= order; ++k)
    if (!CRV_EvPos(p[k], rec, t + k * h)) return 0;
  kv::Copy(base, p[0]);
  for (int i = 0; i < 3; ++i)
    der[i] = order == 1 ? (p[1][i] - p[0][i]) / h : (p[2][i] - 2 * p[1][i] + p[0][i]) / (h * h);
  return 1;
}
}  // namespace

int CRV_EvPosTan(double tan[3], double p[3], const ENT_Record* rec, double t) {
  if (!rec || !p || !tan) return 0;
  switch (rec->type) {
    case ENT_LINE: {
      const auto* l = static_cast<const CRV_Line*>(rec);
      kv::Axpy(p, l->origin, t, l->direction);
      kv::Copy(tan, l->direction);
      return 1;
    }
    case ENT_CIRCLE:
      CirclePoint(static_cast<const CRV_Circle*>(rec), t, p, tan, nullptr);
      return 1;
    case ENT_BSPLINE_CURVE: {
      const auto* c = static_cast<const CRV_Bspline*>(rec);
      return BCRV_Ev1Der(c->curve, BsplineParam(c, t), p, tan) ? 1 : 0;
    }
    case ENT_INTCURVE:
      return IntcurDiff(rec, t, 1, p, tan);
    default:
      return 0;
  }
}

int CRV_EvDeriv2(double p[3], double d1[3], double d2[3], const ENT_Record* rec, double t) {
  if (!rec || !p || !d1 || !d2) return 0;
  switch (rec->type) {
    case ENT_LINE:
      CRV_EvPosTan(d1, p, rec, t);
      kv::Set(d2, 0, 0, 0);
      return 1;
    case ENT_CIRCLE:
      CirclePoint(static_cast<const CRV_Circle*>(rec), t, p, d1, d2);
      return 1;
    case ENT_BSPLINE_CURVE: {
      const auto* c = static_cast<const CRV_Bspline*>(rec);
      return BCRV_Ev2Der(c->curve, BsplineParam(c, t), p, d1, d2) ? 1 : 0;
    }
    case ENT_INTCURVE: {
      double q[3];
      if (!CRV_EvPosTan(d1, q, rec, t)) return 0;
      double base[3];
      if (!IntcurDiff(rec, t, 2, base, d2)) return 0;
      kv::Copy(p, q);
      return 1;
    }
    default:
      return 0;
  }
}

namespace {

// Newton iteration for the foot of point on the curve from t; true when it converges.
bool NewtonFoot(const ENT_Record* rec, const double point[3], double& t, double foot[3]) {
  double r[2];
  CRV_GetRange(rec, r);
  const bool periodic =
      rec->type == ENT_INTCURVE ||
      (rec->type == ENT_BSPLINE_CURVE && static_cast<const CRV_Bspline*>(rec)->range.closure == 2);
  double prev = std::numeric_limits<double>::infinity();
  for (int it = 0; it < 32; ++it) {
    double C[3], T[3], C2[3] = {0, 0, 0}, w[3], u[3];
    // B-splines take the curvature term of the step: without it the iteration is repelled
    // from the foot of a point lying beyond the centre of curvature.
    if (rec->type == ENT_BSPLINE_CURVE ? !CRV_EvDeriv2(C, T, C2, rec, t)
                                       : !CRV_EvPosTan(T, C, rec, t))
      return false;
    const double d = kv::Dist(C, point);
    if (std::fabs(d - prev) < TOL_precision) {
      kv::Copy(foot, C);
      return true;
    }
    prev = d;
    const double lt = kv::Len(T);
    if (lt < 1e-6) return false;
    kv::Scale(u, 1.0 / lt, T);
    kv::Sub(w, point, C);
    const double h = kv::Dot(u, w);
    if (std::fabs(h) < TOL_precision) {
      kv::Copy(foot, C);
      return true;
    }
    const double denom = lt * lt - kv::Dot(C2, w);
    t += denom > 0.1 * lt * lt ? h * lt / denom : h / lt;
    // An open curve ends at its range: a parameter beyond it would name no point.
    if (!periodic) t = std::clamp(t, r[0], r[1]);
  }
  return false;
}

}  // namespace

int CRV_SnapPoint(double foot[3], const double point[3], double& t, ENT_Record* rec) {
  if (!rec || !foot || !point) return 0;
  switch (rec->type) {
    case ENT_LINE: {
      const auto* l = static_cast<const CRV_Line*>(rec);
      double w[3];
      kv::Sub(w, point, l->origin);
      const double dd = kv::Dot(l->direction, l->direction);
      // The parameter counts multiples of the direction, whatever its length; a null
      // direction leaves only the origin.
      t = dd < 1e-24 ? 0.0 : kv::Dot(w, l->direction) / dd;
      kv::Axpy(foot, l->origin, t, l->direction);
      return 1;
    }
    case ENT_CIRCLE: {
      const auto* c = static_cast<const CRV_Circle*>(rec);
      const _rect_fm3d& f = c->frame;
      double w[3], q[3];
      kv::Sub(w, point, f.origin);
      kv::Axpy(q, w, -kv::Dot(w, f.zAxis), f.zAxis);
      if (kv::Len(q) >= 1e-6) {
        t = MAT_Angle2(kv::Dot(q, f.xAxis), kv::Dot(q, f.yAxis));
        double u[3] = {};
        kv::Unit(u, q, 0.0);
        kv::Axpy(foot, f.origin, c->radius, u);
      } else {
        t = 0.0;
        kv::Axpy(foot, f.origin, c->radius, f.xAxis);
      }
      return 1;
    }
    case ENT_BSPLINE_CURVE:
    case ENT_INTCURVE: {
      double r[2];
      if (!CRV_GetRange(rec, r)) return 0;
      double s = t, f[3];
      if (t >= r[0] - 1e-12 && t <= r[1] + 1e-12 && NewtonFoot(rec, point, s, f)) {
        kv::Copy(foot, f);
        t = s;
        return 1;
      }
      const ARR_Array* cache = CRV_GetCache(rec);
      if (!cache) return 0;
      const int n = cache->count;
      std::vector<double> dist(static_cast<size_t>(n)), seed(static_cast<size_t>(n));
      double best = std::numeric_limits<double>::infinity();
      for (int j = 0; j < n; ++j) {
        const double* P = cache->points[j];
        dist[size_t(j)] = kv::Dist(point, P);
        seed[size_t(j)] = cache->params[j];
        if (j > 0) {
          const double* A = cache->points[j - 1];
          double d[3], wa[3], wb[3];
          kv::Sub(d, P, A);
          kv::Sub(wa, point, A);
          kv::Sub(wb, point, P);
          if (kv::Dot(wa, d) > 1e-12 && -kv::Dot(wb, d) > 1e-12) {
            const double L2 = kv::Dot(d, d);
            const double s01 = L2 < 1e-24 ? 0.5 : kv::Dot(wa, d) / L2;
            double F[3];
            kv::Axpy(F, A, s01, d);
            dist[size_t(j)] = kv::Dist(point, F);
            seed[size_t(j)] = cache->params[j - 1] + s01 * (cache->params[j] - cache->params[j - 1]);
          }
        }
        best = std::min(best, dist[size_t(j)]);
      }
      const double lim = best + TOL_discretise[0] + 1e-6;
      double bestFoot = std::numeric_limits<double>::infinity(), bt = 0.0, bf[3] = {};
      for (int j = 0; j < n; ++j) {
        if (dist[size_t(j)] > lim) continue;
        double sj = seed[size_t(j)], fj[3];
        if (!NewtonFoot(rec, point, sj, fj)) continue;
        const double d = kv::Dist(fj, point);
        if (d < bestFoot) {
          bestFoot = d;
          bt = sj;
          kv::Copy(bf, fj);
        }
      }
      if (!std::isfinite(bestFoot)) return 0;
      kv::Copy(foot, bf);
      t = bt;
      return 1;
    }
    default:
      return 0;
  }
}

int CRV_IsPlanarBcrv(double point[3], double normal[3], double tol, const BCRV* crv) {
  if (!point || !normal || !BCRV_IsValid(crv) || crv->n < 2) return 0;
  const int n = crv->n;
  std::vector<double> P(size_t(n) * 3);
  for (int i = 0; i < n; ++i) {
    const double w = crv->ctrlPts[i][3];
    if (i < 2 && w < 1e-12) return 0;
    for (int k = 0; k < 3; ++k)
      P[size_t(i) * 3 + size_t(k)] = w < 1e-12 ? P[size_t(i - 1) * 3 + size_t(k)] : crv->ctrlPts[i][k] / w;
  }
  const double* P0 = &P[0];
  double d[3], tmp[3];
  kv::Sub(tmp, &P[3], P0);
  if (!kv::Unit(d, tmp, 1e-6)) return 0;
  double far = -1.0, w[3] = {};
  for (int i = 2; i < n; ++i) {
    double c[3];
    kv::Sub(tmp, &P[size_t(i) * 3], P0);
    kv::Cross(c, d, tmp);
    const double dist = kv::Len(c);
    if (dist > far) {
      far = dist;
      kv::Copy(w, c);
    }
  }
  if (far < tol) {
    double x[3], y[3];
    V3D_GetXYFromZ(d, x, y);
    kv::Copy(point, P0);
    kv::Copy(normal, x);
    return 1;
  }
  double nrm[3];
  if (!kv::Unit(nrm, w, 1e-6)) return 0;
  for (int i = 1; i < n; ++i) {
    kv::Sub(tmp, &P[size_t(i) * 3], P0);
    if (std::fabs(kv::Dot(tmp, nrm)) > tol) return 0;
  }
  kv::Copy(point, P0);
  kv::Copy(normal, nrm);
  return 1;
}

int CRV_GetPlane(double point[3], double normal[3], const ENT_Record* rec) {
  if (!rec || !point || !normal) return 0;
  switch (rec->type) {
    case ENT_LINE: {
      const auto* l = static_cast<const CRV_Line*>(rec);
      double x[3], y[3];
      if (!V3D_GetXYFromZ(l->direction, x, y)) return 0;
      kv::Copy(point, l->origin);
      kv::Copy(normal, x);
      return 1;
    }
    case ENT_CIRCLE: {
      const auto* c = static_cast<const CRV_Circle*>(rec);
      kv::Copy(point, c->frame.origin);
      kv::Copy(normal, c->frame.zAxis);
      return 1;
    }
    case ENT_BSPLINE_CURVE:
      return CRV_IsPlanarBcrv(point, normal, TOL_precision,
                              static_cast<const CRV_Bspline*>(rec)->curve);
    case ENT_INTCURVE: {
      const auto* c = static_cast<const _intcur*>(rec);
      for (const ENT_Record* s : {c->surfaceA, c->surfaceB})
        if (s && s->type == ENT_PLANE) {
          const auto* pl = static_cast<const SRF_Plane*>(s);
          kv::Copy(point, pl->frame.origin);
          kv::Copy(normal, pl->frame.zAxis);
          return 1;
        }
      return 0;
    }
    default:
      return 0;
  }
}

namespace {

// Knot removal judges each removal on its own, so a long run of removals can drift far from
// the points. The simplified curve is kept only when every interpolated point (at its
// chord-length parameter) stays within tol of it; otherwise the removal is retried with half
// the tolerance, and the plain interpolation stays when no retry passes.
void SimplifyWithin(BCRV*& crv, const std::vector<double>& pts, double tol) {
  const size_t n = pts.size() / 3;
  std::vector<double> t(n, 0.0);
  for (size_t i = 1; i < n; ++i) t[i] = t[i - 1] + kv::Dist(&pts[3 * i], &pts[3 * (i - 1)]);
  if (!(t[n - 1] > 0.0)) return;
  for (double& x : t) x /= t[n - 1];
  double rt = tol;
  for (int k = 0; k < 12; ++k, rt *= 0.5) {
    BCRV* c = CRV_CloneBcrv(crv);
    if (!c) return;
    if (CRV_RemoveKnots(c, rt) == 0) {
      BCRV_Free(c);
      return;
    }
    bool within = true;
    for (size_t i = 0; i < n && within; ++i) {
      double p[3];
      within = BCRV_EvPos(c, t[i], p) && kv::Dist(p, &pts[3 * i]) <= tol;
    }
    if (within) {
      BCRV_Free(crv);
      crv = c;
      return;
    }
    BCRV_Free(c);
  }
}

}  // namespace

int CRV_ToBcrv(BCRV*& out, double tol, const double interval[2], const ENT_Record* rec,
               int* flag) {
  out = nullptr;
  if (!rec || tol < 9.99e-7) return 0;
  switch (rec->type) {
    case ENT_LINE: {
      if (!interval) return 0;
      double a[3], b[3];
      CRV_EvPos(a, rec, interval[0]);
      CRV_EvPos(b, rec, interval[1]);
      if (!BCRV_GenLine(a, b, out)) return 0;
      break;
    }
    case ENT_CIRCLE: {
      if (!interval) return 0;
      const auto* c = static_cast<const CRV_Circle*>(rec);
      _arc arc{};
      const double t0 = interval[0], t1 = interval[1];
      double S[3], X[3], Z[3], tmp[3];
      CirclePoint(c, t0, S, nullptr, nullptr);
      kv::Scale(Z, t1 < t0 ? -1.0 : 1.0, c->frame.zAxis);
      kv::Sub(tmp, S, c->frame.origin);
      if (!kv::Unit(X, tmp, 1e-12)) return 0;
      kv::Copy(arc.frame.origin, c->frame.origin);
      kv::Copy(arc.frame.xAxis, X);
      kv::Copy(arc.frame.zAxis, Z);
      kv::Cross(arc.frame.yAxis, Z, X);
      arc.radius = c->radius;
      arc.sweep = std::min(std::fabs(t1 - t0), 2.0 * std::numbers::pi);
      if (!BCRV_GenArc(&arc, out)) return 0;
      break;
    }
    case ENT_BSPLINE_CURVE:
      out = CRV_CloneBcrv(static_cast<const CRV_Bspline*>(rec)->curve);
      if (!out) return 0;
      break;
    case ENT_INTCURVE: {
      int n;
      const SSI_TracedPoint* tp = Traced(static_cast<const _intcur*>(rec), n);
      if (!tp || n < 2) return 0;
      std::vector<double> pts(size_t(n) * 3);
      for (int i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k) pts[size_t(i) * 3 + size_t(k)] = tp[i].point[k];
      if (!BCRV_IntpPs(reinterpret_cast<const double(*)[3]>(pts.data()), n, 4, out)) return 0;
      SimplifyWithin(out, pts, tol);
      if (flag) *flag = 0;
      return 1;
    }
    default:
      return 0;
  }
  if (flag) *flag = 1;
  return 1;
}

namespace {

int Emit(ARR_Array*& out, int count, const std::vector<double>& pts, const std::vector<double>& prm) {
  out = ARR_New(count, ARR_POINTS | ARR_PARAMS);
  if (!out || !out->points || !out->params) {
    ARR_Free(out);
    out = nullptr;
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) out->points[i][k] = pts[size_t(i) * 3 + size_t(k)];
    out->params[i] = prm[size_t(i)];
  }
  return 1;
}

int TessLine(ARR_Array*& out, double t0, double t1, const CRV_Line* l, double step) {
  if (!(step >= 1e-12)) return 0;
  const double nd = std::max(1.0, std::ceil(std::fabs(t1 - t0) / step));
  if (!(nd < kMaxTessPoints)) return 0;
  const int n = int(nd);
  std::vector<double> pts(size_t(n + 1) * 3), prm(size_t(n + 1));
  for (int i = 0; i <= n; ++i) {
    const double t = i == n ? t1 : t0 + (t1 - t0) * i / n;
    prm[size_t(i)] = t;
    kv::Axpy(&pts[size_t(i) * 3], l->origin, t, l->direction);
  }
  return Emit(out, n + 1, pts, prm);
}

int TessArc(ARR_Array*& out, double t0, double t1, const CRV_Circle* c, double chord,
            double angle, double step) {
  const double r = c->radius;
  if (r < 1e-6 || chord < 1e-6 || angle < 0.001 || step < 1e-6 || std::fabs(t1 - t0) < 0.001)
    return 0;
  chord = std::min(chord, r);
  angle = std::min(angle, std::numbers::pi / 2);
  step = std::min(step, r);
  const double half = std::min(std::sqrt(chord * (2 * r - chord)), step / 2);
  const double delta = std::max(2.0 * std::asin(std::min(1.0, half / r)), 0.001);
  const double nd = std::max(1.0, std::ceil(std::fabs(t1 - t0) / std::min(delta, angle)));
  if (!(nd < kMaxTessPoints)) return 0;
  const int n = int(nd);
  const double da = (t1 - t0) / n, cd = std::cos(da), sd = std::sin(da);
  double x = r * std::cos(t0), y = r * std::sin(t0);
  const _rect_fm3d& f = c->frame;
  std::vector<double> pts(size_t(n + 1) * 3), prm(size_t(n + 1));
  for (int i = 0; i <= n; ++i) {
    for (int k = 0; k < 3; ++k)
      pts[size_t(i) * 3 + size_t(k)] = f.origin[k] + x * f.xAxis[k] + y * f.yAxis[k];
    prm[size_t(i)] = i == n ? t1 : t0 + da * i;
    const double nx = x * cd - y * sd;
    y = x * sd + y * cd;
    x = nx;
  }
  return Emit(out, n + 1, pts, prm);
}

int TessAdaptive(ARR_Array*& out, double t0, double t1, const ENT_Record* rec, double chord,
                 double angle, double step) {
  auto node = [&](double t, LST_Node*& n) {
    double p[3], d[3], u[3];
    if (!CRV_EvPosTan(d, p, rec, t) || !kv::Unit(u, d, 1e-6)) return 0;
    n = LST_NewNode(t, 0, 0, 0, p, u);
    return n ? 1 : -1;
  };
  LST_Node *head = nullptr, *tail = nullptr;
  int rc = node(t0, head);
  if (rc != 1) return rc;
  rc = node(t1, tail);
  if (rc != 1) {
    LST_FreeChain(head);
    return rc;
  }
  LST_InsertAfter(head, tail);
  LST_Node* a = head;
  int count = 2;
  for (long pairs = 0; a->next; ++pairs) {
    if (pairs >= 100000) {
      LST_FreeChain(head);
      return 0;
    }
    LST_Node* b = a->next;
    LST_Node* mid = nullptr;
    rc = node(0.5 * (a->uvA[0] + b->uvA[0]), mid);
    if (rc != 1) {
      LST_FreeChain(head);
      return rc;
    }
    double seg[3], w[3], c[3];
    kv::Sub(seg, b->point, a->point);
    kv::Sub(w, mid->point, a->point);
    const double L = kv::Len(seg);
    kv::Cross(c, seg, w);
    const double off = L > 1e-12 ? kv::Len(c) / L : kv::Len(w);
    const bool pass = L < step && off < chord && kv::Dist(a->vector, b->vector) < angle;
    if (pass) {
      LST_FreeChain(mid);
      a = b;
    } else {
      LST_InsertAfter(a, mid);
      ++count;
    }
  }
  std::vector<double> pts(size_t(count) * 3), prm(static_cast<size_t>(count));
  int i = 0;
  for (LST_Node* n = head; n; n = n->next, ++i) {
    kv::Copy(&pts[size_t(i) * 3], n->point);
    prm[size_t(i)] = n->uvA[0];
  }
  LST_FreeChain(head);
  return Emit(out, count, pts, prm);
}

}  // namespace

int CRV_Tessellate(ARR_Array*& out, const double interval[2], const ENT_Record* rec,
                   double chord, double angle, double step) {
  out = nullptr;
  if (!rec || !interval || !std::isfinite(interval[0]) || !std::isfinite(interval[1])) return 0;
  const double t0 = interval[0], t1 = interval[1];
  switch (rec->type) {
    case ENT_LINE:
      return TessLine(out, t0, t1, static_cast<const CRV_Line*>(rec), step);
    case ENT_CIRCLE:
      return TessArc(out, t0, t1, static_cast<const CRV_Circle*>(rec), chord, angle, step);
    case ENT_BSPLINE_CURVE:
    case ENT_INTCURVE:
      // Tolerances that can never be met would only exhaust the pair budget.
      if (!(chord > 0.0) || !(angle > 0.0) || !(step > 0.0)) return 0;
      return TessAdaptive(out, t0, t1, rec, chord, angle, step);
    default:
      return 0;
  }
}

const ARR_Array* CRV_GetCache(ENT_Record* rec) {
  if (!rec) return nullptr;
  ARR_Array** slot = nullptr;
  if (rec->type == ENT_BSPLINE_CURVE) slot = &static_cast<CRV_Bspline*>(rec)->cache;
  else if (rec->type == ENT_INTCURVE) slot = &static_cast<_intcur*>(rec)->cache;
  else return nullptr;
  if (!*slot) {
    double r[2];
    if (!CRV_GetRange(rec, r)) return nullptr;
    ARR_Array* a = nullptr;
    if (CRV_Tessellate(a, r, rec, TOL_discretise[0], TOL_discretise[1], TOL_discretise[2]) != 1)
      return nullptr;
    *slot = a;
  }
  return *slot;
}
