// Surface generators (extrusion, revolution, interpolation through rows), splitting, and
// splitting where tangent continuity across u breaks.
#include <cmath>

#include "platform/numora/Bsrf.h"
#include "platform/numora/BsrfCore.h"

using bsrf::P4;
using bsrf::Spline;
using bsrf::Surf;

namespace bsrf {

bool SplitAt(const Surf& s, int dir, double t, Surf* lo, Surf* hi) {
  const std::vector<Spline> curves = dir == 0 ? Rows(s) : Cols(s);
  std::vector<Spline> a(curves.size()), b(curves.size());
  for (size_t k = 0; k < curves.size(); ++k)
    if (!bcrv::SplitAt(curves[k], t, &a[k], &b[k])) return false;
  auto build = [&](const std::vector<Spline>& part, Surf* out) {
    if (!out) return true;
    return dir == 0 ? FromRows(part, s.pv, s.V, *out) : FromCols(part, s.pu, s.U, *out);
  };
  return build(a, lo) && build(b, hi);
}

bool InterpGrid(const std::vector<double>& Q, int m, int n, int pu, int pv,
                const std::vector<double>& tu, const std::vector<double>& tv, Surf& s) {
  pu = std::min(pu, m - 1);
  pv = std::min(pv, n - 1);
  if (pu < 1 || pv < 1) return false;
  std::vector<double> U(static_cast<size_t>(m + pu + 1)), V(static_cast<size_t>(n + pv + 1));
  if (!KNOT_CalByAC(pu + 1, m, tu.data(), U.data()) ||
      !KNOT_CalByAC(pv + 1, n, tv.data(), V.data()))
    return false;
  // Rows along u first (all rows share one matrix), then the columns of the result along v.
  std::vector<double> B(size_t(m) * size_t(3 * n)), R;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < m; ++i)
      for (int c = 0; c < 3; ++c)
        B[size_t(i) * size_t(3 * n) + size_t(3 * j + c)] =
            Q[(size_t(j) * size_t(m) + size_t(i)) * 3 + size_t(c)];
  if (!bcrv::SolveInterp(pu, U, tu, B, 3 * n, R)) return false;
  std::vector<double> C(size_t(n) * size_t(3 * m)), P;
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j)
      for (int c = 0; c < 3; ++c)
        C[size_t(j) * size_t(3 * m) + size_t(3 * i + c)] =
            R[size_t(i) * size_t(3 * n) + size_t(3 * j + c)];
  if (!bcrv::SolveInterp(pv, V, tv, C, 3 * m, P)) return false;
  s.pu = pu;
  s.pv = pv;
  s.nu = m;
  s.nv = n;
  s.U = U;
  s.V = V;
  s.P.resize(size_t(m) * size_t(n));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < m; ++i) {
      const double* x = &P[size_t(j) * size_t(3 * m) + size_t(3 * i)];
      s.at(i, j) = {x[0], x[1], x[2], 1.0};
    }
  return true;
}

}  // namespace bsrf

int BSRF_GenExtrude(const BCRV* crv, const double dir[3], double length, _nurbs_surface*& out) {
  out = nullptr;
  Spline c;
  if (!dir || !std::isfinite(length) || !bcrv::FromBcrv(crv, c)) return 0;
  const double l = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
  if (!(l > 1e-300)) return 0;
  bcrv::Normalize(c);
  Surf s;
  s.pu = c.p;
  s.U = c.U;
  s.nu = c.n();
  s.pv = 1;
  s.nv = 2;
  s.V = {0, 0, 1, 1};
  s.P = c.P;
  for (const P4& q : c.P) {
    P4 r = q;
    for (int k = 0; k < 3; ++k) r[size_t(k)] += q[3] * dir[k] / l * length;
    s.P.push_back(r);
  }
  out = bsrf::ToSrf(s);
  return out ? 1 : 0;
}

int BSRF_GenRevolve(const BCRV* crv, const double point[3], const double axis[3], double angle,
                    _nurbs_surface*& out) {
  out = nullptr;
  Spline c;
  if (!point || !axis || !std::isfinite(angle) || !bcrv::FromBcrv(crv, c)) return 0;
  double a[3] = {axis[0], axis[1], axis[2]};
  const double l = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  if (!(l > 1e-300)) return 0;
  for (double& x : a) x /= l;
  if (angle < 0) {
    angle = -angle;
    for (double& x : a) x = -x;
  }
  // The unit arc gives the weights and the (cos, sin)-like coordinates of the u direction.
  Spline arc;
  const double O[3] = {0, 0, 0}, X[3] = {1, 0, 0}, Y[3] = {0, 1, 0};
  if (!bcrv::ArcSpline(O, X, Y, 1.0, angle, arc)) return 0;
  bcrv::Normalize(c);
  Surf s;
  s.pu = arc.p;
  s.U = arc.U;
  s.nu = arc.n();
  s.pv = c.p;
  s.V = c.U;
  s.nv = c.n();
  s.P.resize(size_t(s.nu) * size_t(s.nv));
  for (int j = 0; j < s.nv; ++j) {
    double q[3];
    bcrv::ToCart(c.P[size_t(j)], q);
    const double wj = c.P[size_t(j)][3];
    const double d[3] = {q[0] - point[0], q[1] - point[1], q[2] - point[2]};
    const double h = d[0] * a[0] + d[1] * a[1] + d[2] * a[2];
    const double o[3] = {point[0] + h * a[0], point[1] + h * a[1], point[2] + h * a[2]};
    const double x[3] = {q[0] - o[0], q[1] - o[1], q[2] - o[2]};
    const double y[3] = {a[1] * x[2] - a[2] * x[1], a[2] * x[0] - a[0] * x[2],
                         a[0] * x[1] - a[1] * x[0]};
    for (int i = 0; i < s.nu; ++i) {
      const P4& r = arc.P[size_t(i)];
      const double w = r[3], cx = r[0] / w, cy = r[1] / w;
      P4& t = s.at(i, j);
      for (int k = 0; k < 3; ++k) t[size_t(k)] = (o[k] + cx * x[k] + cy * y[k]) * w * wj;
      t[3] = w * wj;
    }
  }
  out = bsrf::ToSrf(s);
  return out ? 1 : 0;
}

namespace {

int Intp(int n, const NET4D net, const BCRV* cross, int order, bool uniform,
         _nurbs_surface*& out) {
  out = nullptr;
  Spline u;
  if (n < 2 || n > knot::kMaxCount || !net || order < 2 || !bcrv::FromBcrv(cross, u)) return 0;
  const int nu = u.n();
  for (int j = 0; j < n; ++j) {
    if (!net[j]) return 0;
    for (int i = 0; i < nu; ++i)
      if (!(net[j][i][3] > 0.0) || !std::isfinite(net[j][i][0] + net[j][i][1] + net[j][i][2]))
        return 0;
  }
  const int q = std::min({order, n, knot::kMaxOrder});
  std::vector<double> t(static_cast<size_t>(n), 0.0);
  if (uniform) {
    for (int j = 0; j < n; ++j) t[size_t(j)] = double(j) / (n - 1);
  } else {
    // Chord-length parameters of each column, averaged over the columns that have length.
    int used = 0;
    std::vector<double> col(static_cast<size_t>(n));
    for (int i = 0; i < nu; ++i) {
      double total = 0;
      col[0] = 0;
      for (int j = 1; j < n; ++j) {
        double a[3], b[3];
        P4D_ToP3D(net[j - 1][i], a);
        P4D_ToP3D(net[j][i], b);
        total += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                           (a[2] - b[2]) * (a[2] - b[2]));
        col[size_t(j)] = total;
      }
      if (!(total > 1e-12)) continue;
      for (int j = 0; j < n; ++j) t[size_t(j)] += col[size_t(j)] / total;
      ++used;
    }
    for (int j = 0; j < n; ++j) t[size_t(j)] = used ? t[size_t(j)] / used : double(j) / (n - 1);
    t[size_t(n - 1)] = 1.0;
    for (int j = 1; j < n; ++j)
      if (!(t[size_t(j)] > t[size_t(j - 1)])) return 0;  // coincident rows
  }
  std::vector<double> V(static_cast<size_t>(n + q));
  if (!KNOT_CalByAC(q, n, t.data(), V.data())) return 0;
  std::vector<double> Q(size_t(n) * size_t(4 * nu)), P;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < nu; ++i)
      for (int c = 0; c < 4; ++c) Q[size_t(j) * size_t(4 * nu) + size_t(4 * i + c)] = net[j][i][c];
  if (!bcrv::SolveInterp(q - 1, V, t, Q, 4 * nu, P)) return 0;
  Surf s;
  s.pu = u.p;
  s.U = u.U;
  s.nu = nu;
  s.pv = q - 1;
  s.V = V;
  s.nv = n;
  s.P.resize(size_t(nu) * size_t(n));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < nu; ++i) {
      const double* x = &P[size_t(j) * size_t(4 * nu) + size_t(4 * i)];
      if (!(x[3] > 0.0)) return 0;  // weights of rational rows may not interpolate
      s.at(i, j) = {x[0], x[1], x[2], x[3]};
    }
  bsrf::Normalize(s);
  out = bsrf::ToSrf(s);
  return out ? 1 : -1;
}

}  // namespace

int BSRF_IntpPs(int n, const NET4D net, const BCRV* cross, int order, _nurbs_surface*& out) {
  return Intp(n, net, cross, order, false, out);
}

int BSRF_IntpPsUniK(int n, const NET4D net, const BCRV* cross, int order,
                    _nurbs_surface*& out) {
  return Intp(n, net, cross, order, true, out);
}

int BSRF_USplitG1Discont(const _nurbs_surface* srf, double angle,
                         std::vector<_nurbs_surface*>& pieces) {
  Surf s;
  if (!bsrf::FromSrf(srf, s) || !(angle >= 0.0)) return 0;
  // Candidates: interior u knots where the surface is at most C0 (multiplicity >= degree).
  std::vector<double> cuts;
  for (int i = s.pu + 1; i < s.nu;) {
    const double u = s.U[size_t(i)];
    int m = 0;
    while (i < s.nu && s.U[size_t(i)] == u) { ++m; ++i; }
    if (m < s.pu) continue;
    Surf lo, hi;
    if (!bsrf::SplitAt(s, 0, u, &lo, &hi)) return 0;
    bool kink = false;
    for (int k = 0; k <= 10 && !kink; ++k) {
      const double v = s.V[size_t(s.pv)] + (s.V[size_t(s.nv)] - s.V[size_t(s.pv)]) * k / 10;
      double A[3][3][3], B[3][3][3];
      if (!bsrf::Eval(lo, u, v, 1, A) || !bsrf::Eval(hi, u, v, 1, B)) return 0;
      const double* a = A[1][0];
      const double* b = B[1][0];
      const double x[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                           a[0] * b[1] - a[1] * b[0]};
      const double la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
      const double lb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
      if (la < 1e-12 || lb < 1e-12) continue;  // a collapsed point of the knot line
      const double ang =
          std::atan2(std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]),
                     a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
      kink = ang > angle;
    }
    if (kink) cuts.push_back(u);
  }
  std::vector<_nurbs_surface*> made;
  Surf rest = s;
  auto fail = [&]() {
    for (_nurbs_surface* p : made) BSRF_Free(p);
    return 0;
  };
  for (double u : cuts) {
    Surf lo, hi;
    if (!bsrf::SplitAt(rest, 0, u, &lo, &hi)) return fail();
    bsrf::Normalize(lo);
    _nurbs_surface* p = bsrf::ToSrf(lo);
    if (!p) return fail();
    made.push_back(p);
    rest = std::move(hi);
  }
  bsrf::Normalize(rest);
  _nurbs_surface* last = bsrf::ToSrf(rest);
  if (!last) return fail();
  made.push_back(last);
  pieces.insert(pieces.end(), made.begin(), made.end());
  return 1;
}
