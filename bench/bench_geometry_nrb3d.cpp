// 3D NURBS, offset and composite curves: adaptive discretisation at drawing tolerances, length
// queries, and archiving a composite toolpath-sized chain.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"
#include "platform/afx/Afx.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"

namespace {

// Interpolating cubic through n points of a spatial wave.
std::unique_ptr<CGeNrbCrv3d> Wave(int n) {
  std::vector<double> pts(size_t(n) * 3);
  for (int i = 0; i < n; ++i) {
    pts[size_t(i) * 3] = i;
    pts[size_t(i) * 3 + 1] = 3.0 * std::sin(i * 0.7);
    pts[size_t(i) * 3 + 2] = std::cos(i * 0.4);
  }
  auto c = std::make_unique<CGeNrbCrv3d>();
  c->CreateInterp(reinterpret_cast<const double(*)[3]>(pts.data()), n, 3, 0.01);
  return c;
}

void NurbsDiscrete(benchmark::State& state) {
  const double tol = 1.0 / static_cast<double>(state.range(0));
  gSetCurveDicTol(tol);
  auto c = Wave(50);
  CStrP3D str;
  for (auto _ : state) {
    c->Discrete(tol, str);
    benchmark::DoNotOptimize(str.m_nCount);
  }
  state.counters["points"] = str.m_nCount;
  gRestoreVurodeDefaults();
}
BENCHMARK(NurbsDiscrete)->Arg(100)->Arg(1000)->Arg(10000);

void OffsetDiscrete(benchmark::State& state) {
  const double up[3] = {0, 0, 1};
  CGeOffsetCrv3d off(Wave(50).release(), 0.5, up);
  CStrP3D str;
  for (auto _ : state) {
    off.Discrete(0.01, str);
    benchmark::DoNotOptimize(str.m_nCount);
  }
  state.counters["points"] = str.m_nCount;
}
BENCHMARK(OffsetDiscrete);

void NurbsEvParam(benchmark::State& state) {
  auto c = Wave(50);
  const double total = c->EvArcLength(0, 1, 0.001);
  double len = 0.0;
  for (auto _ : state) {
    double t = 0;
    unsigned seg = 0;
    len = std::fmod(len + 0.37 * total, total);
    benchmark::DoNotOptimize(c->EvParam(len, t, seg));
  }
}
BENCHMARK(NurbsEvParam);

// A chain of n lines and arcs-as-NURBS, as the toolpath engine hands them over.
std::unique_ptr<CGeCombCurve3d> Chain(int n) {
  auto comb = std::make_unique<CGeCombCurve3d>();
  for (int i = 0; i < n; ++i) {
    const double a[3] = {double(i), 0, 0}, b[3] = {i + 1.0, 0, 0};
    comb->AddTail(new CGeLine3d(a, b));
  }
  return comb;
}

void CompositeEvParam(benchmark::State& state) {
  auto comb = Chain(static_cast<int>(state.range(0)));
  comb->DiscreteMe(0.01);
  double len = 0.0;
  const double total = comb->EvTotalArcLength();
  for (auto _ : state) {
    double t = 0;
    unsigned seg = 0;
    len = std::fmod(len + 0.37 * total, total);
    benchmark::DoNotOptimize(comb->EvParam(len, t, seg));
  }
}
BENCHMARK(CompositeEvParam)->Arg(100)->Arg(10000);

void CompositeArchive(benchmark::State& state) {
  gNewKXGlobal();
  auto comb = Chain(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      ar << static_cast<CObject*>(comb.get());
      ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    std::unique_ptr<CObject> back(ar.ReadObject(nullptr));
    benchmark::DoNotOptimize(back.get());
  }
  gRestoreVurodeDefaults();
}
BENCHMARK(CompositeArchive)->Arg(1000);

}  // namespace
