// Loop building and regions: drawn curves of known polygons, shuffled and reversed, chain back
// into the same loops; nesting orients by depth; region areas match an independent even-odd
// area; a cancelled call leaves the caller's lists as they were.
#include "geometry/tools/GeTool2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeRegion.h"
#include "support/PolygonOracle.h"
#include "support/VurodeFixture.h"
#include "tests/support/geometry/GeTool2DTestNaive.h"

namespace {

using P = std::array<double, 2>;

// A closed figure drawn as separate curves, with a dense outline for the reference area.
struct Figure {
  std::vector<std::unique_ptr<CGeCurve>> curves;
  std::vector<P> outline;
  double area = 0;  // unsigned
};

double ShoelaceAbs(const std::vector<P>& pts) {
  double a = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const P& p = pts[i];
    const P& q = pts[(i + 1) % pts.size()];
    a += p[0] * q[1] - q[0] * p[1];
  }
  return std::fabs(a) / 2;
}

Figure Polygon(const std::vector<P>& pts) {
  Figure f;
  for (size_t i = 0; i < pts.size(); ++i) {
    const P& a = pts[i];
    const P& b = pts[(i + 1) % pts.size()];
    f.curves.push_back(std::make_unique<CGeLine>(a.data(), b.data()));
  }
  f.outline = pts;
  f.area = ShoelaceAbs(pts);
  return f;
}

Figure Square(double x, double y, double s) {
  return Polygon({{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}});
}

Figure Star(double cx, double cy, double r1, double r2, int spikes) {
  std::vector<P> pts;
  for (int i = 0; i < 2 * spikes; ++i) {
    const double a = std::numbers::pi * i / spikes;
    const double r = i % 2 ? r2 : r1;
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return Polygon(pts);
}

// A slot: two straight sides joined by half circles of radius r.
Figure Stadium(double x, double y, double len, double r) {
  Figure f;
  const P a{x, y}, b{x + len, y}, c{x + len, y + 2 * r}, d{x, y + 2 * r};
  const P c1{x + len, y + r}, c2{x, y + r};
  f.curves.push_back(std::make_unique<CGeLine>(a.data(), b.data()));
  auto arc1 = std::make_unique<CGeArc>();
  arc1->CreateCSE(c1.data(), b.data(), c.data(), 1);
  f.curves.push_back(std::move(arc1));
  f.curves.push_back(std::make_unique<CGeLine>(c.data(), d.data()));
  auto arc2 = std::make_unique<CGeArc>();
  arc2->CreateCSE(c2.data(), d.data(), a.data(), 1);
  f.curves.push_back(std::move(arc2));
  for (int i = 0; i <= 64; ++i) {
    const double t = -std::numbers::pi / 2 + std::numbers::pi * i / 64;
    f.outline.push_back({c1[0] + r * std::cos(t), c1[1] + r * std::sin(t)});
  }
  for (int i = 0; i <= 64; ++i) {
    const double t = std::numbers::pi / 2 + std::numbers::pi * i / 64;
    f.outline.push_back({c2[0] + r * std::cos(t), c2[1] + r * std::sin(t)});
  }
  f.area = 2 * r * len + std::numbers::pi * r * r;
  return f;
}

struct Scene {
  const char* name;
  std::vector<Figure> (*make)();
};

std::vector<Figure> Separate() {
  std::vector<Figure> v;
  v.push_back(Square(0, 0, 4));
  v.push_back(Square(10, 0, 3));
  v.push_back(Polygon({{20, 0}, {26, 0}, {26, 2}, {22, 2}, {22, 6}, {20, 6}}));  // an L
  v.push_back(Polygon({{0, 10}, {5, 10}, {2, 14}}));
  return v;
}

// Depths 0 to 3, and a second outer loop with a rounded hole.
std::vector<Figure> Nested() {
  std::vector<Figure> v;
  v.push_back(Square(0, 0, 40));
  v.push_back(Square(2, 2, 36));
  v.push_back(Star(20, 20, 15, 9, 7));
  v.push_back(Square(16, 16, 8));
  v.push_back(Square(50, 0, 20));
  v.push_back(Stadium(54, 6, 10, 3));
  v.push_back(Square(41, 30, 5));
  return v;
}

std::vector<Figure> Rounded() {
  std::vector<Figure> v;
  v.push_back(Stadium(0, 0, 8, 2));
  v.push_back(Stadium(0, 10, 3, 1));
  v.push_back(Star(30, 5, 4, 1.5, 5));
  return v;
}

// Cells of concentric squares (1 to 4 deep), staggered so boxes interleave along x.
std::vector<Figure> Cells() {
  std::vector<Figure> v;
  std::mt19937 rng(12);
  for (int cell = 0; cell < 30; ++cell) {
    const double x = 12.0 * (cell % 6) + (rng() % 5) * 0.5, y = 12.0 * (cell / 6) + (rng() % 3);
    const int depth = 1 + static_cast<int>(rng() % 4);
    for (int d = 0; d < depth; ++d) v.push_back(Square(x + d, y + d, 8 - 2.0 * d));
  }
  return v;
}

const Scene kScenes[] = {
    {"Separate", Separate}, {"Nested", Nested}, {"Rounded", Rounded}, {"Cells", Cells}};

// Copies of all curves, shuffled and about half of them reversed.
void Scramble(const std::vector<Figure>& figs, unsigned seed, CGeCurveList& out) {
  std::vector<CGeCurve*> all;
  for (const Figure& f : figs)
    for (const auto& c : f.curves) all.push_back(c->Copy());
  std::mt19937 rng(seed);
  std::shuffle(all.begin(), all.end(), rng);
  for (CGeCurve* c : all) {
    if (rng() % 2) c->Reverse();
    out.AddTail(c);
  }
}

std::vector<CGeLoop*> Items(CGeLoopList& l) {
  std::vector<CGeLoop*> v;
  for (POSITION pos = l.GetHeadPosition(); pos;) v.push_back(l.GetNext(pos));
  return v;
}

struct Owned {
  CGeCurveList curves;
  CGeLoopList loops;
  CGeRegionList regions;
  ~Owned() {
    while (!curves.IsEmpty()) delete curves.RemoveHead();
    while (!loops.IsEmpty()) delete loops.RemoveHead();
    while (!regions.IsEmpty()) delete regions.RemoveHead();
  }
};

// Even-odd area of the outlines, by Boost.Geometry's symmetric difference.
double EvenOddArea(const std::vector<Figure>& figs) {
  std::vector<polygon_oracle::Ring> rings;
  for (const Figure& f : figs) rings.push_back(f.outline);
  return polygon_oracle::EvenOddArea(rings);
}

std::vector<double> SortedAreas(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class LoopBuildTest : public VurodeTest {};

TEST_F(LoopBuildTest, ScrambledFiguresChainBackIntoTheirLoops) {
  for (const Scene& scene : kScenes) {
    const std::vector<Figure> figs = scene.make();
    std::vector<double> want;
    size_t curves = 0;
    for (const Figure& f : figs) {
      want.push_back(f.area);
      curves += f.curves.size();
    }
    for (unsigned seed : {1u, 7u, 42u}) {
      SCOPED_TRACE(testing::Message() << scene.name << " seed " << seed);
      Owned o;
      Scramble(figs, seed, o.curves);
      CGeTool2D().ReCreateLoop(&o.curves, &o.loops, 0.001, true, false);
      EXPECT_TRUE(o.curves.IsEmpty()) << "curves move into the loops";
      ASSERT_EQ(o.loops.GetCount(), static_cast<INT_PTR>(figs.size()));
      std::vector<double> got;
      size_t members = 0;
      for (CGeLoop* l : Items(o.loops)) {
        EXPECT_EQ(l->IsLoop(0.001), 1);
        members += static_cast<size_t>(l->GetSegmentCount());
        got.push_back(std::fabs(l->EvArea(0.001)));
      }
      EXPECT_EQ(members, curves);
      want = SortedAreas(want);
      got = SortedAreas(got);
      for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 0.02 * want[i]);
    }
  }
}

TEST_F(LoopBuildTest, IndexedSearchKeepsThePlainScanChoices) {
  // Lines between the nodes of a small lattice meet in busy junctions, where the turning
  // angle and the pool order decide; both ways must build identical loops.
  std::mt19937 rng(5);
  for (int round = 0; round < 20; ++round) {
    Owned o;
    for (int i = 0; i < 60; ++i) {
      const double a[2] = {double(rng() % 4), double(rng() % 4)};
      const double b[2] = {double(rng() % 4), double(rng() % 4)};
      if (a[0] != b[0] || a[1] != b[1]) o.curves.AddTail(new CGeLine(a, b));
    }
    for (int variant = 0; variant < 4; ++variant) {
      const bool closedOnly = variant % 2, selfDir = variant / 2;
      CGeLoopList fast, slow;
      if (selfDir) {
        CGeTool2D().ReCreateLoopInSelfDir(&o.curves, &fast, 0.001, closedOnly);
        CNaiveLoopChain().ChainInSelfDir(&o.curves, &slow, 0.001, closedOnly);
      } else {
        CGeTool2D().ReCreateLoop(&o.curves, &fast, 0.001, closedOnly, true);
        CNaiveLoopChain().Chain(&o.curves, &slow, 0.001, closedOnly);
      }
      std::vector<CGeLoop*> f = Items(fast), s = Items(slow);
      ASSERT_EQ(f.size(), s.size());
      for (size_t i = 0; i < f.size(); ++i) {
        ASSERT_EQ(f[i]->GetSegmentCount(), s[i]->GetSegmentCount());
        for (int k = 1; k <= f[i]->GetSegmentCount(); ++k) {
          double p[2], q[2];
          f[i]->GetSubCurve(k)->GetStartPoint(p);
          s[i]->GetSubCurve(k)->GetStartPoint(q);
          EXPECT_EQ(p[0], q[0]);
          EXPECT_EQ(p[1], q[1]);
        }
      }
      for (CGeLoop* l : f) delete l;
      for (CGeLoop* l : s) delete l;
    }
  }
}

TEST_F(LoopBuildTest, JunctionTakesTheLargestTurnOrALaterClosedCurve) {
  // The chain arrives at the origin along +x, so back points along -x.
  const double o[2] = {0, 0}, up[2] = {0, 5}, upLeft[2] = {-1, 5}, ahead[2] = {5, 0};
  const double behind[2] = {-5, 0};
  const double back[2] = {-1, 0}, centre[2] = {0, 1};
  struct Case {
    const char* name;
    const double* second;  // end of the line offered after the closed curve
    int pick;              // 0 the first line, 1 the closed curve, 2 the second line
  } cases[] = {
      {"a later line turning further wins", upLeft, 2},
      {"a later line turning less leaves the closed curve", ahead, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Owned own;
    CGeCurve* first = new CGeLine(o, up);  // counter-clockwise turn of 3/2 pi from back
    auto* circle = new CGeArc;
    ASSERT_TRUE(circle->CreateCSEAngle(centre, 1, -std::numbers::pi / 2, 1.5 * std::numbers::pi));
    CGeCurve* second = new CGeLine(o, k.second);
    CGeCurve* all[3] = {first, circle, second};
    for (CGeCurve* c : all) own.curves.AddTail(c);
    bool forward = false;
    CNaiveLoopChain probe;
    EXPECT_EQ(probe.SearchNext(&own.curves, o, back, 0.001, false, forward), all[k.pick]);
    EXPECT_TRUE(forward);
    // The indexed chaining makes the same choice: its first loop is the head and the pick.
    own.curves.AddHead(new CGeLine(behind, o));
    CGeTool2D().ReCreateLoop(&own.curves, &own.loops, 0.001, false, true);
    ASSERT_FALSE(own.loops.IsEmpty());
    CGeCurve* taken = own.loops.GetHead()->GetSubCurve(2);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->GetType(), all[k.pick]->GetType());
    EXPECT_NEAR(taken->EvTotalArcLength(), all[k.pick]->EvTotalArcLength(), 1e-9);
  }
}

TEST_F(LoopBuildTest, OpenChainsAndShortLines) {
  const double a[2] = {0, 0}, b[2] = {5, 5}, c[2] = {10, 0}, d[2] = {10.001, 0};
  struct Case {
    bool closedOnly;
    bool copy;
    INT_PTR loops;
  } cases[] = {{true, false, 0}, {false, false, 1}, {false, true, 1}};
  for (const Case& k : cases) {
    Owned o;
    o.curves.AddTail(new CGeLine(a, b));
    o.curves.AddTail(static_cast<CGeCurve*>(nullptr));
    o.curves.AddTail(new CGeLine(c, d));  // 0.001 long: never chained
    o.curves.AddTail(new CGeLine(c, b));
    CGeTool2D().ReCreateLoop(&o.curves, &o.loops, 0.001, k.closedOnly, k.copy);
    ASSERT_EQ(o.loops.GetCount(), k.loops);
    EXPECT_EQ(o.curves.GetCount(), k.copy ? 4 : 1) << "only the null entry stays behind";
    if (k.loops) {
      CGeLoop* l = o.loops.GetHead();
      EXPECT_EQ(l->GetSegmentCount(), 2);
      EXPECT_EQ(l->IsLoop(0.001), 0);
    }
  }
}

TEST_F(LoopBuildTest, ClosedCurveIsALoopByItself) {
  Owned o;
  auto* circle = new CGeArc;
  const double centre[2] = {0, 0};
  ASSERT_TRUE(circle->CreateCSEAngle(centre, 2, 0, 2 * std::numbers::pi));
  o.curves.AddTail(circle);
  CGeTool2D().ReCreateLoop(&o.curves, &o.loops, 0.001, true, true);
  ASSERT_EQ(o.loops.GetCount(), 1);
  EXPECT_NEAR(std::fabs(o.loops.GetHead()->EvArea(0.001)), 4 * std::numbers::pi, 0.05);
}

TEST_F(LoopBuildTest, OwnDirectionChainingFollowsTheCurves) {
  const std::vector<Figure> figs = Nested();
  Owned o;
  std::vector<CGeCurve*> all;
  for (const Figure& f : figs)
    for (const auto& c : f.curves) all.push_back(c->Copy());
  std::shuffle(all.begin(), all.end(), std::mt19937(3));
  for (CGeCurve* c : all) o.curves.AddTail(c);
  // One curve turned against its figure breaks that figure's chain.
  o.curves.GetHead()->Reverse();
  CGeTool2D().ReCreateLoopInSelfDir(&o.curves, &o.loops, 0.001, true);
  EXPECT_EQ(o.curves.GetCount(), static_cast<INT_PTR>(all.size())) << "works on copies";
  EXPECT_EQ(o.loops.GetCount(), static_cast<INT_PTR>(figs.size()) - 1);
  for (CGeLoop* l : Items(o.loops)) EXPECT_GT(l->EvArea(0.001), 0) << "figures are drawn CCW";
}

// Ends of every curve of a list, in list order, with the curve itself.
struct CurveEnds {
  CGeCurve* c;
  double s[2], e[2];
};
std::vector<CurveEnds> EndsOf(CGeCurveList& list) {
  std::vector<CurveEnds> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGeCurve* c = list.GetNext(pos);
    CurveEnds ce{c, {}, {}};
    c->GetStartPoint(ce.s);
    c->GetEndPoint(ce.e);
    out.push_back(ce);
  }
  return out;
}

void ExpectSameCurves(CGeCurveList& list, const std::vector<CurveEnds>& before) {
  const std::vector<CurveEnds> now = EndsOf(list);
  ASSERT_EQ(now.size(), before.size());
  for (size_t i = 0; i < now.size(); ++i) {
    ASSERT_EQ(now[i].c, before[i].c) << i;
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(now[i].s[k], before[i].s[k], 1e-12) << "not turned round: " << i;
      EXPECT_NEAR(now[i].e[k], before[i].e[k], 1e-12) << i;
    }
  }
}

// A cancel, whenever it strikes, frees only what the call made: the loops the list held before
// stay, and the caller's curves stay in its list as they came, whether the call copies them or
// would move them into its loops.
TEST_F(LoopBuildTest, CancelKeepsWhatTheListHeldBeforeAndTheCallersCurves) {
  const std::vector<Figure> figs = Nested();
  enum Mode { kSelfDir, kCopy, kMove };
  for (Mode mode : {kSelfDir, kCopy, kMove}) {
    Owned o;
    Scramble(figs, 9, o.curves);
    // Some curves come turned against their figure, so the chaining must reverse them.
    int n = 0;
    for (POSITION pos = o.curves.GetHeadPosition(); pos;)
      if (CGeCurve* c = o.curves.GetNext(pos); n++ % 3 == 0) c->Reverse();
    CGeTool2D t;
    auto run = [&](CGeLoopList* out, bool copy) {
      if (mode == kSelfDir)
        t.ReCreateLoopInSelfDir(&o.curves, out, 0.001, false);
      else
        t.ReCreateLoop(&o.curves, out, 0.001, false, copy);
    };
    // The caller's list already holds loops from an earlier call.
    run(&o.loops, true);
    const std::vector<CGeLoop*> before = Items(o.loops);
    ASSERT_FALSE(before.empty());
    std::vector<double> areas;
    for (CGeLoop* l : before) areas.push_back(l->EvArea(0.001));
    const std::vector<CurveEnds> input = EndsOf(o.curves);
    gResetProgress();
    {
      Owned scratch;
      run(&scratch.loops, true);
    }
    const int polls = gGetProgressPollCount();
    ASSERT_GT(polls, 10);
    for (int at = 1; at <= polls; ++at) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " cancel at poll " << at);
      gResetProgress();
      gSetProgressCancelAfter(at);
      run(&o.loops, mode != kMove);
      ASSERT_EQ(Items(o.loops), before);
      for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i]->m_dArea, areas[i]);
      ExpectSameCurves(o.curves, input);
    }
    gResetProgress();
    if (mode == kMove) {
      // Uncancelled, the curves move into the new loops.
      const INT_PTR had = o.loops.GetCount();
      run(&o.loops, false);
      EXPECT_TRUE(o.curves.IsEmpty());
      EXPECT_GT(o.loops.GetCount(), had);
    }
  }
}

TEST_F(LoopBuildTest, LinkedAndLoopTests) {
  const double a[2] = {0, 0}, b[2] = {1, 0}, b2[2] = {1, 0.5}, c[2] = {1, 1};
  CGeTool2D t;
  struct Case {
    const char* name;
    double tol;
    int linked;
    int loop;
  } cases[] = {
      {"gap of exactly tol links but does not close", 0.5, 1, 0},
      {"gap above tol", 0.49, 0, 0},
      {"wide tol closes", 1.5, 1, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Owned o;
    o.curves.AddTail(new CGeLine(a, b));
    o.curves.AddTail(new CGeLine(b2, c));  // 0.5 gap
    o.curves.AddTail(new CGeLine(c, b2));  // ends 1.118 from the start
    EXPECT_EQ(t.IsLinked(&o.curves, k.tol), k.linked);
    EXPECT_EQ(t.IsLoop(&o.curves, k.tol), k.loop);
  }
  Owned o;
  EXPECT_EQ(t.IsLinked(&o.curves, 1), 0) << "empty";
  EXPECT_EQ(t.IsLinked(nullptr, 1), 0);
  o.curves.AddTail(new CGeLine(a, b));
  o.curves.AddTail(static_cast<CGeCurve*>(nullptr));
  EXPECT_EQ(t.IsLinked(&o.curves, 1), 0) << "null entry";
  delete o.curves.RemoveTail();
  auto* comb = new CGeCombCurve;
  comb->m_CurveList.AddTail(new CGeLine(b, c));
  comb->m_CurveList.AddTail(new CGeLine(a, b));  // not linked inside
  o.curves.AddTail(comb);
  EXPECT_EQ(t.IsLinked(&o.curves, 10), 0) << "composite must be linked itself";
}

// --- nesting and regions ------------------------------------------------------------------

CGeLoop* LoopOf(const Figure& f) {
  auto* l = new CGeLoop;
  for (const auto& c : f.curves) l->AddTail(c->Copy(), 1);
  return l;
}

// Nesting depth of each figure, from Boost.Geometry's point-in-polygon on the outlines.
std::vector<int> Depths(const std::vector<Figure>& figs) {
  std::vector<int> depth(figs.size(), 0);
  for (size_t i = 0; i < figs.size(); ++i)
    for (size_t j = 0; j < figs.size(); ++j)
      if (i != j && polygon_oracle::Within(figs[i].outline[0], figs[j].outline)) ++depth[i];
  return depth;
}

class RegionTest : public VurodeTest {};

TEST_F(RegionTest, NestingDepthAlternatesOrientation) {
  for (const Scene& scene : kScenes) {
    SCOPED_TRACE(scene.name);
    const std::vector<Figure> figs = scene.make();
    const std::vector<int> depth = Depths(figs);
    Owned o;
    std::vector<CGeLoop*> made;
    for (size_t i = 0; i < figs.size(); ++i) {
      made.push_back(LoopOf(figs[i]));
      if (i % 2) made.back()->Reverse(true);  // start from mixed orientations
    }
    for (size_t i = figs.size(); i-- > 0;) o.loops.AddTail(made[i]);
    CGeTool2D().ReSortLoop(&o.loops);
    const std::vector<CGeLoop*> sorted = Items(o.loops);
    ASSERT_EQ(sorted.size(), figs.size());
    for (size_t i = 0; i < figs.size(); ++i) {
      const bool even = depth[i] % 2 == 0;
      EXPECT_EQ(made[i]->m_dArea > 0, even) << "figure " << i;
      EXPECT_EQ(made[i]->IsOuterLoop(), even ? 1 : 0);
    }
    // Each hole directly follows its outer loop or a sibling hole.
    for (size_t i = 0; i < sorted.size(); ++i) {
      if (sorted[i]->m_dArea > 0) continue;
      ASSERT_GT(i, 0u);
      size_t k = i;
      while (k > 0 && sorted[k - 1]->m_dArea < 0) --k;
      ASSERT_GT(k, 0u);
      EXPECT_TRUE(sorted[k - 1]->IsContainLoop(sorted[i], 1e-12));
    }
  }
}

TEST_F(RegionTest, ThreeNestedSquaresKeepOrder) {
  Owned o;
  CGeLoop* c = LoopOf(Square(2, 2, 2));
  CGeLoop* a = LoopOf(Square(0, 0, 6));
  CGeLoop* b = LoopOf(Square(1, 1, 4));
  o.loops.AddTail(c);
  o.loops.AddTail(a);
  o.loops.AddTail(b);
  CGeTool2D().ReSortLoop(&o.loops);
  EXPECT_EQ(Items(o.loops), (std::vector<CGeLoop*>{a, b, c}));
  EXPECT_GT(a->m_dArea, 0);
  EXPECT_LT(b->m_dArea, 0);
  EXPECT_GT(c->m_dArea, 0);
}

TEST_F(RegionTest, LoopsWithoutPointsStayAtTheTail) {
  Owned o;
  auto* empty = new CGeLoop;
  CGeLoop* a = LoopOf(Square(0, 0, 6));
  CGeLoop* b = LoopOf(Square(10, 0, 2));
  o.loops.AddTail(empty);
  o.loops.AddTail(b);
  o.loops.AddTail(a);
  CGeTool2D().ReSortLoop(&o.loops);
  EXPECT_EQ(Items(o.loops), (std::vector<CGeLoop*>{a, b, empty}));
}

TEST_F(RegionTest, RegionAreaIsTheEvenOddArea) {
  for (const Scene& scene : kScenes) {
    SCOPED_TRACE(scene.name);
    const std::vector<Figure> figs = scene.make();
    const std::vector<int> depth = Depths(figs);
    Owned o;
    Scramble(figs, 11, o.curves);
    CGeTool2D().ReCreateLoop(&o.curves, &o.loops, 0.001, true, false);
    CGeTool2D().CreateRegion(&o.loops, &o.regions);
    EXPECT_TRUE(o.loops.IsEmpty()) << "every loop finds its region";
    const auto outers = std::count_if(depth.begin(), depth.end(), [](int d) { return d % 2 == 0; });
    EXPECT_EQ(o.regions.GetCount(), outers);
    double total = 0;
    for (POSITION pos = o.regions.GetHeadPosition(); pos;) {
      CGeRegion* r = o.regions.GetNext(pos);
      ASSERT_GE(r->m_LoopList.GetCount(), 1);
      EXPECT_GT(r->m_LoopList.GetHead()->m_dArea, 0);
      total += r->EvArea(0.001);
    }
    const double want = EvenOddArea(figs);
    EXPECT_NEAR(total, want, 1e-3 * want);
  }
}

TEST_F(RegionTest, HoleStartingOnTheOuterBoundaryStaysAHole) {
  Owned o;
  CGeLoop* outer = LoopOf(Square(0, 0, 10));
  // A triangle hole whose first vertex touches the outer square's bottom edge.
  CGeLoop* hole = LoopOf(Polygon({{5, 0}, {7, 4}, {3, 4}}));
  o.loops.AddTail(hole);
  o.loops.AddTail(outer);
  CGeTool2D().CreateRegion(&o.loops, &o.regions);
  ASSERT_EQ(o.regions.GetCount(), 1);
  EXPECT_EQ(o.regions.GetHead()->m_LoopList.GetCount(), 2);
  EXPECT_TRUE(o.loops.IsEmpty());
}

TEST_F(RegionTest, RegionBuildersOnSquares) {
  auto squares = [] {
    std::vector<CGeLoop*> v{LoopOf(Square(0, 0, 10)), LoopOf(Square(1, 1, 2)),
                            LoopOf(Square(5, 5, 2)), LoopOf(Square(20, 0, 3))};
    v[1]->Reverse(true);  // holes drawn clockwise
    v[2]->Reverse(true);
    return v;
  };
  using Build = void (CGeTool2D::*)(CGeLoopList*, CGeRegionList*);
  struct Case {
    const char* name;
    Build build;
  } cases[] = {{"CreateRegion", &CGeTool2D::CreateRegion},
               {"CreateRegionAtFast", &CGeTool2D::CreateRegionAtFast},
               {"MakeRegion", &CGeTool2D::MakeRegion}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Owned o;
    for (CGeLoop* l : squares()) o.loops.AddTail(l);
    CGeTool2D t;
    (t.*k.build)(&o.loops, &o.regions);
    ASSERT_EQ(o.regions.GetCount(), 2);
    std::vector<INT_PTR> counts;
    for (POSITION pos = o.regions.GetHeadPosition(); pos;)
      counts.push_back(o.regions.GetNext(pos)->m_LoopList.GetCount());
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<INT_PTR>{1, 3}));
    EXPECT_TRUE(o.loops.IsEmpty());
  }
  // Keeping each loop's own direction: a clockwise square cannot be an outer loop.
  Owned o;
  std::vector<CGeLoop*> v = squares();
  v[3]->Reverse(true);
  for (CGeLoop* l : v) o.loops.AddTail(l);
  CGeTool2D().CreateRegionInSelfDir(&o.loops, &o.regions);
  ASSERT_EQ(o.regions.GetCount(), 1);
  EXPECT_EQ(o.regions.GetHead()->m_LoopList.GetCount(), 3);
  EXPECT_TRUE(o.loops.IsEmpty());
}

TEST_F(RegionTest, MakeRegionDropsTinyOpenLoopsAndIslands) {
  Owned o;
  CGeLoop* hole = LoopOf(Square(1, 1, 6));
  hole->Reverse(true);
  o.loops.AddTail(LoopOf(Square(2, 2, 2)));  // island inside the hole: dropped
  o.loops.AddTail(hole);
  o.loops.AddTail(LoopOf(Square(0, 0, 10)));
  o.loops.AddTail(LoopOf(Square(30, 0, 0.005)));  // tiny: deleted
  CGeLoop* open = LoopOf(Square(40, 0, 5));
  delete open->m_CurveList.RemoveTail();
  const double s[2] = {40, 5}, e[2] = {40, 0.01};
  open->AddTail(new CGeLine(s, e), 1);  // ends 0.01 apart: deleted
  o.loops.AddTail(open);
  CGeTool2D().MakeRegion(&o.loops, &o.regions);
  ASSERT_EQ(o.regions.GetCount(), 1);
  CGeRegion* r = o.regions.GetHead();
  ASSERT_EQ(r->m_LoopList.GetCount(), 2);
  EXPECT_EQ(r->m_LoopList.GetTail(), hole);
  EXPECT_TRUE(o.loops.IsEmpty());
}

TEST_F(RegionTest, SortClassifyAndRefine) {
  Owned o;
  CGeTool2D t;
  CGeLoop* big = LoopOf(Square(0, 0, 10));
  CGeLoop* s1 = LoopOf(Square(1, 1, 2));
  CGeLoop* s2 = LoopOf(Square(5, 5, 2));
  CGeLoop* inner = LoopOf(Square(5.5, 5.5, 1));
  for (CGeLoop* l : {s1, big, s2, inner}) {
    l->EvArea(0.001);
    o.loops.AddTail(l);
  }
  s2->Reverse(true);
  o.loops.AddTail(static_cast<CGeLoop*>(nullptr));
  t.SortLoopWithArea(&o.loops, true);
  EXPECT_EQ(Items(o.loops), (std::vector<CGeLoop*>{big, s1, s2, inner})) << "equal keys stay";
  t.SortLoopWithArea(&o.loops, false);
  EXPECT_EQ(Items(o.loops), (std::vector<CGeLoop*>{big, s1, inner, s2}));

  CGeLoopList open, closed;
  t.ClassifyLoop(&o.loops, &open, &closed, 0.001);
  EXPECT_EQ(closed.GetCount(), 4);
  EXPECT_TRUE(open.IsEmpty());
  closed.RemoveAll();

  CGeLoopList group, kept;
  for (CGeLoop* l : {big, s1, s2, inner}) group.AddTail(l);
  t.RefineRegionInLoop(&group, &kept);
  EXPECT_EQ(Items(kept), (std::vector<CGeLoop*>{big, s1, s2})) << "a hole inside a hole goes";
}

// Even-odd area of loops, from their point buffers by Boost.Geometry.
double LoopsEvenOddArea(CGeLoopList& loops) {
  std::vector<polygon_oracle::Ring> rings;
  for (CGeLoop* l : Items(loops)) {
    l->EvArea(0.001);
    rings.emplace_back();
    for (int i = 0; i < l->m_nSWPoint; ++i)
      rings.back().push_back({l->m_pSWPoint[i][0], l->m_pSWPoint[i][1]});
  }
  return polygon_oracle::EvenOddArea(rings);
}

TEST_F(RegionTest, LoopClipByOperation) {
  struct Case {
    const char* name;
    gpc_op op;
    std::vector<Figure> (*clip)();
    double area;
    INT_PTR loops;
  } cases[] = {
      {"difference", GPC_DIFF, [] { std::vector<Figure> v; v.push_back(Square(2, 2, 4)); return v; }, 12, 1},
      {"intersection", GPC_INT, [] { std::vector<Figure> v; v.push_back(Square(2, 2, 4)); return v; }, 4, 1},
      {"exclusive or", GPC_XOR, [] { std::vector<Figure> v; v.push_back(Square(2, 2, 4)); return v; }, 24, 2},
      {"union", GPC_UNION, [] { std::vector<Figure> v; v.push_back(Square(2, 2, 4)); return v; }, 28, 1},
      {"hole cut out", GPC_DIFF, [] { std::vector<Figure> v; v.push_back(Square(1, 1, 1)); return v; }, 15, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Owned o;
    CGeLoopList subject, clip;
    subject.AddTail(LoopOf(Square(0, 0, 4)));
    for (const Figure& f : k.clip()) clip.AddTail(LoopOf(f));
    CGeLoop* earlier = LoopOf(Square(50, 50, 1));
    o.loops.AddTail(earlier);
    CGeTool2D().LoopClip(&subject, &clip, k.op, &o.loops);
    EXPECT_EQ(o.loops.GetHead(), earlier) << "the result is appended";
    delete o.loops.RemoveHead();
    EXPECT_EQ(o.loops.GetCount(), k.loops);
    EXPECT_NEAR(LoopsEvenOddArea(o.loops), k.area, 1e-6);
    while (!subject.IsEmpty()) delete subject.RemoveHead();
    while (!clip.IsEmpty()) delete clip.RemoveHead();
  }
}

TEST_F(RegionTest, LoopMergeIsTheUnion) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> u(0, 20);
  Owned o;
  std::vector<polygon_oracle::Ring> squares;
  for (int i = 0; i < 25; ++i) {
    const double x = u(rng), y = u(rng), size = 1 + u(rng) / 4;
    o.loops.AddTail(LoopOf(Square(x, y, size)));
    squares.push_back(Square(x, y, size).outline);
  }
  for (CGeLoop* l : Items(o.loops)) l->EvArea(0.001);
  CGeLoopList merged;
  CGeTool2D().LoopMerge(&o.loops, &merged);
  ASSERT_FALSE(merged.IsEmpty());
  EXPECT_NEAR(LoopsEvenOddArea(merged), polygon_oracle::UnionArea(squares), 1e-4);  // vertices pass through floats
  while (!merged.IsEmpty()) delete merged.RemoveHead();

  // Only one loop with points: nothing to merge.
  Owned one;
  one.loops.AddTail(LoopOf(Square(0, 0, 1)));
  one.loops.GetHead()->EvArea(0.001);
  one.loops.AddTail(new CGeLoop);
  CGeTool2D().LoopMerge(&one.loops, &merged);
  EXPECT_TRUE(merged.IsEmpty());
}

TEST_F(RegionTest, ListUtilities) {
  CGeTool2D t;
  Owned o;
  const double a[2] = {0, 0}, b[2] = {1, 0}, b2[2] = {1.0005, 0}, c[2] = {1, 1}, a2[2] = {0.0005, 0};
  o.curves.AddTail(new CGeLine(a2, b));
  o.curves.AddTail(static_cast<CGeCurve*>(nullptr));
  o.curves.AddTail(new CGeLine(b2, c));
  o.curves.AddTail(new CGeLine(c, a));
  t.StitchCurveList(&o.curves, 0.001);
  EXPECT_EQ(t.IsLoop(&o.curves, 1e-9) + t.IsLinked(&o.curves, 1e-9), 0) << "null entry";
  o.curves.RemoveAt(o.curves.FindIndex(1));
  EXPECT_EQ(t.IsLoop(&o.curves, 1e-9), 1) << "gaps closed";

  _tagBox2D box;
  BOX2D_Init(&box, a);
  CGeCurveList none;
  t.GetBox(&none, box);
  EXPECT_EQ(box.max[0], 0) << "empty list leaves the box";
  for (POSITION pos = o.curves.GetHeadPosition(); pos;) o.curves.GetNext(pos)->CalcBox2d();
  t.GetBox(&o.curves, box);
  EXPECT_EQ(box.max[0], 1);
  EXPECT_EQ(box.max[1], 1);

  auto* comb = new CGeCombCurve;
  t.AddTailToCombCurve(comb, o.curves.RemoveHead());
  auto* donor = new CGeCombCurve;
  donor->m_CurveList.AddTail(o.curves.RemoveHead());
  donor->m_CurveList.AddTail(o.curves.RemoveHead());
  t.AddTailToCombCurve(comb, donor);
  EXPECT_EQ(comb->m_CurveList.GetCount(), 3);
  EXPECT_TRUE(donor->m_CurveList.IsEmpty());
  delete donor;
  o.curves.AddTail(comb);
  t.DeleteCurve(&o.curves);
  EXPECT_TRUE(o.curves.IsEmpty());

  CGeLoop* l1 = LoopOf(Square(0, 0, 1));
  CGeLoop* l2 = LoopOf(Square(5, 5, 1));
  o.loops.AddTail(l1);
  o.loops.AddTail(l2);
  const double p[2] = {4, 4};
  EXPECT_EQ(t.SearchNearestLoop(&o.loops, p, false), l2);
  EXPECT_EQ(o.loops.GetCount(), 2);
  EXPECT_EQ(t.SearchNearestLoop(&o.loops, p, true), l2);
  EXPECT_EQ(Items(o.loops), (std::vector<CGeLoop*>{l1}));
  delete l2;
}

}  // namespace
