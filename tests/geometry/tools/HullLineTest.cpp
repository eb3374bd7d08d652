// Convex hull: worked cases and random point sets against a brute-force extreme-point test.
#include "geometry/tools/HullLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using Pts = std::vector<std::pair<float, float>>;

Pts HullOf(const Pts& in) {
  CHullLine h;
  for (auto [x, y] : in) h.AddPoint(x, y);
  h.CalculateConvexHull();
  Pts out;
  for (const tagPoint2d& p : h.m_hull) out.emplace_back(p.x, p.y);
  return out;
}

double Cross(std::pair<float, float> a, std::pair<float, float> b, std::pair<float, float> c) {
  return (double(b.first) - a.first) * (double(c.second) - a.second) -
         (double(c.first) - a.first) * (double(b.second) - a.second);
}

bool OnSegment(std::pair<float, float> a, std::pair<float, float> b, std::pair<float, float> p) {
  return Cross(a, b, p) == 0 && std::min(a.first, b.first) <= p.first &&
         p.first <= std::max(a.first, b.first) && std::min(a.second, b.second) <= p.second &&
         p.second <= std::max(a.second, b.second);
}

// A point is a hull vertex unless it lies in a closed triangle or on a segment of other points.
std::set<std::pair<float, float>> BruteForceVertices(const Pts& in) {
  std::vector<std::pair<float, float>> u(in.begin(), in.end());
  std::sort(u.begin(), u.end());
  u.erase(std::unique(u.begin(), u.end()), u.end());
  std::set<std::pair<float, float>> v;
  const size_t n = u.size();
  for (size_t p = 0; p < n; ++p) {
    bool inside = false;
    for (size_t i = 0; i < n && !inside; ++i) {
      for (size_t j = i + 1; j < n && !inside; ++j) {
        if (i == p || j == p) continue;
        if (OnSegment(u[i], u[j], u[p])) inside = true;
        for (size_t k = j + 1; k < n && !inside; ++k) {
          if (k == p) continue;
          const double a = Cross(u[i], u[j], u[p]), b = Cross(u[j], u[k], u[p]),
                       c = Cross(u[k], u[i], u[p]);
          if ((a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0)) {
            if (Cross(u[i], u[j], u[k]) != 0) inside = true;
          }
        }
      }
    }
    if (!inside) v.insert(u[p]);
  }
  return v;
}

void ExpectMatchesBruteForce(const Pts& in) {
  const Pts hull = HullOf(in);
  const auto expected = BruteForceVertices(in);
  ASSERT_GE(hull.size(), 2u);
  EXPECT_EQ(hull.front(), hull.back()) << "closed polygon";
  EXPECT_EQ(hull.front(), *expected.begin()) << "starts at the lowest leftmost point";
  const std::set<std::pair<float, float>> got(hull.begin(), hull.end() - 1);
  EXPECT_EQ(got.size(), hull.size() - 1) << "no vertex twice";
  EXPECT_EQ(got, expected);
  if (hull.size() >= 4) {  // a proper polygon turns strictly left at every vertex
    const size_t m = hull.size() - 1;
    for (size_t i = 0; i < m; ++i)
      EXPECT_GT(Cross(hull[i], hull[(i + 1) % m], hull[(i + 2) % m]), 0) << "vertex " << i;
  }
}

}  // namespace

TEST(HullLine, WorkedCases) {
  struct Case {
    const char* name;
    Pts in;
    Pts hull;
  };
  const Case cases[] = {
      {"square and centre", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.5f}},
       {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}},
      {"three collinear", {{2, 0}, {0, 0}, {1, 0}}, {{0, 0}, {2, 0}, {0, 0}}},
      {"vertical run", {{3, 5}, {3, -1}, {3, 2}}, {{3, -1}, {3, 5}, {3, -1}}},
      {"single point", {{4, 4}}, {{4, 4}, {4, 4}}},
      {"copies of one point", {{1, 2}, {1, 2}, {1, 2}}, {{1, 2}, {1, 2}}},
      // Listed top-left first: ordering by x alone made this hull cross itself.
      {"square corners, ties in x", {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
       {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}},
      {"duplicated extremes", {{0, 0}, {0, 0}, {1, 1}, {2, 0}, {2, 0}, {1, -1}},
       {{0, 0}, {1, -1}, {2, 0}, {1, 1}, {0, 0}}},
  };
  for (const Case& c : cases) EXPECT_EQ(HullOf(c.in), c.hull) << c.name;
}

TEST(HullLine, NoPointsGiveNoHull) {
  CHullLine h;
  h.m_maxVec[0] = 7;
  h.CalculateConvexHull();
  EXPECT_TRUE(h.m_hull.empty());
  h.CalMaxLenVector();
  EXPECT_EQ(h.m_maxVec[0], 7) << "nothing stored without an edge";
}

TEST(HullLine, LongestEdgeAndCopies) {
  CHullLine h;
  for (auto [x, y] : Pts{{0, 0}, {2, 0}, {2, 1}, {0, 1}, {1, 0.5f}}) h.AddPoint(x, y);
  h.m_nFlag = 3;
  h.CalculateConvexHull();
  h.CalMaxLenVector();
  EXPECT_DOUBLE_EQ(h.m_maxVec[0] * h.m_maxVec[0] + h.m_maxVec[1] * h.m_maxVec[1], 4.0);
  EXPECT_DOUBLE_EQ(h.m_maxVec[0], 2.0) << "first of the two longest edges wins";

  CHullLine copy(h);
  EXPECT_EQ(copy.m_nFlag, 3);
  EXPECT_EQ(copy.m_hull.size(), h.m_hull.size());
  EXPECT_EQ(copy.m_maxVec[0], h.m_maxVec[0]);
  CHullLine assigned;
  assigned = h;
  EXPECT_EQ(assigned.m_points.size(), 5u);
  EXPECT_EQ(assigned.m_hull.size(), 5u);
}

TEST(HullLine, MatchesBruteForceOnGrids) {
  // Small integer grids force ties in x, duplicates and collinear runs.
  std::mt19937 rng(12345);
  for (int trial = 0; trial < 300; ++trial) {
    const int span = 1 + trial % 6;
    std::uniform_int_distribution<int> coord(0, span);
    std::uniform_int_distribution<int> count(1, 25);
    Pts in(count(rng));
    for (auto& p : in) p = {float(coord(rng)), float(coord(rng))};
    SCOPED_TRACE(trial);
    ExpectMatchesBruteForce(in);
  }
}

TEST(HullLine, MatchesBruteForceOnScatteredPoints) {
  std::mt19937 rng(777);
  std::uniform_real_distribution<float> coord(-100.0f, 100.0f);
  for (int trial = 0; trial < 50; ++trial) {
    Pts in(30);
    for (auto& p : in) p = {coord(rng), coord(rng)};
    SCOPED_TRACE(trial);
    ExpectMatchesBruteForce(in);
  }
}
