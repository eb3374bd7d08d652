// Shared builders of the fillet and chamfer tests: planar and cylindrical faces with their
// kernel records, hand-made spines, and patch sampling.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "millvane/kernel/KernelRecords.h"
#include "millvane/surface/SrfActor.h"
#include "millvane/surface/SrfFilletSolver.h"
#include "platform/numora/Memory.h"
#include "platform/vurode/Accessors.h"

namespace bt {

inline double Dot(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline double Dist(const double a[3], const double b[3]) {
  const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(Dot(d, d));
}
inline double CrossLen(const double a[3], const double b[3]) {
  const double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                       a[0] * b[1] - a[1] * b[0]};
  return std::sqrt(Dot(c, c));
}

// A face and its kernel record, released together.
struct FaceDeleter {
  void operator()(CGeTrimSurf* f) const {
    if (!f) return;
    CSrfActor().FreeSURFACE(f);
    delete f;
  }
};
using Face = std::unique_ptr<CGeTrimSurf, FaceDeleter>;

// Bilinear face O + u U + v V over the unit square; its normal is along U x V.
inline Face Plane(const double O[3], const double U[3], const double V[3]) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      for (int k = 0; k < 3; ++k) s->net[j][i][k] = O[k] + i * U[k] + j * V[k];
      s->net[j][i][3] = 1.0;
    }
  Face f(new CGeTrimSurf(s, _tagBox2D{{0, 0}, {1, 1}}));
  CSrfActor().CreateSURFACE(f.get());
  return f;
}

// Upright cylinder of radius R about the z axis from z0 to z1, normal outwards (u around,
// v up).
inline Face Cylinder(double R, double z0, double z1) {
  BCRV* circle = BCRV_New();
  const double c[2] = {0, 0};
  circle->GenCircle(c, R);
  const double lift[3] = {0, 0, z0};
  circle->Move(lift);
  const double up[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenExtrude(circle, up, z1 - z0, s);
  BCRV_Free(circle);
  Face f(new CGeTrimSurf(s, _tagBox2D{{0, 0}, {1, 1}}));
  CSrfActor().CreateSURFACE(f.get());
  return f;
}

// Owns the surfaces appended to it.
struct SurfList : CGeTrimSurfList {
  ~SurfList() {
    while (!IsEmpty()) delete RemoveHead();
  }
};

// Spine traced by hand: n points along P(t) with tangent T, parameters on A and B from the
// given functions of t in [0, 1].
template <class FP, class FA, class FB>
_intcur* Spine(ENT_Record* A, ENT_Record* B, int n, FP point, const double T[3], FA uvA, FB uvB) {
  SSI_PointList* list = SSI_NewPointList(n, nullptr);
  for (int i = 0; i < n; ++i) {
    const double t = n > 1 ? double(i) / (n - 1) : 0.0;
    SSI_TracedPoint& p = list->points[i];
    point(t, p.point);
    for (int k = 0; k < 3; ++k) p.tangent[k] = T[k];
    p.param = t;
    uvA(t, p.uvA);
    uvB(t, p.uvB);
  }
  return SSI_NewCurve(A, B, list);
}

struct SpineDeleter {
  void operator()(_intcur* c) const { ENT_Free(c); }
};
using SpinePtr = std::unique_ptr<_intcur, SpineDeleter>;

// Patch samples on an (n + 1) x (n + 1) grid of its domain: point and unit normal.
struct Sample {
  double u, v;
  double p[3];
  double n[3];
};
inline std::vector<Sample> SamplePatch(const CGeTrimSurf* patch, int n = 8) {
  std::vector<Sample> out;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) {
      Sample s{double(i) / n, double(j) / n, {}, {}};
      if (BSRF_EvNormal(patch->m_pSurface, s.u, s.v, s.p, s.n)) out.push_back(s);
    }
  return out;
}

// Restores the kernel and vurode tolerances that the drivers install.
class BlendTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    TOL_ResetDefaults();
    KX_MemFailAfter(0);
    VLM_Set_gp_pre(kDefaultGpPre);
    VLM_Set_gp_tra(kDefaultGpTra);
  }
};

}  // namespace bt
