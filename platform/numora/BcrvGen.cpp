// Curve generators: lines, exact rational arcs, circles and ellipses, conics, Hermite segments,
// and interpolation through points.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/numora/Bcrv.h"
#include "platform/numora/BcrvCore.h"
#include "platform/numora/SparseSolve.h"

namespace bcrv {

// Exact arc centre + r (cos a X + sin a Y), a in [0, sweep], as rational quadratic pieces of
// at most a quarter turn each, knots on [0, 1].
bool ArcSpline(const double C[3], const double X[3], const double Y[3], double r, double sweep,
               Spline& s) {
  if (!(r > 0.0) || !(sweep > 1e-12) || !std::isfinite(r) || !std::isfinite(sweep)) return false;
  sweep = std::min(sweep, 2.0 * std::numbers::pi);
  const int segs = std::max(1, int(std::ceil(sweep / (std::numbers::pi / 2) - 1e-9)));
  const double d = sweep / segs, w1 = std::cos(d / 2);
  s.p = 2;
  s.P.clear();
  s.U.assign(3, 0.0);
  auto at = [&](double a, double rr) {
    P4 q;
    for (int k = 0; k < 3; ++k)
      q[size_t(k)] = C[k] + rr * (std::cos(a) * X[k] + std::sin(a) * Y[k]);
    q[3] = 1.0;
    return q;
  };
  s.P.push_back(at(0.0, r));
  for (int i = 0; i < segs; ++i) {
    const double a0 = i * d, a1 = (i + 1) * d;
    // Middle point: where the end tangents meet, at distance r / cos(d/2) along the bisector.
    P4 m = at(0.5 * (a0 + a1), r / w1);
    for (int k = 0; k < 3; ++k) m[size_t(k)] *= w1;
    m[3] = w1;
    s.P.push_back(m);
    s.P.push_back(at(a1, r));
    if (i + 1 < segs) s.U.insert(s.U.end(), 2, double(i + 1) / segs);
  }
  s.U.insert(s.U.end(), 3, 1.0);
  return true;
}

bool SolveInterp(int p, const std::vector<double>& U, const std::vector<double>& t,
                 const std::vector<double>& Q, int dim, std::vector<double>& P) {
  const int n = int(t.size());
  if (n < p + 1 || int(U.size()) != n + p + 1 || int(Q.size()) != n * dim) return false;
  std::vector<sparse::Entry> entries;
  entries.reserve(size_t(n) * size_t(p + 1));
  double N[knot::kMaxOrder];
  for (int i = 0; i < n; ++i) {
    const int span = knot::FindSpan(n, p, t[size_t(i)], U.data());
    knot::BasisFuns(span, t[size_t(i)], p, U.data(), N);
    for (int j = 0; j <= p; ++j)
      if (N[j] != 0.0) entries.push_back({i, span - p + j, N[j]});
  }
  return sparse::SolveLU(n, entries, Q.data(), dim, P);
}

}  // namespace bcrv

using bcrv::P4;
using bcrv::Spline;

int BCRV::GenLine(const double s[3], const double e[3]) {
  if (!s || !e) return 0;
  Spline l;
  l.p = 1;
  l.U = {0.0, 0.0, 1.0, 1.0};
  l.P = {{s[0], s[1], s[2], 1.0}, {e[0], e[1], e[2], 1.0}};
  return bcrv::Assign(this, l) ? 1 : 0;
}

int BCRV::GenArc(const double* c, double r, double a0, double a1) {
  if (!c || !std::isfinite(a0) || !std::isfinite(a1)) return 0;
  double sweep = a1 - a0;
  if (sweep > 2 * std::numbers::pi) sweep = 2 * std::numbers::pi;
  // Equal angles mean a full turn (an arc whose end angle wrapped onto its start).
  while (sweep <= 0.0) sweep += 2 * std::numbers::pi;
  const double C[3] = {c[0], c[1], 0.0};
  const double X[3] = {std::cos(a0), std::sin(a0), 0.0}, Y[3] = {-std::sin(a0), std::cos(a0), 0.0};
  Spline s;
  if (!bcrv::ArcSpline(C, X, Y, r, sweep, s)) return 0;
  return bcrv::Assign(this, s) ? 1 : 0;
}

int BCRV::GenCircle(const double* c, double r) {
  if (!c) return 0;
  const double C[3] = {c[0], c[1], 0.0}, X[3] = {1, 0, 0}, Y[3] = {0, 1, 0};
  Spline s;
  if (!bcrv::ArcSpline(C, X, Y, r, 2 * std::numbers::pi, s)) return 0;
  return bcrv::Assign(this, s) ? 1 : 0;
}

int BCRV::GenEll(const double* c, double a, double b, double rot) {
  if (!c || !(a > 0.0) || !(b > 0.0) || !std::isfinite(rot)) return 0;
  const double C[3] = {c[0], c[1], 0.0};
  const double cr = std::cos(rot), sr = std::sin(rot);
  // The ellipse is the affine image of the unit circle: axes scaled by a and b.
  const double X[3] = {a * cr, a * sr, 0.0}, Y[3] = {-b * sr, b * cr, 0.0};
  Spline s;
  if (!bcrv::ArcSpline(C, X, Y, 1.0, 2 * std::numbers::pi, s)) return 0;
  return bcrv::Assign(this, s) ? 1 : 0;
}

int BCRV_GenLine(const double s[3], const double e[3], BCRV*& out) {
  out = nullptr;
  BCRV* c = BCRV_New();
  if (!c) return 0;
  if (!c->GenLine(s, e)) {
    BCRV_Free(c);
    return 0;
  }
  out = c;
  return 1;
}

int BCRV_GenArc(const _arc* arc, BCRV*& out) {
  out = nullptr;
  if (!arc) return 0;
  const _rect_fm3d& f = arc->frame;
  Spline s;
  if (!bcrv::ArcSpline(f.origin, f.xAxis, f.yAxis, arc->radius, arc->sweep, s)) return 0;
  out = bcrv::ToBcrv(s);
  return out ? 1 : 0;
}

BCRV* BCRV_CreConic(const double p0[3], const double p1[3], const double p2[3], double w) {
  if (!p0 || !p1 || !p2 || !(w > 0.0) || !std::isfinite(w)) return nullptr;
  Spline s;
  s.p = 2;
  s.U = {0, 0, 0, 1, 1, 1};
  s.P = {{p0[0], p0[1], p0[2], 1.0}, {w * p1[0], w * p1[1], w * p1[2], w},
         {p2[0], p2[1], p2[2], 1.0}};
  return bcrv::ToBcrv(s);
}

int BCRV_CalFergCntP(const double p1[3], const double d1[3], const double p2[3],
                     const double d2[3], double out[4][4]) {
  if (!p1 || !d1 || !p2 || !d2 || !out) return 0;
  const double chord = std::sqrt((p2[0] - p1[0]) * (p2[0] - p1[0]) +
                                 (p2[1] - p1[1]) * (p2[1] - p1[1]) +
                                 (p2[2] - p1[2]) * (p2[2] - p1[2]));
  const double l1 = std::sqrt(d1[0] * d1[0] + d1[1] * d1[1] + d1[2] * d1[2]);
  const double l2 = std::sqrt(d2[0] * d2[0] + d2[1] * d2[1] + d2[2] * d2[2]);
  if (!(chord > 1e-12) || !(l1 > 1e-12) || !(l2 > 1e-12) || !std::isfinite(chord)) return 0;
  // Bezier form of the Hermite segment with end derivatives of length |chord|.
  for (int k = 0; k < 3; ++k) {
    out[0][k] = p1[k];
    out[1][k] = p1[k] + d1[k] / l1 * chord / 3.0;
    out[2][k] = p2[k] - d2[k] / l2 * chord / 3.0;
    out[3][k] = p2[k];
  }
  for (int i = 0; i < 4; ++i) out[i][3] = 1.0;
  return 1;
}

BCRV* BCRV_CreFergC1(const double p1[3], const double d1[3], const double p2[3],
                     const double d2[3]) {
  double cp[4][4];
  if (!BCRV_CalFergCntP(p1, d1, p2, d2, cp)) return nullptr;
  BCRV* c = BCRV_New(4, 4);
  if (!c) return nullptr;
  std::memcpy(c->ctrlPts, cp, sizeof cp);
  return c;
}

int BCRV_IntpPs(const double (*pts)[3], int count, int order, BCRV*& out) {
  out = nullptr;
  if (!pts || count < 2 || count > knot::kMaxCount || order < 2 || order > knot::kMaxOrder)
    return 0;
  // Consecutive repeats would give equal parameters and a singular system.
  std::vector<double> Q;
  Q.reserve(size_t(count) * 3);
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k)
      if (!std::isfinite(pts[i][k])) return 0;
    if (i > 0) {
      const double* a = &Q[Q.size() - 3];
      const double d = std::fabs(a[0] - pts[i][0]) + std::fabs(a[1] - pts[i][1]) +
                       std::fabs(a[2] - pts[i][2]);
      if (d <= 1e-12 * (1.0 + std::fabs(a[0]) + std::fabs(a[1]) + std::fabs(a[2]))) continue;
    }
    Q.insert(Q.end(), pts[i], pts[i] + 3);
  }
  const int n = int(Q.size() / 3);
  if (n < 2) return 0;
  order = std::min(order, n);
  std::vector<double> t(static_cast<size_t>(n)), U(static_cast<size_t>(n + order)), P;
  if (!KNOT_CalAccumChord(reinterpret_cast<const double(*)[3]>(Q.data()), n, t.data()) ||
      !KNOT_CalByAC(order, n, t.data(), U.data()) ||
      !bcrv::SolveInterp(order - 1, U, t, Q, 3, P))
    return 0;
  Spline s;
  s.p = order - 1;
  s.U = U;
  s.P.resize(size_t(n));
  for (int i = 0; i < n; ++i)
    s.P[size_t(i)] = {P[size_t(3 * i)], P[size_t(3 * i + 1)], P[size_t(3 * i + 2)], 1.0};
  out = bcrv::ToBcrv(s);
  return out ? 1 : 0;
}
