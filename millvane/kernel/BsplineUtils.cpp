#include "millvane/kernel/BsplineUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/numora/Memory.h"

namespace {

struct CurveFree {
  void operator()(BCRV* c) const { BCRV_Free(c); }
};
using CurvePtr = std::unique_ptr<BCRV, CurveFree>;

// Knot removal over rows of homogeneous points that share one knot vector (a curve is one row).
// Works in place on U (n + order knots) and the rows (n points each); n shrinks.
class KnotRemover {
 public:
  KnotRemover(int order, int& n, double* U, std::vector<double (*)[4]> rows, double tol)
      : p_(order - 1), n_(n), U_(U), rows_(std::move(rows)), tol_(tol) {}

  // Removes every interior value as often as the tolerance allows. degenerate is set when a
  // denominator vanished (the removals before it stay).
  int Run(bool& degenerate) {
    degenerate = false;
    std::vector<double> values;
    for (int i = p_ + 1; i < n_; ++i)
      if (values.empty() || U_[i] - values.back() > 1e-10) values.push_back(U_[i]);
    int total = 0;
    for (double u : values) {
      int r = -1, s = 0;
      for (int i = p_ + 1; i < n_; ++i)
        if (std::fabs(U_[i] - u) <= 1e-10) r = i, ++s;
      if (r < 0) continue;
      const int t = RemoveValue(U_[r], r, s, degenerate);
      total += t;
      if (degenerate) break;
    }
    return total;
  }

 private:
  using P4 = std::array<double, 4>;

  static double Dist4(const double* a, const double* b) {
    double s = 0;
    for (int k = 0; k < 4; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s);
  }

  int RemoveValue(double u, int r, int s, bool& degenerate) {
    const int ord = p_ + 1, m = n_ + p_;  // m: last knot index
    const int fout = (2 * r - s - p_) / 2;
    int first = r - p_, last = r - s, t = 0;
    std::vector<std::vector<P4>> temp(rows_.size(), std::vector<P4>(size_t(2 * p_ + 3)));
    for (t = 0; t < s; ++t) {
      const int off = first - 1;
      bool pass = true;
      for (size_t k = 0; k < rows_.size() && pass; ++k) {
        auto& T = temp[k];
        double (*P)[4] = rows_[k];
        std::copy(P[off], P[off] + 4, T[0].begin());
        std::copy(P[last + 1], P[last + 1] + 4, T[size_t(last + 1 - off)].begin());
        int i = first, j = last, ii = 1, jj = last - off;
        while (j - i > t && pass) {
          const double di = U_[i + ord + t] - U_[i], dj = U_[j + ord] - U_[j - t];
          const double ai = std::fabs(di) < 1e-10 ? 0.0 : (u - U_[i]) / di;
          const double aj = std::fabs(dj) < 1e-10 ? 1.0 : (u - U_[j - t]) / dj;
          if (std::fabs(ai) < 1e-10 || std::fabs(1 - aj) < 1e-10) {
            degenerate = true;
            pass = false;
            break;
          }
          for (int c = 0; c < 4; ++c) {
            T[size_t(ii)][size_t(c)] = (P[i][c] - (1 - ai) * T[size_t(ii - 1)][size_t(c)]) / ai;
            T[size_t(jj)][size_t(c)] = (P[j][c] - aj * T[size_t(jj + 1)][size_t(c)]) / (1 - aj);
          }
          ++i, ++ii, --j, --jj;
        }
        if (!pass) break;
        if (j - i < t) {
          pass = Dist4(T[size_t(ii - 1)].data(), T[size_t(jj + 1)].data()) <= tol_;
        } else {
          const double di = U_[i + ord + t] - U_[i];
          if (std::fabs(di) < 1e-10) {
            degenerate = true;
            pass = false;
            break;
          }
          const double ai = (u - U_[i]) / di;
          double q[4];
          for (int c = 0; c < 4; ++c)
            q[c] = ai * T[size_t(ii + t + 1)][size_t(c)] + (1 - ai) * T[size_t(ii - 1)][size_t(c)];
          pass = Dist4(P[i], q) <= tol_;
        }
      }
      if (!pass) break;
      for (size_t k = 0; k < rows_.size(); ++k) {
        int i = first, j = last;
        while (j - i > t) {
          std::copy(temp[k][size_t(i - off)].begin(), temp[k][size_t(i - off)].end(), rows_[k][i]);
          std::copy(temp[k][size_t(j - off)].begin(), temp[k][size_t(j - off)].end(), rows_[k][j]);
          ++i, --j;
        }
      }
      --first, ++last;
    }
    if (t == 0) return 0;
    for (int k = r + 1; k <= m; ++k) U_[k - t] = U_[k];
    int j = fout, i = j;
    for (int k = 1; k < t; ++k) {
      if (k % 2 == 1) ++i;
      else --j;
    }
    for (auto* P : rows_) {
      int jj = j;
      for (int k = i + 1; k < n_; ++k, ++jj) std::copy(P[k], P[k] + 4, P[jj]);
    }
    n_ -= t;
    return t;
  }

  int p_;
  int& n_;
  double* U_;
  std::vector<double (*)[4]> rows_;
  double tol_;
};

}  // namespace

BCRV* CRV_CloneBcrv(const BCRV* crv) {
  if (!BCRV_IsValid(crv)) return nullptr;
  return crv->Clone();
}

int CRV_NewSegmentBcrv(BCRV*& out, const double pts[2][3]) {
  out = nullptr;
  if (!pts) return 0;
  out = BCRV_New(2, 2);
  if (!out) return 0;
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) out->ctrlPts[i][k] = pts[i][k];
    out->ctrlPts[i][3] = 1.0;
  }
  return 1;
}

int CRV_FitBcrvPoints(int count, const double (*points)[3], int order, BCRV*& out) {
  out = nullptr;
  if (!points || order < 2 || order > knot::kMaxOrder || count < order || count > knot::kMaxCount)
    return 0;
  std::vector<double> t(size_t(count), 0.0);
  CurvePtr c(BCRV_New(order, count));
  if (!c) return -1;
  if (!KNOT_CalAccumChord(points, count, t.data()) || !KNOT_CalByAC(order, count, t.data(), c->knots))
    return 0;
  const int p = order - 1;
  if (order == 2) {
    for (int i = 0; i < count; ++i) {
      std::copy(points[i], points[i] + 3, c->ctrlPts[i]);
      c->ctrlPts[i][3] = 1.0;
    }
    out = c.release();
    return 1;
  }
  // Banded collocation system: row i holds the basis values at t[i] in columns
  // span - p .. span. Totally positive, so elimination needs no pivoting.
  const int w = 2 * p + 1;  // stored band: columns i - p .. i + p
  std::vector<double> A(size_t(count) * size_t(w), 0.0), B(size_t(count) * 3);
  std::vector<double> N(static_cast<size_t>(order));
  for (int i = 0; i < count; ++i) {
    const int span = knot::FindSpan(count, p, t[size_t(i)], c->knots);
    knot::BasisFuns(span, t[size_t(i)], p, c->knots, N.data());
    for (int k = 0; k <= p; ++k) {
      const int col = span - p + k;
      const int off = col - i + p;
      if (off < 0 || off >= w) return 0;
      A[size_t(i) * size_t(w) + size_t(off)] = N[size_t(k)];
    }
    for (int k = 0; k < 3; ++k) B[size_t(i) * 3 + size_t(k)] = points[i][k];
  }
  auto at = [&](int r, int col) -> double& { return A[size_t(r) * size_t(w) + size_t(col - r + p)]; };
  for (int k = 0; k < count; ++k) {
    const double piv = at(k, k);
    if (std::fabs(piv) < 1e-14) return 0;
    for (int r = k + 1; r <= std::min(count - 1, k + p); ++r) {
      const double f = at(r, k) / piv;
      if (f == 0.0) continue;
      for (int col = k; col <= std::min(count - 1, k + p); ++col) at(r, col) -= f * at(k, col);
      for (int d = 0; d < 3; ++d) B[size_t(r) * 3 + size_t(d)] -= f * B[size_t(k) * 3 + size_t(d)];
    }
  }
  for (int k = count - 1; k >= 0; --k) {
    for (int d = 0; d < 3; ++d) {
      double s = B[size_t(k) * 3 + size_t(d)];
      for (int col = k + 1; col <= std::min(count - 1, k + p); ++col)
        s -= at(k, col) * c->ctrlPts[col][d];
      c->ctrlPts[k][d] = s / at(k, k);
    }
    c->ctrlPts[k][3] = 1.0;
  }
  out = c.release();
  return 1;
}

int CRV_MakeCompatible(BCRV* a, BCRV* b) {
  if (!BCRV_IsValid(a) || !BCRV_IsValid(b) || a->n > 1024 || b->n > 1024) return 0;
  if (a->order < b->order && !BCRV_ElvDeg(a, b->order - a->order)) return 0;
  if (b->order < a->order && !BCRV_ElvDeg(b, a->order - b->order)) return 0;
  auto equal = [&] {
    if (a->n != b->n) return false;
    for (int i = 0; i < a->n + a->order; ++i)
      if (std::fabs(a->knots[i] - b->knots[i]) > 1e-10) return false;
    return true;
  };
  if (equal()) return 1;
  // Every knot one curve lacks, with its missing multiplicity, goes into it.
  auto missing = [](const BCRV* from, const BCRV* into) {
    std::vector<double> add;
    const int cf = from->n + from->order, ci = into->n + into->order;
    for (int i = from->order; i < from->n;) {
      const double u = from->knots[i];
      const int mf = CalKnotMul(from->knots, cf, u), mi = CalKnotMul(into->knots, ci, u);
      for (int k = mi; k < mf; ++k) add.push_back(u);
      i += std::max(1, CalKnotMul(from->knots + i, cf - i, u));
    }
    return add;
  };
  const std::vector<double> toA = missing(b, a), toB = missing(a, b);
  if (!toA.empty() && !BCRV_InsKnots(a, toA.data(), int(toA.size()))) return 0;
  if (!toB.empty() && !BCRV_InsKnots(b, toB.data(), int(toB.size()))) return 0;
  return equal() ? 1 : 0;
}

int CRV_RemoveKnots(BCRV* crv, double tol) {
  if (!BCRV_IsValid(crv) || crv->n <= crv->order || !(tol >= 0.0)) return 0;
  // Work on copies: a failed run leaves the curve as it was.
  int n = crv->n;
  std::vector<double> U(crv->knots, crv->knots + crv->n + crv->order);
  std::vector<double> P(size_t(crv->n) * 4);
  std::memcpy(P.data(), crv->ctrlPts, P.size() * sizeof(double));
  bool degenerate = false;
  KnotRemover rem(crv->order, n, U.data(), {reinterpret_cast<double(*)[4]>(P.data())}, tol);
  const int removed = rem.Run(degenerate);
  if (degenerate || removed == 0) return 0;
  double* knots = KNOT_Gen(crv->order, n);
  auto* pts = static_cast<double(*)[4]>(std::malloc(size_t(n) * 4 * sizeof(double)));
  if (!knots || !pts) {
    std::free(knots);
    std::free(pts);
    return 0;
  }
  std::copy(U.begin(), U.begin() + n + crv->order, knots);
  std::memcpy(pts, P.data(), size_t(n) * 4 * sizeof(double));
  std::free(crv->knots);
  std::free(crv->ctrlPts);
  crv->knots = knots;
  crv->ctrlPts = pts;
  crv->n = n;
  return removed;
}

int SRF_NewRuled(const BCRV* first, _nurbs_surface*& out, const BCRV* second) {
  out = nullptr;
  CurvePtr a(CRV_CloneBcrv(first)), b(CRV_CloneBcrv(second));
  if (!a || !b || !CRV_MakeCompatible(a.get(), b.get())) return 0;
  _nurbs_surface* s = BSRF_Create(a->order, 2, a->n, 2);
  if (!s) return -1;
  std::copy(a->knots, a->knots + a->n + a->order, s->uKnots);
  const double vk[4] = {0, 0, 1, 1};
  std::copy(vk, vk + 4, s->vKnots);
  for (int i = 0; i < a->n; ++i)
    for (int c = 0; c < 4; ++c) {
      s->net[0][i][c] = a->ctrlPts[i][c];
      s->net[1][i][c] = b->ctrlPts[i][c];
    }
  out = s;
  return 1;
}

int SRF_NewSkinned(int count, const BCRV* const* curves, int order, _nurbs_surface*& out,
                   double tol) {
  out = nullptr;
  if (!curves || count < 2 || count > knot::kMaxCount) return 0;
  std::vector<BCRV*> copies(size_t(count), nullptr);
  auto freeAll = [&] { BCRV_FreStr(count, copies.data()); };
  for (int i = 0; i < count; ++i) {
    copies[size_t(i)] = CRV_CloneBcrv(curves[i]);
    if (!copies[size_t(i)]) {
      freeAll();
      return 0;
    }
  }
  for (int i = 1; i < count; ++i) {
    const double same = BCRV_InqADDegree(copies[size_t(i - 1)], copies[size_t(i)], 0);
    const double flipped = BCRV_InqADDegree(copies[size_t(i - 1)], copies[size_t(i)], 1);
    if (flipped < same - 1e-6) copies[size_t(i)]->Reverse();
  }
  if (!BCRV_UniStr(count, copies.data(), tol)) {
    freeAll();
    return 0;
  }
  const int n = copies[0]->n;
  NET4D net = NET4D_Create(count, n);
  if (!net) {
    freeAll();
    return -1;
  }
  for (int j = 0; j < count; ++j)
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < 4; ++c) net[j][i][c] = copies[size_t(j)]->ctrlPts[i][c];
  const int rc = BSRF_IntpPs(count, net, copies[0], order == 3 ? 3 : 4, out);
  NET4D_Free(net, count);
  freeAll();
  return rc;
}

int SRF_ReduceKnots(_nurbs_surface* srf, double tol) {
  if (!BSRF_IsValid(srf) || srf->nu <= srf->ku || !(tol >= 0.0)) return 0;
  std::vector<double (*)[4]> rows;
  for (int j = 0; j < srf->nv; ++j) rows.push_back(srf->net[j]);
  int nu = srf->nu;
  bool degenerate = false;
  KnotRemover rem(srf->ku, nu, srf->uKnots, rows, tol);
  const int removed = rem.Run(degenerate);
  if (removed >= 6) {
    double* knots = KNOT_Gen(srf->ku, nu);
    NET4D net = NET4D_Create(srf->nv, nu);
    if (knots && net) {
      std::copy(srf->uKnots, srf->uKnots + nu + srf->ku, knots);
      for (int j = 0; j < srf->nv; ++j)
        std::memcpy(net[j], srf->net[j], size_t(nu) * 4 * sizeof(double));
      std::free(srf->uKnots);
      NET4D_Free(srf->net, srf->nv);
      srf->uKnots = knots;
      srf->net = net;
    } else {
      // The old arrays are large enough for the shorter net.
      std::free(knots);
      NET4D_Free(net, srf->nv);
    }
  }
  srf->nu = nu;
  return removed;
}
