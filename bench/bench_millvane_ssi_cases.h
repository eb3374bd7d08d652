// Surfaces and runs shared by the surface intersection benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/kernel/SurfaceSampling.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Memory.h"

namespace ssibench {

inline constexpr double kPi = std::numbers::pi;

inline ENT_Record* WavySurface() {
  const int n = 40;
  _nurbs_surface* s = BSRF_Create(4, 4, n, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const double x = 10.0 * i / (n - 1), y = 10.0 * j / (n - 1);
      s->net[j][i][0] = x;
      s->net[j][i][1] = y;
      s->net[j][i][2] = 0.4 * std::sin(0.9 * x) * std::cos(0.7 * y);
      s->net[j][i][3] = 1.0;
    }
  return SRF_NewBspline(s);
}

inline ENT_Record* Plane(double z, double h) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = i ? h : -h;
      s->net[j][i][1] = j ? h : -h;
      s->net[j][i][2] = z;
      s->net[j][i][3] = 1.0;
    }
  return SRF_NewBspline(s);
}

// Circle about the frame's Z through c, extruded along Z.
inline ENT_Record* Cylinder(const double c[3], const double X[3], const double Y[3],
                            double r) {
  _rect_fm3d f;
  RF_Init(&f);
  for (int k = 0; k < 3; ++k) {
    f.origin[k] = c[k];
    f.xAxis[k] = X[k];
    f.yAxis[k] = Y[k];
  }
  f.zAxis[0] = X[1] * Y[2] - X[2] * Y[1];
  f.zAxis[1] = X[2] * Y[0] - X[0] * Y[2];
  f.zAxis[2] = X[0] * Y[1] - X[1] * Y[0];
  return SRF_NewExtrude(f.zAxis, CRV_NewCircle(&f, r));
}

inline ENT_Record* Sphere(double r, double x = 0.0) {
  auto* s = static_cast<SRF_Sphere*>(KX_MemAlloc(sizeof(SRF_Sphere)));
  s->type = ENT_SPHERE;
  s->sense = 1;
  RF_Init(&s->frame);
  s->frame.origin[0] = x;
  s->frame.origin[2] = 0.3;
  s->radius = r;
  return s;
}

inline void FreeRecord(ENT_Record* r) {
  if (r && ENT_Free(r) == 0) KX_MemFree(r);
}

// One intersection; returns the number of traced points (-1 on failure).
inline long Intersect(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
               void** ca, void** cb) {
  LST_Node* traces = nullptr;
  SSI_CurveNode* curves = nullptr;
  const int rc = SRF_IntersectSurfaces(A, B, &ba, ca, &bb, cb, &traces, &curves);
  long points = rc == 1 ? 0 : -1;
  for (SSI_CurveNode* n = curves; n;) {
    SSI_CurveNode* next = n->next;
    points += n->curve->points->count;
    ENT_Free(n->curve);
    KX_MemFree(n);
    n = next;
  }
  LST_FreeChain(traces);
  return points;
}

// The benchmarked pairs: a wavy sheet and a cylinder of radius 2 about (5, 5) over v in
// [-1, 1]; the plane z = 0 over [-2, 2] squared and the unit sphere about (0, 0, 0.3); two
// unit cylinders about the y and x axes over v in [-1.5, 1.5]; spheres of radius 1 about
// (0, 0, 0.3) and 0.8 about (1.2, 0, 0.3).
enum SsiCaseKind { kBsplineCylinder, kPlaneSphere, kPerpendicularCylinders, kTwoSpheres };

struct SsiCase {
  ENT_Record* a = nullptr;
  ENT_Record* b = nullptr;
  _tagBox2D ba{}, bb{};

  explicit SsiCase(SsiCaseKind kind) {
    const _tagBox2D unit{{0, 0}, {1, 1}}, sphere{{0, -kPi / 2}, {2 * kPi, kPi / 2}};
    switch (kind) {
      case kBsplineCylinder: {
        const double c[3] = {5, 5, 0}, X[3] = {1, 0, 0}, Y[3] = {0, 1, 0};
        a = WavySurface();
        b = Cylinder(c, X, Y, 2.0);
        ba = unit;
        bb = {{0, -1}, {2 * kPi, 1}};
        break;
      }
      case kPlaneSphere:
        a = Plane(0.0, 2.0);
        b = Sphere(1.0);
        ba = unit;
        bb = sphere;
        break;
      case kPerpendicularCylinders: {
        const double o[3] = {0, 0, 0}, X1[3] = {1, 0, 0}, X2[3] = {0, 1, 0}, Z[3] = {0, 0, 1};
        a = Cylinder(o, X1, Z, 1.0);  // axis along -y
        b = Cylinder(o, X2, Z, 1.0);  // axis along x
        ba = bb = {{0, -1.5}, {2 * kPi, 1.5}};
        break;
      }
      case kTwoSpheres:
        a = Sphere(1.0);
        b = Sphere(0.8, 1.2);
        ba = bb = sphere;
        break;
    }
  }
  ~SsiCase() {
    FreeRecord(a);
    FreeRecord(b);
  }
  SsiCase(const SsiCase&) = delete;
  SsiCase& operator=(const SsiCase&) = delete;
};

// One cold intersection: from empty caches, or from complete samplings of both surfaces made
// first (the former cold path).
inline long RunOnce(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
                    bool complete) {
  void *ca = nullptr, *cb = nullptr;
  if (complete) {
    SSI_SampleCache *sa = nullptr, *sb = nullptr;
    if (SSI_SampleSurface(sa, A, ba) != 1 || SSI_SampleSurface(sb, B, bb) != 1) {
      SSI_FreeSampleCache(sa);
      SSI_FreeSampleCache(sb);
      return -1;
    }
    ca = sa, cb = sb;
  }
  const long points = Intersect(A, B, ba, bb, &ca, &cb);
  SSI_FreeSampleCache(ca);
  SSI_FreeSampleCache(cb);
  return points;
}

// Best of runs cold intersections, in seconds.
inline double Seconds(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
                      bool complete, int runs) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    RunOnce(A, B, ba, bb, complete);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

}  // namespace ssibench
