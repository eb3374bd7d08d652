// Internal working form of B-spline surfaces and the evaluator shared by the surface and editor
// code. Not part of the kernel's interface.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/numora/BcrvCore.h"
#include "platform/numora/Bsrf.h"

namespace bsrf {

using bcrv::P4;
using bcrv::Spline;

// Homogeneous surface: degrees pu, pv; knots U, V; points row by row (v index major).
struct Surf {
  int pu = 0, pv = 0, nu = 0, nv = 0;
  std::vector<double> U, V;
  std::vector<P4> P;
  P4& at(int i, int j) { return P[size_t(j) * size_t(nu) + size_t(i)]; }
  const P4& at(int i, int j) const { return P[size_t(j) * size_t(nu) + size_t(i)]; }
};

bool FromSrf(const _nurbs_surface* srf, Surf& s);
_nurbs_surface* ToSrf(const Surf& s);

// The u-curves (one per row) and v-curves (one per column) as curve working forms, and back.
std::vector<Spline> Rows(const Surf& s);
std::vector<Spline> Cols(const Surf& s);
bool FromRows(const std::vector<Spline>& rows, int pv, const std::vector<double>& V, Surf& s);
bool FromCols(const std::vector<Spline>& cols, int pu, const std::vector<double>& U, Surf& s);
void Normalize(Surf& s);

// Homogeneous partial derivatives A[k][l] = d^(k+l)/du^k dv^l for k + l <= nd (nd <= 2).
// rowOf(j) gives row j as rows of four doubles.
template <typename RowOf>
void EvalRaw(int pu, int nu, const double* U, int pv, int nv, const double* V, RowOf rowOf,
             double u, double v, int nd, P4 A[3][3]) {
  u = std::clamp(u, U[pu], U[nu]);
  v = std::clamp(v, V[pv], V[nv]);
  auto span = [](int n, int p, double t, const double* K) {
    if (t >= K[n]) return knot::FindSpan(n, p, t, K);
    const int s = int(std::upper_bound(K + p, K + n + 1, t) - K) - 1;
    return std::clamp(s, p, n - 1);
  };
  const int su = span(nu, pu, u, U), sv = span(nv, pv, v, V);
  double Nu[3 * knot::kMaxOrder], Nv[3 * knot::kMaxOrder];
  knot::DersBasisFuns(su, u, pu, nd, U, Nu);
  knot::DersBasisFuns(sv, v, pv, nd, V, Nv);
  for (int k = 0; k <= nd; ++k)
    for (int l = 0; l <= nd - k; ++l) A[k][l] = {0, 0, 0, 0};
  for (int j = 0; j <= pv; ++j) {
    const double (*row)[4] = rowOf(sv - pv + j);
    // u derivatives of this row's combination.
    double T[3][4] = {};
    for (int k = 0; k <= nd; ++k) {
      const double* b = Nu + k * (pu + 1);
      for (int i = 0; i <= pu; ++i) {
        const double* q = row[su - pu + i];
        for (int c = 0; c < 4; ++c) T[k][c] += b[i] * q[c];
      }
    }
    for (int k = 0; k <= nd; ++k)
      for (int l = 0; l <= nd - k; ++l) {
        const double bv = Nv[l * (pv + 1) + j];
        for (int c = 0; c < 4; ++c) A[k][l][size_t(c)] += bv * T[k][c];
      }
  }
}

// Cartesian derivatives S[k][l] from homogeneous ones; false when the weight is not positive.
bool Rational(const P4 A[3][3], int nd, double S[3][3][3]);

// Evaluation of the working form.
void EvalH(const Surf& s, double u, double v, int nd, P4 A[3][3]);
bool Eval(const Surf& s, double u, double v, int nd, double S[3][3][3]);

// Splits along u (dir 0) or v (dir 1) at a parameter strictly inside the domain; both pieces
// keep their parameters.
bool SplitAt(const Surf& s, int dir, double t, Surf* lo, Surf* hi);

// Global interpolation of the grid Q (rows of m points, n rows; Cartesian) with degrees pu, pv
// at the given parameters and averaged knots.
bool InterpGrid(const std::vector<double>& Q, int m, int n, int pu, int pv,
                const std::vector<double>& tu, const std::vector<double>& tv, Surf& s);

}  // namespace bsrf
