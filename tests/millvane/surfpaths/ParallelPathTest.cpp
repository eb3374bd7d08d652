// Raster passes over the tool-centre model, checked against the brute-force drop-cutter of the
// oracle kit: every pass point on its line's y and at the drop height (or the bottom of the cut),
// no sample of any pass or link under the surface, the caller's model left as it came, and
// hostile settings refused.
#include "millvane/surfpaths/CreSrfParallelPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <set>

#include "db/DbPathGroup.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/paths/MillCenter.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;
using RegionList = CTypedPtrList<CObList, CGeRegion*>;
using Path = std::vector<oracle::P3>;

struct Model {
  std::unique_ptr<CGeMesh> mesh;
  MeshList list;
  std::unique_ptr<CMillCenter> centre;
  std::vector<const CGeMesh*> meshes() const { return {mesh.get()}; }
};

std::unique_ptr<Model> Build(std::unique_ptr<CGeMesh> mesh, CTool* tool) {
  auto m = std::make_unique<Model>();
  m->mesh = std::move(mesh);
  m->list.AddTail(m->mesh.get());
  m->centre.reset(CreateMillCentre(&m->list, tool, 0.0, 0, 0.1));
  return m;
}

// Every unit of the group as one point row (links included).
std::vector<Path> Paths(const CDbPathGroup* db) {
  std::vector<Path> out;
  for (POSITION pos = db->m_UnitList.GetHeadPosition(); pos;) {
    const CDbPathUnit* u = db->m_UnitList.GetNext(pos);
    Path p;
    for (POSITION cp = u->m_pCurve->m_CurveList.GetHeadPosition(); cp;) {
      CGeCurve3d* c = u->m_pCurve->m_CurveList.GetNext(cp);
      if (auto* pl = dynamic_cast<CGePolyline3d*>(c)) {
        for (int i = 0; i < pl->m_nCount; ++i)
          p.push_back({pl->m_pVertex[i][0], pl->m_pVertex[i][1], pl->m_pVertex[i][2]});
      } else if (auto* ln = dynamic_cast<CGeLine3d*>(c)) {
        p.push_back({ln->m_ptStart[0], ln->m_ptStart[1], ln->m_ptStart[2]});
        p.push_back({ln->m_ptEnd[0], ln->m_ptEnd[1], ln->m_ptEnd[2]});
      } else {
        ADD_FAILURE() << "unexpected curve type " << c->GetType();
      }
    }
    out.push_back(std::move(p));
  }
  return out;
}

// Slope of the drop surface at (x, y), by central differences.
double DropSlope(const Model& m, CTool* tool, double x, double y) {
  const double e = 0.01;
  auto h = [&](double u, double v) { return oracle::DropHeight(m.meshes(), tool, u, v); };
  const double gx = (h(x + e, y) - h(x - e, y)) / (2 * e), gy = (h(x, y + e) - h(x, y - e)) / (2 * e);
  return std::hypot(gx, gy);
}

// Largest depth of a sample under the drop surface, sampling every segment every 0.05. The
// edge tubes of the tool-centre model are polygons of 15-degree steps, so on their steep flanks
// (drop slope above 2) heights may sit lower by more than the tolerance: those samples are left
// out.
oracle::GougeReport Gouge(const Path& p, const Model& m, CTool* tool) {
  oracle::GougeReport r;
  for (size_t i = 0; i + 1 < p.size(); ++i) {
    const oracle::P3 &a = p[i], &b = p[i + 1];
    const int n = std::max(1, int(std::ceil(std::hypot(b.x - a.x, b.y - a.y, b.z - a.z) / 0.05)));
    for (int k = 0; k <= n; ++k) {
      const double f = double(k) / n;
      const oracle::P3 q{a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)};
      const double h = oracle::DropHeight(m.meshes(), tool, q.x, q.y);
      if (h < -1e299 || h - q.z <= r.worstBelow) continue;
      if (DropSlope(m, tool, q.x, q.y) > 2) continue;
      r.worstBelow = h - q.z;
      r.at = q;
    }
  }
  return r;
}

CGeRegion* RectRegion(double x0, double y0, double x1, double y1) {
  std::vector<std::array<double, 2>> pts = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
  auto* poly = new CGePolyline;
  poly->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data()));
  poly->m_nClosed = 1;
  poly->Discrete(0.001);
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 1);
  loop->Discrete(0.001);
  auto* r = new CGeRegion;
  r->m_LoopList.AddTail(loop);
  r->CalcBox2d();
  return r;
}

struct Regions {
  RegionList list;
  ~Regions() {
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
};

CParamSrfFinish Finish(double top, double depth, double step, uint8_t optByte, double angleDeg,
                       uint32_t options = 1) {
  CParamSrfFinish f;
  f.m_dTopHeight = top;
  f.m_dCutDepth = depth;
  SrfParallelBlock& b = f.Parallel();
  b = SrfParallelBlock{};
  b.options = options;
  b.optByte = optByte;
  b.step = step;
  b.angle = angleDeg;
  return f;
}

class ParallelPathTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

TEST_F(ParallelPathTest, PassesFollowTheDropHeightOnTheirLines) {
  struct Case {
    const char* name;
    std::unique_ptr<CTool> tool;
    std::unique_ptr<CGeMesh> mesh;
  };
  Case cases[3];
  cases[0] = {"ball over hemisphere", std::make_unique<CTBall>(4.0), oracle::Hemisphere(10.0)};
  // Offsetting a facet mesh by its vertex normals flattens a flat cutter's plateau by about
  // S (1 - cos(ring spacing)): rings are kept close enough for that to stay under 0.02.
  cases[1] = {"flat over hemisphere", std::make_unique<CTCylindrical>(4.0), oracle::Hemisphere(5.0, 64, 24)};
  cases[2] = {"bull over wavy grid", std::make_unique<CTBull>(4.0, 1.0), oracle::WavyGrid(20.0, 31)};
  for (Case& c : cases) {
    auto m = Build(std::move(c.mesh), c.tool.get());
    ASSERT_TRUE(m->centre) << c.name;
    CParamSrfFinish f = Finish(30.0, 40.0, 1.0, 0, 0.0);
    CCreSrfParallelPath gen;
    std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), nullptr, f));
    ASSERT_TRUE(db) << c.name;
    std::vector<Path> paths = Paths(db.get());
    ASSERT_GT(paths.size(), 10u) << c.name;
    std::set<double> ys;
    size_t points = 0;
    for (const Path& p : paths) {
      ASSERT_GE(p.size(), 2u);
      for (const oracle::P3& q : p) {
        // One-way passes: every point of a unit on its line.
        ASSERT_NEAR(q.y, p.front().y, 1e-9) << c.name;
        const double h = oracle::DropHeight(m->meshes(), c.tool.get(), q.x, q.y);
        if (h < -1e299 || DropSlope(*m, c.tool.get(), q.x, q.y) > 2) continue;
        EXPECT_NEAR(q.z, h, 0.05) << c.name << " at " << q.x << ", " << q.y;
        ++points;
      }
      ys.insert(p.front().y);
      const oracle::GougeReport g = Gouge(p, *m, c.tool.get());
      EXPECT_LT(g.worstBelow, 0.05) << c.name << " at " << g.at.x << ", " << g.at.y;
    }
    EXPECT_GT(points, 200u) << c.name;
    // Lines one step apart.
    for (auto it = std::next(ys.begin()); it != ys.end(); ++it) {
      const double gap = *it - *std::prev(it);
      EXPECT_NEAR(gap / std::round(gap), 1.0, 1e-6) << c.name;
    }
  }
}

TEST_F(ParallelPathTest, BallOverHemisphereMatchesTheClosedForm) {
  CTBall ball(4.0);
  const double S = 10.0, r = 2.0;
  auto m = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_TRUE(m->centre);
  CParamSrfFinish f = Finish(30.0, 40.0, 2.0, 0, 0.0);
  CCreSrfParallelPath gen;
  std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  size_t checked = 0;
  for (const Path& p : Paths(db.get()))
    for (const oracle::P3& q : p) {
      const double d2 = q.x * q.x + q.y * q.y;
      // Over the cap the ball touches the sphere: tip at sqrt((S + r)^2 - d^2) - r.
      if (d2 > 0.8 * S * S) continue;
      EXPECT_NEAR(q.z, std::sqrt((S + r) * (S + r) - d2) - r, 0.05) << q.x << ", " << q.y;
      ++checked;
    }
  EXPECT_GT(checked, 50u);
}

TEST_F(ParallelPathTest, BoundaryClipsAndTheBottomClampsTheDepth) {
  // A plane sloping 20 degrees along x; the cut stops at z = 0.
  CTCylindrical flat(2.0);
  const double theta = 20.0 * std::numbers::pi / 180;
  auto m = Build(oracle::TiltedPlane(30.0, theta, 0.0, 7), &flat);
  ASSERT_TRUE(m->centre);
  Regions regions;
  regions.list.AddTail(RectRegion(-8, -6, 8, 6));
  CParamSrfFinish f = Finish(20.0, 20.0, 1.0, 0, 0.0);
  CCreSrfParallelPath gen;
  std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), &regions.list, f));
  ASSERT_TRUE(db);
  bool sawFloor = false, sawSlope = false;
  for (const Path& p : Paths(db.get())) {
    for (const oracle::P3& q : p) {
      EXPECT_GE(q.x, -8 + 0.01 - 1e-9);
      EXPECT_LE(q.x, 8 - 0.01 + 1e-9);
      EXPECT_GE(q.y, -6 - 1e-9);
      EXPECT_LE(q.y, 6 + 1e-9);
      // Flat cutter on a slope: the rim touches, z + R tan(theta) above the centre's height.
      const double drop = q.x * std::tan(theta) + 1.0 * std::tan(theta);
      EXPECT_NEAR(q.z, std::max(drop, 0.0), 0.02) << q.x << ", " << q.y;
      (q.z < 1e-6 ? sawFloor : sawSlope) = true;
    }
  }
  EXPECT_TRUE(sawFloor);
  EXPECT_TRUE(sawSlope);
}

TEST_F(ParallelPathTest, ZigZagLinksNeverCutIntoTheModel) {
  CTBall ball(3.0);
  // Waves across the lines: straight links between the ends of neighbouring passes would cut.
  auto m = Build(oracle::WavyGrid(20.0, 41), &ball);
  ASSERT_TRUE(m->centre);
  CParamSrfFinish f = Finish(30.0, 40.0, 0.7, 1, 0.0);
  CCreSrfParallelPath gen;
  std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  std::vector<Path> paths = Paths(db.get());
  ASSERT_FALSE(paths.empty());
  // Zig-zag joins many lines into few units.
  EXPECT_LT(paths.size(), 8u);
  for (const Path& p : paths) {
    const oracle::GougeReport g = Gouge(p, *m, &ball);
    EXPECT_LT(g.worstBelow, 0.05) << g.at.x << ", " << g.at.y << ", " << g.at.z;
  }
}

TEST_F(ParallelPathTest, TurnedLinesLeaveTheModelAsItCame) {
  CTBall ball(4.0);
  auto m = Build(oracle::WavyGrid(20.0, 31), &ball);
  ASSERT_TRUE(m->centre);
  double box[6];
  std::copy(m->centre->box, m->centre->box + 6, box);
  CParamSrfFinish f = Finish(30.0, 40.0, 1.5, 0, 30.0);
  CCreSrfParallelPath gen;
  std::unique_ptr<CDbPathGroup> a(gen.CreateParallelPath(m->centre.get(), nullptr, f));
  std::unique_ptr<CDbPathGroup> b(gen.CreateParallelPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(a && b);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(m->centre->box[i], box[i], 1e-9);
  std::vector<Path> pa = Paths(a.get()), pb = Paths(b.get());
  ASSERT_EQ(pa.size(), pb.size());
  const double dir[2] = {std::cos(std::numbers::pi / 6), std::sin(std::numbers::pi / 6)};
  for (size_t i = 0; i < pa.size(); ++i) {
    ASSERT_EQ(pa[i].size(), pb[i].size());
    for (size_t k = 0; k < pa[i].size(); ++k) {
      EXPECT_NEAR(pa[i][k].x, pb[i][k].x, 1e-6);
      EXPECT_NEAR(pa[i][k].y, pb[i][k].y, 1e-6);
      EXPECT_NEAR(pa[i][k].z, pb[i][k].z, 1e-6);
      // Every pass runs along the raster direction.
      const double across = -(pa[i][k].x - pa[i][0].x) * dir[1] + (pa[i][k].y - pa[i][0].y) * dir[0];
      EXPECT_NEAR(across, 0.0, 1e-6);
    }
    const oracle::GougeReport g = Gouge(pa[i], *m, &ball);
    EXPECT_LT(g.worstBelow, 0.05);
  }
}

TEST_F(ParallelPathTest, HostileInputGivesNull) {
  CTBall ball(4.0);
  auto m = Build(oracle::Hemisphere(10.0), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfParallelPath gen;
  CParamSrfFinish good = Finish(30.0, 40.0, 1.0, 0, 0.0);
  EXPECT_EQ(gen.CreateParallelPath(nullptr, nullptr, good), nullptr);
  struct Case {
    const char* name;
    double top, depth, step, angle;
  } cases[] = {
      {"step 0", 30, 40, 0.0, 0},
      {"negative step", 30, 40, -1.0, 0},
      {"NaN step", 30, 40, NAN, 0},
      {"more lines than allowed", 30, 40, 1e-9, 0},
      {"NaN angle", 30, 40, 1.0, NAN},
      {"NaN depth", 30, NAN, 1.0, 0},
  };
  for (const Case& c : cases) {
    CParamSrfFinish f = Finish(c.top, c.depth, c.step, 0, c.angle);
    EXPECT_EQ(gen.CreateParallelPath(m->centre.get(), nullptr, f), nullptr) << c.name;
  }
  // A cutter the model cannot use.
  CTool* own = m->centre->tool;
  CTBall zero(0.0);
  m->centre->tool = &zero;
  EXPECT_EQ(gen.CreateParallelPath(m->centre.get(), nullptr, good), nullptr);
  m->centre->tool = nullptr;
  EXPECT_EQ(gen.CreateParallelPath(m->centre.get(), nullptr, good), nullptr);
  m->centre->tool = own;
  // A boundary whose offset leaves nothing.
  Regions tiny;
  tiny.list.AddTail(RectRegion(-1, -1, 1, 1));
  CParamSrfFinish off = Finish(30.0, 40.0, 0.5, 2, 0.0);
  off.Parallel().boundOffset = 5.0;
  EXPECT_EQ(gen.CreateParallelPath(m->centre.get(), &tiny.list, off), nullptr);
  // Still usable afterwards.
  std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), nullptr, good));
  EXPECT_TRUE(db);
  // A model so wide that its net would need about 1e14 nodes is refused before allocating.
  auto wide = Build(oracle::Plane(1e6, 0.0, 2), &ball);
  ASSERT_TRUE(wide->centre);
  CParamSrfFinish coarse = Finish(30.0, 40.0, 1e5, 0, 0.0);
  EXPECT_EQ(gen.CreateParallelPath(wide->centre.get(), nullptr, coarse), nullptr);
}

TEST_F(ParallelPathTest, CancelFreesEverythingAndRestoresTheModel) {
  CTBall ball(4.0);
  auto m = Build(oracle::WavyGrid(20.0, 31), &ball);
  ASSERT_TRUE(m->centre);
  double box[6];
  std::copy(m->centre->box, m->centre->box + 6, box);
  CParamSrfFinish f = Finish(30.0, 40.0, 1.0, 1, 45.0);
  CCreSrfParallelPath gen;
  for (int poll : {1, 3, 10}) {
    gResetProgress();
    gSetProgressCancelAfter(poll);
    EXPECT_EQ(gen.CreateParallelPath(m->centre.get(), nullptr, f), nullptr) << poll;
    // Polled at least once per raster line until the cancel.
    EXPECT_GE(gGetProgressPollCount(), poll);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(m->centre->box[i], box[i], 1e-9);
  }
}

TEST_F(ParallelPathTest, RoughingRunsZigZag) {
  CTCylindrical flat(4.0);
  auto m = Build(oracle::Hemisphere(5.0, 64, 24), &flat);
  ASSERT_TRUE(m->centre);
  CParamSrfRough r;
  r.m_dTopHeight = 30;
  r.m_dCutDepth = 40;
  r.Parallel() = SrfRoughParallelBlock{0, 1.0, 0.0, 0.0};
  CCreSrfParallelPath gen;
  std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), nullptr, r));
  ASSERT_TRUE(db);
  std::vector<Path> paths = Paths(db.get());
  EXPECT_LT(paths.size(), 4u);
  for (const Path& p : paths) {
    const oracle::GougeReport g = Gouge(p, *m, &flat);
    EXPECT_LT(g.worstBelow, 0.05);
  }
}

}  // namespace

namespace {

TEST_F(ParallelPathTest, ShortZigZagRunsAreCutAgainAcross) {
  CTBall ball(2.0);
  auto m = Build(oracle::WavyGrid(20.0, 31), &ball);
  ASSERT_TRUE(m->centre);
  // A strip 3 wide and 16 tall: raster lines along x make runs far taller than wide.
  Regions regions;
  regions.list.AddTail(RectRegion(-1.5, -8, 1.5, 8));
  struct Case {
    uint32_t options;
    bool across;
  } cases[] = {{1, false}, {1 | 0x10, true}};
  for (const Case& c : cases) {
    CParamSrfFinish f = Finish(30.0, 40.0, 0.5, 1, 0.0, c.options);
    CCreSrfParallelPath gen;
    std::unique_ptr<CDbPathGroup> db(gen.CreateParallelPath(m->centre.get(), &regions.list, f));
    ASSERT_TRUE(db) << c.options;
    // Passes along x, and length run along y at constant x (links between lines are 0.5 each).
    size_t alongX = 0;
    double alongY = 0;
    for (const Path& p : Paths(db.get())) {
      for (size_t i = 0; i + 1 < p.size(); ++i) {
        const double dx = std::fabs(p[i + 1].x - p[i].x), dy = std::fabs(p[i + 1].y - p[i].y);
        if (dx > 0.2 && dy < 1e-6) ++alongX;
        if (dx < 1e-6) alongY += dy;
        EXPECT_GE(p[i].x, -1.5 - 1e-6);
        EXPECT_LE(p[i].x, 1.5 + 1e-6);
      }
      const oracle::GougeReport g = Gouge(p, *m, &ball);
      EXPECT_LT(g.worstBelow, 0.05) << c.options << " at " << g.at.x << ", " << g.at.y;
    }
    if (c.across) {
      // About six lines 16 long across; only the links between them run along x.
      EXPECT_GT(alongY, 60.0);
      EXPECT_LT(alongX, 10u);
    } else {
      EXPECT_GT(alongX, 100u);
      EXPECT_LT(alongY, 20.0);
    }
  }
}

}  // namespace
