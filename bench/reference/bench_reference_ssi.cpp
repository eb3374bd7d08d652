// The surface intersection cases of bench_millvane_ssi beside OCCT's GeomAPI_IntSS on the same
// surfaces. Built only where CMake finds OCCT installed; "ref_over_ours" is the reference's
// best cold time over ours (above 1: we are faster), measured side by side in this process.
#include <benchmark/benchmark.h>

#include <GeomAPI_IntSS.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Plane.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <gp_Ax3.hxx>

#include "bench/bench_millvane_ssi_cases.h"

namespace {

using namespace ssibench;

Handle(Geom_Surface) RefWavy() {
  const int n = 40;
  TColgp_Array2OfPnt poles(1, n, 1, n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const double x = 10.0 * i / (n - 1), y = 10.0 * j / (n - 1);
      poles(i + 1, j + 1) = gp_Pnt(x, y, 0.4 * std::sin(0.9 * x) * std::cos(0.7 * y));
    }
  const int spans = n - 3;
  TColStd_Array1OfReal knots(1, spans + 1);
  TColStd_Array1OfInteger mults(1, spans + 1);
  for (int k = 0; k <= spans; ++k) {
    knots(k + 1) = double(k) / spans;
    mults(k + 1) = (k == 0 || k == spans) ? 4 : 1;
  }
  return new Geom_BSplineSurface(poles, knots, knots, mults, mults, 3, 3);
}

Handle(Geom_Surface) RefCylinder(const gp_Pnt& c, const gp_Dir& axis, const gp_Dir& x, double r,
                                 double h) {
  Handle(Geom_CylindricalSurface) cyl = new Geom_CylindricalSurface(gp_Ax3(c, axis, x), r);
  return new Geom_RectangularTrimmedSurface(cyl, 0.0, 2 * M_PI, -h, h);
}

Handle(Geom_Surface) RefSphere(double r, double x) {
  return new Geom_SphericalSurface(gp_Ax3(gp_Pnt(x, 0, 0.3), gp_Dir(0, 0, 1)), r);
}

double RefSeconds(const Handle(Geom_Surface)& a, const Handle(Geom_Surface)& b, int runs,
                  int& lines) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    GeomAPI_IntSS inter(a, b, 1e-7);
    lines = inter.IsDone() ? inter.NbLines() : -1;
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void Compare(benchmark::State& st, ENT_Record* A, ENT_Record* B, const _tagBox2D& ba,
             const _tagBox2D& bb, const Handle(Geom_Surface)& ra, const Handle(Geom_Surface)& rb) {
  long points = 0;
  for (auto _ : st) points = RunOnce(A, B, ba, bb, false);
  int lines = 0;
  const double ref = RefSeconds(ra, rb, 5, lines);
  st.counters["ref_ms"] = 1e3 * ref;
  st.counters["ref_over_ours"] = ref / Seconds(A, B, ba, bb, false, 5);
  st.counters["ref_lines"] = lines;
  st.counters["points"] = double(points);
  if (points < 0) st.SkipWithError("intersection failed");
}

void BM_RefBsplineCylinder(benchmark::State& st) {
  const SsiCase c(kBsplineCylinder);
  Compare(st, c.a, c.b, c.ba, c.bb, RefWavy(),
          RefCylinder(gp_Pnt(5, 5, 0), gp_Dir(0, 0, 1), gp_Dir(1, 0, 0), 2.0, 1.0));
}
BENCHMARK(BM_RefBsplineCylinder)->Unit(benchmark::kMillisecond);

void BM_RefPlaneSphere(benchmark::State& st) {
  const SsiCase c(kPlaneSphere);
  Handle(Geom_Surface) plane = new Geom_RectangularTrimmedSurface(
      new Geom_Plane(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), -2.0, 2.0, -2.0, 2.0);
  Compare(st, c.a, c.b, c.ba, c.bb, plane, RefSphere(1.0, 0.0));
}
BENCHMARK(BM_RefPlaneSphere)->Unit(benchmark::kMillisecond);

void BM_RefPerpendicularCylinders(benchmark::State& st) {
  const SsiCase c(kPerpendicularCylinders);
  Compare(st, c.a, c.b, c.ba, c.bb,
          RefCylinder(gp_Pnt(0, 0, 0), gp_Dir(0, -1, 0), gp_Dir(1, 0, 0), 1.0, 1.5),
          RefCylinder(gp_Pnt(0, 0, 0), gp_Dir(1, 0, 0), gp_Dir(0, 1, 0), 1.0, 1.5));
}
BENCHMARK(BM_RefPerpendicularCylinders)->Unit(benchmark::kMillisecond);

void BM_RefTwoSpheres(benchmark::State& st) {
  const SsiCase c(kTwoSpheres);
  Compare(st, c.a, c.b, c.ba, c.bb, RefSphere(1.0, 0.0), RefSphere(0.8, 1.2));
}
BENCHMARK(BM_RefTwoSpheres)->Unit(benchmark::kMillisecond);

}  // namespace
