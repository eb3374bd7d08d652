// Height grids: rasterising meshes into grids (cost follows the covered nodes, not the grid
// size), NURBS surfaces into meshes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/grid/GridSrf.h"
#include "platform/numora/Numora.h"

namespace {

// n x n unit cells of a wavy terrain, two faces each, offset by (x0, y0).
CGeMesh* Terrain(int n, float x0, float y0) {
  auto* m = new CGeMesh;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i)
      m->vertices.emplace_back(x0 + i, y0 + j, float(3 * std::sin(i / 9.0) * std::cos(j / 7.0)));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i;
      m->faces.push_back({{a, a + 1, a + n + 2}});
      m->faces.push_back({{a, a + n + 2, a + n + 1}});
    }
  m->CalcBox();
  return m;
}

struct MeshSet {
  CGeMeshList list;
  ~MeshSet() {
    for (POSITION pos = list.GetHeadPosition(); pos;) delete list.GetNext(pos);
  }
};

void Free(CTGrid<float>* g) {
  g->Release();
  delete g;
}

template <CTGrid<float>* (*Raster)(CGeMeshList&, float, float, float)>
void RunRaster(benchmark::State& state, MeshSet& set, float step) {
  size_t nodes = 0;
  for (auto _ : state) {
    CTGrid<float>* g = Raster(set.list, step, step, 0);
    nodes = size_t(g->m_nCols) * g->m_nRows;
    Free(g);
  }
  state.counters["grid_nodes"] = double(nodes);
  state.counters["faces"] = double(2 * 200 * 200);
}

// 80,000 faces; finer steps cover more nodes per face.
template <CTGrid<float>* (*Raster)(CGeMeshList&, float, float, float)>
void BM_RasterTerrain(benchmark::State& state) {
  MeshSet set;
  set.list.AddTail(Terrain(200, 0, 0));
  RunRaster<Raster>(state, set, 1.0f / float(state.range(0)));
}

// The same faces in one corner of a grid 16 times larger: the time barely grows, because only
// the covered columns and rows are visited (the rest is the grid's allocation).
template <CTGrid<float>* (*Raster)(CGeMeshList&, float, float, float)>
void BM_RasterInLargeGrid(benchmark::State& state) {
  MeshSet set;
  set.list.AddTail(Terrain(200, 0, 0));
  set.list.AddTail(Terrain(1, 799, 799));
  RunRaster<Raster>(state, set, 1.0f / float(state.range(0)));
}

BENCHMARK(BM_RasterTerrain<geGetGridSrf>)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterTerrain<geGetFloatGridSrf>)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterInLargeGrid<geGetGridSrf>)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterInLargeGrid<geGetFloatGridSrf>)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

_nurbs_surface* Dome() {
  _nurbs_surface* s = BSRF_Create(4, 4, 6, 6);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 6; ++i) {
      double* p = s->net[j][i];
      p[0] = 20.0 * i, p[1] = 20.0 * j, p[2] = ((i + j) % 3) * 8.0, p[3] = 1;
    }
  return s;
}

void BM_ToMesh(benchmark::State& state) {
  _nurbs_surface* s = Dome();
  for (auto _ : state) delete geToMesh(s);
  BSRF_Free(s);
}
BENCHMARK(BM_ToMesh)->Unit(benchmark::kMillisecond);

void BM_ToMeshAdapte(benchmark::State& state) {
  _nurbs_surface* s = Dome();
  for (auto _ : state) delete geToMeshAdapte(s);
  BSRF_Free(s);
}
BENCHMARK(BM_ToMeshAdapte)->Unit(benchmark::kMillisecond);

void BM_GridFromMesh(benchmark::State& state) {
  CTGrid<float> g;
  const float o[2] = {0, 0};
  g.Create(o, 0.5f, 0.5f, 1000, 1000);
  for (auto _ : state) {
    CGeMesh m;
    m.Create(&g);
    benchmark::DoNotOptimize(m.faces.data());
  }
  g.Release();
}
BENCHMARK(BM_GridFromMesh)->Unit(benchmark::kMillisecond);

}  // namespace
