// Smart loops: containment with box rejection, scan lines, offsets, booleans and ordering.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>
#include <numbers>

#include "millvane/loops/SmartLoop.h"

namespace {
// A wavy closed polygon of n lines (counter-clockwise).
CSmartLoop* Wavy(int n, double r = 50.0) {
  auto* c = new CSmartCurve;
  std::vector<std::array<double, 2>> p(n);
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n, rr = r + 3.0 * std::sin(7 * a);
    p[i] = {rr * std::cos(a), rr * std::sin(a)};
  }
  for (int i = 0; i < n; ++i) c->AppendSect(new CSmartLine(p[i].data(), p[(i + 1) % n].data()));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

CSmartLoop* Square(double x, double y, double s) {
  auto* l = new CSmartLoop;
  const double a[2] = {x, y}, b[2] = {x + s, y + s};
  l->CreateLoop(a, b);
  return l;
}

void BM_IsPointInInside(benchmark::State& st) {
  std::unique_ptr<CSmartLoop> l(Wavy(int(st.range(0))));
  const double p[2] = {1.0, 2.0};
  for (auto _ : st) benchmark::DoNotOptimize(l->IsPointIn(p));
  st.SetComplexityN(st.range(0));
}
BENCHMARK(BM_IsPointInInside)->RangeMultiplier(4)->Range(64, 16384)->Complexity();

// Outside the box: answered without touching a section.
void BM_IsPointInOutsideBox(benchmark::State& st) {
  std::unique_ptr<CSmartLoop> l(Wavy(int(st.range(0))));
  const double p[2] = {500.0, 2.0};
  for (auto _ : st) benchmark::DoNotOptimize(l->IsPointIn(p));
}
BENCHMARK(BM_IsPointInOutsideBox)->Arg(64)->Arg(16384);

void BM_ScanLine(benchmark::State& st) {
  std::unique_ptr<CSmartLoop> l(Wavy(int(st.range(0))));
  double pts[64][2];
  for (auto _ : st) benchmark::DoNotOptimize(l->GetYLineIntContour(3.3, pts, 64));
  st.SetComplexityN(st.range(0));
}
BENCHMARK(BM_ScanLine)->RangeMultiplier(4)->Range(64, 16384)->Complexity();

void BM_OffsetLoop(benchmark::State& st) {
  std::unique_ptr<CSmartLoop> l(Wavy(int(st.range(0))));
  const QNC_CornerType corner = {2, 165.0, 15.0};
  for (auto _ : st) acDeleteLoopList(l->OffsetLoop(1.0, corner));
  st.SetComplexityN(st.range(0));
}
BENCHMARK(BM_OffsetLoop)->RangeMultiplier(4)->Range(64, 4096)->Complexity()->Unit(benchmark::kMillisecond);

// Union of a row of overlapping squares of alternating kinds.
void BM_WeldSquares(benchmark::State& st) {
  const int n = int(st.range(0));
  for (auto _ : st) {
    st.PauseTiming();
    CSmartLoop* list = nullptr;
    for (int i = 0; i < n; ++i) {
      CSmartLoop* s = Square(i * 7.0, (i % 3) * 2.0, 10.0);
      s->kind = i % 2;
      list = acJoinLoopLists(list, s);
    }
    st.ResumeTiming();
    acDeleteLoopList(CSmartLoop::WeldContours(list));
  }
  st.SetComplexityN(n);
}
BENCHMARK(BM_WeldSquares)->RangeMultiplier(4)->Range(4, 256)->Complexity()->Unit(benchmark::kMillisecond);

void BM_SortByDist(benchmark::State& st) {
  const int n = int(st.range(0));
  for (auto _ : st) {
    st.PauseTiming();
    CSmartLoop* list = nullptr;
    for (int i = 0; i < n; ++i)
      list = acJoinLoopLists(list, Square(std::fmod(i * 37.0, 101.0), std::fmod(i * 53.0, 97.0), 0.5));
    st.ResumeTiming();
    acDeleteLoopList(CSmartLoop::SortByDist(list));
  }
  st.SetComplexityN(n);
}
BENCHMARK(BM_SortByDist)->RangeMultiplier(4)->Range(16, 1024)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
