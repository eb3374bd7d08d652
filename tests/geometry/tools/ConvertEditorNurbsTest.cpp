// Planar curves to NURBS records: exact for conics and Beziers, degree 1 for polylines, merged
// for composites, null for what has no NURBS form.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "platform/numora/Numora.h"

namespace {

struct Free {
  void operator()(BCRV* c) const { BCRV_Free(c); }
};
using Rec = std::unique_ptr<BCRV, Free>;
constexpr int kSamples = 400;

Rec ToNurbs(CGeCurve* c) { return Rec(CConvertEditor::ToNurbsCurve(c)); }
Rec ToNurbs(CGeCurve3d* c) { return Rec(CConvertEditor::ToNurbsCurve(c)); }

double Dist3(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// Shoelace area of the record sampled densely: its sign is the turning direction.
double SampledArea(const BCRV* c) {
  double a = 0.0, p[3], q[3];
  BCRV_EvPos(c, 0.0, p);
  for (int i = 1; i <= kSamples; ++i) {
    BCRV_EvPos(c, double(i) / kSamples, q);
    a += p[0] * q[1] - q[0] * p[1];
    p[0] = q[0], p[1] = q[1];
  }
  return 0.5 * a;
}

double Dist2(const double a[2], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

void ExpectEnds(CGeCurve* curve, const BCRV* c, double tol) {
  double s2[2], e2[2], s3[3], e3[3];
  curve->GetStartPoint(s2);
  curve->GetEndPoint(e2);
  ASSERT_TRUE(BCRV_EvPos(c, 0.0, s3));
  ASSERT_TRUE(BCRV_EvPos(c, 1.0, e3));
  EXPECT_LT(Dist2(s2, s3), tol);
  EXPECT_LT(Dist2(e2, e3), tol);
  EXPECT_EQ(s3[2], 0.0);
}

// Every sample of the record lies on the planar curve (nearest-point distance).
double MaxDeviation(CGeCurve* curve, const BCRV* c) {
  double worst = 0.0;
  for (int i = 0; i <= kSamples; ++i) {
    double p[3], near[2], t = 0.0, d = 1e12;  // d: best so far, lowered by the search
    unsigned seg = 0;
    BCRV_EvPos(c, double(i) / kSamples, p);
    curve->GetNearestPoint(p, near, t, seg, d);
    worst = std::max(worst, Dist2(near, p));
  }
  return worst;
}

TEST(ConvertEditorNurbs, LineIsExactDegreeOne) {
  const double a[2] = {1, 2}, b[2] = {-4, 7};
  CGeLine line(a, b);
  Rec c = ToNurbs(&line);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->order, 2);
  ExpectEnds(&line, c.get(), 1e-12);
}

struct ArcCase {
  const char* name;
  double start, end;  // degrees; end < start turns clockwise
};

TEST(ConvertEditorNurbs, ArcsLieOnTheirCircleAndKeepDirection) {
  const ArcCase cases[] = {{"ccw quarter", 0, 90},        {"ccw across zero", 300, 400},
                           {"ccw almost full", 10, 369},  {"cw half", 90, -90},
                           {"cw across zero", 20, -30},   {"cw small", 200, 199}};
  const double centre[2] = {3.5, -2.0}, r = 7.25;
  for (const ArcCase& k : cases) {
    SCOPED_TRACE(k.name);
    CGeArc arc;
    ASSERT_TRUE(arc.CreateCSEAngle(centre, r, k.start * std::numbers::pi / 180, k.end * std::numbers::pi / 180));
    Rec c = ToNurbs(&arc);
    ASSERT_TRUE(c);
    ExpectEnds(&arc, c.get(), 1e-9);
    double prev = 0.0, turned = 0.0, p[3];
    for (int i = 0; i <= kSamples; ++i) {
      BCRV_EvPos(c.get(), double(i) / kSamples, p);
      EXPECT_NEAR(std::hypot(p[0] - centre[0], p[1] - centre[1]), r, 1e-9);
      const double ang = std::atan2(p[1] - centre[1], p[0] - centre[0]);
      if (i > 0) turned += std::remainder(ang - prev, 2 * std::numbers::pi);
      prev = ang;
    }
    // Turning the same way through the same angle rules out the complementary arc.
    EXPECT_NEAR(turned, arc.m_dSweep, 1e-9);
  }
}

TEST(ConvertEditorNurbs, ZeroSweepArcGivesNullNotAFullCircle) {
  CGeArc arc;
  const double centre[2] = {0, 0};
  arc.CreateCSEAngle(centre, 2.0, 0.3, 1.0);
  arc.m_dSweep = 0.0;
  EXPECT_FALSE(ToNurbs(&arc));
}

TEST(ConvertEditorNurbs, CirclesAndEllipsesAreExactWithTheirDirection) {
  const double centre[2] = {-1.5, 4.0};
  for (int dir : {1, 0}) {
    SCOPED_TRACE(dir);
    CGeCircle circle(centre, 3.0, dir);
    Rec c = ToNurbs(&circle);
    ASSERT_TRUE(c);
    double p[3];
    for (int i = 0; i <= kSamples; ++i) {
      BCRV_EvPos(c.get(), double(i) / kSamples, p);
      EXPECT_NEAR(std::hypot(p[0] - centre[0], p[1] - centre[1]), 3.0, 1e-9);
    }
    ExpectEnds(&circle, c.get(), 1e-9);
    EXPECT_NEAR(SampledArea(c.get()), (dir ? 1 : -1) * std::numbers::pi * 9.0, 0.01);

    const double a = 5.0, b = 2.0, rot = 0.6;
    CGeEllipse ell(centre, a, b, rot, dir);
    Rec e = ToNurbs(&ell);
    ASSERT_TRUE(e);
    for (int i = 0; i <= kSamples; ++i) {
      BCRV_EvPos(e.get(), double(i) / kSamples, p);
      const double dx = p[0] - centre[0], dy = p[1] - centre[1];
      const double u = dx * std::cos(rot) + dy * std::sin(rot);
      const double v = -dx * std::sin(rot) + dy * std::cos(rot);
      EXPECT_NEAR(std::hypot(u / a, v / b), 1.0, 1e-9);
    }
    ExpectEnds(&ell, e.get(), 1e-9);
    EXPECT_NEAR(SampledArea(e.get()), (dir ? 1 : -1) * std::numbers::pi * a * b, 0.01);
  }
}

// Cubic Bezier point by de Casteljau, independent of both the class and the kernel.
void Casteljau(const double (*q)[2], double t, double out[2]) {
  double w[4][2];
  for (int i = 0; i < 4; ++i) w[i][0] = q[i][0], w[i][1] = q[i][1];
  for (int r = 1; r < 4; ++r)
    for (int i = 0; i < 4 - r; ++i)
      for (int k = 0; k < 2; ++k) w[i][k] = (1 - t) * w[i][k] + t * w[i + 1][k];
  out[0] = w[0][0], out[1] = w[0][1];
}

TEST(ConvertEditorNurbs, BezierSegmentsMapOntoKnotSpansExactly) {
  // Three segments, the middle one collapsed to a point: the record must stay valid.
  const double pts[][2] = {{0, 0}, {1, 2}, {3, 2}, {4, 0}, {4, 0}, {4, 0},
                           {4, 0}, {5, -1}, {6, 3}, {8, 1}, {9, 9}};
  CGeBezier bez;
  ASSERT_TRUE(bez.CreateEx(11, pts));  // the tenth and eleventh node make no whole segment
  Rec c = ToNurbs(&bez);
  ASSERT_TRUE(c);
  ASSERT_TRUE(BCRV_IsValid(c.get()));
  EXPECT_EQ(c->order, 4);
  ASSERT_EQ(c->n, 10);
  const double* U = c->knots;
  for (int s = 0; s < 3; ++s) {
    const double u0 = U[3 + 3 * s], u1 = U[4 + 3 * s];
    ASSERT_LT(u0, u1);
    for (int i = 0; i <= 20; ++i) {
      const double t = i / 20.0;
      double want[2], got[3];
      Casteljau(pts + 3 * s, t, want);
      BCRV_EvPos(c.get(), u0 + t * (u1 - u0), got);
      EXPECT_LT(Dist2(want, got), 1e-9) << "segment " << s << " t " << t;
    }
  }
  // Knot spans follow the control-polygon lengths.
  const double l1 = std::hypot(1, 2) + 2 + std::hypot(1, 2);
  const double l3 = std::hypot(1, 1) + std::hypot(1, 4) + std::hypot(2, 2);
  EXPECT_NEAR(U[4], l1 / (l1 + l3), 1e-5);
}

TEST(ConvertEditorNurbs, PolylinesBecomeLinesOrDegreeOneInterpolants) {
  const double pts[][2] = {{0, 0}, {2, 0}, {2, 2}, {2, 2}, {5, 3}};
  CGePolyline one;
  one.Create(2, pts);
  Rec line = ToNurbs(&one);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->order, 2);
  EXPECT_EQ(line->n, 2);

  CGePolyline poly;
  ASSERT_TRUE(poly.Create(5, pts));
  Rec c = ToNurbs(&poly);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->order, 2);
  EXPECT_LT(MaxDeviation(&poly, c.get()), 1e-9);
  ExpectEnds(&poly, c.get(), 1e-12);

  CGePolyline single(1);
  EXPECT_FALSE(ToNurbs(&single));
}

TEST(ConvertEditorNurbs, CompositesMergeTheirMembers) {
  const double a[2] = {0, 0}, b[2] = {4, 0}, centre[2] = {4, 2}, d[2] = {4, 4}, e[2] = {0, 4};
  CGeCombCurve comb;
  comb.AddTail(new CGeLine(a, b), 1);
  auto* arc = new CGeArc;
  ASSERT_TRUE(arc->CreateCSEAngle(centre, 2.0, -std::numbers::pi / 2, std::numbers::pi / 2));
  comb.AddTail(arc, 1);
  comb.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  comb.AddTail(new CGeLine(d, e), 1);
  Rec c = ToNurbs(&comb);
  ASSERT_TRUE(c);
  ExpectEnds(&comb, c.get(), 1e-9);
  EXPECT_LT(MaxDeviation(&comb, c.get()), 1e-9);

  // One member comes back as that member's record, unmerged.
  CGeCombCurve single;
  single.AddTail(new CGeLine(a, b), 1);
  Rec s = ToNurbs(&single);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->order, 2);
  EXPECT_EQ(s->n, 2);

  // Members that do not meet cannot be merged.
  CGeCombCurve gap;
  gap.AddTail(new CGeLine(a, b), 1);
  gap.m_CurveList.AddTail(new CGeLine(d, e));
  EXPECT_FALSE(ToNurbs(&gap));
}

TEST(ConvertEditorNurbs, ShapesWithoutANurbsFormGiveNull) {
  const double a[2] = {0, 0}, b[2] = {4, 0}, c[2] = {0, 3};
  CGeLoop loop;
  loop.AddTail(new CGeLine(a, b), 1);
  loop.AddTail(new CGeLine(b, c), 1);
  loop.AddTail(new CGeLine(c, a), 1);
  EXPECT_FALSE(ToNurbs(&loop));
  CGeLine base(a, b);
  CGeOffsetCrv off;
  off.Create(&base, 1.0);
  EXPECT_FALSE(ToNurbs(&off));
  EXPECT_FALSE(ToNurbs(static_cast<CGeCurve*>(nullptr)));
  CGeBezier empty;
  EXPECT_FALSE(ToNurbs(&empty));
}

TEST(ConvertEditorNurbs3d, TiltedArcIsExactInItsPlane) {
  CGeArc3d arc;
  const double p1[3] = {1, 2, 3}, p2[3] = {4, -1, 5}, p3[3] = {0, -2, 7};
  ASSERT_TRUE(arc.Create3Pnt(p1, p2, p3));
  Rec c = ToNurbs(&arc);
  ASSERT_TRUE(c);
  const _rect_fm3d& f = arc.m_frame;
  double p[3], s[3], e[3];
  for (int i = 0; i <= kSamples; ++i) {
    BCRV_EvPos(c.get(), double(i) / kSamples, p);
    const double d[3] = {p[0] - f.origin[0], p[1] - f.origin[1], p[2] - f.origin[2]};
    EXPECT_NEAR(V3D_Length(d), arc.m_dRadius, 1e-9);
    EXPECT_NEAR(V3D_Dot(d, f.zAxis), 0.0, 1e-9);
  }
  BCRV_EvPos(c.get(), 0.0, s);
  BCRV_EvPos(c.get(), 1.0, e);
  EXPECT_LT(Dist3(s, p1), 1e-9);
  EXPECT_LT(Dist3(e, p3), 1e-9);
  // The middle point lies on the arc the three points name, not on its complement.
  double mid[3], t = 0.0;
  BCRV_EvPos(c.get(), 0.5, mid);
  ASSERT_TRUE(arc.GetParam(mid, t));
  EXPECT_GT(t, 0.0);
  EXPECT_LT(t, 1.0);

  std::unique_ptr<CGeNrbCrv3d> nrb(CConvertEditor::ToNrbCrv3d(&arc));
  ASSERT_TRUE(nrb);
  ASSERT_TRUE(nrb->GetCurve());
  EXPECT_NE(nrb->GetCurve(), c.get());
}

TEST(ConvertEditorNurbs3d, LinesPolylinesCopiesAndComposites) {
  const double a[3] = {0, 0, 1}, b[3] = {3, 4, 1}, d[3] = {3, 4, 6};
  CGeLine3d line(a, b);
  Rec l = ToNurbs(&line);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->order, 2);

  const double v[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 2}, {0, 1, 2}};
  CGePolyline3d poly;
  ASSERT_TRUE(poly.Create(4, v));
  Rec pl = ToNurbs(&poly);
  ASSERT_TRUE(pl);
  EXPECT_EQ(pl->order, 2);
  double p[3];
  BCRV_EvPos(pl.get(), 1.0, p);
  EXPECT_LT(Dist3(p, v[3]), 1e-12);
  // Every vertex lies on the degree-1 curve: check via the control points.
  ASSERT_EQ(pl->n, 4);
  for (int i = 0; i < 4; ++i) {
    double q[3];
    ASSERT_TRUE(pl->GetCtrlPt(i, q));
    EXPECT_LT(Dist3(q, v[i]), 1e-12);
  }

  // A NURBS curve is cloned: the result is independent of the curve's own record.
  CGeNrbCrv3d nrb(l.release());
  Rec clone = ToNurbs(&nrb);
  ASSERT_TRUE(clone);
  EXPECT_NE(clone.get(), nrb.GetCurve());

  CGeCombCurve3d comb;
  comb.AddTail(new CGeLine3d(a, b));
  comb.AddTail(new CGeLine3d(b, d));
  Rec merged = ToNurbs(&comb);
  ASSERT_TRUE(merged);
  double s[3], e[3], m[3];
  BCRV_EvPos(merged.get(), 0.0, s);
  BCRV_EvPos(merged.get(), 1.0, e);
  EXPECT_LT(Dist3(s, a), 1e-12);
  EXPECT_LT(Dist3(e, d), 1e-12);
  // The corner is on the merged curve (both legs are 5 long).
  BCRV_EvPos(merged.get(), 0.5, m);
  EXPECT_LT(Dist3(m, b), 1e-9);

  CGeCombCurve3d single;
  single.AddTail(new CGeLine3d(a, b));
  Rec one = ToNurbs(&single);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->n, 2);

  CGeLoop3d loop;
  loop.AddTail(new CGeLine3d(a, b));
  loop.AddTail(new CGeLine3d(b, a));
  EXPECT_FALSE(ToNurbs(&loop));
  CGePolyline3d empty;
  EXPECT_FALSE(ToNurbs(&empty));
  EXPECT_FALSE(CConvertEditor::ToNrbCrv3d(static_cast<CGeLine*>(nullptr)));
}

}  // namespace
