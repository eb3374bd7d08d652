#include "millvane/kernel/SurfaceIntersect.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelSolve.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "platform/numora/Inter3.h"
#include "platform/numora/Line.h"

namespace {

bool Finite4(double a, double b, double c, double d) { return std::isfinite(a + b + c + d); }

}  // namespace

int SSI_EvalSurf(SSI_SurfPoint& e, const ENT_Record* s, double u, double v) {
  if (!s || SRF_EvDeriv1(e.P, e.Su, e.Sv, s, u, v) != 1) return 0;
  double x[3];
  kv::Cross(x, e.Su, e.Sv);
  const double l = kv::Len(x);
  if (l > 1e-24 && std::isfinite(l)) {
    kv::Scale(e.N, 1.0 / l, x);
    return 1;
  }
  double p[3];
  return SRF_EvPosNormal(e.N, s, p, u, v) == 1 ? 1 : 0;
}

namespace {

// Newton iteration of the two-surface point solver. With a plane (P0, t) a fourth row keeps
// the midpoint on it; without one each step is the minimum-norm solution of the three rows.
int SolvePair(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
              const ENT_Record* B, const double* P0, const double* t, double tol,
              SSI_SurfPoint* at) {
  if (!point || !uvA || !uvB || !A || !B) return 0;
  double ua = uvA[0], va = uvA[1], ub = uvB[0], vb = uvB[1];
  double prevM[3] = {std::numeric_limits<double>::infinity(), 0, 0};
  for (int it = 0; it < 32; ++it) {
    double SA[3], SuA[3], SvA[3], SB[3], SuB[3], SvB[3];
    if (!SRF_EvDeriv1(SA, SuA, SvA, A, ua, va) || !SRF_EvDeriv1(SB, SuB, SvB, B, ub, vb))
      return 0;
    double M[3], w[3] = {0, 0, 0};
    kv::Add(M, SA, SB);
    kv::Scale(M, 0.5, M);
    if (P0) kv::Sub(w, M, P0);
    if (kv::Dist(SA, SB) < tol && kv::Dist(M, prevM) < tol &&
        (!P0 || std::fabs(kv::Dot(w, t)) < tol)) {
      if (at) {
        // The caller's next step needs these very evaluations, with the normals.
        const double* src[2][3] = {{SA, SuA, SvA}, {SB, SuB, SvB}};
        const ENT_Record* srf[2] = {A, B};
        const double uv[2][2] = {{ua, va}, {ub, vb}};
        for (int k = 0; k < 2; ++k) {
          kv::Copy(at[k].P, src[k][0]);
          kv::Copy(at[k].Su, src[k][1]);
          kv::Copy(at[k].Sv, src[k][2]);
          double x[3], q[3];
          kv::Cross(x, at[k].Su, at[k].Sv);
          const double l = kv::Len(x);
          if (l > 1e-24 && std::isfinite(l)) kv::Scale(at[k].N, 1.0 / l, x);
          else if (SRF_EvPosNormal(at[k].N, srf[k], q, uv[k][0], uv[k][1]) != 1) return 0;
        }
      }
      kv::Copy(point, M);
      uvA[0] = ua, uvA[1] = va, uvB[0] = ub, uvB[1] = vb;
      return 1;
    }
    kv::Copy(prevM, M);
    double x[4];
    if (P0) {
      double Mx[16], rhs[4];
      for (int r = 0; r < 3; ++r) {
        Mx[r * 4 + 0] = SuA[r];
        Mx[r * 4 + 1] = SvA[r];
        Mx[r * 4 + 2] = -SuB[r];
        Mx[r * 4 + 3] = -SvB[r];
        rhs[r] = SB[r] - SA[r];
      }
      Mx[12] = 0.5 * kv::Dot(SuA, t);
      Mx[13] = 0.5 * kv::Dot(SvA, t);
      Mx[14] = 0.5 * kv::Dot(SuB, t);
      Mx[15] = 0.5 * kv::Dot(SvB, t);
      rhs[3] = -kv::Dot(w, t);
      if (MAT_Solve4(x, rhs, Mx) != 1) return 0;
    } else {
      double J[3][4], r[3];
      for (int i = 0; i < 3; ++i) {
        J[i][0] = SuA[i];
        J[i][1] = SvA[i];
        J[i][2] = -SuB[i];
        J[i][3] = -SvB[i];
        r[i] = SB[i] - SA[i];
      }
      MAT_MinNormStep34(J, r, x);
    }
    if (!Finite4(x[0], x[1], x[2], x[3])) return 0;
    ua += x[0], va += x[1], ub += x[2], vb += x[3];
  }
  return 0;
}

}  // namespace

int SSI_SolvePoint(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                   const ENT_Record* B, const double P0[3], const double t[3], double tol,
                   SSI_SurfPoint* at) {
  if (!P0 || !t) return 0;
  return SolvePair(point, uvA, uvB, A, B, P0, t, tol, at);
}

int SSI_SolvePointFree(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                       const ENT_Record* B, double tol) {
  return SolvePair(point, uvA, uvB, A, B, nullptr, nullptr, tol, nullptr);
}

int SSI_SolveTangential(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                        const ENT_Record* B, double tol) {
  if (!point || !uvA || !uvB || !A || !B) return 0;
  double ua = uvA[0], va = uvA[1], ub = uvB[0], vb = uvB[1];
  double prevM[3] = {std::numeric_limits<double>::infinity(), 0, 0};
  for (int it = 0; it < 32; ++it) {
    SSI_SurfPoint a, b;
    if (!SSI_EvalSurf(a, A, ua, va) || !SSI_EvalSurf(b, B, ub, vb)) return 0;
    double M[3];
    kv::Add(M, a.P, b.P);
    kv::Scale(M, 0.5, M);
    if (kv::Dist(a.P, b.P) < tol && kv::Dist(M, prevM) < tol) {
      kv::Copy(point, M);
      uvA[0] = ua, uvA[1] = va, uvB[0] = ub, uvB[1] = vb;
      return 1;
    }
    kv::Copy(prevM, M);
    double target[3], lp[3], ld[3];
    if (Inter3_PlnPln(a.P, a.N, b.P, b.N, 1e-12, 0.001, lp, ld) == 1)
      L3D_PrjPnt(lp, ld, M, target);
    else
      kv::Copy(target, M);
    double wa[3], wb[3], da[2], db[2];
    kv::Sub(wa, target, a.P);
    kv::Sub(wb, target, b.P);
    LSQ_Decompose2(a.Su, a.Sv, wa, da);
    LSQ_Decompose2(b.Su, b.Sv, wb, db);
    if (!Finite4(da[0], da[1], db[0], db[1])) return 0;
    ua += da[1], va += da[0], ub += db[1], vb += db[0];
  }
  return 0;
}

int SSI_ContactDirections(double dirs[2][3], const ENT_Record* A, const double uvA[2],
                          const ENT_Record* B, const double uvB[2]) {
  if (!dirs || !A || !B || !uvA || !uvB) return 0;
  SSI_SurfPoint a, b;
  if (!SSI_EvalSurf(a, A, uvA[0], uvA[1]) || !SSI_EvalSurf(b, B, uvB[0], uvB[1])) return -4;
  if (kv::Dist(a.P, b.P) > TOL_precision) return -4;
  double kA1, kA2, kB1, kB2, eA1[3], eA2[3], eB1[3], eB2[3];
  if (!SRF_EvCurvature(kA1, kA2, eA1, eA2, A, uvA[0], uvA[1]) ||
      !SRF_EvCurvature(kB1, kB2, eB1, eB2, B, uvB[0], uvB[1]))
    return -4;
  // B's curvatures measured against A's side of the contact.
  if (kv::Dot(a.N, b.N) < 0.0) kB1 = -kB1, kB2 = -kB2;
  // Angle of B's first direction in A's principal frame, taken modulo pi (a direction's sign
  // is arbitrary). Its sign matters: folding it into [0, pi/2] would mirror the branches about
  // A's first direction whenever the two frames are not aligned.
  double phi = std::atan2(kv::Dot(eB1, eA2), kv::Dot(eB1, eA1));
  if (phi < 0.0) phi += std::numbers::pi;
  const double a2 = std::cos(2 * phi) * (kB1 - kB2) - (kA1 - kA2);
  const double b2 = std::sin(2 * phi) * (kB1 - kB2);
  const double c2 = kA1 + kA2 - kB1 - kB2;
  const double mean = 0.25 * (std::fabs(kA1) + std::fabs(kA2) + std::fabs(kB1) + std::fabs(kB2));
  const double tol = std::max(1e-12, TOL_precision * mean * mean);
  double roots[2];
  const int n = MAT_SolveTrig(a2, b2, c2, tol, roots);
  if (n == 100) return -4;
  if (n != 1 && n != 2) return 0;
  for (int i = 0; i < n; ++i) {
    const double c = std::cos(0.5 * roots[i]), s = std::sin(0.5 * roots[i]);
    for (int k = 0; k < 3; ++k) dirs[i][k] = c * eA1[k] + s * eA2[k];
  }
  return n;
}

namespace {

// Unit normal of A and its partials along u and v at (u, v).
bool NormalWithPartials(const ENT_Record* A, double u, double v, const _tagBox2D& box,
                        const double Su[3], const double Sv[3], const double Suu[3],
                        const double Suv[3], const double Svv[3], double N[3], double Nu[3],
                        double Nv[3]) {
  double n[3];
  kv::Cross(n, Su, Sv);
  const double l = kv::Len(n);
  if (l * l * l >= 1e-20) {
    kv::Scale(N, 1.0 / l, n);
    double nu[3], nv[3];
    kv::NormalPartials(Su, Sv, Suu, Suv, Svv, nu, nv);
    kv::Axpy(Nu, nu, -kv::Dot(nu, N), N);
    kv::Scale(Nu, 1.0 / l, Nu);
    kv::Axpy(Nv, nv, -kv::Dot(nv, N), N);
    kv::Scale(Nv, 1.0 / l, Nv);
    return true;
  }
  // Near a pole: differences of the unit normal (the pole normal where it vanishes).
  SSI_SurfPoint e0, eu, ev;
  if (!SSI_EvalSurf(e0, A, u, v)) return false;
  const double lu = kv::Len(Su), lv = kv::Len(Sv);
  const double hu = lu < 1e-6 ? 1e-6 * (box.max[0] - box.min[0]) : 1e-6 / lu;
  const double hv = lv < 1e-6 ? 1e-6 * (box.max[1] - box.min[1]) : 1e-6 / lv;
  if (!(hu > 0.0) || !(hv > 0.0)) return false;
  if (!SSI_EvalSurf(eu, A, u + hu, v) || !SSI_EvalSurf(ev, A, u, v + hv)) return false;
  kv::Copy(N, e0.N);
  for (int i = 0; i < 3; ++i) {
    Nu[i] = (eu.N[i] - e0.N[i]) / hu;
    Nv[i] = (ev.N[i] - e0.N[i]) / hv;
  }
  return true;
}

}  // namespace

int SSI_SolveContact(double uvA[2], double uvB[2], const ENT_Record* A, const ENT_Record* B,
                     const _tagBox2D& boxA, double distTol, double angTol) {
  if (!uvA || !uvB || !A || !B) return 0;
  double ua = uvA[0], va = uvA[1], ub = uvB[0], vb = uvB[1];
  for (int it = 0; it <= 32; ++it) {
    double PA[3], SuA[3], SvA[3], SuuA[3], SuvA[3], SvvA[3];
    double PB[3], SuB[3], SvB[3], SuuB[3], SuvB[3], SvvB[3];
    if (!SRF_EvDeriv2(PA, SuA, SvA, SuuA, SuvA, SvvA, A, ua, va) ||
        !SRF_EvDeriv2(PB, SuB, SvB, SuuB, SuvB, SvvB, B, ub, vb))
      return 0;
    double nA[3], nAu[3], nAv[3];
    if (!NormalWithPartials(A, ua, va, boxA, SuA, SvA, SuuA, SuvA, SvvA, nA, nAu, nAv)) return 0;
    SSI_SurfPoint eb;
    if (!SSI_EvalSurf(eb, B, ub, vb)) return 0;
    double x[3], d[3];
    kv::Cross(x, nA, eb.N);
    kv::Sub(d, PA, PB);
    if (kv::Len(x) < angTol && kv::Len(d) < distTol) {
      uvA[0] = ua, uvA[1] = va, uvB[0] = ub, uvB[1] = vb;
      return 1;
    }
    if (it == 32) break;
    const double M[16] = {
        kv::Dot(SuA, SuA) + kv::Dot(d, SuuA), kv::Dot(SuA, SvA) + kv::Dot(d, SuvA),
        -kv::Dot(SuA, SuB), -kv::Dot(SuA, SvB),
        kv::Dot(SuA, SvA) + kv::Dot(d, SuvA), kv::Dot(SvA, SvA) + kv::Dot(d, SvvA),
        -kv::Dot(SvA, SuB), -kv::Dot(SvA, SvB),
        kv::Dot(SuB, nAu), kv::Dot(SuB, nAv), kv::Dot(SuuB, nA), kv::Dot(SuvB, nA),
        kv::Dot(SvB, nAu), kv::Dot(SvB, nAv), kv::Dot(SuvB, nA), kv::Dot(SvvB, nA)};
    const double rhs[4] = {-kv::Dot(d, SuA), -kv::Dot(d, SvA), -kv::Dot(nA, SuB),
                           -kv::Dot(nA, SvB)};
    double s[4];
    if (MAT_Solve4(s, rhs, M) != 1 || !Finite4(s[0], s[1], s[2], s[3])) return 0;
    ua += s[0], va += s[1], ub += s[2], vb += s[3];
  }
  return 0;
}
