#include "platform/numora/Numora.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CVector3d, NormalizeGivesUnitLengthAndLeavesZeroAlone) {
  CVector3d v(3.0f, -4.0f, 12.0f);
  v.Normalize();
  EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-6);
  EXPECT_NEAR(v.x, 3.0 / 13.0, 1e-6);
  CVector3d z;
  z.Normalize();
  EXPECT_EQ(z.x, 0.0f);
  EXPECT_EQ(z.y, 0.0f);
  EXPECT_EQ(z.z, 0.0f);
}
