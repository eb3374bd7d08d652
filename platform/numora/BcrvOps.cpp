// Knot insertion, degree elevation, knot removal, splitting, trimming, merging and step
// estimation of B-spline curves (the standard algorithms on homogeneous control points).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/numora/Bcrv.h"
#include "platform/numora/BcrvCore.h"

namespace bcrv {

namespace {

P4 Lerp(const P4& a, const P4& b, double t) {  // (1 - t) a + t b
  return {a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2]),
          a[3] + t * (b[3] - a[3])};
}

double Dist4(const P4& a, const P4& b) { return P3DH_Dist(a.data(), b.data()); }

// Largest absolute homogeneous coordinate: the scale for "exact" removal tolerances.
double Scale(const Spline& s) {
  double m = 1.0;
  for (const P4& q : s.P)
    for (double x : q) m = std::max(m, std::fabs(x));
  return m;
}

int Mult(const std::vector<double>& U, double u) {
  int m = 0;
  for (double k : U)
    if (k == u) ++m;
  return m;
}

}  // namespace

bool SplitAt(const Spline& s, double u, Spline* left, Spline* right) {
  const int p = s.p, n = s.n();
  if (!(u > s.U[size_t(p)] && u < s.U[size_t(n)])) return false;
  Spline w = s;
  // Knots within 1e-12 of u count as u, so that no sliver span remains.
  for (double& k : w.U)
    if (std::fabs(k - u) <= 1e-12) k = u;
  const int have = Mult(w.U, u);
  if (have < p && !InsertKnot(w, u, p - have)) return false;
  const int m = int(w.U.size());
  int F = 0;
  while (F < m && w.U[size_t(F)] != u) ++F;
  int L = F;
  while (L + 1 < m && w.U[size_t(L + 1)] == u) ++L;
  if (left) {
    left->p = p;
    left->P.assign(w.P.begin(), w.P.begin() + F);
    left->U.assign(w.U.begin(), w.U.begin() + F + p);
    left->U.push_back(u);
  }
  if (right) {
    right->p = p;
    right->P.assign(w.P.begin() + (L - p), w.P.end());
    right->U.assign(1, u);
    right->U.insert(right->U.end(), w.U.begin() + (L - p + 1), w.U.end());
  }
  return true;
}

bool InsertKnot(Spline& s, double u, int r) {
  const int p = s.p, n = s.n();
  const std::vector<double>& U = s.U;
  if (!(u > U[size_t(p)] && u < U[size_t(n)])) return false;
  const int k = knot::FindSpan(n, p, u, U.data());
  int sm = 0;
  for (int i = k; i >= 0 && U[size_t(i)] == u; --i) ++sm;
  r = std::min(r, p - sm);
  if (r <= 0) return true;
  std::vector<double> UQ(U.size() + size_t(r));
  for (int i = 0; i <= k; ++i) UQ[size_t(i)] = U[size_t(i)];
  for (int i = 1; i <= r; ++i) UQ[size_t(k + i)] = u;
  for (int i = k + 1; i < int(U.size()); ++i) UQ[size_t(i + r)] = U[size_t(i)];
  std::vector<P4> Q(size_t(n + r));
  for (int i = 0; i <= k - p; ++i) Q[size_t(i)] = s.P[size_t(i)];
  for (int i = k - sm; i < n; ++i) Q[size_t(i + r)] = s.P[size_t(i)];
  std::vector<P4> R(size_t(p - sm + 1));
  for (int i = 0; i <= p - sm; ++i) R[size_t(i)] = s.P[size_t(k - p + i)];
  int L = 0;
  for (int j = 1; j <= r; ++j) {
    L = k - p + j;
    for (int i = 0; i <= p - j - sm; ++i) {
      const double a = (u - U[size_t(L + i)]) / (U[size_t(i + k + 1)] - U[size_t(L + i)]);
      R[size_t(i)] = Lerp(R[size_t(i)], R[size_t(i + 1)], a);
    }
    Q[size_t(L)] = R[0];
    Q[size_t(k + r - j - sm)] = R[size_t(p - j - sm)];
  }
  for (int i = L + 1; i < k - sm; ++i) Q[size_t(i)] = R[size_t(i - L)];
  s.U.swap(UQ);
  s.P.swap(Q);
  return true;
}

bool Refine(Spline& s, const std::vector<double>& X) {
  for (double x : X)
    if (!InsertKnot(s, x, 1)) return false;
  return true;
}

int RemoveKnot(Spline& s, double u, int num, double tol) {
  const int p = s.p, n = s.n() - 1, m = n + p + 1, ord = p + 1;
  std::vector<double>& U = s.U;
  std::vector<P4>& Pw = s.P;
  int r = -1, sm = 0;
  for (int i = 0; i <= m; ++i)
    if (std::fabs(U[size_t(i)] - u) <= 1e-10) { r = i; ++sm; }
  // Only interior knots of the domain can go.
  if (r < 0 || r <= p || r >= n + 1 || num <= 0) return 0;
  u = U[size_t(r)];
  num = std::min(num, sm);
  const int fout = (2 * r - sm - p) / 2;
  int first = r - p, last = r - sm;
  std::vector<P4> temp(size_t(2 * p + 3));
  int t = 0;
  for (; t < num; ++t) {
    const int off = first - 1;
    temp[0] = Pw[size_t(off)];
    temp[size_t(last + 1 - off)] = Pw[size_t(last + 1)];
    int i = first, j = last, ii = 1, jj = last - off;
    bool bad = false;
    while (j - i > t) {
      const double di = U[size_t(i + ord + t)] - U[size_t(i)];
      const double dj = U[size_t(j + ord)] - U[size_t(j - t)];
      if (std::fabs(di) < 1e-10 || std::fabs(dj) < 1e-10) { bad = true; break; }
      const double ai = (u - U[size_t(i)]) / di, aj = (u - U[size_t(j - t)]) / dj;
      if (std::fabs(ai) < 1e-10 || std::fabs(1 - aj) < 1e-10) { bad = true; break; }
      for (int c = 0; c < 4; ++c) {
        temp[size_t(ii)][size_t(c)] =
            (Pw[size_t(i)][size_t(c)] - (1 - ai) * temp[size_t(ii - 1)][size_t(c)]) / ai;
        temp[size_t(jj)][size_t(c)] =
            (Pw[size_t(j)][size_t(c)] - aj * temp[size_t(jj + 1)][size_t(c)]) / (1 - aj);
      }
      ++i; ++ii; --j; --jj;
    }
    if (bad) break;
    bool ok;
    if (j - i < t) {
      ok = Dist4(temp[size_t(ii - 1)], temp[size_t(jj + 1)]) <= tol;
    } else {
      const double di = U[size_t(i + ord + t)] - U[size_t(i)];
      if (std::fabs(di) < 1e-10) break;
      const double ai = (u - U[size_t(i)]) / di;
      ok = Dist4(Pw[size_t(i)], Lerp(temp[size_t(ii - 1)], temp[size_t(ii + t + 1)], ai)) <= tol;
    }
    if (!ok) break;
    i = first;
    j = last;
    while (j - i > t) {
      Pw[size_t(i)] = temp[size_t(i - off)];
      Pw[size_t(j)] = temp[size_t(j - off)];
      ++i; --j;
    }
    --first;
    ++last;
  }
  if (t == 0) return 0;
  for (int k = r + 1; k <= m; ++k) U[size_t(k - t)] = U[size_t(k)];
  int j = fout, i = j;
  for (int k = 1; k < t; ++k) {
    if (k % 2 == 1) ++i; else --j;
  }
  for (int k = i + 1; k <= n; ++k) Pw[size_t(j++)] = Pw[size_t(k)];
  U.resize(U.size() - size_t(t));
  Pw.resize(Pw.size() - size_t(t));
  return t;
}

bool Elevate(Spline& s, int t) {
  if (t <= 0) return true;
  const int p = s.p, ph = p + t;
  if (ph + 1 > knot::kMaxOrder) return false;
  // Distinct interior knots with their multiplicities.
  std::vector<std::pair<double, int>> inner;
  for (int i = p + 1; i < s.n(); ++i) {
    if (!inner.empty() && inner.back().first == s.U[size_t(i)]) ++inner.back().second;
    else inner.push_back({s.U[size_t(i)], 1});
  }
  // Bezier pieces, each elevated on its own, then the added knots removed again.
  Spline w = s;
  for (const auto& [u, mult] : inner)
    if (mult < p && !InsertKnot(w, u, p - mult)) return false;
  if (p == 0 || (w.n() - 1) % p != 0) return false;  // breaks of full multiplicity
  const int segs = (w.n() - 1) / p;
  std::vector<double> bin(size_t(ph + 1) * size_t(ph + 1), 0.0);
  auto C = [&](int a, int b) { return bin[size_t(a) * size_t(ph + 1) + size_t(b)]; };
  for (int a = 0; a <= ph; ++a) {
    bin[size_t(a) * size_t(ph + 1)] = 1.0;
    for (int b = 1; b <= a; ++b)
      bin[size_t(a) * size_t(ph + 1) + size_t(b)] =
          C(a - 1, b - 1) + (b <= a - 1 ? C(a - 1, b) : 0.0);
  }
  Spline e;
  e.p = ph;
  for (int sgi = 0; sgi < segs; ++sgi) {
    const P4* B = &w.P[size_t(sgi * p)];
    for (int i = (sgi == 0 ? 0 : 1); i <= ph; ++i) {
      P4 q{0, 0, 0, 0};
      for (int j = std::max(0, i - t); j <= std::min(p, i); ++j) {
        const double c = C(p, j) * C(t, i - j) / C(ph, i);
        for (int k = 0; k < 4; ++k) q[size_t(k)] += c * B[j][size_t(k)];
      }
      e.P.push_back(q);
    }
  }
  const double a = s.U[size_t(p)], b = s.U[size_t(s.n())];
  e.U.assign(size_t(ph + 1), a);
  for (const auto& [u, mult] : inner) e.U.insert(e.U.end(), size_t(ph), u);
  e.U.insert(e.U.end(), size_t(ph + 1), b);
  if (int(e.U.size()) != e.n() + ph + 1) return false;
  const double tol = 1e-11 * Scale(e);
  for (const auto& [u, mult] : inner) {
    const int extra = p - std::min(mult, p);
    if (extra > 0) RemoveKnot(e, u, extra, tol);
  }
  s = std::move(e);
  return true;
}

bool Extract(const Spline& s, double a, double b, Spline& out) {
  const int p = s.p, n = s.n();
  const double d0 = s.U[size_t(p)], d1 = s.U[size_t(n)];
  a = std::max(a, d0);
  b = std::min(b, d1);
  if (!(b - a > 1e-12)) return false;
  Spline cur = s;
  if (a > d0) {
    Spline r;
    if (!SplitAt(cur, a, nullptr, &r)) return false;
    cur = std::move(r);
  }
  if (b < d1) {
    Spline l;
    if (!SplitAt(cur, b, &l, nullptr)) return false;
    cur = std::move(l);
  }
  Normalize(cur);
  out = std::move(cur);
  return true;
}

void Normalize(Spline& s) {
  KNOT_Regu(s.p + 1, s.n(), s.U.data());
}

void Reverse(Spline& s) {
  std::reverse(s.P.begin(), s.P.end());
  const double a = s.U.front(), b = s.U.back();
  std::reverse(s.U.begin(), s.U.end());
  for (double& k : s.U) k = a + b - k;
}

bool MakeCompatible(std::vector<Spline>& list) {
  if (list.empty()) return false;
  int p = 0;
  for (Spline& s : list) {
    Normalize(s);
    p = std::max(p, s.p);
  }
  for (Spline& s : list)
    if (!Elevate(s, p - s.p)) return false;
  // Union of the interior knots with the highest multiplicity any curve has.
  std::vector<std::pair<double, int>> uni;
  for (const Spline& s : list) {
    for (int i = p + 1; i < s.n();) {
      const double u = s.U[size_t(i)];
      int m = 0;
      while (i < s.n() && std::fabs(s.U[size_t(i)] - u) <= 1e-10) { ++m; ++i; }
      auto it = std::find_if(uni.begin(), uni.end(),
                             [u](const auto& e) { return std::fabs(e.first - u) <= 1e-10; });
      if (it == uni.end()) uni.push_back({u, m});
      else it->second = std::max(it->second, m);
    }
  }
  for (Spline& s : list) {
    for (const auto& [u, m] : uni) {
      for (double& k : s.U)
        if (std::fabs(k - u) <= 1e-10) k = u;
      const int have = Mult(s.U, u);
      if (have < m && !InsertKnot(s, u, m - have)) return false;
    }
  }
  for (Spline& s : list) {
    if (s.U.size() != list[0].U.size()) return false;
    s.U = list[0].U;
  }
  return true;
}

}  // namespace bcrv

using bcrv::P4;
using bcrv::Spline;

int BCRV_ElvDeg(BCRV* crv, int times) {
  Spline s;
  if (times < 0 || times > knot::kMaxOrder || !bcrv::FromBcrv(crv, s)) return 0;
  if (times == 0) return 1;
  if (!bcrv::Elevate(s, times)) return 0;
  return bcrv::Assign(crv, s) ? 1 : 0;
}

int BCRV_InsKnots(BCRV* crv, const double* knots, int count) {
  Spline s;
  if (!knots || count < 0 || count > knot::kMaxCount || !bcrv::FromBcrv(crv, s)) return 0;
  if (count == 0) return 1;
  std::vector<double> X(knots, knots + count);
  for (int i = 0; i + 1 < count; ++i)
    if (!(X[size_t(i)] <= X[size_t(i + 1)])) return 0;
  // Each knot goes in once per occurrence; InsertKnot caps multiplicities at the degree.
  // A knot at a clamped end is already there as often as it can be.
  const double a = s.U[size_t(s.p)], b = s.U[size_t(s.n())];
  for (double x : X) {
    if (std::fabs(x - a) <= 1e-10 || std::fabs(x - b) <= 1e-10) continue;
    if (!bcrv::InsertKnot(s, x, 1)) return 0;
  }
  return bcrv::Assign(crv, s) ? 1 : 0;
}

int BCRV_RemKnot(BCRV* crv, double u, int times, double tol) {
  Spline s;
  if (times <= 0 || !(tol >= 0.0) || !bcrv::FromBcrv(crv, s)) return 0;
  const int r = bcrv::RemoveKnot(s, u, times, tol);
  if (r > 0 && !bcrv::Assign(crv, s)) return 0;
  return r;
}

int BCRV_UniStr(int count, BCRV** curves, double /*tol*/) {
  if (!curves || count < 1 || count > knot::kMaxCount) return 0;
  std::vector<Spline> list(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!bcrv::FromBcrv(curves[i], list[size_t(i)])) return 0;
  if (!bcrv::MakeCompatible(list)) return 0;
  std::vector<BCRV*> made(static_cast<size_t>(count), nullptr);
  for (int i = 0; i < count; ++i) {
    made[size_t(i)] = bcrv::ToBcrv(list[size_t(i)]);
    if (!made[size_t(i)]) {
      BCRV_FreStr(count, made.data());
      return 0;
    }
  }
  for (int i = 0; i < count; ++i) {
    std::swap(*curves[i], *made[size_t(i)]);
    BCRV_Free(made[size_t(i)]);
  }
  return 1;
}

BCRV* BCRV_Trim(const BCRV* crv, double a, double b, double /*tol*/) {
  Spline s, piece;
  if (std::isnan(a) || std::isnan(b) || !bcrv::FromBcrv(crv, s)) return nullptr;
  if (!bcrv::Extract(s, a, b, piece)) return nullptr;
  return bcrv::ToBcrv(piece);
}

int BCRV_Merge(int count, BCRV* const* curves, double tol, BCRV*& out) {
  out = nullptr;
  if (!curves || count < 1 || count > knot::kMaxCount || !(tol >= 0.0)) return 0;
  std::vector<Spline> list(static_cast<size_t>(count));
  int p = 0;
  for (int i = 0; i < count; ++i) {
    if (!bcrv::FromBcrv(curves[i], list[size_t(i)])) return 0;
    p = std::max(p, list[size_t(i)].p);
  }
  std::vector<double> len(static_cast<size_t>(count));
  double total = 0.0;
  for (int i = 0; i < count; ++i) {
    Spline& s = list[size_t(i)];
    if (!bcrv::Elevate(s, p - s.p)) return 0;
    bcrv::Normalize(s);
    double L = 0.0, a[3], b[3];
    for (int k = 1; k < s.n(); ++k) {
      bcrv::ToCart(s.P[size_t(k - 1)], a);
      bcrv::ToCart(s.P[size_t(k)], b);
      L += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
    }
    len[size_t(i)] = L;
    total += L;
  }
  // Degenerate pieces (points) still get a sliver of the domain so that knots increase.
  const double minLen = total > 0.0 ? total * 1e-6 : 1.0;
  total = 0.0;
  for (double& L : len) total += (L = std::max(L, minLen));
  Spline m;
  m.p = p;
  m.U.assign(size_t(p + 1), 0.0);
  double start = 0.0;
  for (int i = 0; i < count; ++i) {
    Spline& s = list[size_t(i)];
    const double span = len[size_t(i)] / total;
    const double end = (i == count - 1) ? 1.0 : start + span;
    if (i > 0) {
      bcrv::P4 prev = m.P.back();
      const bcrv::P4& head = s.P[0];
      double a[3], b[3];
      bcrv::ToCart(prev, a);
      bcrv::ToCart(head, b);
      const double gap = std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                                   (a[2] - b[2]) * (a[2] - b[2]));
      if (gap > tol) return 0;
      // Scale the piece's weights so its first point matches the joint's weight.
      const double f = prev[3] / head[3];
      for (P4& q : s.P)
        for (double& x : q) x *= f;
      const double w = prev[3];
      for (int k = 0; k < 3; ++k) m.P.back()[size_t(k)] = 0.5 * (a[k] + b[k]) * w;
      m.U.insert(m.U.end(), size_t(p), start);
    }
    for (int k = p + 1; k < s.n(); ++k) m.U.push_back(start + s.U[size_t(k)] * (end - start));
    m.P.insert(m.P.end(), s.P.begin() + (i > 0 ? 1 : 0), s.P.end());
    start = end;
  }
  m.U.insert(m.U.end(), size_t(p + 1), 1.0);
  out = bcrv::ToBcrv(m);
  return out ? 1 : 0;
}

int BCRV_GetMaxiStepLin(const BCRV* crv, double tol, double& step) {
  Spline s;
  if (!(tol > 0.0) || !bcrv::FromBcrv(crv, s)) return 0;
  const int p = s.p, n = s.n();
  const double dom = s.U[size_t(n)] - s.U[size_t(p)];
  if (p <= 1) {
    // A polygon: chords may not cut a vertex, so the step is the shortest span.
    double h = dom;
    for (int i = p; i < n; ++i) {
      const double d = s.U[size_t(i + 1)] - s.U[size_t(i)];
      if (d > 0.0) h = std::min(h, d);
    }
    step = h;
    return 1;
  }
  // Chord deviation of a step h is at most h^2/8 max|C''|; |C''| is sampled on every span
  // (exact at the ends for cubics, where it is linear per span).
  double M = 0.0;
  for (int i = p; i < n; ++i) {
    const double a = s.U[size_t(i)], b = s.U[size_t(i + 1)];
    if (!(b > a)) continue;
    for (int k = 0; k <= p; ++k) {
      bcrv::P4 A[3];
      double r[3][3];
      bcrv::EvalH(s, a + (b - a) * k / p, 2, A);
      bcrv::Rational(A, 2, r);
      M = std::max(M, std::sqrt(r[2][0] * r[2][0] + r[2][1] * r[2][1] + r[2][2] * r[2][2]));
    }
  }
  double h = M > 0.0 ? std::sqrt(8.0 * tol / (1.1 * M)) : dom;
  if (!std::isfinite(h)) return 0;
  step = std::clamp(h, dom * 1e-9, dom);
  return 1;
}

double BCRV_InqADDegree(const BCRV* a, const BCRV* b, int mode) {
  if (!BCRV_IsValid(a) || !BCRV_IsValid(b)) return -1.0;
  const double a0 = a->knots[a->order - 1], a1 = a->knots[a->n];
  const double b0 = b->knots[b->order - 1], b1 = b->knots[b->n];
  double sum = 0.0;
  for (int i = 0; i <= 10; ++i) {
    const double t = i / 10.0;
    double P[3], Q[3];
    BCRV_EvPos(a, a0 + t * (a1 - a0), P);
    BCRV_EvPos(b, mode == 1 ? b1 - t * (b1 - b0) : b0 + t * (b1 - b0), Q);
    sum += std::sqrt((P[0] - Q[0]) * (P[0] - Q[0]) + (P[1] - Q[1]) * (P[1] - Q[1]) +
                     (P[2] - Q[2]) * (P[2] - Q[2]));
  }
  return sum / 11.0;
}
