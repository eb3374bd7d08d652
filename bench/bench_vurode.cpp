// Costs of the application-services calls the kernels make in their inner loops: scratch
// blocks, world-to-screen mapping and clipped polyline drawing.
#include "platform/afx/DC.h"
#include "platform/vurode/Vurode.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

// A device that only counts, so the measurement is the view's own work.
class CountingDC : public CDC {
 public:
  long points = 0;

 protected:
  BOOL DoLineTo(CPoint, CPoint) override { return ++points, TRUE; }
  BOOL DoPolyline(const POINT*, int n) override { return points += n, TRUE; }
  BOOL DoPolyBezier(const POINT*, int n) override { return points += n, TRUE; }
  BOOL DoEllipse(const CRect&) override { return TRUE; }
  BOOL DoRectangle(const CRect&) override { return TRUE; }
  COLORREF DoSetPixel(CPoint, COLORREF c) override { return c; }
  int DoGetDeviceCaps(int) const override { return 0; }
};

void BM_ScratchPoolPair(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    void* p = gAlcMemPool(bytes);
    benchmark::DoNotOptimize(p);
    gFreMemPool();
  }
}
BENCHMARK(BM_ScratchPoolPair)->Arg(16 * 64)->Arg(16 * 100000);

void BM_WorldtoScreen(benchmark::State& state) {
  CVurode view;
  view.SetScale(3.7);
  view.SetOrigin(12.5, -4.0);
  double x = 0.0;
  for (auto _ : state) {
    x += 0.25;
    benchmark::DoNotOptimize(view.WorldtoScreen(x, -x));
  }
}
BENCHMARK(BM_WorldtoScreen);

// A spiral that leaves and re-enters the view on every turn.
void BM_ClipDrawPolyLine(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::array<double, 2>> pts(n);
  for (int i = 0; i < n; ++i) {
    const double t = i * 0.01, r = 100 + 500 * (i % 200) / 200.0;
    pts[i] = {r * std::cos(t), r * std::sin(t)};
  }
  CVurode view;
  view.SetViewRect(CRect(0, 0, 800, 600));
  CountingDC dc;
  for (auto _ : state) {
    view.ClipDrawPolyLine(reinterpret_cast<const double(*)[2]>(pts.data()), n, &dc);
  }
  benchmark::DoNotOptimize(dc.points);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ClipDrawPolyLine)->Arg(1000)->Arg(100000);

}  // namespace
