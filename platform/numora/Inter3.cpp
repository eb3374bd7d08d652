#include "platform/numora/Inter3.h"

#include "platform/numora/Inter.h"
#include "platform/numora/Point3d.h"

#include <cmath>

namespace {

void Sub(const double a[3], const double b[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}


void AddScaled(const double p[3], double s, const double d[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = p[k] + s * d[k];
}

enum class Closest { kOk, kDegenerate, kParallel };

// Parameters s, t of the closest points p1 + s·d1 and p2 + t·d2 of two infinite lines.
Closest ClosestOnLines(const double p1[3], const double d1[3], const double p2[3], const double d2[3],
                       double minLen, double angTol, double& s, double& t) {
  const double a = V3D_Dot(d1, d1), c = V3D_Dot(d2, d2);
  if (!(a > 0.0) || !(c > 0.0) || std::sqrt(a) < minLen || std::sqrt(c) < minLen)
    return Closest::kDegenerate;
  double w[3];
  Sub(p1, p2, w);
  const double b = V3D_Dot(d1, d2), d = V3D_Dot(d1, w), e = V3D_Dot(d2, w);
  const double den = a * c - b * b;
  if (!(den > 0.0) || std::sqrt(den / (a * c)) < angTol) return Closest::kParallel;
  s = (b * e - c * d) / den;
  t = (a * e - b * d) / den;
  return Closest::kOk;
}

double LineDist(const double p[3], const double d[3], const double q[3]) {
  double w[3], c[3];
  Sub(q, p, w);
  V3D_VProduct(d, w, c);
  return V3D_Length(c) / V3D_Length(d);
}

// Local coordinates of a world point in a frame, and back.
void ToFrame(const _rect_fm3d& f, const double p[3], double out[3]) {
  P3D_TransWorldPnt3DByOXYZ(f.origin, f.xAxis, f.yAxis, f.zAxis, p, out);
}

void FromFrame(const _rect_fm3d& f, double x, double y, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = f.origin[k] + x * f.xAxis[k] + y * f.yAxis[k];
}

}  // namespace

int Inter3_LineLine(const double p1[3], const double d1[3], const double p2[3], const double d2[3],
                    double tol, double angTol, double out[3]) {
  double s = 0.0, t = 0.0;
  switch (ClosestOnLines(p1, d1, p2, d2, 0.0, angTol, s, t)) {
    case Closest::kDegenerate:
      return INTER_NONE;
    case Closest::kParallel: {
      double q2[3];
      AddScaled(p2, 1.0, d2, q2);
      return LineDist(p1, d1, p2) <= tol && LineDist(p1, d1, q2) <= tol ? INTER_OVERLAP : INTER_NONE;
    }
    case Closest::kOk:
      break;
  }
  double P[3], Q[3];
  AddScaled(p1, s, d1, P);
  AddScaled(p2, t, d2, Q);
  double gap[3];
  Sub(P, Q, gap);
  if (V3D_Length(gap) > tol) return INTER_NONE;
  for (int k = 0; k < 3; ++k) out[k] = 0.5 * (P[k] + Q[k]);
  return INTER_POINT;
}

int Inter3_LineLineEx(const double a0[3], const double a1[3], const double b0[3], const double b1[3],
                      double tol, double angTol, double pa[3], double pb[3]) {
  double da[3], db[3], s = 0.0, t = 0.0;
  Sub(a1, a0, da);
  Sub(b1, b0, db);
  if (ClosestOnLines(a0, da, b0, db, tol, angTol, s, t) != Closest::kOk) return 0;
  AddScaled(a0, s, da, pa);
  AddScaled(b0, t, db, pb);
  return 1;
}

int Inter3_LineLineEx2(const double a0[3], const double a1[3], const double b0[3],
                       const double b1[3], double tol, double angTol, double& fa, double& fb,
                       double pt[3]) {
  double pa[3], pb[3], da[3], db[3], gap[3];
  Sub(a1, a0, da);
  Sub(b1, b0, db);
  double s = 0.0, t = 0.0;
  if (ClosestOnLines(a0, da, b0, db, 0.0, angTol, s, t) != Closest::kOk) return 0;
  AddScaled(a0, s, da, pa);
  AddScaled(b0, t, db, pb);
  Sub(pa, pb, gap);
  if (V3D_Length(gap) > tol) return 0;
  fa = s;
  fb = t;
  for (int k = 0; k < 3; ++k) pt[k] = 0.5 * (pa[k] + pb[k]);
  return 1;
}

int Inter3_CirLin(const _rect_fm3d& frame, double r, const double p[3], const double dir[3],
                  double tol, double pts[2][3], int& n) {
  n = 0;
  const double len = V3D_Length(dir);
  if (!(len > 0.0) || !(r > 0.0)) return INTER3_NONE;
  double pl[3], dl[3];
  ToFrame(frame, p, pl);
  const double zero[3] = {0.0, 0.0, 0.0};
  P3D_TransWorldPnt3DByOXYZ(zero, frame.xAxis, frame.yAxis, frame.zAxis, dir, dl);
  if (std::fabs(dl[2]) / len <= tol) {
    if (std::fabs(pl[2]) > tol) return INTER3_NONE;
    const double c[2] = {0.0, 0.0}, a[2] = {pl[0], pl[1]}, b[2] = {pl[0] + dl[0], pl[1] + dl[1]};
    double flat[2][2];
    if (!Inter_LineCirEx(a, b, c, r, tol, n, flat)) return INTER3_NONE;
    for (int i = 0; i < n; ++i) FromFrame(frame, flat[i][0], flat[i][1], pts[i]);
    return INTER3_COPLANAR;
  }
  const double s = -pl[2] / dl[2];
  const double qx = pl[0] + s * dl[0], qy = pl[1] + s * dl[1];
  if (std::fabs(std::hypot(qx, qy) - r) > tol) return INTER3_NONE;
  AddScaled(p, s, dir, pts[0]);
  n = 1;
  return INTER3_PIERCE;
}

int Inter3_CirCir(const _rect_fm3d& f1, double r1, const _rect_fm3d& f2, double r2, double tol,
                  double pts[2][3], int& n) {
  n = 0;
  if (!(r1 > 0.0) || !(r2 > 0.0)) return INTER3_NONE;
  double axis[3];
  V3D_VProduct(f1.zAxis, f2.zAxis, axis);
  if (V3D_Length(axis) <= tol) {
    double c2[3];
    ToFrame(f1, f2.origin, c2);
    if (std::fabs(c2[2]) > tol) return INTER3_NONE;
    const double o[2] = {0.0, 0.0}, c[2] = {c2[0], c2[1]};
    double flat[2][2];
    if (!Inter_CirCir(o, r1, c, r2, tol, n, flat)) return INTER3_NONE;
    for (int i = 0; i < n; ++i) FromFrame(f1, flat[i][0], flat[i][1], pts[i]);
    return INTER3_COPLANAR;
  }
  // The planes share a line; the points lie on it and on both circles.
  double lp[3], ld[3], cand[2][3];
  int m = 0;
  if (!Inter3_PlnPln(f1.origin, f1.zAxis, f2.origin, f2.zAxis, 1e-300, 0.0, lp, ld) ||
      Inter3_CirLin(f1, r1, lp, ld, tol, cand, m) == INTER3_NONE)
    return INTER3_NONE;
  for (int i = 0; i < m; ++i) {
    double w[3];
    Sub(cand[i], f2.origin, w);
    if (std::fabs(V3D_Length(w) - r2) > tol) continue;
    for (int k = 0; k < 3; ++k) pts[n][k] = cand[i][k];
    ++n;
  }
  return n > 0 ? INTER3_PIERCE : INTER3_NONE;
}

int Inter3_PlnLine(const double pt[3], const double n[3], const double a[3], const double b[3],
                   double tol, double out[3]) {
  const double ln = V3D_Length(n);
  if (!(ln > 0.0)) return 0;
  double wa[3], wb[3];
  Sub(a, pt, wa);
  Sub(b, pt, wb);
  const double ha = V3D_Dot(wa, n) / ln, hb = V3D_Dot(wb, n) / ln;
  if (!(std::fabs(ha - hb) >= tol) || ha == hb) return 0;
  const double s = ha / (ha - hb);
  for (int k = 0; k < 3; ++k) out[k] = a[k] + s * (b[k] - a[k]);
  return 1;
}

int Inter3_PlnRay(const double pt[3], const double n[3], const double origin[3], const double dir[3],
                  double angTol, double tol, double out[3]) {
  const double ln = V3D_Length(n), ld = V3D_Length(dir);
  if (!(ln > 0.0) || !(ld > 0.0) || ln < tol || ld < tol) return 0;
  const double dn = V3D_Dot(dir, n);
  if (!(std::fabs(dn) / (ln * ld) >= angTol)) return 0;
  double w[3];
  Sub(pt, origin, w);
  AddScaled(origin, V3D_Dot(w, n) / dn, dir, out);
  return 1;
}

int Inter3_PlnPln(const double p1[3], const double n1[3], const double p2[3], const double n2[3],
                  double tol, double angTol, double linePt[3], double lineDir[3]) {
  const double l1 = V3D_Length(n1), l2 = V3D_Length(n2);
  if (!(l1 > 0.0) || !(l2 > 0.0) || l1 < tol || l2 < tol) return 0;
  double u1[3], u2[3], dir[3];
  for (int k = 0; k < 3; ++k) {
    u1[k] = n1[k] / l1;
    u2[k] = n2[k] / l2;
  }
  V3D_VProduct(u1, u2, dir);
  const double sine = V3D_Length(dir);
  if (!(sine > 0.0) || sine < angTol) return 0;
  // Nearest point to p1 of the line: p1 + α·u1 + β·u2 on both planes.
  const double c = V3D_Dot(u1, u2);
  double w[3];
  Sub(p2, p1, w);
  const double beta = V3D_Dot(u2, w) / (1.0 - c * c), alpha = -c * beta;
  for (int k = 0; k < 3; ++k) {
    linePt[k] = p1[k] + alpha * u1[k] + beta * u2[k];
    lineDir[k] = dir[k] / sine;
  }
  return 1;
}
