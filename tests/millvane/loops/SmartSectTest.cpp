// Sections: evaluation, parameters, splitting, reversal, offsets and the planar intersections.
#include <gtest/gtest.h>

#include <memory>
#include <numbers>

#include "millvane/loops/SmartSect.h"
#include "tests/millvane/LoopTestUtil.h"


namespace {

struct ArcCase {
  const char* name;
  double a0, a1;
};

const ArcCase kArcs[] = {
    {"ccw quarter", 0.3, 0.3 + std::numbers::pi / 2}, {"cw quarter", 2.0, 2.0 - std::numbers::pi / 2},
    {"ccw across seam", 5.5, 7.0},       {"cw three quarters", 7.0, 7.0 - 1.5 * std::numbers::pi},
    {"ccw full", 0.0, 2 * std::numbers::pi},          {"cw full", 2 * std::numbers::pi, 0.0},
};

TEST(SmartArc, PointsLieOnTheCircleAndParametersRoundTrip) {
  const double c[2] = {1.5, -2.0};
  for (const auto& k : kArcs) {
    SCOPED_TRACE(k.name);
    CSmartArc a(c, 3.0, k.a0, k.a1);
    for (double t : {0.0, 0.1, 0.37, 0.5, 0.9, 1.0}) {
      double p[2], n[2], tg[2];
      a.EvPoint(t, p);
      EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1]), 3.0, 1e-12);
      const double ang = k.a0 + (k.a1 - k.a0) * t;
      EXPECT_NEAR(p[0], c[0] + 3 * std::cos(ang), 1e-12);
      // Full circles have two parameters at the seam; elsewhere ParamOf inverts EvPoint.
      if (std::fabs(k.a1 - k.a0) < 6 || (t > 0 && t < 1)) {
        EXPECT_NEAR(a.ParamOf(p), t, 1e-9);
      }
      // The normal points left of the direction of travel.
      a.EvNormal(t, n);
      a.EvTangent(t, tg);
      EXPECT_NEAR(tg[0] * n[1] - tg[1] * n[0], 1.0, 1e-12);
    }
    double box[4] = {1e9, 1e9, -1e9, -1e9};
    for (int i = 0; i <= 4000; ++i) {
      double p[2];
      a.EvPoint(i / 4000.0, p);
      box[0] = std::min(box[0], p[0]);
      box[1] = std::min(box[1], p[1]);
      box[2] = std::max(box[2], p[0]);
      box[3] = std::max(box[3], p[1]);
    }
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(a.box[i], box[i], 1e-5) << i;
    EXPECT_NEAR(a.Length(), 3.0 * std::fabs(k.a1 - k.a0), 1e-12);
  }
}

TEST(SmartSect, ReverseRunsTheSamePointsBackwards) {
  const double s[2] = {1, 2}, e[2] = {4, -2}, c[2] = {0, 0};
  std::unique_ptr<CSmartSect> secs[] = {std::make_unique<CSmartLine>(s, e),
                                        std::make_unique<CSmartArc>(c, 2.0, 0.5, 2.5),
                                        std::make_unique<CSmartArc>(c, 2.0, 2.5, -1.0)};
  for (auto& x : secs) {
    std::unique_ptr<CSmartSect> r(x->Clone());
    r->Reverse();
    for (double t : {0.0, 0.25, 0.8, 1.0}) {
      double p[2], q[2];
      x->EvPoint(t, p);
      r->EvPoint(1 - t, q);
      EXPECT_NEAR(p[0], q[0], 1e-12);
      EXPECT_NEAR(p[1], q[1], 1e-12);
    }
    EXPECT_EQ(r->origin, x.get());
  }
}

TEST(SmartSect, SubSectKeepsTheGeometryBetweenItsEnds) {
  const double s[2] = {0, 0}, e[2] = {10, 5}, c[2] = {1, 1};
  std::unique_ptr<CSmartSect> secs[] = {std::make_unique<CSmartLine>(s, e),
                                        std::make_unique<CSmartArc>(c, 4.0, 1.0, 4.0),
                                        std::make_unique<CSmartArc>(c, 4.0, 4.0, 1.0)};
  for (auto& x : secs) {
    x->tag = 7;
    x->flags = kSectBound | kSectConnect;
    double p[2], q[2];
    x->EvPoint(0.2, p);
    x->EvPoint(0.7, q);
    std::unique_ptr<CSmartSect> piece(x->SubSect({p[0], p[1], 0.2}, {q[0], q[1], 0.7}));
    ASSERT_TRUE(piece);
    for (double u : {0.0, 0.5, 1.0}) {
      double a[2], b[2];
      piece->EvPoint(u, a);
      x->EvPoint(0.2 + 0.5 * u, b);
      EXPECT_NEAR(a[0], b[0], 1e-12);
      EXPECT_NEAR(a[1], b[1], 1e-12);
    }
    EXPECT_EQ(piece->tag, 7);
    EXPECT_EQ(piece->flags, kSectBound);  // only the boundary bit travels
    EXPECT_EQ(piece->origin, nullptr);    // points at the ancestor, which is none here
    EXPECT_FALSE(x->SubSect({p[0], p[1], 0.5}, {p[0], p[1], 0.5}));
  }
  const double a[2] = {0, 0}, b[2] = {1e-7, 0};
  CSmartLine l(a, b);
  EXPECT_FALSE(l.SubSect({0, 0, 0}, {1e-7, 0, 1}));
}

TEST(SmartSect, ParamOnSpanLimits) {
  const double s[2] = {0, 0}, e[2] = {1, 0};
  CSmartLine l(s, e);
  const struct {
    double t;
    int on;
  } cases[] = {{-0.9e-8, 1}, {1.000000009, 1}, {-1e-8, 0}, {1.00000001, 0}, {0.5, 1}};
  for (auto c : cases) {
    const double p[2] = {c.t, 0};
    EXPECT_EQ(l.IsParamOnSpan(p), c.on) << c.t;
  }
}

TEST(SmartSect, OffsetMovesLeftByTheDistance) {
  const double s[2] = {0, 0}, e[2] = {3, 4}, c[2] = {0, 0};
  CSmartLine l(s, e);
  std::unique_ptr<CSmartSect> lo(l.Offset(2.0));
  double p[2];
  lo->EvPoint(0, p);
  EXPECT_NEAR(p[0], -1.6, 1e-12);
  EXPECT_NEAR(p[1], 1.2, 1e-12);
  EXPECT_EQ(lo->origin, &l);

  CSmartArc ccw(c, 1.0, 0.0, std::numbers::pi / 2), cw(c, 1.0, std::numbers::pi / 2, 0.0);
  EXPECT_FALSE(ccw.Offset(1.0));
  std::unique_ptr<CSmartSect> grown(cw.Offset(1.0));
  ASSERT_TRUE(grown);
  EXPECT_DOUBLE_EQ(static_cast<CSmartArc*>(grown.get())->radius, 2.0);
  // Offsetting a clockwise arc to its right past its centre leaves nothing, not a negative radius.
  EXPECT_FALSE(cw.Offset(-1.5));
}

TEST(SmartSect, NearestPointAgainstDenseSampling) {
  const double s[2] = {-2, 1}, e[2] = {5, 3}, c[2] = {1, 0};
  std::unique_ptr<CSmartSect> secs[] = {std::make_unique<CSmartLine>(s, e),
                                        std::make_unique<CSmartArc>(c, 3.0, -0.5, 2.0),
                                        std::make_unique<CSmartArc>(c, 3.0, 3.0, 1.0)};
  const double probes[][2] = {{0, 0}, {4, 4}, {-3, -1}, {1, 5}, {6, -2}};
  for (auto& x : secs)
    for (auto& p : probes) {
      double best = 1e9;
      for (int i = 0; i <= 20000; ++i) {
        double q[2];
        x->EvPoint(i / 20000.0, q);
        best = std::min(best, std::hypot(q[0] - p[0], q[1] - p[1]));
      }
      double out[2];
      EXPECT_NEAR(x->NearestPoint(p, out), best, 1e-5);
      EXPECT_NEAR(std::hypot(out[0] - p[0], out[1] - p[1]), best, 1e-5);
    }
}

TEST(SmartArc, RotateTurnsEveryPoint) {
  const double c[2] = {2, 1};
  for (const auto& k : kArcs) {
    CSmartArc a(c, 1.5, k.a0, k.a1);
    std::unique_ptr<CSmartSect> r(a.Clone());
    const double ang = 2.3;
    r->Rotate(std::cos(ang), std::sin(ang));
    const auto* ra = static_cast<CSmartArc*>(r.get());
    EXPECT_NEAR(ra->centre[0], c[0] * std::cos(ang) - c[1] * std::sin(ang), 1e-12);
    EXPECT_NEAR(ra->centre[1], c[0] * std::sin(ang) + c[1] * std::cos(ang), 1e-12);
    if (std::fabs(k.a1 - k.a0) > 6) continue;  // a full circle keeps its angles
    for (double t : {0.0, 0.3, 1.0}) {
      double p[2], q[2];
      a.EvPoint(t, p);
      r->EvPoint(t, q);
      EXPECT_NEAR(q[0], p[0] * std::cos(ang) - p[1] * std::sin(ang), 1e-9) << k.name;
      EXPECT_NEAR(q[1], p[0] * std::sin(ang) + p[1] * std::cos(ang), 1e-9) << k.name;
    }
  }
}

TEST(SmartArc, Constructors) {
  // Start, centre, end: always clockwise; equal ends give a full clockwise circle.
  const double s[2] = {1, 0}, c[2] = {0, 0}, e[2] = {0, 1};
  CSmartArc a(s, c, e);
  EXPECT_FALSE(a.IsCcw());
  EXPECT_NEAR(a.Sweep(), -1.5 * std::numbers::pi, 1e-12);
  CSmartArc full(s, c, s);
  EXPECT_NEAR(full.Sweep(), -2 * std::numbers::pi, 1e-12);

  // Through three points: passes through all three in order.
  const double p0[2] = {3, 0}, p1[2] = {0, 3}, p2[2] = {-3, 0};
  for (bool rev : {false, true}) {
    std::unique_ptr<CSmartArc> t(rev ? CSmartArc::FromThreePoints(p2, p1, p0)
                                     : CSmartArc::FromThreePoints(p0, p1, p2));
    ASSERT_TRUE(t);
    EXPECT_NEAR(t->radius, 3.0, 1e-12);
    EXPECT_EQ(t->IsCcw(), !rev);
    double m[2];
    t->EvPoint(0.5, m);
    EXPECT_NEAR(m[0], 0.0, 1e-12);
    EXPECT_NEAR(m[1], 3.0, 1e-12);
  }
  const double q0[2] = {0, 0}, q1[2] = {1, 1}, q2[2] = {2, 2};
  EXPECT_FALSE(CSmartArc::FromThreePoints(q0, q1, q2));
  const double R = 2e6;
  const double h0[2] = {R, 0}, h1[2] = {R * std::cos(0.1), R * std::sin(0.1)},
               h2[2] = {R * std::cos(0.2), R * std::sin(0.2)};
  EXPECT_FALSE(CSmartArc::FromThreePoints(h0, h1, h2));

  // Two points and a radius: a clockwise corner arc about the point between them.
  const double g0[2] = {0, 1}, g1[2] = {1, 0};
  std::unique_ptr<CSmartArc> corner(CSmartArc::FromTwoPoints(g0, g1, 1.0));
  EXPECT_NEAR(corner->centre[0], 0, 1e-12);
  EXPECT_NEAR(corner->centre[1], 0, 1e-12);
  EXPECT_NEAR(corner->Sweep(), -std::numbers::pi / 2, 1e-12);
}

TEST(SmartPlanar, IntersectionsAgainstClosedForms) {
  double out[2][2];
  // Unit circles one apart meet at (0.5, ±sqrt(3)/2).
  const double c0[2] = {0, 0}, c1[2] = {1, 0};
  ASSERT_EQ(acCircleCircleInt(1, 1, c0, c1, out), 2);
  for (auto& p : out) {
    EXPECT_NEAR(p[0], 0.5, 1e-12);
    EXPECT_NEAR(std::fabs(p[1]), std::sqrt(3) / 2, 1e-12);
  }
  const double far[2] = {2.5, 0};
  EXPECT_EQ(acCircleCircleInt(1, 1, c0, far, out), 0);
  EXPECT_EQ(acCircleCircleInt(1, 1, c0, c0, out), 0);
  // Vertical-offset centres use the other axis.
  const double up[2] = {0, 1.2};
  ASSERT_EQ(acCircleCircleInt(1, 1, c0, up, out), 2);
  EXPECT_NEAR(out[0][1], 0.6, 1e-12);
  EXPECT_NEAR(std::fabs(out[0][0]), std::sqrt(1 - 0.36), 1e-12);

  // Line x = 0.6 against the unit circle; tangent line y = 1.
  const double a[2] = {0.6, -5}, b[2] = {0.6, 5};
  ASSERT_EQ(acLineCircleInt(1, c0, a, b, out), 2);
  EXPECT_NEAR(std::fabs(out[0][1]), 0.8, 1e-12);
  const double t0[2] = {-3, 1}, t1[2] = {3, 1};
  ASSERT_EQ(acLineCircleInt(1, c0, t0, t1, out), 1);
  EXPECT_NEAR(out[0][0], 0, 1e-12);
  EXPECT_EQ(acLineCircleInt(1, c0, a, a, out), 0);

  // Segments: crossing, missing, collinear overlap, parallel.
  const double s0[2] = {0, 0}, s1[2] = {4, 4}, u0[2] = {0, 4}, u1[2] = {4, 0}, v0[2] = {5, 5},
               v1[2] = {6, 9}, w0[2] = {2, 2}, w1[2] = {8, 8}, x0[2] = {0, 1}, x1[2] = {4, 5};
  ASSERT_EQ(acSegSegInt(s0, s1, u0, u1, out), 1);
  EXPECT_NEAR(out[0][0], 2, 1e-12);
  EXPECT_EQ(acSegSegInt(s0, s1, v0, v1, out), 0);
  ASSERT_EQ(acSegSegInt(s0, s1, w0, w1, out), 2);
  EXPECT_NEAR(out[0][0], 2, 1e-12);
  EXPECT_NEAR(out[1][0], 4, 1e-12);
  EXPECT_EQ(acSegSegInt(s0, s1, x0, x1, out), 0);
  EXPECT_EQ(acSegSegInt(s0, s0, u0, u1, out), 0);
  double p[2];
  EXPECT_EQ(acLineLineInt(s0, s1, x0, x1, p), 0);
  ASSERT_EQ(acLineLineInt(s0, s1, u0, v0, p), 1);  // lines, not segments
  EXPECT_NEAR(p[0], p[1], 1e-12);
}

TEST(SmartPlanar, SectionCrossingsStayOnBothSpans) {
  const double c[2] = {0, 0};
  CSmartArc upper(c, 1.0, 0.0, std::numbers::pi);  // upper half only
  const double a[2] = {0.6, -5}, b[2] = {0.6, 5};
  CSmartLine l(a, b);
  double out[2][2];
  ASSERT_EQ(acSectSectInt(&l, &upper, out), 1);
  EXPECT_NEAR(out[0][1], 0.8, 1e-12);
  CSmartArc lower(c, 1.0, std::numbers::pi, 2 * std::numbers::pi);
  const double c2[2] = {1, 0};
  CSmartArc other(c2, 1.0, 0.0, 2 * std::numbers::pi);
  ASSERT_EQ(acSectSectInt(&lower, &other, out), 1);
  EXPECT_NEAR(out[0][1], -std::sqrt(3) / 2, 1e-12);
}

TEST(SmartPoint, CutListStaysSortedAndRefusesDuplicates) {
  const double s[2] = {0, 0}, e[2] = {1, 0};
  CSmartLine l(s, e);
  EXPECT_EQ(l.AddCutPoint(0.7, 0, 0.7), 1);
  EXPECT_EQ(l.AddCutPoint(0.5, 0, 0.5), 1);
  EXPECT_EQ(l.AddCutPoint(0.5, 0, 0.5), 0);
  EXPECT_EQ(l.AddCutPoint(0.5, 0, 0.5 + 5e-11), 0);
  EXPECT_EQ(l.AddCutPoint(1, 0, 1.0000011), 0);
  EXPECT_EQ(l.AddCutPoint(0.1, 0, 0.1), 1);
  ASSERT_EQ(l.CutCount(), 3);
  double prev = -1;
  for (CSmartPoint* p = l.cutPoints->head; p; p = p->next) {
    EXPECT_GT(p->t, prev);
    prev = p->t;
  }
  EXPECT_EQ(l.cutPoints->tail->t, 0.7);
}

TEST(SmartPlanar, ArcToPoints) {
  const double c[2] = {0, 0};
  double pts[200][2];
  CSmartArc a(c, 10.0, 0.0, 1.0);
  // Tolerance 0.0001 is raised to 0.001; on radius 10 that is an angular step of
  // 2 acos(1 - 0.001 / 10).
  const int n = acArcToPoints(&a, 0.0001, 200, pts);
  EXPECT_EQ(n, int(1.0 / (2 * std::acos(1 - 0.0001))) + 1);
  for (int i = 0; i <= n; ++i) EXPECT_NEAR(std::hypot(pts[i][0], pts[i][1]), 10, 1e-12);
  CSmartArc tiny(c, 10.0, 0.0, 1e-4);
  EXPECT_EQ(acArcToPoints(&tiny, 0.01, 200, pts), 1);
  CSmartArc dot(c, 1e-7, 0.0, 1.0);
  EXPECT_EQ(acArcToPoints(&dot, 0.01, 200, pts), 0);
  CSmartArc big(c, 10.0, 0.0, 6.0);
  EXPECT_EQ(acArcToPoints(&big, 0.001, 50, pts), 49);
}

}  // namespace
