// The 3D arc: the creation functions against circles known in advance, discretisation within
// the tolerance, reversal and splitting, nearest points against brute force, and its record.
#include <cmath>
#include <numbers>

#include "Shape3dTestUtil.h"
#include "geometry/shapes3d/GeArc3d.h"

using namespace shapes3d_test;

namespace {
// A circle of radius 2.5 about (1, -2, 3) in a tilted plane: point at angle a.
struct Circle {
  double c[3] = {1.0, -2.0, 3.0};
  double r = 2.5;
  double u[3], v[3], n[3];
  Circle() {
    const double z[3] = {0.3, -0.5, 0.8};
    for (int k = 0; k < 3; ++k) n[k] = z[k];
    V3D_Unit(n, 1e-12);
    V3D_GetXYFromZ(n, u, v);
  }
  void At(double a, double p[3]) const {
    for (int k = 0; k < 3; ++k) p[k] = c[k] + r * (std::cos(a) * u[k] + std::sin(a) * v[k]);
  }
};

// Arc of the circle from angle a1 through a2 to a3, by three points.
void ArcOf(const Circle& circ, double a1, double a2, double a3, CGeArc3d& arc) {
  double p1[3], p2[3], p3[3];
  circ.At(a1, p1);
  circ.At(a2, p2);
  circ.At(a3, p3);
  ASSERT_EQ(arc.Create3Pnt(p1, p2, p3), 1);
}

void ExpectOnCircle(CGeArc3d& arc, const Circle& circ, double tol) {
  EXPECT_NEAR(arc.m_dRadius, circ.r, tol);
  EXPECT_PT_NEAR(arc.m_frame.origin, circ.c, tol);
  EXPECT_NEAR(std::fabs(V3D_Dot(arc.m_frame.zAxis, circ.n)), 1.0, tol);
}

using Arc3d = VurodeTest;

TEST_F(Arc3d, CreateThreePointsFindsTheCircleAndSweep) {
  const Circle circ;
  struct Row {
    double a1, a2, a3;
  };
  // Counter-clockwise about n: minor, major, and about a half turn.
  for (const Row& r : {Row{0.2, 0.9, 1.7}, Row{0.0, 2.5, 5.0}, Row{-1.0, 0.5, 2.14}}) {
    double p1[3], p2[3], p3[3];
    circ.At(r.a1, p1);
    circ.At(r.a2, p2);
    circ.At(r.a3, p3);
    CGeArc3d arc;
    ASSERT_EQ(arc.Create3Pnt(p1, p2, p3), 1);
    ExpectOnCircle(arc, circ, 1e-9);
    EXPECT_NEAR(arc.m_dSweep, r.a3 - r.a1, 1e-9);
    double s[3], e[3], mid[3];
    arc.GetStartPoint(s);
    arc.GetEndPoint(e);
    EXPECT_PT_NEAR(s, p1, 1e-9);
    EXPECT_PT_NEAR(e, p3, 1e-9);
    arc.GetPointAt((r.a2 - r.a1) / (r.a3 - r.a1), mid, 1);
    EXPECT_PT_NEAR(mid, p2, 1e-9);
    // The same points clockwise give the complementary orientation, same end points.
    CGeArc3d back;
    ASSERT_EQ(back.Create3Pnt(p3, p2, p1), 1);
    EXPECT_NEAR(back.m_dSweep, r.a3 - r.a1, 1e-9);
    EXPECT_NEAR(V3D_Dot(back.m_frame.zAxis, arc.m_frame.zAxis), -1.0, 1e-9);
  }
  const double a[3] = {0, 0, 0}, b[3] = {1, 1, 1}, c[3] = {2, 2, 2};
  CGeArc3d arc;
  EXPECT_EQ(arc.Create3Pnt(a, b, c), 0);  // collinear
  EXPECT_EQ(arc.Create3Pnt(a, b, a), 0);  // start = end
}

TEST_F(Arc3d, CreateCentreStartEnd) {
  const Circle circ;
  double s[3], e[3];
  circ.At(0.5, s);
  circ.At(1.7, e);
  // A centre off the chord's bisecting plane is projected onto it.
  double centre[3];
  double chord[3];
  for (int k = 0; k < 3; ++k) chord[k] = e[k] - s[k];
  V3D_Unit(chord, 1e-12);
  for (int k = 0; k < 3; ++k) centre[k] = circ.c[k] + 0.7 * chord[k];
  struct Row {
    bool firstForm;
    int flag;
    double sweep;
  };
  for (const Row& r : {Row{true, 1, 1.2}, Row{true, 0, 2 * std::numbers::pi - 1.2}, Row{false, 0, 1.2},
                       Row{false, 1, 2 * std::numbers::pi - 1.2}}) {
    CGeArc3d arc;
    ASSERT_EQ(r.firstForm ? arc.CreateCSE(centre, s, e, r.flag) : arc.CreateCSE(r.flag, centre, s, e), 1);
    ExpectOnCircle(arc, circ, 1e-9);
    EXPECT_NEAR(arc.m_dSweep, r.sweep, 1e-9);
    double as[3], ae[3];
    arc.GetStartPoint(as);
    arc.GetEndPoint(ae);
    EXPECT_PT_NEAR(as, s, 1e-9);
    EXPECT_PT_NEAR(ae, e, 1e-9);
  }
  CGeArc3d arc;
  EXPECT_EQ(arc.CreateCSE(centre, s, s, 1), 0);
}

TEST_F(Arc3d, CreateStartEndTangent) {
  const Circle circ;
  for (const double sweep : {0.4, 2.0, 4.5}) {
    double s[3], e[3], tan[3];
    circ.At(0.3, s);
    circ.At(0.3 + sweep, e);
    for (int k = 0; k < 3; ++k) tan[k] = 3.0 * (-std::sin(0.3) * circ.u[k] + std::cos(0.3) * circ.v[k]);
    CGeArc3d arc;
    ASSERT_EQ(arc.CreateSETan(s, e, tan), 1) << sweep;
    ExpectOnCircle(arc, circ, 1e-7);
    EXPECT_NEAR(arc.m_dSweep, sweep, 1e-7);
    double t0[3];
    arc.GetStartTanVec(t0);
    V3D_Unit(t0, 1e-12);
    V3D_Unit(tan, 1e-12);
    EXPECT_PT_NEAR(t0, tan, 1e-9);
  }
  const double s[3] = {0, 0, 0}, e[3] = {1, 0, 0}, along[3] = {2, 0, 0};
  CGeArc3d arc;
  EXPECT_EQ(arc.CreateSETan(s, e, along), 0);  // tangent along the chord
}

TEST_F(Arc3d, CirclesInTheCoordinatePlanes) {
  const double c[3] = {1, 2, 3};
  struct Row {
    int (CGeArc3d::*make)(const double*, double);
    double startDir[3], quarterDir[3];
  };
  const Row rows[] = {{&CGeArc3d::CreateCricleXY, {1, 0, 0}, {0, 1, 0}},
                      {&CGeArc3d::CreateCricleXZ, {1, 0, 0}, {0, 0, 1}},
                      {&CGeArc3d::CreateCricleYZ, {0, 1, 0}, {0, 0, 1}}};
  for (const Row& r : rows) {
    CGeArc3d arc;
    ASSERT_EQ((arc.*r.make)(c, -2.0), 1);
    EXPECT_EQ(arc.m_dRadius, 2.0);
    EXPECT_EQ(arc.m_strDisc.m_nCount, 0);  // the caller discretises
    double p[3], q[3];
    arc.GetPointAt(0.0, p, 1);
    arc.GetPointAt(0.25, q, 1);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(p[k], c[k] + 2.0 * r.startDir[k], 1e-12);
      EXPECT_NEAR(q[k], c[k] + 2.0 * r.quarterDir[k], 1e-12);
    }
    EXPECT_EQ(arc.IsClosed(1e-6), 1);
    EXPECT_EQ((arc.*r.make)(c, 0.00005), 0);
  }
  CGeArc3d almost;
  ASSERT_EQ(almost.CreateCricleXY(c, 1.0), 1);
  almost.m_dSweep = 2 * std::numbers::pi - 0.01;
  EXPECT_EQ(almost.IsClosed(0.1), 1);
  EXPECT_EQ(almost.IsClosed(0.001), 0);
}

TEST_F(Arc3d, DiscretisationStaysWithinTheTolerance) {
  const Circle circ;
  CGeArc3d arc;
  ArcOf(circ, 0.0, 2.0, 4.0, arc);
  double p3[3];
  arc.GetEndPoint(p3);
  for (const double tol : {0.5, 0.05, 0.005, 0.0001}) {
    arc.DiscreteMe(tol);
    const double t2 = std::max(tol, 0.005);
    const int n = std::max(2, static_cast<int>(4.0 / std::acos((2.5 - t2) / 2.5)));
    const CStrP3D& str = arc.m_strDisc;
    ASSERT_EQ(str.m_nCount, n + 1) << tol;
    double worst = 0.0;
    for (int i = 0; i < str.m_nCount; ++i) {
      EXPECT_NEAR(P3D_Dist(str.m_pPoints[i], circ.c), 2.5, 1e-9);
      EXPECT_NEAR(str.m_pParams[i], static_cast<double>(i) / n, 1e-15);
      if (i == 0) continue;
      double mid[3];
      for (int k = 0; k < 3; ++k) mid[k] = (str.m_pPoints[i][k] + str.m_pPoints[i - 1][k]) / 2;
      worst = std::max(worst, 2.5 - P3D_Dist(mid, circ.c));
    }
    EXPECT_LE(worst, t2 + 1e-12) << tol;
    EXPECT_PT_NEAR(str.m_pPoints[n], p3, 1e-12);
    EXPECT_EQ(arc.m_box.max[0], str.m_box.max[0]);
  }
  double step = 0.0;
  ASSERT_EQ(arc.GetDiscStep(3.0, step), 1);
  EXPECT_EQ(step, 0.1);
  arc.GetDiscStep(0.01, step);
  EXPECT_NEAR(step, 1.0 / (std::floor(4.0 / (2 * std::acos(2.49 / 2.5))) + 1), 1e-15);
  arc.GetDiscStep(2.4, step);
  EXPECT_EQ(step, 1.0 / 8);
}

TEST_F(Arc3d, HostileRecordsStayBounded) {
  // A damaged record with a huge radius must not allocate without bound; NaN must not crash.
  for (const double r : {1e300, std::nan(""), -5.0, 0.0}) {
    CGeArc3d arc;
    const double c[3] = {0, 0, 0};
    arc.CreateCricleXY(c, 1.0);
    arc.m_dRadius = r;
    arc.DiscreteMe(0.01);
    EXPECT_GE(arc.m_strDisc.m_nCount, 3);
    EXPECT_LE(arc.m_strDisc.m_nCount, 100001);
    double step = 0.0;
    arc.GetDiscStep(0.0, step);
    EXPECT_GT(step, 0.0);
  }
}

TEST_F(Arc3d, ReverseRunsTheSameArcBackwards) {
  const Circle circ;
  CGeArc3d arc;
  ArcOf(circ, 0.1, 1.0, 2.9, arc);
  arc.DiscreteMe(0.01);
  CGeArc3d rev = arc;
  rev.m_strDisc = arc.m_strDisc;
  rev.Reverse();
  for (const double t : {0.0, 0.2, 0.5, 1.0}) {
    double a[3], b[3];
    arc.GetPointAt(t, a, 1);
    rev.GetPointAt(1.0 - t, b, 1);
    EXPECT_PT_NEAR(a, b, 1e-9) << t;
  }
  EXPECT_NEAR(V3D_Dot(rev.m_frame.zAxis, arc.m_frame.zAxis), -1.0, 1e-12);
  EXPECT_NEAR(rev.m_dSweep, arc.m_dSweep, 0.0);
}

TEST_F(Arc3d, SplitPiecesJoinOnTheSameCircle) {
  const double c[3] = {0, 0, 1};
  CGeArc3d circle;
  ASSERT_EQ(circle.CreateCricleXY(c, 3.0), 1);
  circle.DiscreteMe(0.01);
  for (const double t : {0.5, 0.3, 0.0002, 0.9998}) {
    CGeCurve3d* out[2] = {nullptr, nullptr};
    circle.Split(t, out, 1);
    std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
    ASSERT_TRUE(a && b) << t;  // a piece close to a full turn is kept too
    auto* pa = static_cast<CGeArc3d*>(a.get());
    auto* pb = static_cast<CGeArc3d*>(b.get());
    EXPECT_NEAR(pa->m_dSweep + pb->m_dSweep, 2 * std::numbers::pi, 1e-12);
    EXPECT_NEAR(pa->m_dSweep, 2 * std::numbers::pi * t, 1e-12);
    double ae[3], bs[3], p[3], be[3], s[3];
    pa->GetEndPoint(ae);
    pb->GetStartPoint(bs);
    circle.GetPointAt(t, p, 1);
    EXPECT_PT_NEAR(ae, p, 1e-9);
    EXPECT_PT_NEAR(bs, p, 1e-9);
    pb->GetEndPoint(be);
    circle.GetStartPoint(s);
    EXPECT_PT_NEAR(be, s, 1e-9);
    EXPECT_GT(pa->m_strDisc.m_nCount, 1);
  }
  CGeCurve3d* out[2] = {nullptr, nullptr};
  circle.Split(0.00005, out, 1);
  EXPECT_EQ(out[0], nullptr);
  std::unique_ptr<CGeCurve3d> whole(out[1]);
  ASSERT_TRUE(whole);
  EXPECT_EQ(static_cast<CGeArc3d*>(whole.get())->m_dSweep, 2 * std::numbers::pi);
}

TEST_F(Arc3d, NearestPointMatchesBruteForce) {
  const Circle circ;
  CGeArc3d arc;
  ArcOf(circ, 0.0, 1.5, 4.0, arc);
  unsigned seed = 11;
  auto rnd = [&] {
    seed = seed * 1664525u + 1013904223u;
    return ((seed >> 8) % 16000) / 1000.0 - 8.0;
  };
  for (int i = 0; i < 100; ++i) {
    const double p[3] = {circ.c[0] + rnd(), circ.c[1] + rnd(), circ.c[2] + rnd()};
    double best = 1e300;
    for (int j = 0; j <= 20000; ++j) {
      double q[3];
      arc.GetPointAt(j / 20000.0, q, 1);
      best = std::min(best, P3D_Dist(p, q));
    }
    double out[3], t = 0.0, dist = 0.0;
    unsigned seg = 0;
    ASSERT_EQ(arc.GetNearestPoint3D(p, out, t, seg, dist), 1);
    EXPECT_NEAR(dist, best, 1e-5);
    EXPECT_LE(dist, best + 1e-12);
    EXPECT_EQ(seg, 1u);
  }
  double t = 5.0;
  EXPECT_EQ(arc.GetParam(circ.c, t), 0);  // the centre has no angle
  EXPECT_EQ(t, 0.0);
  double q[3];
  arc.GetPointAt(0.6, q, 1);
  for (int k = 0; k < 3; ++k) q[k] += 0.5 * circ.n[k];  // off the plane, same angle
  ASSERT_EQ(arc.GetParam(q, t), 1);
  EXPECT_NEAR(t, 0.6, 1e-12);
}

TEST_F(Arc3d, LengthParameterAndDerivatives) {
  const double c[3] = {0, 0, 0};
  CGeArc3d arc;
  ASSERT_EQ(arc.CreateCricleXY(c, 2.0), 1);
  arc.m_dSweep = std::numbers::pi;
  arc.DiscreteMe(1e-4);
  const double len = arc.EvTotalArcLength();
  EXPECT_LT(len, 2 * std::numbers::pi);  // chords, at the tolerance floor of 0.005
  EXPECT_NEAR(len, 2 * std::numbers::pi, 3e-3);
  double t = 0.0;
  unsigned seg = 7;
  EXPECT_EQ(arc.EvParam(len / 4, t, seg), 1);
  EXPECT_NEAR(t, 0.25, 1e-12);
  EXPECT_EQ(seg, 0u);
  EXPECT_EQ(arc.EvParam(3 * len, t, seg), 1);
  EXPECT_EQ(t, 1.0);
  // Derivatives against central differences.
  double p[3], d1[3], d2[3], a[3], b[3], ta[3], tb[3];
  const double h = 1e-5, u = 0.3;
  arc.Ev2Der(u, p, d1, d2, 1);
  arc.GetPointAt(u - h, a, 1);
  arc.GetPointAt(u + h, b, 1);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(d1[k], (b[k] - a[k]) / (2 * h), 1e-6);
  double tmp[3];
  arc.Ev2Der(u - h, tmp, ta, tmp, 1);
  arc.Ev2Der(u + h, tmp, tb, tmp, 1);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(d2[k], (tb[k] - ta[k]) / (2 * h), 1e-5);
  double pt[3], n[3];
  EXPECT_EQ(arc.IsPlanar(0.01, pt, n), 1);
  EXPECT_EQ(n[2], 1.0);
}

TEST_F(Arc3d, RecordFieldOrderAndRoundTrip) {
  gNewKXGlobal();
  const Circle circ;
  CGeArc3d arc;
  ArcOf(circ, 0.0, 1.0, 2.0, arc);
  double p1[3];
  arc.GetStartPoint(p1);
  arc.DiscreteMe(0.01);
  arc.m_frame.spare = 42.5;
  const auto b = Fields(arc);
  ASSERT_EQ(b.size(), 52 + 15 * 8u);
  EXPECT_EQ(Dbl(b, 52), arc.m_dRadius);
  EXPECT_EQ(Dbl(b, 60), arc.m_dSweep);
  const double* groups[4] = {arc.m_frame.origin, arc.m_frame.xAxis, arc.m_frame.yAxis, arc.m_frame.zAxis};
  for (int g = 0; g < 4; ++g)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Dbl(b, 68 + 24 * g + 8 * k), groups[g][k]);
  EXPECT_EQ(Dbl(b, 164), 42.5);

  gSetCurveDicTol(0.2);  // loading rebuilds the cache with the tolerance of the day
  auto back = RoundTrip<CGeArc3d>(&arc);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->m_frame.spare, 42.5);
  EXPECT_PT_NEAR(back->m_frame.yAxis, arc.m_frame.yAxis, 0.0);
  EXPECT_LT(back->m_strDisc.m_nCount, arc.m_strDisc.m_nCount);
  double s[3];
  back->GetStartPoint(s);
  EXPECT_PT_NEAR(s, p1, 1e-12);
}

}  // namespace
