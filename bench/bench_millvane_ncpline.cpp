// Drop-cutter heights over a mesh mill model: single queries with and without the candidate
// lists narrowed, and refined sweep lines across a dome on a floor.
#include <benchmark/benchmark.h>

#include <memory>

#include "millvane/paths/NcPline.h"
#include "tests/support/millvane/NcTestMeshes.h"

namespace {

struct Scene {
  std::unique_ptr<CGeMesh> dome = nctest::Hemisphere(20.0, 48, 128);
  std::unique_ptr<CGeMesh> floor = nctest::TiltedPlane(0.0, 40.0, 8);
  CTBall ball{6.0};
  std::unique_ptr<CMillModel> model = nctest::ModelOf({dome.get(), floor.get()}, &ball, -5.0);
};

Scene& TheScene() {
  static Scene s;
  return s;
}

void BM_HeightWholeModel(benchmark::State& state) {
  Scene& s = TheScene();
  s.model->Mark_Box2D(_tagBox2D{{-1e9, -1e9}, {1e9, 1e9}});
  for (auto _ : state) {
    double p[3] = {4.5, 3.0, -5.0};
    s.model->Get_CC_Height(p);
    benchmark::DoNotOptimize(p[2]);
  }
}
BENCHMARK(BM_HeightWholeModel);

void BM_HeightNarrowed(benchmark::State& state) {
  Scene& s = TheScene();
  s.model->Mark_IsoYLine(3.0);
  s.model->Mark_XInter(4.0, 5.0);
  for (auto _ : state) {
    double p[3] = {4.5, 3.0, -5.0};
    s.model->Get_CC_Height(p);
    benchmark::DoNotOptimize(p[2]);
  }
}
BENCHMARK(BM_HeightNarrowed);

// One refined sweep line across the dome, tolerance 0.01.
void BM_CreateLinePath(benchmark::State& state) {
  Scene& s = TheScene();
  const bool isoY = state.range(0) != 0;
  const double p0[3] = {-30, 3, -5}, p1[3] = {30, isoY ? 3.0 : 9.0, -5};
  long points = 0;
  for (auto _ : state) {
    std::unique_ptr<CNcPline> pl(s.model->CreateLinePath(p0, p1, 5.0, 0.01));
    points += pl->GetCount();
  }
  state.counters["points"] = benchmark::Counter(double(points) / state.iterations());
}
BENCHMARK(BM_CreateLinePath)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A zig-zag of 40 lines refined and linked as a group.
void BM_GroupRefineAndLink(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    CNcPlineGrp grp;
    for (int k = 0; k < 40; ++k) {
      auto* pl = new CNcPline;
      const double y = -20.0 + k, a[3] = {-30, y, -5}, b[3] = {30, y, -5};
      pl->Init(a, b, 5.0);
      pl->index = k;
      grp.AddTail(pl);
    }
    grp.ChkTol_InsPt(s.model.get(), 0.01);
    grp.LinkLines(s.model.get(), 2.0);
    benchmark::DoNotOptimize(grp.GetCount());
  }
}
BENCHMARK(BM_GroupRefineAndLink)->Unit(benchmark::kMillisecond);

}  // namespace
