#include "millvane/kernel/SurfaceIntersect.h"

#include <cmath>
#include <limits>

#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelVec.h"
#include "millvane/kernel/SurfaceRecords.h"

int SSI_SolvePoint(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                   const ENT_Record* B, const double P0[3], const double t[3], double tol) {
  if (!point || !uvA || !uvB || !A || !B || !P0 || !t) return 0;
  double ua = uvA[0], va = uvA[1], ub = uvB[0], vb = uvB[1];
  double prevM[3] = {std::numeric_limits<double>::infinity(), 0, 0};
  for (int it = 0; it < 32; ++it) {
    double SA[3], SuA[3], SvA[3], SB[3], SuB[3], SvB[3];
    if (!SRF_EvDeriv1(SA, SuA, SvA, A, ua, va) || !SRF_EvDeriv1(SB, SuB, SvB, B, ub, vb))
      return 0;
    double M[3], w[3];
    kv::Add(M, SA, SB);
    kv::Scale(M, 0.5, M);
    kv::Sub(w, M, P0);
    if (kv::Dist(SA, SB) < tol && kv::Dist(M, prevM) < tol && std::fabs(kv::Dot(w, t)) < tol) {
      kv::Copy(point, M);
      uvA[0] = ua, uvA[1] = va, uvB[0] = ub, uvB[1] = vb;
      return 1;
    }
    kv::Copy(prevM, M);
    double Mx[16], rhs[4], x[4];
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
    ua += x[0], va += x[1], ub += x[2], vb += x[3];
  }
  return 0;
}

int SSI_TraceSurfaces(ENT_Record*, ENT_Record*, const _tagBox2D*, void**, const _tagBox2D*, void**,
                      LST_Node** traces, SSI_CurveNode** curves) {
  if (traces) *traces = nullptr;
  if (curves) *curves = nullptr;
  return 0;
}
