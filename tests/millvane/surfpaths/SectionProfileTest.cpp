// Envelope of section segments against a brute-force maximum, and the point-curve editing
// steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "millvane/surfpaths/SectionProfile.h"

namespace {

// Highest segment over u, or -inf where no segment reaches.
double BruteEnvelope(const std::vector<SectSeg>& segs, double u) {
  double best = -INFINITY;
  for (const SectSeg& s : segs) {
    double a = std::min(s.u0, s.u1), b = std::max(s.u0, s.u1);
    if (u < a || u > b || b - a < 1e-12) continue;
    best = std::max(best, s.v0 + (s.v1 - s.v0) * (u - s.u0) / (s.u1 - s.u0));
  }
  return best;
}

double CurveAt(const PtCurve& c, double u) {
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    if (u >= c[i][0] && u <= c[i + 1][0]) {
      double du = c[i + 1][0] - c[i][0];
      if (du < 1e-12) return std::max(c[i][1], c[i + 1][1]);
      return c[i][1] + (c[i + 1][1] - c[i][1]) * (u - c[i][0]) / du;
    }
  }
  return NAN;
}

// A terrain polyline cut into segments, given in shuffled order and directions, plus clutter
// lying wholly below it.
std::vector<SectSeg> TerrainWithClutter(std::mt19937& rng, PtCurve& terrain) {
  std::uniform_real_distribution<double> h(0.0, 3.0), du(0.2, 1.0);
  terrain.clear();
  double u = 0;
  for (int i = 0; i < 40; ++i, u += du(rng)) terrain.push_back({u, h(rng)});
  std::vector<SectSeg> segs;
  for (size_t i = 0; i + 1 < terrain.size(); ++i) {
    const Pt2 &a = terrain[i], &b = terrain[i + 1];
    if (rng() & 1) segs.push_back({a[0], a[1], b[0], b[1]});
    else segs.push_back({b[0], b[1], a[0], a[1]});
    // Clutter: lying at least 0.5 under the stretch.
    const double low = std::min(a[1], b[1]) - 0.5;
    segs.push_back({a[0] + 0.05, low - h(rng), b[0] - 0.05, low - h(rng)});
  }
  std::shuffle(segs.begin(), segs.end(), rng);
  return segs;
}

TEST(SectionProfile, TerrainUnderClutterIsRecoveredExactly) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 20; ++trial) {
    PtCurve terrain;
    std::vector<SectSeg> segs = TerrainWithClutter(rng, terrain);
    CSectionProfile prof;
    prof.Build(segs);
    PtCurve line;
    ASSERT_EQ(prof.ToPolyline(line), 1);
    for (double u = terrain.front()[0]; u <= terrain.back()[0]; u += 0.013)
      ASSERT_NEAR(CurveAt(line, u), CurveAt(terrain, u), 1e-9) << "trial " << trial << " u " << u;
  }
}

TEST(SectionProfile, CrossingSegmentsAfterSplitFollowTheBruteForceMaximum) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> pos(0.0, 20.0), len(0.5, 6.0), slope(-1.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<SectSeg> segs;
    for (int i = 0; i < 60; ++i) {
      double u0 = pos(rng), l = len(rng), v0 = pos(rng) * 0.2, k = slope(rng);
      segs.push_back({u0, v0, u0 + l, v0 + k * l});
    }
    std::vector<SectSeg> orig = segs;
    SplitCrossingSegments(segs);
    // No two pieces cross properly any more.
    for (size_t i = 0; i < segs.size(); ++i)
      for (size_t j = i + 1; j < segs.size(); ++j) {
        const SectSeg &a = segs[i], &b = segs[j];
        double det = (a.u1 - a.u0) * (b.v1 - b.v0) - (a.v1 - a.v0) * (b.u1 - b.u0);
        if (std::fabs(det) < 1e-9) continue;
        double ex = b.u0 - a.u0, ey = b.v0 - a.v0;
        double s = (ex * (b.v1 - b.v0) - ey * (b.u1 - b.u0)) / det;
        double t = (ex * (a.v1 - a.v0) - ey * (a.u1 - a.u0)) / det;
        ASSERT_FALSE(s > 0.001 && s < 0.999 && t > 0.001 && t < 0.999);
      }
    CSectionProfile prof;
    prof.Build(segs);
    // Node sharing may move an end by up to 0.01 along u: no node value stands above the
    // envelope nearby.
    auto nearMax = [&](double u) {
      double hi = -INFINITY;
      for (int k = -20; k <= 20; ++k) hi = std::max(hi, BruteEnvelope(orig, u + k * 0.0005));
      return hi;
    };
    for (const ProfileNode& n : prof.nodes) {
      const double hi = nearMax(n.u);
      if (n.left > -1e11) {
        ASSERT_LE(n.left, hi + 0.02) << "trial " << trial << " u " << n.u;
      }
      if (n.right > -1e11) {
        ASSERT_LE(n.right, hi + 0.02) << "trial " << trial << " u " << n.u;
      }
    }
    std::vector<PtCurve> curves;
    prof.ToCurves(-1e9, 0.0, 0.0, curves);
    ASSERT_FALSE(curves.empty());
    // Curves are simplified with 0.01 and slopes are at most 1: heights may be off by 0.02.
    for (double u = 0.0; u <= 26.0; u += 0.017) {
      double want = BruteEnvelope(orig, u);
      if (!std::isfinite(want)) continue;
      double got = -INFINITY;
      for (const PtCurve& c : curves)
        if (u >= c.front()[0] && u <= c.back()[0]) got = std::max(got, CurveAt(c, u));
      if (!std::isfinite(got)) continue;  // a gap left where a crossing piece was too short
      double lo = want;
      for (int k = -20; k <= 20; ++k) {
        double w = BruteEnvelope(orig, u + k * 0.0005);
        if (std::isfinite(w)) lo = std::min(lo, w);
      }
      // Curves never dip under the envelope (narrow slots are only ever filled).
      ASSERT_GE(got, lo - 0.02) << "trial " << trial << " u " << u;
    }
  }
}

TEST(SectionProfile, CurvesStopWhereTheProfileDropsBelowTheFloor) {
  // A plateau at 2, a valley down to -1, a plateau at 2 again; floor 0.
  std::vector<SectSeg> segs = {
      {0, 2, 4, 2}, {4, 2, 5, -1}, {5, -1, 6, -1}, {6, -1, 7, 2}, {7, 2, 10, 2}};
  CSectionProfile prof;
  prof.Build(segs);
  std::vector<PtCurve> curves;
  prof.ToCurves(0.0, 0.0, 0.0, curves);
  // The dip is a sloped stretch, not a step: nodes at 5 and 6 lie below the floor.
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_NEAR(curves[0].front()[0], 0, 1e-12);
  EXPECT_NEAR(curves[0].back()[0], 4, 1e-12);
  EXPECT_NEAR(curves[1].front()[0], 7, 1e-12);
  EXPECT_NEAR(curves[1].back()[0], 10, 1e-12);
  for (const PtCurve& c : curves)
    for (const Pt2& p : c) EXPECT_GE(p[1], 0.0);
}

TEST(SectionProfile, StepsBecomeTwoPointsOrSplitTheCurve) {
  // A step of 1 at u = 5.
  std::vector<SectSeg> segs = {{0, 1, 5, 1}, {5, 2, 10, 2}};
  struct Case {
    double split, minExt;
    size_t curves, firstPoints;
  } cases[] = {{0.0, 0.0, 1, 4}, {0.01, 0.05, 2, 2}};
  for (const Case& c : cases) {
    CSectionProfile prof;
    prof.Build(segs);
    std::vector<PtCurve> curves;
    prof.ToCurves(-10.0, c.split, c.minExt, curves);
    ASSERT_EQ(curves.size(), c.curves) << c.split;
    EXPECT_EQ(curves[0].size(), c.firstPoints) << c.split;
  }
}

TEST(SectionProfile, NarrowSlotIsBridged) {
  // A slot 0.05 wide and 1 deep between two plateaus at 2.
  std::vector<SectSeg> segs = {{0, 2, 5, 2}, {5, 1, 5.05, 1}, {5.05, 2, 10, 2}};
  CSectionProfile prof;
  prof.Build(segs);
  std::vector<PtCurve> curves;
  prof.ToCurves(-10.0, 0.0, 0.0, curves);
  ASSERT_EQ(curves.size(), 1u);
  for (const Pt2& p : curves[0]) EXPECT_NEAR(p[1], 2.0, 1e-9);
}

TEST(SectionProfile, WallAtTheStartRaisesTheFirstNode) {
  std::vector<SectSeg> segs = {{0, 1, 5, 1}, {0, 0, 0.001, 3}};
  CSectionProfile prof;
  prof.Build(segs);
  ASSERT_GE(prof.nodes.size(), 3u);
  // The wall fell on the node at 0; a new first node stands 0.01 further out.
  EXPECT_NEAR(prof.nodes[0].u, -0.01, 1e-12);
  EXPECT_EQ(prof.nodes[0].right, 3.0);
  // A short, low wall in the middle changes nothing.
  CSectionProfile flat;
  flat.Build({{0, 1, 5, 1}, {2.5, 0, 2.5, 0.04}, {2.5, 0, 2.5, 0.5}});
  EXPECT_EQ(flat.nodes.size(), 2u);
}

TEST(SectionProfile, NonFiniteSegmentsAreIgnored) {
  CSectionProfile prof;
  prof.Build({{0, 1, 5, 1}, {NAN, 0, 1, 1}, {0, INFINITY, 3, 1}});
  EXPECT_EQ(prof.nodes.size(), 2u);
}

TEST(PointCurve, SimplifyKeepsEveryDroppedPointWithinTolerance) {
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.004);
  PtCurve c;
  for (int i = 0; i <= 400; ++i) {
    double t = i * 0.025;
    c.push_back({t, std::sin(t) + noise(rng)});
  }
  PtCurve s = c;
  SimplifyCurve(s, 0.01, false);
  EXPECT_LT(s.size(), c.size() / 4);
  EXPECT_EQ(s.front(), c.front());
  EXPECT_EQ(s.back(), c.back());
  for (const Pt2& p : c) {
    double best = 1e9;
    for (size_t i = 0; i + 1 < s.size(); ++i) best = std::min(best, PointSegDist(p, s[i], s[i + 1]));
    ASSERT_LE(best, 0.01 + 1e-12);
  }
}

TEST(PointCurve, SeamPassDropsARedundantStartOfAClosedCurve) {
  // A square with its seam in the middle of an edge.
  PtCurve c = {{0, 5}, {0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}};
  SimplifyCurve(c, 0.01, true);
  CloseCurve(c);
  EXPECT_EQ(c.size(), 5u);
  EXPECT_EQ(c.front(), c.back());
}

TEST(PointCurve, CloseAppendsOrSnaps) {
  PtCurve open = {{0, 0}, {1, 0}, {1, 1}};
  CloseCurve(open);
  ASSERT_EQ(open.size(), 4u);
  EXPECT_EQ(open.back(), open.front());
  PtCurve nearly = {{0, 0}, {1, 0}, {1, 1}, {0.01, 0.01}};
  CloseCurve(nearly);
  ASSERT_EQ(nearly.size(), 4u);
  EXPECT_EQ(nearly.back(), nearly.front());
}

}  // namespace
