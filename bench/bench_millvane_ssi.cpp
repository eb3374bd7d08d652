// Surface-surface intersection tracing: a wavy B-spline surface of 40 x 40 control points cut
// by a cylinder, a plane through a sphere and two equal perpendicular cylinders (crossing
// curves through two touching points) and two crossing spheres. "points" counts the traced
// points of all curves.
#include <benchmark/benchmark.h>

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

namespace {

constexpr double kPi = std::numbers::pi;

ENT_Record* WavySurface() {
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

ENT_Record* Plane(double z, double h) {
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
ENT_Record* Cylinder(const double c[3], const double X[3], const double Y[3], double r) {
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

ENT_Record* Sphere(double r, double x = 0.0) {
  auto* s = static_cast<SRF_Sphere*>(KX_MemAlloc(sizeof(SRF_Sphere)));
  s->type = ENT_SPHERE;
  s->sense = 1;
  RF_Init(&s->frame);
  s->frame.origin[0] = x;
  s->frame.origin[2] = 0.3;
  s->radius = r;
  return s;
}

void FreeRecord(ENT_Record* r) {
  if (r && ENT_Free(r) == 0) KX_MemFree(r);
}

// One intersection; returns the number of traced points (-1 on failure).
long Intersect(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
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

// Modes: 0 samples on demand from empty caches (cold), 1 reuses the caches of the first run,
// 2 samples both surfaces completely before each intersection (the former cold path).
// The cold run also reports "vs_complete": the complete path's time over its own, measured
// side by side here.
long RunOnce(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
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

double Seconds(ENT_Record* A, ENT_Record* B, const _tagBox2D& ba, const _tagBox2D& bb,
               bool complete, int runs) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    RunOnce(A, B, ba, bb, complete);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void Run(benchmark::State& st, ENT_Record* A, ENT_Record* B, const _tagBox2D& ba,
         const _tagBox2D& bb) {
  const int mode = int(st.range(0));
  long points = 0;
  void *ca = nullptr, *cb = nullptr;
  for (auto _ : st) {
    if (mode == 1) points = Intersect(A, B, ba, bb, &ca, &cb);
    else points = RunOnce(A, B, ba, bb, mode == 2);
  }
  SSI_FreeSampleCache(ca);
  SSI_FreeSampleCache(cb);
  if (mode == 0) {
    if (RunOnce(A, B, ba, bb, true) != points) st.SkipWithError("complete sampling traced other points");
    st.counters["vs_complete"] = Seconds(A, B, ba, bb, true, 3) / Seconds(A, B, ba, bb, false, 3);
  }
  st.counters["points"] = double(points);
  if (points < 0) st.SkipWithError("intersection failed");
}

void BM_SsiBsplineCylinder(benchmark::State& st) {
  ENT_Record* s = WavySurface();
  const double c[3] = {5, 5, 0}, X[3] = {1, 0, 0}, Y[3] = {0, 1, 0};
  ENT_Record* cyl = Cylinder(c, X, Y, 2.0);
  Run(st, s, cyl, {{0, 0}, {1, 1}}, {{0, -1}, {2 * kPi, 1}});
  FreeRecord(s);
  FreeRecord(cyl);
}
BENCHMARK(BM_SsiBsplineCylinder)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiPlaneSphere(benchmark::State& st) {
  ENT_Record* p = Plane(0.0, 2.0);
  ENT_Record* s = Sphere(1.0);
  Run(st, p, s, {{0, 0}, {1, 1}}, {{0, -kPi / 2}, {2 * kPi, kPi / 2}});
  FreeRecord(p);
  FreeRecord(s);
}
BENCHMARK(BM_SsiPlaneSphere)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiPerpendicularCylinders(benchmark::State& st) {
  const double o[3] = {0, 0, 0}, X1[3] = {1, 0, 0}, X2[3] = {0, 1, 0}, Z[3] = {0, 0, 1};
  ENT_Record* a = Cylinder(o, X1, Z, 1.0);
  ENT_Record* b = Cylinder(o, X2, Z, 1.0);
  const _tagBox2D box{{0, -1.5}, {2 * kPi, 1.5}};
  Run(st, a, b, box, box);
  FreeRecord(a);
  FreeRecord(b);
}
BENCHMARK(BM_SsiPerpendicularCylinders)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiTwoSpheres(benchmark::State& st) {
  ENT_Record* a = Sphere(1.0);
  ENT_Record* b = Sphere(0.8, 1.2);
  const _tagBox2D box{{0, -kPi / 2}, {2 * kPi, kPi / 2}};
  Run(st, a, b, box, box);
  FreeRecord(a);
  FreeRecord(b);
}
BENCHMARK(BM_SsiTwoSpheres)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

}  // namespace
