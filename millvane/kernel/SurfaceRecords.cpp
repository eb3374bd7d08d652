#include "millvane/kernel/SurfaceRecords.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "platform/numora/Interval.h"

namespace {
// Parameters of a B-spline surface: wrapped into [0, 1] along a periodic direction.
void BsplineUV(const SRF_Bspline* s, double& u, double& v) {
  if (s->uRange.closure == 2 && (u < 0.0 || u > 1.0)) u = CInterval::ClampPeriodic(0, 1, u);
  if (s->vRange.closure == 2 && (v < 0.0 || v > 1.0)) v = CInterval::ClampPeriodic(0, 1, v);
}

// Sphere: H = cos u X + sin u Y, E = -sin u X + cos u Y.
// N, when given, receives the outward unit normal cos v H + sin v Z.
void SphereDerivs(const SRF_Sphere* s, double u, double v, double S[3], double Su[3],
                  double Sv[3], double Suu[3], double Suv[3], double Svv[3],
                  double N[3] = nullptr) {
  const _rect_fm3d& f = s->frame;
  const double r = s->radius, cu = std::cos(u), su = std::sin(u), cv = std::cos(v),
               sv = std::sin(v);
  for (int i = 0; i < 3; ++i) {
    const double H = cu * f.xAxis[i] + su * f.yAxis[i];
    const double E = -su * f.xAxis[i] + cu * f.yAxis[i];
    const double Z = f.zAxis[i];
    if (S) S[i] = f.origin[i] + r * (cv * H + sv * Z);
    if (Su) Su[i] = r * cv * E;
    if (Sv) Sv[i] = r * (-sv * H + cv * Z);
    if (Suu) Suu[i] = -r * cv * H;
    if (Suv) Suv[i] = -r * sv * E;
    if (Svv) Svv[i] = -r * (cv * H + sv * Z);
    if (N) N[i] = cv * H + sv * Z;
  }
}

// Box of a direction used for sampling its edges: an unbounded direction (an extrusion's v) is
// sampled over [-1, 1], where its points keep their precision.
void SampleSpan(double lo, double hi, double& a, double& b) {
  const bool unbounded = std::fabs(lo) > 1e10 || std::fabs(hi) > 1e10;
  a = unbounded ? -1.0 : lo;
  b = unbounded ? 1.0 : hi;
}

// Parameters along an edge: ends, middle, then random ones.
double EdgeParam(int k, double a, double b) {
  if (k == 0) return a;
  if (k == 1) return b;
  if (k == 2) return 0.5 * (a + b);
  return a + (b - a) * CInterval::Rand01();
}

// Point on the edge (dir 0: u fixed at w, running in v; dir 1: v fixed at w, running in u).
bool EdgePoint(const ENT_Record* rec, int dir, double w, double s, double p[3]) {
  return dir == 0 ? SRF_EvPos(p, rec, w, s) == 1 : SRF_EvPos(p, rec, s, w) == 1;
}

bool EdgeCollapses(const ENT_Record* rec, int dir, double w, double a, double b) {
  double A[3], B[3];
  if (!EdgePoint(rec, dir, w, a, A) || !EdgePoint(rec, dir, w, b, B)) return false;
  if (kv::Dist(A, B) > TOL_precision) return false;
  for (int k = 2; k < 13; ++k) {
    double P[3];
    if (!EdgePoint(rec, dir, w, EdgeParam(k, a, b), P)) return false;
    if (kv::Dist(P, A) + kv::Dist(P, B) > TOL_precision) return false;
  }
  return true;
}

bool PlainNormal(const ENT_Record* rec, double u, double v, double n[3]) {
  double P[3], Su[3], Sv[3], x[3];
  if (!SRF_EvDeriv1(P, Su, Sv, rec, u, v)) return false;
  kv::Cross(x, Su, Sv);
  return kv::Len(Su) >= 1e-12 && kv::Len(Sv) >= 1e-12 && kv::Unit(n, x, 1e-24);
}

// Closure mode between the edges at w0 and w1 of direction dir.
int EdgeClosure(const ENT_Record* rec, int dir, double w0, double w1, double a, double b) {
  bool normalsAgree = true;
  for (int k = 0; k < 13; ++k) {
    const double s = EdgeParam(k, a, b);
    double P[3], Q[3];
    if (!EdgePoint(rec, dir, w0, s, P) || !EdgePoint(rec, dir, w1, s, Q)) return 0;
    if (kv::Dist(P, Q) > TOL_precision) return 0;
    double n0[3], n1[3];
    const double u0 = dir == 0 ? w0 : s, v0 = dir == 0 ? s : w0;
    const double u1 = dir == 0 ? w1 : s, v1 = dir == 0 ? s : w1;
    // Plain normals: the pole normal would need these very ranges. A sample at a pole has no
    // plain normal on either side and says nothing about a crease.
    const bool has0 = PlainNormal(rec, u0, v0, n0), has1 = PlainNormal(rec, u1, v1, n1);
    if (has0 != has1 || (has0 && kv::Dist(n0, n1) >= TOL_anglePrecision)) normalsAgree = false;
  }
  return normalsAgree ? 2 : 1;
}

void ComputedRanges(const ENT_Record* rec, _param* U, _param* V) {
  _tagBox2D b;
  SRF_GetUVBox(rec, &b);
  _param* R[2] = {U, V};
  for (int dir = 0; dir < 2; ++dir) {
    _param& p = *R[dir];
    PARAM_Init(&p);
    p.min = b.min[dir];
    p.max = b.max[dir];
    double a, c;
    SampleSpan(b.min[1 - dir], b.max[1 - dir], a, c);
    const bool s0 = EdgeCollapses(rec, dir, p.min, a, c);
    const bool s1 = EdgeCollapses(rec, dir, p.max, a, c);
    p.startKind = s0 ? 3 : 1;
    p.endKind = s1 ? 3 : 1;
    p.closure = (!s0 && !s1) ? EdgeClosure(rec, dir, p.min, p.max, a, c) : 0;
    p.reserved1 = 3;
    p.reserved2 = 1;
  }
}

// Finite-difference step for an offset surface whose base has a vanishing partial: forwards,
// backwards where the box would be left.
double DiffStep(double base, double hi, double e) { return base + e > hi ? -e : e; }

}  // namespace

int SRF_GetUVBox(const ENT_Record* rec, _tagBox2D* box) {
  if (!rec || !box) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE:
      *box = {{0.0, 0.0}, {1.0, 1.0}};
      return 1;
    case ENT_EXTRUSION: {
      double r[2];
      if (!CRV_GetRange(static_cast<const SRF_Extrude*>(rec)->generator, r)) return 0;
      *box = {{r[0], -1e20}, {r[1], 1e20}};
      return 1;
    }
    case ENT_OFFSET_SURFACE:
      return SRF_GetUVBox(static_cast<const SRF_Offset*>(rec)->base, box);
    case ENT_SPHERE:
      *box = {{0.0, -std::numbers::pi / 2}, {2 * std::numbers::pi, std::numbers::pi / 2}};
      return 1;
    default:
      return 0;
  }
}

int SRF_GetParamRanges(const ENT_Record* rec, _param* U, _param* V) {
  if (!rec || !U || !V) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE: {
      const auto* s = static_cast<const SRF_Bspline*>(rec);
      *U = s->uRange;
      *V = s->vRange;
      return 1;
    }
    case ENT_EXTRUSION:
    case ENT_OFFSET_SURFACE: {
      _tagBox2D b;
      if (!SRF_GetUVBox(rec, &b)) return 0;
      ComputedRanges(rec, U, V);
      return 1;
    }
    case ENT_SPHERE:
      PARAM_Init(U);
      PARAM_Init(V);
      U->min = 0, U->max = 2 * std::numbers::pi, U->closure = 2;
      V->min = -std::numbers::pi / 2, V->max = std::numbers::pi / 2, V->startKind = V->endKind = 3, V->closure = 0;
      return 1;
    default:
      return 0;
  }
}

int SRF_EvPos(double p[3], const ENT_Record* rec, double u, double v) {
  if (!rec || !p) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE: {
      const auto* s = static_cast<const SRF_Bspline*>(rec);
      BsplineUV(s, u, v);
      return BSRF_EvPos(s->surface, u, v, p) ? 1 : 0;
    }
    case ENT_EXTRUSION: {
      const auto* e = static_cast<const SRF_Extrude*>(rec);
      double g[3];
      if (!CRV_EvPos(g, e->generator, u)) return 0;
      kv::Axpy(p, g, v, e->direction);
      return 1;
    }
    case ENT_OFFSET_SURFACE: {
      const auto* o = static_cast<const SRF_Offset*>(rec);
      double b[3], n[3];
      if (!SRF_EvPosNormal(n, o->base, b, u, v)) return 0;
      kv::Axpy(p, b, o->distance, n);
      return 1;
    }
    case ENT_SPHERE:
      SphereDerivs(static_cast<const SRF_Sphere*>(rec), u, v, p, nullptr, nullptr, nullptr,
                   nullptr, nullptr);
      return 1;
    default:
      return 0;
  }
}

namespace {

// Offset partials from the base's first and second derivatives; false when the base normal
// vanishes. shortPartial tells the caller to fall back on differences instead.
bool OffsetAnalytic(const SRF_Offset* o, double u, double v, double p[3], double Su[3],
                    double Sv[3], bool& shortPartial) {
  double B[3], Bu[3], Bv[3], Buu[3], Buv[3], Bvv[3];
  if (!SRF_EvDeriv2(B, Bu, Bv, Buu, Buv, Bvv, o->base, u, v)) return false;
  shortPartial = kv::Len(Bu) < 1e-6 || kv::Len(Bv) < 1e-6;
  if (shortPartial) return true;
  double n[3], N[3];
  kv::Cross(n, Bu, Bv);
  const double ln = kv::Len(n);
  if (ln < 1e-20) return false;
  kv::Scale(N, 1.0 / ln, n);
  double nu[3], nv[3];
  kv::NormalPartials(Bu, Bv, Buu, Buv, Bvv, nu, nv);
  const double d = o->distance;
  auto partial = [&](const double nd[3], const double Bd[3], double out[3]) {
    double q[3];
    kv::Scale(q, 1.0 / ln, nd);
    kv::Axpy(q, q, -kv::Dot(q, N), N);
    kv::Axpy(out, Bd, d, q);
  };
  kv::Axpy(p, B, d, N);
  partial(nu, Bu, Su);
  partial(nv, Bv, Sv);
  return true;
}

// Step for differences on an offset: 1e-6 over the longest base partial.
bool OffsetStep(const SRF_Offset* o, double u, double v, double& e) {
  double B[3], Bu[3], Bv[3];
  if (!SRF_EvDeriv1(B, Bu, Bv, o->base, u, v)) return false;
  const double m = std::max(kv::Len(Bu), kv::Len(Bv));
  if (!(m > 0.0)) return false;
  e = 1e-6 / m;
  return true;
}

}  // namespace

int SRF_EvDeriv1(double p[3], double Su[3], double Sv[3], const ENT_Record* rec, double u,
                 double v) {
  if (!rec || !p || !Su || !Sv) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE: {
      const auto* s = static_cast<const SRF_Bspline*>(rec);
      BsplineUV(s, u, v);
      return BSRF_Ev1Der(s->surface, u, v, p, Su, Sv) ? 1 : 0;
    }
    case ENT_EXTRUSION: {
      const auto* e = static_cast<const SRF_Extrude*>(rec);
      double g[3];
      if (!CRV_EvPosTan(Su, g, e->generator, u)) return 0;
      kv::Axpy(p, g, v, e->direction);
      kv::Copy(Sv, e->direction);
      return 1;
    }
    case ENT_OFFSET_SURFACE: {
      const auto* o = static_cast<const SRF_Offset*>(rec);
      bool shortPartial = false;
      if (!OffsetAnalytic(o, u, v, p, Su, Sv, shortPartial)) return 0;
      if (!shortPartial) return 1;
      double e;
      _tagBox2D b;
      if (!OffsetStep(o, u, v, e) || !SRF_GetUVBox(rec, &b)) return 0;
      const double hu = DiffStep(u, b.max[0], e), hv = DiffStep(v, b.max[1], e);
      double P[3], Pu[3], Pv[3];
      if (!SRF_EvPos(P, rec, u, v) || !SRF_EvPos(Pu, rec, u + hu, v) ||
          !SRF_EvPos(Pv, rec, u, v + hv))
        return 0;
      for (int i = 0; i < 3; ++i) {
        Su[i] = (Pu[i] - P[i]) / hu;
        Sv[i] = (Pv[i] - P[i]) / hv;
      }
      kv::Copy(p, P);
      return 1;
    }
    case ENT_SPHERE:
      SphereDerivs(static_cast<const SRF_Sphere*>(rec), u, v, p, Su, Sv, nullptr, nullptr,
                   nullptr);
      return 1;
    default:
      return 0;
  }
}

int SRF_EvDeriv2(double p[3], double Su[3], double Sv[3], double Suu[3], double Suv[3],
                 double Svv[3], const ENT_Record* rec, double u, double v) {
  if (!rec || !p || !Su || !Sv || !Suu || !Suv || !Svv) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE: {
      const auto* s = static_cast<const SRF_Bspline*>(rec);
      BsplineUV(s, u, v);
      return BSRF_Ev2Der(s->surface, u, v, p, Su, Sv, Suu, Suv, Svv) ? 1 : 0;
    }
    case ENT_EXTRUSION: {
      const auto* e = static_cast<const SRF_Extrude*>(rec);
      double g[3];
      if (!CRV_EvDeriv2(g, Su, Suu, e->generator, u)) return 0;
      kv::Axpy(p, g, v, e->direction);
      kv::Copy(Sv, e->direction);
      kv::Set(Suv, 0, 0, 0);
      kv::Set(Svv, 0, 0, 0);
      return 1;
    }
    case ENT_OFFSET_SURFACE: {
      // The offset's second partials would need the base's third; differences of its exact
      // first partials stand in for them.
      const auto* o = static_cast<const SRF_Offset*>(rec);
      double e;
      _tagBox2D b;
      if (!OffsetStep(o, u, v, e) || !SRF_GetUVBox(rec, &b)) return 0;
      const double hu = DiffStep(u, b.max[0], e), hv = DiffStep(v, b.max[1], e);
      double P[3], Pu_u[3], Pv_u[3], Pu_v[3], Pv_v[3], q[3];
      if (!SRF_EvDeriv1(P, Su, Sv, rec, u, v) || !SRF_EvDeriv1(q, Pu_u, Pv_u, rec, u + hu, v) ||
          !SRF_EvDeriv1(q, Pu_v, Pv_v, rec, u, v + hv))
        return 0;
      for (int i = 0; i < 3; ++i) {
        Suu[i] = (Pu_u[i] - Su[i]) / hu;
        Svv[i] = (Pv_v[i] - Sv[i]) / hv;
        Suv[i] = 0.5 * ((Pv_u[i] - Sv[i]) / hu + (Pu_v[i] - Su[i]) / hv);
      }
      kv::Copy(p, P);
      return 1;
    }
    case ENT_SPHERE:
      SphereDerivs(static_cast<const SRF_Sphere*>(rec), u, v, p, Su, Sv, Suu, Suv, Svv);
      return 1;
    default:
      return 0;
  }
}

namespace {

// Normal at a collapsed edge whose pole lies within precision of p.
bool PoleNormal(const ENT_Record* rec, const double p[3], double n[3]) {
  _param U, V;
  _tagBox2D b;
  if (!SRF_GetParamRanges(rec, &U, &V) || !SRF_GetUVBox(rec, &b)) return false;
  struct Edge {
    int dir;        // 0: u fixed, 1: v fixed
    double w;
    bool prevFirst; // previous x current
  };
  Edge edges[4];
  int count = 0;
  if (U.startKind == 3) edges[count++] = {0, U.min, true};
  if (U.endKind == 3) edges[count++] = {0, U.max, false};
  if (V.startKind == 3) edges[count++] = {1, V.min, false};
  if (V.endKind == 3) edges[count++] = {1, V.max, true};
  if (count > 2) return false;
  for (int k = 0; k < count; ++k) {
    const Edge& e = edges[k];
    double a, c;
    SampleSpan(b.min[1 - e.dir], b.max[1 - e.dir], a, c);
    double pole[3] = {0, 0, 0}, sum[3] = {0, 0, 0}, prev[3] = {0, 0, 0};
    bool ok = true;
    for (int i = 0; i <= 10 && ok; ++i) {
      const double s = a + (c - a) * i / 10.0;
      double P[3], Su[3], Sv[3];
      ok = e.dir == 0 ? SRF_EvDeriv1(P, Su, Sv, rec, e.w, s) == 1
                      : SRF_EvDeriv1(P, Su, Sv, rec, s, e.w) == 1;
      if (!ok) break;
      kv::Axpy(pole, pole, 1.0 / 11.0, P);
      const double* across = e.dir == 0 ? Su : Sv;
      if (i > 0) {
        double x[3];
        if (e.prevFirst) kv::Cross(x, prev, across);
        else kv::Cross(x, across, prev);
        kv::Add(sum, sum, x);
      }
      kv::Copy(prev, across);
    }
    if (!ok) continue;
    if (kv::Dist(pole, p) <= TOL_precision && kv::Unit(n, sum, 1e-20)) return true;
  }
  return false;
}

}  // namespace

int SRF_EvPosNormal(double n[3], const ENT_Record* rec, double p[3], double u, double v) {
  if (!rec || !n || !p) return 0;
  if (rec->type == ENT_SPHERE) {
    SphereDerivs(static_cast<const SRF_Sphere*>(rec), u, v, p, nullptr, nullptr, nullptr,
                 nullptr, nullptr, n);
    return 1;
  }
  if (rec->type != ENT_BSPLINE_SURFACE && rec->type != ENT_EXTRUSION &&
      rec->type != ENT_OFFSET_SURFACE)
    return 0;
  double P[3], Su[3], Sv[3];
  if (!SRF_EvDeriv1(P, Su, Sv, rec, u, v)) return 0;
  const bool shortU = kv::Len(Su) < 1e-12, shortV = kv::Len(Sv) < 1e-12;
  if (shortU && shortV) return 0;
  double N[3];
  if (!shortU && !shortV) {
    double x[3];
    kv::Cross(x, Su, Sv);
    if (!kv::Unit(N, x, 1e-24)) return 0;
  } else if (!PoleNormal(rec, P, N)) {
    // One partial vanishes away from every pole: no normal is defined there.
    return 0;
  }
  kv::Copy(n, N);
  kv::Copy(p, P);
  return 1;
}

int SRF_EvCurvature(double& k1, double& k2, double e1[3], double e2[3], const ENT_Record* rec,
                    double u, double v) {
  if (!rec || !e1 || !e2) return 0;
  if (rec->type != ENT_BSPLINE_SURFACE && rec->type != ENT_EXTRUSION && rec->type != ENT_SPHERE)
    return 0;
  double P[3], Su[3], Sv[3], Suu[3], Suv[3], Svv[3], N[3], q[3];
  if (!SRF_EvDeriv2(P, Su, Sv, Suu, Suv, Svv, rec, u, v)) return 0;
  if (!SRF_EvPosNormal(N, rec, q, u, v)) return 0;
  const double E = kv::Dot(Su, Su), F = kv::Dot(Su, Sv), G = kv::Dot(Sv, Sv);
  const double L = kv::Dot(N, Suu), M = kv::Dot(N, Suv), Pn = kv::Dot(N, Svv);
  const double det = E * G - F * F;
  if (det < 1e-20) return 0;
  double roots[2];
  const int nr = MAT_SolveQuadratic(det, 2 * F * M - G * L - E * Pn, L * Pn - M * M, 1e-20, roots);
  if (nr != 1 && nr != 2) return 0;
  k1 = roots[0];
  k2 = nr == 2 ? roots[1] : roots[0];
  if (std::fabs(k1 * k2) * TOL_precision >= std::fabs(k1 - k2)) {
    if (!kv::Unit(e1, Su, 1e-20)) return 0;
    kv::Cross(e2, N, e1);
    return 1;
  }
  double* dirs[2] = {e1, e2};
  const double ks[2] = {k1, k2};
  bool found[2] = {false, false};
  for (int i = 0; i < 2; ++i) {
    const double r0[2] = {ks[i] * E - L, ks[i] * F - M};
    const double r1[2] = {ks[i] * F - M, ks[i] * G - Pn};
    double xy[2];
    if (MAT_NullVector2(r0, r1, 1e-6, xy) == 100) continue;
    double d[3];
    for (int c = 0; c < 3; ++c) d[c] = xy[0] * Su[c] + xy[1] * Sv[c];
    if (!kv::Unit(dirs[i], d, 1e-20)) return 0;
    found[i] = true;
  }
  // Where one matrix vanishes although the curvatures differ, that direction is the tangent
  // perpendicular to the other one.
  if (found[0] == found[1]) return found[0] ? 1 : 0;
  const int have = found[0] ? 0 : 1;
  kv::Cross(dirs[1 - have], N, dirs[have]);
  if (have == 1) kv::Scale(dirs[0], -1.0, dirs[0]);
  return 1;
}

int SRF_SnapPoint(double& v, double& u, double foot[3], const ENT_Record* rec,
                  const double point[3]) {
  if (!rec || !foot || !point) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE: {
      const auto* s = static_cast<const SRF_Bspline*>(rec);
      // u and v come in as the caller's start guess (1e12: none).
      double uu = u, vv = v, dist;
      if (!BSRF_SnapPnt(s->surface, point, TOL_precision, foot, uu, vv, dist)) return 0;
      u = uu;
      v = vv;
      return 1;
    }
    case ENT_EXTRUSION: {
      const auto* e = static_cast<const SRF_Extrude*>(rec);
      const double dd = kv::Dot(e->direction, e->direction);
      double o[3], nrm[3], q[3], w[3], g[3];
      if (dd < 1e-24 || !CRV_GetPlane(o, nrm, e->generator)) return 0;
      kv::Sub(w, point, o);
      kv::Axpy(q, point, -kv::Dot(w, nrm), nrm);
      double t = u;
      if (!CRV_SnapPoint(g, q, t, e->generator)) return 0;
      kv::Sub(w, point, g);
      // v counts multiples of the direction, whatever its length.
      v = kv::Dot(w, e->direction) / dd;
      u = t;
      kv::Axpy(foot, g, v, e->direction);
      return 1;
    }
    case ENT_SPHERE: {
      const auto* s = static_cast<const SRF_Sphere*>(rec);
      const _rect_fm3d& f = s->frame;
      double d[3];
      kv::Sub(d, point, f.origin);
      const double dx = kv::Dot(d, f.xAxis), dy = kv::Dot(d, f.yAxis);
      u = std::hypot(dx, dy) < 0.001 ? 0.0 : MAT_Angle2(dx, dy);
      double H[3];
      for (int i = 0; i < 3; ++i) H[i] = std::cos(u) * f.xAxis[i] + std::sin(u) * f.yAxis[i];
      const double ld = kv::Len(d);
      if (ld < 1e-12) {
        v = 0.0;
        kv::Axpy(foot, f.origin, s->radius, H);
        return 1;
      }
      double du[3];
      kv::Scale(du, 1.0 / ld, d);
      kv::Axpy(foot, f.origin, s->radius, du);
      v = std::atan2(kv::Dot(du, f.zAxis), kv::Dot(du, H));
      return 1;
    }
    default:
      return 0;
  }
}

int SRF_ToBspline(double tol, const ENT_Record* rec, const _tagBox2D* box, _nurbs_surface*& out,
                  int* flag) {
  out = nullptr;
  if (!rec || tol < 9.99e-7) return 0;
  switch (rec->type) {
    case ENT_BSPLINE_SURFACE:
      out = BSRF_Clone(static_cast<const SRF_Bspline*>(rec)->surface);
      if (!out) return 0;
      if (flag) *flag = 1;
      return 1;
    case ENT_EXTRUSION: {
      if (!box) return 0;
      const auto* e = static_cast<const SRF_Extrude*>(rec);
      const double iv[2] = {box->min[0], box->max[0]};
      BCRV* g = nullptr;
      int f = 0;
      if (CRV_ToBcrv(g, tol, iv, e->generator, &f) != 1) return 0;
      double mv[3];
      kv::Scale(mv, box->min[1], e->direction);
      g->Move(mv);
      const int rc = BSRF_GenExtrude(g, e->direction, (box->max[1] - box->min[1]) * kv::Len(e->direction), out);
      BCRV_Free(g);
      if (!rc) {
        out = nullptr;
        return 0;
      }
      if (flag) *flag = f;
      return 1;
    }
    case ENT_SPHERE: {
      if (!box) return 0;
      const auto* s = static_cast<const SRF_Sphere*>(rec);
      double A[3], B[3];
      SRF_EvPos(A, rec, box->min[0], box->min[1]);
      SRF_EvPos(B, rec, box->min[0], box->min[1] + std::numbers::pi / 2);
      if (kv::Dist(A, B) < 1e-6) return -4;
      const _rect_fm3d& f = s->frame;
      _arc arc{};
      const double cu = std::cos(box->min[0]), su = std::sin(box->min[0]);
      const double cv = std::cos(box->min[1]), sv = std::sin(box->min[1]);
      for (int i = 0; i < 3; ++i) {
        const double H = cu * f.xAxis[i] + su * f.yAxis[i];
        arc.frame.origin[i] = f.origin[i];
        arc.frame.xAxis[i] = cv * H + sv * f.zAxis[i];
        arc.frame.yAxis[i] = -sv * H + cv * f.zAxis[i];
      }
      kv::Cross(arc.frame.zAxis, arc.frame.xAxis, arc.frame.yAxis);
      arc.radius = s->radius;
      arc.sweep = box->max[1] - box->min[1];
      BCRV* m = nullptr;
      if (!BCRV_GenArc(&arc, m)) return 0;
      const int rc = BSRF_GenRevolve(m, f.origin, f.zAxis, box->max[0] - box->min[0], out);
      BCRV_Free(m);
      if (!rc) {
        out = nullptr;
        return 0;
      }
      if (flag) *flag = 1;
      return 1;
    }
    default:
      return 0;
  }
}

int SRF_IntersectSurfaces(ENT_Record* A, ENT_Record* B, const _tagBox2D* boxA, void** cacheA,
                          const _tagBox2D* boxB, void** cacheB, LST_Node** traces,
                          SSI_CurveNode** curves) {
  if (!A || !B) return 0;
  if (B->type > A->type) {
    std::swap(A, B);
    std::swap(boxA, boxB);
    std::swap(cacheA, cacheB);
  }
  switch (A->type) {
    case 9: case 11: case 13: case 15: case 17: case 19: case 21: case 23: case 25: case 29:
      return SSI_TraceSurfaces(A, B, boxA, cacheA, boxB, cacheB, traces, curves);
    default:
      return 0;
  }
}
