// Arcs in Bezier form: the form itself, and the unequal scalings and shears that answer with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "support/VurodeFixture.h"

namespace {
const double kC[2] = {1.0, 2.0};
// Largest radial error of the quarter-circle cubic, per unit of radius.
constexpr double kCubicBound = 2.73e-4;

CGeArc MakeArc(double r, double a0, double sweep) {
  CGeArc arc;
  EXPECT_EQ(arc.CreateCSEAngle(kC, r, a0, a0 + sweep), 1);
  return arc;
}

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// A scaling (kind 0: factors a, b) or a shear (kind 1: P2D_Shift factors a, b, one of them 0)
// about kPivot, with its inverse written out independently.
struct Affine {
  int kind;
  double a, b;
};
const double kPivot[2] = {-1.0, 0.5};

void Apply(const Affine& m, const double p[2], double out[2]) {
  const double x = p[0] - kPivot[0], y = p[1] - kPivot[1];
  if (m.kind == 0) {
    out[0] = kPivot[0] + m.a * x;
    out[1] = kPivot[1] + m.b * y;
  } else {
    out[0] = p[0] + m.a * y;
    out[1] = p[1] + m.b * x;
  }
}

void Invert(const Affine& m, double p[2]) {
  if (m.kind == 0) {
    p[0] = kPivot[0] + (p[0] - kPivot[0]) / m.a;
    p[1] = kPivot[1] + (p[1] - kPivot[1]) / m.b;
  } else if (m.a != 0.0) {
    p[0] -= m.a * (p[1] - kPivot[1]);
  } else {
    p[1] -= m.b * (p[0] - kPivot[0]);
  }
}

// Dense samples of the Bezier, mapped back by `inverse` when given, must run along the arc:
// each on its circle within the cubic's bound, turning steadily in the arc's sense from its
// start angle through exactly its sweep.
void ExpectRunsAlongArc(CGeBezier& bez, const CGeArc& arc, const Affine* inverse = nullptr) {
  const double r = arc.m_dRadius, sense = arc.m_dSweep > 0.0 ? 1.0 : -1.0;
  double worst = 0.0, turned = 0.0, prev = 0.0, backwards = 0.0;
  bool first = true;
  for (int seg = 1; seg <= bez.GetSegmentCount(); ++seg)
    for (int i = seg == 1 ? 0 : 1; i <= 64; ++i) {
      double p[2];
      bez.GetPointAt(i / 64.0, p, static_cast<unsigned>(seg));
      if (inverse) Invert(*inverse, p);
      const double v[2] = {p[0] - arc.m_ptCenter[0], p[1] - arc.m_ptCenter[1]};
      worst = std::max(worst, std::fabs(std::hypot(v[0], v[1]) - r));
      const double ang = std::atan2(v[1], v[0]);
      if (first) {
        EXPECT_NEAR(std::remainder(ang - std::atan2(arc.m_vStart[1], arc.m_vStart[0]), 2 * std::numbers::pi),
                    0.0, 1e-9);
      } else {
        const double step = sense * std::remainder(ang - prev, 2 * std::numbers::pi);
        backwards = std::min(backwards, step);
        turned += step;
      }
      first = false;
      prev = ang;
    }
  EXPECT_LE(worst, kCubicBound * r);
  EXPECT_GE(backwards, -1e-12);
  EXPECT_NEAR(turned, std::fabs(arc.m_dSweep), 1e-9);
}

using ArcBezierTest = VurodeTest;

TEST_F(ArcBezierTest, BezierFormRunsAlongTheArcWithExactEnds) {
  struct Case {
    double r, a0, sweep;
    int segments;
  };
  const Case cases[] = {
      {5, 0.3, std::numbers::pi / 2, 1},         {5, 0.3, std::numbers::pi, 2},           {5, 0.3, 1.5 * std::numbers::pi, 3},
      {5, 0.3, std::numbers::pi / 2 + 5e-4, 1},  {5, 1.0, 2 * std::numbers::pi, 4},       {5, 0.3, 0.7, 1},
      {5, 2.0, 2.5, 2},             {5, -0.4, 4.0, 3},          {5, 0.3, 5.5, 4},
      {5, 0.3, -1.2, 1},            {5, 4.0, -std::numbers::pi, 2},          {5, 1.0, -4.0, 3},
      {5, 0.5, -2 * std::numbers::pi, 4},        {0.01, 2.0, 1.0, 1},        {1e4, 0.2, 1e-5, 1},
      {5, 0.3, 2 * std::numbers::pi + 1.0, 5},  // beyond a turn: the quarters go round again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "r " << c.r << " a0 " << c.a0 << " sweep " << c.sweep);
    CGeArc arc = MakeArc(c.r, c.a0, c.sweep);
    std::unique_ptr<CGeBezier> bez(arc.ToBezier());
    ASSERT_TRUE(bez);
    EXPECT_EQ(bez->GetSegmentCount(), c.segments);
    double s[2], e[2];
    arc.GetStartPoint(s);
    arc.GetEndPoint(e);
    const CBezierNode& first = bez->m_pNode[0];
    const CBezierNode& last = bez->m_pNode[bez->GetNodeCount() - 1];
    EXPECT_EQ(first.x, s[0]);
    EXPECT_EQ(first.y, s[1]);
    EXPECT_EQ(last.x, e[0]);
    EXPECT_EQ(last.y, e[1]);
    EXPECT_GT(bez->m_nSWPoint, 1);  // ready to draw
    ExpectRunsAlongArc(*bez, arc);
  }
  CGeArc none;  // no sweep: no Bezier form
  EXPECT_EQ(none.ToBezier(), nullptr);
}

TEST_F(ArcBezierTest, UnequalScaleAndShearAnswerWithTheTransformedArcsBezier) {
  const Affine maps[] = {{0, 2.0, 0.5}, {0, -1.5, 2.0}, {1, 0.4, 0.0}, {1, 0.0, -0.3}};
  for (const Affine& m : maps)
    for (double sweep : {2.0, -4.0, 2 * std::numbers::pi}) {
      SCOPED_TRACE(testing::Message() << "map " << m.kind << " " << m.a << " " << m.b
                                      << " sweep " << sweep);
      CGeArc before = MakeArc(3.0, 1.0, sweep);  // untouched reference (no buffer to share)
      CGeArc arc = MakeArc(3.0, 1.0, sweep);
      arc.Discrete(0.01);
      double s[2], e[2], buf0[2], bufN[2];
      arc.GetStartPoint(s);
      arc.GetEndPoint(e);
      Apply(m, arc.m_pSWPoint[0], buf0);
      Apply(m, arc.m_pSWPoint[arc.m_nSWPoint - 1], bufN);
      const double f[2] = {m.a, m.b};
      std::unique_ptr<CGeShape2d> out(m.kind == 0 ? arc.Scale(kPivot, f) : arc.Shift(kPivot, f));
      ASSERT_TRUE(out);
      ASSERT_NE(out.get(), &arc);
      ASSERT_EQ(static_cast<CGeCurve*>(out.get())->GetType(), GE_TYPE_BEZIER);
      auto& bez = static_cast<CGeBezier&>(*static_cast<CGeCurve*>(out.get()));

      // The arc keeps its data; its own buffer went along with the map.
      EXPECT_EQ(arc.m_dRadius, before.m_dRadius);
      EXPECT_EQ(arc.m_dSweep, before.m_dSweep);
      EXPECT_EQ(arc.m_ptCenter[0], before.m_ptCenter[0]);
      EXPECT_NEAR(Dist(arc.m_pSWPoint[0], buf0), 0.0, 1e-12);
      EXPECT_NEAR(Dist(arc.m_pSWPoint[arc.m_nSWPoint - 1], bufN), 0.0, 1e-12);

      // Mapped back, the Bezier runs along the original arc ...
      ExpectRunsAlongArc(bez, before, &m);
      double ts[2], te[2], bs[2], be[2];
      Apply(m, s, ts);
      Apply(m, e, te);
      bez.GetStartPoint(bs);
      bez.GetEndPoint(be);
      EXPECT_NEAR(Dist(bs, ts), 0.0, 1e-12);
      EXPECT_NEAR(Dist(be, te), 0.0, 1e-12);
      // ... and every mapped arc point has the Bezier close by.
      const double stretch = 2.0 * std::max(std::fabs(m.a), std::fabs(m.b)) + 1.0;
      double worst = 0.0;
      for (int i = 0; i <= 200; ++i) {
        double p[2], tp[2], foot[2], t = 0.0, dist = 1e12;
        unsigned seg = 0;
        before.GetPointAt(i / 200.0, p, 1);
        Apply(m, p, tp);
        ASSERT_EQ(bez.GetNearestPoint(tp, foot, t, seg, dist), 1);
        worst = std::max(worst, dist);
      }
      EXPECT_LE(worst, kCubicBound * before.m_dRadius * stretch);
    }
}

TEST_F(ArcBezierTest, UnequalScaleWithoutABezierFormIsNull) {
  CGeArc none;  // no sweep
  const double f[2] = {2.0, 3.0}, q[2] = {0.5, 0.0};
  EXPECT_EQ(none.Scale(kPivot, f), nullptr);
  EXPECT_EQ(none.Shift(kPivot, q), nullptr);
}

}  // namespace
