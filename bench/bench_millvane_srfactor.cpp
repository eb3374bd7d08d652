// Surface operations: a 40×40 freeform surface trimmed by a cylinder standing through it
// ("pieces" counts the trimmed surfaces of one run), and 10,000 points dropped along z onto a
// mesh of 100,000 triangles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "geometry/surfaces/GeMesh.h"
#include "millvane/surface/SrfActor.h"
#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"

namespace {

std::unique_ptr<CGeTrimSurf> Untrimmed(_nurbs_surface* s) {
  auto t = std::make_unique<CGeTrimSurf>(s, _tagBox2D{{0, 0}, {1, 1}});
  t->AddLoop(t->GenRectTrimLoop(0, 1, 0, 1));
  return t;
}

// Gently waving cubic surface over [-2, 2]² about z = 0.5 with 40×40 control points.
_nurbs_surface* Wavy() {
  const int n = 40;
  _nurbs_surface* s = BSRF_Create(4, 4, n, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const double x = -2 + 4.0 * i / (n - 1), y = -2 + 4.0 * j / (n - 1);
      s->net[j][i][0] = x;
      s->net[j][i][1] = y;
      s->net[j][i][2] = 0.5 + 0.1 * std::sin(1.3 * x) * std::cos(0.9 * y);
      s->net[j][i][3] = 1.0;
    }
  return s;
}

_nurbs_surface* Cylinder(double r, double h) {
  BCRV* line = BCRV_New(2, 2);
  const double pts[2][3] = {{r, 0, 0}, {r, 0, h}};
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) line->ctrlPts[i][k] = pts[i][k];
    line->ctrlPts[i][3] = 1.0;
  }
  const double origin[3] = {0, 0, 0}, axis[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(line, origin, axis, 2 * M_PI, s);
  BCRV_Free(line);
  return s;
}

void BM_TrimFittedSurfaceByCylinder(benchmark::State& state) {
  auto surface = Untrimmed(Wavy());
  auto cylinder = Untrimmed(Cylinder(1.0, 1.0));
  CGeTrimSurfList tools;
  tools.AddTail(cylinder.get());
  CSrfActor actor;
  int pieces = 0;
  for (auto _ : state) {
    CGeTrimSurfList out;
    actor.SrfSrfTrim(&tools, surface.get(), &out);
    pieces = int(out.GetCount());
    while (!out.IsEmpty()) delete out.RemoveHead();
  }
  state.counters["pieces"] = pieces;
}
BENCHMARK(BM_TrimFittedSurfaceByCylinder)->Unit(benchmark::kMillisecond);

void BM_DropPointsOntoMesh(benchmark::State& state) {
  // 224×224 cells of two triangles each: 100,352 triangles over [0, 10]².
  const int cells = 224;
  CGeMesh mesh;
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) {
      const float x = 10.0f * i / cells, y = 10.0f * j / cells;
      mesh.vertices.emplace_back(x, y, std::sin(x) * std::cos(y));
    }
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 2, d = a + cells + 1;
      mesh.faces.push_back({{a, b, c}});
      mesh.faces.push_back({{a, c, d}});
    }
  CGeMeshList meshes;
  meshes.AddTail(&mesh);
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> d(0.0f, 10.0f);
  std::vector<tagPoint3d> in(10000);
  for (auto& p : in) p = {d(rng), d(rng), 0.0f};
  CSrfActor actor;
  for (auto _ : state) {
    std::vector<tagPoint3d> out;
    actor.PrjAlongZAxis(&meshes, in, out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_DropPointsOntoMesh)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
