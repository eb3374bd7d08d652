// Raster surface paths over a generated relief of about 15,000 triangles (86 x 86 cells): the
// whole call (tool-centre model given), one-way and zig-zag, for a ball and a flat cutter; and
// the section envelope of one raster line on its own; the model's z-sections at every 0.5 from
// the top down, as layer contours take them; Z-level contour paths with 0.5 steps, and the
// layer extraction of one level on its own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "db/DbPathGroup.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/surfpaths/CreSrfContourPath.h"
#include "millvane/surfpaths/CreSrfParallelPath.h"
#include "millvane/paths/ProtectNet.h"
#include "millvane/surfpaths/SectionProfile.h"
#include "platform/gorsey/ParamSrf.h"
#include "tests/support/MeshOracle.h"

namespace {

// A terrain of a few overlapping bumps on a gentle wave, like a scanned relief.
std::unique_ptr<CGeMesh> Relief() {
  return oracle::HeightField(-40, -40, 40, 40, 86, 86, [](double x, double y) {
    return 3 * std::sin(x / 7) * std::cos(y / 9) + 4 * std::exp(-((x - 10) * (x - 10) + y * y) / 60) +
           2 * std::exp(-((x + 15) * (x + 15) + (y - 12) * (y - 12)) / 30);
  });
}

struct Fixture {
  std::unique_ptr<CGeMesh> mesh = Relief();
  CTypedPtrList<CObList, CGeMesh*> list;
  std::unique_ptr<CTool> tool;
  std::unique_ptr<CMillCenter> model;
  explicit Fixture(bool ball) {
    list.AddTail(mesh.get());
    if (ball) tool = std::make_unique<CTBall>(6.0);
    else tool = std::make_unique<CTCylindrical>(6.0);
    model.reset(CreateMillCentre(&list, tool.get(), 0.0, 0, 0.1));
  }
};

void RasterPath(benchmark::State& state) {
  static Fixture ball(true), flat(false);
  Fixture& f = state.range(0) ? flat : ball;
  CParamSrfFinish finish;
  finish.m_dTopHeight = 20;
  finish.m_dCutDepth = 30;
  finish.Parallel() = SrfParallelBlock{};
  finish.Parallel().options = 1;
  finish.Parallel().optByte = static_cast<uint8_t>(state.range(1));
  finish.Parallel().step = 0.5;
  size_t units = 0, lines = 0;
  for (auto _ : state) {
    CCreSrfParallelPath gen;
    std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(f.model.get(), nullptr, finish));
    units = db ? static_cast<size_t>(db->m_UnitList.GetCount()) : 0;
    lines = gen.lines.size();
    benchmark::DoNotOptimize(db.get());
  }
  state.counters["units"] = static_cast<double>(units);
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(RasterPath)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"flat", "zigzag"})->Unit(benchmark::kMillisecond);

void SectionEnvelope(benchmark::State& state) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0, 100), len(0.1, 2), v(-5, 5);
  std::vector<SectSeg> segs;
  for (int i = 0; i < state.range(0); ++i) {
    const double a = u(rng), b = a + len(rng);
    segs.push_back({a, v(rng), b, v(rng)});
  }
  for (auto _ : state) {
    std::vector<SectSeg> work = segs;
    SplitCrossingSegments(work);
    CSectionProfile prof;
    prof.Build(work);
    std::vector<PtCurve> curves;
    prof.ToCurves(-10, 0, 0, curves);
    benchmark::DoNotOptimize(curves.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SectionEnvelope)->Arg(1000)->Arg(10000);

void ZSectionLayers(benchmark::State& state) {
  static Fixture ball(true);
  CMillCenter& m = *ball.model;
  CProtectNet net;
  if (net.Create(0.5, 3.0, m.box) != 1) {
    state.SkipWithError("no net");
    return;
  }
  size_t layers = 0, segments = 0;
  for (auto _ : state) {
    layers = segments = 0;
    for (double z = m.box[5]; z > m.box[2]; z -= 0.5, ++layers) {
      CIntLineSet set(z);
      m.GenSameZLineSet(net, set);
      segments += static_cast<size_t>(set.count);
    }
  }
  state.counters["segments"] = static_cast<double>(segments);
  state.counters["layers/s"] =
      benchmark::Counter(static_cast<double>(layers), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ZSectionLayers)->Unit(benchmark::kMillisecond);

void ContourPath(benchmark::State& state) {
  static Fixture ball(true), flat(false);
  Fixture& f = state.range(0) ? flat : ball;
  CParamSrfFinish finish;
  finish.m_dTopHeight = 10;
  finish.m_dCutDepth = 20;
  finish.Contour() = SrfContourBlock{};
  finish.Contour().stepDown = 0.5;
  finish.Contour().climb = 1;
  finish.Contour().linkType = 1;
  finish.Contour().linkParam = 1.0;
  size_t units = 0, layers = 0;
  for (auto _ : state) {
    CCreSrfContourPath gen;
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(f.model.get(), nullptr, finish));
    units = db ? static_cast<size_t>(db->m_UnitList.GetCount()) : 0;
    layers = gen.layers.size();
    benchmark::DoNotOptimize(db.get());
  }
  state.counters["units"] = static_cast<double>(units);
  state.counters["layers/s"] =
      benchmark::Counter(static_cast<double>(layers), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ContourPath)->Arg(0)->Arg(1)->ArgName("flat")->Unit(benchmark::kMillisecond);

// One level's contours (borders, cell records, assignment, envelopes, joining) on a net and
// section prepared once.
void LayerContour(benchmark::State& state) {
  static Fixture ball(true);
  CCreSrfContourPath gen;
  CParamSrfFinish finish;
  finish.m_dTopHeight = 10;
  finish.m_dCutDepth = 20;
  finish.Contour() = SrfContourBlock{};
  finish.Contour().stepDown = 5;
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(ball.model.get(), nullptr, finish));
  size_t curves = 0;
  for (auto _ : state) {
    CIntCurveSet set;
    set.level = 1.0;
    gen.GenOneLayerLoop(&set, 0.01);
    curves = static_cast<size_t>(set.count);
    benchmark::DoNotOptimize(set.head);
  }
  state.counters["curves"] = static_cast<double>(curves);
}
BENCHMARK(LayerContour)->Unit(benchmark::kMillisecond);

}  // namespace
