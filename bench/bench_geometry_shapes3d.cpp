// Discretising, picking and projecting onto 100,000 3D lines, arcs and polylines.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

namespace {

constexpr int kCount = 100000;

enum Kind { kLines, kArcs, kPolylines };

std::vector<std::unique_ptr<CGeCurve3d>> MakeCurves(Kind kind) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> pos(0.0, 1000.0), len(1.0, 20.0), unit(-1.0, 1.0);
  std::vector<std::unique_ptr<CGeCurve3d>> out;
  out.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    const double p[3] = {pos(rng), pos(rng), pos(rng) / 10};
    const double l = len(rng);
    if (kind == kArcs) {
      const double q[3] = {p[0] + l * unit(rng), p[1] + l * unit(rng), p[2] + l * unit(rng)};
      const double r[3] = {p[0] + l * unit(rng), p[1] + l * unit(rng), p[2] + l * unit(rng)};
      auto arc = std::make_unique<CGeArc3d>();
      if (!arc->Create3Pnt(p, q, r)) continue;
      arc->DiscreteMe(0.01);
      out.push_back(std::move(arc));
    } else if (kind == kLines) {
      const double q[3] = {p[0] + l * unit(rng), p[1] + l * unit(rng), p[2] + l * unit(rng)};
      out.push_back(std::make_unique<CGeLine3d>(p, q));
    } else {
      double v[12][3];
      for (int k = 0; k < 12; ++k)
        for (int c = 0; c < 3; ++c) v[k][c] = p[c] + l * unit(rng);
      auto pl = std::make_unique<CGePolyline3d>();
      pl->Create(12, v);
      out.push_back(std::move(pl));
    }
  }
  return out;
}

void Discretise(benchmark::State& state, Kind kind, double tol) {
  auto curves = MakeCurves(kind);
  long points = 0;
  for (auto _ : state) {
    points = 0;
    for (auto& c : curves) {
      c->DiscreteMe(tol);
      points += c->m_strDisc.m_nCount;
    }
    benchmark::DoNotOptimize(points);
  }
  state.counters["points"] = static_cast<double>(points);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(curves.size()));
}

// One pick ray down through each curve's start, tested against every curve: the picking pass
// of a crowded 3D view.
void Pick(benchmark::State& state, Kind kind, bool view2D) {
  auto curves = MakeCurves(kind);
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> pos(0.0, 1000.0);
  int hits = 0;
  for (auto _ : state) {
    CPickRay ray;
    ray.m_b2D = view2D ? 1 : 0;
    ray.m_dRadius = 0.5;
    ray.m_ptOrigin[0] = pos(rng);
    ray.m_ptOrigin[1] = pos(rng);
    ray.m_ptOrigin[2] = 1000.0;
    ray.m_vDir[0] = ray.m_vDir[1] = 0.0;
    ray.m_vDir[2] = -1.0;
    for (auto& c : curves) hits += c->Pick(ray, 1);
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(curves.size()));
}

void Nearest(benchmark::State& state, Kind kind) {
  auto curves = MakeCurves(kind);
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> pos(0.0, 1000.0);
  for (auto _ : state) {
    const double p[3] = {pos(rng), pos(rng), pos(rng) / 10};
    double sum = 0.0;
    for (auto& c : curves) {
      double out[3], t = 0.0, dist = 0.0;
      unsigned seg = 0;
      c->GetNearestPoint3D(p, out, t, seg, dist);
      sum += dist;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(curves.size()));
}

BENCHMARK_CAPTURE(Discretise, Arcs_tol_0_01, kArcs, 0.01)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Discretise, Arcs_tol_0_001, kArcs, 0.001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Discretise, Lines, kLines, 0.01)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Discretise, Polylines, kPolylines, 0.01)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pick, Lines3DView, kLines, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pick, Lines2DView, kLines, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pick, Arcs3DView, kArcs, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pick, Polylines3DView, kPolylines, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Nearest, Arcs, kArcs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Nearest, Polylines, kPolylines)->Unit(benchmark::kMillisecond);

}  // namespace
