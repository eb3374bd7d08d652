// The fillet cases of bench_millvane_fillet beside OCCT's BRepFilletAPI_MakeFillet on the
// solid edges (which also rebuilds the solid): the 12 edges of a box of side 2 with radius
// 0.2, the 60-degree edge of an equilateral prism with radius 0.2, and the circle where a
// cylinder of radius 1 stands on a plate, radius 0.25. Built only where CMake finds OCCT;
// "ref_over_ours" is the reference's best thread CPU time over ours; neither includes making the
// input faces or solids (the plate and the cylinder are fused before timing). Before timing, every
// sample of our patches must lie on one of the reference's fillet surfaces (cylinders or tori of
// the same radius), and every such surface must carry one of our patches: "max_dev" is the largest
// distance found.
#include <benchmark/benchmark.h>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Ax2.hxx>
#include <gp_Cylinder.hxx>
#include <gp_Torus.hxx>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <vector>

#include "bench/bench_millvane_fillet_cases.h"

namespace {

using namespace filletbench;

// Our patches lie within this of the reference's fillet surfaces (the patches are skinned
// within 1e-4 of their exact arc sections).
constexpr double kAgreeTol = 1e-4;

// CPU time of the calling thread: both sides run on it alone, and the machine may be loaded.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double Best(const std::function<bool()>& run, int runs, bool& ok) {
  double best = 1e300;
  ok = true;
  for (int i = 0; i < runs; ++i) {
    const double t0 = ThreadSeconds();
    ok = run() && ok;
    best = std::min(best, ThreadSeconds() - t0);
  }
  return best;
}

// A fillet surface of the reference: a cylinder or a torus, measured as an exact distance.
struct RefSurface {
  bool torus = false;
  gp_Ax3 axis;
  double major = 0.0, minor = 0.0;
  double Distance(const gp_Pnt& p) const {
    const gp_Vec d(axis.Location(), p);
    const gp_Vec dir(axis.Direction());
    const double h = d.Dot(dir);
    const double rho = (d - h * dir).Magnitude();
    return torus ? std::fabs(std::hypot(rho - major, h) - minor) : std::fabs(rho - minor);
  }
};

// The fillet surfaces of a finished build that are cylinders or tori (the box's corner
// blends are neither and are left out); false when one of them has another radius than r.
bool RefSurfaces(BRepFilletAPI_MakeFillet& f, double r, std::vector<RefSurface>& out) {
  for (int i = 1; i <= f.NbSurfaces(); ++i)
    for (const TopoDS_Shape& face : f.NewFaces(i)) {
      BRepAdaptor_Surface a(TopoDS::Face(face));
      RefSurface s;
      if (a.GetType() == GeomAbs_Cylinder) {
        s.axis = a.Cylinder().Position();
        s.minor = a.Cylinder().Radius();
      } else if (a.GetType() == GeomAbs_Torus) {
        s.torus = true;
        s.axis = a.Torus().Position();
        s.major = a.Torus().MajorRadius();
        s.minor = a.Torus().MinorRadius();
      } else {
        continue;
      }
      if (std::fabs(s.minor - r) > 1e-9) return false;
      out.push_back(s);
    }
  return !out.empty();
}

// Every sample of every patch on one reference surface, and every reference surface under one
// patch at least; the largest distance goes to maxDev.
bool Agree(const std::vector<std::unique_ptr<CGeTrimSurf>>& patches,
           const std::vector<RefSurface>& ref, double& maxDev) {
  maxDev = 0.0;
  std::vector<bool> used(ref.size(), false);
  if (patches.empty()) return false;
  for (const auto& patch : patches) {
    const _nurbs_surface* s = patch->m_pSurface;
    if (!s) return false;
    const int n = 16;
    std::vector<gp_Pnt> pts;
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        double p[3];
        if (!BSRF_EvPos(s, double(i) / n, double(j) / n, p)) return false;
        pts.emplace_back(p[0], p[1], p[2]);
      }
    double best = 1e300;
    size_t which = 0;
    for (size_t k = 0; k < ref.size(); ++k) {
      double worst = 0.0;
      for (const gp_Pnt& p : pts) worst = std::max(worst, ref[k].Distance(p));
      if (worst < best) best = worst, which = k;
    }
    maxDev = std::max(maxDev, best);
    if (!(best <= kAgreeTol)) return false;
    used[which] = true;
  }
  return std::all_of(used.begin(), used.end(), [](bool u) { return u; });
}

bool RefBox(const TopoDS_Shape& box, std::vector<RefSurface>* surfaces) {
  BRepFilletAPI_MakeFillet f(box);
  for (TopExp_Explorer e(box, TopAbs_EDGE); e.More(); e.Next())
    f.Add(0.2, TopoDS::Edge(e.Current()));
  f.Build();
  if (!f.IsDone()) return false;
  return !surfaces || RefSurfaces(f, 0.2, *surfaces);
}

// The equilateral prism over (0, 0, 0), (2, 0, 0), (1, 0, sqrt 3) along y.
TopoDS_Shape Prism60() {
  BRepBuilderAPI_MakePolygon tri(gp_Pnt(0, 0, 0), gp_Pnt(2, 0, 0), gp_Pnt(1, 0, std::sqrt(3.0)),
                                 Standard_True);
  return BRepPrimAPI_MakePrism(BRepBuilderAPI_MakeFace(tri.Wire()).Face(), gp_Vec(0, 2, 0)).Shape();
}

// The prism filleted along the y axis.
bool RefWedge60(const TopoDS_Shape& prism, std::vector<RefSurface>* surfaces) {
  BRepFilletAPI_MakeFillet f(prism);
  TopTools_IndexedMapOfShape edges;
  TopExp::MapShapes(prism, TopAbs_EDGE, edges);
  int added = 0;
  for (int i = 1; i <= edges.Extent(); ++i) {
    TopoDS_Vertex v0, v1;
    TopExp::Vertices(TopoDS::Edge(edges(i)), v0, v1);
    const gp_Pnt p0 = BRep_Tool::Pnt(v0), p1 = BRep_Tool::Pnt(v1);
    if (std::hypot(p0.X(), p0.Z()) < 1e-9 && std::hypot(p1.X(), p1.Z()) < 1e-9) {
      f.Add(0.2, TopoDS::Edge(edges(i)));
      ++added;
    }
  }
  f.Build();
  if (added != 1 || !f.IsDone()) return false;
  return !surfaces || RefSurfaces(f, 0.2, *surfaces);
}

// The plate of side 6 under z = 0 fused with the upright cylinder of radius 1 and height 2;
// a null shape when the fusion fails.
TopoDS_Shape PlateCylinder() {
  TopoDS_Shape plate = BRepPrimAPI_MakeBox(gp_Pnt(-3, -3, -1), 6.0, 6.0, 1.0).Shape();
  TopoDS_Shape cyl =
      BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), 1.0, 2.0).Shape();
  BRepAlgoAPI_Fuse fuse(plate, cyl);
  return fuse.IsDone() ? fuse.Shape() : TopoDS_Shape();
}

// The fused solid filleted along the circle where the cylinder stands on the plate.
bool RefPlateCylinder(const TopoDS_Shape& solid, std::vector<RefSurface>* surfaces) {
  if (solid.IsNull()) return false;
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
  if (added == 0 || !f.IsDone()) return false;
  return !surfaces || RefSurfaces(f, 0.25, *surfaces);
}

// Checks ours against the reference once, then times ours in the loop and both in Best.
void Compare(benchmark::State& st,
             const std::function<std::vector<std::unique_ptr<CGeTrimSurf>>()>& patches,
             const std::function<bool(std::vector<RefSurface>*)>& ref,
             const std::function<bool()>& ours) {
  std::vector<RefSurface> surfaces;
  double maxDev = 0.0;
  if (!ref(&surfaces)) {
    st.SkipWithError("the reference fillet failed");
    return;
  }
  if (!Agree(patches(), surfaces, maxDev)) {
    st.SkipWithError("our fillet differs from the reference's");
    return;
  }
  for (auto _ : st) ours();
  bool okRef = false, okOurs = false;
  const double refTime = Best([&] { return ref(nullptr); }, 5, okRef);
  st.counters["ref_ms"] = 1e3 * refTime;
  st.counters["ref_over_ours"] = refTime / Best(ours, 5, okOurs);
  st.counters["max_dev"] = maxDev;
  if (!okRef || !okOurs) st.SkipWithError("a fillet failed");
}

void BM_RefFilletBoxEdges(benchmark::State& st) {
  const std::vector<Face> faces = BoxFaces(2.0);
  const auto edges = BoxEdges();
  auto patches = [&] {
    std::vector<std::unique_ptr<CGeTrimSurf>> all;
    for (auto [i, j] : edges)
      for (auto& p : FilletPatches(faces[size_t(i)].get(), 1, faces[size_t(j)].get(), 1, 0.2))
        all.push_back(std::move(p));
    return all;
  };
  auto ours = [&] {
    int patches = 0;
    long poles = 0;
    for (auto [i, j] : edges)
      RunFillet(faces[size_t(i)].get(), 1, faces[size_t(j)].get(), 1, 0.2, patches, poles);
    return patches == int(edges.size());
  };
  const TopoDS_Shape box = BRepPrimAPI_MakeBox(2.0, 2.0, 2.0).Shape();
  Compare(
      st, patches, [&](std::vector<RefSurface>* s) { return RefBox(box, s); }, ours);
}
BENCHMARK(BM_RefFilletBoxEdges)->Unit(benchmark::kMillisecond);

void BM_RefFilletWedge60(benchmark::State& st) {
  const auto [a, b] = Wedge60Faces(2.0);
  auto patches = [&] { return FilletPatches(a.get(), 0, b.get(), 0, 0.2); };
  auto ours = [&] {
    int patches = 0;
    long poles = 0;
    RunFillet(a.get(), 0, b.get(), 0, 0.2, patches, poles);
    return patches == 1;
  };
  const TopoDS_Shape prism = Prism60();
  Compare(
      st, patches, [&](std::vector<RefSurface>* s) { return RefWedge60(prism, s); }, ours);
}
BENCHMARK(BM_RefFilletWedge60)->Unit(benchmark::kMillisecond);

void BM_RefFilletPlaneCylinder(benchmark::State& st) {
  Face plane = Plane({-3, -3, 0}, {6, 0, 0}, {0, 6, 0});
  Face cylinder = UprightCylinder();
  auto patches = [&] { return FilletPatches(plane.get(), 0, cylinder.get(), 0, 0.25); };
  auto ours = [&] {
    int patches = 0;
    long poles = 0;
    RunFillet(plane.get(), 0, cylinder.get(), 0, 0.25, patches, poles);
    return patches == 1;
  };
  const TopoDS_Shape solid = PlateCylinder();
  Compare(
      st, patches, [&](std::vector<RefSurface>* s) { return RefPlateCylinder(solid, s); }, ours);
}
BENCHMARK(BM_RefFilletPlaneCylinder)->Unit(benchmark::kMillisecond);

}  // namespace
