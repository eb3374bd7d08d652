// Tessellation of trimmed surfaces: a surface of 40 x 40 control points with a round hole at
// two tolerances (triangles and the largest measured distance from the surface as counters),
// and a domain sampled 600 x 600.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <utility>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/surfaces/GeTessDomain.h"
#include "tests/support/geometry/TrimTestUtil.h"

namespace {

// Bicubic 40 x 40 net over [0, 50]^2 following a smooth terrain of a few bumps. The control
// points stand at the knots' averages, so x and y run linearly with the parameters.
_nurbs_surface* Terrain40() {
  _nurbs_surface* s = BSRF_Create(4, 4, 40, 40);
  auto greville = [](const double* knots, int i) {
    return (knots[i + 1] + knots[i + 2] + knots[i + 3]) / 3;
  };
  for (int j = 0; j < 40; ++j)
    for (int i = 0; i < 40; ++i) {
      const double x = 50 * greville(s->uKnots, i), y = 50 * greville(s->vKnots, j);
      double* p = s->net[j][i];
      p[0] = x;
      p[1] = y;
      p[2] = 3 * std::sin(x / 4.5) * std::cos(y / 6.5) +
             1.5 * std::exp(-((x - 30) * (x - 30) + (y - 20) * (y - 20)) / 50);
      p[3] = 1;
    }
  return s;
}

// The surface framed by its domain with a round hole of radius 0.2 in the middle.
std::unique_ptr<CGeTrimSurf> Holed(_nurbs_surface* srf) {
  auto s = std::make_unique<CGeTrimSurf>(srf, _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  auto* hole = new CGeTrimLoop();
  const double centre[2] = {0.47, 0.52};
  hole->AddBound(new CGeTrimBnd(new CGeCircle(centre, 0.2, 1), nullptr, nullptr));
  s->AddLoop(hole);
  s->BuildTopo();
  return s;
}

struct Tess {
  CTessNode* nodes = nullptr;
  CTessTriangle* cells = nullptr;
  ~Tess() {
    while (nodes) delete std::exchange(nodes, nodes->next);
    while (cells) delete std::exchange(cells, cells->next);
  }
};

// Largest distance between the flat triangles and the surface, measured at each triangle's
// centroid and edge midpoints against the surface point at the same parameters.
double MaxDeviation(CGeTrimSurf& s, const Tess& t, long& triangles) {
  std::vector<const CTessNode*> byIndex;
  for (const CTessNode* n = t.nodes; n; n = n->next) byIndex.push_back(n);
  double worst = 0;
  triangles = 0;
  auto check = [&](int a, int b, int c) {
    ++triangles;
    const CTessNode* v[3] = {byIndex[size_t(a)], byIndex[size_t(b)], byIndex[size_t(c)]};
    double p[3][3];
    for (int k = 0; k < 3; ++k) s.GetPoint(v[k]->u, v[k]->v, p[k]);
    const double w[4][3] = {{1 / 3.0, 1 / 3.0, 1 / 3.0}, {0.5, 0.5, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}};
    for (const auto& x : w) {
      double flat[3] = {0, 0, 0}, on[3];
      for (int d = 0; d < 3; ++d) flat[d] = x[0] * p[0][d] + x[1] * p[1][d] + x[2] * p[2][d];
      s.GetPoint(x[0] * v[0]->u + x[1] * v[1]->u + x[2] * v[2]->u,
                 x[0] * v[0]->v + x[1] * v[1]->v + x[2] * v[2]->v, on);
      worst = std::max(worst, trimtest::Dist3(flat, on));
    }
  };
  for (const CTessTriangle* c = t.cells; c; c = c->next) {
    check(c->a, c->b, c->c);
    if (c->d >= 0) check(c->a, c->c, c->d);
  }
  return worst;
}

// The sampler's line counts over the whole domain, as the tessellator asks for them.
void SampleCounters(benchmark::State& state, CGeTrimSurf& s, double tol) {
  auto samples = std::make_unique<double[][2]>(1000);
  _tagBox2D box{{0, 0}, {1, 1}};
  int caps[2] = {600, 600}, counts[2] = {0, 0};
  geGetParamSamples(&s, tol, &box, samples.get(), caps, counts);
  state.counters["u_intervals"] = counts[0];
  state.counters["v_intervals"] = counts[1];
}

void BM_TessTerrainWithHole(benchmark::State& state) {
  const double tol = state.range(0) == 0 ? 0.01 : 0.001;
  auto s = Holed(Terrain40());
  for (auto _ : state) {
    std::unique_ptr<CGeMesh> mesh(s->DiscreteToNcMesh(tol));
    benchmark::DoNotOptimize(mesh->faces.size());
  }
  Tess t;
  geTessTrimDomain(&s->m_LoopList, tol, &t.nodes, &t.cells);
  long triangles = 0;
  state.counters["max_deviation"] = MaxDeviation(*s, t, triangles);
  state.counters["triangles"] = double(triangles);
  state.counters["tolerance"] = tol;
  SampleCounters(state, *s, tol);
}
BENCHMARK(BM_TessTerrainWithHole)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TessDomain600(benchmark::State& state) {
  auto s = Holed(trimtest::WavySurface());
  const double tol = 1e-7;  // fine enough for the sampler to reach its cap of 600 each way
  long nodes = 0, cells = 0;
  for (auto _ : state) {
    Tess t;
    geTessTrimDomain(&s->m_LoopList, tol, &t.nodes, &t.cells);
    nodes = cells = 0;
    for (const CTessNode* n = t.nodes; n; n = n->next) ++nodes;
    for (const CTessTriangle* c = t.cells; c; c = c->next) ++cells;
  }
  SampleCounters(state, *s, tol);
  state.counters["nodes"] = double(nodes);
  state.counters["cells"] = double(cells);
}
BENCHMARK(BM_TessDomain600)->Unit(benchmark::kMillisecond);

}  // namespace
