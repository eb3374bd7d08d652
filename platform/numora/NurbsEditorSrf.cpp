// CNurbsEditor surface members: iso curves, offsets, planes, extension, splitting and skinning
// (tessellation is in NurbsEditorTess.cpp).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/numora/BsrfCore.h"
#include "platform/numora/NurbsEditor.h"

using bsrf::P4;
using bsrf::Spline;
using bsrf::Surf;

BCRV* CNurbsEditor::MakeIsoCurve(const _nurbs_surface* srf, int code, double value) {
  Surf s;
  if ((code != kIsoU && code != kIsoV) || std::isnan(value) || !bsrf::FromSrf(srf, s))
    return nullptr;
  // Constant u: evaluate every row's u-curve (homogeneously) at value; the v knots stay.
  const bool constU = code == kIsoU;
  const std::vector<Spline> curves = constU ? bsrf::Rows(s) : bsrf::Cols(s);
  Spline iso;
  iso.p = constU ? s.pv : s.pu;
  iso.U = constU ? s.V : s.U;
  iso.P.resize(curves.size());
  for (size_t k = 0; k < curves.size(); ++k) bcrv::EvalH(curves[k], value, 0, &iso.P[k]);
  for (const P4& q : iso.P)
    if (!(q[3] > 0.0)) return nullptr;
  return bcrv::ToBcrv(iso);
}

_nurbs_surface* CNurbsEditor::OffsetSurf(const _nurbs_surface* srf, float d) {
  if (!BSRF_IsValid(srf) || !std::isfinite(d)) return nullptr;
  if (d == 0.0f) return BSRF_Clone(srf);
  const double u0 = srf->uKnots[srf->ku - 1], u1 = srf->uKnots[srf->nu];
  const double v0 = srf->vKnots[srf->kv - 1], v1 = srf->vKnots[srf->nv];
  auto offsetAt = [&](double u, double v, double* o) {
    double p[3], n[3];
    if (!BSRF_EvNormal(srf, u, v, p, n)) return false;
    for (int c = 0; c < 3; ++c) o[c] = p[c] + d * n[c];
    return true;
  };
  // Sample parameters: every span split into k pieces, k doubling until the fit holds; nets
  // with very many spans are sampled evenly instead (at most kMax values per direction).
  constexpr size_t kMax = 401;
  bool capped = false;
  auto params = [&capped](const double* K, int p, int n, int k) {
    std::vector<double> t;
    int spans = 0;
    for (int i = p; i < n; ++i) spans += K[i + 1] > K[i] ? 1 : 0;
    if (size_t(spans) * size_t(k) + 1 > kMax) {
      capped = true;
      for (size_t s = 0; s + 1 < kMax; ++s) t.push_back(K[p] + (K[n] - K[p]) * double(s) / (kMax - 1));
    } else {
      for (int i = p; i < n; ++i) {
        const double a = K[i], b = K[i + 1];
        if (!(b > a)) continue;
        for (int s = 0; s < k; ++s) t.push_back(a + (b - a) * s / k);
      }
    }
    t.push_back(K[n]);
    return t;
  };
  for (int k = 2; k <= 64; k *= 2) {
    std::vector<double> tu = params(srf->uKnots, srf->ku - 1, srf->nu, k);
    std::vector<double> tv = params(srf->vKnots, srf->kv - 1, srf->nv, k);
    const int m = int(tu.size()), n = int(tv.size());
    std::vector<double> Q(size_t(m) * size_t(n) * 3);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < m; ++i)
        if (!offsetAt(tu[size_t(i)], tv[size_t(j)], &Q[(size_t(j) * size_t(m) + size_t(i)) * 3]))
          return nullptr;
    std::vector<double> su(tu), sv(tv);
    for (double& x : su) x = (x - u0) / (u1 - u0);
    for (double& x : sv) x = (x - v0) / (v1 - v0);
    su.back() = 1.0;
    sv.back() = 1.0;
    Surf fit;
    if (!bsrf::InterpGrid(Q, m, n, 3, 3, su, sv, fit)) return nullptr;
    // Check between the samples, where an interpolant strays most.
    double worst = 0.0;
    for (int j = 0; j + 1 < n; j += std::max(1, n / 24))
      for (int i = 0; i + 1 < m; i += std::max(1, m / 24)) {
        const double a = 0.5 * (su[size_t(i)] + su[size_t(i + 1)]);
        const double b = 0.5 * (sv[size_t(j)] + sv[size_t(j + 1)]);
        double o[3], S[3][3][3];
        if (!offsetAt(u0 + a * (u1 - u0), v0 + b * (v1 - v0), o) || !bsrf::Eval(fit, a, b, 0, S))
          return nullptr;
        worst = std::max(worst, std::sqrt((o[0] - S[0][0][0]) * (o[0] - S[0][0][0]) +
                                          (o[1] - S[0][0][1]) * (o[1] - S[0][0][1]) +
                                          (o[2] - S[0][0][2]) * (o[2] - S[0][0][2])));
      }
    if (worst <= 1e-3 || k == 64 || capped) return bsrf::ToSrf(fit);
  }
  return nullptr;
}

_nurbs_surface* CNurbsEditor::MakePlane(const double origin[3], double width, double height) {
  if (!origin || !(width > 0.0) || !(height > 0.0) || !std::isfinite(width + height))
    return nullptr;
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  if (!s) return nullptr;
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = origin[0] + i * width;
      s->net[j][i][1] = origin[1] + j * height;
      s->net[j][i][2] = origin[2];
      s->net[j][i][3] = 1.0;
    }
  return s;
}

namespace {

// Continues every curve (sharing one knot vector) past its end by the parameter amount delta.
// All curves take the same amount, so the rows blend into a surface that is C1 at the join
// (a straight continuation stays ruled along the cross-boundary tangent).
bool ExtendCurves(std::vector<Spline>& curves, double delta, bool natural) {
  for (Spline& c : curves) {
    const int p = c.p, n = c.n();
    const double b = c.U[size_t(n)];
    if (natural) {
      // The last span as a Bezier, carried on by de Casteljau beyond its end.
      const double a = c.U[size_t(n - 1)] < b ? c.U[size_t(n - 1)] : c.U[size_t(p)];
      const bool inner = a > c.U[size_t(p)];
      Spline lo, hi;
      if (inner && !bcrv::SplitAt(c, a, &lo, &hi)) return false;
      // The span's control points at level r of the subdivision at s > 1: the left part is
      // the same polynomial over the longer interval [a, b + delta].
      std::vector<P4> B = inner ? hi.P : c.P, left;
      const double s = (b + delta - a) / (b - a);
      for (int r = 0; r <= p; ++r) {
        left.push_back(B[0]);
        for (int i = 0; i < p - r; ++i)
          for (int k = 0; k < 4; ++k)
            B[size_t(i)][size_t(k)] = (1 - s) * B[size_t(i)][size_t(k)] + s * B[size_t(i + 1)][size_t(k)];
      }
      Spline e;
      e.p = p;
      if (inner) {
        // lo ends with the span's first point; a keeps p copies.
        e.P = lo.P;
        e.P.insert(e.P.end(), left.begin() + 1, left.end());
        e.U.assign(lo.U.begin(), lo.U.end() - 1);
      } else {
        e.P = left;
        e.U.assign(size_t(p + 1), a);
      }
      e.U.insert(e.U.end(), size_t(p + 1), b + delta);
      c = std::move(e);
    } else {
      // A straight homogeneous span along the end derivative: C1 with the curve.
      const double h = b - c.U[size_t(n - 1)];
      if (!(h > 0.0) || p < 1) return false;
      const P4 E = c.P[size_t(n - 1)], F = c.P[size_t(n - 2)];
      P4 D;
      for (int k = 0; k < 4; ++k) D[size_t(k)] = p / h * (E[size_t(k)] - F[size_t(k)]);
      for (int i = 1; i <= p; ++i) {
        P4 q;
        for (int k = 0; k < 4; ++k) q[size_t(k)] = E[size_t(k)] + double(i) / p * delta * D[size_t(k)];
        if (!(q[3] > 0.0)) return false;
        c.P.push_back(q);
      }
      c.U.pop_back();  // b keeps p copies
      c.U.insert(c.U.end(), size_t(p + 1), b + delta);
    }
  }
  return true;
}

}  // namespace

_nurbs_surface* CNurbsEditor::Extend(const _nurbs_surface* srf, double distance, int side,
                                     int mode) {
  Surf s;
  if (side < 0 || side > 3 || !(distance > 0.0) || !std::isfinite(distance) ||
      !bsrf::FromSrf(srf, s))
    return nullptr;
  const int dir = (side == 0 || side == 2) ? 0 : 1;
  const bool atMin = side < 2;
  std::vector<Spline> curves = dir == 0 ? bsrf::Rows(s) : bsrf::Cols(s);
  if (atMin)
    for (Spline& c : curves) bcrv::Reverse(c);
  // One parameter step for all curves: the distance over the largest end speed, so that no
  // curve is carried on much beyond the distance.
  double speed = 0.0;
  for (const Spline& c : curves) {
    P4 A[2];
    double r[2][3];
    bcrv::EvalH(c, c.U.back(), 1, A);
    bcrv::Rational(A, 1, r);
    const double l = std::sqrt(r[1][0] * r[1][0] + r[1][1] * r[1][1] + r[1][2] * r[1][2]);
    speed = std::max(speed, l);
  }
  if (!(speed > 1e-12)) return nullptr;
  const double delta = distance / speed;
  if (!ExtendCurves(curves, delta, mode == 0)) return nullptr;
  if (atMin)
    for (Spline& c : curves) bcrv::Reverse(c);
  Surf e;
  const bool ok = dir == 0 ? bsrf::FromRows(curves, s.pv, s.V, e)
                           : bsrf::FromCols(curves, s.pu, s.U, e);
  if (!ok) return nullptr;
  bsrf::Normalize(e);
  return bsrf::ToSrf(e);
}

int CNurbsEditor::SplitAt(const _nurbs_surface* srf, double value, int direction,
                          _nurbs_surface*& first, _nurbs_surface*& second) {
  first = second = nullptr;
  Surf s;
  if ((direction != kIsoU && direction != kIsoV) || std::isnan(value) || !bsrf::FromSrf(srf, s))
    return 0;
  const int dir = direction == kIsoU ? 0 : 1;
  const std::vector<double>& K = dir == 0 ? s.U : s.V;
  const int p = dir == 0 ? s.pu : s.pv, n = dir == 0 ? s.nu : s.nv;
  const double a = K[size_t(p)], b = K[size_t(n)], eps = 1e-10 * (b - a);
  if (value <= a + eps || value >= b - eps) {
    bsrf::Normalize(s);
    _nurbs_surface* whole = bsrf::ToSrf(s);
    (value <= a + eps ? second : first) = whole;
    return whole ? 1 : 0;
  }
  Surf lo, hi;
  if (!bsrf::SplitAt(s, dir, value, &lo, &hi)) return 0;
  bsrf::Normalize(lo);
  bsrf::Normalize(hi);
  first = bsrf::ToSrf(lo);
  second = bsrf::ToSrf(hi);
  if (!first || !second) {
    BSRF_Free(first);
    BSRF_Free(second);
    first = second = nullptr;
    return 0;
  }
  return 2;
}

_nurbs_surface* CNurbsEditor::SkinV(BCRV* const* curves, int count, int option) {
  if (!curves || count < 2 || count > knot::kMaxCount) return nullptr;
  std::vector<Spline> list(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!bcrv::FromBcrv(curves[i], list[size_t(i)])) return nullptr;
  if (!bcrv::MakeCompatible(list)) return nullptr;
  const int order = (option >= 2 && option <= 4) ? option : 4;
  const int nu = list[0].n();
  NET4D net = NET4D_Create(count, nu);
  BCRV* cross = bcrv::ToBcrv(list[0]);
  _nurbs_surface* out = nullptr;
  if (net && cross) {
    for (int j = 0; j < count; ++j)
      for (int i = 0; i < nu; ++i)
        std::memcpy(net[j][i], list[size_t(j)].P[size_t(i)].data(), sizeof(double[4]));
    BSRF_IntpPs(count, net, cross, order, out);
  }
  NET4D_Free(net, count);
  BCRV_Free(cross);
  return out;
}
