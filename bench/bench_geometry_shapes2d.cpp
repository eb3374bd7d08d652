// Discretising and picking 100,000 lines and arcs; loading composites nested deep.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "platform/afx/Archive.h"
#include "platform/afx/MemFile.h"

namespace {

constexpr int kCount = 100000;

std::vector<std::unique_ptr<CGeCurve>> MakeCurves(bool arcs) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> pos(0.0, 1000.0), len(1.0, 20.0), ang(-3.0, 3.0);
  std::vector<std::unique_ptr<CGeCurve>> out;
  out.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    const double p[2] = {pos(rng), pos(rng)};
    if (arcs) {
      auto arc = std::make_unique<CGeArc>();
      const double a0 = ang(rng);
      arc->CreateCSEAngle(p, len(rng), a0, a0 + 2.0 * ang(rng));
      out.push_back(std::move(arc));
    } else {
      const double a = ang(rng), l = len(rng);
      const double q[2] = {p[0] + l * std::cos(a), p[1] + l * std::sin(a)};
      out.push_back(std::make_unique<CGeLine>(p, q));
    }
  }
  return out;
}

void Discretise(benchmark::State& state, bool arcs) {
  auto curves = MakeCurves(arcs);
  long points = 0;
  for (auto _ : state) {
    points = 0;
    for (auto& c : curves) {
      c->Discrete(0.01);
      points += c->m_nSWPoint;
    }
    benchmark::DoNotOptimize(points);
  }
  state.counters["points"] = static_cast<double>(points);
  state.SetItemsProcessed(state.iterations() * kCount);
}

void Pick(benchmark::State& state, bool arcs) {
  auto curves = MakeCurves(arcs);
  for (auto& c : curves) c->Discrete(0.01);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> pos(0.0, 1000.0);
  long hits = 0;
  for (auto _ : state) {
    CPickRay ray;
    ray.m_b2D = 1;
    ray.m_dRadius = 2.0;
    ray.m_ptOrigin[0] = pos(rng);
    ray.m_ptOrigin[1] = pos(rng);
    for (auto& c : curves) hits += c->Pick(ray, 1);
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = static_cast<double>(hits);
  state.SetItemsProcessed(state.iterations() * kCount);
}

// A composite whose every level holds the level below and one line, stored, then loaded: the
// time per load should grow linearly with the depth.
void BM_LoadNestedComposite(benchmark::State& state) {
  const int depth = int(state.range(0));
  auto line = [](int k) {
    const double a[2] = {double(k), double(k % 2)}, b[2] = {double(k + 1), double((k + 1) % 2)};
    return new CGeLine(a, b);
  };
  auto nested = std::make_unique<CGeCombCurve>();
  nested->m_CurveList.AddTail(line(0));
  for (int k = 1; k < depth; ++k) {
    auto outer = std::make_unique<CGeCombCurve>();
    outer->m_CurveList.AddTail(nested.release());
    outer->m_CurveList.AddTail(line(k));
    nested = std::move(outer);
  }
  CMemFile stored;
  {
    CArchive ar(&stored, CArchive::store);
    ar << static_cast<const CObject*>(nested.get());
    ar.Close();
  }
  for (auto _ : state) {
    stored.SeekToBegin();
    CArchive ar(&stored, CArchive::load);
    std::unique_ptr<CObject> back(ar.ReadObject(nullptr));
    benchmark::DoNotOptimize(back.get());
  }
  state.SetComplexityN(depth);
}

void BM_DiscreteLines(benchmark::State& s) { Discretise(s, false); }
void BM_DiscreteArcs(benchmark::State& s) { Discretise(s, true); }
void BM_PickLines(benchmark::State& s) { Pick(s, false); }
void BM_PickArcs(benchmark::State& s) { Pick(s, true); }

BENCHMARK(BM_DiscreteLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiscreteArcs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickArcs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadNestedComposite)->RangeMultiplier(2)->Range(124, 990)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
