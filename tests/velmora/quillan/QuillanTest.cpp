// The inscribed-circle service against closed forms, a brute-force grid search and bad input.
#include "velmora/quillan/Quillan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "velmora/quillan/InscribedCircle.h"

namespace {

constexpr double kTol = 0.01;
const double kSqrt2 = std::sqrt(2.0);

CGeLoop* Polygon(const std::vector<QlPoint>& pts) {
  auto* loop = new CGeLoop;
  for (size_t i = 0; i < pts.size(); ++i)
    loop->AddTail(new CGeLine(pts[i].data(), pts[(i + 1) % pts.size()].data()), 0);
  loop->CalcBox2d();
  return loop;
}

std::vector<QlPoint> Rect(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

std::vector<QlPoint> Regular(int n, double r, double phase) {
  std::vector<QlPoint> pts;
  for (int i = 0; i < n; ++i) {
    const double a = phase + 2 * std::numbers::pi * i / n;
    pts.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return pts;
}

// One closed polyline, as curves converted for measuring arrive.
CGeLoop* PolylineLoop(const std::vector<QlPoint>& pts) {
  auto* pline = new CGePolyline(int(pts.size()) + 1);
  for (size_t i = 0; i <= pts.size(); ++i) pline->SetPoint(int(i), pts[i % pts.size()].data());
  auto* loop = new CGeLoop;
  loop->AddTail(pline, 0);
  loop->CalcBox2d();
  return loop;
}

CGeLoop* Circle(double cx, double cy, double r) {
  auto* loop = new CGeLoop;
  const double c[2] = {cx, cy};
  loop->AddTail(new CGeCircle(c, r, 1), 0);
  loop->CalcBox2d();
  return loop;
}

// A slot 20 long between the centres of its round ends of radius 3.
CGeLoop* Slot() {
  const double pi = std::numbers::pi;
  const double a[2] = {0, 0}, b[2] = {20, 0}, c[2] = {20, 6}, d[2] = {0, 6};
  const double right[2] = {20, 3}, left[2] = {0, 3};
  auto* loop = new CGeLoop;
  loop->AddTail(new CGeLine(a, b), 0);
  auto* arc = new CGeArc;
  EXPECT_EQ(arc->CreateCSEAngle(right, 3, -pi / 2, pi / 2), 1);
  loop->AddTail(arc, 0);
  loop->AddTail(new CGeLine(c, d), 0);
  arc = new CGeArc;
  EXPECT_EQ(arc->CreateCSEAngle(left, 3, pi / 2, 3 * pi / 2), 1);
  loop->AddTail(arc, 0);
  loop->CalcBox2d();
  return loop;
}

// Owns the loops handed to the service.
struct Loops {
  CGeLoopList list;
  ~Loops() {
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
  Loops& Add(CGeLoop* loop) {
    list.AddTail(loop);
    return *this;
  }
};

double Radius(Loops& loops, bool together = true) {
  if (!vnStart(&loops.list, nullptr, together)) return -1.0;
  const double r = vnGetMaxRadius(kTol);
  vnEnd();
  return r;
}

struct ClosedForm {
  const char* name;
  std::function<void(Loops&)> build;
  double radius;
};

}  // namespace

TEST(Quillan, MatchesClosedForms) {
  const ClosedForm cases[] = {
      {"square", [](Loops& l) { l.Add(Polygon(Rect(0, 0, 10, 10))); }, 5.0},
      {"rectangle", [](Loops& l) { l.Add(Polygon(Rect(-3, 2, 27, 10))); }, 4.0},
      {"circle", [](Loops& l) { l.Add(Circle(3, -2, 7)); }, 7.0},
      {"triangle", [](Loops& l) { l.Add(Polygon(Regular(3, 10, 0.3))); }, 10 * std::cos(std::numbers::pi / 3)},
      {"pentagon", [](Loops& l) { l.Add(Polygon(Regular(5, 10, 0.1))); }, 10 * std::cos(std::numbers::pi / 5)},
      {"hexagon", [](Loops& l) { l.Add(Polygon(Regular(6, 10, 0.0))); }, 10 * std::cos(std::numbers::pi / 6)},
      {"12-gon", [](Loops& l) { l.Add(Polygon(Regular(12, 10, 0.7))); }, 10 * std::cos(std::numbers::pi / 12)},
      {"slot with round ends", [](Loops& l) { l.Add(Slot()); }, 3.0},
      {"octagon polyline", [](Loops& l) { l.Add(PolylineLoop(Regular(8, 4, 0.2))); }, 4 * std::cos(std::numbers::pi / 8)},
      // Tangent to two sides in a corner and to the round island: sqrt2 (5 - r) = r + 1.
      {"square with round island",
       [](Loops& l) { l.Add(Polygon(Rect(0, 0, 10, 10))).Add(Circle(5, 5, 1)); },
       (5 * kSqrt2 - 1) / (kSqrt2 + 1)},
      // Frame 5, channel 12.5, and the island within the hole, 15, which wins.
      {"island inside a hole",
       [](Loops& l) {
         l.Add(Polygon(Rect(0, 0, 100, 100))).Add(Polygon(Rect(10, 10, 90, 90)));
         l.Add(Polygon(Rect(35, 35, 65, 65)));
       },
       15.0},
      // Touches both outer sides and the re-entrant corner: sqrt2 (10 - r) = r.
      {"L-shape",
       [](Loops& l) { l.Add(Polygon({{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}})); },
       10 * kSqrt2 / (1 + kSqrt2)},
  };
  for (const ClosedForm& c : cases) {
    SCOPED_TRACE(c.name);
    Loops loops;
    c.build(loops);
    EXPECT_NEAR(Radius(loops), c.radius, kTol);

    // Moved far away and with every loop turned round, the answer is the same.
    for (POSITION pos = loops.list.GetHeadPosition(); pos;) {
      CGeLoop* loop = loops.list.GetNext(pos);
      const double v[2] = {1500.0, -730.0};
      loop->Translate(v);
      loop->Reverse();
    }
    EXPECT_NEAR(Radius(loops), c.radius, kTol);
  }
}

TEST(Quillan, LShapeAgreesWithGridSearch) {
  // An L with unequal arms, checked against a plain grid search of its own.
  const std::vector<QlPoint> outline{{0, 0}, {31, 0}, {31, 7}, {9, 7}, {9, 23}, {0, 23}};
  const auto inside = [](double x, double y) {
    return (x > 0 && x < 31 && y > 0 && y < 7) || (x > 0 && x < 9 && y > 0 && y < 23);
  };
  const auto edgeDistance = [&](double x, double y) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < outline.size(); ++i) {
      const QlPoint a = outline[i], b = outline[(i + 1) % outline.size()];
      const double dx = b[0] - a[0], dy = b[1] - a[1];
      double t = ((x - a[0]) * dx + (y - a[1]) * dy) / (dx * dx + dy * dy);
      t = std::fmax(0.0, std::fmin(1.0, t));
      best = std::fmin(best, std::hypot(x - a[0] - t * dx, y - a[1] - t * dy));
    }
    return best;
  };
  const double step = 0.02;
  double brute = 0.0;
  for (double x = step / 2; x < 31; x += step)
    for (double y = step / 2; y < 23; y += step)
      if (inside(x, y)) brute = std::fmax(brute, edgeDistance(x, y));

  Loops loops;
  loops.Add(Polygon(outline));
  const double r = Radius(loops);
  // The grid finds a lower bound that is at most half a cell diagonal short.
  EXPECT_GE(r, brute - kTol);
  EXPECT_LE(r, brute + step * kSqrt2 / 2 + kTol);
}

TEST(Quillan, LoopsAloneOrTogether) {
  Loops loops;
  loops.Add(Polygon(Rect(0, 0, 10, 10))).Add(Circle(5, 5, 1));
  EXPECT_NEAR(Radius(loops, true), (5 * kSqrt2 - 1) / (kSqrt2 + 1), kTol);
  // Each loop by itself: the square's own circle.
  EXPECT_NEAR(Radius(loops, false), 5.0, kTol);
}

TEST(Quillan, RegionsCountAsTheirLoops) {
  auto region = std::make_unique<CGeRegion>();
  region->m_LoopList.AddTail(Polygon(Rect(0, 0, 10, 10)));
  region->m_LoopList.AddTail(Circle(5, 5, 1));
  CGeRegionList regions;
  regions.AddTail(region.get());
  Loops extra;
  extra.Add(Polygon(Rect(20, 0, 26, 4)));
  ASSERT_TRUE(vnStart(&extra.list, &regions, true));
  EXPECT_NEAR(vnGetMaxRadius(kTol), (5 * kSqrt2 - 1) / (kSqrt2 + 1), kTol);
  vnEnd();
  while (!region->m_LoopList.IsEmpty()) delete region->m_LoopList.RemoveHead();
}

TEST(Quillan, SessionOutlivesTheCallersLoops) {
  {
    Loops loops;
    loops.Add(Polygon(Rect(0, 0, 8, 8)));
    ASSERT_TRUE(vnStart(&loops.list, nullptr, true));
  }
  EXPECT_NEAR(vnGetMaxRadius(kTol), 4.0, kTol);
  // Asked twice, at a finer tolerance, the same answer.
  EXPECT_NEAR(vnGetMaxRadius(kTol / 10), 4.0, kTol / 10);
  vnEnd();
  EXPECT_EQ(vnGetMaxRadius(kTol), 0.0);
  vnEnd();
}

TEST(Quillan, BadInputFailsClearly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(vnStart(nullptr, nullptr, true));
  EXPECT_EQ(vnGetMaxRadius(kTol), 0.0);

  CGeLoopList empty;
  EXPECT_FALSE(vnStart(&empty, nullptr, true));

  CGeLoopList withNull;
  withNull.AddTail(static_cast<CGeLoop*>(nullptr));
  EXPECT_FALSE(vnStart(&withNull, nullptr, true));

  Loops noCurves;
  noCurves.Add(new CGeLoop);
  EXPECT_FALSE(vnStart(&noCurves.list, nullptr, true));

  CGeRegionList nullRegion;
  nullRegion.AddTail(static_cast<CGeRegion*>(nullptr));
  EXPECT_FALSE(vnStart(nullptr, &nullRegion, true));

  // Started, but no answer: 0, the result the caller shows nothing for.
  const std::vector<std::pair<const char*, std::function<CGeLoop*()>>> noAnswer{
      {"open", [] {
         auto* loop = new CGeLoop;
         const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 10}, d[2] = {0, 10};
         loop->AddTail(new CGeLine(a, b), 0);
         loop->AddTail(new CGeLine(b, c), 0);
         loop->AddTail(new CGeLine(c, d), 0);
         return loop;
       }},
      {"pieces apart", [] {
         auto* loop = new CGeLoop;
         const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 5}, d[2] = {0, 0};
         loop->AddTail(new CGeLine(a, b), 0);
         loop->AddTail(new CGeLine(c, d), 0);
         return loop;
       }},
      {"NaN", [nan] { return Polygon({{0, 0}, {10, nan}, {10, 10}, {0, 10}}); }},
      {"infinite", [] { return Polygon({{0, 0}, {HUGE_VAL, 0}, {10, 10}}); }},
      {"flat", [] { return Polygon({{0, 0}, {5, 5}, {10, 10}, {5, 5}}); }},
  };
  for (const auto& [name, make] : noAnswer) {
    SCOPED_TRACE(name);
    Loops loops;
    loops.Add(make());
    ASSERT_TRUE(vnStart(&loops.list, nullptr, true));
    EXPECT_EQ(vnGetMaxRadius(kTol), 0.0);
    vnEnd();
  }

  Loops square;
  square.Add(Polygon(Rect(0, 0, 10, 10)));
  ASSERT_TRUE(vnStart(&square.list, nullptr, true));
  for (const double tol : {0.0, -1.0, nan, HUGE_VAL}) EXPECT_EQ(vnGetMaxRadius(tol), 0.0) << tol;
  vnEnd();
}

TEST(InscribedCircle, CentreIsAsFarFromTheEdgesAsTheRadius) {
  const std::vector<QlRing> rings{Regular(7, 50, 0.2), Regular(5, 8, 0.0)};
  QlCircle c;
  ASSERT_TRUE(qlLargestInscribedCircle(rings, 1e-4, c));
  EXPECT_NEAR(qlSignedDistance(rings, {c.centre[0], c.centre[1]}), c.radius, 1e-12);
  // No sampled point of the area is farther from the edges than the answer plus precision.
  for (double x = -50; x <= 50; x += 0.5)
    for (double y = -50; y <= 50; y += 0.5) ASSERT_LE(qlSignedDistance(rings, {x, y}), c.radius + 1e-4);
}

TEST(InscribedCircle, RefusesRingsWithoutArea) {
  QlCircle c;
  c.radius = 42;
  EXPECT_FALSE(qlLargestInscribedCircle({}, 0.01, c));
  EXPECT_FALSE(qlLargestInscribedCircle({{{0, 0}, {1, 1}}}, 0.01, c));
  EXPECT_FALSE(qlLargestInscribedCircle({{{0, 0}, {1, 1}, {2, 2}}}, 0.01, c));
  EXPECT_FALSE(qlLargestInscribedCircle({Rect(0, 0, 1, 1)}, 0.0, c));
  // Two copies of a ring cancel each other even-odd.
  EXPECT_FALSE(qlLargestInscribedCircle({Rect(0, 0, 1, 1), Rect(0, 0, 1, 1)}, 0.01, c));
  EXPECT_EQ(c.radius, 42);
}

TEST(InscribedCircle, SliversStayBounded) {
  QlCircle c;
  // A slot a hundred times longer than wide, to the usual precision.
  ASSERT_TRUE(qlLargestInscribedCircle({Rect(0, 0, 100, 1)}, 0.005, c));
  EXPECT_NEAR(c.radius, 0.5, 0.005);
  // A strip a million times longer than wide runs out of cells before the precision; the
  // search still ends, with a circle that fits.
  ASSERT_TRUE(qlLargestInscribedCircle({Rect(0, 0, 1e6, 1)}, 1e-3, c));
  EXPECT_LE(c.radius, 0.5);
  EXPECT_GT(c.radius, 0.4);
  // So far along x that adding a cell's size to an x changes nothing (the spacing of doubles
  // there is 16384): the search still ends, with a circle that fits.
  const double x0 = 1e20;
  if (qlLargestInscribedCircle({Rect(x0, 0, x0 + 16384 * 100, 1)}, 0.01, c)) {
    EXPECT_LE(c.radius, 0.5);
  }
}
