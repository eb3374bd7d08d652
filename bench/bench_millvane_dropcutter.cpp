// Drop-cutter cost: the edge contact alone (the cutter's own answer against the reference
// golden-section search, which the ball and flat cutters used to run), and finishing sweeps of
// refined rows across a dome on a floor for each cutter kind.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "millvane/paths/NcPline.h"
#include "tests/support/millvane/NcTestMeshes.h"
#include "tests/support/EdgeContactSearch.h"

namespace {

std::unique_ptr<CTool> MakeTool(int kind) {
  switch (kind) {
    case 0: return std::make_unique<CTBall>(6.0);
    case 1: return std::make_unique<CTCylindrical>(6.0);
    case 2: return std::make_unique<CTBull>(6.0, 1.0);
    default: return std::make_unique<CTConnic>(6.0, 1.0, 0.5);
  }
}

const char* const kKinds[] = {"ball", "flat", "bull", "cone"};

// Edges within reach of the origin, as a drop-cutter query meets them after its box tests.
struct Edges {
  std::vector<double> pts;  // a then b, three doubles each
  Edges() {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-4, 4), z(-2, 2);
    for (int i = 0; i < 4096; ++i)
      for (int k = 0; k < 2; ++k) pts.insert(pts.end(), {u(rng), u(rng), z(rng)});
  }
};

void EdgeContact(benchmark::State& state, bool reference) {
  static const Edges edges;
  const auto tool = MakeTool(static_cast<int>(state.range(0)));
  state.SetLabel(kKinds[state.range(0)]);
  const size_t n = edges.pts.size() / 6;
  for (auto _ : state) {
    double best = kToolNoContact;
    for (size_t i = 0; i < n; ++i) {
      const double *a = &edges.pts[6 * i], *b = a + 3;
      best = std::max(best, reference ? tooltest::SearchEdgeContact(*tool, a, b, 0, 0)
                                      : tool->Zval_EdgeCC(a, b, 0, 0));
    }
    benchmark::DoNotOptimize(best);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}

void BM_EdgeContact(benchmark::State& state) { EdgeContact(state, false); }
void BM_EdgeContactSearch(benchmark::State& state) { EdgeContact(state, true); }
BENCHMARK(BM_EdgeContact)->DenseRange(0, 3);
BENCHMARK(BM_EdgeContactSearch)->DenseRange(0, 3);

struct Scene {
  std::unique_ptr<CGeMesh> dome = nctest::Hemisphere(20.0, 48, 128);
  std::unique_ptr<CGeMesh> floor = nctest::TiltedPlane(0.0, 40.0, 8);
};

// Rows 3 apart across the dome, as a finishing pass makes them (point step 2, tolerance 0.005);
// with range(1) set the rows run diagonally and are refined against 3D boxes.
void BM_SweepRows(benchmark::State& state) {
  static const Scene scene;
  const auto tool = MakeTool(static_cast<int>(state.range(0)));
  state.SetLabel(kKinds[state.range(0)]);
  const bool diagonal = state.range(1) != 0;
  auto model = nctest::ModelOf({scene.dome.get(), scene.floor.get()}, tool.get(), -5.0);
  long points = 0;
  for (auto _ : state) {
    for (double y = -24; y <= 24; y += 3) {
      const double p0[3] = {-30, y, -5}, p1[3] = {30, diagonal ? y + 6 : y, -5};
      std::unique_ptr<CNcPline> pl(model->CreateLinePath(p0, p1, 2.0, 0.005));
      points += pl ? pl->GetCount() : 0;
    }
  }
  state.counters["points"] = benchmark::Counter(double(points) / state.iterations());
}
BENCHMARK(BM_SweepRows)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
