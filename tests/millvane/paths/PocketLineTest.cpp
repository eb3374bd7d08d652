// The scan-line builder: line placement, crossings against the region boundaries (even-odd over
// outer loops, holes and islands), turned lines and hostile settings.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "millvane/paths/PocketLine.h"

namespace {

using Poly = std::vector<std::array<double, 2>>;

CGeLoop* LoopOf(Poly pts) {
  pts.push_back(pts.front());
  auto* poly = new CGePolyline;
  EXPECT_EQ(poly->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data())), 1);
  poly->m_nClosed = 1;
  poly->Discrete(0.001);
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 1);
  loop->Discrete(0.001);
  return loop;
}

CGeRegion* RegionOf(const std::vector<Poly>& loops) {
  auto* r = new CGeRegion;
  for (const Poly& p : loops) r->m_LoopList.AddTail(LoopOf(p));
  r->CalcBox2d();
  return r;
}

Poly Square(double x0, double y0, double side) {
  return {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
}

Poly Turned(Poly p, double degrees) {
  const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  for (auto& q : p) q = {q[0] * c - q[1] * s, q[0] * s + q[1] * c};
  return p;
}

Poly Circle(double cx, double cy, double r, int n) {
  Poly p;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return p;
}

// Even-odd containment over all rings, the brute-force reference.
bool Inside(const std::vector<Poly>& rings, double x, double y) {
  bool in = false;
  for (const Poly& p : rings)
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
      if ((p[i][1] > y) != (p[j][1] > y) &&
          x < p[j][0] + (y - p[j][1]) * (p[i][0] - p[j][0]) / (p[i][1] - p[j][1]))
        in = !in;
  return in;
}

double Length(const CPocketLine::ScanLine& line) {
  double sum = 0;
  for (size_t i = 0; i + 1 < line.size(); i += 2)
    sum += std::hypot(line[i + 1][0] - line[i][0], line[i + 1][1] - line[i][1]);
  return sum;
}

struct Builder : CPocketLine {
  Builder(std::vector<std::vector<Poly>> regions, double step, double angle = 0, int border = 0) {
    for (const auto& r : regions) m_RegionList.AddTail(RegionOf(r));
    SetScanBorderFlag(border);
    SetAngle(angle);
    SetInterval(step);
  }
};

}  // namespace

// The square 0 .. 10 inset by 1 (done by the caller) with step 1: seven lines of length 8
// strictly inside, nine when the border lines are scanned too.
TEST(PocketLine, SquareRowsInsideAndOnTheBorder) {
  for (int border : {0, 1}) {
    SCOPED_TRACE(border);
    Builder b({{Square(1, 1, 8)}}, 1, 0, border);
    ASSERT_EQ(b.BuildAllScanLine(), 1);
    const auto& lines = b.GetScanLines();
    ASSERT_EQ(lines.size(), border ? 9u : 7u);
    for (size_t k = 0; k < lines.size(); ++k) {
      ASSERT_EQ(lines[k].size(), 2u) << k;
      const double y = (border ? 1.0 : 2.0) + double(k);
      EXPECT_NEAR(lines[k][0][1], y, 1e-6);
      EXPECT_NEAR(lines[k][0][0], 1, 1e-9);
      EXPECT_NEAR(lines[k][1][0], 9, 1e-9);
      EXPECT_NEAR(Length(lines[k]), 8, 1e-9);
      EXPECT_EQ(lines[k][0][4], 1.0);
      EXPECT_EQ(lines[k][1][4], -1.0);
    }
  }
}

// Turning the region and the lines together changes nothing but the coordinates.
TEST(PocketLine, TurnedLinesMatchTheUnturnedScan) {
  const std::vector<Poly> shape = {Circle(3, 2, 5, 90), Square(1, 0, 3)};
  Builder plain({shape}, 0.37);
  ASSERT_EQ(plain.BuildAllScanLine(), 1);
  for (double angle : {30.0, -75.0, 180.0}) {
    SCOPED_TRACE(angle);
    std::vector<Poly> turned;
    for (const Poly& p : shape) turned.push_back(Turned(p, angle));
    Builder b({turned}, 0.37, angle);
    ASSERT_EQ(b.BuildAllScanLine(), 1);
    ASSERT_EQ(b.GetScanLines().size(), plain.GetScanLines().size());
    const double a = angle * std::numbers::pi / 180;
    for (size_t k = 0; k < b.GetScanLines().size(); ++k) {
      const auto& got = b.GetScanLines()[k];
      const auto& want = plain.GetScanLines()[k];
      ASSERT_EQ(got.size(), want.size()) << k;
      for (size_t i = 0; i < got.size(); ++i) {
        // Loop point buffers hold float-rounded points: the turned outline differs by that.
        EXPECT_NEAR(got[i][0], want[i][0] * std::cos(a) - want[i][1] * std::sin(a), 1e-5);
        EXPECT_NEAR(got[i][1], want[i][0] * std::sin(a) + want[i][1] * std::cos(a), 1e-5);
        // Along the line, in order.
        if (i) {
          EXPECT_GT(got[i][2], got[i - 1][2]);
        }
      }
    }
  }
}

// A square with a hole, an island in the hole given as a second region, and a separate disc:
// every interval's midpoint is inside by the even-odd rule, every gap's midpoint outside, and
// the crossings lie on the boundary.
TEST(PocketLine, IslandsFollowTheEvenOddRule) {
  const std::vector<Poly> outer = {Square(0, 0, 20), Turned(Square(4, 4, 10), 0)};
  const std::vector<Poly> island = {Circle(9, 9, 3, 64)};
  const std::vector<Poly> disc = {Circle(30, 10, 4, 64)};
  std::vector<Poly> all = outer;
  all.push_back(island[0]);
  all.push_back(disc[0]);
  for (double angle : {0.0, 17.0}) {
    Builder b({outer, island, disc}, 0.5, angle);
    ASSERT_EQ(b.BuildAllScanLine(), 1);
    const double a = angle * std::numbers::pi / 180;
    int lines = 0;
    for (const auto& line : b.GetScanLines()) {
      ASSERT_EQ(line.size() % 2, 0u);
      if (line.empty()) continue;
      ++lines;
      const double v = line[0][3];
      auto world = [&](double u) {
        return std::array<double, 2>{u * std::cos(a) - v * std::sin(a), u * std::sin(a) + v * std::cos(a)};
      };
      for (size_t i = 0; i + 1 < line.size(); ++i) {
        const auto m = world((line[i][2] + line[i + 1][2]) / 2);
        EXPECT_EQ(Inside(all, m[0], m[1]), i % 2 == 0) << "v " << v << " i " << i;
      }
      // Before the first and after the last crossing: outside.
      const auto before = world(line.front()[2] - 0.01), after = world(line.back()[2] + 0.01);
      EXPECT_FALSE(Inside(all, before[0], before[1]));
      EXPECT_FALSE(Inside(all, after[0], after[1]));
    }
    EXPECT_GE(lines, 39);  // 20 high at step 0.5
  }
}

// The lines sample the area: step x the summed interval lengths approaches the area.
TEST(PocketLine, IntervalLengthsIntegrateToTheArea) {
  const double r = 7;
  Builder b({{Circle(2, -3, r, 720)}, {Square(20, 0, 5), Square(21, 1, 2)}}, 0.01, 40);
  ASSERT_EQ(b.BuildAllScanLine(), 1);
  double sum = 0;
  for (const auto& line : b.GetScanLines()) sum += Length(line);
  const double polygonArea = 0.5 * 720 * r * r * std::sin(2 * std::numbers::pi / 720);
  EXPECT_NEAR(sum * 0.01, polygonArea + 25 - 4, 0.05);
}

// Overlapping regions are united rather than cancelled.
TEST(PocketLine, OverlappingRegionsAreUnited) {
  Builder b({{Square(0, 0, 10)}, {Square(5, 0, 10)}}, 1);
  ASSERT_EQ(b.BuildAllScanLine(), 1);
  for (const auto& line : b.GetScanLines()) {
    ASSERT_EQ(line.size(), 2u);
    EXPECT_NEAR(Length(line), 15, 1e-9);
  }
}

// A comb of 1500 teeth: one line meets its boundary 3000 times, and keeps every crossing.
TEST(PocketLine, ManyCrossingsOnOneLine) {
  Poly comb{{0, 0}};
  for (int i = 0; i < 1500; ++i) {
    comb.push_back({2.0 * i, 10});
    comb.push_back({2.0 * i + 1, 10});
    comb.push_back({2.0 * i + 1, 1});
    comb.push_back({2.0 * i + 2, 1});
  }
  comb.push_back({3000, 0});
  Builder b({{comb}}, 3);  // lines at y 3, 6, 9
  ASSERT_EQ(b.BuildAllScanLine(), 1);
  ASSERT_EQ(b.GetScanLines().size(), 3u);
  for (const auto& line : b.GetScanLines()) {
    ASSERT_EQ(line.size(), 3000u);
    EXPECT_NEAR(Length(line), 1500, 1e-6);
  }
  // Taken over: the builder keeps none.
  std::vector<CPocketLine::ScanLine> mine = b.TakeScanLines();
  EXPECT_EQ(mine.size(), 3u);
  EXPECT_TRUE(b.GetScanLines().empty());
}

TEST(PocketLine, UnusableSettingsAndRegionsBuildNothing) {
  const struct {
    const char* name;
    double step, angle;
  } settings[] = {{"zero step", 0, 0},       {"negative step", -1, 0},
                  {"NaN step", NAN, 0},      {"infinite step", INFINITY, 0},
                  {"NaN angle", 1, NAN},     {"absurd line count", 1e-9, 0}};
  for (const auto& s : settings) {
    Builder b({{Square(0, 0, 10)}}, s.step, s.angle);
    EXPECT_EQ(b.BuildAllScanLine(), 0) << s.name;
    EXPECT_TRUE(b.GetScanLines().empty()) << s.name;
  }
  // No region, an empty region, a region without area, a step wider than the region.
  {
    Builder none({}, 1);
    EXPECT_EQ(none.BuildAllScanLine(), 0);
    none.m_RegionList.AddTail(new CGeRegion);
    none.m_RegionList.AddTail(static_cast<CGeRegion*>(nullptr));
    EXPECT_EQ(none.BuildAllScanLine(), 0);
  }
  Builder flat({{{{0, 0}, {5, 0}, {10, 0}}}}, 1);
  EXPECT_EQ(flat.BuildAllScanLine(), 0);
  Builder wide({{Square(0, 0, 1)}}, 5);
  EXPECT_EQ(wide.BuildAllScanLine(), 0);
  // A point that is not finite poisons the outline: nothing is built.
  Builder bad({{Square(0, 0, 4)}}, 1);
  CGeLoop* loop = bad.m_RegionList.GetHead()->m_LoopList.GetHead();
  loop->m_pSWPoint[1][0] = NAN;
  EXPECT_EQ(bad.BuildAllScanLine(), 0);
  // A rebuild replaces the lines of an earlier run.
  Builder again({{Square(0, 0, 4)}}, 1);
  ASSERT_EQ(again.BuildAllScanLine(), 1);
  EXPECT_EQ(again.GetScanLines().size(), 3u);
  again.SetInterval(2);
  ASSERT_EQ(again.BuildAllScanLine(), 1);
  EXPECT_EQ(again.GetScanLines().size(), 1u);
}

// A million-vertex outline is scanned edge by edge into the lines it spans, not line by edge.
TEST(PocketLine, MillionVertexOutline) {
  const double r = 50;
  Builder b({{Circle(0, 0, r, 1000000)}}, 0.5, 10);
  ASSERT_EQ(b.BuildAllScanLine(), 1);
  EXPECT_NEAR(double(b.GetScanLines().size()), 199, 1);
  // Float-rounded vertices make the outline jagged where a line grazes it, so a line there may
  // cut it more than twice; the lengths still add up to the area.
  double sum = 0;
  for (const auto& line : b.GetScanLines()) {
    ASSERT_EQ(line.size() % 2, 0u);
    sum += Length(line);
  }
  EXPECT_NEAR(sum * 0.5, std::numbers::pi * r * r, 0.01 * std::numbers::pi * r * r);
}
