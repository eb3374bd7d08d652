// Grid editing on a 1024 x 1024 relief: every filter is one pass over the nodes (or the show
// window), the flood fill one visit per node.
#include <benchmark/benchmark.h>

#include <cmath>

#include "geometry/grid/GeGrid.h"

namespace {

constexpr int kSide = 1024;

void MakeTerrain(CGeGrid& g) {
  float o[3] = {0, 0, 0};
  g.Create(o, 0.1f, kSide, kSide, 0);
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c)
      g.SetZHeight(c, r, float(3 * std::sin(c / 40.0) * std::cos(r / 30.0)));
}

void BM_LapSmooth(benchmark::State& state) {
  CGeGrid g;
  MakeTerrain(g);
  for (auto _ : state) g.LapSmooth();
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_LapSmooth)->Unit(benchmark::kMillisecond);

void BM_Noisify(benchmark::State& state) {
  CGeGrid g;
  MakeTerrain(g);
  for (auto _ : state) g.Noisify(0.01f);
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_Noisify)->Unit(benchmark::kMillisecond);

void BM_BlurMask(benchmark::State& state) {
  CGeGrid g;
  MakeTerrain(g);
  g.MaskUnderZ(0);
  for (auto _ : state) g.BlurMask();
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_BlurMask)->Unit(benchmark::kMillisecond);

void BM_MaskFloodFill(benchmark::State& state) {
  CGeGrid g;
  MakeTerrain(g);
  int l, t, r, b;
  for (auto _ : state) {
    g.ClearMask();
    g.MaskFloodFill(kSide / 2, kSide / 2, l, t, r, b);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_MaskFloodFill)->Unit(benchmark::kMillisecond);

void BM_ColorOnLine(benchmark::State& state) {
  CGeGrid g;
  MakeTerrain(g);
  for (auto _ : state) g.ColorOnLine(-1e6f, 3, 1e6f, 90, 0xff);
}
BENCHMARK(BM_ColorOnLine)->Unit(benchmark::kMicrosecond);

}  // namespace
