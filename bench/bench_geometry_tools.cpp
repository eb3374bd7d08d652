// Curve-tool search structures: kd-tree queries against a linear scan, hull and index builds.
#include "geometry/tools/HullLine.h"
#include "geometry/tools/KdTree.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

const std::vector<Vec3D>& Cloud() {
  static const std::vector<Vec3D> pts = [] {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> c(0.0f, 1000.0f);
    std::vector<Vec3D> v(1000000);
    for (Vec3D& p : v) p = {c(rng), c(rng), c(rng)};
    return v;
  }();
  return pts;
}

std::vector<Vec3D> Queries() {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> c(0.0f, 1000.0f);
  std::vector<Vec3D> q(256);
  for (Vec3D& p : q) p = {c(rng), c(rng), c(rng)};
  return q;
}

void BM_KdTreeBuild1M(benchmark::State& state) {
  const auto& pts = Cloud();
  for (auto _ : state) {
    KdTree tree(pts.data(), unsigned(pts.size()), 8);
    benchmark::DoNotOptimize(&tree);
  }
}
BENCHMARK(BM_KdTreeBuild1M)->Unit(benchmark::kMillisecond);

// k nearest (the query returns 40 * k candidates) among 1,000,000 points.
void BM_KdTreeNearest1M(benchmark::State& state) {
  const auto& pts = Cloud();
  const auto queries = Queries();
  KdTree tree(pts.data(), unsigned(pts.size()), 8);
  tree.setNOfNeighbours(unsigned(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    tree.queryPosition(queries[i++ % queries.size()]);
    benchmark::DoNotOptimize(tree.getSquaredDistance(0));
  }
}
BENCHMARK(BM_KdTreeNearest1M)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_BruteForceNearest1M(benchmark::State& state) {
  const auto& pts = Cloud();
  const auto queries = Queries();
  const size_t m = size_t(state.range(0)) * 40;
  std::vector<float> d(pts.size());
  size_t i = 0;
  for (auto _ : state) {
    const Vec3D& q = queries[i++ % queries.size()];
    for (size_t j = 0; j < pts.size(); ++j) d[j] = (pts[j] - q).squaredLength();
    std::nth_element(d.begin(), d.begin() + long(m), d.end());
    benchmark::DoNotOptimize(d[m]);
  }
}
BENCHMARK(BM_BruteForceNearest1M)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_ConvexHull100k(benchmark::State& state) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> c(-1.0f, 1.0f);
  CHullLine input;
  for (int i = 0; i < 100000; ++i) input.AddPoint(c(rng), c(rng));
  for (auto _ : state) {
    CHullLine h(input);
    h.CalculateConvexHull();
    benchmark::DoNotOptimize(h.m_hull.size());
  }
}
BENCHMARK(BM_ConvexHull100k)->Unit(benchmark::kMillisecond);

}  // namespace
