// The fillet cases of bench_millvane_fillet beside OCCT's BRepFilletAPI_MakeFillet on the
// solid edges (which also rebuilds the solid): the 12 edges of a box of side 2 with radius
// 0.2, and the circle where a cylinder of radius 1 stands on a plate, radius 0.25. Built only
// where CMake finds OCCT; "ref_over_ours" is the reference's best time over ours.
#include <benchmark/benchmark.h>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "bench/bench_millvane_fillet_cases.h"

namespace {

using namespace filletbench;

double Best(const std::function<bool()>& run, int runs, bool& ok) {
  double best = 1e300;
  ok = true;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    ok = run() && ok;
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

bool RefBox() {
  TopoDS_Shape box = BRepPrimAPI_MakeBox(2.0, 2.0, 2.0).Shape();
  BRepFilletAPI_MakeFillet f(box);
  for (TopExp_Explorer e(box, TopAbs_EDGE); e.More(); e.Next()) f.Add(0.2, TopoDS::Edge(e.Current()));
  f.Build();
  return f.IsDone();
}

bool RefPlateCylinder() {
  TopoDS_Shape plate = BRepPrimAPI_MakeBox(gp_Pnt(-3, -3, -1), 6.0, 6.0, 1.0).Shape();
  TopoDS_Shape cyl = BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), 1.0, 2.0).Shape();
  BRepAlgoAPI_Fuse fuse(plate, cyl);
  if (!fuse.IsDone()) return false;
  TopoDS_Shape solid = fuse.Shape();
  BRepFilletAPI_MakeFillet f(solid);
  int added = 0;
  for (TopExp_Explorer e(solid, TopAbs_EDGE); e.More(); e.Next()) {
    BRepAdaptor_Curve c(TopoDS::Edge(e.Current()));
    if (c.GetType() == GeomAbs_Circle && std::fabs(c.Circle().Location().Z()) < 1e-9) {
      f.Add(0.25, TopoDS::Edge(e.Current()));
      ++added;
    }
  }
  f.Build();
  return added > 0 && f.IsDone();
}

void BM_RefFilletBoxEdges(benchmark::State& st) {
  const std::vector<Face> faces = BoxFaces(2.0);
  const auto edges = BoxEdges();
  auto ours = [&] {
    int patches = 0;
    long poles = 0;
    for (auto [i, j] : edges) RunFillet(faces[size_t(i)].get(), 1, faces[size_t(j)].get(), 1, 0.2, patches, poles);
    return patches == int(edges.size());
  };
  for (auto _ : st) ours();
  bool okRef = false, okOurs = false;
  const double ref = Best(RefBox, 5, okRef);
  st.counters["ref_ms"] = 1e3 * ref;
  st.counters["ref_over_ours"] = ref / Best(ours, 5, okOurs);
  if (!okRef || !okOurs) st.SkipWithError("a fillet failed");
}
BENCHMARK(BM_RefFilletBoxEdges)->Unit(benchmark::kMillisecond);

// Ours excludes making the plate and the cylinder (the reference's includes the fusion).
void BM_RefFilletPlaneCylinder(benchmark::State& st) {
  Face plane = Plane({-3, -3, 0}, {6, 0, 0}, {0, 6, 0});
  Face cylinder = UprightCylinder();
  auto ours = [&] {
    int patches = 0;
    long poles = 0;
    RunFillet(plane.get(), 0, cylinder.get(), 0, 0.25, patches, poles);
    return patches == 1;
  };
  for (auto _ : st) ours();
  bool okRef = false, okOurs = false;
  const double ref = Best(RefPlateCylinder, 5, okRef);
  st.counters["ref_ms"] = 1e3 * ref;
  st.counters["ref_over_ours"] = ref / Best(ours, 5, okOurs);
  if (!okRef || !okOurs) st.SkipWithError("a fillet failed");
}
BENCHMARK(BM_RefFilletPlaneCylinder)->Unit(benchmark::kMillisecond);

}  // namespace
