#include "platform/numora/NurbsEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>
#include <numbers>

#include "tests/platform/numora/BcrvTestUtil.h"

namespace {

using Pts = std::vector<std::array<double, 3>>;
const double (*Raw(const Pts& p))[3] { return reinterpret_cast<const double(*)[3]>(p.data()); }

Pts Helix(int n) {
  Pts p;
  for (int i = 0; i < n; ++i) {
    const double a = 3.0 * std::numbers::pi * i / (n - 1);
    p.push_back({10 * std::cos(a), 10 * std::sin(a), 2.0 * a});
  }
  return p;
}

// Distance from q to the curve: dense scan, then local refinement by golden section.
double DistToCurve(const BCRV* c, const double q[3]) {
  const int N = 2000;
  int best = 0;
  double bd = 1e300;
  for (int i = 0; i <= N; ++i) {
    double p[3];
    BCRV_EvPos(c, double(i) / N, p);
    if (Dist3(p, q) < bd) { bd = Dist3(p, q); best = i; }
  }
  double a = std::max(0.0, (best - 1.0) / N), b = std::min(1.0, (best + 1.0) / N);
  for (int it = 0; it < 60; ++it) {
    const double m1 = a + (b - a) * 0.382, m2 = a + (b - a) * 0.618;
    double p1[3], p2[3];
    BCRV_EvPos(c, m1, p1);
    BCRV_EvPos(c, m2, p2);
    if (Dist3(p1, q) < Dist3(p2, q)) b = m2; else a = m1;
  }
  double p[3];
  BCRV_EvPos(c, 0.5 * (a + b), p);
  return std::min(bd, Dist3(p, q));
}

}  // namespace

TEST(NurbsEditor, GlobalInterpPassesThroughItsPoints) {
  for (int degree : {1, 2, 3, 5}) {
    SCOPED_TRACE(degree);
    const Pts pts = Helix(25);
    CrvPtr c(CNurbsEditor::GlobalInterp(Raw(pts), 25, degree));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->order, degree + 1);
    EXPECT_EQ(c->n, 25);
    // Interpolation at the chord-length parameters.
    std::vector<double> t(25);
    KNOT_CalAccumChord(Raw(pts), 25, t.data());
    for (int i = 0; i < 25; ++i) {
      double p[3];
      BCRV_EvPos(c.get(), t[size_t(i)], p);
      EXPECT_LT(Dist3(p, pts[size_t(i)].data()), 1e-9);
    }
  }
  const Pts two = {{{0, 0, 0}}, {{1, 1, 1}}};
  CrvPtr line(CNurbsEditor::GlobalInterp(Raw(two), 2, 3));
  ASSERT_TRUE(line);
  EXPECT_EQ(line->order, 2);
  EXPECT_EQ(CNurbsEditor::GlobalInterp(Raw(two), 1, 3), nullptr);
  EXPECT_EQ(CNurbsEditor::GlobalInterp(Raw(two), 2, 0), nullptr);
  EXPECT_EQ(CNurbsEditor::GlobalInterp(nullptr, 2, 3), nullptr);
  // A count far beyond the kernel's limit is refused before anything is read.
  EXPECT_EQ(CNurbsEditor::GlobalInterp(Raw(two), 1 << 30, 3), nullptr);
  EXPECT_EQ(CNurbsEditor::GlobalApproxErrBnd(Raw(two), 1 << 30, 3, 0.1f), nullptr);
}

TEST(NurbsEditor, ApproximationStaysWithinItsBoundWithFewerPoints) {
  const Pts pts = Helix(400);
  for (float err : {0.5f, 0.05f, 0.005f}) {
    for (int degree : {2, 3}) {
      SCOPED_TRACE(testing::Message() << err << " degree " << degree);
      CrvPtr c(CNurbsEditor::GlobalApproxErrBnd(Raw(pts), 400, degree, err));
      ASSERT_TRUE(c);
      EXPECT_EQ(c->order, degree + 1);
      EXPECT_LT(c->n, 400 / 2);
      double s[3], e[3];
      BCRV_EvPos(c.get(), 0, s);
      BCRV_EvPos(c.get(), 1, e);
      EXPECT_LT(Dist3(s, pts.front().data()), 1e-12);
      EXPECT_LT(Dist3(e, pts.back().data()), 1e-12);
      for (size_t i = 0; i < pts.size(); i += 7) EXPECT_LE(DistToCurve(c.get(), pts[i].data()), err);
      // Dense check the other way: curve points stay near the sampled helix.
      for (int i = 0; i <= 300; ++i) {
        double p[3];
        BCRV_EvPos(c.get(), i / 300.0, p);
        EXPECT_NEAR(std::hypot(p[0], p[1]), 10.0, err + 0.01);
      }
    }
  }
  // Few points: the degree drops; two points give the segment.
  const Pts two = {{{0, 0, 0}}, {{2, 0, 0}}};
  CrvPtr seg(CNurbsEditor::GlobalApproxErrBnd(Raw(two), 2, 2, 0.1f));
  ASSERT_TRUE(seg);
  EXPECT_EQ(seg->order, 2);
  double m[3];
  BCRV_EvPos(seg.get(), 0.5, m);
  EXPECT_NEAR(m[0], 1.0, 1e-12);
  const Pts three = {{{0, 0, 0}}, {{1, 1, 0}}, {{2, 0, 0}}};
  CrvPtr q(CNurbsEditor::GlobalApproxErrBnd(Raw(three), 3, 3, 0.001f));
  ASSERT_TRUE(q);
  EXPECT_LE(DistToCurve(q.get(), three[1].data()), 0.001);
  // Repeated points (also at the end) are taken once; all-equal points give no curve.
  const Pts dup = {{{0, 0, 0}}, {{1, 0, 0}}, {{1, 0, 0}}, {{2, 1, 0}}, {{3, 1, 0}}, {{3, 1, 0}}};
  CrvPtr d(CNurbsEditor::GlobalApproxErrBnd(Raw(dup), 6, 2, 0.01f));
  ASSERT_TRUE(d);
  for (const auto& q : dup) EXPECT_LE(DistToCurve(d.get(), q.data()), 0.01);
  const Pts same = {{{1, 1, 1}}, {{1, 1, 1}}, {{1, 1, 1}}};
  EXPECT_EQ(CNurbsEditor::GlobalApproxErrBnd(Raw(same), 3, 2, 0.01f), nullptr);
  EXPECT_EQ(CNurbsEditor::GlobalApproxErrBnd(Raw(two), 1, 2, 0.1f), nullptr);
  EXPECT_EQ(CNurbsEditor::GlobalApproxErrBnd(Raw(two), 2, 2, -1.0f), nullptr);
}

TEST(NurbsEditor, SplitAndAddKnotKeepTheShape) {
  CrvPtr w = MakeWavyCurve(5);
  for (double t : {0.1, 0.4, 0.77}) {
    BCRV *a = nullptr, *b = nullptr;
    ASSERT_EQ(CNurbsEditor::Split(t, w.get(), a, b), 1);
    CrvPtr ha(a), hb(b);
    ASSERT_TRUE(a && b);
    for (int i = 0; i <= 100; ++i) {
      const double s = i / 100.0;
      double p[3], q[3];
      BCRV_EvPos(a, s, p);
      BCRV_EvPos(w.get(), t * s, q);
      EXPECT_LT(Dist3(p, q), 1e-11);
      BCRV_EvPos(b, s, p);
      BCRV_EvPos(w.get(), t + (1 - t) * s, q);
      EXPECT_LT(Dist3(p, q), 1e-11);
    }
    EXPECT_EQ(a->knots[0], 0.0);
    EXPECT_EQ(b->knots[b->n + b->order - 1], 1.0);
  }
  BCRV *a = nullptr, *b = nullptr;
  ASSERT_EQ(CNurbsEditor::Split(0.0, w.get(), a, b), 1);
  EXPECT_EQ(a, nullptr);
  CrvPtr hb(b);
  EXPECT_LT(MaxSampleGap(b, w.get()), 1e-15);
  EXPECT_EQ(CNurbsEditor::Split(0.5, nullptr, a, b), 0);

  CrvPtr k(CNurbsEditor::AddKnot(w.get(), 0.3, 3));
  ASSERT_TRUE(k);
  EXPECT_EQ(k->n, w->n + 1);
  EXPECT_LT(MaxSampleGap(k.get(), w.get()), 1e-12);
  EXPECT_EQ(CNurbsEditor::AddKnot(w.get(), 0.4, 2), nullptr);  // already a double knot
  EXPECT_EQ(CNurbsEditor::AddKnot(w.get(), 1.0, 3), nullptr);
}

TEST(NurbsEditor, LengthOfCirclesAndLines) {
  CrvPtr c(BCRV_New());
  const double ctr[2] = {1, 2};
  c->GenCircle(ctr, 3.0);
  EXPECT_NEAR(CNurbsEditor::LengthIn(c.get(), 0, 1, 1e-10), 6 * std::numbers::pi, 1e-8);
  // A tolerance below rounding still ends, with the best answer it has.
  EXPECT_NEAR(CNurbsEditor::LengthIn(c.get(), 0, 1, 1e-300), 6 * std::numbers::pi, 1e-9);
  CrvPtr arc(BCRV_New());
  arc->GenArc(ctr, 2.0, 0.0, 1.0);
  EXPECT_NEAR(CNurbsEditor::LengthIn(arc.get(), 1, 0, 1e-10), 2.0, 1e-8);
  CrvPtr l(BCRV_New());
  const double a[3] = {0, 0, 0}, b[3] = {3, 4, 0};
  l->GenLine(a, b);
  EXPECT_NEAR(CNurbsEditor::LengthIn(l.get(), 0.2, 0.7, 0.01), 2.5, 1e-12);
  EXPECT_EQ(CNurbsEditor::LengthIn(nullptr, 0, 1, 0.01), 0.0);
}
