// Growth of the follow and scan pockets with the number of islands: a rectangle holding a
// square grid of n small octagonal islands. Each run shows the log-log exponent against the
// previous size, the path length and the entity count (which grow linearly with n).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <string>

#include "bench/GrowthExponent.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/PathCombine.h"
#include "millvane/paths/PathEntity.h"

namespace {
constexpr double kPi = std::numbers::pi;
const QNC_CornerType kCorner{2, 165.0, 15.0};
constexpr double kPitch = 2.5;

CSmartLoop* LoopOf(CSmartCurve* c) {
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

// A k x k grid of octagons of radius 0.6 on a pitch of 2.5, in a rectangle 2 beyond them.
CSmartLoop* RectWithIslands(int n) {
  const int k = static_cast<int>(std::lround(std::sqrt(double(n))));
  auto* l = new CSmartLoop;
  const double a[2] = {-2.0, -2.0}, b[2] = {(k - 1) * kPitch + 2.0, (k - 1) * kPitch + 2.0};
  l->CreateLoop(a, b);
  for (int gy = 0; gy < k; ++gy)
    for (int gx = 0; gx < k; ++gx) {
      const double cx = gx * kPitch, cy = gy * kPitch;
      auto* h = new CSmartCurve;
      for (int q = 0; q < 8; ++q) {
        // Clockwise: an island.
        const double a0 = -2 * kPi * q / 8, a1 = -2 * kPi * (q + 1) / 8;
        const double s[2] = {cx + 0.6 * std::cos(a0), cy + 0.6 * std::sin(a0)};
        const double e[2] = {cx + 0.6 * std::cos(a1), cy + 0.6 * std::sin(a1)};
        h->AppendSect(new CSmartLine(s, e));
      }
      l->AddIsland(LoopOf(h));
    }
  return l;
}

void Report(benchmark::State& state, const CPathCombine& comb) {
  double len = 0;
  int count = 0;
  for (const CPathEntity* e = comb.head; e; e = e->next) {
    len += e->GetLength();
    ++count;
  }
  state.counters["path_length"] = len;
  state.counters["entities"] = count;
}

template <class F>
void Pocket(benchmark::State& state, const std::string& family, F run) {
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
  Pocket(state, "follow", [](CSmartLoop* c, CPathCombine& comb) {
    QNC_CutFollowDef def{0, 0, 0.5, 0.0};
    return c->CreateFollowPath(&comb, def, kCorner, {1});
  });
}

void BM_ScanIslands(benchmark::State& state) {
  Pocket(state, "scan", [](CSmartLoop* c, CPathCombine& comb) {
    const QNC_CutLinearDef def{kLinearZigZag | kLinearFinish, 0, 0.5, 0.0, 0.25, 5.0, 0.0};
    return c->CreateLinearPath(&comb, def, kCorner, {1});
  });
}

}  // namespace

BENCHMARK(BM_FollowIslands)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanIslands)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);
