// Planar curves lifted to 3D and 3D curves flattened: the geometry survives the round trip,
// orientation is kept, and lists skip what they cannot convert.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "platform/numora/Numora.h"

namespace {

using P3 = std::array<double, 3>;
constexpr int kSamples = 200;

struct List2d : CGeCurveList {
  ~List2d() { geDelCurveList(this); }
};
struct List3d : CGeCurve3dList {
  ~List3d() { geDelCurve3dList(this); }
};

// Dense samples of a 3D curve from its exact evaluation.
void Sample(CGeCurve3d* c, std::vector<P3>& out) {
  if (!c) return;
  P3 p;
  switch (c->GetType()) {
    case GE_TYPE_POLYLINE3D: {
      auto* poly = static_cast<CGePolyline3d*>(c);
      for (int k = 1; k < poly->m_nCount; ++k)
        for (int i = 0; i < 20; ++i) {
          c->GetPointAt(k + i / 20.0, p.data(), 0);
          out.push_back(p);
        }
      out.push_back({poly->m_pVertex[poly->m_nCount - 1][0],
                     poly->m_pVertex[poly->m_nCount - 1][1],
                     poly->m_pVertex[poly->m_nCount - 1][2]});
      return;
    }
    case GE_TYPE_COMBCURVE3D:
    case GE_TYPE_LOOP3D:
      for (POSITION pos = static_cast<CGeCombCurve3d*>(c)->m_CurveList.GetHeadPosition(); pos;)
        Sample(static_cast<CGeCombCurve3d*>(c)->m_CurveList.GetNext(pos), out);
      return;
    default:
      for (int i = 0; i <= kSamples; ++i) {
        c->GetPointAt(double(i) / kSamples, p.data(), 1);
        out.push_back(p);
      }
  }
}

// Largest xy distance from the 3D curve's samples to the planar curve; every sample must also
// sit at height z.
double Deviation(CGeCurve* planar, CGeCurve3d* lifted, double z) {
  std::vector<P3> pts;
  Sample(lifted, pts);
  EXPECT_GT(pts.size(), 1u);
  double worst = 0.0;
  for (const P3& p : pts) {
    EXPECT_NEAR(p[2], z, 1e-12);
    double near[2], t = 0.0, d = 1e12;
    unsigned seg = 0;
    planar->GetNearestPoint(p.data(), near, t, seg, d);
    worst = std::max(worst, std::hypot(p[0] - near[0], p[1] - near[1]));
  }
  return worst;
}

void ExpectSameEnds(CGeCurve* planar, CGeCurve3d* lifted, double tol) {
  double s2[2], e2[2], s3[3], e3[3];
  planar->GetStartPoint(s2);
  planar->GetEndPoint(e2);
  lifted->GetStartPoint(s3);
  lifted->GetEndPoint(e3);
  EXPECT_NEAR(s2[0], s3[0], tol);
  EXPECT_NEAR(s2[1], s3[1], tol);
  EXPECT_NEAR(e2[0], e3[0], tol);
  EXPECT_NEAR(e2[1], e3[1], tol);
}

CGeArc* NewArc(double cx, double cy, double r, double a0Deg, double a1Deg) {
  auto* arc = new CGeArc;
  const double c[2] = {cx, cy};
  EXPECT_TRUE(arc->CreateCSEAngle(c, r, a0Deg * std::numbers::pi / 180, a1Deg * std::numbers::pi / 180));
  return arc;
}

CGePolyline* NewPolyline(std::initializer_list<std::array<double, 2>> pts) {
  std::vector<std::array<double, 2>> v(pts);
  auto* poly = new CGePolyline;
  EXPECT_TRUE(poly->Create(int(v.size()), reinterpret_cast<const double(*)[2]>(v.data())));
  return poly;
}

struct Case {
  const char* name;
  std::function<CGeCurve*()> make;
  int type3d;
};

TEST(ConvertEditor, LiftedCurvesKeepGeometryEndsLengthAndHeight) {
  const double a[2] = {1, 1}, b[2] = {6, -2}, c[2] = {-3, 2};
  const Case cases[] = {
      {"line", [&] { return new CGeLine(a, b); }, GE_TYPE_LINE3D},
      {"ccw arc", [] { return NewArc(2, 3, 4, 30, 250); }, GE_TYPE_ARC3D},
      {"cw arc across zero", [] { return NewArc(2, 3, 4, 40, -60); }, GE_TYPE_ARC3D},
      {"ccw circle", [&] { return new CGeCircle(c, 2.5, 1); }, GE_TYPE_ARC3D},
      {"cw circle", [&] { return new CGeCircle(c, 2.5, 0); }, GE_TYPE_ARC3D},
      {"ellipse", [&] { return new CGeEllipse(c, 4, 1.5, 0.4, 0); }, GE_TYPE_NRBCRV3D},
      {"bezier",
       [] {
         const double n[][2] = {{0, 0}, {1, 3}, {4, 3}, {5, 0}, {6, -3}, {8, -1}, {9, 2}};
         auto* bez = new CGeBezier;
         EXPECT_TRUE(bez->CreateEx(7, n));
         return bez;
       },
       GE_TYPE_NRBCRV3D},
      {"polyline", [] { return NewPolyline({{0, 0}, {3, 1}, {3, 5}, {-2, 4}}); },
       GE_TYPE_POLYLINE3D},
      {"composite",
       [] {
         auto* comb = new CGeCombCurve;
         const double p0[2] = {-4, 3}, p1[2] = {2, -1};
         comb->AddTail(new CGeLine(p0, p1), 1);
         comb->AddTail(NewArc(2, 3, 4, -90, 30), 1);
         return comb;
       },
       GE_TYPE_COMBCURVE3D},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<CGeCurve> planar(k.make());
    for (double z : {0.0, -7.5}) {
      std::unique_ptr<CGeCurve3d> lifted(CConvertEditor::ToCurve3d(planar.get(), z));
      ASSERT_TRUE(lifted);
      EXPECT_EQ(lifted->GetType(), k.type3d);
      EXPECT_LT(Deviation(planar.get(), lifted.get(), z), 1e-9);
      ExpectSameEnds(planar.get(), lifted.get(), 1e-9);
      // Same ends and every point on the curve; equal length rules out a partial cover.
      EXPECT_NEAR(lifted->EvTotalArcLength2D(), planar->EvTotalArcLength(),
                  2e-3 * planar->EvTotalArcLength());
      EXPECT_EQ(lifted->m_nTag, planar->m_nClosed);
    }
  }
}

TEST(ConvertEditor, ArcOrientationSurvivesTheRoundTrip) {
  for (double end : {150.0, -150.0}) {
    SCOPED_TRACE(end);
    std::unique_ptr<CGeArc> arc(NewArc(-1, 2, 3, 20, end));
    std::unique_ptr<CGeArc3d> a3(CConvertEditor::ArcToArc3d(arc.get(), 4.0));
    ASSERT_TRUE(a3);
    EXPECT_GT(a3->m_dSweep, 0.0);
    EXPECT_NEAR(a3->m_dSweep, std::fabs(arc->m_dSweep), 1e-15);
    EXPECT_EQ(a3->m_frame.zAxis[2], end > 0 ? 1.0 : -1.0);
    EXPECT_EQ(a3->m_frame.origin[2], 4.0);

    std::unique_ptr<CGeArc> back(CConvertEditor::Arc3dToArc(a3.get()));
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->m_dSweep, arc->m_dSweep, 1e-15);
    EXPECT_NEAR(back->m_dRadius, 3.0, 1e-15);
    EXPECT_NEAR(back->m_ptCenter[0], -1.0, 1e-15);
    EXPECT_NEAR(back->m_ptCenter[1], 2.0, 1e-15);
    double s0[2], s1[2], e0[2], e1[2];
    arc->GetStartPoint(s0);
    back->GetStartPoint(s1);
    arc->GetEndPoint(e0);
    back->GetEndPoint(e1);
    EXPECT_NEAR(std::hypot(s0[0] - s1[0], s0[1] - s1[1]), 0.0, 1e-12);
    EXPECT_NEAR(std::hypot(e0[0] - e1[0], e0[1] - e1[1]), 0.0, 1e-12);
  }
}

TEST(ConvertEditor, FlatteningKeepsLinesArcsAndPolylinesExactly) {
  const double s[2] = {0, 0}, e[2] = {5, 5};
  List2d planar;
  planar.AddTail(new CGeLine(s, e));
  planar.AddTail(static_cast<CGeCurve*>(nullptr));
  planar.AddTail(NewArc(5, 0, 5, 90, -30));
  planar.AddTail(NewPolyline({{1, 1}, {2, 2}}));
  planar.AddTail(new CGeCircle(s, 2, 1));

  List3d lifted;
  CConvertEditor::CurveListToCurveList3D(&planar, 2.0, lifted);
  ASSERT_EQ(lifted.GetCount(), 4);

  List2d back;
  back.AddTail(NewPolyline({{9, 9}, {8, 8}}));  // appended to, never cleared
  lifted.AddTail(static_cast<CGeCurve3d*>(nullptr));
  CConvertEditor::ListCurve3dToListCurve(&lifted, back);
  ASSERT_EQ(back.GetCount(), 5);
  POSITION pb = back.GetHeadPosition();
  back.GetNext(pb);
  for (POSITION pa = planar.GetHeadPosition(); pa;) {
    CGeCurve* orig = planar.GetNext(pa);
    if (!orig) continue;
    CGeCurve* flat = back.GetNext(pb);
    SCOPED_TRACE(orig->GetType());
    const int want = orig->GetType() == GE_TYPE_CIRCLE ? GE_TYPE_ARC : orig->GetType();
    ASSERT_EQ(flat->GetType(), want);
    if (want == GE_TYPE_POLYLINE) {
      ASSERT_EQ(flat->m_nSWPoint, orig->m_nSWPoint);
      for (int i = 0; i < flat->m_nSWPoint; ++i) {
        EXPECT_EQ(flat->m_pSWPoint[i][0], orig->m_pSWPoint[i][0]);
        EXPECT_EQ(flat->m_pSWPoint[i][1], orig->m_pSWPoint[i][1]);
      }
      continue;
    }
    for (double t : {0.0, 0.3, 0.7, 1.0}) {
      double p0[2], p1[2];
      orig->GetPointAt(t, p0, 1);
      flat->GetPointAt(t, p1, 1);
      EXPECT_NEAR(std::hypot(p0[0] - p1[0], p0[1] - p1[1]), 0.0, 1e-12) << t;
    }
  }
}

TEST(ConvertEditor, TiltedArcFlattensToItsOutlineNotToAFalseArc) {
  CGeArc3d arc;
  const double p1[3] = {3, 0, 4}, p2[3] = {0, 5, 0}, p3[3] = {-3, 0, -4};
  ASSERT_TRUE(arc.Create3Pnt(p1, p2, p3));
  arc.DiscreteMe(0.001);
  EXPECT_FALSE(CConvertEditor::Arc3dToArc(&arc));

  List3d in;
  in.AddTail(arc.Copy());
  List2d out;
  CConvertEditor::ListCurve3dToListCurve(&in, out);
  ASSERT_EQ(out.GetCount(), 1);
  CGeCurve* flat = out.GetHead();
  EXPECT_EQ(flat->GetType(), GE_TYPE_POLYLINE);
  // The projection is half an ellipse with semi-axes 3 (x) and 5 (y).
  for (int i = 0; i < flat->m_nSWPoint; ++i) {
    const double* q = flat->m_pSWPoint[i];
    EXPECT_NEAR(std::hypot(q[0] / 3.0, q[1] / 5.0), 1.0, 0.01);
  }
}

TEST(ConvertEditor, DegenerateInputsGiveNull) {
  const double o[2] = {0, 0};
  std::unique_ptr<CGePolyline> single(new CGePolyline(1));
  single->m_pSWPoint[0][0] = single->m_pSWPoint[0][1] = 1.0;
  EXPECT_FALSE(CConvertEditor::ToCurve3d(single.get(), 0.0));

  CGeLoop loop;
  loop.AddTail(NewArc(0, 0, 1, 0, 360), 1);
  EXPECT_FALSE(CConvertEditor::ToCurve3d(&loop, 0.0));
  CGeLine base(o, o);
  CGeOffsetCrv off;
  off.Create(&base, 1.0);
  EXPECT_FALSE(CConvertEditor::ToCurve3d(&off, 0.0));
  EXPECT_FALSE(CConvertEditor::ToCurve3d(nullptr, 0.0));

  // An arc without a start direction has no frame.
  std::unique_ptr<CGeArc> arc(NewArc(0, 0, 1, 0, 90));
  arc->m_vStart[0] = arc->m_vStart[1] = 0.0;
  EXPECT_FALSE(CConvertEditor::ArcToArc3d(arc.get(), 0.0));

  // Composites and loops that convert to nothing give null, not an empty container.
  CGeCombCurve comb;
  EXPECT_FALSE(CConvertEditor::CombCurveToCombCurve3d(&comb, 0.0));
  auto* offset = new CGeOffsetCrv;
  offset->Create(nullptr, 1.0);
  comb.m_CurveList.AddTail(offset);
  EXPECT_FALSE(CConvertEditor::CombCurveToCombCurve3d(&comb, 0.0));
  EXPECT_FALSE(CConvertEditor::ToCurve3d(&comb, 0.0));
  CGeLoop only;
  only.m_CurveList.AddTail(new CGeOffsetCrv);
  EXPECT_FALSE(CConvertEditor::LoopToLoop3d(&only, 0.0));
  CGeLoop empty;
  EXPECT_FALSE(CConvertEditor::LoopToLoop3d(&empty, 0.0));

  CGePolyline3d two;
  const double v[2][3] = {{1, 2, 3}, {4, 5, 6}};
  ASSERT_TRUE(two.Create(2, v));
  std::unique_ptr<CGePolyline> flat(CConvertEditor::Polyline3dToPolyline(&two));
  ASSERT_TRUE(flat);
  ASSERT_EQ(flat->m_nSWPoint, 2);
  EXPECT_EQ(flat->m_pSWPoint[1][0], 4.0);
  EXPECT_EQ(flat->m_pSWPoint[1][1], 5.0);
  CGePolyline3d none;
  EXPECT_FALSE(CConvertEditor::Polyline3dToPolyline(&none));
  EXPECT_FALSE(CConvertEditor::ToPolyline3d(&none, 0.01));
}

TEST(ConvertEditor, LoopsLiftToLoopsWithTheSameArea) {
  const double p[4][2] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
  CGeLoop loop;
  for (int i = 0; i < 4; ++i) loop.AddTail(new CGeLine(p[i], p[(i + 1) % 4]), 1);
  std::unique_ptr<CGeLoop3d> l3(CConvertEditor::LoopToLoop3d(&loop, 1.0));
  ASSERT_TRUE(l3);
  EXPECT_EQ(l3->m_CurveList.GetCount(), 4);
  EXPECT_EQ(l3->IsLoop3d(0.01), 1);
  EXPECT_NEAR(l3->EvArea(0.01), loop.EvArea(0.01), 1e-9);
  EXPECT_NEAR(l3->EvArea(0.01), 12.0, 1e-9);
}

TEST(ConvertEditor, DiscretisedPolylinesFollowTheCurveAtHeight) {
  const double c[2] = {1, -1};
  CGeEllipse ell(c, 3, 2, 0.3, 1);
  std::unique_ptr<CGePolyline3d> p(CConvertEditor::EllipseToPolyline3d(&ell, 2.5));
  ASSERT_TRUE(p);
  EXPECT_GT(p->m_nCount, 8);
  for (int i = 0; i < p->m_nCount; ++i) {
    double near[2], t = 0.0, d = 1e12;
    unsigned seg = 0;
    ell.GetNearestPoint(p->m_pVertex[i], near, t, seg, d);
    EXPECT_LT(d, 1e-5);  // the vertices went through single precision
    EXPECT_EQ(p->m_pVertex[i][2], 2.5);
  }
  CGeArc3d arc;
  const double o[3] = {0, 0, 1};
  ASSERT_TRUE(arc.CreateCricleXY(o, 2.0));
  std::unique_ptr<CGePolyline> flat(CConvertEditor::ToPolyline2d(&arc, 0.01));
  ASSERT_TRUE(flat);
  for (int i = 0; i < flat->m_nSWPoint; ++i)
    EXPECT_NEAR(std::hypot(flat->m_pSWPoint[i][0], flat->m_pSWPoint[i][1]), 2.0, 1e-9);
  EXPECT_NEAR(flat->EvArea(), std::numbers::pi * 4.0, 0.05);
}

TEST(ConvertEditor, CurvesDiscretiseToThreeDElements) {
  // The inherited conversion lifts a line to one 3D line at z = 0.
  const double a[2] = {0, 0}, b[2] = {2, 1};
  CGeLine line(a, b);
  List3d out;
  line.DiscreteToElement(&out);
  ASSERT_EQ(out.GetCount(), 1);
  EXPECT_EQ(out.GetHead()->GetType(), GE_TYPE_LINE3D);

  // Up to 15 vertices: one line per segment.
  std::vector<std::array<double, 2>> v;
  for (int i = 0; i < 15; ++i) v.push_back({double(i), (i % 2) * 1.0});
  CGePolyline poly;
  ASSERT_TRUE(poly.Create(15, reinterpret_cast<const double(*)[2]>(v.data())));
  List3d lines;
  poly.DiscreteToElement(&lines);
  ASSERT_EQ(lines.GetCount(), 14);
  int i = 0;
  for (POSITION pos = lines.GetHeadPosition(); pos; ++i) {
    auto* l = static_cast<CGeLine3d*>(lines.GetNext(pos));
    ASSERT_EQ(l->GetType(), GE_TYPE_LINE3D);
    EXPECT_EQ(l->m_ptStart[0], v[size_t(i)][0]);
    EXPECT_EQ(l->m_ptEnd[1], v[size_t(i + 1)][1]);
    EXPECT_EQ(l->m_ptEnd[2], 0.0);
  }
  // More vertices: fitted pieces, or the segments when no fit is made; either way the
  // outline is kept (a gentle curve, so the fit may deviate by its 0.2 allowance at most).
  v.clear();
  for (int i = 0; i < 40; ++i) v.push_back({10 * std::cos(i * 0.05), 10 * std::sin(i * 0.05)});
  CGePolyline dense;
  ASSERT_TRUE(dense.Create(40, reinterpret_cast<const double(*)[2]>(v.data())));
  List3d pieces;
  dense.DiscreteToElement(&pieces);
  ASSERT_GE(pieces.GetCount(), 1);
  std::vector<P3> pts;
  for (POSITION pos = pieces.GetHeadPosition(); pos;) Sample(pieces.GetNext(pos), pts);
  for (const P3& q : pts) {
    EXPECT_NEAR(std::hypot(q[0], q[1]), 10.0, 0.2 + 1e-9);
    EXPECT_EQ(q[2], 0.0);
  }
  EXPECT_NEAR(pts.front()[0], 10.0, 1e-9);
  EXPECT_NEAR(pts.back()[0], v.back()[0], 1e-9);
}

}  // namespace
