#include <numbers>
#include <random>

#include "KernelFixture.h"
#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelNumerics.h"

namespace {
class KernelNumericsTest : public KernelTest {};

void ArcPoint(const _arc* a, double t, double p[3]) { ARC_EvPosTan(t, p, a, nullptr); }

TEST_F(KernelNumericsTest, ArcThroughThreePointsLiesOnTheCircle) {
  const _rect_fm3d f = kt::TiltedFrame(1, -2, 3);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> ang(0.0, 2 * std::numbers::pi), r(0.1, 10.0);
  auto onCircle = [&](double R, double t, double p[3]) {
    for (int i = 0; i < 3; ++i)
      p[i] = f.origin[i] + R * (std::cos(t) * f.xAxis[i] + std::sin(t) * f.yAxis[i]);
  };
  for (int k = 0; k < 50; ++k) {
    const double R = r(rng), a0 = ang(rng), span = 0.1 + ang(rng) * 0.95, mid = 0.2 + 0.6 * k / 50.0;
    double s[3], e[3], m[3];
    onCircle(R, a0, s);
    onCircle(R, a0 + span, e);
    onCircle(R, a0 + mid * span, m);
    _arc* arc = nullptr;
    ASSERT_EQ(ARC_ByThreePoints(m, e, s, arc), 1) << k;
    EXPECT_NEAR(arc->radius, R, 1e-7 * R);
    EXPECT_NEAR(kt::Dist(arc->frame.origin, f.origin), 0.0, 1e-7 * R);
    EXPECT_NEAR(arc->sweep, span, 1e-7);
    double p[3];
    ArcPoint(arc, 0, p);
    EXPECT_NEAR(kt::Dist(p, s), 0.0, 1e-7 * R);
    ArcPoint(arc, arc->sweep, p);
    EXPECT_NEAR(kt::Dist(p, e), 0.0, 1e-7 * R);
    ArcPoint(arc, mid * span, p);
    EXPECT_NEAR(kt::Dist(p, m), 0.0, 1e-7 * R) << "the arc runs through the third point";
    KX_MemFree(arc);
  }
}

TEST_F(KernelNumericsTest, ArcBuildersRejectDegenerateInput) {
  const double s[3] = {0, 0, 0}, e[3] = {2, 0, 0}, onDiameter[3] = {1, 1, 0};
  _arc* arc = nullptr;
  ASSERT_EQ(ARC_ByThreePoints(onDiameter, e, s, arc), 1);
  EXPECT_NEAR(arc->radius, 1.0, 1e-12);
  EXPECT_NEAR(arc->frame.origin[0], 1.0, 1e-12);
  EXPECT_NEAR(arc->sweep, std::numbers::pi, 1e-12);
  KX_MemFree(arc);
  const double collinear[3] = {1, 1e-9, 0}, same[3] = {0, 0, 0};
  EXPECT_EQ(ARC_ByThreePoints(collinear, e, s, arc), -4);
  EXPECT_EQ(arc, nullptr);
  EXPECT_EQ(ARC_ByThreePoints(onDiameter, same, s, arc), -4);
  EXPECT_EQ(ARC_ByThreePoints(s, e, s, arc), -4);
  KX_MemFailAfter(1);
  EXPECT_EQ(ARC_ByThreePoints(onDiameter, e, s, arc), 0);
  EXPECT_EQ(arc, nullptr);
}

TEST_F(KernelNumericsTest, ArcByEndsAndCentreLine) {
  const double n[3] = {0, 0, 1};
  {
    // Ends symmetric about the given point: a half circle, its side fixed by the normal.
    const double s[3] = {-1, 0, 0}, e[3] = {1, 0, 0}, c[3] = {0, 0, 0};
    _arc* arc = nullptr;
    ASSERT_EQ(ARC_ByEndsAndCentreLine(e, arc, s, c, n), 1);
    EXPECT_NEAR(arc->sweep, std::numbers::pi, 1e-12);
    double p[3];
    ArcPoint(arc, arc->sweep, p);
    EXPECT_NEAR(kt::Dist(p, e), 0.0, 1e-12);
    KX_MemFree(arc);
    EXPECT_EQ(ARC_ByEndsAndCentreLine(e, arc, s, c, nullptr), -4);
  }
  {
    // Centre line y = -1 parallel to the chord from (0, 1) to (2, 1): centre (1, -1).
    const double s[3] = {0, 1, 0}, e[3] = {2, 1, 0}, through[3] = {5, -1, 0};
    _arc* arc = nullptr;
    ASSERT_EQ(ARC_ByEndsAndCentreLine(e, arc, s, through, nullptr), 1);
    EXPECT_NEAR(arc->frame.origin[0], 1.0, 1e-12);
    EXPECT_NEAR(arc->frame.origin[1], -1.0, 1e-12);
    EXPECT_NEAR(arc->radius, std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(arc->sweep, 2 * std::atan(0.5), 1e-12);
    double p[3];
    ArcPoint(arc, arc->sweep, p);
    EXPECT_NEAR(kt::Dist(p, e), 0.0, 1e-12);
    KX_MemFree(arc);
    KX_MemFailAfter(1);
    EXPECT_EQ(ARC_ByEndsAndCentreLine(e, arc, s, through, nullptr), -1);
    EXPECT_EQ(ARC_ByEndsAndCentreLine(s, arc, s, through, nullptr), -4);
  }
}

TEST_F(KernelNumericsTest, MatricesMultiplyAndSolve) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> d(-2, 2);
  // k = 7 exercises both the blocks of four and the remainder.
  std::vector<double> A(3 * 7), B(7 * 2), C(6);
  for (double& x : A) x = d(rng);
  for (double& x : B) x = d(rng);
  MAT_Multiply(3, 2, A.data(), B.data(), C.data(), 7);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) {
      double s = 0;
      for (int l = 0; l < 7; ++l) s += A[size_t(i * 7 + l)] * B[size_t(l * 2 + j)];
      EXPECT_NEAR(C[size_t(i * 2 + j)], s, 1e-12);
    }
  double I[16], T[16], M[16], x[4], b[4], Mx[4];
  MAT_Identity(I, 4);
  for (double& v : M) v = d(rng);
  MAT_Transpose4(T, M);
  EXPECT_EQ(T[1], M[4]);
  for (double& v : b) v = d(rng);
  ASSERT_EQ(MAT_Solve4(x, b, M), 1);
  MAT_Multiply(4, 1, M, x, Mx, 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(Mx[i], b[i], 1e-10);
  ASSERT_EQ(MAT_Solve4(x, b, I), 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(x[i], b[i]);

  // Singular but consistent: the pseudo-inverse gives the least-norm solution.
  const double S[16] = {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0};
  const double bs[4] = {2, 2, 4, 0};
  ASSERT_EQ(MAT_Solve4(x, bs, S), 1);
  EXPECT_NEAR(x[0], 1.0, 1e-12);
  EXPECT_NEAR(x[1], 1.0, 1e-12);
  EXPECT_NEAR(x[2], 2.0, 1e-12);
  EXPECT_NEAR(x[3], 0.0, 1e-12);
  const double Z[16] = {};
  ASSERT_EQ(MAT_Solve4(x, bs, Z), 1);
  for (double v : x) EXPECT_EQ(v, 0.0);
}

TEST_F(KernelNumericsTest, ScalarSolvers) {
  struct Quad {
    double e, f, g;
    int n;
    double r0, r1;
  };
  const Quad quads[] = {
      {1, -3, 2, 2, 2, 1},        // larger magnitude first
      {1, 2, 1, 1, -1, 0},        // double root
      {1, 0, 1, 0, 0, 0},         // none
      {0, 2, -4, 1, 2, 0},        // linear
      {0, 0, 0, 100, 0, 0},       // every x
      {0, 0, 3, 0, 0, 0},         // never
      {1e-30, 1, -1, 1, 1, 0},    // negligible quadratic term
      {2, -1e8, 1, 2, 5e7, 1e-8}, // no cancellation in the small root
  };
  for (const auto& q : quads) {
    double r[2];
    ASSERT_EQ(MAT_SolveQuadratic(q.e, q.f, q.g, 1e-12, r), q.n) << q.e << " " << q.f;
    if (q.n >= 1 && q.n <= 2) {
      EXPECT_NEAR(r[0], q.r0, 1e-12 * std::fabs(q.r0) + 1e-15);
    }
    if (q.n == 2) {
      EXPECT_NEAR(r[1], q.r1, 1e-9 * std::fabs(q.r1));
    }
  }
  struct Trig {
    double a, b, c;
    int n;
  };
  const Trig trigs[] = {{1, 0, 0.5, 2}, {0, 1, 1, 1}, {1, 1, 3, 0}, {0, 0, 0, 100}, {0, 0, 1, 0},
                        {3, -4, 2, 2}};
  for (const auto& t : trigs) {
    double r[2];
    const int n = MAT_SolveTrig(t.a, t.b, t.c, 1e-12, r);
    ASSERT_EQ(n, t.n) << t.a << " " << t.b << " " << t.c;
    for (int i = 0; i < (n == 100 ? 0 : n); ++i) {
      EXPECT_NEAR(t.a * std::cos(r[i]) + t.b * std::sin(r[i]), t.c, 1e-9);
      EXPECT_GE(r[i], 0.0);
      EXPECT_LT(r[i], 2 * std::numbers::pi);
    }
  }
  double v[2];
  const double r0[2] = {1, 2}, r1[2] = {2, 4}, r2[2] = {0, 1}, z[2] = {0, 0};
  EXPECT_EQ(MAT_NullVector2(r0, r1, 1e-9, v), 1);
  EXPECT_NEAR(v[0] * 1 + v[1] * 2, 0.0, 1e-12);
  EXPECT_NEAR(std::hypot(v[0], v[1]), 1.0, 1e-12);
  EXPECT_EQ(MAT_NullVector2(r0, r2, 1e-9, v), 0);
  EXPECT_EQ(MAT_NullVector2(z, z, 1e-9, v), 100);

  EXPECT_EQ(MAT_SafeAcos(1.5), 0.0);
  EXPECT_EQ(MAT_SafeAcos(-1.0), std::numbers::pi);
  EXPECT_NEAR(MAT_Angle2(0, -1), 1.5 * std::numbers::pi, 1e-15);
  EXPECT_EQ(MAT_Angle2(0, 0), 0.0);
}

TEST_F(KernelNumericsTest, LeastSquaresDecomposition) {
  const double a[3] = {1, 0, 0}, b[3] = {1, 1, 0}, v[3] = {3, 2, 5};
  double out[2];
  EXPECT_EQ(LSQ_Decompose2(a, b, v, out), 1);
  EXPECT_NEAR(out[0], 2.0, 1e-12);  // coefficient of b
  EXPECT_NEAR(out[1], 1.0, 1e-12);  // coefficient of a
  // Parallel vectors: the combination still reproduces the projection onto the common line.
  const double p[3] = {2, 0, 0}, q[3] = {4, 0, 0}, w[3] = {10, 1, 0};
  EXPECT_EQ(LSQ_Decompose2(p, q, w, out), 1);
  EXPECT_NEAR(out[1] * 2 + out[0] * 4, 10.0, 1e-12);
  const double zero[3] = {0, 0, 0};
  LSQ_Decompose2(zero, zero, w, out);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.0);
}

TEST_F(KernelNumericsTest, HermiteSpanMatchesEndsAndDerivative) {
  const double p0[3] = {0, 0, 0}, t0[3] = {1, 0, 0}, p1[3] = {1, 1, 0}, t1[3] = {0, 1, 0};
  double p[3], d[3], q[3];
  MAT_HermiteDer(p0, t0, p1, t1, 0.0, p, d);
  EXPECT_EQ(kt::Dist(p, p0), 0.0);
  EXPECT_NEAR(d[0], std::sqrt(2.0), 1e-12);  // |chord| along the start tangent
  MAT_Hermite(p0, t0, p1, t1, 1.0, p);
  EXPECT_NEAR(kt::Dist(p, p1), 0.0, 1e-15);
  const double c = 0.3, h = 1e-6;
  MAT_HermiteDer(p0, t0, p1, t1, c, p, d);
  MAT_Hermite(p0, t0, p1, t1, c + h, q);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR((q[i] - p[i]) / h, d[i], 1e-5);
}

TEST_F(KernelNumericsTest, PointStringOverlap) {
  double a[3][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  double b[5][3] = {{0, 0, 0}, {0.5, 0.00005, 0}, {1.2, 0, 0}, {1.7, 0, 0}, {2, 0, 0}};
  double c[2][3] = {{0, 0, 0}, {2.5, 0, 0}};
  PLY_String A{3, a}, B{5, b}, C{2, c}, none{2, nullptr};
  int ov = -1;
  EXPECT_EQ(PLY_IsOverlap(&A, &B, ov, 1e-4), 1);
  EXPECT_EQ(ov, 1);
  EXPECT_EQ(PLY_IsOverlap(&A, &B, ov, 1e-5), 1);
  EXPECT_EQ(ov, 0) << "a point farther than the tolerance";
  EXPECT_EQ(PLY_IsOverlap(&A, &C, ov, 1e-4), 1);
  EXPECT_EQ(ov, 0) << "C runs past A's end";
  EXPECT_EQ(PLY_IsOverlap(&A, &none, ov, 1e-4), 0);
  EXPECT_EQ(PLY_IsOverlap(nullptr, &A, ov, 1e-4), 0);
}

TEST_F(KernelNumericsTest, ArraysAndFacetTables) {
  EXPECT_EQ(ARR_New(0, ARR_POINTS), nullptr);
  ARR_Array* a = ARR_New(4, ARR_POINTS | ARR_PARAMS);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a->points, nullptr);
  EXPECT_NE(a->params, nullptr);
  EXPECT_EQ(a->vectors, nullptr);
  EXPECT_EQ(a->words, nullptr);
  EXPECT_EQ(ARR_Free(a), 1);
  // A failed inner array fails the whole record (the head and the other arrays are freed,
  // which the leak checker of the sanitizer build confirms).
  for (long failAt : {1L, 2L, 3L}) {
    KX_MemFailAfter(failAt);
    EXPECT_EQ(ARR_New(4, ARR_POINTS | ARR_WORDS), nullptr) << failAt;
    KX_MemFailAfter(0);
  }
  a = ARR_New(4, ARR_POINTS | ARR_WORDS);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a->points, nullptr);
  EXPECT_NE(a->words, nullptr);
  ARR_Free(a);

  _facet* f = FACET_New(0, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->nodes, nullptr);
  EXPECT_EQ(f->facets, nullptr);
  EXPECT_EQ(FACET_Free(f), 1);
  f = FACET_New(3, 5);
  EXPECT_EQ(f->facetCount, 3);
  EXPECT_EQ(f->nodeCount, 5);
  f->user = KX_MemAlloc(16);
  FACET_Free(f);
  for (long n = 1; n <= 3; ++n) {
    KX_MemFailAfter(n);
    EXPECT_EQ(FACET_New(3, 5), nullptr) << n;
  }
  KX_MemFailAfter(0);
  EXPECT_EQ(FACET_Free(nullptr), 0);
}

TEST_F(KernelNumericsTest, TraceNodeLists) {
  const double pts[5][3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1e-9}, {2, 0, 0}, {1, 0, 0}};
  LST_Node* head = nullptr;
  for (int i = 4; i >= 0; --i) head = LST_PushNode(head, i, 0, 0, 0, pts[i], nullptr);
  ASSERT_EQ(LST_Count(head), 5);
  EXPECT_EQ(head->uvA[0], 0.0);
  EXPECT_EQ(head->next->prev, head);
  head = LST_RemoveDuplicates(head, 1e-6);
  ASSERT_EQ(LST_Count(head), 3);
  EXPECT_EQ(head->next->next->uvA[0], 3.0) << "the earliest copy stays";

  LST_Node* copy = LST_CopyNode(head->next);
  EXPECT_EQ(copy->prev, nullptr);
  EXPECT_EQ(copy->next, nullptr);
  copy->vector[0] = 1, copy->rates[2] = 2, copy->extra[1] = 3, copy->extra[0] = 4;
  LST_ReverseNode(copy);
  EXPECT_EQ(copy->vector[0], -1);
  EXPECT_EQ(copy->rates[2], -2);
  EXPECT_EQ(copy->extra[1], -3);
  EXPECT_EQ(copy->extra[0], 4);
  head = LST_AppendChain(head, copy);
  ASSERT_EQ(LST_Count(head), 4);
  LST_Node* first = head;
  head = LST_Unlink(head, first);
  EXPECT_EQ(head->prev, nullptr);
  EXPECT_EQ(LST_Count(head), 3);
  head = LST_LinkFront(first, head);
  EXPECT_EQ(LST_Count(head), 4);
  EXPECT_EQ(LST_FreeChain(head), nullptr);

  KX_MemFailAfter(1);
  EXPECT_EQ(LST_NewNode(0, 0, 0, 0, nullptr, nullptr), nullptr);
}

}  // namespace
