// Biarc fitting of point sequences: circle samples give arcs on that circle, fits stay within
// tolerance of the sampled curve and are tangent-continuous at their joints.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/tools/CurveFit.h"
#include "tests/geometry/tools/CurveFitTestUtil.h"

using namespace fittest;

namespace {
struct Samples {
  std::vector<double> pts;  // x, y pairs
  std::vector<double> tans;
  int Count() const { return static_cast<int>(pts.size() / 2); }
  const double (*P() const)[2] { return reinterpret_cast<const double(*)[2]>(pts.data()); }
  const double (*T() const)[2] { return reinterpret_cast<const double(*)[2]>(tans.data()); }
};

Samples OnCircle(P c, double r, double a0, double sweep, int n) {
  Samples s;
  for (int i = 0; i < n; ++i) {
    const double a = a0 + sweep * i / (n - 1);
    s.pts.push_back(c.x + r * std::cos(a));
    s.pts.push_back(c.y + r * std::sin(a));
    const double dir = sweep > 0 ? 1.0 : -1.0;
    s.tans.push_back(-std::sin(a) * dir);
    s.tans.push_back(std::cos(a) * dir);
  }
  return s;
}

std::unique_ptr<CGeCombCurve> Fit(const Samples& s, bool withTangents, double tol) {
  return std::unique_ptr<CGeCombCurve>(
      geBiarcsFitCurve(s.P(), withTangents ? s.T() : nullptr, s.Count(), tol));
}

struct CircleCase {
  std::string name;
  P centre;
  double r, a0, sweep;
  int n;
  bool tangents;
  double tol;
  int maxPieces;         // pieces must span several points each
  double centreTol;      // how far arc centres may stray from the circle's
  int looseEnds = 0;     // arcs at each end that follow an estimated end tangent instead
};

void PrintTo(const CircleCase& c, std::ostream* os) { *os << c.name; }

const std::vector<CircleCase> kCircles = {
    {"three quarters ccw with tangents", {2, -1}, 5, 0.3, 1.5 * std::numbers::pi, 120, true, 0.01, 8, 1e-6},
    {"half turn cw with tangents", {-4, 7}, 3, 1.0, -std::numbers::pi, 60, true, 0.01, 4, 1e-6},
    // Tangents and chord make mirror-equal components: still one biarc on the circle.
    {"half circle over a diagonal chord", {0.5, 0.5}, std::sqrt(0.5), -0.75 * std::numbers::pi, -std::numbers::pi, 41, true,
     0.001, 2, 1e-6},
    {"full turn less a step with tangents", {0, 0}, 10, 0.0, 2 * std::numbers::pi - 0.05, 400, true, 0.01, 8,
     1e-6},
    // Estimated tangents lag half a step at the ends; the centre moves by about that.
    {"three quarters estimated tangents", {2, -1}, 5, 0.3, 1.5 * std::numbers::pi, 300, false, 0.01, 40,
     1e-6, 2},
};

class BiarcCircle : public ::testing::TestWithParam<CircleCase> {};

TEST_P(BiarcCircle, ArcsLieOnTheSampledCircle) {
  const CircleCase& c = GetParam();
  const Samples s = OnCircle(c.centre, c.r, c.a0, c.sweep, c.n);
  auto comb = Fit(s, c.tangents, c.tol);
  ASSERT_TRUE(comb);
  CGeCurveList& list = comb->m_CurveList;
  ASSERT_FALSE(list.IsEmpty());
  EXPECT_LE(list.GetCount(), c.maxPieces);
  const std::vector<CGeCurve*> pieces = Items(list);
  for (size_t i = 0; i < pieces.size(); ++i) {
    ASSERT_EQ(pieces[i]->GetType(), GE_TYPE_ARC);
    auto* arc = static_cast<CGeArc*>(pieces[i]);
    EXPECT_EQ(arc->m_dSweep > 0, c.sweep > 0);
    const size_t loose = static_cast<size_t>(c.looseEnds);
    if (i < loose || i + loose >= pieces.size()) continue;
    EXPECT_NEAR(arc->m_ptCenter[0], c.centre.x, c.centreTol);
    EXPECT_NEAR(arc->m_ptCenter[1], c.centre.y, c.centreTol);
    EXPECT_NEAR(arc->m_dRadius, c.r, c.centreTol);
  }
  EXPECT_LT(LargestGap(list), 1e-9);
  EXPECT_LT(LargestJointTurn(list), 1e-6);
  const std::vector<P> exact = SampleFunction(
      [&](double t) {
        const double a = c.a0 + c.sweep * t;
        return P{c.centre.x + c.r * std::cos(a), c.centre.y + c.r * std::sin(a)};
      },
      3000);
  EXPECT_LE(Hausdorff(exact, SampleList(list, 100)), c.tol);
}

INSTANTIATE_TEST_SUITE_P(CurveFit, BiarcCircle, ::testing::ValuesIn(kCircles),
                         CaseName);

TEST(BiarcFit, FreeCurveStaysWithinToleranceAndTurnsSmoothlyAtJoints) {
  // A wave and a spiral sampled densely; the fit is checked against the exact curves.
  const std::vector<std::function<P(double)>> curves = {
      [](double t) { return P{20 * t, 2 * std::sin(6 * t) + 0.5 * std::sin(17 * t)}; },
      [](double t) {
        const double a = 4 * std::numbers::pi * t, r = 2 + 3 * t;
        return P{r * std::cos(a), r * std::sin(a)};
      },
  };
  for (double tol : {0.05, 0.005}) {
    for (const auto& f : curves) {
      Samples s;
      for (int i = 0; i <= 2000; ++i) {
        const P p = f(i / 2000.0);
        s.pts.push_back(p.x);
        s.pts.push_back(p.y);
      }
      auto comb = Fit(s, false, tol);
      ASSERT_TRUE(comb);
      CGeCurveList& list = comb->m_CurveList;
      EXPECT_LT(list.GetCount(), s.Count() / 4) << "pieces should span several points";
      EXPECT_LT(LargestGap(list), 1e-9);
      // Tangents at the joints are the estimated ones at the shared point.
      EXPECT_LT(LargestJointTurn(list), 1e-6);
      EXPECT_LE(Hausdorff(SampleFunction(f, 4000), SampleList(list, 100)), tol);
    }
  }
}

TEST(BiarcFit, EllipseApproximatesAsAClosedTangentChainOfArcs) {
  const double c[2] = {1, 2};
  for (int dir : {1, 0}) {
    CGeEllipse ell(c, 6, 3, 0.4, dir);
    CGeCurveList list;
    ell.BiArcAppx(0.01, &list);
    ASSERT_GT(list.GetCount(), 4);
    EXPECT_LT(LargestGap(list), 1e-9);
    double s[2], e[2];
    list.GetHead()->GetStartPoint(s);
    list.GetTail()->GetEndPoint(e);
    EXPECT_LT(std::hypot(s[0] - e[0], s[1] - e[1]), 1e-5);
    // Joints meet at the tangents estimated from the discretised points.
    EXPECT_LT(LargestJointTurn(list), 1e-6);
    const std::vector<P> exact = SampleFunction(
        [&](double t) {
          double p[2];
          ell.EvPos(t, p, 1);
          return P{p[0], p[1]};
        },
        4000);
    // The points come from a discretisation within the same tolerance.
    EXPECT_LE(Hausdorff(exact, SampleList(list, 100)), 2 * 0.01);
    FreeList(list);
  }
}

TEST(BiarcFit, StraightAndDegenerateInput) {
  // Collinear points: one line.
  Samples line;
  for (int i = 0; i < 20; ++i) line.pts.push_back(1 + 0.5 * i), line.pts.push_back(2 - 0.25 * i);
  auto comb = Fit(line, false, 0.01);
  ASSERT_TRUE(comb);
  ASSERT_EQ(comb->m_CurveList.GetCount(), 1);
  EXPECT_EQ(comb->m_CurveList.GetHead()->GetType(), GE_TYPE_LINE);

  // Two points: the line between them.
  comb = Fit(Samples{{0, 0, 3, 4}, {}}, false, 0.01);
  ASSERT_TRUE(comb);
  ASSERT_EQ(comb->m_CurveList.GetCount(), 1);
  EXPECT_EQ(comb->m_CurveList.GetHead()->GetType(), GE_TYPE_LINE);

  EXPECT_EQ(geBiarcsFitCurve(line.P(), nullptr, 1, 0.01), nullptr);
  EXPECT_EQ(geBiarcsFitCurve(nullptr, nullptr, 5, 0.01), nullptr);

  // Repeated points are stepped over; the chain stays joined from first to last point.
  Samples rep = OnCircle({0, 0}, 4, 0, std::numbers::pi, 30);
  rep.pts.insert(rep.pts.begin() + 20, {rep.pts[18], rep.pts[19]});
  rep.pts.insert(rep.pts.begin() + 20, {rep.pts[18], rep.pts[19]});
  comb = Fit(rep, false, 0.01);
  ASSERT_TRUE(comb);
  EXPECT_LT(LargestGap(comb->m_CurveList), 1e-9);
  double e[2];
  comb->m_CurveList.GetTail()->GetEndPoint(e);
  EXPECT_NEAR(e[0], -4.0, 1e-9);
  EXPECT_NEAR(e[1], 0.0, 1e-9);
}

TEST(BiarcFit, NeighboursWhoseBiarcWouldBulgeGiveTheChord) {
  // The given tangents swing the biarc far off the short chord between neighbours.
  const Samples s{{0, 0, 1, 0, 2, 0.5}, {0, 1, 1, -1, 1, 1}};
  auto comb = Fit(s, true, 0.01);
  ASSERT_TRUE(comb);
  CGeCurve* first = comb->m_CurveList.GetHead();
  ASSERT_EQ(first->GetType(), GE_TYPE_LINE);
  double e[2];
  first->GetEndPoint(e);
  EXPECT_EQ(e[0], 1.0);
  EXPECT_EQ(e[1], 0.0);
}

TEST(BiarcFit, EqualTangentsAcrossTheChordGiveAnSOfTwoHalfCircles) {
  // Two half circles: up over (1, 0), then down under (3, 0); both tangents point up.
  Samples s;
  for (int i = 0; i <= 20; ++i) {
    const double a = std::numbers::pi - std::numbers::pi * i / 20;
    s.pts.insert(s.pts.end(), {1 + std::cos(a), std::sin(a)});
    s.tans.insert(s.tans.end(), {std::sin(a), -std::cos(a)});
  }
  for (int i = 1; i <= 20; ++i) {
    const double a = std::numbers::pi + std::numbers::pi * i / 20;
    s.pts.insert(s.pts.end(), {3 + std::cos(a), std::sin(a)});
    s.tans.insert(s.tans.end(), {-std::sin(a), std::cos(a)});
  }
  auto comb = Fit(s, true, 0.01);
  ASSERT_TRUE(comb);
  const std::vector<CGeCurve*> arcs = Items(comb->m_CurveList);
  ASSERT_EQ(arcs.size(), 2u);
  for (CGeCurve* c : arcs) ASSERT_EQ(c->GetType(), GE_TYPE_ARC);
  auto* a1 = static_cast<CGeArc*>(arcs[0]);
  auto* a2 = static_cast<CGeArc*>(arcs[1]);
  EXPECT_NEAR(a1->m_ptCenter[0], 1.0, 1e-9);
  EXPECT_NEAR(a2->m_ptCenter[0], 3.0, 1e-9);
  EXPECT_NEAR(a1->m_dSweep, -std::numbers::pi, 1e-9);
  EXPECT_NEAR(a2->m_dSweep, std::numbers::pi, 1e-9);
}

}  // namespace
