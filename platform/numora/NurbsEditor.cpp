// CNurbsEditor curve members: interpolation, least-squares approximation within a bound,
// knot insertion, arc length and splitting.
#include "platform/numora/NurbsEditor.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/BcrvCore.h"
#include "platform/numora/SparseSolve.h"

using bcrv::P4;
using bcrv::Spline;

BCRV* CNurbsEditor::GlobalInterp(const double (*pts)[3], int n, int degree) {
  if (!pts || n < 2 || degree < 1) return nullptr;
  BCRV* out = nullptr;
  BCRV_IntpPs(pts, n, std::min(degree, knot::kMaxOrder - 1) + 1, out);
  return out;
}

namespace {

// Least-squares fit with n control points, ends fixed; max error at the data parameters.
bool FitLsq(const std::vector<double>& Q, const std::vector<double>& t, int p, int n,
            Spline& s, double& err) {
  const int m = int(t.size()) - 1;  // last data index
  s.p = p;
  s.U.assign(size_t(p + 1), 0.0);
  const double d = double(m + 1) / (n - p);
  for (int j = 1; j <= n - p - 1; ++j) {
    const int i = int(j * d);
    const double a = j * d - i;
    s.U.push_back((1 - a) * t[size_t(i - 1)] + a * t[size_t(i)]);
  }
  s.U.insert(s.U.end(), size_t(p + 1), 1.0);
  s.P.assign(size_t(n), P4{0, 0, 0, 1});
  for (int k = 0; k < 3; ++k) {
    s.P[0][size_t(k)] = Q[size_t(k)];
    s.P[size_t(n - 1)][size_t(k)] = Q[size_t(3 * m + k)];
  }
  const int unk = n - 2;
  if (unk > 0) {
    std::vector<sparse::Entry> entries;
    std::vector<double> rhs(size_t(unk) * 3, 0.0);  // row-major
    double N[knot::kMaxOrder];
    std::vector<std::pair<int, double>> row;
    for (int k = 1; k < m; ++k) {
      const int span = knot::FindSpan(n, p, t[size_t(k)], s.U.data());
      knot::BasisFuns(span, t[size_t(k)], p, s.U.data(), N);
      row.clear();
      double R[3] = {Q[size_t(3 * k)], Q[size_t(3 * k + 1)], Q[size_t(3 * k + 2)]};
      for (int j = 0; j <= p; ++j) {
        const int idx = span - p + j;
        if (idx == 0 || idx == n - 1) {
          for (int c = 0; c < 3; ++c) R[c] -= N[j] * s.P[size_t(idx)][size_t(c)];
        } else {
          row.push_back({idx - 1, N[j]});
        }
      }
      for (const auto& [a, va] : row) {
        for (int c = 0; c < 3; ++c) rhs[size_t(3 * a + c)] += va * R[c];
        for (const auto& [b, vb] : row) entries.push_back({a, b, va * vb});
      }
    }
    std::vector<double> X;
    if (!sparse::SolveLDLT(unk, entries, rhs.data(), 3, X)) return false;
    for (int i = 0; i < unk; ++i)
      for (int c = 0; c < 3; ++c) s.P[size_t(i + 1)][size_t(c)] = X[size_t(3 * i + c)];
  }
  err = 0.0;
  for (int k = 0; k <= m; ++k) {
    P4 A;
    bcrv::EvalH(s, t[size_t(k)], 0, &A);
    double e2 = 0.0;
    for (int c = 0; c < 3; ++c) e2 += (A[size_t(c)] - Q[size_t(3 * k + c)]) * (A[size_t(c)] - Q[size_t(3 * k + c)]);
    err = std::max(err, std::sqrt(e2));
  }
  return true;
}

}  // namespace

BCRV* CNurbsEditor::GlobalApproxErrBnd(const double (*pts)[3], int count, int degree,
                                       float error) {
  if (!pts || count < 2 || count > knot::kMaxCount || degree < 1 || !(error >= 0.0f))
    return nullptr;
  // Coincident neighbours carry no shape and would give equal parameters.
  std::vector<double> Q;
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k)
      if (!std::isfinite(pts[i][k])) return nullptr;
    if (i > 0) {
      const double* a = &Q[Q.size() - 3];
      if (std::fabs(a[0] - pts[i][0]) + std::fabs(a[1] - pts[i][1]) +
              std::fabs(a[2] - pts[i][2]) <= 1e-12)
        continue;
    }
    Q.insert(Q.end(), pts[i], pts[i] + 3);
  }
  const int m1 = int(Q.size() / 3);
  if (m1 < 2) return nullptr;  // every point the same: no curve
  const int p = std::min({degree, m1 - 1, knot::kMaxOrder - 1});
  std::vector<double> t(static_cast<size_t>(m1));
  KNOT_CalAccumChord(reinterpret_cast<const double(*)[3]>(Q.data()), m1, t.data());
  // The error shrinks (roughly monotonically) with the control-point count: bisect on it.
  int lo = p + 1, hi = m1;
  Spline best;
  bool have = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    Spline s;
    double err = 0.0;
    if (mid < m1 && FitLsq(Q, t, p, mid, s, err) && err <= error) {
      best = std::move(s);
      have = true;
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  if (!have) {
    // Interpolation through every point meets any bound.
    BCRV* out = nullptr;
    BCRV_IntpPs(reinterpret_cast<const double(*)[3]>(Q.data()), m1, p + 1, out);
    return out;
  }
  return bcrv::ToBcrv(best);
}

BCRV* CNurbsEditor::AddKnot(const BCRV* crv, double t, int maxMult) {
  Spline s;
  if (!bcrv::FromBcrv(crv, s) || std::isnan(t)) return nullptr;
  const int have = CalKnotMul(s.U.data(), int(s.U.size()), t, 0.0);
  if (have >= std::min(maxMult, s.p)) return nullptr;
  if (!bcrv::InsertKnot(s, t, 1)) return nullptr;
  return bcrv::ToBcrv(s);
}

namespace {

double Speed(const Spline& s, double u) {
  P4 A[2];
  double r[2][3];
  bcrv::EvalH(s, u, 1, A);
  bcrv::Rational(A, 1, r);
  return std::sqrt(r[1][0] * r[1][0] + r[1][1] * r[1][1] + r[1][2] * r[1][2]);
}

// 5-point Gauss-Legendre on [a, b].
double Gauss(const Spline& s, double a, double b) {
  static const double x[5] = {0.0, -0.5384693101056831, 0.5384693101056831,
                              -0.9061798459386640, 0.9061798459386640};
  static const double w[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                              0.2369268850561891, 0.2369268850561891};
  const double h = 0.5 * (b - a), c = 0.5 * (a + b);
  double sum = 0.0;
  for (int i = 0; i < 5; ++i) sum += w[i] * Speed(s, c + h * x[i]);
  return sum * h;
}

// Bisects until the two halves agree with the whole; the depth bound keeps a tolerance below
// rounding (or a NaN) from splitting forever.
double Adaptive(const Spline& s, double a, double b, double whole, double tol, int depth) {
  const double c = 0.5 * (a + b);
  const double l = Gauss(s, a, c), r = Gauss(s, c, b);
  if (depth <= 0 || !(std::fabs(l + r - whole) > tol)) return l + r;
  return Adaptive(s, a, c, l, tol * 0.5, depth - 1) + Adaptive(s, c, b, r, tol * 0.5, depth - 1);
}

}  // namespace

double CNurbsEditor::LengthIn(const BCRV* crv, double t0, double t1, double tol) {
  Spline s;
  if (!bcrv::FromBcrv(crv, s) || std::isnan(t0) || std::isnan(t1)) return 0.0;
  if (t0 > t1) std::swap(t0, t1);
  const double d0 = s.U[size_t(s.p)], d1 = s.U[size_t(s.n())];
  t0 = std::clamp(t0, d0, d1);
  t1 = std::clamp(t1, d0, d1);
  if (!(tol > 0.0)) tol = 1e-9;
  // Integrate span by span: the speed is smooth inside a span only.
  std::vector<double> cuts{t0};
  for (int i = s.p + 1; i < s.n(); ++i)
    if (s.U[size_t(i)] > cuts.back() && s.U[size_t(i)] < t1) cuts.push_back(s.U[size_t(i)]);
  cuts.push_back(t1);
  double len = 0.0;
  const double share = tol / double(cuts.size());
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = cuts[i], b = cuts[i + 1];
    if (b > a) len += Adaptive(s, a, b, Gauss(s, a, b), share, 12);
  }
  return std::isfinite(len) ? len : 0.0;
}

int CNurbsEditor::Split(double t, const BCRV* crv, BCRV*& first, BCRV*& second) {
  first = second = nullptr;
  Spline s;
  if (!bcrv::FromBcrv(crv, s) || std::isnan(t)) return 0;
  const double d0 = s.U[size_t(s.p)], d1 = s.U[size_t(s.n())];
  const double eps = 1e-10 * (d1 - d0);
  if (t <= d0 + eps || t >= d1 - eps) {
    bcrv::Normalize(s);
    BCRV* whole = bcrv::ToBcrv(s);
    (t <= d0 + eps ? second : first) = whole;
    return whole ? 1 : 0;
  }
  Spline l, r;
  if (!bcrv::SplitAt(s, t, &l, &r)) return 0;
  bcrv::Normalize(l);
  bcrv::Normalize(r);
  first = bcrv::ToBcrv(l);
  second = bcrv::ToBcrv(r);
  if (!first || !second) {
    BCRV_Free(first);
    BCRV_Free(second);
    first = second = nullptr;
    return 0;
  }
  return 1;
}
