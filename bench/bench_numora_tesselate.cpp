// Surface tessellation: the adaptive cells against the uniform grid it replaced (kept here as
// the reference), on a wavy bicubic and a sphere. Counters: triangles made.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>
#include <numbers>

#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/NurbsEditor.h"

namespace {

// Rational bicubic with uneven knots and a wavy net.
_nurbs_surface* Wavy() {
  _nurbs_surface* s = BSRF_Create(4, 3, 6, 5);
  std::mt19937 g(5);
  std::uniform_real_distribution<double> d(-1.0, 1.0), w(0.6, 1.6);
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 6; ++i) {
      const double wt = w(g);
      s->net[j][i][0] = (2.0 * i + 0.3 * d(g)) * wt;
      s->net[j][i][1] = (2.0 * j + 0.3 * d(g)) * wt;
      s->net[j][i][2] = 1.5 * d(g) * wt;
      s->net[j][i][3] = wt;
    }
  const double ku[10] = {0, 0, 0, 0, 0.3, 0.55, 1, 1, 1, 1};
  const double kv[8] = {0, 0, 0, 0.4, 0.7, 1, 1, 1};
  std::copy(ku, ku + 10, s->uKnots);
  std::copy(kv, kv + 8, s->vKnots);
  return s;
}

_nurbs_surface* Sphere() {
  _arc arc{};
  arc.frame.xAxis[2] = -1;
  arc.frame.yAxis[0] = 1;
  arc.frame.zAxis[1] = 1;
  arc.radius = 5;
  arc.sweep = std::numbers::pi;
  BCRV* m = nullptr;
  BCRV_GenArc(&arc, m);
  const double c[3] = {0, 0, 0}, axis[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(m, c, axis, 2 * std::numbers::pi, s);
  BCRV_Free(m);
  return s;
}

// The uniform grid: steps from the curvature bound, at most 512 x 512 cells, two triangles each.
size_t UniformGrid(const _nurbs_surface* srf, double tol, std::vector<CPoint3d>& vertices,
                   std::vector<CVector3d>& normals) {
  double du, dv;
  if (!BSRF_GetMaxiStepLin(srf, tol, &du, &dv)) return 0;
  const double u0 = srf->uKnots[srf->ku - 1], u1 = srf->uKnots[srf->nu];
  const double v0 = srf->vKnots[srf->kv - 1], v1 = srf->vKnots[srf->nv];
  const int cu = std::clamp(int(std::ceil((u1 - u0) / du - 1e-9)), 1, 512);
  const int cv = std::clamp(int(std::ceil((v1 - v0) / dv - 1e-9)), 1, 512);
  const int C = cu + 1;
  std::vector<CPoint3d> gp(size_t(C) * size_t(cv + 1));
  std::vector<CVector3d> gn(gp.size());
  for (int j = 0; j <= cv; ++j)
    for (int i = 0; i <= cu; ++i) {
      double p[3], n[3];
      const double u = i == cu ? u1 : u0 + (u1 - u0) * i / cu;
      const double v = j == cv ? v1 : v0 + (v1 - v0) * j / cv;
      if (!BSRF_EvNormal(srf, u, v, p, n)) {
        BSRF_EvPos(srf, u, v, p);
        n[0] = n[1] = n[2] = 0.0;
      }
      gp[size_t(j) * size_t(C) + size_t(i)] = CPoint3d(float(p[0]), float(p[1]), float(p[2]));
      gn[size_t(j) * size_t(C) + size_t(i)] = CVector3d(float(n[0]), float(n[1]), float(n[2]));
    }
  vertices.clear();
  normals.clear();
  auto put = [&](int k) {
    vertices.push_back(gp[size_t(k)]);
    normals.push_back(gn[size_t(k)]);
  };
  for (int j = 0; j < cv; ++j)
    for (int i = 0; i < cu; ++i) {
      const int k = j * C + i;
      put(k), put(k + 1), put(k + C + 1);
      put(k), put(k + C + 1), put(k + C);
    }
  return vertices.size() / 3;
}

template <bool kAdaptive>
void Run(benchmark::State& st, _nurbs_surface* s) {
  const double tol = 1.0 / double(st.range(0));
  std::vector<CPoint3d> v;
  std::vector<CVector3d> n;
  std::vector<int> idx;
  for (auto _ : st) {
    if (kAdaptive) CNurbsEditor::Tesselate(s, tol, v, n, idx);
    else UniformGrid(s, tol, v, n);
    benchmark::DoNotOptimize(v.data());
  }
  st.counters["triangles"] = double(v.size() / 3);
  BSRF_Free(s);
}

// Argument: 1 / tolerance.
void BM_TesselateWavy(benchmark::State& st) { Run<true>(st, Wavy()); }
void BM_UniformGridWavy(benchmark::State& st) { Run<false>(st, Wavy()); }
void BM_TesselateSphere(benchmark::State& st) { Run<true>(st, Sphere()); }
void BM_UniformGridSphere(benchmark::State& st) { Run<false>(st, Sphere()); }
BENCHMARK(BM_TesselateWavy)->Arg(5)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UniformGridWavy)->Arg(5)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TesselateSphere)->Arg(5)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UniformGridSphere)->Arg(5)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
