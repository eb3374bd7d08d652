// Segments crossing at shallow angles: every real crossing is found however long and dense the
// polylines get, while parallel segments apart, collinear overlaps and near-parallel segments
// that stop short of each other still give no point.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
using Pts = std::vector<std::array<double, 2>>;

std::unique_ptr<CGePolyline> PLine(const Pts& pts) {
  auto pl = std::make_unique<CGePolyline>();
  EXPECT_EQ(pl->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data())), 1);
  return pl;
}

// Two zigzags of n points over x in [0, width], mirror images about the x axis: segment j of
// one crosses segment j of the other on the axis, at `degrees` between them.
std::array<Pts, 2> Zigzags(int n, double width, double degrees) {
  const double dx = width / (n - 1);
  const double h = dx * std::tan(degrees / 2 * std::numbers::pi / 180) / 2;
  Pts a, b;
  for (int i = 0; i < n; ++i) {
    const double y = i % 2 ? h : -h;
    a.push_back({i * dx, y});
    b.push_back({i * dx, -y});
  }
  return {a, b};
}

using ShallowCrossingTest = VurodeTest;

TEST_F(ShallowCrossingTest, DensePolylinesFindEveryCrossing) {
  struct Case {
    int n;
    double width, degrees;
  } cases[] = {{100000, 1000, 0.057}, {80000, 1000, 0.057}, {1000, 100, 0.01},
               {50, 1e4, 1e-4},        {3, 1, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + " points, " + std::to_string(c.degrees) + " degrees");
    const auto [pa, pb] = Zigzags(c.n, c.width, c.degrees);
    auto a = PLine(pa), b = PLine(pb);
    const auto recs = Inter(a.get(), b.get());
    ASSERT_EQ(recs.size(), size_t(c.n - 1));
    const double dx = c.width / (c.n - 1);
    for (size_t k = 0; k < recs.size(); ++k) {
      const _tagInterPnt& r = recs[k];
      ASSERT_EQ(r.seg1, int(k + 1));
      ASSERT_EQ(r.seg2, int(k + 1));
      ASSERT_NEAR(r.x, (k + 0.5) * dx, 1e-9 * c.width);
      ASSERT_NEAR(r.y, 0.0, 1e-12 * c.width);
      ASSERT_NEAR(r.t1, 0.5, 1e-9);
      ASSERT_NEAR(r.t2, 0.5, 1e-9);
    }
  }
}

TEST_F(ShallowCrossingTest, LinesAgainstLinesAndPolylines) {
  // Long lines crossing at about 1e-6 radians, below every fixed angle limit.
  const double a0[2] = {-5000, -0.005}, a1[2] = {5000, 0.005};
  const double b0[2] = {-5000, 0.005}, b1[2] = {5000, -0.005};
  CGeLine la(a0, a1), lb(b0, b1);
  auto recs = Inter(&la, &lb);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_NEAR(recs[0].x, 0, 1e-6);
  EXPECT_NEAR(recs[0].y, 0, 1e-12);
  citest::ExpectOnBoth(&la, &lb, recs, 1e-9);

  auto pl = PLine({{-5000, 0.005}, {0, 0}, {5000, -0.005}});
  recs = Inter(&la, pl.get());
  ASSERT_EQ(recs.size(), 2u) << "the crossing at the shared vertex counts on both segments";
  for (const auto& r : recs) EXPECT_NEAR(r.x, 0, 1e-6);
  citest::ExpectSwapSymmetric(&la, pl.get(), 0);
}

TEST_F(ShallowCrossingTest, NearParallelSegmentsThatDoNotCrossGiveNothing) {
  struct Case {
    const char* name;
    Pts a, b;
  } cases[] = {
      {"parallel_apart", {{0, 0}, {100, 0}}, {{0, 1e-3}, {100, 1e-3}}},
      {"collinear_overlap", {{0, 0}, {100, 0}}, {{50, 0}, {150, 0}}},
      {"overlap_within_tol", {{0, 0}, {100, 0}}, {{50, 4e-7}, {150, -4e-7}}},
      {"carriers_cross_beyond_b", {{0, 0}, {100, 0}}, {{0, 1e-2}, {100, 1e-3}}},
      {"carriers_cross_beyond_a", {{0, 0}, {100, 0}}, {{200, -1e-2}, {300, 1e-2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto pa = PLine(c.a), pb = PLine(c.b);
    EXPECT_TRUE(Inter(pa.get(), pb.get()).empty());
    CGeLine la(c.a[0].data(), c.a[1].data());
    EXPECT_TRUE(Inter(&la, pb.get()).empty());
  }
}

}  // namespace
