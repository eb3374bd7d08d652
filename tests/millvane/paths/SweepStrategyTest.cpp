#include "millvane/paths/SweepStrategy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeGroup3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/paths/NcPline.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;
using oracle::P3;

// Every polyline of the group (composite curves opened), in order.
std::vector<std::vector<P3>> Paths(CGeGroup3d& g, int from = 0) {
  std::vector<std::vector<P3>> out;
  auto add = [&out](CGeCurve3d* c) {
    auto* pl = dynamic_cast<CGePolyline3d*>(c);
    if (!pl) return;
    std::vector<P3> p;
    for (int i = 0; i < pl->m_nCount; ++i) p.push_back({pl->m_pVertex[i][0], pl->m_pVertex[i][1], pl->m_pVertex[i][2]});
    out.push_back(std::move(p));
  };
  int i = 0;
  for (POSITION pos = g.m_CurveList.GetHeadPosition(); pos; ++i) {
    CGeCurve3d* c = g.m_CurveList.GetNext(pos);
    if (i < from) continue;
    if (auto* comb = dynamic_cast<CGeCombCurve3d*>(c)) {
      for (POSITION sp = comb->m_CurveList.GetHeadPosition(); sp;) add(comb->m_CurveList.GetNext(sp));
    } else {
      add(c);
    }
  }
  return out;
}

CParamSrfFinish Finish(int stepPercent, int angle = 0, int linkFlag = 0, double depth = 50, double allowance = 0) {
  CParamSrfFinish p;
  p.m_dCutDepth = depth;
  p.Sweep().step = stepPercent;
  p.Sweep().angle = angle;
  p.Sweep().linkFlag = linkFlag;
  p.Sweep().allowance = allowance;
  return p;
}

int CurveCount(CGeGroup3d& g) { return static_cast<int>(g.m_CurveList.GetCount()); }

class SweepTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

struct SweepRun {
  std::unique_ptr<CGeMesh> mesh;
  CGeGroup3d out;
};

void Finishing(SweepRun& r, CTool* tool, CParamSrfFinish p) {
  MeshList l;
  l.AddTail(r.mesh.get());
  CMsFinishSweepLine s;
  s.GenPath(&l, nullptr, &p, tool, &r.out);
}

}  // namespace

// Every sampled point of every output path, links included, stands no lower than the
// brute-force drop-cutter height, and no higher than it by more than the refinement allows.
TEST_F(SweepTest, FinishingNeitherGougesNorLeavesTheSurface) {
  struct Case {
    const char* name;
    std::unique_ptr<CGeMesh> (*mesh)();
    std::function<CTool*()> tool;
    int angle;
  };
  const Case cases[] = {
      {"ball over hemisphere", [] { return oracle::Hemisphere(8, 32, 8); }, [] { return new CTBall(3); }, 0},
      {"flat over V-groove", [] { return oracle::VGroove(6, 6, 0.5, 6); }, [] { return new CTCylindrical(2); }, 0},
      {"bull over wavy grid, turned", [] { return oracle::WavyGrid(16, 16); }, [] { return new CTBull(3, 0.5); }, 30},
  };
  for (const auto& c : cases) {
    std::unique_ptr<CTool> tool(c.tool());
    double below[2] = {0, 0}, above[2] = {0, 0};
    size_t samples = 0, off = 0;
    std::unique_ptr<SweepRun> kept;
    for (int link : {1, 0}) {
      auto run = std::make_unique<SweepRun>();
      run->mesh = c.mesh();
      Finishing(*run, tool.get(), Finish(40, c.angle, link));
      const auto paths = Paths(run->out);
      ASSERT_FALSE(paths.empty()) << c.name;
      const std::vector<const CGeMesh*> meshes{run->mesh.get()};
      double bottom = 1e300;  // the lines are clamped at the mesh bottom (the cut depth is larger)
      for (const auto& v : run->mesh->vertices) bottom = std::min(bottom, double(v.z));
      for (const auto& p : paths) {
        const auto rep = oracle::CheckGouge(p, meshes, tool.get(), 0.1, bottom, 0.02);
        below[link] = std::max(below[link], rep.worstBelow);
        above[link] = std::max(above[link], rep.worstAbove);
        if (link == 1) samples += rep.samples, off += rep.nAbove;
      }
      if (link == 0) kept = std::move(run);
    }
    // The refinement adds a point where one of two probes leaves the chord by more than 0.005
    // (links: 0.01, then simplified by 0.005); a chord can still dip a little between probes.
    // Measured at most about 0.012 on these cases; anything near a cutter's size is a fault.
    EXPECT_LT(below[1], 0.015) << c.name;
    EXPECT_LT(below[0], 0.02) << c.name;
    // The sweep lines follow the surface; links may bridge a dip (they are straight moves
    // raised where needed). The refinement measures a probe's distance to the chord, not its
    // height, so where the surface turns sharply from flat to steep (the rim of the hemisphere
    // over the clamped bottom) a steep chord can bridge the corner by a fraction of the cutter:
    // measured 0.18 with a 3 ball. Such bridges stay rare and bounded.
    EXPECT_LT(above[1], 0.1 * tool->GetDia()) << c.name;
    EXPECT_LT(off, samples / 200 + 1) << c.name << " " << off << " of " << samples;
    // Neighbouring lines a step apart cover the part.
    const auto paths = Paths(kept->out);
    const auto& b = kept->mesh->vertices;
    float x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (const auto& v : b) {
      x0 = std::min(x0, v.x), x1 = std::max(x1, v.x), y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
    }
    const double step = tool->IntervalDist(40);
    EXPECT_GT(oracle::Coverage(paths, x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 0.25, step * 0.75), 0.999) << c.name;
  }
}

TEST_F(SweepTest, FinishingBadInputGivesNothing) {
  CTBall ball(2);
  CTBall zero(0);
  CTBall nan(NAN);
  struct Case {
    const char* name;
    CTool* tool;
    int step;
    bool nanVertex;
    bool empty;
  };
  const Case cases[] = {{"no cutter", nullptr, 40, false, false}, {"zero diameter", &zero, 40, false, false},
                        {"NaN diameter", &nan, 40, false, false}, {"step 0", &ball, 0, false, false},
                        {"NaN vertex", &ball, 40, true, false},  {"empty mesh", &ball, 40, false, true}};
  for (const auto& c : cases) {
    SweepRun r;
    r.mesh = c.empty ? std::make_unique<CGeMesh>() : oracle::Plane(10, 0);
    if (c.nanVertex) r.mesh->vertices[7].z = NAN;
    Finishing(r, c.tool, Finish(c.step));
    EXPECT_EQ(CurveCount(r.out), 0) << c.name;
  }
  CMsFinishSweepLine s;
  CParamSrfFinish p = Finish(40);
  s.GenPath(nullptr, nullptr, &p, &ball, nullptr);  // no crash
}

TEST_F(SweepTest, MeshNarrowerThanTheCutterGivesNothing) {
  CTBall ball(4);
  SweepRun r;
  r.mesh = oracle::HeightField(0, 0, 3, 20, 3, 10, [](double, double) { return 0.0; });
  Finishing(r, &ball, Finish(40));
  EXPECT_EQ(CurveCount(r.out), 0);
}

TEST_F(SweepTest, TinyAngleIsNoRotationAndLinkingJoinsLines) {
  CTBall ball(2);
  auto count = [&](int angleHundredths, int link) {
    SweepRun r;
    r.mesh = oracle::Hemisphere(6, 24, 6);
    CParamSrfFinish p = Finish(50, 0, link);
    p.Sweep().angle = angleHundredths;  // whole degrees: 0 here
    Finishing(r, &ball, p);
    return Paths(r.out);
  };
  const auto linked = count(0, 0);
  const auto separate = count(0, 1);
  // With linking each area is one zig-zag; without, every sweep line stands alone.
  EXPECT_LT(linked.size(), separate.size());
  size_t pts = 0, pts2 = 0;
  for (const auto& p : separate) pts += p.size();
  for (const auto& p : linked) pts2 += p.size();
  EXPECT_GE(pts2, pts);
}

// The call turns back and lifts only what it appended; curves already in the caller's group
// stay where they were.
TEST_F(SweepTest, OnlyAppendedCurvesAreTurnedAndLifted) {
  CTBall ball(2);
  SweepRun r;
  r.mesh = oracle::Hemisphere(6, 24, 6);
  const double a[3] = {100, 0, 0}, b[3] = {101, 0, 0};
  r.out.m_CurveList.AddTail(new CGeLine3d(a, b));
  Finishing(r, &ball, Finish(50, 45, 0, 50, 0.5));
  ASSERT_GT(CurveCount(r.out), 1);
  auto* first = dynamic_cast<CGeLine3d*>(r.out.m_CurveList.GetHead());
  ASSERT_NE(first, nullptr);
  double s[3];
  first->GetStartPoint(s);
  EXPECT_EQ(s[0], 100);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[2], 0);
  // The appended paths ride the allowance above the surface: a ball grown by 0.5 then lifted
  // by 0.5 stands on the hemisphere of radius 6.5 about the origin.
  const std::vector<const CGeMesh*> meshes{r.mesh.get()};
  CTBall grown(3);
  for (const auto& p : Paths(r.out, 1)) {
    const auto rep = oracle::CheckGouge(p, meshes, &grown, 0.2);
    EXPECT_LT(rep.worstBelow, 0.5 + 0.01);
  }
}

TEST_F(SweepTest, CancelledFinishingLeavesTheCallersGroupAsItWas) {
  CTBall ball(2);
  SweepRun r;
  r.mesh = oracle::Hemisphere(6, 24, 6);
  const double a[3] = {100, 0, 0}, b[3] = {101, 0, 0};
  r.out.m_CurveList.AddTail(new CGeLine3d(a, b));
  gShowThreadProg(L"sweep", 1);
  gSetProgressCancelAfter(40);
  Finishing(r, &ball, Finish(50));
  gHideThreadProg();
  EXPECT_EQ(CurveCount(r.out), 1);
}

TEST_F(SweepTest, RoughingLayersAndNoGouge) {
  CTCylindrical flat(2);
  CParamSrfRough p;
  p.m_dCutDepth = 5;
  p.Sweep().step = 50;
  p.Sweep().layerStep = 2;
  auto mesh = oracle::Hemisphere(8, 32, 8);
  CTypedPtrList<CObList, CGeSurf*> surfs;
  surfs.AddTail(mesh.get());
  CMsRoughSweepLine s;
  CGeGroup3d out;
  s.GenPath(&surfs, nullptr, &p, &flat, &out);
  ASSERT_EQ(s.m_nLayers, 3);
  ASSERT_EQ(s.m_LayerZ.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(s.m_LayerZ[i], 8 - (i + 1) * 5.0 / 3, 1e-4);
  const auto paths = Paths(out);
  ASSERT_FALSE(paths.empty());
  const std::vector<const CGeMesh*> meshes{mesh.get()};
  for (const auto& path : paths) {
    for (const auto& q : path) EXPECT_GE(q.z, 3 - 1e-6);  // never below the last layer
    EXPECT_LT(oracle::CheckGouge(path, meshes, &flat, 0.1).worstBelow, 0.1 + 1e-6);
  }
}

TEST_F(SweepTest, ClippingAtAPlaneAddsExactCrossings) {
  CNcPline pl;
  const double pts[5][3] = {{0, 0, 5}, {1, 0, 1}, {2, 0, 1}, {3, 0, 5}, {4, 0, 5}};
  for (const auto& p : pts) pl.AddTail(p);
  CNcPlineGrp lower;
  CMsRoughSweepLine::ClipPLine_Zplane(&pl, 3, &lower);
  std::vector<std::array<double, 2>> xz;
  for (POSITION pos = pl.GetHeadPosition(); pos;) {
    const CNcPoint* q = pl.GetNext(pos);
    xz.push_back({q->x, q->z});
  }
  const std::vector<std::array<double, 2>> want{{0, 5}, {0.5, 3}, {1, 3}, {2, 3}, {2.5, 3}, {3, 5}, {4, 5}};
  ASSERT_EQ(xz.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(xz[i][0], want[i][0], 1e-12);
    EXPECT_NEAR(xz[i][1], want[i][1], 1e-12);
  }
  // The run below goes on to the next layers: crossing, the two low points, crossing.
  ASSERT_EQ(lower.GetCount(), 1);
  EXPECT_EQ(lower.GetHead()->GetCount(), 4);
}

TEST(SweepProject, PassDepths) {
  struct Case {
    double total, step;
    std::vector<double> want;
  } cases[] = {
      {5, 2, {2, 4, 5}},  // the last pass reaches the whole depth
      {4, 2, {2, 4}},
      {1, 2, {1}},
      {0.001, 2, {0.001}},  // one pass, not lowered (0.002 or less)
      {6, 0, {6}},
  };
  for (const auto& c : cases) {
    const auto got = CMsProject::PassDepths(c.total, c.step);
    ASSERT_EQ(got.size(), c.want.size()) << c.total << " " << c.step;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.want[i], 1e-12);
  }
}

// A curve becomes a point row at the start height with the curve's own z kept, points no
// further apart than the step, tagged with its composite group.
TEST(SweepProject, DiscreteCurveKeepsOwnHeightAndStep) {
  const double a[3] = {0, 0, 3}, b[3] = {10, 0, 5};
  CGeLine3d line(a, b);
  std::unique_ptr<CNcPline> pl(CMsProject::DiscreteCurve(&line, 0.01, -7.0, 0.75, 4));
  ASSERT_TRUE(pl);
  EXPECT_EQ(pl->flags, 4);
  ASSERT_GE(pl->GetCount(), 15);  // 10 / 0.75 rounded up, plus the start
  const CNcPoint* prev = nullptr;
  for (POSITION pos = pl->GetHeadPosition(); pos;) {
    const CNcPoint* p = pl->GetNext(pos);
    EXPECT_EQ(p->z, -7.0);
    EXPECT_NEAR(p->y, 0.0, 1e-12);
    EXPECT_NEAR(p->w, 3 + 0.2 * p->x, 1e-9);  // the line's own height at that x
    if (prev) {
      EXPECT_LE(std::hypot(p->x - prev->x, p->y - prev->y), 0.75 + 1e-9);
    }
    prev = p;
  }
  EXPECT_NEAR(pl->GetHead()->x, 0.0, 1e-12);
  EXPECT_NEAR(pl->GetTail()->x, 10.0, 1e-12);
  EXPECT_EQ(CMsProject::DiscreteCurve(nullptr, 0.01, 0, 1, 0), nullptr);
  const double nan[3] = {std::nan(""), 0, 0};
  CGeLine3d bad(nan, b);
  std::unique_ptr<CNcPline> none(CMsProject::DiscreteCurve(&bad, 0.01, 0, 1, 0));
  EXPECT_EQ(none, nullptr);
}

// A curve projected without a cutter lands on the mesh surface, also where it runs exactly
// along an edge two facets share.
TEST_F(SweepTest, ProjectionLandsOnTheSurfaceAndPassesGoDown) {
  auto mesh = oracle::Plane(20, 2, 4);  // shared diagonals run from (x, y) to (x + 5, y + 5)
  MeshList l;
  l.AddTail(mesh.get());
  CGeGroup3d curves;
  const double a[3] = {-10, -10, 0}, b[3] = {10, 10, 0};
  curves.m_CurveList.AddTail(new CGeLine3d(a, b));
  const double c[3] = {-8, 3, 0}, d[3] = {8, 3, 0};
  curves.m_CurveList.AddTail(new CGeLine3d(c, d));
  CMsProject proj;
  CGeGroup3d out;
  proj.GenPath(&l, &curves, {0.001, 2, 0}, nullptr, L"project", &out);
  const auto paths = Paths(out);
  ASSERT_EQ(paths.size(), 2u);
  for (const auto& p : paths)
    for (const auto& q : p) EXPECT_NEAR(q.z, 2, 1e-6);
  CGeGroup3d deep;
  proj.GenPath(&l, &curves, {5, 2, 0}, nullptr, L"project", &deep);
  const auto passes = Paths(deep);
  ASSERT_EQ(passes.size(), 6u);  // three passes of two curves
  std::vector<double> zs;
  for (const auto& p : passes) zs.push_back(p[p.size() / 2].z);
  EXPECT_NEAR(zs[0], 0, 1e-6);
  EXPECT_NEAR(zs[2], -2, 1e-6);
  EXPECT_NEAR(zs[4], -3, 1e-6);
}

TEST_F(SweepTest, ProjectionOutsideTheMeshGivesNothing) {
  auto mesh = oracle::Plane(10, 0);
  MeshList l;
  l.AddTail(mesh.get());
  CGeGroup3d curves;
  const double a[3] = {50, 50, 0}, b[3] = {60, 50, 0};
  curves.m_CurveList.AddTail(new CGeLine3d(a, b));
  CMsProject proj;
  CGeGroup3d out;
  proj.GenPath(&l, &curves, {0, 0, 0}, nullptr, L"project", &out);
  EXPECT_EQ(CurveCount(out), 0);
  EXPECT_FALSE(gIsProgressShown());
}

// Sweep lines and their links built on several threads give the very same paths as on one,
// for finishing and for roughing (whose links are made area by area, layer by layer).
TEST_F(SweepTest, ThreadedLinesEqualOneThread) {
  CTBull bull(3, 0.5);
  auto mesh = oracle::WavyGrid(16, 24);
  auto finish = [&](int threads, CGeGroup3d& out) {
    MeshList l;
    l.AddTail(mesh.get());
    CMsFinishSweepLine s;
    s.m_nThreads = threads;
    CParamSrfFinish p = Finish(20, 25);
    s.GenPath(&l, nullptr, &p, &bull, &out);
  };
  auto rough = [&](int threads, CGeGroup3d& out) {
    CTypedPtrList<CObList, CGeSurf*> l;
    l.AddTail(mesh.get());
    CMsRoughSweepLine s;
    s.m_nThreads = threads;
    CParamSrfRough p;
    p.m_dCutDepth = 3;
    p.Sweep().step = 20;
    p.Sweep().layerStep = 1;
    s.GenPath(&l, nullptr, &p, &bull, &out);
  };
  for (const auto& run : {std::function<void(int, CGeGroup3d&)>(finish), std::function<void(int, CGeGroup3d&)>(rough)}) {
    CGeGroup3d one, four;
    run(1, one);
    run(4, four);
    const auto a = Paths(one), b = Paths(four);
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
      ASSERT_EQ(a[i].size(), b[i].size()) << i;
      for (size_t k = 0; k < a[i].size(); ++k) {
        EXPECT_EQ(a[i][k].x, b[i][k].x);
        EXPECT_EQ(a[i][k].y, b[i][k].y);
        EXPECT_EQ(a[i][k].z, b[i][k].z);
      }
    }
  }
}
