// Net cell and level rules of the surface paths.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "millvane/surfpaths/SurfPathSteps.h"
#include "platform/vurode/Tool.h"

namespace {

TEST(SrfNetCell, RulesPerGenerator) {
  struct Case {
    double dia;
    bool contour, user;
    double userCell, want;
  } cases[] = {
      {10.0, true, false, 0, 0.5},    // r > 1
      {10.0, false, false, 0, 0.5},
      {1.0, true, false, 0, 0.25},    // r / 2
      {0.1, true, false, 0, 0.05},    // computed 0.1, capped at r
      {0.1, false, false, 0, 0.1},    // raster: no cap
      {10.0, true, true, 0.01, 0.02}, // user cell floored
      {10.0, true, true, 7.0, 5.0},   // and capped at r
      {10.0, true, true, 0.3, 0.3},
      {0.02, true, true, 0.01, 0.02}, // the floor wins over a smaller r
      {10.0, true, true, NAN, 0.02},
  };
  for (const Case& c : cases) {
    CTCylindrical tool(c.dia);
    // Diameters are held as floats.
    EXPECT_NEAR(SrfNetCell(&tool, c.contour, c.user, c.userCell), c.want, 1e-7)
        << c.dia << " " << c.contour << " " << c.userCell;
  }
  EXPECT_EQ(SrfNetCell(nullptr, true, false, 0), 0.0);
  CTCylindrical zero(0.0), bad(NAN);
  EXPECT_EQ(SrfNetCell(&zero, true, false, 0), 0.0);
  EXPECT_EQ(SrfNetCell(&bad, false, false, 0), 0.0);
}

TEST(SrfLevels, CountStepAndEnds) {
  struct Case {
    double step, low, high;
    int count;
  } cases[] = {
      {1.0, 0.0, 1.0, 1},            // exactly one step: one level at the low end
      {1.0, 0.0, 3.00005, 3},        // a hair over whole steps adds nothing
      {1.0, 0.0, 3.001, 4},
      {2.0, 0.0, 5.0, 3},
      {0.5, -10.0, 10.0, 40},
      {1.0, 2.0, 2.0, 1},            // empty range still gives one level
  };
  for (const Case& c : cases) {
    std::vector<double> lv;
    double even = 0;
    ASSERT_EQ(SrfLevels(c.step, c.low, c.high, lv, even), 1) << c.high;
    ASSERT_EQ(static_cast<int>(lv.size()), c.count) << c.high;
    EXPECT_DOUBLE_EQ(lv.front(), c.low);
    EXPECT_DOUBLE_EQ(even, (c.high - c.low) / c.count);
    for (size_t i = 1; i < lv.size(); ++i) EXPECT_NEAR(lv[i] - lv[i - 1], even, 1e-12);
    if (c.high > c.low) {
      EXPECT_LT(lv.back(), c.high);
    }
  }
}

TEST(SrfLevels, BadInputFailsBeforeAllocating) {
  struct Case {
    double step, low, high;
  } cases[] = {{0.0, 0, 1},  {-1.0, 0, 1}, {NAN, 0, 1},  {1.0, NAN, 1},
               {1.0, 0, INFINITY}, {1.0, 5, 0}, {1e-9, 0, 1e6}};
  for (const Case& c : cases) {
    std::vector<double> lv = {1, 2, 3};
    double even = 0;
    EXPECT_EQ(SrfLevels(c.step, c.low, c.high, lv, even), 0) << c.step << " " << c.high;
    EXPECT_TRUE(lv.empty());
  }
}

}  // namespace
