// Mesh tables and processing on about 1,000,000 triangles: a wavy grid, and a fan of the same
// size around one vertex (the worst case for per-vertex lists).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/surfaces/GeMesh.h"

namespace {

constexpr int kSide = 708;  // 2 * 707^2 = 999,698 triangles

void FillGrid(CGeMesh& m) {
  m.vertices.reserve(kSide * kSide);
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i)
      m.vertices.emplace_back(static_cast<float>(i), static_cast<float>(j),
                              static_cast<float>(5.0 * std::sin(i / 40.0) * std::cos(j / 30.0)));
  m.faces.reserve(2 * (kSide - 1) * (kSide - 1));
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i) {
      const int a = j * kSide + i;
      m.faces.push_back({{a, a + 1, a + kSide + 1}});
      m.faces.push_back({{a, a + kSide + 1, a + kSide}});
    }
  m.CalcBox();
}

// One centre vertex shared by every face of a closed disc.
void FillFan(CGeMesh& m) {
  constexpr int n = 1000000;
  m.vertices.emplace_back(0.0f, 0.0f, 1.0f);
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::acos(-1.0) * i / n;
    m.vertices.emplace_back(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0.0f);
  }
  for (int i = 0; i < n; ++i) m.faces.push_back({{0, 1 + i, 1 + (i + 1) % n}});
  m.CalcBox();
}

CGeMesh& Grid() {
  static const std::unique_ptr<CGeMesh> m = [] {
    auto p = std::make_unique<CGeMesh>();
    FillGrid(*p);
    return p;
  }();
  return *m;
}

CGeMesh& Fan() {
  static const std::unique_ptr<CGeMesh> m = [] {
    auto p = std::make_unique<CGeMesh>();
    FillFan(*p);
    return p;
  }();
  return *m;
}

// Times build(mesh) after reset(mesh) has emptied the table outside the clock.
template <class Reset, class Build>
void TimeTable(benchmark::State& state, CGeMesh& m, Reset reset, Build build) {
  for (auto _ : state) {
    state.PauseTiming();
    reset(m);
    state.ResumeTiming();
    build(m);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * m.numFaces());
}

CGeMesh& Pick(int which) { return which ? Fan() : Grid(); }

void BM_Neighbors(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh& m) { m.neighbors.clear(); }, [](CGeMesh& m) { m.Need_Neighbors(); });
}
void BM_AdjacentFaces(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh& m) { m.adjacentfaces.clear(); },
            [](CGeMesh& m) { m.Need_Adjacentfaces(); });
}
void BM_AcrossEdge(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh& m) { m.across_edge.clear(); }, [](CGeMesh& m) { m.Need_Across_Edge(); });
}
void BM_EdgeList(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh&) {}, [](CGeMesh& m) { m.GenEdgeTopo(); });
}
void BM_FaceNormals(benchmark::State& s) {
  TimeTable(s, Grid(), [](CGeMesh&) {}, [](CGeMesh& m) { m.Need_FaceNormal(); });
}
void BM_VertexNormals(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh& m) { m.normals.clear(); }, [](CGeMesh& m) { m.Need_VertexNormals(); });
}
void BM_Strips(benchmark::State& s) {
  TimeTable(s, Pick(s.range(0)), [](CGeMesh& m) { m.tstrips.clear(); }, [](CGeMesh& m) { m.Need_TStrips(); });
}
void BM_SmoothStep(benchmark::State& s) {
  CGeMesh m;
  m.CopyFromMesh(&Grid());
  TimeTable(s, m, [](CGeMesh&) {}, [](CGeMesh& mm) { mm.Lmsmooth(1); });
}
void BM_Noise(benchmark::State& s) {
  CGeMesh m;
  m.CopyFromMesh(&Grid());
  TimeTable(s, m, [](CGeMesh&) {}, [](CGeMesh& mm) { mm.Noisify(0.01f); });
}
void BM_Section(benchmark::State& s) {
  TimeTable(s, Grid(), [](CGeMesh& m) { m.ClearIsoCurve(); }, [](CGeMesh& m) { m.XIsoCurve(353.5f, &m.m_UIsoCurveList); });
}

}  // namespace

// Argument 0: the grid; 1: the fan.
BENCHMARK(BM_Neighbors)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdjacentFaces)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AcrossEdge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FaceNormals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VertexNormals)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Strips)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Noise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Section)->Unit(benchmark::kMillisecond);
