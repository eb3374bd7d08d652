// BCRV records: allocation, copies, evaluation and rigid/affine transforms.
#include "platform/numora/Bcrv.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/numora/BcrvCore.h"

namespace bcrv {

BCRV* Alloc(int order, int n) {
  if (order < 1 || order > knot::kMaxOrder || n < order || n > knot::kMaxCount) return nullptr;
  BCRV* c = static_cast<BCRV*>(std::calloc(1, sizeof(BCRV)));
  if (!c) return nullptr;
  c->ctrlPts = static_cast<double(*)[4]>(std::malloc(sizeof(double[4]) * size_t(n)));
  c->knots = static_cast<double*>(std::malloc(sizeof(double) * size_t(order + n)));
  if (!c->ctrlPts || !c->knots) {
    BCRV_Free(c);
    return nullptr;
  }
  c->order = order;
  c->n = n;
  return c;
}

bool FromBcrv(const BCRV* crv, Spline& s) {
  if (!BCRV_IsValid(crv)) return false;
  s.p = crv->order - 1;
  s.U.assign(crv->knots, crv->knots + crv->order + crv->n);
  s.P.resize(size_t(crv->n));
  for (int i = 0; i < crv->n; ++i)
    for (int k = 0; k < 4; ++k) s.P[size_t(i)][size_t(k)] = crv->ctrlPts[i][k];
  return true;
}

static bool FormOk(const Spline& s) {
  const int n = s.n();
  return s.p >= 0 && s.p + 1 <= knot::kMaxOrder && n >= s.p + 1 && n <= knot::kMaxCount &&
         int(s.U.size()) == n + s.p + 1;
}

BCRV* ToBcrv(const Spline& s) {
  if (!FormOk(s)) return nullptr;
  BCRV* c = Alloc(s.p + 1, s.n());
  if (!c) return nullptr;
  std::memcpy(c->knots, s.U.data(), sizeof(double) * s.U.size());
  for (int i = 0; i < s.n(); ++i)
    for (int k = 0; k < 4; ++k) c->ctrlPts[i][k] = s.P[size_t(i)][size_t(k)];
  return c;
}

bool Assign(BCRV* crv, const Spline& s) {
  if (!crv) return false;
  BCRV* c = ToBcrv(s);
  if (!c) return false;
  std::free(crv->ctrlPts);
  std::free(crv->knots);
  crv->order = c->order;
  crv->n = c->n;
  crv->ctrlPts = c->ctrlPts;
  crv->knots = c->knots;
  std::free(c);
  return true;
}

static int SafeSpan(int n, int p, double u, const double* U) {
  if (u >= U[n]) return knot::FindSpan(n, p, u, U);
  // upper_bound stays finite even on a corrupt vector.
  const int s = int(std::upper_bound(U + p, U + n + 1, u) - U) - 1;
  return std::clamp(s, p, n - 1);
}

void EvalRaw(int p, int n, const double* U, const double (*P)[4], double u, int nd, P4* A) {
  u = std::clamp(u, U[p], U[n]);
  const int span = SafeSpan(n, p, u, U);
  double ders[3 * knot::kMaxOrder];
  knot::DersBasisFuns(span, u, p, nd, U, ders);
  for (int k = 0; k <= nd; ++k) {
    double a0 = 0, a1 = 0, a2 = 0, a3 = 0;
    const double* b = ders + k * (p + 1);
    for (int j = 0; j <= p; ++j) {
      const double* q = P[span - p + j];
      a0 += b[j] * q[0];
      a1 += b[j] * q[1];
      a2 += b[j] * q[2];
      a3 += b[j] * q[3];
    }
    A[k] = {a0, a1, a2, a3};
  }
}

void EvalH(const Spline& s, double u, int nd, P4* A) {
  EvalRaw(s.p, s.n(), s.U.data(), Rows(s), u, nd, A);
}

void Rational(const P4* A, int nd, double (*out)[3]) {
  const double w = A[0][3];
  for (int c = 0; c < 3; ++c) out[0][c] = A[0][size_t(c)] / w;
  if (nd >= 1)
    for (int c = 0; c < 3; ++c) out[1][c] = (A[1][size_t(c)] - A[1][3] * out[0][c]) / w;
  if (nd >= 2)
    for (int c = 0; c < 3; ++c)
      out[2][c] = (A[2][size_t(c)] - 2.0 * A[1][3] * out[1][c] - A[2][3] * out[0][c]) / w;
}

}  // namespace bcrv

void PARAM_Init(_param* param) {
  if (!param) return;
  param->min = 0.0;
  param->max = 1.0;
  param->startKind = 1;
  param->endKind = 1;
  param->closure = 0;
  param->reserved1 = 3;
  param->reserved2 = 1;
}

bool BCRV_IsValid(const BCRV* crv) {
  if (!crv || !crv->ctrlPts || !knot::IsValid(crv->order, crv->n, crv->knots)) return false;
  for (int i = 0; i < crv->n; ++i) {
    const double* q = crv->ctrlPts[i];
    if (!(q[3] > 0.0) || !std::isfinite(q[0]) || !std::isfinite(q[1]) || !std::isfinite(q[2]) ||
        !std::isfinite(q[3]))
      return false;
  }
  return true;
}

BCRV* BCRV_New() { return static_cast<BCRV*>(std::calloc(1, sizeof(BCRV))); }

BCRV* BCRV_New(int order, int n) {
  BCRV* c = bcrv::Alloc(order, n);
  if (!c) return nullptr;
  double* k = KNOT_Gen(order, n);
  if (!k) {
    BCRV_Free(c);
    return nullptr;
  }
  std::memcpy(c->knots, k, sizeof(double) * size_t(order + n));
  std::free(k);
  for (int i = 0; i < n; ++i) {
    c->ctrlPts[i][0] = c->ctrlPts[i][1] = c->ctrlPts[i][2] = 0.0;
    c->ctrlPts[i][3] = 1.0;
  }
  return c;
}

void BCRV_Free(BCRV* crv) {
  if (!crv) return;
  std::free(crv->ctrlPts);
  std::free(crv->knots);
  std::free(crv);
}

void BCRV_FreStr(int count, BCRV** curves) {
  if (!curves) return;
  for (int i = 0; i < count; ++i) {
    BCRV_Free(curves[i]);
    curves[i] = nullptr;
  }
}

BCRV* BCRV::Clone() const {
  if (!ctrlPts || !knots || order < 1 || n < 1 || order > knot::kMaxOrder ||
      n > knot::kMaxCount)
    return nullptr;
  BCRV* c = bcrv::Alloc(order, n < order ? order : n);
  if (!c) return nullptr;
  c->n = n;
  std::memcpy(c->ctrlPts, ctrlPts, sizeof(double[4]) * size_t(n));
  std::memcpy(c->knots, knots, sizeof(double) * size_t(order + n));
  return c;
}

void BCRV::Reverse() {
  if (!ctrlPts || !knots || n < 1 || order < 1) return;
  for (int i = 0, j = n - 1; i < j; ++i, --j)
    for (int k = 0; k < 4; ++k) std::swap(ctrlPts[i][k], ctrlPts[j][k]);
  const int m = order + n;
  const double a = knots[0], b = knots[m - 1];
  for (int i = 0, j = m - 1; i < j; ++i, --j) std::swap(knots[i], knots[j]);
  for (int i = 0; i < m; ++i) knots[i] = a + b - knots[i];
}

// Cheap checks for the evaluators: the whole-vector scan would make each call O(n).
static bool EvalReady(const BCRV* crv) {
  return crv && crv->ctrlPts && crv->knots && crv->order >= 1 &&
         crv->order <= knot::kMaxOrder && crv->n >= crv->order && crv->n <= knot::kMaxCount &&
         crv->knots[crv->order - 1] < crv->knots[crv->n];
}

static int Evaluate(const BCRV* crv, double t, int nd, double (*out)[3]) {
  if (!EvalReady(crv) || std::isnan(t)) return 0;
  bcrv::P4 A[3];
  bcrv::EvalRaw(crv->order - 1, crv->n, crv->knots, crv->ctrlPts, t, nd, A);
  if (!(A[0][3] > 0.0)) return 0;
  bcrv::Rational(A, nd, out);
  for (int k = 0; k <= nd; ++k)
    if (!std::isfinite(out[k][0]) || !std::isfinite(out[k][1]) || !std::isfinite(out[k][2]))
      return 0;
  return 1;
}

int BCRV_EvPos(const BCRV* crv, double t, double p[3]) {
  double r[1][3];
  if (!p || !Evaluate(crv, t, 0, r)) return 0;
  std::memcpy(p, r[0], sizeof r[0]);
  return 1;
}

int BCRV_Ev1Der(const BCRV* crv, double t, double p[3], double d1[3]) {
  double r[2][3];
  if (!p || !d1 || !Evaluate(crv, t, 1, r)) return 0;
  std::memcpy(p, r[0], sizeof r[0]);
  std::memcpy(d1, r[1], sizeof r[1]);
  return 1;
}

int BCRV_Ev2Der(const BCRV* crv, double t, double p[3], double d1[3], double d2[3]) {
  double r[3][3];
  if (!p || !d1 || !d2 || !Evaluate(crv, t, 2, r)) return 0;
  std::memcpy(p, r[0], sizeof r[0]);
  std::memcpy(d1, r[1], sizeof r[1]);
  std::memcpy(d2, r[2], sizeof r[2]);
  return 1;
}

int BCRV::GetCtrlPt(int i, double p[3]) const {
  if (!p || !ctrlPts || i < 0 || i >= n) return 0;
  return P4D_ToP3D(ctrlPts[i], p);
}

int BCRV::SetCtrlPt(int i, const double p[3]) {
  if (!p || !ctrlPts || i < 0 || i >= n) return 0;
  double w = ctrlPts[i][3];
  if (!(w > 0.0)) w = 1.0;  // a record fresh from BCRV_New has weight 1; repair anything else
  for (int k = 0; k < 3; ++k) ctrlPts[i][k] = p[k] * w;
  ctrlPts[i][3] = w;
  return 1;
}

// Applies an affine map x -> M x + b to every control point (weights kept).
static void Affine(BCRV* c, const double M[3][3], const double b[3]) {
  if (!c->ctrlPts) return;
  for (int i = 0; i < c->n; ++i) {
    double* q = c->ctrlPts[i];
    const double w = q[3];
    const double x = q[0], y = q[1], z = q[2];
    for (int r = 0; r < 3; ++r) q[r] = M[r][0] * x + M[r][1] * y + M[r][2] * z + w * b[r];
  }
}

void BCRV::Move(const double d[3]) {
  if (!d) return;
  const double I[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Affine(this, I, d);
}

namespace bcrv {
// Rotation matrix about a unit axis (Rodrigues); false for a zero axis.
bool RotMatrix(const double axis[3], double angle, double R[3][3]) {
  const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  if (!(len > 1e-300)) return false;
  const double x = axis[0] / len, y = axis[1] / len, z = axis[2] / len;
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  R[0][0] = t * x * x + c;     R[0][1] = t * x * y - s * z; R[0][2] = t * x * z + s * y;
  R[1][0] = t * x * y + s * z; R[1][1] = t * y * y + c;     R[1][2] = t * y * z - s * x;
  R[2][0] = t * x * z - s * y; R[2][1] = t * y * z + s * x; R[2][2] = t * z * z + c;
  return true;
}
}  // namespace bcrv

void BCRV::Rotate(const double point[3], const double axis[3], double angle) {
  double R[3][3];
  if (!point || !axis || !bcrv::RotMatrix(axis, angle, R)) return;
  double b[3];
  for (int r = 0; r < 3; ++r)
    b[r] = point[r] - (R[r][0] * point[0] + R[r][1] * point[1] + R[r][2] * point[2]);
  Affine(this, R, b);
}

void BCRV::Scale(const double base[3], const double f[3]) {
  if (!base || !f) return;
  const double M[3][3] = {{f[0], 0, 0}, {0, f[1], 0}, {0, 0, f[2]}};
  const double b[3] = {base[0] * (1 - f[0]), base[1] * (1 - f[1]), base[2] * (1 - f[2])};
  Affine(this, M, b);
}

void BCRV::Shift(const double p[3], const double q[3]) {
  if (!p || !q) return;
  const double M[3][3] = {{1, q[0], 0}, {q[1], 1, 0}, {0, 0, 1}};
  const double b[3] = {-q[0] * p[1], -q[1] * p[0], 0};
  Affine(this, M, b);
}

int BCRV::IsPlanar(const BCRV* crv, double tol, double point[3], double vector[3]) {
  if (!crv || !point || !vector || !crv->ctrlPts || crv->n < 1 || crv->n > knot::kMaxCount)
    return 0;
  std::vector<std::array<double, 3>> P(size_t(crv->n));
  for (int i = 0; i < crv->n; ++i)
    if (!crv->GetCtrlPt(i, P[size_t(i)].data())) return 0;
  auto sub = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::array<double, 3>{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  };
  auto norm = [](const std::array<double, 3>& a) {
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  };
  auto cross = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                 a[0] * b[1] - a[1] * b[0]};
  };
  const auto& P0 = P[0];
  // The point farthest from P0 fixes the line direction.
  size_t far = 0;
  double dmax = 0.0;
  for (size_t i = 1; i < P.size(); ++i) {
    const double d = norm(sub(P[i], P0));
    if (d > dmax) { dmax = d; far = i; }
  }
  std::copy(P0.begin(), P0.end(), point);
  if (dmax <= tol) {
    vector[0] = 0; vector[1] = 0; vector[2] = 1;
    return 3;
  }
  auto d = sub(P[far], P0);
  for (auto& x : d) x /= dmax;
  size_t off = 0;
  double omax = 0.0;
  for (size_t i = 1; i < P.size(); ++i) {
    const double o = norm(cross(d, sub(P[i], P0)));
    if (o > omax) { omax = o; off = i; }
  }
  if (omax <= tol) {
    std::copy(d.begin(), d.end(), vector);
    return 2;
  }
  auto nrm = cross(d, sub(P[off], P0));
  const double ln = norm(nrm);
  for (auto& x : nrm) x /= ln;
  for (size_t i = 1; i < P.size(); ++i) {
    const auto v = sub(P[i], P0);
    if (std::fabs(v[0] * nrm[0] + v[1] * nrm[1] + v[2] * nrm[2]) > tol) return 0;
  }
  std::copy(nrm.begin(), nrm.end(), vector);
  return 1;
}
