#include "millvane/kernel/KernelNumerics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "millvane/kernel/KernelVec.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Memory.h"

_arc* ARC_NewFrame(double radius, double sweep) {
  auto* a = static_cast<_arc*>(KX_MemAlloc(sizeof(_arc)));
  if (!a) return nullptr;
  RF_Init(&a->frame);
  a->radius = radius;
  a->sweep = sweep;
  return a;
}

int ARC_EvPosTan(double angle, double point[3], const _arc* arc, double tangent[3]) {
  if (!arc) return 0;
  const double c = std::cos(angle), s = std::sin(angle), r = arc->radius;
  const _rect_fm3d& f = arc->frame;
  for (int i = 0; i < 3; ++i) {
    if (point) point[i] = f.origin[i] + r * c * f.xAxis[i] + r * s * f.yAxis[i];
    if (tangent) tangent[i] = r * c * f.yAxis[i] - r * s * f.xAxis[i];
  }
  return 1;
}

int ARC_ByEndsAndCentreLine(const double end[3], _arc*& arc, const double start[3],
                            const double through[3], const double normal[3]) {
  arc = nullptr;
  if (!end || !start || !through) return 0;
  double chord[3], a[3], M[3], O[3], tmp[3];
  kv::Sub(chord, end, start);
  if (!kv::Unit(a, chord, 1e-6)) return -4;
  kv::Axpy(M, start, 0.5, chord);
  kv::Sub(tmp, M, through);
  kv::Axpy(O, through, kv::Dot(tmp, a), a);
  const double r = kv::Dist(start, O);
  if (r < 1e-6) return -4;
  const double half = std::acos(std::clamp(kv::Dist(M, O) / r, -1.0, 1.0));
  if (half < 0.001) return -4;
  double X[3], Z[3], Y[3];
  kv::Sub(tmp, start, O);
  if (!kv::Unit(X, tmp, 1e-12)) return -4;
  kv::Cross(tmp, X, a);
  if (!kv::Unit(Z, tmp, 1e-6)) {
    // Start and end on a diameter: only the caller's normal fixes the side.
    if (!normal || !kv::Unit(Z, normal, 1e-12)) return -4;
  }
  kv::Cross(tmp, Z, X);
  if (!kv::Unit(Y, tmp, 1e-12)) return -4;
  arc = ARC_NewFrame(r, std::min(2.0 * half, std::numbers::pi));
  if (!arc) return -1;
  kv::Copy(arc->frame.origin, O);
  kv::Copy(arc->frame.xAxis, X);
  kv::Copy(arc->frame.yAxis, Y);
  kv::Copy(arc->frame.zAxis, Z);
  return 1;
}

int ARC_ByThreePoints(const double third[3], const double end[3], const double start[3],
                      _arc*& arc) {
  arc = nullptr;
  if (!third || !end || !start) return 0;
  double ds[3], de[3], tmp[3];
  if (kv::Dist(start, end) < 1e-6) return -4;
  kv::Sub(tmp, start, third);
  if (!kv::Unit(ds, tmp, 1e-6)) return -4;
  kv::Sub(tmp, end, third);
  if (!kv::Unit(de, tmp, 1e-6)) return -4;
  const double beta = MAT_SafeAcos(kv::Dot(ds, de));
  if (beta < 0.001 || beta > 3.1405926535897932) return -4;
  double Z[3], a[3], b[3];
  kv::Sub(a, end, third);
  kv::Sub(b, start, third);
  kv::Cross(tmp, a, b);
  if (!kv::Unit(Z, tmp, 1e-20)) return -4;
  double M[3], chord[3], cu[3] = {}, C[3];
  kv::Sub(chord, end, start);
  kv::Axpy(M, start, 0.5, chord);
  const double h = 0.5 * kv::Len(chord);
  kv::Unit(cu, chord, 1e-20);
  double r;
  if (std::fabs(beta - std::numbers::pi / 2) < 0.001) {
    r = h;
    kv::Copy(C, M);
  } else {
    double w[3];
    kv::Cross(w, Z, cu);
    if (beta < std::numbers::pi / 2) kv::Scale(w, -1.0, w);
    const double off = std::fabs(beta - std::numbers::pi / 2);
    r = h / std::cos(off);
    kv::Axpy(C, M, h * std::tan(off), w);
  }
  double X[3], Y[3];
  kv::Sub(tmp, start, C);
  if (!kv::Unit(X, tmp, 1e-20)) return -4;
  kv::Cross(Y, Z, X);
  arc = ARC_NewFrame(r, 2.0 * std::numbers::pi - 2.0 * beta);
  if (!arc) return 0;
  kv::Copy(arc->frame.origin, C);
  kv::Copy(arc->frame.xAxis, X);
  kv::Copy(arc->frame.yAxis, Y);
  kv::Copy(arc->frame.zAxis, Z);
  return 1;
}

void MAT_Multiply(int m, int n, const double* A, const double* B, double* C, int k) {
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j) {
      double s = 0.0;
      int l = 0;
      for (; l + 4 <= k; l += 4)
        s += A[i * k + l] * B[l * n + j] + A[i * k + l + 1] * B[(l + 1) * n + j] +
             A[i * k + l + 2] * B[(l + 2) * n + j] + A[i * k + l + 3] * B[(l + 3) * n + j];
      for (; l < k; ++l) s += A[i * k + l] * B[l * n + j];
      C[i * n + j] = s;
    }
}

void MAT_Transpose4(double out[16], const double in[16]) {
  double t[16];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) t[j * 4 + i] = in[i * 4 + j];
  std::copy(t, t + 16, out);
}

void MAT_Identity(double* p, int n) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) p[i * n + j] = i == j ? 1.0 : 0.0;
}

namespace {

bool Eliminate4(double x[4], const double b[4], const double M[16]) {
  double A[4][5];
  double scale = 0.0;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      A[i][j] = M[i * 4 + j];
      scale = std::max(scale, std::fabs(A[i][j]));
    }
    A[i][4] = b[i];
  }
  if (!(scale > 0.0)) return false;
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
    if (!(std::fabs(A[p][c]) > 1e-13 * scale)) return false;
    if (p != c)
      for (int j = 0; j < 5; ++j) std::swap(A[p][j], A[c][j]);
    for (int r = c + 1; r < 4; ++r) {
      const double f = A[r][c] / A[c][c];
      for (int j = c; j < 5; ++j) A[r][j] -= f * A[c][j];
    }
  }
  for (int i = 3; i >= 0; --i) {
    double s = A[i][4];
    for (int j = i + 1; j < 4; ++j) s -= A[i][j] * x[j];
    x[i] = s / A[i][i];
  }
  return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]) &&
         std::isfinite(x[3]);
}

// Moore-Penrose pseudo-inverse by Greville's column recursion: P (4 x 4) of M.
bool Pseudo4(const double M[16], double P[16]) {
  // Pk holds the first k rows of the pseudo-inverse (k x 4).
  double Pk[16] = {};
  auto col = [&](int k, double a[4]) {
    for (int i = 0; i < 4; ++i) a[i] = M[i * 4 + k];
  };
  double a[4];
  col(0, a);
  const double aa = a[0] * a[0] + a[1] * a[1] + a[2] * a[2] + a[3] * a[3];
  if (aa > 1e-20)
    for (int j = 0; j < 4; ++j) Pk[j] = a[j] / aa;
  for (int k = 1; k < 4; ++k) {
    col(k, a);
    double d[4] = {}, c[4];
    for (int i = 0; i < k; ++i)
      for (int j = 0; j < 4; ++j) d[i] += Pk[i * 4 + j] * a[j];
    for (int j = 0; j < 4; ++j) {
      double s = 0.0;
      for (int i = 0; i < k; ++i) s += M[j * 4 + i] * d[i];
      c[j] = a[j] - s;
    }
    const double cc = c[0] * c[0] + c[1] * c[1] + c[2] * c[2] + c[3] * c[3];
    double bk[4];
    if (cc >= 1e-20) {
      for (int j = 0; j < 4; ++j) bk[j] = c[j] / cc;
    } else {
      double dd = 0.0;
      for (int i = 0; i < k; ++i) dd += d[i] * d[i];
      for (int j = 0; j < 4; ++j) {
        double s = 0.0;
        for (int i = 0; i < k; ++i) s += d[i] * Pk[i * 4 + j];
        bk[j] = s / (1.0 + dd);
      }
    }
    for (int i = 0; i < k; ++i)
      for (int j = 0; j < 4; ++j) Pk[i * 4 + j] -= d[i] * bk[j];
    for (int j = 0; j < 4; ++j) Pk[k * 4 + j] = bk[j];
  }
  for (int i = 0; i < 16; ++i) {
    if (!std::isfinite(Pk[i])) return false;
    P[i] = Pk[i];
  }
  return true;
}

}  // namespace

int MAT_Solve4(double x[4], const double b[4], const double M[16]) {
  if (!x || !b || !M) return 0;
  double r[4];
  if (Eliminate4(r, b, M)) {
    std::copy(r, r + 4, x);
    return 1;
  }
  double P[16];
  if (!Pseudo4(M, P)) return 0;
  for (int i = 0; i < 4; ++i) r[i] = P[i * 4] * b[0] + P[i * 4 + 1] * b[1] +
                                     P[i * 4 + 2] * b[2] + P[i * 4 + 3] * b[3];
  std::copy(r, r + 4, x);
  return 1;
}

double MAT_SafeAcos(double c) {
  if (c > 0.999999999999) return 0.0;
  if (c < -0.999999999999) return std::numbers::pi;
  return std::acos(c);
}

double MAT_Angle2(double x, double y) {
  if (std::fabs(x) + std::fabs(y) < 1e-20) return 0.0;
  double a = std::atan2(y, x);
  if (a < 0.0) a += 2.0 * std::numbers::pi;
  return a >= 2.0 * std::numbers::pi ? 0.0 : a;
}

int LSQ_Decompose2(const double a[3], const double b[3], const double v[3], double out[2]) {
  const double aa = kv::Dot(a, a), bb = kv::Dot(b, b), ab = kv::Dot(a, b);
  const double av = kv::Dot(a, v), bv = kv::Dot(b, v);
  const double det = aa * bb - ab * ab;
  if (std::fabs(det) < 1e-100) {
    if (aa < 1e-50) {
      out[0] = out[1] = 0.0;
      return 1;
    }
    double u = std::sqrt(bb / aa);
    if (av * bv < 0.0) u = -u;
    out[1] = av / (aa * (1.0 + u * u));
    out[0] = u * out[1];
    return 1;
  }
  out[1] = (av * bb - bv * ab) / det;
  out[0] = (bv * aa - av * ab) / det;
  return 1;
}

int MAT_SolveQuadratic(double e, double f, double g, double m, double roots[2]) {
  if (std::fabs(e) <= 1e-20 * (std::fabs(f) + std::fabs(g))) {
    if (std::fabs(f) <= 1e-20 * std::fabs(g) || f == 0.0) return std::fabs(g) < m ? 100 : 0;
    roots[0] = -g / f;
    return 1;
  }
  const double disc = f * f - 4.0 * e * g;
  // The discriminant's own rounding counts as zero, so a double root (an umbilic point of a
  // surface) is not lost to a tiny negative value.
  const double slack = m + 1e-14 * (f * f + 4.0 * std::fabs(e * g));
  if (disc < -slack) return 0;
  if (disc <= slack) {
    roots[0] = -f / (2.0 * e);
    return 1;
  }
  const double sq = std::sqrt(disc);
  const double q = -0.5 * (f + (f > 0.0 ? sq : -sq));
  roots[0] = q / e;
  roots[1] = g / q;
  return 2;
}

int MAT_SolveTrig(double a, double b, double c, double d, double roots[2]) {
  const double R = std::hypot(a, b);
  if (R < d) return std::fabs(c) < d ? 100 : 0;
  if (std::fabs(c) > R + d) return 0;
  const double phi = std::atan2(b, a);
  const double alpha = MAT_SafeAcos(std::clamp(c / R, -1.0, 1.0));
  auto wrap = [](double t) {
    t = std::fmod(t, 2.0 * std::numbers::pi);
    if (t < 0.0) t += 2.0 * std::numbers::pi;
    return t >= 2.0 * std::numbers::pi ? 0.0 : t;
  };
  // |c| = R: the line touches the circle once.
  if (R - std::fabs(c) <= d) {
    roots[0] = wrap(c >= 0.0 ? phi : phi + std::numbers::pi);
    return 1;
  }
  const double r1 = wrap(phi - alpha), r2 = wrap(phi + alpha);
  const double gap = std::fabs(r1 - r2);
  if (gap < d || gap >= 2.0 * std::numbers::pi - 0.001) {
    roots[0] = r1;
    return 1;
  }
  roots[0] = std::min(r1, r2);
  roots[1] = std::max(r1, r2);
  return 2;
}

int MAT_NullVector2(const double r0[2], const double r1[2], double e, double out[2]) {
  const double l0 = std::hypot(r0[0], r0[1]), l1 = std::hypot(r1[0], r1[1]);
  if (l0 < e && l1 < e) return 100;
  const double* L = l0 >= l1 ? r0 : r1;
  const double* O = l0 >= l1 ? r1 : r0;
  const double l = std::max(l0, l1);
  out[0] = -L[1] / l;
  out[1] = L[0] / l;
  return std::fabs(O[0] * out[0] + O[1] * out[1]) < e ? 1 : 0;
}

namespace {
void HermiteCtrl(const double p0[3], const double t0[3], const double p1[3], const double t1[3],
                 double B[4][3]) {
  const double D = kv::Dist(p0, p1) / 3.0;
  kv::Copy(B[0], p0);
  kv::Axpy(B[1], p0, D, t0);
  kv::Axpy(B[2], p1, -D, t1);
  kv::Copy(B[3], p1);
}
}  // namespace

void MAT_Hermite(const double p0[3], const double t0[3], const double p1[3], const double t1[3],
                 double c, double out[3]) {
  double der[3];
  MAT_HermiteDer(p0, t0, p1, t1, c, out, der);
}

void MAT_HermiteDer(const double p0[3], const double t0[3], const double p1[3],
                    const double t1[3], double c, double out[3], double der[3]) {
  double B[4][3];
  HermiteCtrl(p0, t0, p1, t1, B);
  const double s = 1.0 - c;
  for (int i = 0; i < 3; ++i) {
    out[i] = s * s * s * B[0][i] + 3 * c * s * s * B[1][i] + 3 * c * c * s * B[2][i] +
             c * c * c * B[3][i];
    der[i] = 3 * (s * s * (B[1][i] - B[0][i]) + 2 * c * s * (B[2][i] - B[1][i]) +
                  c * c * (B[3][i] - B[2][i]));
  }
}

bool PLY_NearSegment(const double p[3], const double P[3], const double Q[3], double tol) {
  for (int i = 0; i < 3; ++i)
    if (p[i] < std::min(P[i], Q[i]) - tol || p[i] > std::max(P[i], Q[i]) + tol) return false;
  if (kv::Dist(p, P) < tol || kv::Dist(p, Q) < tol) return true;
  double d[3], w[3];
  kv::Sub(d, Q, P);
  const double L2 = kv::Dot(d, d);
  if (L2 < 1e-24) return false;
  kv::Sub(w, p, P);
  const double t = kv::Dot(w, d) / L2;
  if (!(t > 0.0 && t < 1.0)) return false;
  double f[3];
  kv::Axpy(f, P, t, d);
  return kv::Dist(p, f) < tol;
}

namespace {
// Each point of a within tol of some segment of b.
bool Covered(const PLY_String* a, const PLY_String* b, double tol) {
  const int segs = b->count - 1;
  int last = 0;
  for (int i = 0; i < a->count; ++i) {
    const double* p = a->points[i];
    bool found = false;
    if (segs < 1) {
      found = b->count == 1 && kv::Dist(p, b->points[0]) < tol;
    } else {
      for (int k = 0; !found; ++k) {
        const int fw = last + k, bw = last - k;
        if (fw >= segs && bw < 0) break;
        if (fw < segs && PLY_NearSegment(p, b->points[fw], b->points[fw + 1], tol)) {
          found = true;
          last = fw;
        } else if (k > 0 && bw >= 0 &&
                   PLY_NearSegment(p, b->points[bw], b->points[bw + 1], tol)) {
          found = true;
          last = bw;
        }
      }
    }
    if (!found) return false;
  }
  return true;
}
}  // namespace

int PLY_IsOverlap(const PLY_String* a, const PLY_String* b, int& overlap, double tol) {
  if (!a || !b || !a->points || !b->points) return 0;
  overlap = Covered(a, b, tol) && Covered(b, a, tol) ? 1 : 0;
  return 1;
}
