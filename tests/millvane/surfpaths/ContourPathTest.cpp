// Z-level passes over the tool-centre model, checked against closed forms of the waterline
// (sphere and box), the brute-force drop-cutter of the oracle kit (every contour point stands
// at its layer's height, no sample of a pass or link under the surface), and hostile settings.
#include "millvane/surfpaths/CreSrfContourPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <set>

#include "db/DbPathGroup.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "millvane/surfpaths/LayerContour.h"
#include "millvane/surfpaths/SurfPathShared.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;
using Path = std::vector<oracle::P3>;

struct Model {
  std::vector<std::unique_ptr<CGeMesh>> mesh;
  MeshList list;
  std::unique_ptr<CMillCenter> centre;
  std::vector<const CGeMesh*> meshes() const {
    std::vector<const CGeMesh*> v;
    for (const auto& m : mesh) v.push_back(m.get());
    return v;
  }
};

std::unique_ptr<Model> Build(std::vector<std::unique_ptr<CGeMesh>> meshes, CTool* tool, int flag = 0) {
  auto m = std::make_unique<Model>();
  m->mesh = std::move(meshes);
  for (auto& x : m->mesh) m->list.AddTail(x.get());
  m->centre.reset(CreateMillCentre(&m->list, tool, 0.0, flag, 0.1));
  return m;
}

std::unique_ptr<Model> Build(std::unique_ptr<CGeMesh> mesh, CTool* tool, int flag = 0) {
  std::vector<std::unique_ptr<CGeMesh>> v;
  v.push_back(std::move(mesh));
  return Build(std::move(v), tool, flag);
}

std::vector<Path> Paths(const CDbPathGroup* db) {
  std::vector<Path> out;
  for (POSITION pos = db->m_UnitList.GetHeadPosition(); pos;) {
    const CDbPathUnit* u = db->m_UnitList.GetNext(pos);
    Path p;
    for (POSITION cp = u->m_pCurve->m_CurveList.GetHeadPosition(); cp;) {
      CGeCurve3d* c = u->m_pCurve->m_CurveList.GetNext(cp);
      // Links may be arcs: every curve as its fine discretisation.
      CStrP3D str;
      c->Discrete(0.001, str);
      for (int i = 0; i < str.m_nCount; ++i) p.push_back({str.m_pPoints[i][0], str.m_pPoints[i][1], str.m_pPoints[i][2]});
    }
    out.push_back(std::move(p));
  }
  return out;
}

CParamSrfFinish Finish(double top, double depth, double step, uint32_t options = 0) {
  CParamSrfFinish f;
  f.m_dTopHeight = top;
  f.m_dCutDepth = depth;
  SrfContourBlock& b = f.Contour();
  b = SrfContourBlock{};
  b.options = options;
  b.stepDown = step;
  b.climb = 1;
  b.linkType = 1;
  b.linkParam = 1.0;
  return f;
}

// The contours of one level from a generator whose net was laid out by a run over the model.
std::vector<PtCurve> Level(CCreSrfContourPath& gen, double z) {
  CIntCurveSet set;
  set.level = z;
  gen.GenOneLayerLoop(&set, 0.01);
  std::vector<PtCurve> out;
  for (const IntCurve* c = set.head; c; c = c->next) out.push_back(c->pts);
  return out;
}

double Area(const PtCurve& c) {
  double s = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) s += c[i][0] * c[i + 1][1] - c[i + 1][0] * c[i][1];
  return 0.5 * s;
}

class ContourPathTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

TEST_F(ContourPathTest, WaterlineOverSphereMatchesTheClosedForm) {
  struct Case {
    const char* name;
    std::unique_ptr<CTool> tool;
    double S;
    std::function<double(double)> radius;  // contour radius at tip level z
  };
  const double S = 10.0;
  Case cases[2];
  cases[0] = {"ball", std::make_unique<CTBall>(2.0), S,
              [S](double z) { return std::sqrt((S + 1) * (S + 1) - (z + 1) * (z + 1)); }};
  cases[1] = {"flat", std::make_unique<CTCylindrical>(2.0), S,
              [S](double z) { return 1.0 + std::sqrt(S * S - z * z); }};
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = Build(oracle::Hemisphere(S, 96, 32), c.tool.get());
    ASSERT_TRUE(m->centre);
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(12.0, 12.0, 3.0);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
    ASSERT_TRUE(db);
    for (double z : {0.5, 2.0, 4.0, 6.0, 8.0, 9.0}) {
      SCOPED_TRACE(z);
      const std::vector<PtCurve> cs = Level(gen, z);
      ASSERT_EQ(cs.size(), 1u);
      const PtCurve& k = cs[0];
      ASSERT_GE(k.size(), 8u);
      EXPECT_NEAR(k.front()[0], k.back()[0], 1e-9);
      EXPECT_NEAR(k.front()[1], k.back()[1], 1e-9);
      const double want = c.radius(z);
      double worst = 0;
      for (const Pt2& p : k) worst = std::max(worst, std::fabs(std::hypot(p[0], p[1]) - want));
      EXPECT_LT(worst, 0.05) << "radius " << want;
    }
  }
}

// The layer step alone, on a net and a section given directly: the waterline of a box
// [-a, a] x [-b, b] for a flat cutter of radius R is the box grown by R with round corners.
TEST(LayerContours, BoxWaterlineHasTheRoundedRectangleArea) {
  const double a = 4, b = 3, R = 1;
  struct Case {
    const char* name;
    double cell, dx, dy;  // net cell and shift of the shape against the nodes
  } cases[] = {{"on nodes", 0.5, 0, 0}, {"shifted", 0.5, 0.13, -0.21}, {"fine", 0.25, 0.05, 0.07}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Distance outside the box; the tool centre stands above level 0 within R.
    auto outside = [&](double x, double y) {
      const double ex = std::max(std::fabs(x - c.dx) - a, 0.0), ey = std::max(std::fabs(y - c.dy) - b, 0.0);
      return std::hypot(ex, ey);
    };
    CProtectNet net;
    const double box[6] = {-a - R + c.dx, -b - R + c.dy, 0, a + R + c.dx, b + R + c.dy, 5};
    ASSERT_EQ(net.Create(c.cell, R, box), 1);
    for (int i = 0; i < net.rows; ++i)
      for (int j = 0; j < net.cols; ++j)
        if (outside(net.xs[j], net.ys[i]) <= R) net.Raise(i, j, 5.0);
    // The section at level 0: the rounded rectangle, corners as arcs of 64 chords each.
    CIntLineSet set(0.0);
    PtCurve ring;
    const double cx[4] = {a, -a, -a, a}, cy[4] = {b, b, -b, -b};
    for (int k = 0; k < 4; ++k)
      for (int i = 0; i <= 64; ++i) {
        const double t = (k + i / 64.0) * std::numbers::pi / 2;
        ring.push_back({c.dx + cx[k] + R * std::cos(t), c.dy + cy[k] + R * std::sin(t)});
      }
    ring.push_back(ring.front());
    for (size_t i = 0; i + 1 < ring.size(); ++i) set.AddLine(ring[i].data(), ring[i + 1].data());
    const std::vector<PtCurve> cs = layer::LevelContours(net, set, 0.0, 0.01, false);
    ASSERT_EQ(cs.size(), 1u);
    const PtCurve& k = cs[0];
    EXPECT_EQ(k.front(), k.back());
    const double want = 4 * a * b + 4 * (a + b) * R + std::numbers::pi * R * R;
    // Simplifying with 0.01 may move the outline that far inward, no further.
    EXPECT_NEAR(std::fabs(Area(k)), want, 0.01 * (4 * (a + b) + 2 * std::numbers::pi * R));
    for (const Pt2& p : k) EXPECT_NEAR(outside(p[0], p[1]), R, 0.012) << p[0] << ", " << p[1];
    // No chord cuts across a corner: the midpoints keep to the outline too.
    for (size_t i = 0; i + 1 < k.size(); ++i) {
      const double mx = 0.5 * (k[i][0] + k[i + 1][0]), my = 0.5 * (k[i][1] + k[i + 1][1]);
      EXPECT_NEAR(outside(mx, my), R, 0.012) << k[i][0] << ", " << k[i][1] << " to " << k[i + 1][0] << ", " << k[i + 1][1];
    }
  }
}

// Where two corner cells of different directions meet, each may hold more than one piece of
// section: here the outline's straight ends run along node rows with one node on each covered
// (a one-node bulge of the border), and circles inside the region (as the tube round a ridge's
// end gives) cross the same cells. The pieces kept must be those that meet at the joint, so the
// outline, not an inner circle, is traced; checked at vertices, chord midpoints and by area.
TEST(LayerContours, JunctionKeepsThePiecesThatMeetOverInnerSections) {
  const double a = 0.5, b = 3, R = 1;
  auto off = [&](double x, double y) {
    return std::hypot(std::max(std::fabs(x) - a, 0.0), std::max(std::fabs(y) - b, 0.0)) - R;
  };
  CProtectNet net;
  const double box[6] = {-a - R, -b - R, 0, a + R, b + R, 5};
  ASSERT_EQ(net.Create(0.5, R, box), 1);
  int bulges = 0;
  for (int i = 0; i < net.rows; ++i)
    for (int j = 0; j < net.cols; ++j) {
      const bool bulge = net.xs[j] == 0 && std::fabs(net.ys[i]) == b + R;
      bulges += bulge;
      if (off(net.xs[j], net.ys[i]) < -1e-9 || bulge) net.Raise(i, j, 5.0);
    }
  ASSERT_EQ(bulges, 2);  // the outline's ends lie on node rows
  CIntLineSet set(0.0);
  auto add = [&](const PtCurve& c) {
    for (size_t i = 0; i + 1 < c.size(); ++i) set.AddLine(c[i].data(), c[i + 1].data());
  };
  PtCurve ring;
  const double cx[4] = {a, -a, -a, a}, cy[4] = {b, b, -b, -b};
  for (int k = 0; k < 4; ++k)
    for (int i = 0; i <= 64; ++i) {
      const double t = (k + i / 64.0) * std::numbers::pi / 2;
      ring.push_back({cx[k] + R * std::cos(t), cy[k] + R * std::sin(t)});
    }
  ring.push_back(ring.front());
  add(ring);
  for (double y : {-b, b}) {
    PtCurve circle;
    for (int i = 0; i <= 128; ++i) {
      const double t = i * 2 * std::numbers::pi / 128;
      circle.push_back({R * std::cos(t), y + R * std::sin(t)});
    }
    add(circle);
  }
  const std::vector<PtCurve> cs = layer::LevelContours(net, set, 0.0, 0.01, false);
  ASSERT_EQ(cs.size(), 1u);
  const PtCurve& k = cs[0];
  const double perimeter = 4 * (a + b) + 2 * std::numbers::pi * R;
  EXPECT_NEAR(std::fabs(Area(k)), 4 * a * b + 4 * (a + b) * R + std::numbers::pi * R * R, 0.01 * perimeter);
  // The junction keeps one piece per cell, so a chord may stand in for a short stretch of a
  // corner arc whose cell also holds an inner circle's section: midpoints within 0.03.
  for (size_t i = 0; i + 1 < k.size(); ++i) {
    const double mx = 0.5 * (k[i][0] + k[i + 1][0]), my = 0.5 * (k[i][1] + k[i + 1][1]);
    EXPECT_NEAR(off(k[i][0], k[i][1]), 0, 0.012) << k[i][0] << ", " << k[i][1];
    EXPECT_NEAR(off(mx, my), 0, 0.03) << k[i][0] << ", " << k[i][1] << " to " << k[i + 1][0] << ", " << k[i + 1][1];
  }
}

// A section that runs on under cover without meeting the covering face's section keeps its open
// run only, ended where the cover begins; one under cover all along goes.
TEST(LayerContours, BuriedRunsOfASectionAreCutOff) {
  std::vector<layer::RecordSegs> recs(1);
  recs[0].segs = {{0, 0, 1, 0}, {0, 2, 1, 2}, {0, 3, 0.5, 3}};
  const layer::AboveLevel above = [](double x, double y) {
    return y > 2.5 || (y < 1 && x > 0.6) || (y > 1.5 && y < 2.5 && (x < 0.2 || x > 0.7));
  };
  layer::DropBuriedSegments(recs, above);
  std::vector<std::array<double, 4>> s = recs[0].segs;
  std::sort(s.begin(), s.end());
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0][0], 0.0);
  EXPECT_NEAR(s[0][2], 0.6, 0.002);
  EXPECT_NEAR(s[1][0], 0.2, 0.002);
  EXPECT_NEAR(s[1][2], 0.7, 0.002);
  EXPECT_EQ(s[1][1], 2.0);
}

// Two squares touching at one diagonal node pair: the saddle is filled for the trace and cut
// again, one contour per square.
TEST(LayerContours, DiagonalContactGivesOneContourPerRegion) {
  CProtectNet net;
  const double box[6] = {0, 0, 0, 10, 10, 1};
  ASSERT_EQ(net.Create(1.0, 0.0, box), 1);
  // Squares of nodes: columns/rows 3..5 and 6..8 (touching at nodes (5,5) and (6,6)).
  auto x = [&](int j) { return net.xs[j]; };
  auto y = [&](int i) { return net.ys[i]; };
  for (int i = 0; i < net.rows; ++i)
    for (int j = 0; j < net.cols; ++j)
      if ((i >= 3 && i <= 5 && j >= 3 && j <= 5) || (i >= 6 && i <= 8 && j >= 6 && j <= 8)) net.Raise(i, j, 1.0);
  // Sections 0.4 outside each square.
  CIntLineSet set(0.5);
  auto square = [&](int i0, int j0) {
    const double x0 = x(j0) - 0.4, x1 = x(j0 + 2) + 0.4, y0 = y(i0) - 0.4, y1 = y(i0 + 2) + 0.4;
    const double p[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int k = 0; k < 4; ++k) set.AddLine(p[k], p[k + 1]);
  };
  square(3, 3);
  square(6, 6);
  const std::vector<PtCurve> cs = layer::LevelContours(net, set, 0.5, 0.01, false);
  ASSERT_EQ(cs.size(), 2u);
  // Each contour is its own square's outline, the contact corner included.
  for (const PtCurve& k : cs) {
    EXPECT_NEAR(std::fabs(Area(k)), 2.8 * 2.8, 0.01);
    const bool first = k[0][0] + k[0][1] < 7;
    const double lo = first ? 0.6 : 3.6, hi = first ? 3.4 : 6.4;
    for (const Pt2& p : k) {
      EXPECT_GE(p[0], lo - 0.01);
      EXPECT_LE(p[0], hi + 0.01);
      EXPECT_GE(p[1], lo - 0.01);
      EXPECT_LE(p[1], hi + 0.01);
    }
  }
}

// Over a smooth terrain every contour point stands where the cutter's drop height is its
// layer's z (left out where the drop surface is steep, so that a hair sideways is a big step).
TEST_F(ContourPathTest, ContourPointsLieAtTheirLayerHeight) {
  CTBull bull(3.0, 0.5);
  auto m = Build(oracle::WavyGrid(24.0, 40), &bull);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(3.0, 4.0, 0.5);
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  size_t checked = 0;
  for (double z : {-1.5, -0.5, 0.3, 1.2}) {
    const std::vector<PtCurve> cs = Level(gen, z);
    EXPECT_FALSE(cs.empty()) << z;
    // Closed, and no two segments of the level (of one contour or two) cross properly.
    std::vector<std::array<Pt2, 2>> segs;
    for (const PtCurve& c : cs) {
      ASSERT_GE(c.size(), 4u);
      EXPECT_EQ(c.front(), c.back());
      for (size_t i = 0; i + 1 < c.size(); ++i) segs.push_back({c[i], c[i + 1]});
    }
    auto cross = [](const Pt2& o, const Pt2& a, const Pt2& b) {
      return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    };
    size_t crossings = 0;
    for (size_t i = 0; i < segs.size(); ++i)
      for (size_t j = i + 1; j < segs.size(); ++j) {
        const auto &p = segs[i], &q = segs[j];
        const double d1 = cross(p[0], p[1], q[0]), d2 = cross(p[0], p[1], q[1]);
        const double d3 = cross(q[0], q[1], p[0]), d4 = cross(q[0], q[1], p[1]);
        if (d1 * d2 < -1e-12 && d3 * d4 < -1e-12) ++crossings;
      }
    EXPECT_EQ(crossings, 0u) << z;
    for (const PtCurve& c : cs)
      for (const Pt2& p : c) {
        if (std::fabs(p[0]) > 10 || std::fabs(p[1]) > 10) continue;
        const double e = 0.02;
        const auto h = [&](double x, double y) { return oracle::DropHeight(m->meshes(), &bull, x, y); };
        const double g = std::hypot(h(p[0] + e, p[1]) - h(p[0] - e, p[1]), h(p[0], p[1] + e) - h(p[0], p[1] - e)) / (2 * e);
        if (g > 2) continue;
        EXPECT_NEAR(h(p[0], p[1]), z, 0.05 + 0.02 * g) << p[0] << ", " << p[1];
        ++checked;
      }
  }
  EXPECT_GT(checked, 100u);
}

// Two hemispheres: apart while the offset circles are apart, one outline once they overlap;
// placed diagonally, the first contact of their regions on the net is a diagonal node pair.
TEST_F(ContourPathTest, TwoBumpsSplitAndJoinAsTheClosedFormSays) {
  struct Case {
    const char* name;
    double cx, cy;  // second centre; the first is its mirror
  } cases[] = {{"side by side", 6.5, 0}, {"diagonal", 4.6, 4.6}};
  const double S = 5, r = 1;
  CTBall ball(2 * r);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<CGeMesh>> meshes;
    meshes.push_back(oracle::SphereMesh(S, c.cx, c.cy, 0, 96, 24, true));
    meshes.push_back(oracle::SphereMesh(S, -c.cx, -c.cy, 0, 96, 24, true));
    auto m = Build(std::move(meshes), &ball);
    ASSERT_TRUE(m->centre);
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(7.0, 7.0, 2.0);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
    ASSERT_TRUE(db);
    const double half = std::hypot(c.cx, c.cy);
    for (double z = 0.2; z < S - 0.2; z += 0.1) {
      const double rho = std::sqrt((S + r) * (S + r) - (z + r) * (z + r));
      // Too close to the touching level for the net's cell to tell.
      if (std::fabs(rho - half) < 0.15) continue;
      const std::vector<PtCurve> cs = Level(gen, z);
      ASSERT_EQ(cs.size(), rho > half ? 1u : 2u) << "z " << z << " radius " << rho;
      for (const PtCurve& k : cs) {
        ASSERT_GE(k.size(), 4u);
        // Each point on one of the two circles (or inside the other where they overlap).
        for (const Pt2& p : k) {
          const double d1 = std::hypot(p[0] - c.cx, p[1] - c.cy), d2 = std::hypot(p[0] + c.cx, p[1] + c.cy);
          const double err = std::min(std::fabs(d1 - rho) + std::max(0.0, rho - d2),
                                      std::fabs(d2 - rho) + std::max(0.0, rho - d1));
          EXPECT_LT(err, 0.06) << p[0] << ", " << p[1] << " at z " << z;
        }
      }
    }
  }
}

TEST_F(ContourPathTest, PassesDescendLayerByLayerWithoutGouging) {
  CTBall ball(2.0);
  const double S = 8;
  auto m = Build(oracle::Hemisphere(S, 64, 16), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(8.0, 8.0, 1.0);
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  // Levels 0 .. 7: every one gives one contour, all linked into one descending column.
  const std::vector<Path> paths = Paths(db.get());
  ASSERT_EQ(paths.size(), 1u);
  std::map<long, size_t> atLevel;
  for (const oracle::P3& q : paths[0]) {
    const double lv = std::round(q.z);
    if (std::fabs(q.z - lv) < 1e-9) ++atLevel[static_cast<long>(lv)];
  }
  EXPECT_EQ(atLevel.size(), 8u);
  EXPECT_NEAR(paths[0].front().z, 7.0, 1e-9);  // from the top down
  EXPECT_NEAR(paths[0].back().z, 0.0, 1e-9);
  // Every sample of passes and links, every 0.05, stays on or above the surface; the model's
  // edge tubes are polygons of 15-degree steps, so where the drop surface is steeper than 2
  // they may sit lower than that: those samples are left out.
  double worst = 0;
  oracle::P3 at{0, 0, 0};
  const Path& p = paths[0];
  for (size_t i = 0; i + 1 < p.size(); ++i) {
    const int n = std::max(1, int(std::ceil(std::hypot(p[i + 1].x - p[i].x, p[i + 1].y - p[i].y, p[i + 1].z - p[i].z) / 0.05)));
    for (int k = 0; k < n; ++k) {
      const double t = double(k) / n;
      const oracle::P3 q{p[i].x + t * (p[i + 1].x - p[i].x), p[i].y + t * (p[i + 1].y - p[i].y), p[i].z + t * (p[i + 1].z - p[i].z)};
      const double h = oracle::DropHeight(m->meshes(), &ball, q.x, q.y);
      if (h - q.z <= worst || oracle::DropSlope(m->meshes(), &ball, q.x, q.y) > 2) continue;
      worst = h - q.z;
      at = q;
    }
  }
  // Links are checked against the model with 0.05 of slack, contours far tighter.
  EXPECT_LT(worst, 0.05) << at.x << ", " << at.y << ", " << at.z;
  // The same call again gives the same passes: the model keeps no trace of the first.
  CCreSrfContourPath again;
  std::unique_ptr<CDbPathGroup> db2(again.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db2);
  const std::vector<Path> p2 = Paths(db2.get());
  ASSERT_EQ(p2.size(), 1u);
  ASSERT_EQ(p2[0].size(), paths[0].size());
  for (size_t i = 0; i < p2[0].size(); ++i) EXPECT_NEAR(p2[0][i].z, paths[0][i].z, 1e-12);
}

TEST_F(ContourPathTest, CutShallowerThanTheStepGivesOneLayerAtTheBottom) {
  CTBall ball(2.0);
  auto m = Build(oracle::Hemisphere(8, 48, 12), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(6.0, 1.5, 2.0);
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  const std::vector<Path> paths = Paths(db.get());
  ASSERT_EQ(paths.size(), 1u);
  for (const oracle::P3& q : paths[0]) EXPECT_NEAR(q.z, 4.5, 1e-9);
}

TEST_F(ContourPathTest, CancelFreesEverything) {
  CTBall ball(2.0);
  auto m = Build(oracle::Hemisphere(8, 48, 12), &ball);
  ASSERT_TRUE(m->centre);
  for (int polls : {1, 2, 4, 9}) {
    gResetProgress();
    gSetProgressCancelAfter(polls);
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(8.0, 8.0, 1.0);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
    EXPECT_EQ(db, nullptr) << polls;
    EXPECT_TRUE(gen.layers.empty()) << polls;
  }
}

TEST_F(ContourPathTest, HostileSettingsGiveNull) {
  CTBall ball(2.0);
  auto m = Build(oracle::Hemisphere(8, 48, 12), &ball);
  ASSERT_TRUE(m->centre);
  struct Case {
    const char* name;
    double top, depth, step, cell;
    uint32_t options;
  } cases[] = {
      {"step 0", 8, 8, 0, 0, 0},
      {"negative step", 8, 8, -1, 0, 0},
      {"NaN step", 8, 8, std::nan(""), 0, 0},
      {"NaN top", std::nan(""), 8, 1, 0, 0},
      {"infinite depth", 8, INFINITY, 1, 0, 0},
      {"levels beyond any memory", 8, 8, 1e-9, 0, 0},
      {"negative depth", 8, -3, 1, 0, 0},
  };
  for (const Case& c : cases) {
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(c.top, c.depth, c.step, c.options);
    f.Contour().userCell = c.cell;
    EXPECT_EQ(gen.CreateContourPath(m->centre.get(), nullptr, f), nullptr) << c.name;
  }
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(8, 8, 1);
  EXPECT_EQ(gen.CreateContourPath(nullptr, nullptr, f), nullptr);
  CTool* own = m->centre->tool;
  m->centre->tool = nullptr;
  EXPECT_EQ(gen.CreateContourPath(m->centre.get(), nullptr, f), nullptr);
  m->centre->tool = own;
  // A net of 0.02 cells over a 300 x 300 model is refused before it is allocated.
  CTBall small(2.0);
  auto big = Build(oracle::Plane(300, 0, 2), &small);
  ASSERT_TRUE(big->centre);
  CParamSrfFinish fine = Finish(1, 2, 1, 0x40);
  fine.Contour().userCell = 0.02;
  EXPECT_EQ(gen.CreateContourPath(big->centre.get(), nullptr, fine), nullptr);
}

TEST_F(ContourPathTest, SurfaceBoundaryIsTheOutlineOffsetByTheRadius) {
  CTBall ball(2.0);
  const double S = 8, r = 1;
  auto m = Build(oracle::Hemisphere(S, 64, 16), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CSmartLoop* loops = gen.GenSurfBound(m->centre.get(), {4, 170.0, 5.0});
  ASSERT_NE(loops, nullptr);
  EXPECT_EQ(loops->next, nullptr);
  // The tool centre reaches r beyond the rim; the boundary lies r further out, to within the
  // net's cell (0.5 here) inward.
  int n = 0;
  for (const CSmartSect* s = loops->curve->head; s; s = s->next, ++n) {
    double p[2];
    s->StartPoint(p);
    EXPECT_LE(std::hypot(p[0], p[1]), S + 2 * r + 0.02);
    EXPECT_GE(std::hypot(p[0], p[1]), S + 2 * r - 0.5 * std::sqrt(2.0) - 0.02);
  }
  EXPECT_GT(n, 8);
  acDeleteLoopList(loops);
}

CParamSrfFinish FlatFinish(int strategy, double step) {
  CParamSrfFinish f;
  f.m_dTopHeight = 10;
  f.m_dCutDepth = 20;
  SrfFlatBlock& b = f.Flat();
  b = SrfFlatBlock{};
  b.strategy = strategy;
  if (strategy == 0) {
    QNC_CutLinearDef d{};
    d.flags = kLinearZigZag;
    d.step = step;
    BlockSet(b.pocket, d);
  } else {
    QNC_CutFollowDef d{};
    d.step = step;
    d.halfStepLimit = 100;
    BlockSet(b.pocket, d);
  }
  return f;
}

// A flat mesh is pocketed at its own height, inside its outline; a gently tilted one is pocketed
// inside its outline and the passes are laid onto it.
TEST_F(ContourPathTest, FlatAreasArePocketedAtTheirHeight) {
  for (int strategy : {0, 1}) {
    SCOPED_TRACE(strategy);
    CTCylindrical flat(2.0);
    auto m = Build(oracle::Plane(20, 2, 4), &flat);
    ASSERT_TRUE(m->centre);
    ASSERT_GT(m->centre->planeContours.count, 0);
    CCreSrfContourPath gen;
    CParamSrfFinish f = FlatFinish(strategy, 1.5);
    CPathGroup group(302);
    ASSERT_EQ(gen.CreateFlatSurfPath(m->centre.get(), f, group), 1);
    ASSERT_NE(group.head, nullptr);
    std::unique_ptr<CDbPathGroup> db(group.ToDbPathGroup());
    ASSERT_TRUE(db);
    size_t n = 0;
    for (const Path& p : Paths(db.get()))
      for (const oracle::P3& q : p) {
        EXPECT_NEAR(q.z, 2.0, 1e-9);
        EXPECT_LE(std::fabs(q.x), 10 + 1e-6);
        EXPECT_LE(std::fabs(q.y), 10 + 1e-6);
        ++n;
      }
    EXPECT_GT(n, 20u);
  }
  {
    CTCylindrical flat(2.0);
    const double theta = 0.03;
    // The flag keeps nearly flat meshes as flat faces.
    auto m = Build(oracle::TiltedPlane(20, theta, 1.0, 4), &flat, 1);
    ASSERT_TRUE(m->centre);
    ASSERT_FALSE(m->centre->flatFaces.empty());
    CCreSrfContourPath gen;
    CParamSrfFinish f = FlatFinish(1, 1.5);
    CPathGroup group(302);
    ASSERT_EQ(gen.CreateFlatSurfPath(m->centre.get(), f, group), 1);
    std::unique_ptr<CDbPathGroup> db(group.ToDbPathGroup());
    ASSERT_TRUE(db);
    size_t n = 0;
    for (const Path& p : Paths(db.get()))
      for (const oracle::P3& q : p) {
        // Laid onto the face: at the cutter's drop height (R tan(theta) above the centre's
        // point of the face inside, the face's edge at the rim).
        EXPECT_NEAR(q.z, oracle::DropHeight(m->meshes(), &flat, q.x, q.y), 0.02) << q.x << ", " << q.y;
        EXPECT_LE(std::fabs(q.x), 10 + 1e-6);
        EXPECT_LE(std::fabs(q.y), 10 + 1e-6);
        ++n;
      }
    EXPECT_GT(n, 20u);
  }
  CCreSrfContourPath gen;
  CParamSrfFinish f = FlatFinish(0, 1.0);
  CPathGroup group(302);
  EXPECT_EQ(gen.CreateFlatSurfPath(nullptr, f, group), 0);
}

// Ramps descend one step onto their contour along its first stretch: every point between two
// levels lies on the waterline circle of the lower one, and each ramp is ramp-length long.
TEST_F(ContourPathTest, RampsDescendOntoTheirContour) {
  CTBall ball(2.0);
  const double S = 8, r = 1;
  auto m = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(7.0, 7.0, 1.0);
  f.Contour().rampLength = 2.0;
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  size_t between = 0;
  for (const Path& p : Paths(db.get())) {
    auto onLevel = [](const oracle::P3& q) { return std::fabs(q.z - std::round(q.z)) < 1e-6; };
    double rampLen = 0;
    for (size_t i = 0; i < p.size(); ++i) {
      const oracle::P3& q = p[i];
      if (i > 0 && (!onLevel(q) || !onLevel(p[i - 1]))) rampLen += std::hypot(q.x - p[i - 1].x, q.y - p[i - 1].y);
      if (onLevel(q)) {
        if (i > 0 && !onLevel(p[i - 1])) {
          EXPECT_NEAR(rampLen, 2.0, 0.02);
          rampLen = 0;
        }
        continue;
      }
      ++between;
      const double lv = std::floor(q.z);
      EXPECT_NEAR(std::hypot(q.x, q.y), std::sqrt((S + r) * (S + r) - (lv + r) * (lv + r)), 0.05) << q.z;
    }
  }
  EXPECT_GT(between, 6u);
}

// Clipped to a strip across the bump: the passes stay inside the strip and never inside the
// region where the tool centre stands above their level.
TEST_F(ContourPathTest, RegionsClipTheLayers) {
  CTBall ball(2.0);
  const double S = 8, r = 1;
  auto m = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_TRUE(m->centre);
  auto* poly = new CGePolyline;
  const double pts[5][2] = {{-4, -12}, {4, -12}, {4, 12}, {-4, 12}, {-4, -12}};
  poly->Create(5, pts);
  poly->m_nClosed = 1;
  poly->Discrete(0.001);
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 1);
  loop->Discrete(0.001);
  auto region = std::make_unique<CGeRegion>();
  region->m_LoopList.AddTail(loop);
  region->CalcBox2d();
  CTypedPtrList<CObList, CGeRegion*> regions;
  regions.AddTail(region.get());
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(7.0, 7.0, 1.0);
  f.Contour().linkType = -1;
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), &regions, f));
  ASSERT_TRUE(db);
  size_t n = 0;
  for (const Path& p : Paths(db.get()))
    for (const oracle::P3& q : p) {
      EXPECT_LE(std::fabs(q.x), 4 + 0.011);
      EXPECT_LE(std::fabs(q.y), 12 + 0.011);
      const double lv = std::round(q.z);
      ASSERT_NEAR(q.z, lv, 1e-9);
      EXPECT_GE(std::hypot(q.x, q.y), std::sqrt((S + r) * (S + r) - (lv + r) * (lv + r)) - 0.05);
      ++n;
    }
  EXPECT_GT(n, 50u);
}

// Two bumps of different sizes: dropping the largest contour of every layer leaves the small
// bump's alone.
TEST_F(ContourPathTest, ExclusionDropsTheLargestContourOfEachLayer) {
  CTBall ball(2.0);
  std::vector<std::unique_ptr<CGeMesh>> meshes;
  meshes.push_back(oracle::SphereMesh(6, -10, 0, 0, 64, 16, true));
  meshes.push_back(oracle::SphereMesh(3, 8, 0, 0, 64, 16, true));
  auto m = Build(std::move(meshes), &ball);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(3.0, 3.0, 1.0, 0x10);
  f.Contour().linkType = -1;
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  std::set<long> levels;
  for (const Path& p : Paths(db.get()))
    for (const oracle::P3& q : p) {
      EXPECT_NEAR(std::hypot(q.x - 8, q.y), std::sqrt(16 - (q.z + 1) * (q.z + 1)), 0.05);
      levels.insert(std::lround(q.z * 10));
    }
  EXPECT_EQ(levels, (std::set<long>{0, 10, 20}));
}

// A wall gives equal-area contours on every level; merging thins them to levels at least the
// z gap apart, counted from the bottom.
TEST_F(ContourPathTest, CutAreaMergeThinsAWallByTheGap) {
  CTCylindrical flat(2.0);
  auto m = Build(oracle::Box(4, 3, 5), &flat);
  ASSERT_TRUE(m->centre);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(5.0, 5.0, 0.5, 0x200);
  f.Contour().linkType = -1;
  BlockSet(f.Contour().cutArea, QNC_CutAreaDef{1, 0, 0.0, 1.2});
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  std::set<long> levels;
  for (const Path& p : Paths(db.get()))
    for (const oracle::P3& q : p) levels.insert(std::lround(q.z * 10));
  EXPECT_EQ(levels, (std::set<long>{0, 10, 20, 30, 40}));
}

// Levels from the bottom up when asked; combines still come highest start first unless the
// order flag is set.
TEST_F(ContourPathTest, LayerOrderAndCombineOrder) {
  CTBall ball(2.0);
  auto m = Build(oracle::Hemisphere(8, 48, 12), &ball);
  ASSERT_TRUE(m->centre);
  CParamSrfFinish f = Finish(8.0, 8.0, 2.0);
  f.Contour().layerOrder = 1;
  f.Contour().linkType = -1;
  CCreSrfContourPath gen;
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  std::vector<Path> paths = Paths(db.get());
  ASSERT_FALSE(paths.empty());
  EXPECT_NEAR(paths.front().front().z, 0.0, 1e-9);  // one column from the bottom up
  CCreSrfContourPath up;
  up.orderFlag = 1;
  f.Contour().layerOrder = 0;
  std::unique_ptr<CDbPathGroup> db2(up.CreateContourPath(m->centre.get(), nullptr, f));
  ASSERT_TRUE(db2);
  paths = Paths(db2.get());
  ASSERT_FALSE(paths.empty());
  EXPECT_NEAR(paths.front().front().z, 6.0, 1e-9);
}

// Projecting a group onto the model: an arc becomes chords within 0.01 of it (not six points,
// which would leave a circle of radius 6 by over a unit), every point on the model.
TEST(SrfProjectGroupOnModel, ArcsKeepToTheirCircle) {
  CTCylindrical flat(2.0);
  auto m = Build(oracle::Plane(20, 2, 4), &flat);
  ASSERT_TRUE(m->centre);
  CPathGroup source(302), target(302);
  auto* comb = new CPathCombine(8);
  const double centre[3] = {0, 0, 0};
  comb->AddTail(new CPathArc3D(centre, 6.0, 0.0, 2 * std::numbers::pi));
  source.AppendChains(comb, 0.0);
  ASSERT_EQ(SrfProjectGroupOnModel(m->centre.get(), source, target), 1);
  std::unique_ptr<CDbPathGroup> db(target.ToDbPathGroup());
  ASSERT_TRUE(db);
  const std::vector<Path> paths = Paths(db.get());
  ASSERT_EQ(paths.size(), 1u);
  ASSERT_GT(paths[0].size(), 40u);
  for (size_t i = 0; i + 1 < paths[0].size(); ++i) {
    const oracle::P3 &a = paths[0][i], &b = paths[0][i + 1];
    EXPECT_NEAR(a.z, 2.0, 1e-6);
    EXPECT_NEAR(std::hypot(a.x, a.y), 6.0, 1e-6);
    EXPECT_LE(6.0 - std::hypot(0.5 * (a.x + b.x), 0.5 * (a.y + b.y)), 0.0101);
  }
}

using oracle::P3;

// Triangles with their XY boxes, so that the brute force can pass over the far ones cheaply
// (a triangle whose box lies beyond the cutter's radius cannot touch it).
struct Tri {
  P3 a, b, c;
  double x0, y0, x1, y1;
  double z1;  // highest corner
};

// The triangles are also filed in a grid of square cells by their XY boxes, so that a query
// near (x, y) visits the few cells within the cutter's reach on a large mesh.
struct Scene {
  std::vector<std::unique_ptr<CGeMesh>> meshes;
  std::vector<Tri> tris;
  MeshList list;
  std::unique_ptr<CMillCenter> centre;
  double x0 = 0, y0 = 0, cell = 1;
  int nx = 1, ny = 1;
  std::vector<std::vector<int>> grid;

  int Col(double x) const { return std::clamp(int(std::floor((x - x0) / cell)), 0, nx - 1); }
  int Row(double y) const { return std::clamp(int(std::floor((y - y0) / cell)), 0, ny - 1); }
  // Calls f for every triangle whose XY box comes within r of (x, y) (some more than once).
  template <class F>
  void Near(double x, double y, double r, F&& f) const {
    for (int i = Row(y - r); i <= Row(y + r); ++i)
      for (int j = Col(x - r); j <= Col(x + r); ++j)
        for (int k : grid[i * nx + j]) {
          const Tri& t = tris[k];
          if (x < t.x0 - r || x > t.x1 + r || y < t.y0 - r || y > t.y1 + r) continue;
          f(t);
        }
  }
};

std::unique_ptr<Scene> MakeScene(std::vector<std::unique_ptr<CGeMesh>> meshes, CTool* tool) {
  auto s = std::make_unique<Scene>();
  s->meshes = std::move(meshes);
  for (auto& m : s->meshes) {
    s->list.AddTail(m.get());
    for (const auto& f : m->faces) {
      Tri t{oracle::Vtx(*m, f.v[0]), oracle::Vtx(*m, f.v[1]), oracle::Vtx(*m, f.v[2]), 0, 0, 0, 0, 0};
      t.x0 = std::min({t.a.x, t.b.x, t.c.x});
      t.x1 = std::max({t.a.x, t.b.x, t.c.x});
      t.y0 = std::min({t.a.y, t.b.y, t.c.y});
      t.y1 = std::max({t.a.y, t.b.y, t.c.y});
      t.z1 = std::max({t.a.z, t.b.z, t.c.z});
      s->tris.push_back(t);
    }
  }
  double x1 = -1e300, y1 = -1e300;
  s->x0 = s->y0 = 1e300;
  for (const Tri& t : s->tris) {
    s->x0 = std::min(s->x0, t.x0), s->y0 = std::min(s->y0, t.y0);
    x1 = std::max(x1, t.x1), y1 = std::max(y1, t.y1);
  }
  s->cell = std::max({(x1 - s->x0) / 64, (y1 - s->y0) / 64, 1e-6});
  s->nx = int((x1 - s->x0) / s->cell) + 1;
  s->ny = int((y1 - s->y0) / s->cell) + 1;
  s->grid.resize(size_t(s->nx) * s->ny);
  for (size_t k = 0; k < s->tris.size(); ++k) {
    const Tri& t = s->tris[k];
    for (int i = s->Row(t.y0); i <= s->Row(t.y1); ++i)
      for (int j = s->Col(t.x0); j <= s->Col(t.x1); ++j) s->grid[i * s->nx + j].push_back(int(k));
  }
  s->centre.reset(CreateMillCentre(&s->list, tool, 0.0, 0, 0.1));
  return s;
}

double Drop(const Scene& s, CTool* tool, double r, double x, double y) {
  double best = -1e300;
  // A cutter resting on a triangle has its tip no higher than the triangle's highest corner.
  s.Near(x, y, r, [&](const Tri& t) {
    if (t.z1 > best) best = std::max(best, oracle::DropTriangle(t.a, t.b, t.c, tool, x, y));
  });
  return best;
}

// Exact distance from point p to triangle abc.
double PointTriangleDist(const P3& p, const P3& a, const P3& b, const P3& c) {
  auto sub = [](const P3& u, const P3& v) { return P3{u.x - v.x, u.y - v.y, u.z - v.z}; };
  auto dot = [](const P3& u, const P3& v) { return u.x * v.x + u.y * v.y + u.z * v.z; };
  auto segDist = [&](const P3& u, const P3& v) {
    const P3 d = sub(v, u), w = sub(p, u);
    const double l2 = dot(d, d);
    const double t = l2 > 0 ? std::clamp(dot(w, d) / l2, 0.0, 1.0) : 0.0;
    const P3 q{u.x + t * d.x - p.x, u.y + t * d.y - p.y, u.z + t * d.z - p.z};
    return std::sqrt(dot(q, q));
  };
  const P3 e0 = sub(b, a), e1 = sub(c, a);
  const P3 n{e0.y * e1.z - e0.z * e1.y, e0.z * e1.x - e0.x * e1.z, e0.x * e1.y - e0.y * e1.x};
  const double nn = dot(n, n);
  if (nn > 1e-24) {
    const P3 w = sub(p, a);
    const double d = dot(w, n) / nn;
    const P3 q{p.x - d * n.x, p.y - d * n.y, p.z - d * n.z};
    // Barycentric test of the foot point.
    const P3 qa = sub(q, a);
    const double d00 = dot(e0, e0), d01 = dot(e0, e1), d11 = dot(e1, e1), d20 = dot(qa, e0), d21 = dot(qa, e1);
    const double den = d00 * d11 - d01 * d01;
    const double v = (d11 * d20 - d01 * d21) / den, u = (d00 * d21 - d01 * d20) / den;
    if (v >= 0 && u >= 0 && u + v <= 1) return std::fabs(d) * std::sqrt(nn);
  }
  return std::min({segDist(a, b), segDist(b, c), segDist(c, a)});
}

// How far the ball of radius r with its tip at p reaches into the triangles (0 when clear).
double BallPenetration(const Scene& s, double r, const P3& tip) {
  const P3 c{tip.x, tip.y, tip.z + r};
  double worst = 0;
  // A triangle wholly below the tip is farther than r from the centre.
  s.Near(c.x, c.y, r, [&](const Tri& t) {
    if (t.z1 > tip.z) worst = std::max(worst, r - PointTriangleDist(c, t.a, t.b, t.c));
  });
  return worst;
}

// A rough terrain: a few overlapping bumps on a gentle wave, every height jittered by up to
// 0.4 (drawn from the seed), on 86 x 86 cells over 80 x 80.
std::unique_ptr<CGeMesh> RoughRelief(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> jitter(-0.4, 0.4);
  return oracle::HeightField(-40, -40, 40, 40, 86, 86, [&](double x, double y) {
    return 3 * std::sin(x / 7) * std::cos(y / 9) + 4 * std::exp(-((x - 10) * (x - 10) + y * y) / 60) +
           2 * std::exp(-((x + 15) * (x + 15) + (y - 12) * (y - 12)) / 30) + jitter(rng);
  });
}

std::vector<std::unique_ptr<CGeMesh>> One(std::unique_ptr<CGeMesh> m) {
  std::vector<std::unique_ptr<CGeMesh>> v;
  v.push_back(std::move(m));
  return v;
}

// A model, its ball cutter and step-down, and the heights the run spans, cut to the model's (the
// whole model when not given).
struct GougeCase {
  const char* name;
  std::function<std::vector<std::unique_ptr<CGeMesh>>()> make;
  double dia;
  double step;
  double low = -1e300, high = 1e300;
};

// The relief with other jitters is run over a band of five levels only, each run taking a few
// seconds.
constexpr double kBandLow = -2.5, kBandHigh = 0.0;

const GougeCase kGougeCases[] = {
    {"BoxBall4Step050", [] { return One(oracle::Box(8, 5, 6)); }, 4, 0.5},
    {"BoxBall6Step100", [] { return One(oracle::Box(8, 5, 6)); }, 6, 1.0},
    {"BoxBall4Step075", [] { return One(oracle::Box(8, 5, 6)); }, 4, 0.75},
    {"WedgeBall4Step060", [] { return One(oracle::Wedge(5, 4, 5)); }, 4, 0.6},
    {"CylinderOnAPlateBall6Step070",
     [] {
       std::vector<std::unique_ptr<CGeMesh>> v;
       v.push_back(oracle::Cylinder(4, 5, 48));
       v.push_back(oracle::Plane(24, 0, 6));
       return v;
     },
     6, 0.7},
    {"RoughTerrainBall6Step050", [] { return One(RoughRelief(1)); }, 6, 0.5},
    {"RoughTerrainSeed2Band", [] { return One(RoughRelief(2)); }, 6, 0.5, kBandLow, kBandHigh},
    {"RoughTerrainSeed3Band", [] { return One(RoughRelief(3)); }, 6, 0.5, kBandLow, kBandHigh},
    {"RoughTerrainSeed4Band", [] { return One(RoughRelief(4)); }, 6, 0.5, kBandLow, kBandHigh},
};

// The case by its name in test listings.
void PrintTo(const GougeCase& c, std::ostream* os) { *os << c.name; }

class ContourGougeTest : public ContourPathTest, public ::testing::WithParamInterface<GougeCase> {};

// Against oracles that share nothing with the generator: a brute-force drop-cutter (every point
// of every level stands where the cutter, dropped at (x, y), comes to rest at that level) and
// the exact distance from a ball cutter to every triangle along every pass and link, over sharp
// solids, where the drop height jumps at the walls, at many levels and step-downs. Each model is
// a test of its own, so that the runs share the machine.
TEST_P(ContourGougeTest, EveryLevelStandsAtItsDropHeightAndNothingGouges) {
  const GougeCase& c = GetParam();
  CTBall ball(c.dia);
  const double r = c.dia / 2;
  auto s = MakeScene(c.make(), &ball);
  ASSERT_TRUE(s->centre);
  const double top = std::min(s->centre->box[5], c.high),
               bottom = std::max(s->centre->box[2], c.low);
  CCreSrfContourPath gen;
  CParamSrfFinish f = Finish(top, top - bottom, c.step);
  std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(s->centre.get(), nullptr, f));
  ASSERT_TRUE(db);
  // The model itself stands inside the true offset by its edge tubes' 15-degree chords
  // (0.0086 r) and its circles' 0.01 chords, and contours are simplified with 0.01; links are
  // checked against the model with 0.05 of slack.
  const double tol = 0.02 + 0.009 * r, linkTol = 0.05 + 0.009 * r;
  double worstOff = 0, worstGouge = 0, worstLink = 0;
  P3 offAt{0, 0, 0}, gougeAt{0, 0, 0};
  // Levels halfway between the run's, taken as a run takes its own: from the top down after
  // one SetIntMinZ, since a corner point found buried under a level takes no part below it.
  std::vector<double> levels;
  for (double L = bottom + c.step * 0.5; L < top; L += c.step) levels.insert(levels.begin(), L);
  s->centre->SetIntMinZ();
  for (double L : levels) {
    CIntCurveSet set;
    set.level = L;
    gen.GenOneLayerLoop(&set, 0.01);
    for (const IntCurve* k = set.head; k; k = k->next)
      for (const auto& p : k->pts) {
        const double d = Drop(*s, &ball, r, p[0], p[1]);
        // On a steep drop surface a hair sideways is a big step: the level must pass within eps.
        double lo = d, hi = d;
        const double eps = tol;
        for (int q = 0; q < 8; ++q) {
          const double a = q * oracle::kPi / 4;
          const double e = Drop(*s, &ball, r, p[0] + eps * std::cos(a), p[1] + eps * std::sin(a));
          lo = std::min(lo, e), hi = std::max(hi, e);
        }
        const double off = std::max({0.0, lo - L, L - hi});
        if (off > worstOff) worstOff = off, offAt = {p[0], p[1], L};
      }
  }
  EXPECT_LT(worstOff, tol) << offAt.x << ", " << offAt.y << " at " << offAt.z;
  P3 gu{0, 0, 0}, gv{0, 0, 0};
  for (const auto& p : Paths(db.get()))
    for (size_t i = 0; i + 1 < p.size(); ++i) {
      const P3 &u = p[i], &v = p[i + 1];
      const int n = std::max(1, int(std::ceil(std::hypot(v.x - u.x, v.y - u.y, v.z - u.z) / 0.05)));
      for (int k = 0; k <= n; ++k) {
        const double t = double(k) / n;
        const P3 q{u.x + t * (v.x - u.x), u.y + t * (v.y - u.y), u.z + t * (v.z - u.z)};
        const double g = BallPenetration(*s, r, q);
        // Contours run at their level; links change height.
        if (u.z != v.z) worstLink = std::max(worstLink, g);
        else if (g > worstGouge) worstGouge = g, gougeAt = q, gu = u, gv = v;
      }
    }
  EXPECT_LT(worstLink, linkTol);
  EXPECT_LT(worstGouge, tol) << gougeAt.x << ", " << gougeAt.y << ", " << gougeAt.z << " seg "
                             << gu.x << "," << gu.y << "," << gu.z << " -> " << gv.x << "," << gv.y
                             << "," << gv.z;
}

INSTANTIATE_TEST_SUITE_P(Models, ContourGougeTest, ::testing::ValuesIn(kGougeCases),
                         [](const ::testing::TestParamInfo<GougeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

// Solids with sharp edges: every layer's contour keeps the cutter's reach from the solid (the
// closed-form offset outline), and no sample of a pass or link cuts into it. At a vertical wall
// the drop height jumps, so a sample under the surface is measured by how far sideways the
// nearest clear point lies: the edge tubes' chords on the wedge's sloping edges stand up to 0.02
// inside the true outline, and links may dip 0.05 under the model.
TEST_F(ContourPathTest, SharpSolidsAreContouredAtTheCuttersReachWithoutGouging) {
  const double r = 1;
  CTCylindrical flat(2 * r);
  CTBall ball(2 * r);
  auto one = [](std::unique_ptr<CGeMesh> m) {
    std::vector<std::unique_ptr<CGeMesh>> v;
    v.push_back(std::move(m));
    return v;
  };
  auto rect = [](double a, double b, double x, double y) {
    return std::hypot(std::max(std::fabs(x) - a, 0.0), std::max(std::fabs(y) - b, 0.0));
  };
  // Horizontal reach at level L beside an edge at height top.
  auto reach = [r](const CTool* t, double L, double top) {
    if (t->Type() != 3) return r;
    const double dz = std::max(L + r - top, 0.0);
    return std::sqrt(std::max(r * r - dz * dz, 0.0));
  };
  const double a = 4, b = 3, h = 5, S = 5, w = 4, l = 3;
  struct Case {
    const char* name;
    std::function<std::vector<std::unique_ptr<CGeMesh>>()> make;
    CTool* tool;
    // Distance of a contour point at level L from the solid's waterline, less the reach; null
    // when no closed form is at hand.
    std::function<double(double x, double y, double L)> off;
  };
  const std::vector<Case> cases = {
      {"box, flat", [&] { return one(oracle::Box(a, b, h)); }, &flat,
       [&](double x, double y, double L) { return rect(a, b, x, y) - reach(&flat, L, h); }},
      {"box, ball", [&] { return one(oracle::Box(a, b, h)); }, &ball,
       [&](double x, double y, double L) { return rect(a, b, x, y) - reach(&ball, L, h); }},
      {"box faces, flat", [&] { return oracle::BoxFaces(a, b, h); }, &flat,
       [&](double x, double y, double L) { return rect(a, b, x, y) - reach(&flat, L, h); }},
      {"cylinder, ball", [&] { return one(oracle::Cylinder(S, h, 64)); }, &ball,
       [&](double x, double y, double L) { return std::hypot(x, y) - S - reach(&ball, L, h); }},
      {"wedge, flat", [&] { return one(oracle::Wedge(w, l, 4)); }, &flat,
       [&](double x, double y, double L) { return rect(w * (1 - L / 4), l, x, y) - r; }},
      {"wedge, ball", [&] { return one(oracle::Wedge(w, l, 4)); }, &ball, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = Build(c.make(), c.tool);
    ASSERT_TRUE(m->centre);
    const double top = m->centre->box[5];
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(top, top, 1.25);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
    ASSERT_TRUE(db);
    const std::vector<Path> paths = Paths(db.get());
    ASSERT_FALSE(paths.empty());
    double worstGouge = 0;
    oracle::P3 gougeAt{0, 0, 0};
    auto drop = [&](double x, double y) { return oracle::DropHeight(m->meshes(), c.tool, x, y); };
    for (const Path& p : paths)
      for (size_t i = 0; i + 1 < p.size(); ++i) {
        const oracle::P3 &u = p[i], &v = p[i + 1];
        const int n = std::max(1, int(std::ceil(std::hypot(v.x - u.x, v.y - u.y, v.z - u.z) / 0.05)));
        for (int s = 0; s < n; ++s) {
          const double t = double(s) / n;
          const oracle::P3 q{u.x + t * (v.x - u.x), u.y + t * (v.y - u.y), u.z + t * (v.z - u.z)};
          if (drop(q.x, q.y) - q.z <= 0.01) continue;
          // How far sideways the nearest clear point lies (1 when none within 0.1).
          double side = 1;
          for (int j = 1; j <= 20 && side == 1; ++j)
            for (int d = 0; d < 16 && side == 1; ++d) {
              const double rho = 0.005 * j, phi = d * oracle::kPi / 8;
              if (drop(q.x + rho * std::cos(phi), q.y + rho * std::sin(phi)) <= q.z + 0.01) side = rho;
            }
          if (side > worstGouge) worstGouge = side, gougeAt = q;
        }
      }
    EXPECT_LE(worstGouge, 0.04) << gougeAt.x << ", " << gougeAt.y << ", " << gougeAt.z;
    // The layer contours themselves against the closed form.
    if (!c.off) continue;
    for (double L : {0.5, 1.0, 2.0, 2.5, 3.0, 3.25, 3.5}) {
      const std::vector<PtCurve> cs = Level(gen, L);
      ASSERT_FALSE(cs.empty()) << L;
      double worst = 0;
      Pt2 at{0, 0};
      for (const PtCurve& k : cs)
        for (const Pt2& p : k)
          if (std::fabs(c.off(p[0], p[1], L)) > worst) worst = std::fabs(c.off(p[0], p[1], L)), at = p;
      EXPECT_LT(worst, 0.03) << "level " << L << " at " << at[0] << ", " << at[1];
    }
  }
}

// A wedge under a flat cutter: the net is laid out from the model's box, so the outline's
// straight ends run along rows of net nodes, and near the top a lone node on such a row is
// covered and the border bulges out to it. The straight end must still meet the corner arcs
// there, not give way to the section of an inner edge tube: every vertex and chord midpoint
// keeps to the offset rectangle and the area is the closed form.
TEST_F(ContourPathTest, WedgeOutlineAlongANodeRowKeepsItsCorners) {
  const double r = 1, w = 4, h = 4;
  CTCylindrical flat(2 * r);
  struct Case {
    double l;                   // half length of the wedge
    std::vector<double> levels;
  } cases[] = {{3.0, {2.5, 3.0, 3.5}}, {3.2, {2.5, 3.0, 3.5}}};
  for (const Case& c : cases) {
    auto m = Build(oracle::Wedge(w, c.l, h), &flat);
    ASSERT_TRUE(m->centre);
    CCreSrfContourPath gen;
    CParamSrfFinish f = Finish(m->centre->box[5], m->centre->box[5], 1.25);
    std::unique_ptr<CDbPathGroup> db(gen.CreateContourPath(m->centre.get(), nullptr, f));
    ASSERT_TRUE(db);
    for (double L : c.levels) {
      SCOPED_TRACE(testing::Message() << "half length " << c.l << ", level " << L);
      const double a = w * (1 - L / h), b = c.l;
      auto off = [&](double x, double y) {
        return std::hypot(std::max(std::fabs(x) - a, 0.0), std::max(std::fabs(y) - b, 0.0)) - r;
      };
      const std::vector<PtCurve> cs = Level(gen, L);
      ASSERT_EQ(cs.size(), 1u);
      const PtCurve& k = cs[0];
      EXPECT_NEAR(std::fabs(Area(k)), 4 * a * b + 4 * (a + b) * r + std::numbers::pi * r * r,
                  0.01 * (4 * (a + b) + 2 * std::numbers::pi * r));
      for (size_t i = 0; i + 1 < k.size(); ++i) {
        const double mx = 0.5 * (k[i][0] + k[i + 1][0]), my = 0.5 * (k[i][1] + k[i + 1][1]);
        EXPECT_LT(std::fabs(off(k[i][0], k[i][1])), 0.03) << "at " << k[i][0] << ", " << k[i][1];
        EXPECT_LT(std::fabs(off(mx, my)), 0.03)
            << k[i][0] << ", " << k[i][1] << " to " << k[i + 1][0] << ", " << k[i + 1][1];
      }
    }
  }
}
