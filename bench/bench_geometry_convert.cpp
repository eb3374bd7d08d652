// Converting a 1,000-member composite of lines and arcs: lifted to 3D, merged into one NURBS
// record, and a 3D loop's area and point test.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "platform/numora/Numora.h"

namespace {

constexpr int kMembers = 1000;

// A closed zigzag of alternating lines and half-circle bumps around a large circle.
template <class T>
std::unique_ptr<T> MakeChain() {
  auto comb = std::make_unique<T>();
  const double R = 1000.0;
  double prev[2] = {R, 0.0};
  for (int i = 1; i <= kMembers; ++i) {
    const double a = 2 * std::numbers::pi * i / kMembers;
    const double p[2] = {R * std::cos(a), R * std::sin(a)};
    if (i % 2) {
      comb->AddTail(new CGeLine(prev, p), 0);
    } else {
      const double c[2] = {0.5 * (prev[0] + p[0]), 0.5 * (prev[1] + p[1])};
      const double r = 0.5 * std::hypot(p[0] - prev[0], p[1] - prev[1]);
      auto* arc = new CGeArc;
      const double a0 = std::atan2(prev[1] - c[1], prev[0] - c[0]);
      arc->CreateCSEAngle(c, r, a0, a0 - std::numbers::pi);
      comb->AddTail(arc, 0);
    }
    prev[0] = p[0];
    prev[1] = p[1];
  }
  return comb;
}

void BM_CompositeToCurve3d(benchmark::State& state) {
  auto comb = MakeChain<CGeCombCurve>();
  for (auto _ : state) {
    std::unique_ptr<CGeCurve3d> c(CConvertEditor::ToCurve3d(comb.get(), 1.0));
    benchmark::DoNotOptimize(c.get());
  }
}
BENCHMARK(BM_CompositeToCurve3d)->Unit(benchmark::kMillisecond);

void BM_CompositeToNurbs(benchmark::State& state) {
  auto comb = MakeChain<CGeCombCurve>();
  for (auto _ : state) {
    BCRV* c = CConvertEditor::ToNurbsCurve(comb.get());
    benchmark::DoNotOptimize(c);
    BCRV_Free(c);
  }
}
BENCHMARK(BM_CompositeToNurbs)->Unit(benchmark::kMillisecond);

void BM_Loop3dAreaAndPointTest(benchmark::State& state) {
  auto loop = MakeChain<CGeLoop>();
  std::unique_ptr<CGeLoop3d> l3(CConvertEditor::LoopToLoop3d(loop.get(), 0.0));
  const double pt[2] = {10.0, -20.0};
  for (auto _ : state) {
    l3->m_strDisc.Clear();
    benchmark::DoNotOptimize(l3->EvArea(0.01));
    benchmark::DoNotOptimize(l3->IsPtInLoop(pt, 0.01));
  }
}
BENCHMARK(BM_Loop3dAreaAndPointTest)->Unit(benchmark::kMillisecond);

}  // namespace
