#include "platform/numora/BsrfBound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/numora/Knot.h"

namespace bsrf {

namespace {

using bcrv::P4;

// Bivariate polynomial of degrees (m, n) in Bernstein form with coefficients c[l (m + 1) + k],
// or in scaled form (each coefficient times C(m, k) C(n, l)), where products are plain
// convolutions. A scalar one holds its value in all three channels. Empty (m or n below 0)
// is zero.
struct Poly {
  int m = -1, n = -1;
  std::vector<std::array<double, 3>> c;
};
bool Zero(const Poly& p) { return p.m < 0 || p.n < 0; }
// Derivative across u (dir 0) or v, Bernstein form.
Poly Diff(const Poly& p, int dir) {
  Poly d;
  if ((dir == 0 ? p.m : p.n) < 1) return d;
  d.m = p.m - (dir == 0), d.n = p.n - (dir == 1);
  const double f = dir == 0 ? p.m : p.n;
  for (int l = 0; l <= d.n; ++l)
    for (int k = 0; k <= d.m; ++k) {
      const auto& a = p.c[size_t(l * (p.m + 1) + k)];
      const auto& b = p.c[size_t((l + (dir == 1)) * (p.m + 1) + k + (dir == 0))];
      d.c.push_back({f * (b[0] - a[0]), f * (b[1] - a[1]), f * (b[2] - a[2])});
    }
  return d;
}
double Binom(int n, int k) {
  static const std::vector<double> table = [] {
    constexpr int N = 3 * knot::kMaxOrder + 1;
    std::vector<double> t(size_t(N * N), 0.0);
    for (int i = 0; i < N; ++i) {
      t[size_t(i * N)] = 1;
      for (int j = 1; j <= i; ++j) t[size_t(i * N + j)] = t[size_t((i - 1) * N + j - 1)] + t[size_t((i - 1) * N + j)];
    }
    return t;
  }();
  return table[size_t(n * (3 * knot::kMaxOrder + 1) + k)];
}
Poly Scaled(Poly p) {
  for (int l = 0; l <= p.n; ++l)
    for (int k = 0; k <= p.m; ++k) {
      const double f = Binom(p.m, k) * Binom(p.n, l);
      for (double& v : p.c[size_t(l * (p.m + 1) + k)]) v *= f;
    }
  return p;
}
// Channel-wise product of scaled forms.
Poly Mul(const Poly& p, const Poly& q) {
  Poly r;
  if (Zero(p) || Zero(q)) return r;
  r.m = p.m + q.m, r.n = p.n + q.n;
  r.c.assign(size_t((r.m + 1) * (r.n + 1)), {0, 0, 0});
  for (int l = 0; l <= p.n; ++l)
    for (int k = 0; k <= p.m; ++k) {
      const auto& a = p.c[size_t(l * (p.m + 1) + k)];
      for (int y = 0; y <= q.n; ++y) {
        auto* o = &r.c[size_t((l + y) * (r.m + 1) + k)];
        const auto* b = &q.c[size_t(y * (q.m + 1))];
        for (int x = 0; x <= q.m; ++x)
          for (int i = 0; i < 3; ++i) o[x][size_t(i)] += a[size_t(i)] * b[x][size_t(i)];
      }
    }
  return r;
}
// a p + b q; both of the same degrees (or zero).
Poly Lin(const Poly& p, double a, const Poly& q, double b) {
  const bool hp = !Zero(p), hq = !Zero(q);
  Poly r = hp ? p : q;
  if (!hp && !hq) return r;
  if (hp && hq && (p.m != q.m || p.n != q.n)) {  // cannot happen: the degrees agree by design
    for (auto& v : r.c) v = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    return r;
  }
  for (size_t k = 0; k < r.c.size(); ++k)
    for (int i = 0; i < 3; ++i)
      r.c[k][size_t(i)] = (hp ? a * p.c[k][size_t(i)] : 0) + (hq ? b * q.c[k][size_t(i)] : 0);
  return r;
}
// Degrees raised by (du, dv), scaled form: a product with the scaled form of 1.
Poly Elevate(const Poly& p, int du, int dv) {
  if (Zero(p)) return p;
  Poly one;
  one.m = du, one.n = dv;
  for (int l = 0; l <= dv; ++l)
    for (int k = 0; k <= du; ++k) {
      const double f = Binom(du, k) * Binom(dv, l);
      one.c.push_back({f, f, f});
    }
  return Mul(p, one);
}
// Bound of |n / d| for d with positive coefficients of the same degrees: n / d is a weighted
// mean of the ratios of their coefficients (alike in either form).
double MaxRatio(const Poly& n, const Poly& d) {
  if (Zero(n)) return 0;
  if (n.m != d.m || n.n != d.n) return HUGE_VAL;
  double r = 0;
  for (size_t k = 0; k < n.c.size(); ++k) {
    const auto& v = n.c[k];
    if (!(d.c[k][0] > 0)) return HUGE_VAL;
    r = std::max(r, std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) / d.c[k][0]);
  }
  return r;
}

// Blossom of the degree-p B-spline piece on knot span s (control points ctrl[0..p], those of
// s - p .. s) at the arguments t[0..p-1].
P4 Blossom(const std::vector<double>& K, int p, int s, const P4* ctrl, const double* t) {
  P4 d[knot::kMaxOrder];
  std::copy(ctrl, ctrl + p + 1, d);
  for (int r = 1; r <= p; ++r)
    for (int i = p; i >= r; --i) {
      const int g = s - p + i;
      const double den = K[size_t(g + p + 1 - r)] - K[size_t(g)];
      const double al = den > 0 ? (t[r - 1] - K[size_t(g)]) / den : 0.0;
      for (int c = 0; c < 4; ++c) d[i][size_t(c)] = (1 - al) * d[i - 1][size_t(c)] + al * d[i][size_t(c)];
    }
  return d[p];
}

}  // namespace

CellTerms CellBound(const Surf& s, int su, int sv, double a, double b, double c, double d,
                    bool rational, double target, std::vector<P4>& rows, std::vector<P4>& net) {
  const int pu = s.pu, pv = s.pv;
  double tu[knot::kMaxOrder], tv[knot::kMaxOrder];
  // Rows of the cell net in u, then each column in v.
  std::vector<P4>& R = rows;
  std::vector<P4>& Q = net;
  R.resize(size_t(pu + 1) * size_t(pv + 1));
  Q.resize(R.size());
  P4 ctrl[knot::kMaxOrder];
  for (int jj = 0; jj <= pv; ++jj) {
    for (int i = 0; i <= pu; ++i) ctrl[i] = s.at(su - pu + i, sv - pv + jj);
    for (int k = 0; k <= pu; ++k) {
      for (int r = 0; r < pu; ++r) tu[r] = r < pu - k ? a : b;
      R[size_t(jj) * size_t(pu + 1) + size_t(k)] = Blossom(s.U, pu, su, ctrl, tu);
    }
  }
  for (int k = 0; k <= pu; ++k) {
    for (int jj = 0; jj <= pv; ++jj) ctrl[jj] = R[size_t(jj) * size_t(pu + 1) + size_t(k)];
    for (int l = 0; l <= pv; ++l) {
      for (int r = 0; r < pv; ++r) tv[r] = r < pv - l ? c : d;
      Q[size_t(l) * size_t(pu + 1) + size_t(k)] = Blossom(s.V, pv, sv, ctrl, tv);
    }
  }
  auto at = [&](int k, int l) -> const P4& { return Q[size_t(l) * size_t(pu + 1) + size_t(k)]; };
  // Centre of the cell's points, their radius about it and the smallest weight.
  double wmin = 1e300, c0[3] = {0, 0, 0};
  for (const P4& q : Q) {
    if (!(q[3] > 0)) return {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    wmin = std::min(wmin, q[3]);
    for (int m = 0; m < 3; ++m) c0[m] += q[size_t(m)] / q[3] / double(Q.size());
  }
  double rad = 0;
  for (const P4& q : Q) {
    double r2 = 0;
    for (int m = 0; m < 3; ++m) r2 += std::pow(q[size_t(m)] / q[3] - c0[m], 2);
    rad = std::max(rad, std::sqrt(r2));
  }
  // Bounds of the derivatives of order (dk, dl) of the translated numerator B = A - c0 w and
  // of the weight w: the largest differences of the net, times the degree factors.
  struct Der {
    double b = 0, w = 0;
  };
  auto der = [&](int dk, int dl) {
    Der out;
    if (dk > pu || dl > pv) return out;
    static constexpr double kBinom[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};
    double f = 1;
    for (int r = 0; r < dk; ++r) f *= pu - r;
    for (int r = 0; r < dl; ++r) f *= pv - r;
    for (int l = 0; l + dl <= pv; ++l)
      for (int k = 0; k + dk <= pu; ++k) {
        double v[4] = {0, 0, 0, 0};
        for (int y = 0; y <= dl; ++y)
          for (int x = 0; x <= dk; ++x) {
            const double c = kBinom[dk][x] * kBinom[dl][y] * (((dk - x + dl - y) & 1) ? -1 : 1);
            const P4& q = at(k + x, l + y);
            for (int m = 0; m < 4; ++m) v[m] += c * q[size_t(m)];
          }
        const double bx = v[0] - c0[0] * v[3], by = v[1] - c0[1] * v[3], bz = v[2] - c0[2] * v[3];
        out.b = std::max(out.b, std::sqrt(bx * bx + by * by + bz * bz));
        out.w = std::max(out.w, std::fabs(v[3]));
      }
    out.b *= f;
    out.w *= f;
    return out;
  };
  // Bounds of the derivatives of T = B / w = S - c0 by the quotient rule (Leibniz on B = w T).
  const Der s1 = der(1, 0), t1 = der(0, 1), ss = der(2, 0), st = der(1, 1), tt = der(0, 2);
  const double gs = (s1.b + rad * s1.w) / wmin, gt = (t1.b + rad * t1.w) / wmin;
  double hss = (ss.b + 2 * s1.w * gs + ss.w * rad) / wmin;
  double htt = (tt.b + 2 * t1.w * gt + tt.w * rad) / wmin;
  double hst = (st.b + s1.w * gt + t1.w * gs + st.w * rad) / wmin;
  if (rational && (hss + 2 * hst + htt) / 8 > target) {
    // The quotient rule loses the cancellation between its terms. Second derivatives at the
    // centre plus their largest change across the half cell bound them more closely where
    // the third derivatives are small.
    const Der sss = der(3, 0), sst = der(2, 1), stt = der(1, 2), ttt = der(0, 3);
    const double tsss = (sss.b + 3 * s1.w * hss + 3 * ss.w * gs + sss.w * rad) / wmin;
    const double tttt = (ttt.b + 3 * t1.w * htt + 3 * tt.w * gt + ttt.w * rad) / wmin;
    const double tsst = (sst.b + 2 * s1.w * hst + t1.w * hss + ss.w * gt + 2 * st.w * gs + sst.w * rad) / wmin;
    const double tstt = (stt.b + 2 * t1.w * hst + s1.w * htt + tt.w * gs + 2 * st.w * gt + stt.w * rad) / wmin;
    double S[3][3][3];
    if (bsrf::Eval(s, 0.5 * (a + b), 0.5 * (c + d), 2, S)) {
      auto norm = [](const double* x) { return std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]); };
      const double hu = b - a, hv = d - c;
      const double css = norm(S[2][0]) * hu * hu + 0.5 * (tsss + tsst);
      const double ctt = norm(S[0][2]) * hv * hv + 0.5 * (tstt + tttt);
      const double cst = norm(S[1][1]) * hu * hv + 0.5 * (tsst + tstt);
      hss = std::min(hss, css);
      htt = std::min(htt, ctt);
      hst = std::min(hst, cst);
    }
  }
  if (rational && (hss + 2 * hst + htt) / 8 > target) {
    // The numerators of the second derivatives over w^3 are polynomials: their Bernstein
    // coefficients keep the cancellation whatever the cell's shape.
    Poly A, W;
    A.m = W.m = pu, A.n = W.n = pv;
    for (int l = 0; l <= pv; ++l)
      for (int k = 0; k <= pu; ++k) {
        const P4& q = at(k, l);
        A.c.push_back({q[0] - c0[0] * q[3], q[1] - c0[1] * q[3], q[2] - c0[2] * q[3]});
        W.c.push_back({q[3], q[3], q[3]});
      }
    const Poly as = Diff(A, 0), at = Diff(A, 1), ws = Diff(W, 0), wt = Diff(W, 1);
    const Poly Ass = Scaled(Diff(as, 0)), Ast = Scaled(Diff(as, 1)), Att = Scaled(Diff(at, 1));
    const Poly Wss = Scaled(Diff(ws, 0)), Wst = Scaled(Diff(ws, 1)), Wtt = Scaled(Diff(wt, 1));
    const Poly As = Scaled(as), At = Scaled(at), Ws = Scaled(ws), Wt = Scaled(wt);
    A = Scaled(A);
    W = Scaled(W);
    const Poly Ns = Lin(Mul(W, As), 1, Mul(A, Ws), -1), Nt = Lin(Mul(W, At), 1, Mul(A, Wt), -1);
    const Poly Nss = Lin(Mul(W, Lin(Mul(W, Ass), 1, Mul(A, Wss), -1)), 1, Mul(Ws, Ns), -2);
    const Poly Ntt = Lin(Mul(W, Lin(Mul(W, Att), 1, Mul(A, Wtt), -1)), 1, Mul(Wt, Nt), -2);
    const Poly Nst = Lin(Mul(W, Lin(Lin(Mul(W, Ast), 1, Mul(As, Wt), 1), 1,
                                     Lin(Mul(At, Ws), 1, Mul(A, Wst), 1), -1)),
                         1, Mul(Wt, Ns), -2);
    const Poly W3 = Mul(W, Mul(W, W));
    hss = std::min(hss, MaxRatio(Elevate(Nss, 2, 0), W3));
    htt = std::min(htt, MaxRatio(Elevate(Ntt, 0, 2), W3));
    hst = std::min(hst, MaxRatio(Elevate(Nst, 1, 1), W3));
  }
  CellTerms out{hss, hst, htt};
  if (!std::isfinite(out.Sum())) out = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  return out;
}

}  // namespace bsrf
