// Bezier-segment intersections against dense subdivision, incidence checks and touching,
// overlap and reversal cases.
#include "platform/numora/Inter.h"

#include "platform/numora/Bezier.h"
#include "platform/numora/Ellipse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>
#include <numbers>

namespace {

using Seg = double[4][2];

struct Pt {
  double x, y;
};

std::vector<Pt> Polyline(const double seg[4][2], int n) {
  std::vector<Pt> out;
  for (int i = 0; i <= n; ++i) {
    double p[2];
    BEZ_EvPos(seg, static_cast<double>(i) / n, p);
    out.push_back({p[0], p[1]});
  }
  return out;
}

double Orient(const Pt& a, const Pt& b, const Pt& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Crossing points of two polylines: the brute-force answer.
std::vector<Pt> PolylineCrossings(const std::vector<Pt>& a, const std::vector<Pt>& b) {
  std::vector<Pt> out;
  for (size_t i = 0; i + 1 < a.size(); ++i) {
    const double ax0 = std::min(a[i].x, a[i + 1].x), ax1 = std::max(a[i].x, a[i + 1].x);
    const double ay0 = std::min(a[i].y, a[i + 1].y), ay1 = std::max(a[i].y, a[i + 1].y);
    for (size_t j = 0; j + 1 < b.size(); ++j) {
      if (std::max(b[j].x, b[j + 1].x) < ax0 || std::min(b[j].x, b[j + 1].x) > ax1 ||
          std::max(b[j].y, b[j + 1].y) < ay0 || std::min(b[j].y, b[j + 1].y) > ay1)
        continue;
      const double d1 = Orient(a[i], a[i + 1], b[j]), d2 = Orient(a[i], a[i + 1], b[j + 1]);
      const double d3 = Orient(b[j], b[j + 1], a[i]), d4 = Orient(b[j], b[j + 1], a[i + 1]);
      if ((d1 > 0) == (d2 > 0) || (d3 > 0) == (d4 > 0)) continue;
      const double s = d3 / (d3 - d4);
      out.push_back({a[i].x + s * (a[i + 1].x - a[i].x), a[i].y + s * (a[i + 1].y - a[i].y)});
    }
  }
  return out;
}

void RandomSeg(std::mt19937& rng, double seg[4][2], double spread = 10.0) {
  std::uniform_real_distribution<double> u(-spread, spread);
  for (int i = 0; i < 4; ++i) seg[i][0] = u(rng), seg[i][1] = u(rng);
}

// Every expected point has a record within tol and the counts agree.
void ExpectSamePoints(const std::vector<Pt>& expect, const _tagInterPnt* recs, int n, double tol) {
  ASSERT_EQ(static_cast<int>(expect.size()), n);
  for (const Pt& e : expect) {
    const bool found = std::any_of(recs, recs + n, [&](const _tagInterPnt& r) {
      return std::hypot(r.x - e.x, r.y - e.y) <= tol;
    });
    EXPECT_TRUE(found) << "(" << e.x << ", " << e.y << ") missing";
  }
}

void ExpectIncreasing(const _tagInterPnt* recs, int n, bool bezierFirst) {
  for (int i = 1; i < n; ++i) {
    EXPECT_LE(bezierFirst ? recs[i - 1].t1 : recs[i - 1].t2, bezierFirst ? recs[i].t1 : recs[i].t2);
  }
}

TEST(InterBezier, LineAgainstDenseSubdivision) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> u(-10, 10);
  int total = 0;
  for (int k = 0; k < 80; ++k) {
    Seg seg;
    RandomSeg(rng, seg);
    const double p0[2] = {u(rng), u(rng)}, p1[2] = {u(rng), u(rng)};
    // The carrier line, long enough to cover the segment.
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1], l = std::hypot(dx, dy);
    const std::vector<Pt> line = {{p0[0] - 100 * dx / l, p0[1] - 100 * dy / l},
                                  {p0[0] + 100 * dx / l, p0[1] + 100 * dy / l}};
    const std::vector<Pt> expect = PolylineCrossings(Polyline(seg, 4000), line);
    int n = -1;
    _tagInterPnt recs[kInterLineBezMax];
    EXPECT_EQ(expect.empty() ? 0 : 1, Inter_LineBez(p0, p1, seg, n, recs, 1e-9));
    ExpectSamePoints(expect, recs, n, 1e-3);
    ExpectIncreasing(recs, n, false);
    total += n;
    for (int i = 0; i < n; ++i) {
      double onBez[2];
      BEZ_EvPos(seg, recs[i].t2, onBez);
      EXPECT_NEAR(onBez[0], recs[i].x, 1e-12);
      EXPECT_NEAR(onBez[1], recs[i].y, 1e-12);
      EXPECT_NEAR(p0[0] + recs[i].t1 * dx, recs[i].x, 1e-8);
      EXPECT_NEAR(p0[1] + recs[i].t1 * dy, recs[i].y, 1e-8);
      EXPECT_EQ(1, recs[i].seg1);
      EXPECT_EQ(1, recs[i].seg2);
    }
  }
  EXPECT_GT(total, 30);
}

TEST(InterBezier, LineTouchingAndLyingOnTheSegment) {
  const Seg arch = {{0, 0}, {1, 2}, {2, 2}, {3, 0}};  // peak (1.5, 1.5) at t = 0.5
  const double a[2] = {-1, 1.5}, b[2] = {4, 1.5};
  int n = 0;
  _tagInterPnt recs[kInterLineBezMax];
  ASSERT_EQ(1, Inter_LineBez(a, b, arch, n, recs));
  ASSERT_EQ(1, n);
  EXPECT_NEAR(0.5, recs[0].t2, 1e-6);
  EXPECT_NEAR(0.5, recs[0].t1, 1e-6);
  // Just above the peak by less than the tolerance still touches; by more it misses.
  const double a2[2] = {-1, 1.5 + 5e-7}, b2[2] = {4, 1.5 + 5e-7};
  EXPECT_EQ(1, Inter_LineBez(a2, b2, arch, n, recs));
  EXPECT_EQ(1, n);
  const double a3[2] = {-1, 1.5 + 5e-6}, b3[2] = {4, 1.5 + 5e-6};
  EXPECT_EQ(0, Inter_LineBez(a3, b3, arch, n, recs));
  EXPECT_EQ(0, n);
  // A straight segment on the line gives its end points.
  const Seg straight = {{1, 1}, {2, 2}, {3, 3}, {5, 5}};
  const double c[2] = {0, 0}, d[2] = {1, 1};
  ASSERT_EQ(1, Inter_LineBez(c, d, straight, n, recs));
  ASSERT_EQ(2, n);
  EXPECT_EQ(0.0, recs[0].t2);
  EXPECT_EQ(1.0, recs[1].t2);
  EXPECT_NEAR(5.0, recs[1].t1, 1e-12);
  // Degenerate line.
  EXPECT_EQ(0, Inter_LineBez(c, c, arch, n, recs));
}

TEST(InterBezier, CircleAndEllipseAgainstDenseSubdivision) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-3, 3), rad(1, 6), ang(0, std::numbers::pi);
  int total = 0;
  for (int k = 0; k < 60; ++k) {
    Seg seg;
    RandomSeg(rng, seg, 6.0);
    const double c[2] = {u(rng), u(rng)};
    const double a = rad(rng), b = rad(rng), rot = ang(rng);
    const std::vector<Pt> bez = Polyline(seg, 2000);

    std::vector<Pt> circle, ellipse;
    for (int i = 0; i <= 2000; ++i) {
      double p[2];
      E2D_EvPos(c, a, a, 0.0, i / 2000.0, p);
      circle.push_back({p[0], p[1]});
      E2D_EvPos(c, a, b, rot, i / 2000.0, p);
      ellipse.push_back({p[0], p[1]});
    }
    _tagInterPnt recs[kInterEllBezMax];
    const int nc = Inter_CirBez(c, a, seg, recs, 1e-9);
    {
      SCOPED_TRACE("circle");
      ExpectSamePoints(PolylineCrossings(bez, circle), recs, nc, 1e-3);
      ExpectIncreasing(recs, nc, false);
      for (int i = 0; i < nc; ++i) {
        EXPECT_NEAR(a, std::hypot(recs[i].x - c[0], recs[i].y - c[1]), 1e-9);
        double onCircle[2];
        E2D_EvPos(c, a, a, 0.0, recs[i].t1, onCircle);
        EXPECT_NEAR(onCircle[0], recs[i].x, 1e-9);
        EXPECT_NEAR(onCircle[1], recs[i].y, 1e-9);
      }
    }
    const int ne = Inter_EllBezEx(c, a, b, rot, seg, recs, 1e-9);
    {
      SCOPED_TRACE("ellipse");
      ExpectSamePoints(PolylineCrossings(bez, ellipse), recs, ne, 1e-3);
      ExpectIncreasing(recs, ne, false);
      for (int i = 0; i < ne; ++i) {
        double foot[2], uu, d;
        ASSERT_EQ(1, E2D_GetNearestPt(c, a, b, rot, &recs[i].x, foot, uu, d));
        EXPECT_LE(d, 1e-9);
        EXPECT_NEAR(uu, recs[i].t1, 1e-9);
      }
      _tagInterPnt first;
      EXPECT_EQ(ne > 0 ? 1 : 0, Inter_EllBez(c, a, b, rot, seg, first, 1e-9));
      if (ne > 0) {
        EXPECT_EQ(recs[0].t2, first.t2);
      }
    }
    total += nc + ne;
  }
  EXPECT_GT(total, 80);
}

TEST(InterBezier, CircleTouchingASegment) {
  const Seg arch = {{0, 0}, {1, 2}, {2, 2}, {3, 0}};  // peak (1.5, 1.5)
  const double c[2] = {1.5, 2.5};
  _tagInterPnt recs[kInterCirBezMax];
  ASSERT_EQ(1, Inter_CirBez(c, 1.0, arch, recs));
  EXPECT_NEAR(0.5, recs[0].t2, 1e-5);
  EXPECT_NEAR(0.75, recs[0].t1, 1e-9);  // straight below the centre
  EXPECT_EQ(0, Inter_CirBez(c, 0.99, arch, recs));
}

TEST(InterBezier, BezierPairsAgainstDenseSubdivision) {
  std::mt19937 rng(99);
  int total = 0;
  for (int k = 0; k < 60; ++k) {
    Seg s1, s2;
    RandomSeg(rng, s1);
    RandomSeg(rng, s2);
    _tagInterPnt recs[kInterBezBezMax];
    const int n = Inter_BezBez(s1, s2, recs, 1e-9);
    SCOPED_TRACE(k);
    ExpectSamePoints(PolylineCrossings(Polyline(s1, 3000), Polyline(s2, 3000)), recs, n, 1e-3);
    ExpectIncreasing(recs, n, true);
    total += n;
    for (int i = 0; i < n; ++i) {
      double p[2], q[2];
      BEZ_EvPos(s1, recs[i].t1, p);
      BEZ_EvPos(s2, recs[i].t2, q);
      EXPECT_LE(std::hypot(p[0] - q[0], p[1] - q[1]), 1e-9);
      EXPECT_LE(std::hypot(p[0] - recs[i].x, p[1] - recs[i].y), 1e-12);
    }
    // Reversed arguments: the same points with the curve fields exchanged.
    _tagInterPnt rev[kInterBezBezMax];
    ASSERT_EQ(n, Inter_BezBez(s2, s1, rev, 1e-9));
    for (int i = 0; i < n; ++i) {
      SwapIntPnt(rev[i]);
      const bool found = std::any_of(recs, recs + n, [&](const _tagInterPnt& r) {
        return std::fabs(r.t1 - rev[i].t1) < 1e-8 && std::fabs(r.t2 - rev[i].t2) < 1e-8;
      });
      EXPECT_TRUE(found);
    }
  }
  EXPECT_GT(total, 40);
}

TEST(InterBezier, NineCrossings) {
  // The graphs y = 3(x³ − x) and x = 3(y³ − y) over [−1.2, 1.2] cross nine times, the most
  // two cubics can.
  const Seg a = {{-1.2, -1.584}, {-0.4, 6.384}, {0.4, -6.384}, {1.2, 1.584}};
  const Seg b = {{-1.584, -1.2}, {6.384, -0.4}, {-6.384, 0.4}, {1.584, 1.2}};
  _tagInterPnt recs[kInterBezBezMax];
  const int n = Inter_BezBez(a, b, recs, 1e-9);
  EXPECT_EQ(kInterBezBezMax, n);
  ExpectSamePoints(PolylineCrossings(Polyline(a, 5000), Polyline(b, 5000)), recs, n, 1e-3);
}

TEST(InterBezier, TouchingAndSharedStretches) {
  const Seg arch = {{0, 0}, {1, 2}, {2, 2}, {3, 0}};  // peak (1.5, 1.5)
  const Seg valley = {{0, 3}, {1, 1}, {2, 1}, {3, 3}};  // bottom (1.5, 1.5)
  _tagInterPnt recs[kInterBezBezMax];
  ASSERT_EQ(1, Inter_BezBez(arch, valley, recs));
  EXPECT_NEAR(1.5, recs[0].x, 1e-6);
  EXPECT_NEAR(1.5, recs[0].y, 1e-9);
  EXPECT_NEAR(0.5, recs[0].t1, 1e-5);

  // A segment against its own first half: the shared stretch's ends.
  Seg left, right;
  BEZ_Split(arch, 0.5, left, right);
  ASSERT_EQ(2, Inter_BezBez(arch, left, recs));
  EXPECT_NEAR(0.0, recs[0].t1, 1e-9);
  EXPECT_NEAR(0.0, recs[0].t2, 1e-9);
  EXPECT_NEAR(0.5, recs[1].t1, 1e-7);
  EXPECT_NEAR(1.0, recs[1].t2, 1e-9);
  ASSERT_EQ(2, Inter_BezBez(arch, arch, recs));
  EXPECT_EQ(0.0, recs[0].t1);
  EXPECT_EQ(1.0, recs[1].t1);

  const Seg reversed = {{3, 0}, {2, 2}, {1, 2}, {0, 0}};
  ASSERT_EQ(2, Inter_BezBez(arch, reversed, recs));
  EXPECT_NEAR(1.0, recs[0].t2, 1e-9);
  EXPECT_NEAR(0.0, recs[1].t2, 1e-9);
  // A copy moved by less than the tolerance shares the whole stretch; by more, nothing.
  Seg shifted;
  for (int i = 0; i < 4; ++i) shifted[i][0] = arch[i][0], shifted[i][1] = arch[i][1] + 1e-7;
  ASSERT_EQ(2, Inter_BezBez(arch, shifted, recs));
  EXPECT_NEAR(0.0, recs[0].t1, 1e-9);
  EXPECT_NEAR(1.0, recs[1].t1, 1e-9);
  for (int i = 0; i < 4; ++i) shifted[i][1] = arch[i][1] + 1e-5;
  EXPECT_EQ(0, Inter_BezBez(arch, shifted, recs));

  // Far apart.
  const Seg away = {{10, 10}, {11, 12}, {12, 12}, {13, 10}};
  EXPECT_EQ(0, Inter_BezBez(arch, away, recs));
}

TEST(InterBezier, HostileInputFailsCleanly) {
  const double nan = std::nan("");
  const Seg arch = {{0, 0}, {1, 2}, {2, 2}, {3, 0}};
  const Seg bad = {{0, 0}, {nan, 2}, {2, 2}, {3, 0}};
  const Seg huge = {{-1e300, 0}, {1e300, 1e300}, {-1e300, -1e300}, {1e300, 0}};
  const Seg point = {{1.5, 1.5}, {1.5, 1.5}, {1.5, 1.5}, {1.5, 1.5}};
  _tagInterPnt recs[kInterBezBezMax];
  EXPECT_EQ(0, Inter_BezBez(arch, bad, recs));
  EXPECT_EQ(0, Inter_BezBez(arch, arch, recs, nan));
  EXPECT_LE(Inter_BezBez(arch, huge, recs), kInterBezBezMax);
  // A segment shrunk to a point on the other curve touches it there.
  ASSERT_EQ(1, Inter_BezBez(arch, point, recs));
  EXPECT_NEAR(0.5, recs[0].t1, 1e-6);
  int n = -1;
  const double a[2] = {0, 0}, b[2] = {1, nan};
  EXPECT_EQ(0, Inter_LineBez(a, b, arch, n, recs));
  EXPECT_EQ(0, n);
  const double c[2] = {1, 1};
  EXPECT_EQ(0, Inter_CirBez(c, nan, arch, recs));
  EXPECT_EQ(0, Inter_CirBez(c, -1, arch, recs));
  EXPECT_EQ(0, Inter_EllBezEx(c, 1, 0, 0, arch, recs));
  EXPECT_LE(Inter_CirBez(c, 1, huge, recs), kInterCirBezMax);
}

TEST(InterBezier, SwapExchangesTheCurveFields) {
  _tagInterPnt r{1.5, -2.5, 3, 7, 0.25, 0.75, 2, 9};
  SwapIntPnt(r);
  EXPECT_EQ(1.5, r.x);
  EXPECT_EQ(-2.5, r.y);
  EXPECT_EQ(7, r.seg1);
  EXPECT_EQ(3, r.seg2);
  EXPECT_EQ(0.75, r.t1);
  EXPECT_EQ(0.25, r.t2);
  EXPECT_EQ(9, r.sub1);
  EXPECT_EQ(2, r.sub2);
}

}  // namespace
