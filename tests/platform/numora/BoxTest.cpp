// Boxes: emptiness, union neutrality and the tolerance tests.
#include "platform/numora/Box.h"

#include <gtest/gtest.h>

namespace {

TEST(Box2D, EmptyBoxIsNeutralAndNeverHits) {
  _tagBox2D e, b{{0, 0}, {2, 1}};
  BOX2D_Init0(&e);
  EXPECT_LT(e.max[0], e.min[0]);
  EXPECT_EQ(BOX2D_IsValid(&e), 0);
  _tagBox2D u = b;
  BOX2D_Union(&u, &e);
  EXPECT_EQ(u.max[0], 2);
  BOX2D_Union(&e, &b);
  EXPECT_EQ(e.min[0], 0);
  EXPECT_EQ(e.max[1], 1);
  _tagBox2D e2;
  BOX2D_Init0(&e2);
  BOX2D_Expand(10, &e2);
  EXPECT_EQ(BOX2D_IsValid(&e2), 0);  // growing nothing stays nothing
  const double origin[2] = {0, 0};
  EXPECT_EQ(BOX2D_IsPtIn(&e2, origin, 1e9), 0);
  EXPECT_EQ(BOX2D_IsInt(&e2, &b, 1e9), 0);
  _tagBox2D none{{0, 0}, {0, 0}};
  BOX2D_ofPntStr(nullptr, 0, &none);
  EXPECT_EQ(BOX2D_IsValid(&none), 0);
}

TEST(Box2D, TestsTakeTheToleranceLast) {
  const _tagBox2D a{{0, 0}, {1, 1}};
  struct { _tagBox2D b; double tol; int isInt, contains; } cases[] = {
      {{{0.5, 0.5}, {2, 2}}, 0, 1, 0},            // overlap
      {{{1.05, 0}, {2, 1}}, 0.1, 1, 0},           // gap 0.05 within 0.1
      {{{1.05, 0}, {2, 1}}, 0.01, 0, 0},          // gap beyond tol
      {{{1, 1}, {2, 2}}, 0, 1, 0},                // touching corners
      {{{0.2, 0.2}, {0.8, 0.8}}, 0, 1, 1},        // inside
      {{{-0.005, 0}, {1.005, 1}}, 0.01, 1, 1},    // contained only thanks to tol
      {{{-0.005, 0}, {1.005, 1}}, 0.001, 1, 0},
  };
  for (auto& c : cases) {
    EXPECT_EQ(BOX2D_IsInt(&a, &c.b, c.tol), c.isInt);
    EXPECT_EQ(BOX2D_IsInt(&c.b, &a, c.tol), c.isInt);
    EXPECT_EQ(BOX2D_IsContain(&a, &c.b, c.tol), c.contains);
  }
  const double p[2] = {1.5, 0.5};
  EXPECT_EQ(BOX2D_IsPtIn(&a, p, 0.5), 1);
  EXPECT_EQ(BOX2D_IsPtIn(&a, p, 0.49), 0);

  _tagBox2D g = a, out;
  BOX2D_Expand(10, &g);
  EXPECT_EQ(g.min[0], -10);
  EXPECT_EQ(g.max[1], 11);
  const _tagBox2D far{{5, 5}, {6, 6}}, part{{0.5, -1}, {3, 0.5}};
  EXPECT_EQ(BOX2D_Int(&a, &far, &out), 0);
  EXPECT_EQ(BOX2D_IsValid(&out), 0);
  ASSERT_EQ(BOX2D_Int(&a, &part, &out), 1);
  EXPECT_EQ(out.min[0], 0.5);
  EXPECT_EQ(out.max[1], 0.5);

  const double pts[3][2] = {{3, -1}, {-2, 4}, {0, 0}};
  BOX2D_ofPntStr(pts, 3, &out);
  EXPECT_EQ(out.min[0], -2);
  EXPECT_EQ(out.max[1], 4);
  BOX2D_Init(&out, pts[0], pts[1]);
  EXPECT_EQ(out.min[1], -1);
  BOX2D_Extend(&out, 7.0, 0.0);
  EXPECT_EQ(out.max[0], 7);
}

TEST(Box3D, ValidityUnionAndTolerances) {
  _tagBox3D b, e;
  BOX3D_Init0(&e);
  const double p[3] = {1, 2, 3}, q[3] = {-1, 5, 3};
  BOX3D_Init(&b, p);
  BOX3D_Extend(&b, q);
  EXPECT_EQ(BOX3D_IsValid(&b), 1);
  EXPECT_EQ(BOX3D_IsValid(&e), 0);
  BOX3D_Union(&e, &b);
  EXPECT_EQ(e.min[0], -1);
  const double r[3] = {0, 3, 3.2};
  EXPECT_EQ(BOX3D_IsPtIn(&b, r, 0.1), 0);
  EXPECT_EQ(BOX3D_IsPtIn(&b, r, 0.2), 1);
  _tagBox3D c{{0, 2, 3.3}, {1, 3, 4}};  // apart by 0.3 in z only
  EXPECT_EQ(BOX3D_IsInt(&b, &c, 0.2), 0);
  EXPECT_EQ(BOX3D_IsInt(&b, &c, 0.31), 1);
  BOX3D_Expand(0.35, &c);
  EXPECT_EQ(BOX3D_IsInt(&b, &c, 0), 1);
}

}  // namespace
