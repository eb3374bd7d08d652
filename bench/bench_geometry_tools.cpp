// Curve-tool search structures: kd-tree queries against a linear scan, hull and index builds.
#include "geometry/tools/HullLine.h"
#include "geometry/tools/KdTree.h"
#include "geometry/tools/RBTree.h"

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

// The endpoint index over 100,000 distinct x coordinates, in random and in sorted order.
void BM_EndpointIndexBuild100k(benchmark::State& state) {
  std::vector<double> keys(100000);
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = double(i) * 0.05;
  if (state.range(0) == 0) std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
  for (auto _ : state) {
    RBTree tree;
    for (double k : keys) benchmark::DoNotOptimize(tree.insertNode(k));
  }
}
BENCHMARK(BM_EndpointIndexBuild100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A scan-beam lookup: the nodes within 0.1 of a position among 100,000 keys.
void BM_EndpointIndexRange100k(benchmark::State& state) {
  std::vector<double> keys(100000);
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = double(i) * 0.05;
  std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
  RBTree tree;
  for (double k : keys) tree.insertNode(k);
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> x(0.0, 5000.0);
  for (auto _ : state) {
    CList<RBNode_*, RBNode_*> out;
    const double c = x(rng);
    tree.findNodeRange(c - 0.1, c + 0.1, out);
    benchmark::DoNotOptimize(out.GetCount());
  }
}
BENCHMARK(BM_EndpointIndexRange100k);

}  // namespace
