// Arc constructions, evaluation, discretisation and editing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "support/VurodeFixture.h"

namespace {
const double kC[2] = {1.0, 2.0};
constexpr double kR = 5.0;

// Point of the reference circle (centre kC, radius kR) at an angle.
std::array<double, 2> P(double a) { return {kC[0] + kR * std::cos(a), kC[1] + kR * std::sin(a)}; }
std::array<double, 2> CcwTan(double a) { return {-std::sin(a), std::cos(a)}; }

CGeArc MakeArc(const double c[2], double r, double a0, double a1) {
  CGeArc arc;
  EXPECT_EQ(arc.CreateCSEAngle(c, r, a0, a1), 1);
  return arc;
}

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

using ArcTest = VurodeTest;

struct Construction {
  const char* name;
  std::function<int(CGeArc&)> make;
  double sweep;  // expected; the start is always P(0.3) on the reference circle
};

TEST_F(ArcTest, EveryConstructionRecoversTheReferenceCircle) {
  const auto s = P(0.3), m = P(1.0), e = P(2.0), diaEnd = P(0.3 + std::numbers::pi);
  const double longCw = -(2 * std::numbers::pi - 1.7), longCcw = 2 * std::numbers::pi - 1.7;
  const Construction cases[] = {
      {"3 points ccw", [&](CGeArc& a) { return a.Create3Pnt(s.data(), m.data(), e.data()); }, 1.7},
      {"CSE ccw", [&](CGeArc& a) { return a.CreateCSE(kC, s.data(), e.data(), 1); }, 1.7},
      {"CSE cw", [&](CGeArc& a) { return a.CreateCSE(kC, s.data(), e.data(), 0); }, longCw},
      {"CSE diameter ccw", [&](CGeArc& a) { return a.CreateCSE(kC, s.data(), diaEnd.data(), 1); }, std::numbers::pi},
      {"CSE diameter cw", [&](CGeArc& a) { return a.CreateCSE(kC, s.data(), diaEnd.data(), 0); }, -std::numbers::pi},
      {"CSE minor", [&](CGeArc& a) { return a.CreateCSE(0, kC, s.data(), e.data()); }, 1.7},
      {"CSE major", [&](CGeArc& a) { return a.CreateCSE(1, kC, s.data(), e.data()); }, longCw},
      {"CSE angles", [&](CGeArc& a) { return a.CreateCSEAngle(kC, kR, 0.3, 2.0); }, 1.7},
      {"SE start tangent ccw",
       [&](CGeArc& a) { return a.CreateSESTan(s.data(), e.data(), CcwTan(0.3).data()); }, 1.7},
      {"SE start tangent cw",
       [&](CGeArc& a) {
         const auto t = CcwTan(0.3);
         const double cw[2] = {-t[0], -t[1]};
         return a.CreateSESTan(s.data(), e.data(), cw);
       },
       longCw},
      {"SE end tangent ccw",
       [&](CGeArc& a) { return a.CreateSEETan(s.data(), e.data(), CcwTan(2.0).data()); }, 1.7},
      {"SE end tangent cw",
       [&](CGeArc& a) {
         const auto t = CcwTan(2.0);
         const double cw[2] = {-t[0], -t[1]};
         return a.CreateSEETan(s.data(), e.data(), cw);
       },
       longCw},
      {"SE radius", [&](CGeArc& a) { return a.CreateSERad(s.data(), e.data(), kR, 0); }, longCw},
      {"SE sweep short", [&](CGeArc& a) { return a.CreateSEAngle(s.data(), e.data(), 1.7); }, 1.7},
      {"SE sweep long", [&](CGeArc& a) { return a.CreateSEAngle(s.data(), e.data(), longCw); }, longCw},
      {"SE sweep long ccw",
       [&](CGeArc& a) {
         // Start and end swapped: the long counter-clockwise way from e to s.
         return a.CreateSEAngle(e.data(), s.data(), longCcw);
       },
       longCcw},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGeArc arc;
    ASSERT_EQ(c.make(arc), 1);
    EXPECT_NEAR(arc.m_ptCenter[0], kC[0], 1e-9);
    EXPECT_NEAR(arc.m_ptCenter[1], kC[1], 1e-9);
    EXPECT_NEAR(arc.m_dRadius, kR, 1e-9);
    EXPECT_NEAR(arc.m_dSweep, c.sweep, 1e-9);
    double start[2], end[2];
    arc.GetStartPoint(start);
    arc.GetEndPoint(end);
    const auto& expStart = std::string(c.name) == "SE sweep long ccw" ? e : s;
    EXPECT_NEAR(Dist(start, expStart.data()), 0.0, 1e-9);
  }
}

TEST_F(ArcTest, DegenerateConstructionsFail) {
  const double a[2] = {0, 0}, b[2] = {1, 1}, c[2] = {2, 2}, far[2] = {5, 0};
  const double along[2] = {1, 1};
  CGeArc arc;
  EXPECT_EQ(arc.Create3Pnt(a, b, c), 0);                       // collinear
  EXPECT_EQ(arc.CreateCSE(a, far, far, 1), 0);                 // start = end
  EXPECT_EQ(arc.CreateCSEAngle(a, 1e-7, 0.0, 1.0), 0);         // no radius
  EXPECT_EQ(arc.CreateSESTan(a, c, along), 0);                 // tangent along the chord
  EXPECT_EQ(arc.CreateSEETan(a, c, along), 0);
  EXPECT_EQ(arc.CreateSERad(a, c, 0.0, 1), 0);
  EXPECT_EQ(arc.CreateSERad(a, a, 3.0, 1), 0);                 // no chord
  EXPECT_EQ(arc.CreateSEAngle(a, a, 0.0), 0);
  // A zero sweep would need an infinite radius, a zero chord a zero one: both refused.
  EXPECT_EQ(arc.CreateSEAngle(a, far, 0.0), 0);
  EXPECT_EQ(arc.CreateSEAngle(a, a, 1.0), 0);
  EXPECT_EQ(arc.CreateSEAngle(a, far, 2 * std::numbers::pi), 0);
  // The angle form keeps its data even when the sweep is too small.
  EXPECT_EQ(arc.CreateCSEAngle(kC, 2.0, 0.5, 0.5), 0);
  EXPECT_DOUBLE_EQ(arc.m_dRadius, 2.0);
}

TEST_F(ArcTest, RadiusBelowHalfChordGivesHalfCircle) {
  const double s[2] = {0, 0}, e[2] = {4, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateSERad(s, e, 1.0, 1), 1);
  EXPECT_NEAR(arc.m_dRadius, 2.0, 1e-12);
  EXPECT_NEAR(std::fabs(arc.m_dSweep), std::numbers::pi, 1e-9);
}

TEST_F(ArcTest, DefaultArcIsZeroed) {
  CGeArc arc;
  EXPECT_EQ(arc.m_ptCenter[0], 0.0);
  EXPECT_EQ(arc.m_ptCenter[1], 0.0);
  EXPECT_EQ(arc.m_dRadius, 0.0);
  EXPECT_EQ(arc.m_vStart[0], 0.0);
  EXPECT_EQ(arc.m_vStart[1], 0.0);
  EXPECT_EQ(arc.m_dSweep, 0.0);
  EXPECT_EQ(arc.m_pSWPoint, nullptr);
  EXPECT_EQ(arc.EvTotalArcLength(), 0.0);
}

TEST_F(ArcTest, DiscreteStepFollowsTheChordRule) {
  const double o[2] = {0, 0};
  struct Case {
    double r, sweep, tol, step;
  } cases[] = {
      {10, std::numbers::pi / 2, 0.01, 1.0 / 18},  // trunc((pi/2)/(2 acos 0.999)) + 1
      {10, std::numbers::pi / 2, 20, 0.1},         // tolerance above the radius
      {10, 0.01, 0.01, 1.0 / 8},      // raised to eight segments
      {0, 1.0, 0.01, 0.1},            // degenerate radius
  };
  for (const auto& c : cases) {
    CGeArc arc;
    arc.CreateCSEAngle(o, 1.0, 0.0, c.sweep);
    arc.m_dRadius = c.r;
    double step = -1;
    EXPECT_EQ(arc.GetDiscStep(c.tol, step), 1);
    EXPECT_NEAR(step, c.step, 1e-12) << c.r << " " << c.tol;
  }
  // A zero tolerance asks for infinitely many segments; the count stays bounded.
  CGeArc arc = MakeArc(o, 10, 0, std::numbers::pi);
  double step = 0;
  arc.GetDiscStep(0.0, step);
  EXPECT_GT(step, 0.0);
  EXPECT_TRUE(std::isfinite(step));
}

TEST_F(ArcTest, DiscretePointCountsAndChordError) {
  struct Case {
    double r, a0, sweep, tol;
    int points;  // -1: only check the chord error
  } cases[] = {
      {10, 0, 2 * std::numbers::pi, 0.01, 141},     // trunc(2pi / acos(0.999)) + 1
      {10, 0, std::numbers::pi / 2, 0.01, 36},
      {10, 1, -std::numbers::pi / 2, 0.01, 36},
      {10, 0, 0.1, 0.01, 6},           // raised to five segments
      {10, 0, std::numbers::pi, 0.001, -1},         // tolerance below the 0.005 floor
      {0.001, 0, 2 * std::numbers::pi, 0.01, 6},    // radius far below the tolerance
      {250, 0.4, 3.0, 0.05, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "r=" << c.r << " sweep=" << c.sweep);
    CGeArc arc = MakeArc(kC, c.r, c.a0, c.a0 + c.sweep);
    arc.Discrete(c.tol);
    ASSERT_NE(arc.m_pSWPoint, nullptr);
    if (c.points > 0) {
      EXPECT_EQ(arc.m_nSWPoint, c.points);
    }
    const double m = std::max(c.tol, 0.005);
    double s[2], e[2];
    arc.GetStartPoint(s);
    arc.GetEndPoint(e);
    EXPECT_NEAR(Dist(arc.m_pSWPoint[0], s), 0.0, 1e-4);
    EXPECT_NEAR(Dist(arc.m_pSWPoint[arc.m_nSWPoint - 1], e), 0.0, 1e-4);
    for (int i = 0; i + 1 < arc.m_nSWPoint; ++i) {
      const double* p = arc.m_pSWPoint[i];
      const double* q = arc.m_pSWPoint[i + 1];
      ASSERT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]));
      const double mid[2] = {0.5 * (p[0] + q[0]), 0.5 * (p[1] + q[1])};
      EXPECT_LE(c.r - Dist(mid, kC), m + 1e-4) << i;
    }
  }
}

TEST_F(ArcTest, HugeRadiusStaysBounded) {
  CGeArc arc = MakeArc(kC, 1e12, 0, 2 * std::numbers::pi);
  arc.Discrete(0.0);
  ASSERT_NE(arc.m_pSWPoint, nullptr);
  EXPECT_LE(arc.m_nSWPoint, 100001);
  EXPECT_GE(arc.m_nSWPoint, 6);
}

TEST_F(ArcTest, LengthsAndParameters) {
  CGeArc arc = MakeArc(kC, 3.0, 0.5, 0.5 - 2.0);
  EXPECT_NEAR(arc.EvTotalArcLength(), 6.0, 1e-12);
  EXPECT_NEAR(arc.EvArcLength(0.75, 0.25, 1), 3.0, 1e-12);
  EXPECT_NEAR(geCurveLength(&arc, 0.5, 1), 3.0, 1e-12);
  double t = -1;
  unsigned seg = 0;
  ASSERT_EQ(arc.EvParam(1.5, t, seg), 1);
  EXPECT_NEAR(t, 0.25, 1e-12);
  EXPECT_EQ(seg, 1u);
  ASSERT_EQ(arc.EvParam(100.0, t, seg), 1);
  EXPECT_NEAR(t, 1.0, 1e-12);
  // A zero-length arc has no parameter for a length.
  CGeArc flat;
  flat.CreateCSEAngle(kC, 3.0, 0.5, 0.5);
  t = -7;
  EXPECT_EQ(flat.EvParam(1.0, t, seg), 0);
  EXPECT_EQ(t, -7);
}

TEST_F(ArcTest, DerivativesMatchFiniteDifferences) {
  CGeArc arc = MakeArc(kC, 2.0, 0.2, -1.9);
  const double t = 0.37, h = 1e-6;
  double p[2], d1[2], d2[2], pa[2], pb[2], da[2], db[2], tmp[2];
  arc.Ev2Der(t, p, d1, d2, 1);
  arc.EvPos(t - h, pa, 1);
  arc.EvPos(t + h, pb, 1);
  arc.Ev1Der(t - h, tmp, da, 1);
  arc.Ev1Der(t + h, tmp, db, 1);
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(d1[k], (pb[k] - pa[k]) / (2 * h), 1e-5);
    EXPECT_NEAR(d2[k], (db[k] - da[k]) / (2 * h), 1e-4);
  }
  // The tangent vector has the radius' length and points along the travel.
  double v[2];
  arc.GetTanVecAt(t, v, 1);
  EXPECT_NEAR(std::hypot(v[0], v[1]), 2.0, 1e-12);
  EXPECT_GT(v[0] * d1[0] + v[1] * d1[1], 0.0);
}

TEST_F(ArcTest, IsPointOnAndPreciseBox) {
  CGeArc arc = MakeArc(kC, kR, 0.3, 2.0);
  double t = -1;
  const auto mid = P(1.15);
  ASSERT_EQ(arc.IsPointOn(mid.data(), t), 1);
  EXPECT_NEAR(t, 0.5, 1e-9);
  EXPECT_EQ(arc.IsPointOn(P(3.0).data(), t), 0);  // on the circle, off the arc
  const double off[2] = {kC[0] + kR + 0.02, kC[1]};
  EXPECT_EQ(arc.IsPointOn(off, t), 0);
  // The box holds the top of the circle (angle pi/2 lies on the arc) and both ends only.
  arc.CalcPreciseBox2d();
  EXPECT_NEAR(arc.m_box.max[1], kC[1] + kR, 1e-12);
  EXPECT_NEAR(arc.m_box.max[0], P(0.3)[0], 1e-12);
  EXPECT_NEAR(arc.m_box.min[0], P(2.0)[0], 1e-12);
  EXPECT_NEAR(arc.m_box.min[1], P(0.3)[1], 1e-12);
}

TEST_F(ArcTest, NearestPointAgreesWithSampling) {
  CGeArc arc = MakeArc(kC, kR, -0.7, 2.6);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-12.0, 12.0);
  for (int k = 0; k < 200; ++k) {
    const double q[2] = {kC[0] + u(rng), kC[1] + u(rng)};
    if (Dist(q, kC) < 0.01) continue;
    double best = 1e12;
    for (int i = 0; i <= 20000; ++i) {
      double p[2];
      arc.EvPos(i / 20000.0, p, 1);
      best = std::min(best, Dist(p, q));
    }
    double nearPt[2], t = 0, dist = 1e12;
    unsigned seg = 0;
    ASSERT_EQ(arc.GetNearestPoint(q, nearPt, t, seg, dist), 1);
    EXPECT_NEAR(dist, best, 1e-3);
    double at[2];
    arc.EvPos(t, at, 1);
    EXPECT_NEAR(Dist(at, nearPt), 0.0, 1e-6);
  }
}

TEST_F(ArcTest, TangentPointsFromOutsideMatchTheClosedForm) {
  const double o[2] = {0, 0};
  CGeArc arc = MakeArc(o, 5.0, -3.0, 3.0);
  const double from[2] = {13.0, 0.0};
  const double phi = std::acos(5.0 / 13.0);  // touching points at +-phi
  for (double sign : {1.0, -1.0}) {
    double t = (sign * phi + 3.0) / 6.0 + 0.01 * sign;  // guess near the wanted one
    int seg = 0;
    double touch[2];
    ASSERT_EQ(arc.GetTanPt(from, t, seg, touch), 1);
    EXPECT_EQ(seg, 1);
    EXPECT_NEAR(touch[0], 5.0 * std::cos(phi), 1e-9);
    EXPECT_NEAR(touch[1], sign * 5.0 * std::sin(phi), 1e-9);
    // The radius at the touching point is perpendicular to the line from `from`.
    EXPECT_NEAR(touch[0] * (touch[0] - from[0]) + touch[1] * (touch[1] - from[1]), 0.0, 1e-8);
  }
  // From inside there is no tangent; from a point on the arc it is that point.
  const double inside[2] = {1, 1};
  double t = 0;
  int seg = 0;
  double touch[2];
  EXPECT_EQ(arc.GetTanPt(inside, t, seg, touch), 0);
  const double on[2] = {5.0, 0.0};
  ASSERT_EQ(arc.GetTanPt(on, t, seg, touch), 1);
  EXPECT_NEAR(t, 0.5, 1e-9);
}

TEST_F(ArcTest, SplitOffsetAndReverse) {
  CGeArc arc = MakeArc(kC, kR, 0.3, 2.0);
  CGeCurve* out[2] = {nullptr, nullptr};
  arc.Split(1.5, out, 0, 0);
  EXPECT_EQ(out[0], nullptr);
  EXPECT_EQ(out[1], nullptr);
  arc.Split(0.25, out, 0, 0);
  std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
  ASSERT_TRUE(a && b);
  double p[2], q[2];
  a->GetEndPoint(p);
  b->GetStartPoint(q);
  EXPECT_NEAR(Dist(p, q), 0.0, 1e-9);
  EXPECT_NEAR(Dist(p, P(0.3 + 0.25 * 1.7).data()), 0.0, 1e-9);
  EXPECT_NEAR(a->EvTotalArcLength() + b->EvTotalArcLength(), arc.EvTotalArcLength(), 1e-9);
  arc.Split(0.00005, out, 0, 0);
  EXPECT_EQ(out[0], nullptr);
  std::unique_ptr<CGeCurve> whole(out[1]);
  ASSERT_TRUE(whole);
  EXPECT_NEAR(whole->EvTotalArcLength(), arc.EvTotalArcLength(), 1e-12);

  // Positive distances go to the left of the travel: inwards for a counter-clockwise arc.
  std::unique_ptr<CGeCurve> in(arc.Offset(1.0));
  ASSERT_TRUE(in);
  EXPECT_NEAR(static_cast<CGeArc*>(in.get())->m_dRadius, 4.0, 1e-12);
  EXPECT_EQ(arc.Offset(kR), nullptr);
  CGeArc cw = MakeArc(kC, kR, 2.0, 0.3);
  std::unique_ptr<CGeCurve> out2(cw.Offset(1.0));
  EXPECT_NEAR(static_cast<CGeArc*>(out2.get())->m_dRadius, 6.0, 1e-12);

  double s0[2], e0[2], s1[2], e1[2];
  arc.GetStartPoint(s0);
  arc.GetEndPoint(e0);
  arc.Reverse();
  arc.GetStartPoint(s1);
  arc.GetEndPoint(e1);
  EXPECT_NEAR(Dist(s1, e0), 0.0, 1e-9);
  EXPECT_NEAR(Dist(e1, s0), 0.0, 1e-9);
  EXPECT_NEAR(arc.m_dSweep, -1.7, 1e-12);
  ASSERT_NE(arc.m_pSWPoint, nullptr);
  EXPECT_NEAR(Dist(arc.m_pSWPoint[0], s1), 0.0, 1e-5);
}

TEST_F(ArcTest, TransformsKeepDataAndBufferTogether) {
  const double pivot[2] = {-1.0, 0.5};
  const double axis[2] = {1.0, 1.0};
  const double shift[2] = {3.0, -2.0};
  auto check = [](CGeArc& arc) {
    ASSERT_NE(arc.m_pSWPoint, nullptr);
    double s[2], e[2];
    arc.GetStartPoint(s);
    arc.GetEndPoint(e);
    EXPECT_NEAR(Dist(arc.m_pSWPoint[0], s), 0.0, 1e-4);
    EXPECT_NEAR(Dist(arc.m_pSWPoint[arc.m_nSWPoint - 1], e), 0.0, 1e-4);
  };
  CGeArc arc = MakeArc(kC, kR, 0.3, 2.0);
  arc.Discrete(0.01);
  arc.Translate(shift);
  check(arc);
  arc.Rotate(pivot, 0.8);
  check(arc);
  EXPECT_NEAR(arc.EvTotalArcLength(), kR * 1.7, 1e-9);
  arc.Mirror(pivot, axis);
  check(arc);
  EXPECT_LT(arc.m_dSweep, 0.0);  // a mirror image turns the other way
  EXPECT_NEAR(arc.EvTotalArcLength(), kR * 1.7, 1e-9);
  const double f[2] = {2.0, 2.0};
  EXPECT_EQ(arc.Scale(pivot, f), &arc);
  check(arc);
  EXPECT_NEAR(arc.m_dRadius, 2 * kR, 1e-9);
  const double zero[2] = {0.0, 1.0};
  EXPECT_EQ(arc.Scale(pivot, zero), nullptr);
  const double rot[3][3] = {{0, -1, 4}, {1, 0, -1}, {0, 0, 1}};  // quarter turn and a move
  const double lenBefore = arc.EvTotalArcLength();
  arc.Transform(rot);
  check(arc);
  EXPECT_NEAR(arc.EvTotalArcLength(), lenBefore, 1e-9);
}

TEST_F(ArcTest, MirroredFullTurnMovesItsCentre) {
  CGeArc arc = MakeArc(kC, 2.0, 0.0, 2 * std::numbers::pi);
  arc.Discrete(0.01);
  const double o[2] = {0, 0}, axis[2] = {0, 1};
  arc.Mirror(o, axis);
  EXPECT_NEAR(arc.m_ptCenter[0], -kC[0], 1e-12);
  EXPECT_NEAR(arc.m_ptCenter[1], kC[1], 1e-12);
  EXPECT_NEAR(arc.m_dSweep, -2 * std::numbers::pi, 1e-12);
  double s[2];
  arc.GetStartPoint(s);
  EXPECT_NEAR(Dist(arc.m_pSWPoint[0], s), 0.0, 1e-5);
}

TEST_F(ArcTest, MovingAnEndKeepsTheOtherEndAndItsTangent) {
  for (double sweep : {1.7, -1.7}) {
    CGeArc arc = MakeArc(kC, kR, 0.3, 0.3 + sweep);
    double e0[2], te0[2], s0[2], ts0[2];
    arc.GetEndPoint(e0);
    arc.GetTanVecAt(1.0, te0, 1);
    arc.GetStartPoint(s0);
    arc.GetTanVecAt(0.0, ts0, 1);
    const double newStart[2] = {s0[0] + 0.2, s0[1] - 0.1};
    arc.ModifyStartPoint(newStart);
    double e1[2], te1[2], s1[2];
    arc.GetEndPoint(e1);
    arc.GetTanVecAt(1.0, te1, 1);
    arc.GetStartPoint(s1);
    EXPECT_NEAR(Dist(s1, newStart), 0.0, 1e-9);
    EXPECT_NEAR(Dist(e1, e0), 0.0, 1e-9);
    EXPECT_GT((te0[0] * te1[0] + te0[1] * te1[1]) / (std::hypot(te0[0], te0[1]) * std::hypot(te1[0], te1[1])), 0.999);
    EXPECT_LT(std::fabs(arc.m_dSweep), std::numbers::pi);  // still the short arc, not its complement

    CGeArc arc2 = MakeArc(kC, kR, 0.3, 0.3 + sweep);
    const double newEnd[2] = {e0[0] - 0.1, e0[1] + 0.2};
    arc2.ModifyEndPoint(newEnd);
    double s2[2], ts2[2], e2[2];
    arc2.GetStartPoint(s2);
    arc2.GetTanVecAt(0.0, ts2, 1);
    arc2.GetEndPoint(e2);
    EXPECT_NEAR(Dist(s2, s0), 0.0, 1e-9);
    EXPECT_NEAR(Dist(e2, newEnd), 0.0, 1e-9);
    EXPECT_GT((ts0[0] * ts2[0] + ts0[1] * ts2[1]) / (std::hypot(ts0[0], ts0[1]) * std::hypot(ts2[0], ts2[1])), 0.999);
  }
}

}  // namespace
