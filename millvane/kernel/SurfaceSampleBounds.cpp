// Bounds on a surface's partial derivatives over its whole parameter plane, from which the
// sampler bounds the surface over a cell it has not looked at yet.
#include <algorithm>
#include <cmath>
#include <limits>

#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceSampling.h"

namespace {

double FrameSpan(const double x[3], const double y[3]) {
  return std::sqrt(kv::Dot(x, x) + kv::Dot(y, y));
}

// A non-rational (or evenly weighted) B-spline surface's partials are B-splines of one degree
// less whose control points are the scaled differences of its own; the largest of those acting
// on a cell bounds the partial there. Evaluation clamps its parameters into the knot range,
// where the surface stops moving, and wraps a periodic direction, across which it is
// continuous: cells reaching out of the knot range take the bound over the whole surface.
bool BsplineField(const _nurbs_surface* s, SSI_SpeedField& f) {
  if (!s || !s->net || !s->uKnots || !s->vKnots || s->ku < 2 || s->kv < 2 || s->nu < s->ku ||
      s->nv < s->kv)
    return false;
  const double w = s->net[0][0][3];
  if (!(w > 0.0) || !std::isfinite(w)) return false;
  for (int j = 0; j < s->nv; ++j)
    for (int i = 0; i < s->nu; ++i)
      if (s->net[j][i][3] != w) return false;
  const int nu = s->nu, nv = s->nv, ku = s->ku, kv = s->kv;
  f.order[0] = ku, f.order[1] = kv;
  f.count[0] = nu, f.count[1] = nv;
  f.knots[0].assign(s->uKnots, s->uKnots + ku + nu);
  f.knots[1].assign(s->vKnots, s->vKnots + kv + nv);
  f.partial[0].assign(size_t((nu - 1) * nv), 0.0);
  f.partial[1].assign(size_t(nu * (nv - 1)), 0.0);
  auto diff = [&](int j0, int i0, int j1, int i1) {
    double d[3];
    for (int k = 0; k < 3; ++k) d[k] = (s->net[j1][i1][k] - s->net[j0][i0][k]) / w;
    return kv::Len(d);
  };
  f.speed[0] = f.speed[1] = 0.0;
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i + 1 < nu; ++i) {
      const double span = s->uKnots[i + ku] - s->uKnots[i + 1];
      const double q = span > 0.0 ? (ku - 1) * diff(j, i, j, i + 1) / span : 0.0;
      f.partial[0][size_t(j * (nu - 1) + i)] = q;
      f.speed[0] = std::max(f.speed[0], q);
    }
  for (int j = 0; j + 1 < nv; ++j)
    for (int i = 0; i < nu; ++i) {
      const double span = s->vKnots[j + kv] - s->vKnots[j + 1];
      const double q = span > 0.0 ? (kv - 1) * diff(j, i, j + 1, i) / span : 0.0;
      f.partial[1][size_t(j * nu + i)] = q;
      f.speed[1] = std::max(f.speed[1], q);
    }
  // Second partials, where the surface is C1 across every inner knot (a kink would hide a
  // jump of the first partial from them).
  auto smooth = [](const double* t, int k, int n) {
    for (int i = k; i < n;) {
      int m = 1;
      while (i + m < n && t[i + m] == t[i]) ++m;
      if (m > k - 2) return false;
      i += m;
    }
    return true;
  };
  f.bent = smooth(s->uKnots, ku, nu) && smooth(s->vKnots, kv, nv);
  if (!f.bent) return true;
  // Control vectors of Su along a row (or Sv along a column), then their differences.
  auto second = [&](int dir, int line, int i) {
    const int k = dir == 0 ? ku : kv;
    const double* t = dir == 0 ? s->uKnots : s->vKnots;
    auto at = [&](int m, double q[3]) {
      for (int c = 0; c < 3; ++c)
        q[c] = dir == 0 ? s->net[line][m][c] / w : s->net[m][line][c] / w;
    };
    double first[2][3];
    for (int e = 0; e < 2; ++e) {
      const int m = i + e;
      const double span = t[m + k] - t[m + 1];
      double p[3], q[3];
      at(m, p);
      at(m + 1, q);
      for (int c = 0; c < 3; ++c) first[e][c] = span > 0.0 ? (k - 1) * (q[c] - p[c]) / span : 0.0;
    }
    const double span = t[i + k] - t[i + 2];
    if (!(span > 0.0)) return 0.0;
    double d[3];
    for (int c = 0; c < 3; ++c) d[c] = (k - 2) * (first[1][c] - first[0][c]) / span;
    return kv::Len(d);
  };
  f.partial2[0].assign(size_t(std::max(0, nu - 2) * nv), 0.0);
  f.partial2[1].assign(size_t(nu * std::max(0, nv - 2)), 0.0);
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i + 2 < nu; ++i) {
      const double q = second(0, j, i);
      f.partial2[0][size_t(j * (nu - 2) + i)] = q;
      f.bend[0] = std::max(f.bend[0], q);
    }
  for (int j = 0; j + 2 < nv; ++j)
    for (int i = 0; i < nu; ++i) {
      const double q = second(1, i, j);
      f.partial2[1][size_t(j * nu + i)] = q;
      f.bend[1] = std::max(f.bend[1], q);
    }
  return true;
}

// Indices k in [0, n) of the B-splines of order `order` over knots t whose support
// [t[k + shift], t[k + order]] meets [lo, hi] (shift 1 for a partial's control points, 2 for
// a second partial's).
void Acting(const std::vector<double>& t, int order, int shift, int n, double lo, double hi,
            int& first, int& last) {
  const int below = int(std::upper_bound(t.begin(), t.end(), hi) - t.begin());  // t[k] <= hi
  const int from = int(std::lower_bound(t.begin(), t.end(), lo) - t.begin());   // t[k] >= lo
  last = std::min(n - 1, below - 1 - shift);
  first = std::max(0, from - order);
}

// An offset of a bilinear B-spline sheet over the unit square, O = B + d N: with
// a = P10 - P00, b = P01 - P00 and the twist t = P11 - P10 - P01 + P00, n = Su x Sv =
// a x b + u (a x t) + v (t x b), so |Nu| <= |a| |t| / min |n| and |Nv| <= |b| |t| / min |n|,
// with min |n| >= |a x b| - (|a| + |b|) |t|. A flat parallelogram (no twist) moves the whole
// sheet by d N: the offset keeps the sheet's bounds.
bool OffsetSheetField(const SRF_Offset* o, SSI_SpeedField& f) {
  if (!o->base || o->base->type != ENT_BSPLINE_SURFACE) return false;
  const _nurbs_surface* s = static_cast<const SRF_Bspline*>(o->base)->surface;
  if (!s || s->ku != 2 || s->kv != 2 || s->nu != 2 || s->nv != 2 || !s->uKnots || !s->vKnots)
    return false;
  for (int k = 0; k < 4; ++k)
    if (s->uKnots[k] != (k < 2 ? 0.0 : 1.0) || s->vKnots[k] != (k < 2 ? 0.0 : 1.0)) return false;
  const double d = std::fabs(o->distance);
  if (!BsplineField(s, f) || !std::isfinite(d)) return false;
  const double w = s->net[0][0][3];
  double a[3], b[3], t[3], x[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = (s->net[0][1][k] - s->net[0][0][k]) / w;
    b[k] = (s->net[1][0][k] - s->net[0][0][k]) / w;
    t[k] = (s->net[1][1][k] - s->net[0][1][k] - s->net[1][0][k] + s->net[0][0][k]) / w;
  }
  kv::Cross(x, a, b);
  const double la = kv::Len(a), lb = kv::Len(b), lt = kv::Len(t);
  // A sheet whose normal may vanish somewhere has a normal that jumps there.
  const double low = kv::Len(x) - (la + lb) * lt;
  if (!(low > 1e-12 * la * lb)) return false;
  if (t[0] == 0.0 && t[1] == 0.0 && t[2] == 0.0) return true;
  // Bounds over the whole sheet only, and no second partials.
  f.order[0] = f.order[1] = 0;
  f.bent = false;
  f.speed[0] += d * la * lt / low;
  f.speed[1] += d * lb * lt / low;
  return true;
}

// Bounds on a curve's first and second derivatives along its parameter: a line's direction
// (and no bend), a circle's radius over its frame for both.
bool CurveSpeed(const ENT_Record* c, double& speed, double& bend) {
  if (!c) return false;
  if (c->type == ENT_LINE) {
    speed = kv::Len(static_cast<const CRV_Line*>(c)->direction);
    bend = 0.0;
    return true;
  }
  if (c->type == ENT_CIRCLE) {
    const auto* k = static_cast<const CRV_Circle*>(c);
    speed = bend = std::fabs(k->radius) * FrameSpan(k->frame.xAxis, k->frame.yAxis);
    return true;
  }
  return false;
}

}  // namespace

void SSI_SetSpeedField(const ENT_Record* s, SSI_SpeedField& f) {
  f = SSI_SpeedField();
  if (!s) return;
  bool ok = false;
  switch (s->type) {
    case ENT_BSPLINE_SURFACE:
      ok = BsplineField(static_cast<const SRF_Bspline*>(s)->surface, f);
      break;
    case ENT_EXTRUSION: {
      const auto* e = static_cast<const SRF_Extrude*>(s);
      ok = CurveSpeed(e->generator, f.speed[0], f.bend[0]);
      f.speed[1] = kv::Len(e->direction);
      f.bend[1] = 0.0;
      f.bent = true;
      break;
    }
    case ENT_OFFSET_SURFACE:
      ok = OffsetSheetField(static_cast<const SRF_Offset*>(s), f);
      break;
    case ENT_SPHERE: {
      // Su = r cos v E, Sv = r (-sin v H + cos v Z), with H and E combinations of X and Y.
      const auto* k = static_cast<const SRF_Sphere*>(s);
      const _rect_fm3d& fr = k->frame;
      const double r = std::fabs(k->radius), xy = FrameSpan(fr.xAxis, fr.yAxis);
      // Suu = -r cos v H, Svv = -r (cos v H + sin v Z): the same bounds as the first partials.
      f.speed[0] = f.bend[0] = r * xy;
      f.speed[1] = f.bend[1] = r * std::sqrt(xy * xy + kv::Dot(fr.zAxis, fr.zAxis));
      f.bent = true;
      ok = true;
      break;
    }
    default:
      break;
  }
  f.bounded = ok && std::isfinite(f.speed[0]) && std::isfinite(f.speed[1]);
  bool finite = true;
  for (const std::vector<double>& p : f.partial)
    for (double q : p) finite = finite && std::isfinite(q);
  if (!f.bounded || !finite) {
    f = SSI_SpeedField();
    return;
  }
  bool bendFinite = std::isfinite(f.bend[0]) && std::isfinite(f.bend[1]);
  for (const std::vector<double>& p : f.partial2)
    for (double q : p) bendFinite = bendFinite && std::isfinite(q);
  if (!bendFinite) f.bent = false;
}

double SSI_CellReach(const SSI_SpeedField& f, const double lo[2], const double hi[2]) {
  if (!f.bounded) return std::numeric_limits<double>::infinity();
  const double du = hi[0] - lo[0], dv = hi[1] - lo[1];
  double speed[2] = {f.speed[0], f.speed[1]}, bend[2] = {f.bend[0], f.bend[1]};
  bool bent = f.bent;
  const int nu = f.count[0], nv = f.count[1], ku = f.order[0], kv = f.order[1];
  if (ku >= 2) {
    const std::vector<double>&tu = f.knots[0], &tv = f.knots[1];
    const bool inside = lo[0] >= tu[size_t(ku - 1)] && hi[0] <= tu[size_t(nu)] &&
                        lo[1] >= tv[size_t(kv - 1)] && hi[1] <= tv[size_t(nv)];
    // Out of the knot range the evaluator clamps (a kink) or wraps: first partials only.
    if (!inside) bent = false;
    else {
      auto most = [](const std::vector<double>& q, int width, int i0, int i1, int j0, int j1) {
        double m = 0.0;
        for (int j = j0; j <= j1; ++j)
          for (int i = i0; i <= i1; ++i) m = std::max(m, q[size_t(j * width + i)]);
        return m;
      };
      int i0, i1, j0, j1;
      // Along u: the partial's columns acting in u, the rows acting in v; along v alike.
      Acting(tu, ku, 1, nu - 1, lo[0], hi[0], i0, i1);
      Acting(tv, kv, 0, nv, lo[1], hi[1], j0, j1);
      speed[0] = most(f.partial[0], nu - 1, i0, i1, j0, j1);
      if (bent) {
        Acting(tu, ku, 2, nu - 2, lo[0], hi[0], i0, i1);
        bend[0] = most(f.partial2[0], nu - 2, i0, i1, j0, j1);
      }
      Acting(tu, ku, 0, nu, lo[0], hi[0], i0, i1);
      Acting(tv, kv, 1, nv - 1, lo[1], hi[1], j0, j1);
      speed[1] = most(f.partial[1], nu, i0, i1, j0, j1);
      if (bent) {
        Acting(tv, kv, 2, nv - 2, lo[1], hi[1], j0, j1);
        bend[1] = most(f.partial2[1], nu, i0, i1, j0, j1);
      }
    }
  }
  double reach = 1.5 * (speed[0] * du + speed[1] * dv);
  if (bent) reach = std::min(reach, 0.375 * (du * du * bend[0] + dv * dv * bend[1]));
  return reach;
}
