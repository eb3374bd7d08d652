// Union of many loops: LoopMerge's tree of unions against uniting the loops one at a time over
// the same clip call, and against one Clipper union of all contours (the clipper's own best).
#include <benchmark/benchmark.h>

#include <cmath>
#include <polyclipping/clipper.hpp>
#include <random>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "tests/support/geometry/LoopMergeFold.h"

namespace {

// n circles of radius 1 to 2 scattered so that they overlap in clusters.
struct Circles {
  CGeLoopList loops;
  explicit Circles(int n) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0, 1);
    const double span = 3 * std::sqrt(double(n));
    for (int i = 0; i < n; ++i) {
      const double c[2] = {span * u(rng), span * u(rng)};
      auto* l = new CGeLoop;
      l->AddTail(new CGeCircle(c, 1 + u(rng), 1), 1);
      l->EvArea(0.01);
      loops.AddTail(l);
    }
  }
  ~Circles() { geDelGeLoopList(&loops, false); }
};

void BM_LoopMergeTree(benchmark::State& state) {
  Circles c(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CGeLoopList out;
    CGeTool2D().LoopMerge(&c.loops, &out);
    benchmark::DoNotOptimize(out.GetCount());
    geDelGeLoopList(&out, false);
  }
}
BENCHMARK(BM_LoopMergeTree)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoopMergeOneAtATime(benchmark::State& state) {
  Circles c(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CGeLoopList out;
    FoldLoopMerge(&c.loops, &out);
    benchmark::DoNotOptimize(out.GetCount());
    geDelGeLoopList(&out, false);
  }
}
BENCHMARK(BM_LoopMergeOneAtATime)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// All contours in one Clipper union with the non-zero rule: no per-loop even-odd semantics and
// no conversion back to loops, so a floor rather than an alternative.
void BM_ClipperUnionAll(benchmark::State& state) {
  Circles c(static_cast<int>(state.range(0)));
  ClipperLib::Paths paths;
  for (POSITION pos = c.loops.GetHeadPosition(); pos;) {
    CGeLoop* l = c.loops.GetNext(pos);
    ClipperLib::Path p;
    for (int i = 0; i < l->m_nSWPoint; ++i)
      p.emplace_back(std::llround(l->m_pSWPoint[i][0] * gpc_scale),
                     std::llround(l->m_pSWPoint[i][1] * gpc_scale));
    paths.push_back(std::move(p));
  }
  for (auto _ : state) {
    ClipperLib::Clipper clip;
    clip.AddPaths(paths, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    clip.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    benchmark::DoNotOptimize(tree.Total());
  }
}
BENCHMARK(BM_ClipperUnionAll)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
