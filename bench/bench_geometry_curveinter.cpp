// Curve intersection: long polylines and composites through the box grids against the
// pairwise loops over all segment or element pairs (same tests, same records).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/CurveInter.h"

namespace {

// A random walk of n segments in a 1000 x 1000 square: long, self-crossing chains.
std::unique_ptr<CGePolyline> Walk(unsigned seed, int n) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> ang(-std::numbers::pi, std::numbers::pi);
  std::vector<double> pts;
  double x = 500, y = 500;
  for (int i = 0; i <= n; ++i) {
    pts.push_back(x);
    pts.push_back(y);
    const double a = ang(rng);
    x = std::clamp(x + 8 * std::cos(a), 0.0, 1000.0);
    y = std::clamp(y + 8 * std::sin(a), 0.0, 1000.0);
  }
  auto pl = std::make_unique<CGePolyline>();
  pl->Create(n + 1, reinterpret_cast<const double(*)[2]>(pts.data()));
  return pl;
}

// Every segment pair, with the box tests and acceptance of the grid search.
int Naive(CGePolyline* a, CGePolyline* b, CInterPntArray* out) {
  _tagBox2D boxB;
  b->GetBox2d(&boxB);
  for (int i = 1; i < a->m_nSWPoint; ++i) {
    const double *p0 = a->m_pSWPoint[i - 1], *p1 = a->m_pSWPoint[i];
    _tagBox2D bi;
    L2D_GetBox(p0, p1, &bi);
    if (!BOX2D_IsInt(&bi, &boxB, 0.01)) continue;
    for (int j = 1; j < b->m_nSWPoint; ++j) {
      const double *q0 = b->m_pSWPoint[j - 1], *q1 = b->m_pSWPoint[j];
      _tagBox2D bj;
      L2D_GetBox(q0, q1, &bj);
      if (!BOX2D_IsInt(&bi, &bj, 0.01)) continue;
      double pt[2];
      if (Inter_LineLineEx(p0, p1, q0, q1, 1e-6, 0.001, pt) != INTER_POINT) continue;
      const double s = L2D_GetParam(p0, p1, pt), t = L2D_GetParam(q0, q1, pt);
      if (CInterval::ChkValInt(0, 1, 1e-6, s) || CInterval::ChkValInt(0, 1, 1e-6, t)) continue;
      _tagInterPnt r{pt[0], pt[1], i, j, s, t, 1, 1};
      out->Add(r);
    }
  }
  return out->GetSize() > 0;
}

// Runs fill(out) per iteration and reports the crossings found.
template <class Fill>
void Measure(benchmark::State& state, Fill fill) {
  INT_PTR found = 0;
  for (auto _ : state) {
    CInterPntArray out;
    fill(out);
    found = out.GetSize();
    benchmark::DoNotOptimize(out.GetData());
  }
  state.counters["crossings"] = double(found);
}

// The walk's segments as a composite of lines.
std::unique_ptr<CGeCombCurve> LineChain(CGePolyline* pl) {
  auto comp = std::make_unique<CGeCombCurve>();
  for (int i = 1; i < pl->m_nSWPoint; ++i)
    comp->m_CurveList.AddTail(new CGeLine(pl->m_pSWPoint[i - 1], pl->m_pSWPoint[i]));
  comp->CalcBox2d();
  return comp;
}

void BM_PLinePLine10k_Grid(benchmark::State& state) {
  auto a = Walk(1, 10000), b = Walk(2, 10000);
  Measure(state, [&](CInterPntArray& out) { CCurveInter().CurveCurve(a.get(), b.get(), &out); });
}
BENCHMARK(BM_PLinePLine10k_Grid)->Unit(benchmark::kMillisecond);

void BM_PLinePLine10k_Naive(benchmark::State& state) {
  auto a = Walk(1, 10000), b = Walk(2, 10000);
  Measure(state, [&](CInterPntArray& out) { Naive(a.get(), b.get(), &out); });
}
BENCHMARK(BM_PLinePLine10k_Naive)->Unit(benchmark::kMillisecond);

// Polyline against a composite, and composite against composite, 10,000 pieces each.
void BM_PLineComCurve10k_Grid(benchmark::State& state) {
  auto a = Walk(1, 10000), w = Walk(2, 10000);
  auto b = LineChain(w.get());
  Measure(state, [&](CInterPntArray& out) { CCurveInter().CurveCurve(a.get(), b.get(), &out); });
}
BENCHMARK(BM_PLineComCurve10k_Grid)->Unit(benchmark::kMillisecond);

// The dispatcher element by element: every element walks the whole polyline.
void BM_PLineComCurve10k_Naive(benchmark::State& state) {
  auto a = Walk(1, 10000), w = Walk(2, 10000);
  auto b = LineChain(w.get());
  Measure(state, [&](CInterPntArray& out) {
    CCurveInter ci;
    for (POSITION pos = b->m_CurveList.GetHeadPosition(); pos;)
      ci.CurveCurve(a.get(), b->m_CurveList.GetNext(pos), &out);
  });
}
BENCHMARK(BM_PLineComCurve10k_Naive)->Unit(benchmark::kMillisecond);

void BM_ComCurveComCurve10k_Grid(benchmark::State& state) {
  auto wa = Walk(1, 10000), wb = Walk(2, 10000);
  auto a = LineChain(wa.get()), b = LineChain(wb.get());
  Measure(state, [&](CInterPntArray& out) { CCurveInter().CurveCurve(a.get(), b.get(), &out); });
}
BENCHMARK(BM_ComCurveComCurve10k_Grid)->Unit(benchmark::kMillisecond);

// Every element pair through the dispatcher.
void BM_ComCurveComCurve10k_Naive(benchmark::State& state) {
  auto wa = Walk(1, 10000), wb = Walk(2, 10000);
  auto a = LineChain(wa.get()), b = LineChain(wb.get());
  Measure(state, [&](CInterPntArray& out) {
    CCurveInter ci;
    for (POSITION pa = a->m_CurveList.GetHeadPosition(); pa;) {
      CGeCurve* ea = a->m_CurveList.GetNext(pa);
      for (POSITION pb = b->m_CurveList.GetHeadPosition(); pb;)
        ci.CurveCurve(ea, b->m_CurveList.GetNext(pb), &out);
    }
  });
}
BENCHMARK(BM_ComCurveComCurve10k_Naive)->Unit(benchmark::kMillisecond);

}  // namespace
