// Piecewise NURBS fitting of long 3D point runs, the fillet arc of two circles and the
// coordinate-plane biarc fit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/tools/CurveFit3d.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/numora/Bcrv.h"

namespace {

// A helix with a sharp kink every 500 points.
std::vector<double> Helix(int n) {
  std::vector<double> pts(3 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double a = 0.02 * i, kink = (i / 500) % 2 ? 3.0 : 0.0;
    pts[3 * i] = 20 * std::cos(a) + kink;
    pts[3 * i + 1] = 20 * std::sin(a);
    pts[3 * i + 2] = 0.05 * i;
  }
  return pts;
}

void BM_GlobalInterp(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> pts = Helix(n);
  for (auto _ : state) {
    BCRV* c = CGeTool3D::GlobalInterp(reinterpret_cast<const double(*)[3]>(pts.data()), n, 2,
                                      0.05, 2.5);
    benchmark::DoNotOptimize(c);
    BCRV_Free(c);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_GlobalInterp)->Arg(1000)->Arg(10000);

void BM_FilletTwoCircles(benchmark::State& state) {
  CGeArc3d a, b;
  const double ca[3] = {0, 0, 0}, cb[3] = {5, 0, 0};
  a.CreateCricleXY(ca, 2);
  b.CreateCricleXY(cb, 2);
  a.DiscreteMe(0.01);
  b.DiscreteMe(0.01);
  for (auto _ : state) {
    double ta, tb;
    unsigned sa, sb;
    std::unique_ptr<CGeArc3d> arc(CGeTool3D::GetFilletArc3d(&a, &b, 1.0, ta, sa, tb, sb));
    benchmark::DoNotOptimize(arc.get());
  }
}
BENCHMARK(BM_FilletTwoCircles);

void BM_BiarcsFitPlane(benchmark::State& state) {
  const int n = 2000;
  std::vector<double> pts(3 * n);
  for (int i = 0; i < n; ++i) {
    double a = 0.005 * i;
    pts[3 * i] = 3;
    pts[3 * i + 1] = 10 * std::sin(a) + 0.3 * std::sin(7 * a);
    pts[3 * i + 2] = 10 * std::cos(a);
  }
  for (auto _ : state) {
    std::unique_ptr<CGeCombCurve3d> c(
        geBiarcsFitCurve3d(reinterpret_cast<const double(*)[3]>(pts.data()), n, 0.01));
    benchmark::DoNotOptimize(c.get());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BiarcsFitPlane);

}  // namespace
