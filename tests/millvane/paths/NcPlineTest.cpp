#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/paths/NcPline.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Line.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/MemPool.h"
#include "tests/support/millvane/NcTestMeshes.h"

namespace {

std::vector<CNcPoint> Points(const CNcPline& pl) {
  std::vector<CNcPoint> v;
  for (POSITION pos = pl.GetHeadPosition(); pos;) v.push_back(*pl.GetNext(pos));
  return v;
}

void Fill(CNcPline& pl, std::initializer_list<std::array<double, 3>> pts) {
  for (auto& p : pts) pl.AddTail(p.data());
}

TEST(NcPline, InitSpacesPointsByStep) {
  struct Case {
    double len, step;
    std::vector<double> xs;
  } cases[] = {{0.5, 1.0, {0, 0.5}}, {10, 3, {0, 3, 6, 9, 10}}, {4, 0, {0, 4}}, {4, -1, {0, 4}}};
  for (const Case& c : cases) {
    CNcPline pl;
    const double a[3] = {0, 0, 1}, b[3] = {c.len, 0, 1};
    pl.Init(a, b, c.step);
    std::vector<double> xs;
    for (const CNcPoint& p : Points(pl)) {
      xs.push_back(p.x);
      EXPECT_EQ(p.w, p.z);
    }
    ASSERT_EQ(xs.size(), c.xs.size()) << c.len << "/" << c.step;
    for (size_t i = 0; i < xs.size(); ++i) EXPECT_NEAR(xs[i], c.xs[i], 1e-12);
    EXPECT_EQ(pl.box.max[0], c.len);  // the box follows the points
  }
}

// A line that would take more than kMaxInitPoints points, or has an end point that is not a
// number, is left empty instead of filling memory; CreateLinePath answers null for it.
TEST(NcPline, InitRefusesAbsurdLines) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double limit = CNcPline::kMaxInitPoints;
  struct Case {
    double x0, x1, y1, step;
    int count;  // 0: refused
  } cases[] = {{0, 100, 0, 1e-7, 0},         {-1e300, 1e300, 0, 5, 0},
               {0, 1, 5, 1e-300, 0},         {0, inf, 0, 5, 0},
               {nan, 10, 0, 5, 0},           {0, 10, nan, 5, 0},
               {0, limit + 1, 0, 0.999, 0},  {0, 1000, 0, 0.1, 10001},
               {0, 1e300, 0, 1e300, 2},      {0, 1e300, 0, nan, 2}};
  auto model = std::make_unique<CMillModel>();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x0 << " .. " << c.x1 << " y " << c.y1 << " step " << c.step);
    const double a[3] = {c.x0, 0, 0}, b[3] = {c.x1, c.y1, 0};
    CNcPline pl;
    pl.AddTail(a);  // replaced, refused or not
    pl.Init(a, b, c.step);
    EXPECT_EQ(pl.GetCount(), c.count);
    if (c.count == 0) {
      EXPECT_EQ(model->CreateLinePath(a, b, c.step, 0.01), nullptr);
    }
  }
  CNcPline pl;
  const double a[3] = {0, 0, std::nan("")}, b[3] = {1, 0, 0};
  pl.Init(a, b, 0.1);
  EXPECT_TRUE(pl.IsEmpty());
}

TEST(NcPline, InsPointSplitsByXYDistanceWithCap) {
  CNcPline pl;
  Fill(pl, {{0, 0, 0}, {2.5, 0, 2.5}, {5, 0, 0}});
  pl.InsPoint(1.0);
  const auto v = Points(pl);
  ASSERT_EQ(v.size(), 7u);
  EXPECT_NEAR(v[1].x, 2.5 / 3, 1e-12);
  EXPECT_NEAR(v[1].z, 2.5 / 3, 1e-12);
  EXPECT_NEAR(v[5].w, 2.5 / 3, 1e-12);
  CNcPline longOne;
  Fill(longOne, {{0, 0, 0}, {2000, 0, 0}});
  longOne.InsPoint(1.0);
  EXPECT_EQ(longOne.GetCount(), 1001);
  longOne.InsPoint(0.0);  // no step: nothing to do
  EXPECT_EQ(longOne.GetCount(), 1001);
}

TEST(NcPline, ListOperations) {
  CNcPline pl;
  double out[3];
  EXPECT_EQ(pl.GetStartPoint(out), 0);
  Fill(pl, {{1, 2, 3}, {4, 5, 6}});
  pl.AddTail(static_cast<CNcPoint*>(nullptr));
  pl.AddHead(new CNcPoint{0, 0, 0, 0, 0});
  auto* mid = new CNcPoint{0, 2, 2, 2, 2};
  pl.InsertBefore(mid, pl.GetTail());
  pl.InsertBefore(new CNcPoint{0, 9, 9, 9, 9}, nullptr);
  pl.Reverse();
  ASSERT_EQ(pl.GetStartPoint(out), 1);
  EXPECT_EQ(out[0], 9);
  ASSERT_EQ(pl.GetEndPoint(out), 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(Points(pl)[2].x, 2);
  pl.SetPointValue(4, 7.0);
  pl.SetPointValue(3, 7.0);
  for (const CNcPoint& p : Points(pl)) EXPECT_EQ(p.w, 7.0);
  CNcPline other;
  Fill(other, {{8, 8, 8}});
  pl.AddTail(&other);
  EXPECT_TRUE(other.IsEmpty());
  EXPECT_EQ(pl.GetCount(), 6);

  CPathCombine chain;
  EXPECT_EQ(pl.AddToPathCombine(&chain), 1);
  ASSERT_NE(chain.head, nullptr);
  EXPECT_EQ(chain.head, chain.tail);
  double end[3];
  chain.head->GetEndPoint(1, end);
  EXPECT_EQ(end[0], 8);
  CGePolyline3d* poly = pl.ConvertTo();
  ASSERT_NE(poly, nullptr);
  EXPECT_EQ(poly->m_nCount, 6);
  EXPECT_EQ(poly->m_pVertex[5][0], 8);
  EXPECT_EQ(gGetMemPoolDepth(), 0);
  delete poly;
  CNcPline one;
  Fill(one, {{0, 0, 0}});
  EXPECT_EQ(one.ConvertTo(), nullptr);
  EXPECT_EQ(one.AddToPathCombine(&chain), 0);
}

TEST(NcPline, SimplifyKeepsEveryDroppedPointWithinTolerance) {
  CNcPline line;
  Fill(line, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}});
  line.Simplify(1e-9);
  EXPECT_EQ(line.GetCount(), 2);

  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jit(-0.2, 0.2);
  CNcPline pl;
  for (int i = 0; i < 5000; ++i) {
    const double p[3] = {i * 0.01, std::sin(i * 0.003) * 5 + jit(rng) * 0.05, jit(rng) * 0.05};
    pl.AddTail(p);
  }
  const auto before = Points(pl);
  const double tol = 0.05;
  pl.Simplify(tol);
  const auto after = Points(pl);
  ASSERT_LT(after.size(), before.size() / 4);
  EXPECT_EQ(after.front().x, before.front().x);
  EXPECT_EQ(after.back().x, before.back().x);
  // Every original point lies within tol of the kept chord spanning it (x increases).
  size_t k = 0;
  for (const CNcPoint& p : before) {
    while (k + 1 < after.size() && after[k + 1].x < p.x) ++k;
    const CNcPoint &a = after[k], &b = after[std::min(k + 1, after.size() - 1)];
    const double A[3] = {a.x, a.y, a.z}, B[3] = {b.x, b.y, b.z}, P[3] = {p.x, p.y, p.z};
    EXPECT_LE(L3D_DistToPntEx(A, B, P), tol + 1e-12);
  }
  for (const CNcPoint& p : after) EXPECT_EQ(p.tag, -1);
}

class NcRefine : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

TEST_F(NcRefine, FlatModelInsertsNothing) {
  auto mesh = nctest::TiltedPlane(0.0, 20.0, 4);
  CTBall ball(4.0);
  auto model = nctest::ModelOf({mesh.get()}, &ball, -50.0);
  CNcPline pl;
  const double a[3] = {-10, -3, -50}, b[3] = {10, 5, -50};
  pl.Init(a, b, 2.0);
  const int n = static_cast<int>(pl.GetCount());
  for (int mode : {0, 1, 2}) {
    EXPECT_EQ(pl.ChkTol_InsPt(model.get(), 0.01, mode), 1);
    EXPECT_EQ(pl.GetCount(), n);
  }
  for (const CNcPoint& p : Points(pl)) EXPECT_NEAR(p.z, 0.0, 1e-9);
  EXPECT_EQ(pl.ChkTol_InsPt(nullptr, 0.01, 1), 0);
}

// Depth of the path below the model's contact surface, measured in the path's vertical plane
// against a dense sampling of that surface (a chord tolerance is a distance, not a height, so a
// steep flank would exaggerate a vertical measure). 0 when the path never dips below.
double WorstGouge(const CNcPline& pl, CMillModel& model) {
  const auto v = Points(pl);
  const CNcPoint &s = v.front(), &e = v.back();
  const double len = std::hypot(e.x - s.x, e.y - s.y);
  const double dir[2] = {(e.x - s.x) / len, (e.y - s.y) / len};
  auto contact = [&](double u) {
    double p[3] = {s.x + u * dir[0], s.y + u * dir[1], -1e3};
    model.Mark_Box2D(_tagBox2D{{p[0], p[1]}, {p[0], p[1]}});
    model.Get_CC_Height(p);
    return p[2];
  };
  const int n = 4000;
  std::vector<std::array<double, 2>> curve(n + 1);  // (u, height)
  for (int i = 0; i <= n; ++i) curve[i] = {len * i / n, contact(len * i / n)};
  double worst = 0;
  for (size_t i = 0; i + 1 < v.size(); ++i)
    for (int k = 1; k < 20; ++k) {
      const double t = k / 20.0;
      const double x = v[i].x + t * (v[i + 1].x - v[i].x), y = v[i].y + t * (v[i + 1].y - v[i].y);
      const double z = v[i].z + t * (v[i + 1].z - v[i].z);
      const double u = (x - s.x) * dir[0] + (y - s.y) * dir[1];
      if (contact(u) <= z) continue;
      double d = 1e9;
      // Only the curve within 0.5 along the path can be nearer than that.
      const int j0 = std::max(0, int((u - 0.5) / len * n)), j1 = std::min(n, int((u + 0.5) / len * n) + 1);
      for (int j = j0; j < j1; ++j) {
        const double A[3] = {curve[j][0], curve[j][1], 0}, B[3] = {curve[j + 1][0], curve[j + 1][1], 0};
        const double P[3] = {u, z, 0};
        double foot[3], tt;
        L3D_PrjPntEx2(A, B, P, foot, tt);
        tt = std::clamp(tt, 0.0, 1.0);
        d = std::min(d, std::hypot(u - (A[0] + tt * (B[0] - A[0])), z - (A[1] + tt * (B[1] - A[1]))));
      }
      worst = std::max(worst, d);
    }
  return worst;
}

TEST_F(NcRefine, LinePathsOnSphereDoNotGouge) {
  // A dome on a floor: the contact surface has no step for chords to cut across.
  auto mesh = nctest::Hemisphere(20.0, 24, 64);
  auto floor = nctest::TiltedPlane(0.0, 40.0, 4);
  const double tol = 0.01;
  struct Case {
    std::unique_ptr<CTool> tool;
    double p0[3], p1[3];
  };
  Case cases[] = {{std::make_unique<CTBall>(6.0), {-30, 3, -5}, {30, 3, -5}},
                  {std::make_unique<CTBull>(8.0, 1.5), {-25, -20, -5}, {22, 18, -5}},
                  {std::make_unique<CTCylindrical>(10.0), {30, -7, -5}, {-30, -7, -5}}};
  for (Case& c : cases) {
    auto model = nctest::ModelOf({mesh.get(), floor.get()}, c.tool.get(), -5.0);
    std::unique_ptr<CNcPline> pl(model->CreateLinePath(c.p0, c.p1, 5.0, tol));
    ASSERT_NE(pl, nullptr);
    EXPECT_GT(pl->GetCount(), 30);
    if (c.p0[1] == c.p1[1]) {
      EXPECT_LT(pl->GetHead()->x, pl->GetTail()->x);  // iso-Y runs with x
    }
    // Refinement checks probes at 0.3 and 0.6 of each chord, not its deepest point, so the
    // sagitta may pass tol somewhat (tol / 0.84 on a parabola).
    const double bound = 1.5 * tol;
    EXPECT_LE(WorstGouge(*pl, *model), bound);
    // Thinning adds at most its own tolerance.
    pl->Simplify(tol / 4);
    EXPECT_LE(WorstGouge(*pl, *model), bound + tol / 4);
  }
}

// The first point of a line is dropped onto what lies under it, whatever an earlier query
// left marked.
TEST_F(NcRefine, FirstPointIgnoresEarlierMarking) {
  auto plane = nctest::TiltedPlane(0.0, 20.0, 4);
  CTBall ball(4.0);
  auto model = nctest::ModelOf({plane.get()}, &ball, -50.0);
  const double a[3] = {-10, -3, -50}, b[3] = {10, 5, -50};
  for (int mode : {0, 1, 2}) {
    model->Mark_Box2D(_tagBox2D{{100, 100}, {101, 101}});  // far off: nothing marked
    CNcPline pl;
    pl.Init(a, b, 5.0);
    if (mode == 0) model->Mark_Box2D(_tagBox2D{{-20, -20}, {20, 20}});  // the pass's region
    if (mode == 2) model->Mark_Box2D(_tagBox2D{{-20, -20}, {20, 20}});
    ASSERT_EQ(pl.ChkTol_InsPt(model.get(), 0.01, mode), 1);
    model->Mark_Box2D(_tagBox2D{{100, 100}, {101, 101}});
    for (const CNcPoint& p : Points(pl)) EXPECT_NEAR(p.z, 0.0, 1e-9) << mode << " at " << p.x;
  }
}

// A model that cannot answer (here a cutter of NaN size) fails the refinement instead of
// leaving the points at the mill depth; the points stay finite.
TEST_F(NcRefine, FailedHeightsFailTheRefinement) {
  auto plane = nctest::TiltedPlane(0.0, 20.0, 4);
  CTBall nanBall(std::nan(""));
  auto model = nctest::ModelOf({plane.get()}, &nanBall, -50.0);
  const double a[3] = {-10, -3, -50}, b[3] = {10, 5, -50}, c[3] = {10, -3, -50};
  CNcPline pl;
  pl.Init(a, b, 5.0);
  EXPECT_EQ(pl.ChkTol_InsPt(model.get(), 0.01, 1), 0);
  pl.Init(a, c, 5.0);
  EXPECT_EQ(pl.IsoY_ChkTol_InsPt(model.get(), 0.01), 0);
  for (const CNcPoint& p : Points(pl)) EXPECT_EQ(p.z, -50.0);
  EXPECT_EQ(model->CreateLinePath(a, b, 5.0, 0.01), nullptr);
  EXPECT_EQ(model->CreateLinePath(a, c, 5.0, 0.01), nullptr);
  CNcPlineGrp grp;
  for (const double* e : {b, c}) {
    auto* line = new CNcPline;
    line->Init(a, e, 5.0);
    grp.AddTail(line);
  }
  EXPECT_EQ(grp.ChkTol_InsPt(model.get(), 0.01), 0);
  EXPECT_EQ(grp.ChkTol_InsPt(nullptr, 0.01), 1);  // no model: nothing to refine against
}

// A group refinement advances the display by one share of the group's points per segment;
// a line refined on its own does not advance it.
TEST_F(NcRefine, ProgressSharesArePerGroup) {
  auto plane = nctest::TiltedPlane(0.0, 20.0, 4);
  CTBall ball(2.0);
  auto model = nctest::ModelOf({plane.get()}, &ball, -5.0);
  gShowThreadProg(L"refine", 1);
  CNcPlineGrp grp;
  int points = 0, segments = 0;
  for (int k = 0; k < 3; ++k) {
    auto* pl = new CNcPline;
    const double a[3] = {-10, k * 2.0, -5}, b[3] = {10 - 5.0 * k, k * 2.0, -5};
    pl->Init(a, b, 5.0);
    points += static_cast<int>(pl->GetCount());
    segments += static_cast<int>(pl->GetCount()) - 1;
    grp.AddTail(pl);
  }
  ASSERT_EQ(grp.ChkTol_InsPt(model.get(), 0.01), 1);
  EXPECT_NEAR(gGetProgressPos(), double(segments) / points, 1e-12);
  const double before = gGetProgressPos();
  ASSERT_EQ(grp.GetHead()->ChkTol_InsPt(model.get(), 0.01, 2), 1);
  EXPECT_EQ(gGetProgressPos(), before);
  gHideThreadProg();
}

TEST_F(NcRefine, CancellationReturnsZeroAndKeepsPoints) {
  auto mesh = nctest::Hemisphere(20.0, 12, 32);
  CTBall ball(6.0);
  auto model = nctest::ModelOf({mesh.get()}, &ball, -5.0);
  const double a[3] = {-30, 1, -5}, b[3] = {30, 1, -5};
  gSetProgressCancelAfter(40);
  CNcPline pl;
  pl.Init(a, b, 5.0);
  const int n = static_cast<int>(pl.GetCount());
  EXPECT_EQ(pl.IsoY_ChkTol_InsPt(model.get(), 0.01), 0);
  EXPECT_GT(pl.GetCount(), n);
  gResetProgress();
  gSetProgressCancelAfter(3);
  EXPECT_EQ(model->CreateLinePath(a, b, 5.0, 0.01), nullptr);
}

TEST_F(NcRefine, GroupRefinesAndLinksZigZag) {
  auto mesh = nctest::TiltedPlane(0.0, 20.0, 4);
  CTBall ball(2.0);
  auto model = nctest::ModelOf({mesh.get()}, &ball, -5.0);
  CNcPlineGrp grp;
  for (int k = 0; k < 3; ++k) {
    auto* pl = new CNcPline;
    const double a[3] = {-10, k * 2.0, -5}, b[3] = {10, k * 2.0, -5};
    pl->Init(a, b, 5.0);
    pl->index = k;
    grp.AddTail(pl);
  }
  EXPECT_EQ(grp.ChkTol_InsPt(model.get(), 0.01), 1);
  EXPECT_NEAR(grp.box.max[1], 4.0, 1e-12);
  EXPECT_EQ(grp.LinkLines(model.get(), 3.0), 1);
  ASSERT_EQ(grp.GetCount(), 1);
  const auto v = Points(*grp.GetHead());
  // Right along y = 0, back along y = 2, right again along y = 4.
  EXPECT_EQ(v.front().x, -10);
  EXPECT_EQ(v.back().x, 10);
  EXPECT_EQ(v.back().y, 4);
  int turns = 0;
  for (size_t i = 1; i < v.size(); ++i) turns += v[i].y != v[i - 1].y;
  EXPECT_EQ(turns, 2);
  for (const CNcPoint& p : v) EXPECT_NEAR(p.z, 0.0, 1e-9);
}

TEST_F(NcRefine, LinkingSkipsBlockedAndDistantLines) {
  CNcPlineGrp grp;
  auto add = [&](int k, double x0, double x1, double y) {
    auto* pl = new CNcPline;
    const double a[3] = {x0, y, 0}, b[3] = {x1, y, 0};
    pl->Init(a, b, 100);
    pl->index = k;
    grp.AddTail(pl);
  };
  add(0, 0, 10, 0);
  add(0, 20, 30, 0);   // a second stretch of line 0
  add(1, 20, 30, 1);   // overlaps the stretch above in x: blocked for the first line
  add(2, 0, 10, 50);   // too far to link
  EXPECT_EQ(grp.LinkLines(nullptr, 15.0), 1);
  EXPECT_EQ(grp.GetCount(), 3);
  EXPECT_EQ(grp.GetHead()->GetCount(), 2);
}

}  // namespace
