// Shape-list helpers on large inputs: point-string thinning, the start-x index,
// nearest-start ordering and loops through the clipper record.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/RBTree.h"

namespace {

// A dense, slightly noisy spiral: most points are thinned away.
void Spiral(CPoint2dArray& pts, int n) {
  pts.SetSize(n);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> noise(-0.001, 0.001);
  for (int i = 0; i < n; ++i) {
    const double a = i * 0.001;
    const double r = 10.0 + a;
    pts[i] = tagPoint2d{static_cast<float>(r * std::cos(a) + noise(rng)),
                        static_cast<float>(r * std::sin(a) + noise(rng))};
  }
}

void BM_RefinePointStr(benchmark::State& state) {
  CPoint2dArray src;
  Spiral(src, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    CPoint2dArray pts;
    pts.Copy(src);
    state.ResumeTiming();
    RefinePointStr(0.01, 2.9670597283898, pts);
    benchmark::DoNotOptimize(pts.GetData());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefinePointStr)->Arg(100000)->Unit(benchmark::kMillisecond);

void FillLines(CGeCurveList& list, int n) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0.0, 1000.0);
  for (int i = 0; i < n; ++i) {
    const double s[2] = {u(rng), u(rng)};
    const double e[2] = {s[0] + 1.0, s[1] + 1.0};
    list.AddTail(new CGeLine(s, e));
  }
}

void BM_ScanBeamTree(benchmark::State& state) {
  CGeCurveList list;
  FillLines(list, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    RBTree tree;
    geCreateScanBeamTree(&list, 0.0, tree);
    benchmark::DoNotOptimize(tree.GetRoot());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  geDelCurveList(&list);
}
BENCHMARK(BM_ScanBeamTree)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RankCurveInNearestDist(benchmark::State& state) {
  CGeCurveList list;
  FillLines(list, static_cast<int>(state.range(0)));
  for (auto _ : state) geRankCurveInNearestDist(&list);
  state.SetComplexityN(state.range(0));
  geDelCurveList(&list);
}
BENCHMARK(BM_RankCurveInNearestDist)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity();

// A loop of one closed polyline approximating a circle, n segments.
CGeLoop* CircleLoop(int n, double cx, double r) {
  std::vector<double> xy(static_cast<size_t>(2 * (n + 1)));
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * std::numbers::pi * (i % n) / n;
    xy[2 * i] = cx + r * std::cos(a);
    xy[2 * i + 1] = r * std::sin(a);
  }
  auto* poly = new CGePolyline;
  poly->Create(n + 1, reinterpret_cast<const double(*)[2]>(xy.data()));
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 0);
  loop->Discrete(0.01);
  return loop;
}

// Loops out to the clipper record and back, as the boolean tools use them.
void BM_LoopListGpcRoundTrip(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CGeLoopList loops;
  loops.AddTail(CircleLoop(n, 0.0, 100.0));
  loops.AddTail(CircleLoop(n, 0.0, 50.0));
  for (auto _ : state) {
    gpc_polygon poly;
    gpc_init_polygon(&poly);
    geLoopList2GPC(&loops, &poly);
    CGeLoopList back;
    geGPC2LoopList(&poly, &back);
    gpc_free_polygon(&poly);
    benchmark::DoNotOptimize(back.GetCount());
    geDelGeLoopList(&back, false);
  }
  state.SetItemsProcessed(state.iterations() * 2 * n);
  geDelGeLoopList(&loops, false);
}
BENCHMARK(BM_LoopListGpcRoundTrip)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
