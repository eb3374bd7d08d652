#include "platform/numora/Inter.h"

#include "platform/numora/Bezier.h"
#include "platform/numora/Ellipse.h"
#include "platform/numora/Roots.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <numbers>

using namespace roots;

namespace {
double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool Finite2(const double p[2]) { return std::isfinite(p[0]) && std::isfinite(p[1]); }

bool FiniteSeg(const double seg[4][2]) {
  for (int i = 0; i < 4; ++i)
    if (!Finite2(seg[i])) return false;
  return true;
}

bool ValidEllipse(const double c[2], double a, double b, double rot) {
  return Finite2(c) && a > 0.0 && b > 0.0 && std::isfinite(a) && std::isfinite(b) &&
         std::isfinite(rot);
}

double Wrap01(double u) {
  u -= std::floor(u);
  return u >= 1.0 ? 0.0 : u;
}

// Local coordinates of p in an ellipse's frame.
void ToLocal(const double c[2], double cr, double sr, const double p[2], double out[2]) {
  const double dx = p[0] - c[0], dy = p[1] - c[1];
  out[0] = cr * dx + sr * dy;
  out[1] = -sr * dx + cr * dy;
}

double EllipseDist(const double c[2], double a, double b, double rot, const double p[2]) {
  double foot[2], u, d;
  return E2D_GetNearestPt(c, a, b, rot, p, foot, u, d) ? d : 1e300;
}

// Ellipse 1 walked by its parameter against ellipse 2 as an implicit curve; returns the count.
int ConicConic(const double c1[2], double a1, double b1, double rot1, const double c2[2], double a2,
               double b2, double rot2, double tol, double pts[4][2]) {
  const double cr = std::cos(rot2), sr = std::sin(rot2);
  auto pointAt = [&](double th, double p[2]) { E2D_EvPos(c1, a1, b1, rot1, th / (2 * std::numbers::pi), p); };
  // First-order signed distance to ellipse 2: its implicit value over the gradient length.
  auto f = [&](double th) {
    double p[2], q[2];
    pointAt(th, p);
    ToLocal(c2, cr, sr, p, q);
    const double gx = q[0] / (a2 * a2), gy = q[1] / (b2 * b2);
    const double g = q[0] * gx + q[1] * gy - 1.0;
    const double grad = 2.0 * std::hypot(gx, gy);
    return grad > 0.0 ? g / grad : -std::min(a2, b2);
  };
  auto dist = [&](double th) {
    double p[2];
    pointAt(th, p);
    return EllipseDist(c2, a2, b2, rot2, p);
  };
  bool coincident = false;
  const std::vector<double> roots = PeriodicRoots(f, dist, tol, coincident);
  int n = 0;
  for (double th : roots) {
    if (n == 4) break;
    double p[2];
    pointAt(th, p);
    // A touching point found from both sides of the start angle appears twice.
    if (n > 0 && std::hypot(p[0] - pts[n - 1][0], p[1] - pts[n - 1][1]) <= tol) continue;
    if (n > 1 && std::hypot(p[0] - pts[0][0], p[1] - pts[0][1]) <= tol) continue;
    pts[n][0] = p[0];
    pts[n][1] = p[1];
    ++n;
  }
  return n;
}

_tagInterPnt MakeRec(const double p[2], double t1, double t2) {
  _tagInterPnt r;
  r.x = p[0];
  r.y = p[1];
  r.seg1 = r.seg2 = 1;
  r.sub1 = r.sub2 = 1;
  r.t1 = t1;
  r.t2 = t2;
  return r;
}

// --- Bezier against Bezier -----------------------------------------------------------------

struct Piece {
  double p[4][2];
  double t0, t1;
};

void CtrlBox(const double p[4][2], double box[4]) {
  box[0] = box[2] = p[0][0];
  box[1] = box[3] = p[0][1];
  for (int i = 1; i < 4; ++i) {
    box[0] = std::min(box[0], p[i][0]);
    box[2] = std::max(box[2], p[i][0]);
    box[1] = std::min(box[1], p[i][1]);
    box[3] = std::max(box[3], p[i][1]);
  }
}

bool BoxesMeet(const double a[4], const double b[4], double tol) {
  return a[0] <= b[2] + tol && b[0] <= a[2] + tol && a[1] <= b[3] + tol && b[1] <= a[3] + tol;
}

// Closest points of segments a0→a1 and b0→b1: fractions u, v in [0, 1]; returns the distance.
double SegSegClosest(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                     double& u, double& v) {
  const double dx = a1[0] - a0[0], dy = a1[1] - a0[1];
  const double ex = b1[0] - b0[0], ey = b1[1] - b0[1];
  const double rx = a0[0] - b0[0], ry = a0[1] - b0[1];
  const double aa = dx * dx + dy * dy, ee = ex * ex + ey * ey, de = dx * ex + dy * ey;
  const double dr = dx * rx + dy * ry, er = ex * rx + ey * ry;
  const double den = aa * ee - de * de;
  u = den > 1e-300 ? std::clamp((de * er - dr * ee) / den, 0.0, 1.0) : 0.0;
  v = ee > 0.0 ? std::clamp((de * u + er) / ee, 0.0, 1.0) : 0.0;
  u = aa > 0.0 ? std::clamp((de * v - dr) / aa, 0.0, 1.0) : 0.0;
  const double px = a0[0] + u * dx - b0[0] - v * ex, py = a0[1] + u * dy - b0[1] - v * ey;
  return std::hypot(px, py);
}

// Damped Gauss-Newton on B1(s) - B2(t) = 0 within [0, 1]²: converges to a crossing, or to the
// closest approach where the curves only touch. Returns the remaining distance.
double RefinePair(const double s1[4][2], const double s2[4][2], double& s, double& t) {
  double P[2], Q[2];
  BEZ_EvPos(s1, s, P);
  BEZ_EvPos(s2, t, Q);
  double fx = P[0] - Q[0], fy = P[1] - Q[1];
  double err = fx * fx + fy * fy;
  double lambda = 1e-9;
  for (int it = 0; it < 60 && err > 0.0; ++it) {
    double dP[2], dQ[2];
    BEZ_Ev1Der(s1, s, dP);
    BEZ_Ev1Der(s2, t, dQ);
    // J = [dP, -dQ]; normal equations (JᵀJ + λ·diag) δ = -Jᵀ F.
    const double a = dP[0] * dP[0] + dP[1] * dP[1], c = dQ[0] * dQ[0] + dQ[1] * dQ[1];
    const double b = -(dP[0] * dQ[0] + dP[1] * dQ[1]);
    const double g0 = dP[0] * fx + dP[1] * fy, g1 = -(dQ[0] * fx + dQ[1] * fy);
    bool improved = false;
    for (int tries = 0; tries < 30 && !improved; ++tries) {
      const double A = a * (1.0 + lambda) + 1e-300, C = c * (1.0 + lambda) + 1e-300;
      const double det = A * C - b * b;
      if (!(det > 0.0)) {
        lambda = lambda * 10.0 + 1e-12;
        continue;
      }
      const double ns = std::clamp(s - (C * g0 - b * g1) / det, 0.0, 1.0);
      const double nt = std::clamp(t - (A * g1 - b * g0) / det, 0.0, 1.0);
      BEZ_EvPos(s1, ns, P);
      BEZ_EvPos(s2, nt, Q);
      const double nfx = P[0] - Q[0], nfy = P[1] - Q[1];
      const double nerr = nfx * nfx + nfy * nfy;
      if (nerr < err) {
        improved = true;
        const bool settled = std::fabs(ns - s) < 1e-15 && std::fabs(nt - t) < 1e-15;
        s = ns;
        t = nt;
        fx = nfx;
        fy = nfy;
        err = nerr;
        lambda = std::max(lambda * 0.1, 1e-15);
        if (settled) return std::sqrt(err);
      } else {
        lambda *= 10.0;
      }
    }
    if (!improved) break;
  }
  return std::sqrt(err);
}

struct Hit {
  double s, t, x, y;
};

}  // namespace

// --- Lines and circles ---------------------------------------------------------------------

namespace {

// Lines through a0 along da and b0 along db; directions shorter than minLen are degenerate.
int LineLine(const double a0[2], const double da[2], const double b0[2], const double db[2],
             double minLen, double tol, double angTol, double out[2]) {
  if (!Finite2(a0) || !Finite2(da) || !Finite2(b0) || !Finite2(db)) return INTER_NONE;
  const double la = std::hypot(da[0], da[1]), lb = std::hypot(db[0], db[1]);
  if (!(la > 0.0) || !(lb > 0.0) || la < minLen || lb < minLen) return INTER_NONE;
  const double cr = Cross(da[0], da[1], db[0], db[1]);
  if (std::fabs(cr) <= angTol * la * lb) {
    // Parallel: one carrier line when b0 and b0 + db lie on a's line.
    const double h0 = Cross(da[0], da[1], b0[0] - a0[0], b0[1] - a0[1]) / la;
    const double h1 = h0 + Cross(da[0], da[1], db[0], db[1]) / la;
    return std::fabs(h0) <= tol && std::fabs(h1) <= tol ? INTER_OVERLAP : INTER_NONE;
  }
  const double s = Cross(b0[0] - a0[0], b0[1] - a0[1], db[0], db[1]) / cr;
  out[0] = a0[0] + s * da[0];
  out[1] = a0[1] + s * da[1];
  return INTER_POINT;
}

}  // namespace

int Inter_LineLineEx(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                     double tol, double angTol, double out[2]) {
  const double da[2] = {a1[0] - a0[0], a1[1] - a0[1]};
  const double db[2] = {b1[0] - b0[0], b1[1] - b0[1]};
  return LineLine(a0, da, b0, db, tol, tol, angTol, out);
}

int Inter_LineLine(const double p1[2], const double d1[2], const double p2[2], const double d2[2],
                   double tol, double angTol, double out[2]) {
  // A direction's length carries no meaning here; only a zero one is degenerate.
  return LineLine(p1, d1, p2, d2, 0.0, tol, angTol, out);
}

int Inter_LineCirEx(const double p0[2], const double p1[2], const double c[2], double r, double tol,
                    int& n, double pts[2][2], double t[2]) {
  n = 0;
  if (!Finite2(p0) || !Finite2(p1) || !Finite2(c) || !(r > 0.0) || !std::isfinite(r)) return 0;
  const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
  const double len2 = dx * dx + dy * dy;
  if (!(len2 > 0.0)) return 0;
  const double len = std::sqrt(len2);
  const double ux = dx / len, uy = dy / len;
  // Foot of the centre on the line, at distance s along it from p0.
  const double s = (c[0] - p0[0]) * ux + (c[1] - p0[1]) * uy;
  const double fx = p0[0] + s * ux, fy = p0[1] + s * uy;
  const double d = std::hypot(fx - c[0], fy - c[1]);
  if (d > r + tol) return 0;
  double along[2];
  if (std::fabs(d - r) <= tol) {
    along[0] = s;
    n = 1;
  } else {
    const double h = std::sqrt(std::max(0.0, r * r - d * d));
    along[0] = s - h;
    along[1] = s + h;
    n = 2;
  }
  for (int i = 0; i < n; ++i) {
    pts[i][0] = p0[0] + along[i] * ux;
    pts[i][1] = p0[1] + along[i] * uy;
    if (t != nullptr) t[i] = along[i] / len;
  }
  return 1;
}

int Inter_CirCir(const double c1[2], double r1, const double c2[2], double r2, double tol, int& n,
                 double pts[2][2]) {
  n = 0;
  if (!Finite2(c1) || !Finite2(c2) || !(r1 > 0.0) || !(r2 > 0.0) || !std::isfinite(r1) ||
      !std::isfinite(r2))
    return 0;
  const double dx = c2[0] - c1[0], dy = c2[1] - c1[1];
  const double d = std::hypot(dx, dy);
  if (d <= tol) return 0;  // concentric: no point or infinitely many
  const double ux = dx / d, uy = dy / d;
  if (std::fabs(d - (r1 + r2)) <= tol || std::fabs(d - std::fabs(r1 - r2)) <= tol) {
    // Touching, outside each other or one inside the other: on the centre line.
    const double along = (std::fabs(d - (r1 + r2)) <= tol || r1 > r2) ? r1 : -r1;
    pts[0][0] = c1[0] + along * ux;
    pts[0][1] = c1[1] + along * uy;
    n = 1;
    return 1;
  }
  if (d > r1 + r2 || d < std::fabs(r1 - r2)) return 0;
  const double a = (d * d + r1 * r1 - r2 * r2) / (2.0 * d);
  const double h = std::sqrt(std::max(0.0, r1 * r1 - a * a));
  const double mx = c1[0] + a * ux, my = c1[1] + a * uy;
  pts[0][0] = mx - h * uy;
  pts[0][1] = my + h * ux;
  pts[1][0] = mx + h * uy;
  pts[1][1] = my - h * ux;
  n = 2;
  return 1;
}

// --- Ellipses ------------------------------------------------------------------------------

int Inter_LineEllEx(const double p0[2], const double p1[2], const double c[2], double a, double b,
                    double rot, double tol, int& n, double pts[2][2], double t[2]) {
  n = 0;
  if (!Finite2(p0) || !Finite2(p1) || !ValidEllipse(c, a, b, rot)) return 0;
  const double cr = std::cos(rot), sr = std::sin(rot);
  double q0[2], q1[2];
  ToLocal(c, cr, sr, p0, q0);
  ToLocal(c, cr, sr, p1, q1);
  const double dx = q1[0] - q0[0], dy = q1[1] - q0[1];
  if (!(dx * dx + dy * dy > 0.0)) return 0;
  // (x/a)² + (y/b)² = 1 along q0 + s·d: A s² + B s + C = 0, s the parameter on p0→p1.
  const double A = dx * dx / (a * a) + dy * dy / (b * b);
  const double B = 2.0 * (q0[0] * dx / (a * a) + q0[1] * dy / (b * b));
  const double C = q0[0] * q0[0] / (a * a) + q0[1] * q0[1] / (b * b) - 1.0;
  // Where the line comes nearest to the ellipse's shape: the minimum of the implicit value.
  const double sMid = -B / (2.0 * A);
  const double mid[2] = {p0[0] + sMid * (p1[0] - p0[0]), p0[1] + sMid * (p1[1] - p0[1])};
  double params[2];
  if (EllipseDist(c, a, b, rot, mid) <= tol) {
    params[0] = sMid;
    n = 1;
  } else {
    const double disc = B * B - 4.0 * A * C;
    if (disc <= 0.0) return 0;
    const double q = -0.5 * (B + std::copysign(std::sqrt(disc), B));
    const double r1 = q / A, r2 = q != 0.0 ? C / q : -r1;
    params[0] = std::min(r1, r2);
    params[1] = std::max(r1, r2);
    n = 2;
  }
  for (int i = 0; i < n; ++i) {
    pts[i][0] = p0[0] + params[i] * (p1[0] - p0[0]);
    pts[i][1] = p0[1] + params[i] * (p1[1] - p0[1]);
    if (t != nullptr) t[i] = params[i];
  }
  return 1;
}

int Inter_CirEll(const double c[2], double r, const double ec[2], double a, double b, double rot,
                 double tol, int& n, double pts[4][2]) {
  n = 0;
  if (!Finite2(c) || !(r > 0.0) || !std::isfinite(r) || !ValidEllipse(ec, a, b, rot)) return 0;
  n = ConicConic(ec, a, b, rot, c, r, r, 0.0, tol, pts);
  return n > 0 ? 1 : 0;
}

int Inter_EllEll(const double c1[2], double a1, double b1, double rot1, const double c2[2],
                 double a2, double b2, double rot2, double tol, double pts[4][2]) {
  if (!ValidEllipse(c1, a1, b1, rot1) || !ValidEllipse(c2, a2, b2, rot2)) return 0;
  return ConicConic(c1, a1, b1, rot1, c2, a2, b2, rot2, tol, pts);
}

// --- Bezier segments -----------------------------------------------------------------------

int Inter_LineBez(const double p0[2], const double p1[2], const double seg[4][2], int& n,
                  _tagInterPnt recs[], double tol) {
  n = 0;
  if (!Finite2(p0) || !Finite2(p1) || !FiniteSeg(seg)) return 0;
  const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
  const double len2 = dx * dx + dy * dy;
  if (!(len2 > 0.0)) return 0;
  const double len = std::sqrt(len2);
  // Signed distances of the control points from the line: the Bernstein coefficients of the
  // curve's signed distance.
  double h[4];
  bool onLine = true;
  for (int i = 0; i < 4; ++i) {
    h[i] = Cross(dx, dy, seg[i][0] - p0[0], seg[i][1] - p0[1]) / len;
    onLine = onLine && std::fabs(h[i]) <= tol;
  }
  const Poly p = CubicFromBernstein(h[0], h[1], h[2], h[3]);
  const std::vector<double> roots =
      onLine ? std::vector<double>{0.0, 1.0}
             : CurveRoots(p, [&](double t) { return std::fabs(p(t)); }, tol);
  for (double t : roots) {
    if (n == kInterLineBezMax) break;
    double pt[2];
    BEZ_EvPos(seg, t, pt);
    const double tl = ((pt[0] - p0[0]) * dx + (pt[1] - p0[1]) * dy) / len2;
    recs[n++] = MakeRec(pt, tl, t);
  }
  return n > 0 ? 1 : 0;
}

int Inter_CirBez(const double c[2], double r, const double seg[4][2], _tagInterPnt recs[],
                 double tol) {
  if (!Finite2(c) || !(r > 0.0) || !std::isfinite(r) || !FiniteSeg(seg)) return 0;
  const Poly x = CubicFromBernstein(seg[0][0] - c[0], seg[1][0] - c[0], seg[2][0] - c[0], seg[3][0] - c[0]);
  const Poly y = CubicFromBernstein(seg[0][1] - c[1], seg[1][1] - c[1], seg[2][1] - c[1], seg[3][1] - c[1]);
  Poly p = Add(Mul(x, x), Mul(y, y));
  p.c[0] -= r * r;
  auto dist = [&](double t) { return std::fabs(std::hypot(x(t), y(t)) - r); };
  int n = 0;
  for (double t : CurveRoots(p, dist, tol)) {
    if (n == kInterCirBezMax) break;
    double pt[2];
    BEZ_EvPos(seg, t, pt);
    recs[n++] = MakeRec(pt, Wrap01(std::atan2(pt[1] - c[1], pt[0] - c[0]) / (2 * std::numbers::pi)), t);
  }
  return n;
}

int Inter_EllBezEx(const double c[2], double a, double b, double rot, const double seg[4][2],
                   _tagInterPnt recs[], double tol) {
  if (!ValidEllipse(c, a, b, rot) || !FiniteSeg(seg)) return 0;
  const double cr = std::cos(rot), sr = std::sin(rot);
  double q[4][2];
  for (int i = 0; i < 4; ++i) ToLocal(c, cr, sr, seg[i], q[i]);
  const Poly x = CubicFromBernstein(q[0][0] / a, q[1][0] / a, q[2][0] / a, q[3][0] / a);
  const Poly y = CubicFromBernstein(q[0][1] / b, q[1][1] / b, q[2][1] / b, q[3][1] / b);
  Poly p = Add(Mul(x, x), Mul(y, y));
  p.c[0] -= 1.0;
  auto dist = [&](double t) {
    double pt[2];
    BEZ_EvPos(seg, t, pt);
    return EllipseDist(c, a, b, rot, pt);
  };
  int n = 0;
  for (double t : CurveRoots(p, dist, tol)) {
    if (n == kInterEllBezMax) break;
    double pt[2];
    BEZ_EvPos(seg, t, pt);
    recs[n++] = MakeRec(pt, E2D_GetParamEx(c, a, b, rot, pt), t);
  }
  return n;
}

int Inter_EllBez(const double c[2], double a, double b, double rot, const double seg[4][2],
                 _tagInterPnt& rec, double tol) {
  _tagInterPnt all[kInterEllBezMax];
  if (Inter_EllBezEx(c, a, b, rot, seg, all, tol) == 0) return 0;
  rec = all[0];
  return 1;
}

int Inter_BezBez(const double seg1[4][2], const double seg2[4][2], _tagInterPnt recs[], double tol) {
  if (!FiniteSeg(seg1) || !FiniteSeg(seg2)) return 0;
  tol = std::max(tol, 0.0);
  double box1[4], box2[4];
  CtrlBox(seg1, box1);
  CtrlBox(seg2, box2);
  if (!BoxesMeet(box1, box2, tol)) return 0;
  const double scale = std::max({box1[2] - box1[0], box1[3] - box1[1], box2[2] - box2[0],
                                 box2[3] - box2[1], 1e-300});
  // Pieces flatter than this are taken as their chords; the refinement restores precision.
  const double flat = std::max(tol, 1e-3 * scale);

  // Subdivision: pairs of pieces whose control boxes meet, down to flat pairs whose chords come
  // close enough for the curves to meet. Each such pair seeds a refinement.
  struct Pair {
    Piece a, b;
    int depth;
  };
  std::vector<Pair> stack;
  Pair first;
  std::copy(&seg1[0][0], &seg1[0][0] + 8, &first.a.p[0][0]);
  std::copy(&seg2[0][0], &seg2[0][0] + 8, &first.b.p[0][0]);
  first.a.t0 = first.b.t0 = 0.0;
  first.a.t1 = first.b.t1 = 1.0;
  first.depth = 0;
  stack.push_back(first);
  std::vector<Hit> hits;
  int budget = 20000;  // shared stretches multiply the pairs; running out counts as sharing
  while (!stack.empty() && budget-- > 0) {
    const Pair pr = stack.back();
    stack.pop_back();
    double ba[4], bb[4];
    CtrlBox(pr.a.p, ba);
    CtrlBox(pr.b.p, bb);
    if (!BoxesMeet(ba, bb, tol)) continue;
    const double fa = BEZ_DistTol(pr.a.p), fb = BEZ_DistTol(pr.b.p);
    const bool aFlat = fa <= flat, bFlat = fb <= flat;
    if ((aFlat && bFlat) || pr.depth >= 48) {
      double u, v;
      const double gap = SegSegClosest(pr.a.p[0], pr.a.p[3], pr.b.p[0], pr.b.p[3], u, v);
      if (gap > fa + fb + tol) continue;
      double s = pr.a.t0 + u * (pr.a.t1 - pr.a.t0), t = pr.b.t0 + v * (pr.b.t1 - pr.b.t0);
      if (RefinePair(seg1, seg2, s, t) > tol) continue;
      double P[2];
      BEZ_EvPos(seg1, s, P);
      hits.push_back({s, t, P[0], P[1]});
      continue;
    }
    auto split = [](const Piece& in, Piece& l, Piece& r) {
      BEZ_Split(in.p, 0.5, l.p, r.p);
      const double m = 0.5 * (in.t0 + in.t1);
      l.t0 = in.t0;
      l.t1 = m;
      r.t0 = m;
      r.t1 = in.t1;
    };
    Piece al, ar, bl, br;
    if (!aFlat) split(pr.a, al, ar);
    if (!bFlat) split(pr.b, bl, br);
    if (!aFlat && !bFlat) {
      stack.push_back({al, bl, pr.depth + 1});
      stack.push_back({al, br, pr.depth + 1});
      stack.push_back({ar, bl, pr.depth + 1});
      stack.push_back({ar, br, pr.depth + 1});
    } else if (!aFlat) {
      stack.push_back({al, pr.b, pr.depth + 1});
      stack.push_back({ar, pr.b, pr.depth + 1});
    } else {
      stack.push_back({pr.a, bl, pr.depth + 1});
      stack.push_back({pr.a, br, pr.depth + 1});
    }
  }

  // Seeds converging to one contact leave near-copies: keep one per tol-neighbourhood.
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.s < b.s; });
  std::vector<Hit> kept;
  for (const Hit& h : hits) {
    const bool dup = std::any_of(kept.begin(), kept.end(), [&](const Hit& k) {
      return std::hypot(k.x - h.x, k.y - h.y) <= std::max(tol, 1e-12 * scale);
    });
    if (!dup) kept.push_back(h);
  }

  // More contacts than two cubics can have, or contacts joined by a stretch where the curves
  // stay within tol: they share that stretch.
  bool shared = !stack.empty() || static_cast<int>(kept.size()) > kInterBezBezMax;
  for (size_t i = 0; !shared && i + 1 < kept.size(); ++i) {
    // On a shared stretch one segment is an affine reparameterisation of the other, so the
    // parameter midpoints of two contacts meet as well.
    double m1[2], m2[2];
    BEZ_EvPos(seg1, 0.5 * (kept[i].s + kept[i + 1].s), m1);
    BEZ_EvPos(seg2, 0.5 * (kept[i].t + kept[i + 1].t), m2);
    shared = std::hypot(m1[0] - m2[0], m1[1] - m2[1]) <= tol;
  }
  if (shared) {
    // The ends of a shared stretch are end points of one segment lying on the other.
    kept.clear();
    const double (*segs[2])[2] = {seg1, seg2};
    for (int which = 0; which < 2; ++which) {
      for (double end : {0.0, 1.0}) {
        double p[2], foot[2], t, d;
        BEZ_EvPos(segs[which], end, p);
        if (!BEZ_PrjPnt(segs[1 - which], p, foot, t, d) || d > tol) continue;
        const bool dup = std::any_of(kept.begin(), kept.end(), [&](const Hit& k) {
          return std::hypot(k.x - p[0], k.y - p[1]) <= tol;
        });
        if (!dup) kept.push_back(which == 0 ? Hit{end, t, p[0], p[1]} : Hit{t, end, foot[0], foot[1]});
      }
    }
    std::sort(kept.begin(), kept.end(), [](const Hit& a, const Hit& b) { return a.s < b.s; });
  }

  int n = 0;
  for (const Hit& h : kept) {
    if (n == kInterBezBezMax) break;
    const double p[2] = {h.x, h.y};
    recs[n++] = MakeRec(p, h.s, h.t);
  }
  return n;
}

void SwapIntPnt(_tagInterPnt& rec) {
  std::swap(rec.seg1, rec.seg2);
  std::swap(rec.t1, rec.t2);
  std::swap(rec.sub1, rec.sub2);
}
