// Bounds on a surface's partial derivatives over its whole parameter plane, from which the
// sampler bounds the surface over a cell it has not looked at yet.
#include <algorithm>
#include <cmath>

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
  return true;
}

// Indices k in [0, n) of the B-splines of order `order` over knots t whose support
// [t[k + shift], t[k + order]] meets [lo, hi] (shift 1 for a partial's control points).
void Acting(const std::vector<double>& t, int order, int shift, int n, double lo, double hi,
            int& first, int& last) {
  const int below = int(std::upper_bound(t.begin(), t.end(), hi) - t.begin());  // t[k] <= hi
  const int from = int(std::lower_bound(t.begin(), t.end(), lo) - t.begin());   // t[k] >= lo
  last = std::min(n - 1, below - 1 - shift);
  first = std::max(0, from - order);
}

// Speed of a curve along its parameter: a line's direction, a circle's radius over its frame.
bool CurveSpeed(const ENT_Record* c, double& speed) {
  if (!c) return false;
  if (c->type == ENT_LINE) {
    speed = kv::Len(static_cast<const CRV_Line*>(c)->direction);
    return true;
  }
  if (c->type == ENT_CIRCLE) {
    const auto* k = static_cast<const CRV_Circle*>(c);
    speed = std::fabs(k->radius) * FrameSpan(k->frame.xAxis, k->frame.yAxis);
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
      ok = CurveSpeed(e->generator, f.speed[0]);
      f.speed[1] = kv::Len(e->direction);
      break;
    }
    case ENT_SPHERE: {
      // Su = r cos v E, Sv = r (-sin v H + cos v Z), with H and E combinations of X and Y.
      const auto* k = static_cast<const SRF_Sphere*>(s);
      const _rect_fm3d& fr = k->frame;
      const double r = std::fabs(k->radius), xy = FrameSpan(fr.xAxis, fr.yAxis);
      f.speed[0] = r * xy;
      f.speed[1] = r * std::sqrt(xy * xy + kv::Dot(fr.zAxis, fr.zAxis));
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
  if (!f.bounded || !finite) f = SSI_SpeedField();
}

bool SSI_CellSpeed(const SSI_SpeedField& f, const double lo[2], const double hi[2],
                   double speed[2]) {
  if (!f.bounded) return false;
  speed[0] = f.speed[0];
  speed[1] = f.speed[1];
  if (f.order[0] < 2) return true;
  const int nu = f.count[0], nv = f.count[1], ku = f.order[0], kv = f.order[1];
  const std::vector<double>&tu = f.knots[0], &tv = f.knots[1];
  if (!(lo[0] >= tu[size_t(ku - 1)] && hi[0] <= tu[size_t(nu)] && lo[1] >= tv[size_t(kv - 1)] &&
        hi[1] <= tv[size_t(nv)]))
    return true;
  int i0, i1, j0, j1;
  // Su: partial columns acting in u, rows acting in v.
  Acting(tu, ku, 1, nu - 1, lo[0], hi[0], i0, i1);
  Acting(tv, kv, 0, nv, lo[1], hi[1], j0, j1);
  double su = 0.0;
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) su = std::max(su, f.partial[0][size_t(j * (nu - 1) + i)]);
  // Sv: columns acting in u, partial rows acting in v.
  Acting(tu, ku, 0, nu, lo[0], hi[0], i0, i1);
  Acting(tv, kv, 1, nv - 1, lo[1], hi[1], j0, j1);
  double sv = 0.0;
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) sv = std::max(sv, f.partial[1][size_t(j * nu + i)]);
  speed[0] = su;
  speed[1] = sv;
  return true;
}
