// Sweep toolpaths over generated relief terrain: drop-cutter points per second for each cutter
// (rows marked as a finishing pass marks them) on a terrain of about 15,000 triangles and on
// one of about a million, a whole finishing sweep, and the tool-centre model's construction
// and projection.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "geometry/shapes3d/GeGroup3d.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
#include "millvane/paths/SweepStrategy.h"
#include "tests/support/MeshOracle.h"

namespace {

// A relief of several wave lengths, like a scanned carving: cells x cells, two triangles each.
std::unique_ptr<CGeMesh> Terrain(int cells) {
  return oracle::HeightField(-50, -50, 50, 50, cells, cells, [](double x, double y) {
    return 3 * std::sin(x / 9) * std::cos(y / 7) + 0.8 * std::sin(x / 2.3 + y / 3.1) + 0.3 * std::cos(x * y / 40);
  });
}

CGeMesh* Small() {
  static auto m = Terrain(87);  // 15,138 triangles
  return m.get();
}
CGeMesh* Large() {
  static auto m = Terrain(708);  // 1,002,528 triangles
  return m.get();
}

std::unique_ptr<CTool> MakeTool(int kind) {
  switch (kind) {
    case 0: return std::make_unique<CTBall>(6.0);
    case 1: return std::make_unique<CTCylindrical>(6.0);
    case 2: return std::make_unique<CTBull>(6.0, 1.0);
    default: return std::make_unique<CTConnic>(6.0, 1.0, 0.5);
  }
}
const char* const kKinds[] = {"ball", "flat", "bull", "cone"};

// Heights on rows 1 apart, every 0.1 along a row: the row is the region, each point narrows
// it to its own x span.
void BM_DropCutterPoints(benchmark::State& state) {
  CGeMesh* mesh = state.range(1) ? Large() : Small();
  const auto tool = MakeTool(static_cast<int>(state.range(0)));
  state.SetLabel(std::string(kKinds[state.range(0)]) + (state.range(1) ? " 1M" : " 15k"));
  CMillModel model;
  auto* nm = new CNcMesh;
  nm->Init(mesh);
  model.meshes.push_back(nm);
  model.SetTool(tool.get());
  int64_t points = 0;
  double sum = 0;
  for (auto _ : state) {
    for (double y = -45; y <= 45; y += 10) {
      model.Mark_IsoYLine(y);
      for (double x = -45; x <= 45; x += 0.1) {
        model.Mark_XInter(x, x);
        double p[3] = {x, y, -100};
        model.Get_CC_Height(p);
        sum += p[2];
        ++points;
      }
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(points);
}
BENCHMARK(BM_DropCutterPoints)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

// A whole finishing sweep with a 6 ball, lines 1.2 apart, linked into zig-zags.
void BM_FinishingSweep(benchmark::State& state) {
  CGeMesh* mesh = state.range(0) ? Large() : Small();
  CTBall ball(6.0);
  CParamSrfFinish p;
  p.m_dCutDepth = 50;
  p.Sweep().step = 20;
  int64_t curves = 0;
  for (auto _ : state) {
    CTypedPtrList<CObList, CGeMesh*> list;
    list.AddTail(mesh);
    CMsFinishSweepLine sweep;
    CGeGroup3d out;
    sweep.GenPath(&list, nullptr, &p, &ball, &out);
    curves += out.m_CurveList.GetCount();
  }
  state.counters["curves"] = static_cast<double>(curves) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FinishingSweep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// The finishing sweep (lines and links) on range(0) threads over the 15k terrain. "of_linear" is the
// one-thread time over threads times this time, measured side by side here (1: linear).
double SweepSeconds(int threads, int runs) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    CTBall ball(6.0);
    CParamSrfFinish p;
    p.m_dCutDepth = 50;
    p.Sweep().step = 20;
    CTypedPtrList<CObList, CGeMesh*> list;
    list.AddTail(Small());
    CMsFinishSweepLine sweep;
    sweep.m_nThreads = threads;
    CGeGroup3d out;
    const auto t0 = std::chrono::steady_clock::now();
    sweep.GenPath(&list, nullptr, &p, &ball, &out);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void BM_SweepThreads(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(SweepSeconds(threads, 1));
  const double one = SweepSeconds(1, 3), many = SweepSeconds(threads, 3);
  state.counters["of_linear"] = one / (threads * many);
}
BENCHMARK(BM_SweepThreads)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CentreModelBuild(benchmark::State& state) {
  CTBall ball(6.0);
  for (auto _ : state) {
    CTypedPtrList<CObList, CGeMesh*> list;
    list.AddTail(Small());
    std::unique_ptr<CMillCenter> m(CreateMillCentre(&list, &ball, 0, 0, 0.1));
    benchmark::DoNotOptimize(m.get());
  }
}
BENCHMARK(BM_CentreModelBuild)->Unit(benchmark::kMillisecond);

// Projection onto the tool-centre model, each point with its own pane, as the surface paths
// verify their cuts.
void BM_CentreProjection(benchmark::State& state) {
  CTBall ball(6.0);
  CTypedPtrList<CObList, CGeMesh*> list;
  list.AddTail(Small());
  std::unique_ptr<CMillCenter> m(CreateMillCentre(&list, &ball, 0, 0, 0.1));
  int64_t points = 0;
  double sum = 0;
  for (auto _ : state) {
    for (double y = -45; y <= 45; y += 15)
      for (double x = -45; x <= 45; x += 0.5) {
        m->DefineMarkedPane(_tagBox2D{{x, y}, {x, y}}, 0.0001);
        double p[3] = {x, y, -100};
        m->ProjPntOnMdl(p);
        sum += p[2];
        ++points;
      }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(points);
}
BENCHMARK(BM_CentreProjection)->Unit(benchmark::kMillisecond);

}  // namespace
