// Trim editor on a domain with 200 holes: loading the loops, intersecting a cutting curve that
// runs across every row of holes, and walking the pieces into nested loops.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "millvane/surface/EdTrimSurf.h"
#include "platform/numora/Bsrf.h"

namespace {

std::unique_ptr<CGeTrimSurf> HoledDomain(int cols, int rows, int sides) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = 100.0 * i;
      s->net[j][i][1] = 100.0 * j;
      s->net[j][i][2] = 0.0;
      s->net[j][i][3] = 1.0;
    }
  auto ts = std::make_unique<CGeTrimSurf>(s, _tagBox2D{{0, 0}, {1, 1}});
  ts->AddLoop(ts->GenRectTrimLoop(0, 1, 0, 1));
  const double r = 0.3 / cols;
  for (int a = 0; a < cols; ++a)
    for (int b = 0; b < rows; ++b) {
      const double cx = (a + 0.5) / cols, cy = (b + 0.5) / rows;
      std::vector<double> pts;
      for (int k = 0; k <= sides; ++k) {
        const double t = 2 * M_PI * (k % sides) / sides;
        pts.push_back(cx + r * std::cos(t));
        pts.push_back(cy + r * std::sin(t));
      }
      auto* pl = new CGePolyline;
      pl->Create(sides + 1, reinterpret_cast<const double(*)[2]>(pts.data()));
      auto* loop = new CGeTrimLoop;
      loop->AddBound(new CGeTrimBnd(pl, nullptr, loop));
      ts->AddLoop(loop);
    }
  return ts;
}

void BM_TrimEditor200Holes(benchmark::State& st) {
  const int cols = 20, rows = 10;
  auto ts = HoledDomain(cols, rows, 32);
  // A zigzag through the middle of every row of holes.
  std::vector<double> cut;
  for (int k = 0; k <= 4 * rows; ++k) {
    cut.push_back(k % 2 ? 1.05 : -0.05);
    cut.push_back((k + 0.5) / (4.0 * rows + 1));
  }
  int loops = 0;
  for (auto _ : st) {
    CEdTrimSurf ed;
    ed.InitSurfBound(ts.get());
    ed.AddCurve(reinterpret_cast<double(*)[2]>(cut.data()), int(cut.size() / 2));
    ed.AutoIntersect(true);
    ed.TrimSurface(0);
    loops = 0;
    for (CEdTrimLoop* l = ed.m_pResult; l; l = l->m_pNext) ++loops;
  }
  st.counters["loops"] = loops;
}
BENCHMARK(BM_TrimEditor200Holes)->Unit(benchmark::kMillisecond);

}  // namespace
