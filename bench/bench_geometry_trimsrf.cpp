// Trimmed surfaces: point evaluation, classification against a loop of many vertices, the
// space curves of a sampled loop and the untrimmed mesh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "tests/support/geometry/TrimTestUtil.h"

using namespace trimtest;

namespace {

// A wavy surface framed by the unit square with a 2000-vertex star-shaped hole.
std::unique_ptr<CGeTrimSurf> Holed() {
  auto s = std::make_unique<CGeTrimSurf>(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  std::vector<UV> star;
  for (int i = 0; i < 2000; ++i) {
    const double a = 2 * std::numbers::pi * i / 2000, r = 0.25 + 0.1 * std::sin(12 * a);
    star.push_back({0.5 + r * std::cos(a), 0.5 + r * std::sin(a)});
  }
  s->AddLoop(PolygonLoop(star));
  s->BuildTopo();
  return s;
}

void BM_GetPoint(benchmark::State& state) {
  auto s = Holed();
  double p[3], u = 0;
  for (auto _ : state) {
    u = u > 0.99 ? 0 : u + 0.001;
    benchmark::DoNotOptimize(s->GetPoint(u, 0.37, p));
  }
}
BENCHMARK(BM_GetPoint);

void BM_IsPtInParaLoop(benchmark::State& state) {
  auto s = Holed();
  double uv[2] = {0, 0.51};
  for (auto _ : state) {
    uv[0] = uv[0] > 0.99 ? 0 : uv[0] + 0.001;
    benchmark::DoNotOptimize(s->IsPtInParaLoop(uv));
  }
}
BENCHMARK(BM_IsPtInParaLoop);

void BM_CreateEuclidBnd(benchmark::State& state) {
  auto s = Holed();
  CGeTrimLoop* hole = s->m_LoopList.GetTail();
  for (auto _ : state) {
    CGeTrimBnd* b = hole->m_BndList.GetHead();
    delete b->m_pEucCrv;
    b->m_pEucCrv = nullptr;
    hole->CreateEuclidBnd();
    benchmark::DoNotOptimize(b->m_pEucCrv);
  }
}
BENCHMARK(BM_CreateEuclidBnd)->Unit(benchmark::kMillisecond);

void BM_UntrimmedMesh(benchmark::State& state) {
  auto s = std::make_unique<CGeTrimSurf>(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  for (auto _ : state) {
    std::unique_ptr<CGeMesh> mesh(s->DiscreteToNcMesh(0.001));
    benchmark::DoNotOptimize(mesh->faces.size());
  }
}
BENCHMARK(BM_UntrimmedMesh)->Unit(benchmark::kMillisecond);

}  // namespace
