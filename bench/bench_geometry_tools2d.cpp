// Union of many loops: LoopMerge against uniting the loops one at a time over the same clip
// call, against a tree of unions that pairs loops by list position, and against one Clipper
// union of all contours (the clipper's own best). The growth runs show the log-log exponent.
#include <benchmark/benchmark.h>

#include <cmath>
#include <polyclipping/clipper.hpp>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "bench/GrowthExponent.h"
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

// Unions in rounds of neighbours by list position, for any order of the loops: later rounds
// clip polygons spread over the whole plane.
bool ListPairMerge(CGeLoopList* loops, CGeLoopList* result) {
  struct Poly {
    gpc_polygon p;
    Poly() { gpc_init_polygon(&p); }
    Poly(Poly&& o) noexcept : p(o.p) { gpc_init_polygon(&o.p); }
    Poly& operator=(Poly&& o) noexcept {
      std::swap(p, o.p);
      return *this;
    }
    ~Poly() { gpc_free_polygon(&p); }
  };
  std::vector<Poly> level;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoopList one;
    one.AddTail(loops->GetNext(pos));
    level.emplace_back();
    geLoopList2GPC(&one, &level.back().p);
  }
  while (level.size() > 1) {
    std::vector<Poly> next((level.size() + 1) / 2);
    for (size_t i = 0; i + 1 < level.size(); i += 2)
      if (!gpc_polygon_clip(GPC_UNION, &level[i].p, &level[i + 1].p, &next[i / 2].p)) return false;
    if (level.size() % 2) std::swap(next.back(), level.back());
    level.swap(next);
  }
  geGPC2LoopList(&level[0].p, result);
  return true;
}

void BM_LoopMergeGrowth(benchmark::State& state) {
  Circles c(static_cast<int>(state.range(0)));
  growth::Timed(state, "merge", double(state.range(0)), [&] {
    CGeLoopList out;
    CGeTool2D().LoopMerge(&c.loops, &out);
    state.counters["loops"] = double(out.GetCount());
    geDelGeLoopList(&out, false);
  });
}
BENCHMARK(BM_LoopMergeGrowth)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);

void BM_LoopMergeListPairs(benchmark::State& state) {
  Circles c(static_cast<int>(state.range(0)));
  growth::Timed(state, "list pairs", double(state.range(0)), [&] {
    CGeLoopList out;
    ListPairMerge(&c.loops, &out);
    state.counters["loops"] = double(out.GetCount());
    geDelGeLoopList(&out, false);
  });
}
BENCHMARK(BM_LoopMergeListPairs)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_ClipperUnionAll)->Arg(100)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);

}  // namespace
