// _nurbs_surface records: nets, allocation, evaluation, normals, steps, nearest points,
// parameter ranges and transforms.
#include "platform/numora/Bsrf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/numora/BsrfCore.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Matrix.h"

NET4D NET4D_Create(int rows, int columns) {
  if (rows < 1 || columns < 1 || rows > knot::kMaxCount || columns > knot::kMaxCount ||
      double(rows) * columns > double(knot::kMaxCount))
    return nullptr;
  NET4D net = static_cast<NET4D>(std::calloc(size_t(rows), sizeof(double(*)[4])));
  if (!net) return nullptr;
  for (int j = 0; j < rows; ++j) {
    net[j] = static_cast<double(*)[4]>(std::malloc(sizeof(double[4]) * size_t(columns)));
    if (!net[j]) {
      NET4D_Free(net, j);
      return nullptr;
    }
    for (int i = 0; i < columns; ++i) {
      net[j][i][0] = net[j][i][1] = net[j][i][2] = 0.0;
      net[j][i][3] = 1.0;
    }
  }
  return net;
}

void NET4D_Free(NET4D net, int rows) {
  if (!net) return;
  for (int j = 0; j < rows; ++j) std::free(net[j]);
  std::free(net);
}

namespace bsrf {

namespace {

_nurbs_surface* Alloc(int ku, int kv, int nu, int nv) {
  if (ku < 1 || kv < 1 || ku > knot::kMaxOrder || kv > knot::kMaxOrder || nu < ku || nv < kv ||
      nu > knot::kMaxCount || nv > knot::kMaxCount)
    return nullptr;
  auto* s = static_cast<_nurbs_surface*>(std::calloc(1, sizeof(_nurbs_surface)));
  if (!s) return nullptr;
  s->ku = ku;
  s->kv = kv;
  s->nu = nu;
  s->nv = nv;
  s->uKnots = static_cast<double*>(std::malloc(sizeof(double) * size_t(ku + nu)));
  s->vKnots = static_cast<double*>(std::malloc(sizeof(double) * size_t(kv + nv)));
  s->net = NET4D_Create(nv, nu);
  if (!s->uKnots || !s->vKnots || !s->net) {
    BSRF_Free(s);
    return nullptr;
  }
  return s;
}

}  // namespace

bool FromSrf(const _nurbs_surface* srf, Surf& s) {
  if (!BSRF_IsValid(srf)) return false;
  s.pu = srf->ku - 1;
  s.pv = srf->kv - 1;
  s.nu = srf->nu;
  s.nv = srf->nv;
  s.U.assign(srf->uKnots, srf->uKnots + srf->ku + srf->nu);
  s.V.assign(srf->vKnots, srf->vKnots + srf->kv + srf->nv);
  s.P.resize(size_t(s.nu) * size_t(s.nv));
  for (int j = 0; j < s.nv; ++j)
    for (int i = 0; i < s.nu; ++i)
      for (int c = 0; c < 4; ++c) s.at(i, j)[size_t(c)] = srf->net[j][i][c];
  return true;
}

_nurbs_surface* ToSrf(const Surf& s) {
  if (int(s.U.size()) != s.nu + s.pu + 1 || int(s.V.size()) != s.nv + s.pv + 1 ||
      s.P.size() != size_t(s.nu) * size_t(s.nv))
    return nullptr;
  _nurbs_surface* r = Alloc(s.pu + 1, s.pv + 1, s.nu, s.nv);
  if (!r) return nullptr;
  std::memcpy(r->uKnots, s.U.data(), sizeof(double) * s.U.size());
  std::memcpy(r->vKnots, s.V.data(), sizeof(double) * s.V.size());
  for (int j = 0; j < s.nv; ++j)
    for (int i = 0; i < s.nu; ++i)
      for (int c = 0; c < 4; ++c) r->net[j][i][c] = s.at(i, j)[size_t(c)];
  return r;
}

std::vector<Spline> Rows(const Surf& s) {
  std::vector<Spline> r(static_cast<size_t>(s.nv));
  for (int j = 0; j < s.nv; ++j) {
    r[size_t(j)].p = s.pu;
    r[size_t(j)].U = s.U;
    r[size_t(j)].P.assign(s.P.begin() + ptrdiff_t(j) * s.nu, s.P.begin() + ptrdiff_t(j + 1) * s.nu);
  }
  return r;
}

std::vector<Spline> Cols(const Surf& s) {
  std::vector<Spline> c(static_cast<size_t>(s.nu));
  for (int i = 0; i < s.nu; ++i) {
    c[size_t(i)].p = s.pv;
    c[size_t(i)].U = s.V;
    c[size_t(i)].P.resize(size_t(s.nv));
    for (int j = 0; j < s.nv; ++j) c[size_t(i)].P[size_t(j)] = s.at(i, j);
  }
  return c;
}

bool FromRows(const std::vector<Spline>& rows, int pv, const std::vector<double>& V, Surf& s) {
  if (rows.empty()) return false;
  s.pu = rows[0].p;
  s.U = rows[0].U;
  s.nu = rows[0].n();
  s.pv = pv;
  s.V = V;
  s.nv = int(rows.size());
  s.P.clear();
  for (const Spline& r : rows) {
    if (r.n() != s.nu || r.p != s.pu) return false;
    s.P.insert(s.P.end(), r.P.begin(), r.P.end());
  }
  return int(V.size()) == s.nv + pv + 1;
}

bool FromCols(const std::vector<Spline>& cols, int pu, const std::vector<double>& U, Surf& s) {
  if (cols.empty()) return false;
  s.pv = cols[0].p;
  s.V = cols[0].U;
  s.nv = cols[0].n();
  s.pu = pu;
  s.U = U;
  s.nu = int(cols.size());
  s.P.assign(size_t(s.nu) * size_t(s.nv), P4{});
  for (int i = 0; i < s.nu; ++i) {
    if (cols[size_t(i)].n() != s.nv || cols[size_t(i)].p != s.pv) return false;
    for (int j = 0; j < s.nv; ++j) s.at(i, j) = cols[size_t(i)].P[size_t(j)];
  }
  return int(U.size()) == s.nu + pu + 1;
}

void Normalize(Surf& s) {
  KNOT_Regu(s.pu + 1, s.nu, s.U.data());
  KNOT_Regu(s.pv + 1, s.nv, s.V.data());
}

bool Rational(const P4 A[3][3], int nd, double S[3][3][3]) {
  const double w = A[0][0][3];
  if (!(w > 0.0)) return false;
  auto W = [&](int k, int l) { return A[k][l][3]; };
  for (int c = 0; c < 3; ++c) {
    S[0][0][c] = A[0][0][size_t(c)] / w;
    if (nd >= 1) {
      S[1][0][c] = (A[1][0][size_t(c)] - W(1, 0) * S[0][0][c]) / w;
      S[0][1][c] = (A[0][1][size_t(c)] - W(0, 1) * S[0][0][c]) / w;
    }
    if (nd >= 2) {
      S[2][0][c] = (A[2][0][size_t(c)] - 2 * W(1, 0) * S[1][0][c] - W(2, 0) * S[0][0][c]) / w;
      S[0][2][c] = (A[0][2][size_t(c)] - 2 * W(0, 1) * S[0][1][c] - W(0, 2) * S[0][0][c]) / w;
      S[1][1][c] = (A[1][1][size_t(c)] - W(1, 0) * S[0][1][c] - W(0, 1) * S[1][0][c] -
                    W(1, 1) * S[0][0][c]) / w;
    }
  }
  return true;
}

void EvalH(const Surf& s, double u, double v, int nd, P4 A[3][3]) {
  EvalRaw(s.pu, s.nu, s.U.data(), s.pv, s.nv, s.V.data(),
          [&](int j) {
            return reinterpret_cast<const double(*)[4]>(s.P.data() + size_t(j) * size_t(s.nu));
          },
          u, v, nd, A);
}

bool Eval(const Surf& s, double u, double v, int nd, double S[3][3][3]) {
  P4 A[3][3];
  EvalH(s, u, v, nd, A);
  return Rational(A, nd, S);
}

}  // namespace bsrf

using bsrf::P4;
using bsrf::Surf;

bool BSRF_IsValid(const _nurbs_surface* srf) {
  if (!srf || !srf->net || !knot::IsValid(srf->ku, srf->nu, srf->uKnots) ||
      !knot::IsValid(srf->kv, srf->nv, srf->vKnots))
    return false;
  for (int j = 0; j < srf->nv; ++j) {
    if (!srf->net[j]) return false;
    for (int i = 0; i < srf->nu; ++i) {
      const double* q = srf->net[j][i];
      if (!(q[3] > 0.0) || !std::isfinite(q[0] + q[1] + q[2] + q[3])) return false;
    }
  }
  return true;
}

_nurbs_surface* BSRF_Create(int ku, int kv, int nu, int nv) {
  _nurbs_surface* s = bsrf::Alloc(ku, kv, nu, nv);
  if (!s) return nullptr;
  double* a = KNOT_Gen(ku, nu);
  double* b = KNOT_Gen(kv, nv);
  if (!a || !b) {
    std::free(a);
    std::free(b);
    BSRF_Free(s);
    return nullptr;
  }
  std::memcpy(s->uKnots, a, sizeof(double) * size_t(ku + nu));
  std::memcpy(s->vKnots, b, sizeof(double) * size_t(kv + nv));
  std::free(a);
  std::free(b);
  return s;
}

void BSRF_Free(_nurbs_surface* srf) {
  if (!srf) return;
  std::free(srf->uKnots);
  std::free(srf->vKnots);
  NET4D_Free(srf->net, srf->nv);
  std::free(srf);
}

_nurbs_surface* BSRF_Clone(const _nurbs_surface* srf) {
  Surf s;
  if (!bsrf::FromSrf(srf, s)) return nullptr;
  return bsrf::ToSrf(s);
}

namespace {

// Cheap checks for the evaluators (a full scan would make each call O(nu nv)).
bool EvalReady(const _nurbs_surface* s) {
  return s && s->net && s->uKnots && s->vKnots && s->ku >= 1 && s->kv >= 1 &&
         s->ku <= knot::kMaxOrder && s->kv <= knot::kMaxOrder && s->nu >= s->ku &&
         s->nv >= s->kv && s->nu <= knot::kMaxCount && s->nv <= knot::kMaxCount &&
         s->uKnots[s->ku - 1] < s->uKnots[s->nu] && s->vKnots[s->kv - 1] < s->vKnots[s->nv];
}

// f(0), f(1), ..., f(N - 1) in this order, each index a compile-time constant.
template <int N, class F>
inline void Unrolled(F&& f) {
  [&]<size_t... I>(std::index_sequence<I...>) {
    (f(std::integral_constant<int, int(I)>{}), ...);
  }(std::make_index_sequence<size_t(N)>{});
}

// Homogeneous evaluation (bsrf::EvalRaw) with the degrees and nd fixed at compile time, so
// that its loops unroll; every sum is formed in EvalRaw's order, to the same last bit.
template <int PU, int PV, int ND>
void EvalFixed(const _nurbs_surface* s, double u, double v, P4 A[3][3]) {
  const double *U = s->uKnots, *V = s->vKnots;
  const int nu = s->nu, nv = s->nv;
  u = std::clamp(u, U[PU], U[nu]);
  v = std::clamp(v, V[PV], V[nv]);
  auto span = [](int n, int p, double t, const double* K) {
    if (t >= K[n]) return knot::FindSpan(n, p, t, K);
    const int sp = int(std::upper_bound(K + p, K + n + 1, t) - K) - 1;
    return std::clamp(sp, p, n - 1);
  };
  const int su = span(nu, PU, u, U), sv = span(nv, PV, v, V);
  using DegU = std::integral_constant<int, PU>;
  using DegV = std::integral_constant<int, PV>;
  using Nd = std::integral_constant<int, ND>;
  double Nu[(ND + 1) * (PU + 1)], Nv[(ND + 1) * (PV + 1)];
  knot::DersBasisFunsT(su, u, DegU{}, Nd{}, U, Nu);
  knot::DersBasisFunsT(sv, v, DegV{}, Nd{}, V, Nv);
  double acc[ND + 1][ND + 1][4] = {};
  Unrolled<PV + 1>([&](auto j) {
    const double (*row)[4] = s->net[sv - PV + j] + (su - PU);
    double T[ND + 1][4];
    Unrolled<ND + 1>([&](auto k) {
      double t[4] = {0, 0, 0, 0};
      Unrolled<PU + 1>([&](auto i) {
        const double b = Nu[k * (PU + 1) + i];
        Unrolled<4>([&](auto c) { t[c] += b * row[i][c]; });
      });
      Unrolled<4>([&](auto c) { T[k][c] = t[c]; });
    });
    Unrolled<ND + 1>([&](auto k) {
      Unrolled<ND + 1 - k>([&](auto l) {
        const double bv = Nv[l * (PV + 1) + j];
        Unrolled<4>([&](auto c) { acc[k][l][c] += bv * T[k][c]; });
      });
    });
  });
  for (int k = 0; k <= ND; ++k)
    for (int l = 0; l <= ND - k; ++l)
      for (int c = 0; c < 4; ++c) A[k][l][size_t(c)] = acc[k][l][c];
}

using EvalFn = void (*)(const _nurbs_surface*, double, double, P4[3][3]);

template <int PU, int PV>
constexpr std::array<EvalFn, 3> kFixedByNd = {&EvalFixed<PU, PV, 0>, &EvalFixed<PU, PV, 1>,
                                              &EvalFixed<PU, PV, 2>};

// Degrees 1 to 3 in either direction: [pu - 1][pv - 1][nd].
constexpr std::array<std::array<std::array<EvalFn, 3>, 3>, 3> kFixed = {{
    {kFixedByNd<1, 1>, kFixedByNd<1, 2>, kFixedByNd<1, 3>},
    {kFixedByNd<2, 1>, kFixedByNd<2, 2>, kFixedByNd<2, 3>},
    {kFixedByNd<3, 1>, kFixedByNd<3, 2>, kFixedByNd<3, 3>},
}};

int Evaluate(const _nurbs_surface* s, double u, double v, int nd, double S[3][3][3]) {
  if (!EvalReady(s) || std::isnan(u) || std::isnan(v)) return 0;
  P4 A[3][3];
  const int pu = s->ku - 1, pv = s->kv - 1;
  if (pu >= 1 && pu <= 3 && pv >= 1 && pv <= 3 && nd >= 0 && nd <= 2)
    kFixed[size_t(pu - 1)][size_t(pv - 1)][size_t(nd)](s, u, v, A);
  else
    bsrf::EvalRaw(pu, s->nu, s->uKnots, pv, s->nv, s->vKnots,
                  [s](int j) -> const double (*)[4] { return s->net[j]; }, u, v, nd, A);
  if (!bsrf::Rational(A, nd, S)) return 0;
  for (int k = 0; k <= nd; ++k)
    for (int l = 0; l <= nd - k; ++l)
      for (int c = 0; c < 3; ++c)
        if (!std::isfinite(S[k][l][c])) return 0;
  return 1;
}

void Put(double* out, const double* in) { std::memcpy(out, in, 3 * sizeof(double)); }

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double* a, const double* b, double* o) {
  o[0] = a[1] * b[2] - a[2] * b[1];
  o[1] = a[2] * b[0] - a[0] * b[2];
  o[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

int BSRF_EvPos(const _nurbs_surface* srf, double u, double v, double p[3]) {
  double S[3][3][3];
  if (!p || !Evaluate(srf, u, v, 0, S)) return 0;
  Put(p, S[0][0]);
  return 1;
}

int BSRF_Ev1Der(const _nurbs_surface* srf, double u, double v, double p[3], double su[3],
                double sv[3]) {
  double S[3][3][3];
  if (!p || !su || !sv || !Evaluate(srf, u, v, 1, S)) return 0;
  Put(p, S[0][0]);
  Put(su, S[1][0]);
  Put(sv, S[0][1]);
  return 1;
}

int BSRF_Ev2Der(const _nurbs_surface* srf, double u, double v, double p[3], double su[3],
                double sv[3], double suu[3], double suv[3], double svv[3]) {
  double S[3][3][3];
  if (!p || !su || !sv || !suu || !suv || !svv || !Evaluate(srf, u, v, 2, S)) return 0;
  Put(p, S[0][0]);
  Put(su, S[1][0]);
  Put(sv, S[0][1]);
  Put(suu, S[2][0]);
  Put(suv, S[1][1]);
  Put(svv, S[0][2]);
  return 1;
}

int BSRF_EvNormal(const _nurbs_surface* srf, double u, double v, double p[3], double n[3]) {
  double S[3][3][3];
  if (!p || !n || !Evaluate(srf, u, v, 1, S)) return 0;
  const double u0 = srf->uKnots[srf->ku - 1], u1 = srf->uKnots[srf->nu];
  const double v0 = srf->vKnots[srf->kv - 1], v1 = srf->vKnots[srf->nv];
  u = std::clamp(u, u0, u1);
  v = std::clamp(v, v0, v1);
  // Degenerate when the cross product is negligible against the larger partial (a pole).
  auto defined = [](const double (*D)[3][3], double* nn) {
    Cross(D[1][0], D[0][1], nn);
    const double big = std::max(Dot(D[1][0], D[1][0]), Dot(D[0][1], D[0][1]));
    const double len = std::sqrt(Dot(nn, nn));
    return len > 1e-300 && len > 1e-10 * big;
  };
  double nn[3];
  bool ok = defined(S, nn);
  // A collapsed edge or pole: the limit from just inside the domain.
  for (double h = 1e-6; !ok && h < 0.2; h *= 10) {
    const double uu = u + (u < 0.5 * (u0 + u1) ? 1 : -1) * h * (u1 - u0);
    const double vv = v + (v < 0.5 * (v0 + v1) ? 1 : -1) * h * (v1 - v0);
    double T[3][3][3];
    if (!Evaluate(srf, uu, vv, 1, T)) return 0;
    ok = defined(T, nn);
  }
  const double len = std::sqrt(Dot(nn, nn));
  if (!ok) return 0;
  Put(p, S[0][0]);
  for (int c = 0; c < 3; ++c) n[c] = nn[c] / len;
  return 1;
}

int BSRF_GetMaxiStepLin(const _nurbs_surface* srf, double tol, double* du, double* dv) {
  Surf s;
  if (!du || !dv || !(tol > 0.0) || !bsrf::FromSrf(srf, s)) return 0;
  const double u0 = s.U[size_t(s.pu)], u1 = s.U[size_t(s.nu)];
  const double v0 = s.V[size_t(s.pv)], v1 = s.V[size_t(s.nv)];
  // Sample points: every span at degree + 1 places, at most ~120 per direction.
  auto samples = [](const std::vector<double>& K, int p, int n) {
    std::vector<double> t;
    const int spans = n - p;
    const int per = std::max(1, std::min(p + 1, 120 / std::max(spans, 1)));
    const int stride = std::max(1, spans / 120);
    for (int i = p; i < n; i += stride) {
      const double a = K[size_t(i)], b = K[size_t(i + 1)];
      if (!(b > a)) continue;
      for (int k = 0; k <= per; ++k) t.push_back(a + (b - a) * k / per);
    }
    return t;
  };
  const std::vector<double> tu = samples(s.U, s.pu, s.nu), tv = samples(s.V, s.pv, s.nv);
  double Muu = 0, Mvv = 0, Muv = 0;
  for (double u : tu)
    for (double v : tv) {
      double S[3][3][3];
      if (!bsrf::Eval(s, u, v, 2, S)) return 0;
      Muu = std::max(Muu, std::sqrt(Dot(S[2][0], S[2][0])));
      Mvv = std::max(Mvv, std::sqrt(Dot(S[0][2], S[0][2])));
      Muv = std::max(Muv, std::sqrt(Dot(S[1][1], S[1][1])));
    }
  // A degree-1 direction must not step across its knots (the surface creases there).
  auto minSpan = [](const std::vector<double>& K, int p, int n) {
    double h = K[size_t(n)] - K[size_t(p)];
    for (int i = p; i < n; ++i)
      if (K[size_t(i + 1)] > K[size_t(i)]) h = std::min(h, K[size_t(i + 1)] - K[size_t(i)]);
    return h;
  };
  // Error of a triangle of steps (a, b): a^2/8 Muu + a b/4 Muv + b^2/8 Mvv; split tol in three.
  double a = Muu > 0 ? std::sqrt(8 * tol / 3 / (1.1 * Muu)) : u1 - u0;
  double b = Mvv > 0 ? std::sqrt(8 * tol / 3 / (1.1 * Mvv)) : v1 - v0;
  a = std::min(a, s.pu <= 1 ? minSpan(s.U, s.pu, s.nu) : u1 - u0);
  b = std::min(b, s.pv <= 1 ? minSpan(s.V, s.pv, s.nv) : v1 - v0);
  const double cross = a * b / 4 * 1.1 * Muv;
  if (cross > tol / 3) {
    const double f = std::sqrt(tol / 3 / cross);
    a *= f;
    b *= f;
  }
  if (!std::isfinite(a) || !std::isfinite(b)) return 0;
  *du = std::clamp(a, (u1 - u0) * 1e-9, u1 - u0);
  *dv = std::clamp(b, (v1 - v0) * 1e-9, v1 - v0);
  return 1;
}

namespace {

// Newton iteration for the foot of p from (u, v), kept inside the domain (a parameter at a
// bound whose gradient points outwards stays fixed) and monotone by step halving.
// Returns the distance reached; foot, u, v belong together.
double Newton(const Surf& s, const double p[3], double tol, double& u, double& v, double foot[3]) {
  const double u0 = s.U[size_t(s.pu)], u1 = s.U[size_t(s.nu)];
  const double v0 = s.V[size_t(s.pv)], v1 = s.V[size_t(s.nv)];
  auto dist = [&](double a, double b, double* q) {
    double T[3][3][3];
    bsrf::Eval(s, a, b, 0, T);
    Put(q, T[0][0]);
    return std::sqrt((q[0] - p[0]) * (q[0] - p[0]) + (q[1] - p[1]) * (q[1] - p[1]) +
                     (q[2] - p[2]) * (q[2] - p[2]));
  };
  double S[3][3][3];
  double d = dist(u, v, foot);
  for (int it = 0; it < 60 && d > 0.0; ++it) {
    bsrf::Eval(s, u, v, 2, S);
    const double r[3] = {S[0][0][0] - p[0], S[0][0][1] - p[1], S[0][0][2] - p[2]};
    const double f = Dot(S[1][0], r), g = Dot(S[0][1], r);
    const bool fixU = (u <= u0 && f > 0) || (u >= u1 && f < 0);
    const bool fixV = (v <= v0 && g > 0) || (v >= v1 && g < 0);
    const double J00 = Dot(S[1][0], S[1][0]) + Dot(r, S[2][0]);
    const double J01 = Dot(S[1][0], S[0][1]) + Dot(r, S[1][1]);
    const double J11 = Dot(S[0][1], S[0][1]) + Dot(r, S[0][2]);
    const double a = std::max(Dot(S[1][0], S[1][0]), 1e-300);
    const double b = std::max(Dot(S[0][1], S[0][1]), 1e-300);
    double du = 0, dv = 0;
    if (!fixU && !fixV) {
      const double det = J00 * J11 - J01 * J01;
      if (J00 > 0 && det > 1e-14 * J00 * J11 && J11 > 0) {
        du = -(J11 * f - J01 * g) / det;
        dv = -(J00 * g - J01 * f) / det;
      } else {
        du = -f / a;
        dv = -g / b;
      }
    } else if (!fixU) {
      du = -f / (J00 > 0 ? J00 : a);
    } else if (!fixV) {
      dv = -g / (J11 > 0 ? J11 : b);
    }
    // Step halving until the distance drops.
    bool better = false;
    double nu = u, nv = v, q[3];
    for (int h = 0; h < 30; ++h) {
      nu = std::clamp(u + du, u0, u1);
      nv = std::clamp(v + dv, v0, v1);
      const double nd = dist(nu, nv, q);
      if (nd < d) {
        better = true;
        const double moved = d - nd;
        d = nd;
        Put(foot, q);
        u = nu;
        v = nv;
        if (moved <= tol * 1e-6) it = 1000;  // no longer improving measurably
        break;
      }
      du *= 0.5;
      dv *= 0.5;
    }
    if (!better) break;
  }
  return d;
}

}  // namespace

int BSRF_SnapPnt(const _nurbs_surface* srf, const double p[3], double tol, double foot[3],
                 double& u, double& v, double& dist) {
  Surf s;
  if (!p || !foot || !bsrf::FromSrf(srf, s) || !std::isfinite(p[0] + p[1] + p[2])) return 0;
  if (!(tol > 0.0)) tol = 1e-9;
  const double u0 = s.U[size_t(s.pu)], u1 = s.U[size_t(s.nu)];
  const double v0 = s.V[size_t(s.pv)], v1 = s.V[size_t(s.nv)];
  struct Seed {
    double d, u, v;
  };
  std::vector<Seed> seeds;
  const bool guess = u >= u0 && u <= u1 && v >= v0 && v <= v1;
  if (guess) {
    // A guess that lands on the point itself needs no search (tracing callers snap points
    // that lie on the surface, one after the other).
    double a = u, b = v, f[3];
    const double d = Newton(s, p, tol, a, b, f);
    if (d <= tol) {
      u = a;
      v = b;
      Put(foot, f);
      dist = d;
      return 1;
    }
  }
  // Grid seeds: denser for nets with many spans, capped.
  const int gu = std::clamp(2 * (s.nu - s.pu) + 6, 8, 48);
  const int gv = std::clamp(2 * (s.nv - s.pv) + 6, 8, 48);
  // Grid nodes (feet often lie on the boundary) and cell centres (a seed on a collapsed edge
  // leaves Newton no direction to turn); the nearest few are refined.
  for (int half = 0; half < 2; ++half)
    for (int j = 0; j <= gv - half; ++j)
      for (int i = 0; i <= gu - half; ++i) {
        const double a = u0 + (u1 - u0) * (i + 0.5 * half) / gu;
        const double b = v0 + (v1 - v0) * (j + 0.5 * half) / gv;
        P4 A[3][3];
        bsrf::EvalH(s, a, b, 0, A);
        double q[3];
        bcrv::ToCart(A[0][0], q);
        const double r[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        seeds.push_back({Dot(r, r), a, b});
      }
  const size_t keep = 8;
  std::partial_sort(seeds.begin(), seeds.begin() + keep, seeds.end(),
                    [](const Seed& x, const Seed& y) { return x.d < y.d; });
  seeds.resize(keep);
  if (guess) seeds.insert(seeds.begin(), Seed{0, u, v});
  double bestD = 1e300, bu = u, bv = v, bf[3] = {0, 0, 0};
  for (const Seed& sd : seeds) {
    double a = sd.u, b = sd.v, f[3];
    const double d = Newton(s, p, tol, a, b, f);
    // The guess keeps its foot unless a seed is clearly nearer (continuity for tracing callers).
    if (d < bestD - tol) {
      bestD = d;
      bu = a;
      bv = b;
      Put(bf, f);
    }
  }
  if (!(bestD < 1e300)) return 0;
  u = bu;
  v = bv;
  Put(foot, bf);
  dist = bestD;
  return 1;
}

namespace {

// Fixed sample fractions: ends, middle and ten spread points (deterministic).
const double kFrac[13] = {0.0, 1.0, 0.5, 0.0731, 0.1579, 0.2463, 0.3318, 0.4196,
                          0.5812, 0.6674, 0.7509, 0.8437, 0.9266};

void FillParam(const Surf& s, int dir, double tol, double angTol, _param* P) {
  const double a0 = dir == 0 ? s.U[size_t(s.pu)] : s.V[size_t(s.pv)];
  const double a1 = dir == 0 ? s.U[size_t(s.nu)] : s.V[size_t(s.nv)];
  const double b0 = dir == 0 ? s.V[size_t(s.pv)] : s.U[size_t(s.pu)];
  const double b1 = dir == 0 ? s.V[size_t(s.nv)] : s.U[size_t(s.nu)];
  auto point = [&](double a, double b, double q[3]) {
    double S[3][3][3];
    if (dir == 0) bsrf::Eval(s, a, b, 0, S); else bsrf::Eval(s, b, a, 0, S);
    Put(q, S[0][0]);
  };
  auto collapsed = [&](double a) {
    double first[3];
    point(a, b0, first);
    for (double f : kFrac) {
      double q[3];
      point(a, b0 + f * (b1 - b0), q);
      const double r[3] = {q[0] - first[0], q[1] - first[1], q[2] - first[2]};
      if (std::sqrt(Dot(r, r)) > tol) return false;
    }
    return true;
  };
  PARAM_Init(P);
  P->min = a0;
  P->max = a1;
  P->startKind = collapsed(a0) ? 3 : 1;
  P->endKind = collapsed(a1) ? 3 : 1;
  P->closure = 0;
  if (P->startKind == 1 && P->endKind == 1) {
    bool same = true, smooth = true;
    for (double f : kFrac) {
      const double b = b0 + f * (b1 - b0);
      double p0[3], p1[3];
      point(a0, b, p0);
      point(a1, b, p1);
      const double r[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
      if (std::sqrt(Dot(r, r)) > tol) { same = false; break; }
      double q[3], n0[3], n1[3];
      double S0[3][3][3], S1[3][3][3];
      if (dir == 0) { bsrf::Eval(s, a0, b, 1, S0); bsrf::Eval(s, a1, b, 1, S1); }
      else { bsrf::Eval(s, b, a0, 1, S0); bsrf::Eval(s, b, a1, 1, S1); }
      Cross(S0[1][0], S0[0][1], n0);
      Cross(S1[1][0], S1[0][1], n1);
      Cross(n0, n1, q);
      const double ang = std::atan2(std::sqrt(Dot(q, q)), Dot(n0, n1));
      if (!(ang <= angTol)) smooth = false;
    }
    if (same) P->closure = smooth ? 2 : 1;
  }
}

}  // namespace

int BSRF_GetParam(const _nurbs_surface* srf, double tol, double angTol, _param* U, _param* V) {
  Surf s;
  if (!U || !V || !bsrf::FromSrf(srf, s)) return 0;
  if (!(tol > 0.0)) tol = 1e-8;
  if (!(angTol > 0.0)) angTol = 1e-11;
  FillParam(s, 0, tol, angTol, U);
  FillParam(s, 1, tol, angTol, V);
  return 1;
}

namespace {

// Applies a map of Cartesian points to every control point, keeping weights.
template <typename Map>
void MapNet(_nurbs_surface* srf, Map map) {
  if (!srf || !srf->net || srf->nu < 1 || srf->nv < 1) return;
  for (int j = 0; j < srf->nv; ++j) {
    if (!srf->net[j]) continue;
    for (int i = 0; i < srf->nu; ++i) {
      double* q = srf->net[j][i];
      const double w = q[3];
      if (!(w != 0.0)) continue;
      const double c[3] = {q[0] / w, q[1] / w, q[2] / w};
      double o[3];
      map(c, o);
      for (int k = 0; k < 3; ++k) q[k] = o[k] * w;
    }
  }
}

}  // namespace

void BSRF_Move(_nurbs_surface* srf, const double d[3]) {
  if (!d) return;
  MapNet(srf, [d](const double* c, double* o) {
    for (int k = 0; k < 3; ++k) o[k] = c[k] + d[k];
  });
}

void BSRF_Roate(_nurbs_surface* srf, const double point[3], const double axis[3], double angle) {
  double R[3][3];
  if (!point || !axis || !bcrv::RotMatrix(axis, angle, R)) return;
  MapNet(srf, [&](const double* c, double* o) {
    const double d[3] = {c[0] - point[0], c[1] - point[1], c[2] - point[2]};
    for (int k = 0; k < 3; ++k) o[k] = point[k] + R[k][0] * d[0] + R[k][1] * d[1] + R[k][2] * d[2];
  });
}

void BSRF_Mirror(_nurbs_surface* srf, const double a[3], const double b[3]) {
  if (!a || !b) return;
  const double l2 = Dot(b, b);
  if (!(l2 > 0.0)) return;
  MapNet(srf, [&](const double* c, double* o) {
    const double d[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double s = 2 * Dot(d, b) / l2;
    for (int k = 0; k < 3; ++k) o[k] = c[k] - s * b[k];
  });
}

void BSRF_Mirror2D(_nurbs_surface* srf, const double a[3], const double b[3]) {
  if (!a || !b) return;
  // The vertical plane through a containing b: normal (-b.y, b.x, 0).
  const double n[3] = {-b[1], b[0], 0.0};
  BSRF_Mirror(srf, a, n);
}

void BSRF_Shift(_nurbs_surface* srf, const double a[3], const double b[3]) {
  if (!a || !b) return;
  MapNet(srf, [&](const double* c, double* o) {
    o[0] = c[0] + b[0] * (c[1] - a[1]);
    o[1] = c[1] + b[1] * (c[0] - a[0]);
    o[2] = c[2];
  });
}

void BSRF_Scale(_nurbs_surface* srf, const double centre[3], const double f[3]) {
  if (!centre || !f) return;
  MapNet(srf, [&](const double* c, double* o) {
    for (int k = 0; k < 3; ++k) o[k] = centre[k] + f[k] * (c[k] - centre[k]);
  });
}

void BSRF_Transform(_nurbs_surface* srf, const double m[4][4]) {
  if (!m) return;
  MapNet(srf, [&](const double* c, double* o) { MAT44_MultPt(m, c, o); });
}

void BSRF_TransformWorld(_nurbs_surface* srf, const _rect_fm3d* frame) {
  if (!frame) return;
  MapNet(srf, [&](const double* c, double* o) { RF_TransWorldP3D(frame, c, o); });
}

void BSRF_TransLocal(_nurbs_surface* srf, const _rect_fm3d* frame) {
  if (!frame) return;
  MapNet(srf, [&](const double* c, double* o) { RF_TransLocalP3D(frame, c, o); });
}
