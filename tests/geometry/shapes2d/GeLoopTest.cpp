// Loops: point containment against an independent even-odd test, the boundary band,
// simplicity against brute-force segment crossing, cached areas, reversal, copying, start
// adjustment, stitching and arc replacement.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "support/VurodeFixture.h"

namespace {

using Pt = std::array<double, 2>;

// Closed loop of lines through the points (the last joins back to the first).
std::unique_ptr<CGeLoop> Polygon(const std::vector<Pt>& pts) {
  auto loop = std::make_unique<CGeLoop>();
  for (size_t i = 0; i < pts.size(); ++i) {
    const Pt& a = pts[i];
    const Pt& b = pts[(i + 1) % pts.size()];
    loop->AddTail(new CGeLine(a.data(), b.data()), 0);
  }
  loop->CalcBox2d();
  return loop;
}

// Float-exact coordinates, so the discretised loop is the polygon itself.
double F(double v) { return static_cast<float>(v); }

// Star-shaped polygon with random radii.
std::vector<Pt> RandomStar(std::mt19937& rng, int n, double rmin, double rmax) {
  std::uniform_real_distribution<double> r(rmin, rmax);
  std::vector<Pt> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double rad = r(rng);
    pts.push_back({F(rad * std::cos(a)), F(rad * std::sin(a))});
  }
  return pts;
}

// Classic even-odd crossing test, written independently of the loop's banded rules.
bool InsideEvenOdd(const std::vector<Pt>& poly, const Pt& p) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[i];
    const Pt& b = poly[j];
    if ((a[1] > p[1]) != (b[1] > p[1]) &&
        p[0] < (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0])
      in = !in;
  }
  return in;
}

double DistToSegment(const Pt& p, const Pt& a, const Pt& b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double len2 = dx * dx + dy * dy;
  double u = len2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2 : 0.0;
  u = std::clamp(u, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - u * dx, p[1] - a[1] - u * dy);
}

double DistToBoundary(const std::vector<Pt>& poly, const Pt& p) {
  double best = 1e300;
  for (size_t i = 0; i < poly.size(); ++i)
    best = std::min(best, DistToSegment(p, poly[i], poly[(i + 1) % poly.size()]));
  return best;
}

// Brute force: does any pair of non-adjacent edges meet, or do adjacent edges fold back?
double Cross(const Pt& a, const Pt& b, const Pt& c) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}
bool Between(const Pt& a, const Pt& b, const Pt& c) {
  return std::min(a[0], b[0]) <= c[0] && c[0] <= std::max(a[0], b[0]) &&
         std::min(a[1], b[1]) <= c[1] && c[1] <= std::max(a[1], b[1]);
}
bool Meet(const Pt& a, const Pt& b, const Pt& c, const Pt& d) {
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return true;
  return (d1 == 0 && Between(c, d, a)) || (d2 == 0 && Between(c, d, b)) ||
         (d3 == 0 && Between(a, b, c)) || (d4 == 0 && Between(a, b, d));
}
bool SimpleBruteForce(const std::vector<Pt>& poly) {
  const size_t n = poly.size();
  for (size_t i = 0; i < n; ++i) {
    const Pt &a = poly[i], &b = poly[(i + 1) % n], &c = poly[(i + 2) % n];
    if (Cross(a, b, c) == 0 && (a[0] - b[0]) * (c[0] - b[0]) + (a[1] - b[1]) * (c[1] - b[1]) > 0)
      return false;
    for (size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;
      if (Meet(a, b, poly[j], poly[(j + 1) % n])) return false;
    }
  }
  return true;
}

using LoopTest = VurodeTest;

TEST_F(LoopTest, PointInLoopAgreesWithEvenOddAwayFromTheBoundary) {
  std::mt19937 rng(7);
  const double tol = 1e-3;
  int inside = 0, outside = 0;
  for (int shape = 0; shape < 20; ++shape) {
    const auto poly = RandomStar(rng, 5 + shape * 7, 2.0, 10.0);
    auto loop = Polygon(poly);
    std::uniform_real_distribution<double> coord(-11.0, 11.0);
    for (int k = 0; k < 400; ++k) {
      // Include points level with vertices, where the banded vertex rules decide.
      Pt p = {coord(rng), coord(rng)};
      if (k % 4 == 0) p[1] = poly[static_cast<size_t>(k) % poly.size()][1];
      if (DistToBoundary(poly, p) < 10 * tol) continue;
      const int expected = InsideEvenOdd(poly, p) ? 0 : 1;
      ASSERT_EQ(loop->IsPtInLoop(p.data(), tol), expected)
          << "shape " << shape << " point " << p[0] << "," << p[1];
      (expected == 0 ? inside : outside)++;
    }
  }
  EXPECT_GT(inside, 1000);
  EXPECT_GT(outside, 1000);
}

TEST_F(LoopTest, PointsOnTheBoundaryBandAnswerTwo) {
  std::mt19937 rng(11);
  const double tol = 1e-3;
  const auto poly = RandomStar(rng, 40, 2.0, 10.0);
  auto loop = Polygon(poly);
  std::uniform_real_distribution<double> u(0.05, 0.95), shift(-0.5 * tol, 0.5 * tol);
  for (size_t i = 0; i < poly.size(); ++i) {
    const Pt& a = poly[i];
    const Pt& b = poly[(i + 1) % poly.size()];
    EXPECT_EQ(loop->IsPtInLoop(a.data(), tol), 2) << "vertex " << i;
    const double s = u(rng);
    // On the edge, moved sideways by less than tol (horizontally: the ray's measure).
    const Pt p = {a[0] + s * (b[0] - a[0]) + shift(rng), a[1] + s * (b[1] - a[1])};
    EXPECT_EQ(loop->IsPtInLoop(p.data(), tol), 2) << "edge " << i;
  }
  // Horizontal edges, and points just outside the band.
  auto square = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  const double cases[][3] = {{2, 0, 2},    {2, 4, 2},          {0, 2, 2}, {4, 4, 2},
                             {2, 0.01, 0}, {2, -0.01, 1},      {5, 4, 1}, {-0.01, 4, 1},
                             {2, 4.0005, 2}, {4.0005, 2, 2}};
  for (const auto& c : cases) {
    const double p[2] = {c[0], c[1]};
    EXPECT_EQ(square->IsPtInLoop(p, tol), static_cast<int>(c[2])) << c[0] << "," << c[1];
  }
}

TEST_F(LoopTest, VertexTouchingTheRayFromBelowCountsLikeAPointAboveIt) {
  // A notch whose tip (2, 2) touches the ray y = 2 from below, another from above at (6, 2).
  auto loop = Polygon({{0, 0}, {8, 0}, {8, 4}, {6, 2}, {4, 4}, {0, 4}, {0, 3}, {2, 2}, {0, 1}});
  for (double x : {-1.0, 1.0, 3.0, 5.0, 7.0, 9.0}) {
    const double on[2] = {x, 2.0}, above[2] = {x, 2.0 + 1e-2};
    EXPECT_EQ(loop->IsPtInLoop(on, 1e-3), loop->IsPtInLoop(above, 1e-3)) << x;
  }
}

TEST_F(LoopTest, SimplePolygonAgreesWithBruteForceCrossing) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> grid(0, 6);
  int simple = 0, crossing = 0;
  for (int k = 0; k < 400; ++k) {
    // Random small polygons on a coarse grid: many touch or cross themselves.
    std::vector<Pt> poly;
    const int n = 3 + k % 6;
    for (int i = 0; i < n; ++i) {
      const Pt p = {static_cast<double>(grid(rng)), static_cast<double>(grid(rng))};
      if (!poly.empty() && p == poly.back()) continue;
      poly.push_back(p);
    }
    if (poly.size() < 3 || poly.front() == poly.back()) continue;
    auto loop = Polygon(poly);
    const bool expected = SimpleBruteForce(poly);
    ASSERT_EQ(loop->IsSimplePolygon(), expected ? 1 : 0) << "case " << k;
    (expected ? simple : crossing)++;
  }
  EXPECT_GT(simple, 40);
  EXPECT_GT(crossing, 40);
  // Large star polygons are simple; one vertex pulled across makes them cross.
  auto star = RandomStar(rng, 2000, 5.0, 10.0);
  EXPECT_EQ(Polygon(star)->IsSimplePolygon(), 1);
  star[1000] = {F(12.0), F(0.3)};
  EXPECT_EQ(Polygon(star)->IsSimplePolygon(), 0);
  // An open chain is no polygon at all.
  CGeLoop open;
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {1, 1};
  open.AddTail(new CGeLine(a, b), 0);
  open.AddTail(new CGeLine(b, c), 0);
  EXPECT_EQ(open.IsSimplePolygon(), 0);
}

TEST_F(LoopTest, AreaIsCachedSignedAndFollowsReversal) {
  auto square = Polygon({{0, 0}, {3, 0}, {3, 2}, {0, 2}});
  EXPECT_DOUBLE_EQ(square->EvArea(0.01), 6.0);
  EXPECT_GT(square->Orient(0.01), 0.0);
  square->Reverse();
  EXPECT_DOUBLE_EQ(square->m_dArea, -6.0);
  EXPECT_TRUE(square->m_bReversed);
  // The buffer turned too, so recomputing gives the same sign as the cache.
  EXPECT_DOUBLE_EQ(square->EvArea(0.01), -6.0);
  EXPECT_LT(square->Orient(0.01), 0.0);
  double s[2];
  square->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 0.0);
  EXPECT_DOUBLE_EQ(s[1], 0.0);
  EXPECT_DOUBLE_EQ(square->m_pSWPoint[1][1], 2.0);

  CGeLoop open;
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {1, 1};
  open.AddTail(new CGeLine(a, b), 0);
  open.AddTail(new CGeLine(b, c), 0);
  EXPECT_EQ(open.EvArea(0.01), 1e12);
  open.Reverse();
  EXPECT_EQ(open.m_dArea, -1e12);
  CGeLoop empty;
  EXPECT_EQ(empty.EvArea(0.01), 1e12);
  EXPECT_EQ(empty.m_dArea, 0.0);
}

TEST_F(LoopTest, CopyKeepsFlagsAreaAndBoxButNotTheToggle) {
  auto loop = Polygon({{0, 0}, {3, 0}, {3, 2}, {0, 2}});
  loop->SetOuterFlag();
  loop->EvArea(0.01);
  loop->Reverse();
  loop->m_dValue2 = 4.5;
  std::unique_ptr<CGeLoop> copy(loop->Copy());
  EXPECT_FALSE(copy->m_bReversed);
  EXPECT_EQ(copy->m_dArea, -6.0);
  EXPECT_EQ(copy->m_dValue2, 4.5);
  EXPECT_EQ(copy->IsOuterLoop(), 1);
  EXPECT_EQ(copy->m_nFlags, CGeLoop::kInitial | CGeLoop::kOuter);
  EXPECT_EQ(copy->GetSegmentCount(), 4);
  EXPECT_EQ(copy->m_nSWPoint, loop->m_nSWPoint);
  EXPECT_NE(copy->GetSubCurve(1), loop->GetSubCurve(1));
  loop->SetInnerFlag();
  loop->SetUsedFlag(1);
  EXPECT_EQ(loop->IsOuterLoop(), 0);
  EXPECT_EQ(loop->IsUsed(), 1);
}

TEST_F(LoopTest, ContainmentAndMidPoint) {
  auto outer = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  auto inner = Polygon({{2, 2}, {4, 2}, {4, 4}, {2, 4}});
  auto touching = Polygon({{0, 0}, {10, 0}, {10, 5}, {0, 5}});  // shares three edges
  auto across = Polygon({{8, 2}, {12, 2}, {12, 4}, {8, 4}});
  EXPECT_TRUE(outer->IsContainLoop(inner.get(), 0.01));
  EXPECT_TRUE(outer->IsContainLoop(touching.get(), 0.01));
  EXPECT_FALSE(outer->IsContainLoop(across.get(), 0.01));
  EXPECT_FALSE(inner->IsContainLoop(outer.get(), 0.01));
  EXPECT_FALSE(outer->IsContainLoop(nullptr, 0.01));
  // Loops without points contain nothing and lie nowhere; reading their buffers is not done.
  CGeLoop empty;
  EXPECT_FALSE(outer->IsContainLoop(&empty, 0.01));
  EXPECT_FALSE(empty.IsContainLoop(inner.get(), 0.01));
  double mid[2] = {-1, -1};
  empty.GetMidPoint(mid);
  EXPECT_EQ(mid[0], -1);
  inner->GetMidPoint(mid);
  EXPECT_EQ(mid[0], 4);  // point 2 of the five
  EXPECT_EQ(mid[1], 4);
}

TEST_F(LoopTest, AdjustStartPointSplitsAtTheNearestPoint) {
  auto loop = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  const double pt[2] = {4.5, 1.0};
  ASSERT_EQ(loop->AdjustStartPoint(pt), 1);
  double s[2], e[2];
  loop->GetStartPoint(s);
  loop->GetEndPoint(e);
  EXPECT_DOUBLE_EQ(s[0], 4.0);
  EXPECT_DOUBLE_EQ(s[1], 1.0);
  EXPECT_DOUBLE_EQ(e[1], 1.0);
  EXPECT_EQ(loop->GetSegmentCount(), 5);
  EXPECT_EQ(loop->IsLoop(0.01), 1);
  loop->Discrete(0.01);
  EXPECT_DOUBLE_EQ(loop->EvArea(0.01), 16.0);
  // A point nearest a corner: no split, the corner's piece moves to the head.
  const double corner[2] = {-1.0, 4.5};
  ASSERT_EQ(loop->AdjustStartPoint(corner), 1);
  EXPECT_EQ(loop->GetSegmentCount(), 5);
  loop->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 0.0);
  EXPECT_DOUBLE_EQ(s[1], 4.0);
  // By position: halfway along the second sub-curve.
  ASSERT_EQ(loop->AdjustStartPoint(0.5, 1, 2), 1);
  loop->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 2.0);
  EXPECT_DOUBLE_EQ(s[1], 0.0);
  EXPECT_EQ(loop->AdjustStartPoint(0.5, 1, 9), 0);
  CGeLoop empty;
  EXPECT_EQ(empty.AdjustStartPoint(pt), 0);
}

TEST_F(LoopTest, StartLeavesCornersOfTheGivenTurn) {
  // Counter-clockwise square: every corner turns left, so turn 1 stays and turn 0 goes all
  // the way round and then starts halfway along the first side.
  auto loop = Polygon({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
  EXPECT_EQ(loop->AdjustStartPointToOuterNode(1), 1);
  double s[2];
  loop->GetStartPoint(s);
  EXPECT_EQ(s[0], 0.0);
  EXPECT_EQ(loop->AdjustStartPointToOuterNode(0), 1);
  loop->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 1.0);
  EXPECT_DOUBLE_EQ(s[1], 0.0);
  EXPECT_EQ(loop->GetSegmentCount(), 5);
  EXPECT_EQ(loop->IsLoop(0.01), 1);  // the split head's halves close the chain
  // An L shape clockwise from a right-turning corner moves on to the first left turn.
  auto ell = Polygon({{0, 0}, {0, 4}, {4, 4}, {4, 2}, {2, 2}, {2, 0}});
  EXPECT_EQ(ell->AdjustStartPointToOuterNode(1), 1);
  ell->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 2.0);
  EXPECT_DOUBLE_EQ(s[1], 2.0);
  CGeLoop open;
  EXPECT_EQ(open.AdjustStartPointToOuterNode(1), 0);
}

TEST_F(LoopTest, StitchClosesSmallGapsOnly) {
  struct Case {
    double gap;
    bool headIsLine;
    bool closes;
  };
  const Case cases[] = {{0.02, true, false}, {0.005, true, true}, {0.005, false, true}};
  for (const Case& c : cases) {
    CGeLoop loop;
    const double a[2] = {0, 0}, b[2] = {4, 0}, b2[2] = {4, 0.003}, d[2] = {0, c.gap};
    const double centre[2] = {2, 0};
    if (c.headIsLine) {
      loop.AddTail(new CGeLine(a, b), 0);
    } else {
      auto* arc = new CGeArc;
      arc->CreateCSEAngle(centre, 2.0, std::numbers::pi, 2 * std::numbers::pi);
      loop.AddTail(arc, 0);
    }
    loop.AddTail(new CGeLine(b2, d), 0);  // 0.003 gap after the head
    loop.Stitch(0.001);
    double s[2], e[2], m[2];
    loop.GetStartPoint(s);
    loop.GetEndPoint(e);
    loop.GetSubCurve(1)->GetEndPoint(m);
    // Inner gaps close: a line before the gap is stretched, anything else pulls the next start.
    EXPECT_NEAR(m[1], c.headIsLine ? 0.003 : 0.0, 1e-12);
    EXPECT_EQ(std::hypot(s[0] - e[0], s[1] - e[1]) < 1e-12, c.closes) << c.gap;
  }
}

TEST_F(LoopTest, ArcsBecomeChordsOrTangentPairs) {
  const double centre[2] = {0, 0};
  auto make = [&](double sweep) {
    auto loop = std::make_unique<CGeLoop>();
    auto* arc = new CGeArc;
    arc->CreateCSEAngle(centre, 2.0, 0.0, sweep);
    loop->AddTail(arc, 0);
    return loop;
  };
  auto chord = make(std::numbers::pi / 2);
  chord->ArctoLine();
  ASSERT_EQ(chord->GetSubCurve(1)->GetType(), GE_TYPE_LINE);
  auto tangents = make(std::numbers::pi / 2);
  tangents->ArctoExtendLine();
  ASSERT_EQ(tangents->GetSegmentCount(), 2);
  double apex[2];
  tangents->GetSubCurve(1)->GetEndPoint(apex);
  EXPECT_NEAR(apex[0], 2.0, 1e-9);  // the end tangents of a quarter circle meet at (r, r)
  EXPECT_NEAR(apex[1], 2.0, 1e-9);
  auto half = make(std::numbers::pi);
  half->ArctoLine();
  EXPECT_EQ(half->GetSubCurve(1)->GetType(), GE_TYPE_ARC);
}

TEST_F(LoopTest, SeperateComCurveAndArchiveOfNestedLoop) {
  CGeLoop loop;
  auto* comb = new CGeCombCurve;
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {1, 1};
  comb->m_CurveList.AddTail(new CGeLine(a, b));
  comb->m_CurveList.AddTail(new CGeLine(b, c));
  loop.m_CurveList.AddTail(comb);
  loop.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  loop.m_CurveList.AddTail(new CGeLine(c, a));
  loop.SetOuterFlag();

  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << static_cast<CObject*>(&loop);
    ar.Close();
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CGeLoop* back = nullptr;
  ar >> back;
  std::unique_ptr<CGeLoop> owned(back);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetSegmentCount(), 3);
  EXPECT_EQ(back->IsOuterLoop(), 1);
  EXPECT_EQ(back->GetSubCurve(1)->GetType(), GE_TYPE_COMBCURVE);
  EXPECT_EQ(back->IsLoop(0.01), 0);  // a null entry breaks the chain

  back->SeperateComCurve();
  EXPECT_EQ(back->GetSegmentCount(), 3);  // nested members out, null dropped
  EXPECT_EQ(back->GetSubCurve(1)->GetType(), GE_TYPE_LINE);
  EXPECT_EQ(back->IsLoop(0.01), 1);
  EXPECT_NEAR(back->EvArea(0.01), 0.5, 1e-6);
}

}  // namespace
