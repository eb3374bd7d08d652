// Follow and scan pockets of two generated outlines: a text of 1,000 glyphs (each a "D" with
// arcs and a hole, nested and ordered as one loop list) and a noisy 2,000-vertex outline with
// 50 islands; and their growth with the number of islands in a rectangle, with the log-log
// exponent against the previous size. Counters: path length, entity count, and the time per
// pocket.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "bench/GrowthExponent.h"

#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"

namespace {
constexpr double kPi = std::numbers::pi;
const QNC_CornerType kCorner{2, 165.0, 15.0};

CSmartLoop* LoopOf(CSmartCurve* c) {
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

// A clockwise octagon (an island) of radius r about (cx, cy).
CSmartLoop* Octagon(double cx, double cy, double r) {
  auto* h = new CSmartCurve;
  for (int k = 0; k < 8; ++k) {
    const double a0 = -2 * kPi * k / 8, a1 = -2 * kPi * (k + 1) / 8;
    const double s[2] = {cx + r * std::cos(a0), cy + r * std::sin(a0)};
    const double e[2] = {cx + r * std::cos(a1), cy + r * std::sin(a1)};
    h->AppendSect(new CSmartLine(s, e));
  }
  return LoopOf(h);
}

// A "D" of height 10 at (x, y): spine, half circle, and a smaller "D" hole.
void AddGlyph(double x, double y, CSmartLoop*& list) {
  auto* c = new CSmartCurve;
  const double p0[2] = {x, y}, p1[2] = {x + 4, y}, p2[2] = {x + 4, y + 10}, p3[2] = {x, y + 10},
               ctr[2] = {x + 4, y + 5};
  c->AppendSect(new CSmartLine(p0, p1));
  c->AppendSect(new CSmartArc(ctr, 5.0, -kPi / 2, kPi / 2));
  c->AppendSect(new CSmartLine(p2, p3));
  c->AppendSect(new CSmartLine(p3, p0));
  auto* h = new CSmartCurve;
  const double q0[2] = {x + 2, y + 2.5}, q1[2] = {x + 2, y + 7.5}, q2[2] = {x + 4, y + 7.5},
               q3[2] = {x + 4, y + 2.5};
  h->AppendSect(new CSmartLine(q0, q1));
  h->AppendSect(new CSmartLine(q1, q2));
  h->AppendSect(new CSmartArc(ctr, 2.5, kPi / 2, -kPi / 2));
  h->AppendSect(new CSmartLine(q3, q0));
  list = acJoinLoopLists(list, LoopOf(c));
  list = acJoinLoopLists(list, LoopOf(h));
}

// 1,000 glyphs in 25 lines of 40, as loose loops nested into contours.
CSmartLoop* Text() {
  CSmartLoop* loose = nullptr;
  for (int i = 0; i < 1000; ++i) AddGlyph(12.0 * (i % 40), 14.0 * (i / 40), loose);
  return CSmartLoop::BuildContour(loose);
}

// A circle of radius 100 with vertices moved radially by up to +-1.5 (fixed seed), holding
// 50 octagonal islands of radius 4 on a grid.
CSmartLoop* NoisyWithIslands() {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto uniform = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  };
  const int n = 2000;
  std::vector<std::array<double, 2>> p(n);
  for (int i = 0; i < n; ++i) {
    const double a = 2 * kPi * i / n, r = 100.0 + 3.0 * (uniform() - 0.5);
    p[i] = {r * std::cos(a), r * std::sin(a)};
  }
  auto* c = new CSmartCurve;
  for (int i = 0; i < n; ++i) c->AppendSect(new CSmartLine(p[i].data(), p[(i + 1) % n].data()));
  CSmartLoop* outer = LoopOf(c);
  int made = 0;
  for (int gy = -3; gy <= 3 && made < 50; ++gy)
    for (int gx = -4; gx <= 4 && made < 50; ++gx) {
      const double cx = 20.0 * gx, cy = 20.0 * gy;
      if (std::hypot(cx, cy) > 80) continue;
      outer->AddIsland(Octagon(cx, cy, 4.0));
      ++made;
    }
  return outer;
}

void Report(benchmark::State& state, const CPathCombine& comb) {
  double len = 0;
  int count = 0;
  for (const CPathEntity* e = comb.head; e; e = e->next) {
    len += e->GetLength();
    ++count;
  }
  state.counters["path_length"] = len;
  state.counters["segments"] = count;
}

template <class F>
void Pocket(benchmark::State& state, CSmartLoop* contours, F run) {
  for (auto _ : state) {
    CPathCombine comb(8);
    for (CSmartLoop* c = contours; c; c = c->next) run(c, comb);
    state.PauseTiming();
    Report(state, comb);
    state.ResumeTiming();
  }
  acDeleteLoopList(contours);
}

void BM_TextFollow(benchmark::State& state) {
  Pocket(state, Text(), [](CSmartLoop* c, CPathCombine& comb) {
    QNC_CutFollowDef def{0, 0, 0.4, 0.0};
    c->CreateFollowPath(&comb, def, kCorner, {1});
  });
}

void BM_TextScan(benchmark::State& state) {
  Pocket(state, Text(), [](CSmartLoop* c, CPathCombine& comb) {
    const QNC_CutLinearDef def{kLinearZigZag | kLinearFinish, 0, 0.4, 0.0, 0.2, 5.0, 0.0};
    c->CreateLinearPath(&comb, def, kCorner, {1});
  });
}

void BM_NoisyIslandsFollow(benchmark::State& state) {
  Pocket(state, NoisyWithIslands(), [](CSmartLoop* c, CPathCombine& comb) {
    QNC_CutFollowDef def{0, 0, 2.0, 0.0};
    c->CreateFollowPath(&comb, def, kCorner, {1});
  });
}

void BM_NoisyIslandsScan(benchmark::State& state) {
  Pocket(state, NoisyWithIslands(), [](CSmartLoop* c, CPathCombine& comb) {
    const QNC_CutLinearDef def{kLinearZigZag | kLinearFinish, 0, 1.0, 0.0, 1.0, 10.0, 30.0};
    c->CreateLinearPath(&comb, def, kCorner, {1});
  });
}

// Ordering a text's loops for machining: the nesting and ordering of 2,000 loose loops.
void BM_TextBuildContour(benchmark::State& state) {
  for (auto _ : state) {
    CSmartLoop* loose = nullptr;
    for (int i = 0; i < 1000; ++i) AddGlyph(12.0 * (i % 40), 14.0 * (i / 40), loose);
    CSmartLoop* c = CSmartLoop::BuildContour(loose);
    benchmark::DoNotOptimize(c);
    acDeleteLoopList(c);
  }
}

}  // namespace

BENCHMARK(BM_TextFollow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TextScan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NoisyIslandsFollow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NoisyIslandsScan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TextBuildContour)->Unit(benchmark::kMillisecond)->Iterations(1);

namespace {

// Crossings of two noisy 2,000-vertex outlines, the second shifted by 0.5: the section-pair
// search the booleans of every pocket step run.
void BM_NoisyLoopLoopInt(benchmark::State& state) {
  CSmartLoop* a = NoisyWithIslands();
  CSmartLoop* b = NoisyWithIslands();
  b->RotateContour(0.001);
  for (auto _ : state) {
    a->InitBuffer();
    b->InitBuffer();
    benchmark::DoNotOptimize(a->LoopLoopInt(b));
  }
  delete a;
  delete b;
}

}  // namespace

BENCHMARK(BM_NoisyLoopLoopInt)->Unit(benchmark::kMillisecond);

namespace {

// A k x k grid of octagons of radius 0.6 on a pitch of 2.5, in a rectangle 2 beyond them.
CSmartLoop* RectWithIslands(int n) {
  constexpr double kPitch = 2.5;
  const int k = static_cast<int>(std::lround(std::sqrt(double(n))));
  auto* l = new CSmartLoop;
  const double a[2] = {-2.0, -2.0}, b[2] = {(k - 1) * kPitch + 2.0, (k - 1) * kPitch + 2.0};
  l->CreateLoop(a, b);
  for (int gy = 0; gy < k; ++gy)
    for (int gx = 0; gx < k; ++gx) {
      const double cx = gx * kPitch, cy = gy * kPitch;
      l->AddIsland(Octagon(cx, cy, 0.6));
    }
  return l;
}

template <class F>
void IslandGrowth(benchmark::State& state, const std::string& family, F run) {
  const int n = static_cast<int>(state.range(0));
  CSmartLoop* c = RectWithIslands(n);
  growth::Timed(state, family, n, [&] {
    CPathCombine comb(8);
    if (!run(c, comb)) state.SkipWithError("the pocket failed");
    Report(state, comb);  // a linear walk, negligible beside the pocket
  });
  acDeleteLoopList(c);
}

void BM_FollowIslands(benchmark::State& state) {
  IslandGrowth(state, "follow", [](CSmartLoop* c, CPathCombine& comb) {
    QNC_CutFollowDef def{0, 0, 0.5, 0.0};
    return c->CreateFollowPath(&comb, def, kCorner, {1});
  });
}

void BM_ScanIslands(benchmark::State& state) {
  IslandGrowth(state, "scan", [](CSmartLoop* c, CPathCombine& comb) {
    const QNC_CutLinearDef def{kLinearZigZag | kLinearFinish, 0, 0.5, 0.0, 0.25, 5.0, 0.0};
    return c->CreateLinearPath(&comb, def, kCorner, {1});
  });
}

}  // namespace

BENCHMARK(BM_FollowIslands)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanIslands)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
