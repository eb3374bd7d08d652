// Constant-radius fillets run whole: along the 12 edges of a box of planar faces, along one
// edge where two planar faces meet at 60 degrees, and along the edge where an upright cylinder
// stands on a plane. "points" counts the traced spine points of one run, "patches" the surfaces
// returned, "poles" their control points.
#include <benchmark/benchmark.h>

#include "bench/bench_millvane_fillet_cases.h"

namespace {

using namespace filletbench;

void BM_FilletBoxEdges(benchmark::State& st) {
  // The fillets roll inside, so every face is flipped.
  const std::vector<Face> faces = BoxFaces(2.0);
  const auto edges = BoxEdges();
  int points = 0, patches = 0;
  long poles = 0;
  for (auto _ : st) {
    points = patches = 0;
    poles = 0;
    for (auto [i, j] : edges)
      points +=
          RunFillet(faces[size_t(i)].get(), 1, faces[size_t(j)].get(), 1, 0.2, patches, poles);
  }
  st.counters["edges"] = double(edges.size());
  st.counters["points"] = points;
  st.counters["patches"] = patches;
  st.counters["poles"] = double(poles);
}
BENCHMARK(BM_FilletBoxEdges)->Unit(benchmark::kMillisecond);

// Runs the fillet of two faces and reports its points, patches and poles.
void RunPair(benchmark::State& st, CGeTrimSurf* a, CGeTrimSurf* b, double r) {
  int points = 0, patches = 0;
  long poles = 0;
  for (auto _ : st) {
    patches = 0;
    poles = 0;
    points = RunFillet(a, 0, b, 0, r, patches, poles);
  }
  st.counters["points"] = points;
  st.counters["patches"] = patches;
  st.counters["poles"] = double(poles);
}

void BM_FilletWedge60(benchmark::State& st) {
  const auto [a, b] = Wedge60Faces(2.0);
  RunPair(st, a.get(), b.get(), 0.2);
}
BENCHMARK(BM_FilletWedge60)->Unit(benchmark::kMillisecond);

void BM_FilletPlaneCylinder(benchmark::State& st) {
  Face plane = Plane({-3, -3, 0}, {6, 0, 0}, {0, 6, 0});
  Face cylinder = UprightCylinder();
  RunPair(st, plane.get(), cylinder.get(), 0.25);
}
BENCHMARK(BM_FilletPlaneCylinder)->Unit(benchmark::kMillisecond);

}  // namespace
