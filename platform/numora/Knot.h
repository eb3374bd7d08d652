// Knot vectors and B-spline basis functions shared by the curve and surface code.
// Knot vectors are clamped: `order` equal knots at each end of the domain.
#pragma once

#include <type_traits>

// Accumulated chord-length parameters of n points, scaled to [0, 1]; equal spacing when every
// point coincides. 1 on success, 0 for bad input.
int KNOT_CalAccumChord(const double (*pts)[3], int n, double* params);

// Clamped knot vector (order + n knots on [0, 1]) from point parameters by averaging, so that
// every basis function has its peak near a point (order >= 2). 1 on success, 0 for bad input.
int KNOT_CalByAC(int order, int n, const double* params, double* knots);

// Rescales the knots so that the domain [U(order - 1), U(n)] becomes [0, 1]. 1 on success,
// 0 when the domain is empty or the input is bad.
int KNOT_Regu(int order, int n, double* knots);

// New array of order + count knots, clamped and uniform on [0, 1] (callers overwrite the inner
// knots as they need). Allocated with malloc; free with std::free (or KX_MemFree). Null on bad
// input or allocation failure.
double* KNOT_Gen(int order, int count);

// Number of knots of the vector (count entries) within tol of u.
int CalKnotMul(const double* knots, int count, double u, double tol = 1e-10);

namespace knot {

// Highest sensible counts; larger requests fail cleanly instead of exhausting memory.
constexpr int kMaxOrder = 32;
constexpr int kMaxCount = 1 << 22;

// True when order and count are usable and the vector is non-decreasing with a non-empty domain.
bool IsValid(int order, int n, const double* knots);

// Span index s (order-1 <= s <= n-1) with U[s] <= u < U[s+1]; the last span for u at the end.
int FindSpan(int n, int p, double u, const double* U);

// Non-zero basis values N[s-p .. s] of degree p at u into N (p + 1 values).
void BasisFuns(int span, double u, int p, const double* U, double* N);

// Basis values and derivatives up to nd into ders[(nd + 1) * (p + 1)]: ders[k * (p + 1) + j]
// is the k-th derivative of N[s-p+j].
void DersBasisFuns(int span, double u, int p, int nd, const double* U, double* ders);

// The body of DersBasisFuns, for a degree p and a count nd that are either ints or fixed at
// compile time (std::integral_constant<int, ...>), so that the evaluators of the common low
// degrees get unrolled loops; the arithmetic is the same step for step in both forms.
template <class Deg>
struct OrderCap {
  static constexpr int value = kMaxOrder;
};
template <int P>
struct OrderCap<std::integral_constant<int, P>> {
  static constexpr int value = P + 1;
};

template <class Deg, class Nd>
void DersBasisFunsT(int span, double u, Deg p, Nd nd, const double* U, double* ders) {
  constexpr int kCap = OrderCap<Deg>::value;
  const int w = p + 1;
  double ndu[kCap][kCap];
  double left[kCap + 1], right[kCap + 1];
  double a[2][kCap];
  ndu[0][0] = 1.0;
  for (int j = 1; j <= p; ++j) {
    left[j] = u - U[span + 1 - j];
    right[j] = U[span + j] - u;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      ndu[j][r] = right[r + 1] + left[j - r];  // lower triangle: knot differences
      const double tmp = ndu[r][j - 1] / ndu[j][r];
      ndu[r][j] = saved + right[r + 1] * tmp;
      saved = left[j - r] * tmp;
    }
    ndu[j][j] = saved;
  }
  for (int j = 0; j <= p; ++j) ders[j] = ndu[j][int(p)];
  for (int k = 1; k <= nd; ++k)
    for (int j = 0; j <= p; ++j) ders[k * w + j] = 0.0;
  const int top = nd < p ? int(nd) : int(p);
  for (int r = 0; r <= p; ++r) {
    int s1 = 0, s2 = 1;
    a[0][0] = 1.0;
    for (int k = 1; k <= top; ++k) {
      double d = 0.0;
      const int rk = r - k, pk = p - k;
      if (r >= k) {
        a[s2][0] = a[s1][0] / ndu[pk + 1][rk];
        d = a[s2][0] * ndu[rk][pk];
      }
      const int j1 = rk >= -1 ? 1 : -rk;
      const int j2 = (r - 1 <= pk) ? k - 1 : p - r;
      for (int j = j1; j <= j2; ++j) {
        a[s2][j] = (a[s1][j] - a[s1][j - 1]) / ndu[pk + 1][rk + j];
        d += a[s2][j] * ndu[rk + j][pk];
      }
      if (r <= pk) {
        a[s2][k] = -a[s1][k - 1] / ndu[pk + 1][r];
        d += a[s2][k] * ndu[r][pk];
      }
      ders[k * w + r] = d;
      const int t = s1;
      s1 = s2;
      s2 = t;
    }
  }
  int f = p;
  for (int k = 1; k <= top; ++k) {
    for (int j = 0; j <= p; ++j) ders[k * w + j] *= f;
    f *= (p - k);
  }
}

}  // namespace knot
