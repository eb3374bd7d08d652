#include "platform/vurode/Position.h"
#include "platform/vurode/Timer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

TEST(Position, DistanceIsEuclideanIn3D) {
  struct Case {
    Position a, b;
    double d;
  } cases[] = {
      {{0, 0, 0}, {3, 4, 0}, 5},
      {{1, 2, 3}, {1, 2, 3}, 0},
      {{-1, -1, -1}, {1, 1, 1}, 2 * std::sqrt(3.0)},
      {{0, 0, 2}, {0, 0, -10}, 12},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(c.a.Distance(c.b), c.d);
    EXPECT_DOUBLE_EQ(c.b.Distance(c.a), c.d);
  }
}

TEST(Position, IsInBoxCountsTheBorderAndTheTolerance) {
  const _tagBox2D box{{0, 0}, {10, 5}};
  struct Case {
    double x, y, tol;
    BOOL in;
  } cases[] = {
      {5, 2, 0, TRUE},     {0, 0, 0, TRUE},    {10, 5, 0, TRUE},   {10.01, 5, 0, FALSE},
      {10.5, 5, 0.5, TRUE}, {-0.6, 2, 0.5, FALSE}, {5, 5.4, 0.5, TRUE}, {5, -1, 0.5, FALSE},
  };
  for (const auto& c : cases) {
    Position p(c.x, c.y, 99.0);  // z plays no part
    EXPECT_EQ(p.IsInBox(box, c.tol), c.in) << c.x << "," << c.y << " tol " << c.tol;
  }
  const _tagBox2D empty{{1, 1}, {0, 0}};
  EXPECT_FALSE(Position(0.5, 0.5).IsInBox(empty, 10.0));
}

TEST(Position, MirrorReflectsInTheLineAndTwiceRestores) {
  struct Case {
    double p[2], d[2];
    double x, y, mx, my;
  } cases[] = {
      {{0, 0}, {1, 0}, 3, 4, 3, -4},    // x axis
      {{0, 0}, {0, 2}, 3, 4, -3, 4},    // y axis, direction not unit
      {{0, 0}, {1, 1}, 3, 1, 1, 3},     // diagonal swaps
      {{0, 2}, {1, 0}, 5, 5, 5, -1},    // offset line
      {{1, 1}, {-1, 1}, 0, 0, 2, 2},
  };
  for (const auto& c : cases) {
    Position q(c.x, c.y, 7.0);
    q.Mirror(c.p, c.d);
    EXPECT_NEAR(q.x, c.mx, 1e-12);
    EXPECT_NEAR(q.y, c.my, 1e-12);
    EXPECT_EQ(q.z, 7.0);
    q.Mirror(c.p, c.d);
    EXPECT_NEAR(q.x, c.x, 1e-12);
    EXPECT_NEAR(q.y, c.y, 1e-12);
  }
  Position still(1, 2);
  const double o[2] = {0, 0}, zero[2] = {0, 0};
  still.Mirror(o, zero);
  EXPECT_EQ(still.x, 1.0);
  EXPECT_EQ(still.y, 2.0);
}

TEST(Position, Set2KeepsDepthAndScreenAndInitClears) {
  Position p(1, 2, 3);
  p.sx = 40;
  p.sy = 50;
  const double q[2] = {-4, 8};
  p.Set2(q);
  EXPECT_EQ(p.x, -4.0);
  EXPECT_EQ(p.y, 8.0);
  EXPECT_EQ(p.z, 3.0);
  EXPECT_EQ(p.sx, 40);
  p.Init();
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.z, 0.0);
  EXPECT_EQ(p.sy, 0);
}

TEST(Timer, ElapsedCoversASleep) {
  Timer t;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(t.GetElapsed(), 20.0);
}

}  // namespace
