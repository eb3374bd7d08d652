// Surface kernel: tessellation, projection and evaluation, and the worst case of the bounded
// adaptive tessellation (100000 examined pairs).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Memory.h"

namespace {

BCRV* Wiggle() {
  BCRV* c = BCRV_New(4, 12);
  for (int i = 0; i < 12; ++i) {
    c->ctrlPts[i][0] = i;
    c->ctrlPts[i][1] = std::sin(i * 1.3) * 2;
    c->ctrlPts[i][2] = std::cos(i * 0.7);
    c->ctrlPts[i][3] = 1.0;
  }
  return c;
}

void BM_TessellateBspline(benchmark::State& st) {
  ENT_Record* r = CRV_NewBspline(Wiggle());
  const double iv[2] = {0, 1};
  int n = 0;
  for (auto _ : st) {
    ARR_Array* a = nullptr;
    CRV_Tessellate(a, iv, r, 0.001, 0.2, 0.01);
    n = a ? a->count : 0;
    ARR_Free(a);
  }
  st.counters["points"] = n;
  ENT_Free(r);
}
BENCHMARK(BM_TessellateBspline);

void BM_TessellatePairBudget(benchmark::State& st) {
  // Tolerances that cannot be met: the run must stop at its pair budget.
  ENT_Record* r = CRV_NewBspline(Wiggle());
  const double iv[2] = {0, 1};
  for (auto _ : st) {
    ARR_Array* a = nullptr;
    benchmark::DoNotOptimize(CRV_Tessellate(a, iv, r, 1e-12, 1e-12, 1e-12));
  }
  ENT_Free(r);
}
BENCHMARK(BM_TessellatePairBudget)->Unit(benchmark::kMillisecond);

void BM_TessellateCircle(benchmark::State& st) {
  ENT_Record* r = CRV_NewCircle(nullptr, 10.0);
  const double iv[2] = {0, 2 * std::numbers::pi};
  for (auto _ : st) {
    ARR_Array* a = nullptr;
    CRV_Tessellate(a, iv, r, 0.001, 0.2, 0.01);
    ARR_Free(a);
  }
  ENT_Free(r);
}
BENCHMARK(BM_TessellateCircle);

void BM_SnapBsplineWithoutGuess(benchmark::State& st) {
  ENT_Record* r = CRV_NewBspline(Wiggle());
  CRV_GetCache(r);
  int i = 0;
  for (auto _ : st) {
    const double p[3] = {std::fmod(i * 0.37, 11.0), 1.0, 0.5};
    double foot[3], t = 1e9;
    benchmark::DoNotOptimize(CRV_SnapPoint(foot, p, t, r));
    ++i;
  }
  ENT_Free(r);
}
BENCHMARK(BM_SnapBsplineWithoutGuess);

_nurbs_surface* Patch() {
  _nurbs_surface* s = BSRF_Create(4, 4, 6, 6);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 6; ++i) {
      s->net[j][i][0] = i;
      s->net[j][i][1] = j;
      s->net[j][i][2] = std::sin(i + 2.0 * j) * 0.7;
      s->net[j][i][3] = 1.0;
    }
  return s;
}

void BM_SurfaceNormal(benchmark::State& st) {
  ENT_Record* r = SRF_NewBspline(Patch());
  int i = 0;
  for (auto _ : st) {
    double n[3], p[3];
    benchmark::DoNotOptimize(SRF_EvPosNormal(n, r, p, (i % 97) / 97.0, (i % 89) / 89.0));
    ++i;
  }
  ENT_Free(r);
}
BENCHMARK(BM_SurfaceNormal);

void BM_OffsetDeriv2(benchmark::State& st) {
  ENT_Record* base = SRF_NewBspline(Patch());
  ENT_Record* off = SRF_NewOffset(base, 0.25);
  int i = 0;
  for (auto _ : st) {
    double d[6][3];
    benchmark::DoNotOptimize(
        SRF_EvDeriv2(d[0], d[1], d[2], d[3], d[4], d[5], off, (i % 97) / 97.0, 0.4));
    ++i;
  }
  KX_MemFree(off);
  ENT_Free(base);
}
BENCHMARK(BM_OffsetDeriv2);

void BM_ExtrusionRanges(benchmark::State& st) {
  _rect_fm3d f;
  RF_Init(&f);
  const double up[3] = {0, 0, 1};
  ENT_Record* r = SRF_NewExtrude(up, CRV_NewCircle(&f, 2.0));
  for (auto _ : st) {
    _param U, V;
    benchmark::DoNotOptimize(SRF_GetParamRanges(r, &U, &V));
  }
  ENT_Free(r);
}
BENCHMARK(BM_ExtrusionRanges);

}  // namespace
