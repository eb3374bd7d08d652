// Relief grids as meshes: the show rectangle, a trimmed box and a region of a 1000 x 1000 grid,
// and segments dropped onto the grid surface.
#include <benchmark/benchmark.h>

#include <cmath>
#include <list>
#include <memory>

#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/surfaces/GeMesh.h"

namespace {

// 1000 x 1000 nodes of a wavy relief, one unit apart.
std::unique_ptr<CGeGrid> Relief() {
  auto g = std::make_unique<CGeGrid>();
  float o[3] = {0, 0, 0};
  g->Create(o, 1, 1000, 1000, 0);
  for (int r = 0; r < 1000; ++r)
    for (int c = 0; c < 1000; ++c)
      g->SetZHeight(c, r, float(2 + std::sin(c / 37.0) * std::cos(r / 23.0)));
  g->ComputerNormal();
  return g;
}

// A circle of radius 400 about the grid's centre as a 720-gon region.
std::unique_ptr<CGeRegion> Disc() {
  double pts[721][2];
  for (int i = 0; i <= 720; ++i) {
    const double a = 2 * M_PI * (i % 720) / 720;
    pts[i][0] = 500 + 400 * std::cos(a);
    pts[i][1] = 500 + 400 * std::sin(a);
  }
  auto* poly = new CGePolyline;
  poly->Create(721, pts);
  poly->m_nClosed = 1;
  poly->Discrete(0.01);
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 1);
  loop->Discrete(0.01);
  auto region = std::make_unique<CGeRegion>();
  region->m_LoopList.AddTail(loop);
  region->CalcBox2d();
  return region;
}

void BM_GridToMeshShow(benchmark::State& state) {
  auto g = Relief();
  for (auto _ : state) delete g->ToMesh();
}
BENCHMARK(BM_GridToMeshShow)->Unit(benchmark::kMillisecond);

void BM_GridToMeshBox(benchmark::State& state) {
  auto g = Relief();
  const _tagBox2D box{{100.5, 100.5}, {899.5, 899.5}};
  for (auto _ : state) delete g->ToMesh(box);
}
BENCHMARK(BM_GridToMeshBox)->Unit(benchmark::kMillisecond);

// Counters: faces and grid nodes taken (0 while the region tessellator is not linked in).
void BM_GridToMeshRegion(benchmark::State& state) {
  auto g = Relief();
  auto region = Disc();
  size_t faces = 0, nodes = 0;
  for (auto _ : state) {
    std::vector<unsigned> taken;
    std::unique_ptr<CGeMesh> m(g->ToMesh(region.get(), &taken));
    faces = m ? m->faces.size() : 0;
    nodes = taken.size();
  }
  state.counters["faces"] = double(faces);
  state.counters["gridNodes"] = double(nodes);
}
BENCHMARK(BM_GridToMeshRegion)->Unit(benchmark::kMillisecond);

void BM_GridProjectSegment(benchmark::State& state) {
  auto g = Relief();
  double a[2] = {3.3, 7.1}, b[2] = {991.7, 980.2};
  size_t n = 0;
  for (auto _ : state) {
    std::list<tagPoint3d> pts;
    g->ProjectZ(a, b, 0, pts);
    n = pts.size();
  }
  state.counters["points"] = double(n);
}
BENCHMARK(BM_GridProjectSegment)->Unit(benchmark::kMicrosecond);

}  // namespace
