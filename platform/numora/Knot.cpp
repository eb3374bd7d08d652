#include "platform/numora/Knot.h"

#include <cmath>
#include <cstdlib>

namespace knot {

bool IsValid(int order, int n, const double* knots) {
  if (!knots || order < 1 || order > kMaxOrder || n < order || n > kMaxCount) return false;
  for (int i = 0; i + 1 < order + n; ++i) {
    if (!(knots[i] <= knots[i + 1])) return false;  // also rejects NaN
  }
  return knots[order - 1] < knots[n];
}

int FindSpan(int n, int p, double u, const double* U) {
  if (u >= U[n]) {
    int s = n - 1;
    while (s > p && U[s] >= U[n]) --s;  // last non-empty span
    return s;
  }
  if (u <= U[p]) {
    int s = p;
    while (s < n - 1 && U[s + 1] <= U[p]) ++s;
    return s;
  }
  int lo = p, hi = n;
  int mid = (lo + hi) / 2;
  while (u < U[mid] || u >= U[mid + 1]) {
    if (u < U[mid]) hi = mid; else lo = mid;
    mid = (lo + hi) / 2;
  }
  return mid;
}

void BasisFuns(int span, double u, int p, const double* U, double* N) {
  DersBasisFuns(span, u, p, 0, U, N);
}

void DersBasisFuns(int span, double u, int p, int nd, const double* U, double* ders) {
  DersBasisFunsT(span, u, p, nd, U, ders);
}

}  // namespace knot

int KNOT_CalAccumChord(const double (*pts)[3], int n, double* params) {
  if (!pts || !params || n < 1 || n > knot::kMaxCount) return 0;
  params[0] = 0.0;
  for (int i = 1; i < n; ++i) {
    const double dx = pts[i][0] - pts[i - 1][0], dy = pts[i][1] - pts[i - 1][1],
                 dz = pts[i][2] - pts[i - 1][2];
    params[i] = params[i - 1] + std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  const double total = params[n - 1];
  if (!(total > 1e-14) || !std::isfinite(total)) {
    for (int i = 0; i < n; ++i) params[i] = n > 1 ? double(i) / (n - 1) : 0.0;
    return 1;
  }
  for (int i = 1; i < n; ++i) params[i] /= total;
  params[n - 1] = 1.0;
  return 1;
}

int KNOT_CalByAC(int order, int n, const double* params, double* knots) {
  // Averaging needs a degree of at least one.
  if (!params || !knots || order < 2 || order > knot::kMaxOrder || n < order ||
      n > knot::kMaxCount)
    return 0;
  for (int i = 0; i + 1 < n; ++i)
    if (!(params[i] <= params[i + 1])) return 0;
  const int p = order - 1;
  for (int i = 0; i < order; ++i) {
    knots[i] = 0.0;
    knots[n + i] = 1.0;
  }
  for (int j = 1; j < n - p; ++j) {
    double s = 0.0;
    for (int i = j; i < j + p; ++i) s += params[i];
    knots[j + p] = s / p;
  }
  return 1;
}

int KNOT_Regu(int order, int n, double* knots) {
  if (!knots || order < 1 || n < order || n > knot::kMaxCount) return 0;
  const double a = knots[order - 1], b = knots[n];
  if (!(b - a > 0.0) || !std::isfinite(b - a)) return 0;
  const double s = 1.0 / (b - a);
  for (int i = 0; i < order + n; ++i) {
    const double k = (knots[i] - a) * s;
    // Exact ends, so that clamped vectors stay exactly clamped.
    knots[i] = std::fabs(k) < 1e-13 ? 0.0 : (std::fabs(k - 1.0) < 1e-13 ? 1.0 : k);
  }
  return 1;
}

double* KNOT_Gen(int order, int count) {
  if (order < 1 || order > knot::kMaxOrder || count < order || count > knot::kMaxCount)
    return nullptr;
  double* k = static_cast<double*>(std::malloc(sizeof(double) * size_t(order + count)));
  if (!k) return nullptr;
  const int inner = count - order;  // interior knots
  for (int i = 0; i < order; ++i) {
    k[i] = 0.0;
    k[count + i] = 1.0;
  }
  for (int i = 1; i <= inner; ++i) k[order - 1 + i] = double(i) / (inner + 1);
  return k;
}

int CalKnotMul(const double* knots, int count, double u, double tol) {
  if (!knots || count < 1) return 0;
  int m = 0;
  for (int i = 0; i < count; ++i)
    if (std::fabs(knots[i] - u) <= tol) ++m;
  return m;
}
