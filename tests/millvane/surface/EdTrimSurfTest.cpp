#include "millvane/surface/EdTrimSurf.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "geometry/surfaces/GeTrimLoop.h"
#include "tests/millvane/surface/EditorFixture.h"

namespace {

struct LoopFigure {
  double area;
  std::vector<double> islands;
};

std::vector<LoopFigure> Figures(CEdTrimLoop* list) {
  std::vector<LoopFigure> out;
  for (CEdTrimLoop* l = list; l; l = l->m_pNext) {
    LoopFigure f{l->CalcLoopArea(), {}};
    for (CEdTrimLoop* i = l->m_pIsland; i; i = i->m_pNext) f.islands.push_back(i->CalcLoopArea());
    out.push_back(f);
  }
  return out;
}

void AddPoints(CEdTrimSurf& ed, std::vector<std::array<double, 2>> pts) {
  ASSERT_EQ(ed.AddCurve(reinterpret_cast<double(*)[2]>(pts.data()), int(pts.size())), 1);
}

struct CutCase {
  const char* name;
  std::vector<std::array<double, 2>> cut;
  std::vector<double> areas;  // descending
};

class EdTrimSurfCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(EdTrimSurfCut, SquareDomainSplitsIntoLoopsOfKnownArea) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
  AddPoints(ed, GetParam().cut);
  ed.AutoIntersect(true);
  ASSERT_EQ(ed.TrimSurface(0), 1);
  auto f = Figures(ed.m_pResult);
  ASSERT_EQ(f.size(), GetParam().areas.size());
  for (size_t i = 0; i < f.size(); ++i) {
    EXPECT_NEAR(f[i].area, GetParam().areas[i], 1e-9);
    EXPECT_TRUE(f[i].islands.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, EdTrimSurfCut,
    ::testing::Values(CutCase{"up_at_u03", {{0.3, -0.2}, {0.3, 1.2}}, {0.7, 0.3}},
                      CutCase{"down_at_u03", {{0.3, 1.2}, {0.3, -0.2}}, {0.7, 0.3}},
                      CutCase{"bent_polyline", {{-0.1, 0.5}, {0.5, 0.5}, {0.5, 1.1}}, {0.75, 0.25}},
                      CutCase{"collinear_points_merged", {{0.25, -1}, {0.25, 0.5}, {0.25, 2}},
                              {0.75, 0.25}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EdTrimSurf, ClosedCircleGivesIslandAndInnerLoop) {
  const int n = 64;
  const double r = 0.2;
  for (bool cw : {false, true}) {
    auto ts = edt::Untrimmed(edt::Plane());
    CEdTrimSurf ed;
    ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
    AddPoints(ed, edt::Circle(0.5, 0.5, r, n, cw));
    ed.AutoIntersect(true);
    ed.TrimSurface(0);
    auto f = Figures(ed.m_pResult);
    ASSERT_EQ(f.size(), 2u) << "cw " << cw;
    const double a = edt::ChordArea(r, n);
    EXPECT_NEAR(f[0].area, 1.0, 1e-12);
    ASSERT_EQ(f[0].islands.size(), 1u);
    EXPECT_NEAR(f[0].islands[0], -a, 1e-12);
    EXPECT_NEAR(f[1].area, a, 1e-12);
    EXPECT_TRUE(f[1].islands.empty());
    EXPECT_NEAR(a, M_PI * r * r, M_PI * r * r * 2e-3);
    // Inside the ring is outside the outer loop's domain only through its island.
    const double centre[2] = {0.5, 0.5}, corner[2] = {0.1, 0.1};
    EXPECT_EQ(ed.m_pResult->m_pIsland->IsPointIn(centre), 0);
    EXPECT_EQ(ed.m_pResult->m_pIsland->IsPointIn(corner), 1);
  }
}

TEST(EdTrimSurf, DanglingCurveNeedsExtension) {
  for (int extend : {0, 1}) {
    auto ts = edt::Untrimmed(edt::Plane());
    CEdTrimSurf ed;
    ed.InitSurfBound(ts.get());
    AddPoints(ed, {{0.4, 0.2}, {0.4, 0.8}});
    ed.AutoIntersect(true);
    ed.TrimSurface(extend);
    auto f = Figures(ed.m_pResult);
    if (!extend) {
      ASSERT_EQ(f.size(), 1u);
      EXPECT_NEAR(f[0].area, 1.0, 1e-12);
    } else {
      ASSERT_EQ(f.size(), 2u);
      EXPECT_NEAR(f[0].area, 0.6, 1e-9);
      EXPECT_NEAR(f[1].area, 0.4, 1e-9);
    }
  }
}

TEST(EdTrimSurf, PointTestAgreesWithGeometryLoop) {
  // A star-shaped domain: concave corners make the test meaningful.
  std::vector<std::array<double, 2>> star;
  for (int i = 0; i < 14; ++i) {
    const double a = 2 * M_PI * i / 14, rad = i % 2 ? 0.18 : 0.45;
    star.push_back({0.5 + rad * std::cos(a), 0.5 + rad * std::sin(a)});
  }
  auto ts = edt::PolygonTrimmed(edt::Plane(), star);
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
  CGeTrimLoop* geo = ts->m_LoopList.GetHead();
  CEdTrimLoop* loop = ed.m_pFirstLoop;
  ASSERT_TRUE(loop);
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(-0.1, 1.1);
  int inside = 0, tested = 0;
  for (int k = 0; k < 4000; ++k) {
    const double p[2] = {d(rng), d(rng)};
    // skip points within 1e-4 of the boundary, where either answer is allowed
    if (geo->IsPtInLoop(p, 1e-4) == 2) continue;
    const int want = geo->IsPtInLoop(p, 1e-9);
    ++tested;
    inside += want == 0;
    EXPECT_EQ(loop->IsPointIn(p), want) << p[0] << " " << p[1];
    EXPECT_EQ(ed.IsPointIn(p), want);
  }
  EXPECT_GT(inside, 300);
  EXPECT_GT(tested, 3500);
}

TEST(EdTrimSurf, LoopAreaSignAndBoundaryPoints) {
  for (bool cw : {false, true}) {
    CEdTrimLoop loop;
    std::vector<std::array<double, 2>> sq{{0, 0}, {2, 0}, {2, 1}, {0, 1}, {0, 0}};
    if (cw) std::reverse(sq.begin(), sq.end());
    auto* b = new CEdTrimBound;
    b->SetPoints(reinterpret_cast<const double(*)[2]>(sq.data()), 5);
    loop.AddBound(b);
    EXPECT_DOUBLE_EQ(loop.CalcLoopArea(), cw ? -2.0 : 2.0);
    const double onEdge[2] = {1.0, 0.0}, in[2] = {1.5, 0.5}, out[2] = {3, 3}, gap[2] = {2.5, 0.5};
    EXPECT_EQ(loop.IsPointIn(onEdge), 2);
    EXPECT_EQ(loop.IsPointIn(in), 0);
    EXPECT_EQ(loop.IsPointIn(out), 1);
    EXPECT_EQ(loop.IsPointIn(gap), 1);
  }
  CEdTrimLoop empty;
  EXPECT_EQ(empty.CalcLoopArea(), 0.0);
  EXPECT_EQ(empty.ConvertToTopoLoop(), nullptr);
}

TEST(EdTrimSurf, ConvertedLoopKeepsItsArea) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ts.get());
  AddPoints(ed, {{-0.1, 0.2}, {0.5, 0.6}, {0.7, 0.4}, {1.2, 0.9}});
  AddPoints(ed, edt::Circle(0.3, 0.75, 0.1, 40));
  ed.AutoIntersect(true);
  ed.TrimSurface(0);
  int checked = 0;
  for (CEdTrimLoop* l = ed.m_pResult; l; l = l->m_pNext) {
    for (CEdTrimLoop* x = l; x; x = x == l ? l->m_pIsland : x->m_pNext) {
      std::unique_ptr<CGeTrimLoop> g(x->ConvertToTopoLoop());
      ASSERT_TRUE(g);
      EXPECT_NEAR(g->EvArea(0.01), x->CalcLoopArea(), 1e-10);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4);  // two sides of the cut, the circle's island and its inside
}

TEST(EdTrimSurf, StringAcrossPeriodicSeamBecomesTwoCurves) {
  auto ts = edt::Untrimmed(edt::Cylinder());
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
  ASSERT_EQ(ed.m_bUPeriodic, 1);
  EXPECT_EQ(ed.m_bVPeriodic, 0);
  AddPoints(ed, {{0.8, 0.2}, {0.9, 0.3}, {1.05, 0.45}, {1.2, 0.6}});
  std::vector<CEdTrimBound*> curves;
  for (CEdTrimBound* c = ed.m_pFirstCurve; c; c = c->m_pNext) curves.push_back(c);
  ASSERT_EQ(curves.size(), 2u);
  const CEdTrimBound& a = *curves[0];
  const CEdTrimBound& b = *curves[1];
  EXPECT_NEAR(a.m_pPoints[0][0], 0.8, 1e-12);
  EXPECT_NEAR(a.m_pPoints[a.m_nLast][0], 1.0001, 1e-12);
  EXPECT_NEAR(b.m_pPoints[0][0], -0.0001, 1e-12);
  EXPECT_NEAR(b.m_pPoints[b.m_nLast][0], 0.2, 1e-12);
  EXPECT_NEAR(b.m_pPoints[b.m_nLast][1], 0.6, 1e-12);
  EXPECT_EQ(a.m_nKind, 1);
  // The way back down crosses the seam the other way.
  CEdTrimSurf ed2;
  ed2.InitSurfBound(ts.get());
  AddPoints(ed2, {{0.1, 0.2}, {-0.1, 0.3}});
  ASSERT_TRUE(ed2.m_pFirstCurve && ed2.m_pFirstCurve->m_pNext);
  EXPECT_NEAR(ed2.m_pFirstCurve->m_pPoints[1][0], -0.0001, 1e-12);
  EXPECT_NEAR(ed2.m_pFirstCurve->m_pNext->m_pPoints[0][0], 1.0001, 1e-12);
}

TEST(EdTrimSurf, ClosingPointSnapsOntoFirstAndBadInputIsRefused) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ts.get());
  AddPoints(ed, {{0.2, 0.2}, {0.6, 0.2}, {0.4, 0.6}, {0.2005, 0.2}});
  ASSERT_TRUE(ed.m_pFirstCurve);
  const CEdTrimBound& c = *ed.m_pFirstCurve;
  EXPECT_EQ(c.m_pPoints[c.m_nLast][0], 0.2);
  // A repeated first point would leave the curve without a start direction.
  CEdTrimSurf rep;
  rep.InitSurfBound(ts.get());
  AddPoints(rep, {{0.1, 0.1}, {0.1, 0.1}, {0.5, 0.3}, {0.5, 0.3}, {0.9, 0.1}});
  ASSERT_TRUE(rep.m_pFirstCurve);
  EXPECT_EQ(rep.m_pFirstCurve->m_nLast, 2);
  double pt[2], dir[2];
  ASSERT_EQ(rep.m_pFirstCurve->GetTangent(0, pt, dir), 1);
  EXPECT_NEAR(std::hypot(dir[0], dir[1]), 1.0, 1e-12);
  double one[1][2] = {{0.5, 0.5}};
  EXPECT_EQ(ed.AddCurve(one, 1), 0);
  EXPECT_EQ(ed.AddCurve(nullptr, 4), 0);
  CEdTrimSurf none;
  EXPECT_EQ(none.InitSurfBound(nullptr), 0);
  const double p[2] = {0.5, 0.5};
  EXPECT_EQ(none.IsPointIn(p), 1);
  CGeTrimSurf bare;
  EXPECT_EQ(none.InitSurfBound(&bare), 0);
}

}  // namespace

namespace {

// Unit domain with cols x rows square holes of side h, as a trimmed surface. The surface is
// 100 units wide, so that the editor's snapping of piece ends closer than 0.02 in space
// leaves these pieces alone.
std::unique_ptr<CGeTrimSurf> HoledDomain(int cols, int rows, double h) {
  auto ts = edt::Untrimmed(edt::Plane(100, 100));
  for (int a = 0; a < cols; ++a)
    for (int b = 0; b < rows; ++b) {
      const double cx = (a + 0.5) / cols, cy = (b + 0.5) / rows;
      auto hole = edt::PolygonTrimmed(edt::Plane(), {{cx - h / 2, cy - h / 2},
                                                     {cx + h / 2, cy - h / 2},
                                                     {cx + h / 2, cy + h / 2},
                                                     {cx - h / 2, cy + h / 2}});
      ts->AddLoop(hole->m_LoopList.RemoveHead());
    }
  return ts;
}

double DomainArea(CEdTrimLoop* list) {
  double sum = 0.0;
  for (CEdTrimLoop* l = list; l; l = l->m_pNext) {
    sum += l->CalcLoopArea();
    for (CEdTrimLoop* i = l->m_pIsland; i; i = i->m_pNext) sum += i->CalcLoopArea();
  }
  return sum;
}

struct HoleCase {
  const char* name;
  std::vector<std::array<double, 2>> cut;
  int loops;
};

class EdTrimSurfHoles : public ::testing::TestWithParam<HoleCase> {};

// Cutting never creates or loses domain: the loops with their islands cover what the holes
// leave of the unit square.
TEST_P(EdTrimSurfHoles, CutPiecesCoverTheDomainMinusHoles) {
  const int cols = 4, rows = 3;
  const double h = 0.1;
  auto ts = HoledDomain(cols, rows, h);
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
  AddPoints(ed, GetParam().cut);
  ed.AutoIntersect(true);
  ed.TrimSurface(0);
  EXPECT_NEAR(DomainArea(ed.m_pResult), 1.0 - cols * rows * h * h, 1e-9);
  int n = 0;
  for (CEdTrimLoop* l = ed.m_pResult; l; l = l->m_pNext) ++n;
  EXPECT_EQ(n, GetParam().loops);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, EdTrimSurfHoles,
    ::testing::Values(
        HoleCase{"between_rows", {{-0.1, 0.5}, {1.1, 0.5}}, 2},
        HoleCase{"through_a_row_of_holes", {{-0.1, 1.0 / 6}, {1.1, 1.0 / 6}}, 2},
        HoleCase{"diagonal_zigzag", {{-0.1, 0.05}, {1.1, 0.3}, {-0.1, 0.55}, {1.1, 0.8}}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

TEST(EdTrimSurf, FormSurfLoopHandsOutTheLargestOuterLoop) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ts.get());
  AddPoints(ed, {{0.3, -0.2}, {0.3, 1.2}});
  ed.AutoIntersect(true);
  std::unique_ptr<CGeTrimLoop> loop(ed.FormSurfLoop());
  ASSERT_TRUE(loop);
  EXPECT_NEAR(loop->EvArea(0.01), 0.7, 1e-9);
  EXPECT_EQ(ed.m_pResult, nullptr) << "the editor keeps no result";
  CEdTrimSurf none;
  EXPECT_EQ(none.FormSurfLoop(), nullptr);
}
