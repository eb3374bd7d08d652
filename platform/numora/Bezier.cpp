#include "platform/numora/Bezier.h"

#include <algorithm>
#include <cmath>

namespace {

double Len(double x, double y) { return std::hypot(x, y); }

double Speed(const double seg[4][2], double t) {
  double d[2];
  BEZ_Ev1Der(seg, t, d);
  return Len(d[0], d[1]);
}

// 8-point Gauss-Legendre on [a, b] of the speed.
double GaussSpeed(const double seg[4][2], double a, double b) {
  static const double x[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                              0.9602898564975363};
  static const double w[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                              0.1012285362903763};
  const double h = 0.5 * (b - a), m = 0.5 * (a + b);
  double s = 0.0;
  for (int i = 0; i < 4; ++i) s += w[i] * (Speed(seg, m - h * x[i]) + Speed(seg, m + h * x[i]));
  return s * h;
}

// Adaptive: halve until the two halves agree with the whole; cusps converge slowly, hence depth.
double AdaptiveLength(const double seg[4][2], double a, double b, double whole, int depth) {
  const double m = 0.5 * (a + b);
  const double l = GaussSpeed(seg, a, m), r = GaussSpeed(seg, m, b);
  if (depth >= 18 || std::fabs(l + r - whole) <= 1e-12 * std::max(1.0, whole)) return l + r;
  return AdaptiveLength(seg, a, m, l, depth + 1) + AdaptiveLength(seg, m, b, r, depth + 1);
}

bool Finite(const double seg[4][2]) {
  for (int i = 0; i < 4; ++i)
    if (!std::isfinite(seg[i][0]) || !std::isfinite(seg[i][1])) return false;
  return true;
}

}  // namespace

void BEZ_EvPos(const double seg[4][2], double t, double out[2]) {
  const double s = 1.0 - t;
  const double b0 = s * s * s, b1 = 3.0 * s * s * t, b2 = 3.0 * s * t * t, b3 = t * t * t;
  for (int k = 0; k < 2; ++k) out[k] = b0 * seg[0][k] + b1 * seg[1][k] + b2 * seg[2][k] + b3 * seg[3][k];
}

void BEZ_Ev1Der(const double seg[4][2], double t, double out[2]) {
  const double s = 1.0 - t;
  for (int k = 0; k < 2; ++k)
    out[k] = 3.0 * (s * s * (seg[1][k] - seg[0][k]) + 2.0 * s * t * (seg[2][k] - seg[1][k]) +
                    t * t * (seg[3][k] - seg[2][k]));
}

void BEZ_Ev2Der(const double seg[4][2], double t, double out[2]) {
  const double s = 1.0 - t;
  for (int k = 0; k < 2; ++k)
    out[k] = 6.0 * (s * (seg[2][k] - 2.0 * seg[1][k] + seg[0][k]) +
                    t * (seg[3][k] - 2.0 * seg[2][k] + seg[1][k]));
}

void BEZ_Split(const double seg[4][2], double t, double left[4][2], double right[4][2]) {
  double p[4][2];
  std::copy(&seg[0][0], &seg[0][0] + 8, &p[0][0]);
  double l[4][2], r[4][2];
  for (int k = 0; k < 2; ++k) {
    const double a = p[0][k] + t * (p[1][k] - p[0][k]);
    const double b = p[1][k] + t * (p[2][k] - p[1][k]);
    const double c = p[2][k] + t * (p[3][k] - p[2][k]);
    const double ab = a + t * (b - a), bc = b + t * (c - b);
    const double m = ab + t * (bc - ab);
    l[0][k] = p[0][k]; l[1][k] = a; l[2][k] = ab; l[3][k] = m;
    r[0][k] = m; r[1][k] = bc; r[2][k] = c; r[3][k] = p[3][k];
  }
  std::copy(&l[0][0], &l[0][0] + 8, &left[0][0]);
  std::copy(&r[0][0], &r[0][0] + 8, &right[0][0]);
}

int BEZ_PrjPnt(const double seg[4][2], const double p[2], double foot[2], double& t, double& dist) {
  if (!Finite(seg) || !std::isfinite(p[0]) || !std::isfinite(p[1])) return 0;
  // g(t) = (B(t) - p) . B'(t) vanishes at interior extrema of the distance. It is a quintic, so
  // scanning 64 cells and bisecting sign changes from - to + finds every interior minimum that
  // is separated from its neighbouring maximum by more than a cell.
  auto g = [&](double u) {
    double b[2], d[2];
    BEZ_EvPos(seg, u, b);
    BEZ_Ev1Der(seg, u, d);
    return (b[0] - p[0]) * d[0] + (b[1] - p[1]) * d[1];
  };
  auto dist2 = [&](double u) {
    double b[2];
    BEZ_EvPos(seg, u, b);
    return (b[0] - p[0]) * (b[0] - p[0]) + (b[1] - p[1]) * (b[1] - p[1]);
  };
  double bestT = 0.0, best = dist2(0.0);
  auto consider = [&](double u) {
    const double d = dist2(u);
    if (d < best) { best = d; bestT = u; }
  };
  consider(1.0);
  const int cells = 64;
  double u0 = 0.0, g0 = g(0.0);
  for (int i = 1; i <= cells; ++i) {
    const double u1 = double(i) / cells, g1 = g(u1);
    consider(u1);
    if (g0 < 0.0 && g1 >= 0.0) {
      double lo = u0, hi = u1;
      for (int it = 0; it < 60 && hi - lo > 1e-15; ++it) {
        const double mid = 0.5 * (lo + hi);
        (g(mid) < 0.0 ? lo : hi) = mid;
      }
      consider(0.5 * (lo + hi));
    }
    u0 = u1;
    g0 = g1;
  }
  t = bestT;
  BEZ_EvPos(seg, t, foot);
  dist = std::sqrt(best);
  return 1;
}

int BEZ_PrjPnt(const double seg[4][2], const double p[2], double foot[2], double& t) {
  double d;
  return BEZ_PrjPnt(seg, p, foot, t, d);
}

double BEZ_ArcLengthEx(const double seg[4][2], double t1, double t2) {
  if (t2 < t1) std::swap(t1, t2);
  if (!(t2 > t1)) return 0.0;
  return AdaptiveLength(seg, t1, t2, GaussSpeed(seg, t1, t2), 0);
}

double BEZ_ArcLength(const double seg[4][2]) { return BEZ_ArcLengthEx(seg, 0.0, 1.0); }

double BEZ_EvParam(const double seg[4][2], double len) {
  const double total = BEZ_ArcLength(seg);
  if (!(len > 0.0) || !(total > 0.0)) return 0.0;
  if (len >= total) return 1.0;
  // Newton on s(t) = len, kept inside a bisection bracket (speed may vanish at a cusp).
  double lo = 0.0, hi = 1.0, t = len / total;
  for (int it = 0; it < 100; ++it) {
    const double f = BEZ_ArcLengthEx(seg, 0.0, t) - len;
    if (std::fabs(f) <= 1e-12 * total) break;
    (f < 0.0 ? lo : hi) = t;
    const double v = Speed(seg, t);
    double next = v > 0.0 ? t - f / v : 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    if (hi - lo < 1e-15) break;
    t = next;
  }
  return t;
}

double BEZ_DistTol(const double seg[4][2]) {
  const double cx = seg[3][0] - seg[0][0], cy = seg[3][1] - seg[0][1];
  const double c = Len(cx, cy);
  double worst = 0.0;
  for (int i = 1; i <= 2; ++i) {
    const double dx = seg[i][0] - seg[0][0], dy = seg[i][1] - seg[0][1];
    const double d = c > 1e-300 ? std::fabs(dx * cy - dy * cx) / c : Len(dx, dy);
    worst = std::max(worst, d);
  }
  return worst;
}

void BEZ_GetBox(const double seg[4][2], _tagBox2D* box) {
  for (int k = 0; k < 2; ++k) {
    box->min[k] = std::min(seg[0][k], seg[3][k]);
    box->max[k] = std::max(seg[0][k], seg[3][k]);
    // Interior extrema where the derivative a t^2 + b t + c (over 3) vanishes.
    const double a = -seg[0][k] + 3.0 * seg[1][k] - 3.0 * seg[2][k] + seg[3][k];
    const double b = 2.0 * (seg[0][k] - 2.0 * seg[1][k] + seg[2][k]);
    const double c = seg[1][k] - seg[0][k];
    double roots[2];
    int n = 0;
    if (std::fabs(a) < 1e-14 * (std::fabs(b) + std::fabs(c) + 1e-300)) {
      if (b != 0.0) roots[n++] = -c / b;
    } else {
      const double disc = b * b - 4.0 * a * c;
      if (disc >= 0.0) {
        const double s = std::sqrt(disc);
        const double q = -0.5 * (b + (b < 0.0 ? -s : s));
        roots[n++] = q / a;
        if (q != 0.0) roots[n++] = c / q;
      }
    }
    for (int i = 0; i < n; ++i) {
      if (!(roots[i] > 0.0 && roots[i] < 1.0)) continue;
      double pt[2];
      BEZ_EvPos(seg, roots[i], pt);
      box->min[k] = std::min(box->min[k], pt[k]);
      box->max[k] = std::max(box->max[k], pt[k]);
    }
  }
}
