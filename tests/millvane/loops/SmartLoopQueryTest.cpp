// Scan-line, line and circle queries of a loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numbers>

#include "millvane/loops/SectRowIndex.h"
#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

// Brute-force crossings of a horizontal line with a polygon, for y off its vertices.
std::vector<double> ScanPolygon(const Pts& p, double y) {
  std::vector<double> xs;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& a = p[i];
    const auto& b = p[(i + 1) % p.size()];
    if ((a[1] > y) != (b[1] > y)) xs.push_back(a[0] + (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]));
  }
  std::sort(xs.begin(), xs.end());
  return xs;
}

std::vector<double> Scan(const CSmartLoop* l, double y) {
  double pts[64][2];
  const int n = l->GetYLineIntContour(y, pts, 64);
  std::vector<double> xs;
  for (int i = 0; i < n; ++i) xs.push_back(pts[i][0]);
  return xs;
}

void ExpectSame(const std::vector<double>& a, const std::vector<double>& b, double tol) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], tol) << i;
}

TEST(SmartLoopQuery, ScanLinesMatchBruteForce) {
  Pts star;
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 ? 2.0 : 5.0, a = std::numbers::pi / 2 + i * std::numbers::pi / 5;
    star.push_back({r * std::cos(a), r * std::sin(a)});
  }
  std::unique_ptr<CSmartLoop> l(Polygon(star));
  for (double y = -4.9; y < 5; y += 0.173) ExpectSame(Scan(l.get(), y), ScanPolygon(star, y), 1e-9);
  // Through vertices: tips turn back (no crossing), shoulders pass through (one); the answer
  // is that of a scan just above or just below.
  for (const auto& v : star) {
    const auto got = Scan(l.get(), v[1]);
    const auto above = ScanPolygon(star, v[1] + 1e-9), below = ScanPolygon(star, v[1] - 1e-9);
    const auto& want = got.size() == above.size() ? above : below;
    ExpectSame(got, want, 1e-6);
  }
}

TEST(SmartLoopQuery, ScanLinesAlongFlatEdges) {
  // A step: the run at y = 5 continues the chain upwards and counts once.
  std::unique_ptr<CSmartLoop> step(Polygon({{0, 0}, {10, 0}, {10, 5}, {6, 5}, {6, 10}, {0, 10}}));
  ExpectSame(Scan(step.get(), 5), {0, 6}, 1e-12);
  // A notch: the chain comes down to y = 5 and goes back up, so the run does not count.
  std::unique_ptr<CSmartLoop> notch(
      Polygon({{0, 0}, {10, 0}, {10, 10}, {7, 10}, {7, 5}, {3, 5}, {3, 10}, {0, 10}}));
  ExpectSame(Scan(notch.get(), 5), {0, 10}, 1e-12);
  // Islands take part.
  std::unique_ptr<CSmartLoop> ring(Rect(0, 0, 10, 10));
  CSmartLoop* hole = Circle(5, 5, 2, false);
  ring->AddIsland(hole);
  ExpectSame(Scan(ring.get(), 5), {0, 3, 7, 10}, 1e-9);
}

// Scan lines read through a row index find what a walk over every section finds, in the same
// order: on rows, between them, at vertices and along flat runs, off the grid, on rows merged
// because a comb's teeth would fill every row, and with an index of another contour.
TEST(SmartLoopQuery, RowIndexGivesTheCrossingsOfTheFullWalk) {
  std::unique_ptr<CSmartLoop> c(
      Polygon({{0, 0}, {30, 0}, {30, 10}, {26, 10}, {26, 20}, {20, 20}, {20, 15}, {14, 15}, {14, 20}, {0, 20}}));
  c->AddIsland(Circle(5, 5, 2, false));
  c->AddIsland(Rect(8, 2, 12, 6));
  Pts comb;  // twenty teeth from y = 1 to y = 19
  for (int t = 0; t < 20; ++t) {
    comb.push_back({16 + 0.4 * t, 1});
    comb.push_back({16.2 + 0.4 * t, 19});
  }
  comb.push_back({24, 1});
  c->AddIsland(Polygon(comb));
  std::unique_ptr<CSmartLoop> other(Rect(0, 0, 30, 20));
  std::vector<double> ys = {-0.5, 0, 20, 25, std::nan("")};
  for (double y = 0.013; y < 20; y += 0.037) ys.push_back(y);
  for (const CSmartLoop* l = c.get(); l; l = (l == c.get() ? c->islands : l->next))
    for (CSmartSect* s = l->curve->head; s; s = s->next) ys.push_back(s->box[1]);
  for (double pitch : {0.5, 0.002}) {
    const CSectRowIndex index(c.get(), 0.0, pitch, static_cast<int>(20 / pitch) + 2);
    for (const CSmartLoop* scanned : {c.get(), other.get()})
      for (double y : ys) {
        double want[256][2], got[256][2];
        CSmartSect* wantS[256];
        CSmartSect* gotS[256];
        const int n = scanned->GetYLineInt(y, want, wantS, 256);
        ASSERT_EQ(scanned->GetYLineInt(y, got, gotS, 256, &index), n) << pitch << " " << y;
        for (int i = 0; i < n; ++i) {
          EXPECT_EQ(gotS[i], wantS[i]);
          EXPECT_EQ(got[i][0], want[i][0]);
          EXPECT_EQ(got[i][1], want[i][1]);
        }
      }
  }
}

TEST(SmartLoopQuery, LinesAndCircles) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
  double pts[8][2];
  CSmartSect* sects[8];
  const double c0[2] = {0, 0};
  ASSERT_EQ(sq->GetCircleInt(c0, 5, pts, sects, 8), 2);
  for (int i = 0; i < 2; ++i) EXPECT_NEAR(std::hypot(pts[i][0], pts[i][1]), 5, 1e-12);
  std::unique_ptr<CSmartLoop> circ(Circle(0, 0, 3));
  const double p[2] = {-1, -1}, q[2] = {1, 1};
  ASSERT_EQ(circ->GetLineInt(p, q, pts, sects, 8), 2);
  EXPECT_NEAR(std::fabs(pts[0][0]), 3 / std::sqrt(2), 1e-12);
  EXPECT_EQ(sects[0], circ->curve->head);

  // An arc section against the square: parameters on both.
  const double ac[2] = {10, 5};
  CSmartArc arc(ac, 2.0, std::numbers::pi / 2, 3 * std::numbers::pi / 2);
  double pa[4][4];
  ASSERT_EQ(sq->GetCircleInt(&arc, pa, sects, 4), 2);
  for (int i = 0; i < 2; ++i) {
    double on[2];
    sects[i]->EvPoint(pa[i][2], on);
    EXPECT_NEAR(on[0], pa[i][0], 1e-9);
    arc.EvPoint(pa[i][3], on);
    EXPECT_NEAR(on[1], pa[i][1], 1e-9);
  }

  const double s0[2] = {5, 5}, s1[2] = {15, 5}, s2[2] = {5, 10}, s3[2] = {2, 2}, s4[2] = {8, 8};
  CSmartLine out(s0, s1), toEdge(s0, s2), inside(s3, s4);
  EXPECT_EQ(sq->IsLineInt(&out), 1);
  EXPECT_EQ(sq->IsLineInt(&toEdge), 0);  // ends on the boundary
  EXPECT_EQ(sq->IsLineInt(&inside), 0);
}

TEST(SmartLoopQuery, DetourAroundALoop) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
  const double a[2] = {-5, 5}, b[2] = {15, 5};
  CSmartLine through(a, b);
  CSmartCurve* detour = nullptr;
  ASSERT_EQ(sq->LineIntCurve(&through, detour), 1);
  ASSERT_TRUE(detour);
  double len = 0;
  for (CSmartSect* s = detour->head; s; s = s->next) {
    len += s->Length();
    if (s->next) {
      double e[2], n[2];
      s->EndPoint(e);
      s->next->StartPoint(n);
      EXPECT_LT(std::hypot(e[0] - n[0], e[1] - n[1]), 1e-12);
    }
  }
  EXPECT_NEAR(len, 30.0, 1e-12);  // 5 in, half the square round, 5 out
  double s[2], e[2];
  detour->head->StartPoint(s);
  detour->tail->EndPoint(e);
  EXPECT_EQ(s[0], -5);
  EXPECT_EQ(e[0], 15);
  delete detour;
  // A short line across a long thin loop would detour too far: no curve, but it touches.
  std::unique_ptr<CSmartLoop> thin(Rect(0, 0, 1, 100));
  const double c[2] = {-1, 50}, d[2] = {2, 50};
  CSmartLine across(c, d);
  ASSERT_EQ(thin->LineIntCurve(&across, detour), 1);
  EXPECT_EQ(detour, nullptr);
  const double f[2] = {-1, 200}, g[2] = {2, 200};
  CSmartLine miss(f, g);
  EXPECT_EQ(thin->LineIntCurve(&miss, detour), 0);
}

}  // namespace
