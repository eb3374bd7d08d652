#include <numbers>
#include <vector>

#include "KernelFixture.h"
#include "millvane/kernel/BsplineUtils.h"

namespace {
class BsplineUtilsTest : public KernelTest {};

BCRV* Bezier(double z, double shift) {
  BCRV* c = BCRV_New(4, 4);
  const double p[4][3] = {{0, 0, z}, {1, 2 + shift, z}, {2, -1, z + shift}, {3, 1, z}};
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 3; ++k) c->ctrlPts[i][k] = p[i][k];
    c->ctrlPts[i][3] = 1.0;
  }
  return c;
}

double MaxGap(const BCRV* a, const BCRV* b) {
  double worst = 0;
  for (int i = 0; i <= 50; ++i) {
    double p[3], q[3];
    BCRV_EvPos(a, i / 50.0, p);
    BCRV_EvPos(b, i / 50.0, q);
    worst = std::max(worst, kt::Dist(p, q));
  }
  return worst;
}

TEST_F(BsplineUtilsTest, SegmentsAndFits) {
  const double pts[2][3] = {{1, 2, 3}, {1, 2, 3}};
  BCRV* seg = nullptr;
  ASSERT_EQ(CRV_NewSegmentBcrv(seg, pts), 1);
  EXPECT_EQ(seg->order, 2);
  EXPECT_EQ(seg->knots[2], 1.0);
  double p[3];
  BCRV_EvPos(seg, 0.5, p);
  EXPECT_EQ(p[2], 3.0);
  BCRV_Free(seg);

  const double q[6][3] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {4, 1, 1}, {5, 3, 0}, {6, 2, 2}};
  std::vector<double> t(6);
  KNOT_CalAccumChord(q, 6, t.data());
  for (int order : {2, 3, 4}) {
    BCRV* c = nullptr;
    ASSERT_EQ(CRV_FitBcrvPoints(6, q, order, c), 1) << order;
    EXPECT_EQ(c->order, order);
    for (int i = 0; i < 6; ++i) {
      BCRV_EvPos(c, t[size_t(i)], p);
      EXPECT_NEAR(kt::Dist(p, q[i]), 0.0, 1e-10) << order << " " << i;
    }
    BCRV_Free(c);
  }
  BCRV* c = nullptr;
  EXPECT_EQ(CRV_FitBcrvPoints(3, q, 4, c), 0);
  EXPECT_EQ(c, nullptr);
}

TEST_F(BsplineUtilsTest, RuledSurfaceElevatesTheLine) {
  BCRV* line = nullptr;
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0};
  ASSERT_EQ(BCRV_GenLine(a, b, line), 1);
  _arc arc{};
  RF_Init(&arc.frame);
  arc.frame.origin[2] = 1.0;
  arc.radius = 1.0;
  arc.sweep = std::numbers::pi / 2;
  BCRV* arcCrv = nullptr;
  ASSERT_EQ(BCRV_GenArc(&arc, arcCrv), 1);
  ASSERT_EQ(arcCrv->order, 3);
  _nurbs_surface* s = nullptr;
  ASSERT_EQ(SRF_NewRuled(line, s, arcCrv), 1);
  EXPECT_EQ(s->ku, 3);
  EXPECT_EQ(s->kv, 2);
  EXPECT_EQ(line->order, 2) << "inputs stay as they were";
  for (double u : {0.0, 0.3, 0.8, 1.0}) {
    double p[3], q[3];
    BSRF_EvPos(s, u, 0.0, p);
    BCRV_EvPos(line, u, q);
    EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-12);
    BSRF_EvPos(s, u, 1.0, p);
    BCRV_EvPos(arcCrv, u, q);
    EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-12);
    // Straight across (the weights make the parameter along the ruling non-uniform).
    double m[3];
    BSRF_EvPos(s, u, 0.5, m);
    BSRF_EvPos(s, u, 0.0, p);
    EXPECT_NEAR(kt::Dist(p, m) + kt::Dist(m, q), kt::Dist(p, q), 1e-12);
  }
  BSRF_Free(s);
  BCRV_Free(line);
  BCRV_Free(arcCrv);

  BCRV* big = BCRV_New(2, 1025);
  for (int i = 0; i < 1025; ++i) big->ctrlPts[i][0] = i, big->ctrlPts[i][3] = 1.0;
  BCRV* small = Bezier(0, 0);
  EXPECT_EQ(CRV_MakeCompatible(big, small), 0);
  EXPECT_EQ(SRF_NewRuled(small, s, big), 0);
  EXPECT_EQ(s, nullptr);
  BCRV_Free(big);
  BCRV_Free(small);
}

TEST_F(BsplineUtilsTest, SkinnedSurfaceInterpolatesAndOrientsSections) {
  std::vector<BCRV*> sections;
  for (int j = 0; j < 4; ++j) sections.push_back(Bezier(j, 0.3 * j));
  sections[2]->Reverse();  // traced the other way
  const double extra = 0.4;
  BCRV_InsKnots(sections[1], &extra, 1);  // different knots: made compatible
  struct Case {
    int count, order, kv;
  };
  for (const Case c : {Case{3, 3, 3}, Case{4, 2, 4}, Case{2, 2, 2}}) {
    _nurbs_surface* s = nullptr;
    ASSERT_EQ(SRF_NewSkinned(c.count, sections.data(), c.order, s, 1e-6), 1) << c.count;
    EXPECT_EQ(s->kv, c.kv);
    for (int j = 0; j < c.count; ++j)
      for (double u : {0.0, 0.5, 1.0}) {
        double p[3], foot[3], su = 1e12, sv = 1e12, dist;
        BCRV_EvPos(sections[size_t(j)], u, p);
        ASSERT_EQ(BSRF_SnapPnt(s, p, 1e-10, foot, su, sv, dist), 1);
        EXPECT_NEAR(dist, 0.0, 1e-8) << "section " << j << " lies on the surface";
      }
    // The start edge runs through every section's start (x = 0), the reversed one included.
    for (double v : {0.0, 0.33, 0.5, 1.0}) {
      double p[3];
      BSRF_EvPos(s, 0.0, v, p);
      EXPECT_NEAR(p[0], 0.0, 1e-9) << v;
    }
    BSRF_Free(s);
  }
  _nurbs_surface* s = nullptr;
  std::vector<BCRV*> withNull = {sections[0], nullptr};
  EXPECT_EQ(SRF_NewSkinned(2, withNull.data(), 3, s, 1e-6), 0);
  BCRV_FreStr(int(sections.size()), sections.data());
}

TEST_F(BsplineUtilsTest, KnotRemovalKeepsTheShape) {
  BCRV* orig = Bezier(0, 0);
  BCRV* c = orig->Clone();
  const double k = 0.37;
  ASSERT_EQ(BCRV_InsKnots(c, &k, 1), 1);
  ASSERT_EQ(c->n, 5);
  EXPECT_EQ(CRV_RemoveKnots(c, 1e-12), 1);
  EXPECT_EQ(c->n, 4);
  EXPECT_LT(MaxGap(c, orig), 1e-12);

  // A real interior knot of a curve with a kink stays.
  BCRV* kink = kt::Polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  BCRV* before = kink->Clone();
  EXPECT_EQ(CRV_RemoveKnots(kink, 1e-6), 0);
  EXPECT_EQ(kink->n, 3);
  EXPECT_EQ(MaxGap(kink, before), 0.0);
  // The same removal within a tolerance that covers the kink.
  EXPECT_EQ(CRV_RemoveKnots(kink, 2.0), 1);
  EXPECT_EQ(kink->n, 2);
  EXPECT_EQ(CRV_RemoveKnots(orig, 1.0), 0) << "no interior knot";
  BCRV_Free(orig);
  BCRV_Free(c);
  BCRV_Free(kink);
  BCRV_Free(before);
}

TEST_F(BsplineUtilsTest, SurfaceKnotReductionOnAllRows) {
  for (int inserted : {3, 7}) {
    SCOPED_TRACE(inserted);
    BCRV *a = Bezier(0, 0), *b = Bezier(1, 0.5);
    _nurbs_surface* ref = nullptr;
    ASSERT_EQ(SRF_NewRuled(a, ref, b), 1);
    std::vector<double> ks;
    for (int i = 0; i < inserted; ++i) ks.push_back((i + 1.0) / (inserted + 1.0));
    ASSERT_EQ(BCRV_InsKnots(a, ks.data(), inserted), 1);
    ASSERT_EQ(BCRV_InsKnots(b, ks.data(), inserted), 1);
    _nurbs_surface* s = nullptr;
    ASSERT_EQ(SRF_NewRuled(a, s, b), 1);
    ASSERT_EQ(s->nu, 4 + inserted);
    const double* knotsBefore = s->uKnots;
    EXPECT_EQ(SRF_ReduceKnots(s, 1e-10), inserted);
    EXPECT_EQ(s->nu, 4);
    EXPECT_EQ(s->uKnots == knotsBefore, inserted < 6) << "small reductions keep their arrays";
    for (double u : {0.1, 0.5, 0.9})
      for (double v : {0.0, 0.6, 1.0}) {
        double p[3], q[3];
        BSRF_EvPos(s, u, v, p);
        BSRF_EvPos(ref, u, v, q);
        EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-10);
      }
    BSRF_Free(s);
    BSRF_Free(ref);
    BCRV_Free(a);
    BCRV_Free(b);
  }
  // Rows that differ in shape at a knot keep it: the test must pass on every row.
  BCRV* flat = kt::Polyline({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  BCRV* kink = kt::Polyline({{0, 0, 1}, {1, 1, 1}, {2, 0, 1}});
  _nurbs_surface* s = nullptr;
  ASSERT_EQ(SRF_NewRuled(flat, s, kink), 1);
  EXPECT_EQ(SRF_ReduceKnots(s, 1e-6), 0);
  EXPECT_EQ(s->nu, 3);
  BSRF_Free(s);
  BCRV_Free(flat);
  BCRV_Free(kink);
  EXPECT_EQ(SRF_ReduceKnots(nullptr, 1.0), 0);
}

}  // namespace
