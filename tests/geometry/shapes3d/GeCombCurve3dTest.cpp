// 3D composite curve and 3D group: ownership when adding, linking, positions by sub-curve and
// segment, lengths, splitting, reversal, planarity, transforms, copies and the archive record.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numbers>

#include "Curve3dTestUtil.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"
#include "platform/afx/RecordingDC.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeGroup3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

using namespace c3t;

namespace {

using CombCurve3dTest = Curve3dTest;
using Group3dTest = Curve3dTest;

CGeLine3d* Line(double x0, double y0, double z0, double x1, double y1, double z1) {
  const double a[3] = {x0, y0, z0}, b[3] = {x1, y1, z1};
  auto* l = new CGeLine3d(a, b);
  l->DiscreteMe(gGetCurveDicTol());
  return l;
}

// Three linked lines (0,0,0) -> (1,0,0) -> (1,2,0) -> (1,2,3): lengths 1, 2, 3.
std::unique_ptr<CGeCombCurve3d> Staircase() {
  auto c = std::make_unique<CGeCombCurve3d>();
  c->AddTail(Line(0, 0, 0, 1, 0, 0));
  c->AddTail(Line(1, 0, 0, 1, 2, 0));
  c->AddTail(Line(1, 2, 0, 1, 2, 3));
  return c;
}

// Closed square of side 2 in z = 0, counter-clockwise from the origin.
std::unique_ptr<CGeCombCurve3d> Square() {
  auto c = std::make_unique<CGeCombCurve3d>();
  c->AddTail(Line(0, 0, 0, 2, 0, 0));
  c->AddTail(Line(2, 0, 0, 2, 2, 0));
  c->AddTail(Line(2, 2, 0, 0, 2, 0));
  c->AddTail(Line(0, 2, 0, 0, 0, 0));
  return c;
}

void Expect3(const double p[3], double x, double y, double z, double tol = 1e-9) {
  EXPECT_NEAR(p[0], x, tol);
  EXPECT_NEAR(p[1], y, tol);
  EXPECT_NEAR(p[2], z, tol);
}

TEST_F(CombCurve3dTest, AddingACompositeFlattensItAndTakesItsMembers) {
  auto c = std::make_unique<CGeCombCurve3d>();
  c->AddTail(Line(1, 0, 0, 2, 0, 0));
  auto* inner = new CGeCombCurve3d;
  inner->AddTail(Line(2, 0, 0, 3, 0, 0));
  inner->AddTail(Line(3, 0, 0, 4, 0, 0));
  c->AddTail(inner);  // deleted by the composite: the sanitizer build checks it
  auto* head = new CGeCombCurve3d;
  head->AddTail(Line(-1, 0, 0, 0, 0, 0));
  head->AddTail(Line(0, 0, 0, 1, 0, 0));
  c->AddHead(head);
  ASSERT_EQ(c->GetSegmentCount(), 5);
  for (int k = 1; k <= 5; ++k) {
    double s[3];
    c->GetSubCurve(k)->GetStartPoint(s);
    EXPECT_EQ(s[0], k - 2.0) << k;
  }
  CGeCombCurve3d empty;
  c->AddTail(&empty);  // nothing to take: neither added nor deleted
  c->AddTail(nullptr);
  EXPECT_EQ(c->GetSegmentCount(), 5);
  _tagBox3D box;
  c->GetBox(&box);
  EXPECT_EQ(box.min[0], -1.0);
  EXPECT_EQ(box.max[0], 4.0);
}

TEST_F(CombCurve3dTest, IsLinkedComparesGapsWithTheTolerance) {
  struct Case {
    double y;
    int linked;
  } cases[] = {{0.005, 1}, {0.02, 0}, {0.0, 1}};
  for (const Case& k : cases) {
    CGeCombCurve3d c;
    c.AddTail(Line(0, 0, 0, 1, 0, 0));
    c.AddTail(Line(1, k.y, 0, 2, 0, 0));
    EXPECT_EQ(c.IsLinked(0.01), k.linked) << k.y;
  }
  CGeCombCurve3d empty;
  EXPECT_EQ(empty.IsLinked(0.01), 1);
}

TEST_F(CombCurve3dTest, GetSubCurveCountsNonNullEntries) {
  CGeCombCurve3d c;
  CGeLine3d* a = Line(0, 0, 0, 1, 0, 0);
  CGeLine3d* b = Line(1, 0, 0, 2, 0, 0);
  c.m_CurveList.AddTail(a);
  c.m_CurveList.AddTail(static_cast<CGeCurve3d*>(nullptr));
  c.m_CurveList.AddTail(b);
  EXPECT_EQ(c.GetSubCurve(1), a);
  EXPECT_EQ(c.GetSubCurve(2), b);
  EXPECT_EQ(c.GetSubCurve(3), nullptr);  // three entries, but only two curves
  EXPECT_EQ(c.GetSubCurve(0), nullptr);
  EXPECT_EQ(c.GetSegmentCount(), 3);
  double s[3];
  c.GetStartPoint(s);
  Expect3(s, 0, 0, 0);
  c.DiscreteMe(0.01);
  EXPECT_EQ(c.m_strDisc.m_nCount, 3);
}

TEST_F(CombCurve3dTest, DiscretisationJoinsTheSubCurvesWithoutRepeats) {
  CGeCombCurve3d two;
  two.AddTail(Line(0, 0, 0, 1, 0, 0));
  two.AddTail(Line(1, 0, 0, 2, 0, 0));
  two.DiscreteMe(0.01);
  EXPECT_EQ(two.m_strDisc.m_nCount, 3);
  EXPECT_EQ(two.m_strDisc.m_pParams, nullptr);

  CGeCombCurve3d mixed;
  mixed.AddTail(Line(0, 0, 0, 5, 0, 0));
  mixed.AddTail(Circle(5.0));
  mixed.DiscreteMe(0.01);
  const CGeCurve3d* circle = mixed.GetSubCurve(2);
  EXPECT_EQ(mixed.m_strDisc.m_nCount, 2 + circle->m_strDisc.m_nCount - 1);
  EXPECT_NEAR(mixed.EvTotalArcLength(), 5.0 + 10.0 * std::numbers::pi, 0.03);
  std::unique_ptr<CGePolyline3d> poly(mixed.Convert(0.01));
  ASSERT_TRUE(poly);
  EXPECT_EQ(poly->m_nCount, mixed.m_strDisc.m_nCount);
  EXPECT_EQ(poly->m_strDisc.m_nCount, 0);  // the polyline's own cache stays empty
  CGeCombCurve3d empty;
  EXPECT_EQ(empty.Convert(0.01), nullptr);
}

TEST_F(CombCurve3dTest, PositionsBySubCurveAndSegment) {
  auto c = Staircase();
  double p[3], v[3];
  c->GetPointAt(0.5, p, 2);
  Expect3(p, 1, 1, 0);
  c->GetPointAt(1.0, p, 2);  // the end of the second sub-curve, not its start
  Expect3(p, 1, 2, 0);
  c->GetTanVecAt(0.25, p, v, 3);
  Expect3(p, 1, 2, 0.75);
  Expect3(v, 0, 0, 1);
  double q[3] = {9, 9, 9};
  c->GetPointAt(0.5, q, 4);  // no such sub-curve
  c->GetPointAt(-0.5, q, 1);
  EXPECT_EQ(q[0], 9);

  // A polyline sub-curve reads its segment from the integer part of the parameter.
  CGeCombCurve3d withPoly;
  withPoly.AddTail(Line(-1, 0, 0, 0, 0, 0));
  const double verts[3][3] = {{0, 0, 0}, {2, 0, 0}, {2, 4, 0}};
  auto* poly = new CGePolyline3d;
  poly->Create(3, verts);
  withPoly.AddTail(poly);
  double d1[3], d2[3];
  withPoly.Ev2Der(2.25, p, d1, d2, 2);
  Expect3(p, 2, 1, 0);
  Expect3(d1, 0, 4, 0);
  double r[3] = {9, 9, 9};
  withPoly.GetPointAt(1.5, r, 2);  // the polyline gets 0.5 on segment 1 and gives nothing
  EXPECT_EQ(r[0], 9);
  withPoly.Ev2Der(1.5, p, d1, d2, 2);
  Expect3(p, 1, 0, 0);
}

TEST_F(CombCurve3dTest, EvParamFindsTheSubCurveAtALength) {
  auto c = Staircase();  // total 6
  struct Case {
    double length;
    int k;
    double x, y, z;
  } cases[] = {{0.5, 1, 0.5, 0, 0}, {2.0, 2, 1, 1, 0}, {4.5, 3, 1, 2, 1.5}};
  for (const Case& e : cases) {
    double t = -1;
    unsigned seg = 0;
    ASSERT_EQ(c->EvParam(e.length, t, seg), e.k) << e.length;
    double p[3];
    c->GetPointAt(t, p, e.k);
    Expect3(p, e.x, e.y, e.z);
  }
  double t = -1;
  unsigned seg = 0;
  EXPECT_EQ(c->EvParam(6.0, t, seg), 0);   // clamped to the total: no sub-curve reaches past it
  EXPECT_EQ(c->EvParam(60.0, t, seg), 0);

  auto sq = Square();  // closed, total 8: lengths wrap
  ASSERT_EQ(sq->EvParam(8.0 * 1e6 + 3.0, t, seg), 2);
  double p[3];
  sq->GetPointAt(t, p, 2);
  Expect3(p, 2, 1, 0, 1e-6);
  EXPECT_EQ(sq->EvParam(16.0, t, seg), 0);  // an exact multiple wraps to the total

  double* params = nullptr;
  ASSERT_EQ(c->GetSplitParam(params), 4);
  std::unique_ptr<double[]> own(params);
  EXPECT_EQ(params[0], 0.0);
  EXPECT_NEAR(params[1], 1.0 / 6.0, 1e-9);
  EXPECT_NEAR(params[2], 0.5, 1e-9);
  EXPECT_EQ(params[3], 1.0);
}

TEST_F(CombCurve3dTest, SplitKeepsTheShapeOnBothSides) {
  auto c = Staircase();
  CGeCurve3d* out[2] = {nullptr, nullptr};
  c->Split(0.5, out, 2);
  std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
  ASSERT_TRUE(a && b);
  auto* first = static_cast<CGeCombCurve3d*>(a.get());
  auto* second = static_cast<CGeCombCurve3d*>(b.get());
  ASSERT_EQ(first->GetSegmentCount(), 2);
  ASSERT_EQ(second->GetSegmentCount(), 2);
  double p[3];
  first->GetEndPoint(p);
  Expect3(p, 1, 1, 0);
  second->GetStartPoint(p);
  Expect3(p, 1, 1, 0);
  second->GetEndPoint(p);
  Expect3(p, 1, 2, 3);
  EXPECT_NE(first->GetSubCurve(1), c->GetSubCurve(1));  // copies
  EXPECT_EQ(first->IsLinked(1e-9), 1);
  EXPECT_EQ(second->IsLinked(1e-9), 1);

  // At the first sub-curve's start nothing is left in front.
  CGeCurve3d* edge[2] = {nullptr, nullptr};
  c->Split(0.0, edge, 1);
  std::unique_ptr<CGeCurve3d> e0(edge[0]), e1(edge[1]);
  EXPECT_FALSE(e0);
  ASSERT_TRUE(e1);
  EXPECT_EQ(static_cast<CGeCombCurve3d*>(e1.get())->GetSegmentCount(), 3);

  // A polyline sub-curve splits by segment.
  CGeCombCurve3d withPoly;
  const double verts[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};
  auto* poly = new CGePolyline3d;
  poly->Create(4, verts);
  withPoly.AddTail(poly);
  CGeCurve3d* pp[2] = {nullptr, nullptr};
  withPoly.Split(2.5, pp, 1);
  std::unique_ptr<CGeCurve3d> p0(pp[0]), p1(pp[1]);
  ASSERT_TRUE(p0 && p1);
  p0->GetEndPoint(p);
  Expect3(p, 1, 0.5, 0);
  p1->GetStartPoint(p);
  Expect3(p, 1, 0.5, 0);

  CGeCurve3d* none[2] = {nullptr, nullptr};
  c->Split(0.5, none, 4);
  c->Split(-0.5, none, 1);
  EXPECT_FALSE(none[0] || none[1]);
}

TEST_F(CombCurve3dTest, ReverseRunsTheChainBackwards) {
  auto c = Staircase();
  c->DiscreteMe(0.01);
  c->Reverse();
  double s[3], e[3];
  c->GetStartPoint(s);
  c->GetEndPoint(e);
  Expect3(s, 1, 2, 3);
  Expect3(e, 0, 0, 0);
  EXPECT_EQ(c->IsLinked(1e-9), 1);
  Expect3(c->m_strDisc.m_pPoints[0], 1, 2, 3);
}

TEST_F(CombCurve3dTest, PlanarityOverTheSubCurves) {
  struct Case {
    const char* name;
    std::function<void(CGeCombCurve3d&)> build;
    int result;
  } cases[] = {
      {"two lines in z = 0", [](CGeCombCurve3d& c) {
         c.AddTail(Line(0, 0, 0, 1, 0, 0));
         c.AddTail(Line(1, 0, 0, 1, 1, 0));
       }, GE_PLANAR_PLANE},
      {"collinear lines", [](CGeCombCurve3d& c) {
         c.AddTail(Line(0, 0, 0, 1, 1, 1));
         c.AddTail(Line(1, 1, 1, 3, 3, 3));
       }, GE_PLANAR_LINE},
      {"a corner in space", [](CGeCombCurve3d& c) {
         c.AddTail(Line(0, 0, 0, 1, 0, 0));
         c.AddTail(Line(1, 0, 0, 1, 1, 0));
         c.AddTail(Line(1, 1, 0, 1, 1, 1));
       }, GE_PLANAR_NONE},
      {"circle and a line in its plane", [](CGeCombCurve3d& c) {
         c.AddTail(Circle(2.0));
         c.AddTail(Line(2, 0, 0, 5, 1, 0));
       }, GE_PLANAR_PLANE},
      {"circle and a line leaving its plane", [](CGeCombCurve3d& c) {
         c.AddTail(Circle(2.0));
         c.AddTail(Line(2, 0, 0, 2, 0, 1));
       }, GE_PLANAR_NONE},
      {"circle and a parallel circle above", [](CGeCombCurve3d& c) {
         const double up[3] = {0, 0, 1};
         c.AddTail(Circle(2.0));
         c.AddTail(Circle(2.0, up));
       }, GE_PLANAR_NONE},
      {"a point then a line", [](CGeCombCurve3d& c) {
         c.AddTail(Line(0, 0, 0, 0, 0, 0));
         c.AddTail(Line(0, 0, 0, 0, 2, 0));
       }, GE_PLANAR_LINE},
  };
  for (const Case& k : cases) {
    CGeCombCurve3d c;
    k.build(c);
    double p[3], v[3];
    EXPECT_EQ(c.IsPlanar(1e-6, p, v), k.result) << k.name;
    if (k.result == GE_PLANAR_PLANE) {
      EXPECT_NEAR(std::fabs(v[2]), 1.0, 1e-9) << k.name;  // all planes here are z = 0
      EXPECT_NEAR(p[2], 0.0, 1e-9);
    }
  }
}

// Transforms move every sub-curve; the composite's own cache and box follow.
TEST_F(CombCurve3dTest, TransformsMoveSubCurvesCacheAndBox) {
  const double c2[2] = {1, 1}, f2[2] = {2, 3}, at[3] = {0, 0, 0}, axis[3] = {0, 1, 0};
  struct Case {
    const char* name;
    std::function<void(CGeCombCurve3d&)> apply;
    std::function<void(double p[3])> map;
  } cases[] = {
      {"Scale", [&](CGeCombCurve3d& c) { EXPECT_EQ(c.Scale(c2, f2), &c); },
       [&](double p[3]) { p[0] = 1 + (p[0] - 1) * 2, p[1] = 1 + (p[1] - 1) * 3; }},
      {"Rotate3D", [&](CGeCombCurve3d& c) { c.Rotate3D(at, axis, std::numbers::pi / 2); },
       [&](double p[3]) { P3D_RotatePnt(axis, at, std::numbers::pi / 2, p, p); }},
      {"Shift", [&](CGeCombCurve3d& c) { EXPECT_EQ(c.Shift(c2, f2), &c); },
       [&](double p[3]) { P2D_Shift(c2, p, f2); }},
  };
  for (const Case& k : cases) {
    auto orig = Staircase();
    orig->AddTail(Circle(1.0, nullptr));
    orig->DiscreteMe(0.01);
    std::unique_ptr<CGeCombCurve3d> c(orig->Copy());
    c->DiscreteMe(0.01);
    k.apply(*c);
    for (int s = 1; s <= 4; ++s)
      for (double t : {0.0, 0.3, 1.0}) {
        double a[3], b[3];
        orig->GetPointAt(t, a, s);
        k.map(a);
        c->GetPointAt(t, b, s);
        EXPECT_LT(Dist(a, b), 1e-9) << k.name << " " << s << " " << t;
      }
    double a[3];
    std::copy(orig->m_strDisc.m_pPoints[5], orig->m_strDisc.m_pPoints[5] + 3, a);
    k.map(a);
    EXPECT_LT(Dist(a, c->m_strDisc.m_pPoints[5]), 1e-9) << k.name;
    _tagBox3D box, cache;
    c->GetBox(&box);
    c->m_strDisc.GetBox(&cache);
    EXPECT_NEAR(box.max[0], cache.max[0], 0.02) << k.name;
    EXPECT_NEAR(box.min[1], cache.min[1], 0.02) << k.name;
  }
}

TEST_F(CombCurve3dTest, PickSnapAndNodesGoThroughTheSubCurves) {
  CVurode view;
  view.SetViewRect(CRect(0, 0, 400, 400));
  view.SetScale(20.0);
  view.SetOrigin(1.0, 1.0);
  gSetVurode(&view);
  auto sq = Square();
  sq->DiscreteMe(0.01);

  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.1;
  ray.m_ptOrigin[0] = 2.05, ray.m_ptOrigin[1] = 1.0;  // next to the right side
  EXPECT_EQ(sq->Pick(ray, 1), 1);
  ray.m_nTypeMask = GE_TYPE_LINE3D;  // the composite's own bit is filtered out first
  EXPECT_EQ(sq->Pick(ray, 1), 0);
  ray.m_nTypeMask = GE_TYPE_ALL;
  ray.m_ptOrigin[0] = 1.0;  // inside the square, far from every side
  EXPECT_EQ(sq->Pick(ray, 1), 0);
  ray.m_ptOrigin[0] = 5.0;  // outside the grown box
  EXPECT_EQ(sq->Pick(ray, 1), 0);

  CSnapAt snap;
  snap.m_pVurode = &view;
  snap.m_pKXGlobal = gGetKXGlobal();
  snap.m_dSnapDist = 0.2;
  snap.m_nMask = SNAP_END;
  snap.m_pos = Position(2.05, 1.95, 0.0);  // at the corner where sides 2 and 3 meet
  CSnapResult result;
  EXPECT_EQ(sq->GetSnapPos(&snap, result), 1);
  ASSERT_GE(result.GetSize(), 2);
  for (int i = 0; i < result.GetSize(); ++i) {
    EXPECT_EQ(result.GetPos(i).x, 2.0);
    EXPECT_EQ(result.GetPos(i).y, 2.0);
  }

  // First marker once; a closed chain skips the last end, which is the first point again.
  CRecordingDC closed, open;
  sq->DrawNode(&closed, 0, 0);
  EXPECT_EQ(closed.Count(CRecordingDC::Kind::Ellipse), 1u);
  EXPECT_EQ(closed.Count(CRecordingDC::Kind::Rectangle), 3u);
  Staircase()->DrawNode(&open, 0, 0);
  EXPECT_EQ(open.Count(CRecordingDC::Kind::Ellipse), 1u);
  EXPECT_EQ(open.Count(CRecordingDC::Kind::Rectangle), 3u);
}

TEST_F(CombCurve3dTest, CopyIsDeepAndExtDataReachesNestedMembers) {
  auto c = Staircase();
  c->m_nTag = 3;
  std::unique_ptr<CGeCombCurve3d> copy(c->Copy());
  ASSERT_EQ(copy->GetSegmentCount(), 3);
  EXPECT_EQ(copy->m_nTag, 3);
  for (int k = 1; k <= 3; ++k) EXPECT_NE(copy->GetSubCurve(k), c->GetSubCurve(k));
  c.reset();
  double e[3];
  copy->GetEndPoint(e);
  Expect3(e, 1, 2, 3);

  // A composite member kept whole (put into the list directly) gets the word too.
  auto* inner = new CGeCombCurve3d;
  inner->AddTail(Line(0, 0, 0, 1, 0, 0));
  copy->m_CurveList.AddTail(inner);
  copy->SetExtData(1);
  EXPECT_EQ(copy->GetSubCurve(2)->m_nExtData, 1);
  EXPECT_EQ(inner->GetSubCurve(1)->m_nExtData, 1);
  EXPECT_EQ(copy->m_nExtData, 2);
}

TEST_F(CombCurve3dTest, ArchiveRoundTripAndHostileMembers) {
  auto c = Staircase();
  c->AddTail(Circle(1.0));
  std::unique_ptr<CGeCombCurve3d> back(RoundTrip<CGeCombCurve3d>(c.get()));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->GetSegmentCount(), 4);
  EXPECT_EQ(back->GetSubCurve(4)->GetType(), GE_TYPE_NRBCRV3D);
  EXPECT_GT(back->m_strDisc.m_nCount, 4);  // discretised on loading
  double a[3], b[3];
  back->GetPointAt(0.3, a, 4);
  c->GetPointAt(0.3, b, 4);
  EXPECT_LT(Dist(a, b), 1e-12);

  auto bytes = Fields(*c);
  EXPECT_EQ(bytes[6 * 8 + 4], 4);  // the list count follows the curve part
  // A count beyond what the file holds fails before anything is allocated.
  std::vector<BYTE> huge(bytes.begin(), bytes.begin() + 6 * 8 + 4);
  for (BYTE x : {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) huge.push_back(x);
  EXPECT_THROW(delete LoadNew<CGeCombCurve3d>(huge), CArchiveException);
  bytes.resize(bytes.size() - 10);  // the last member cut short
  EXPECT_THROW(delete LoadNew<CGeCombCurve3d>(bytes), CArchiveException);

  // The same curve twice would have two owners; a 2D curve is no member.
  CGeLine3d* shared = Line(0, 0, 0, 1, 0, 0);
  const double s2[2] = {0, 0}, e2[2] = {1, 0};
  CGeLine flat(s2, e2);
  struct Case {
    const char* name;
    std::vector<CObject*> members;
    int cause;
  } cases[] = {{"shared member", {shared, shared}, CArchiveException::badIndex},
               {"member of another class", {&flat}, CArchiveException::badClass}};
  for (const Case& k : cases) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      c->CGeCurve3d::Serialize(ar);
      ar.WriteCount(k.members.size());
      for (CObject* m : k.members) ar << m;
      ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    auto* victim = new CGeCombCurve3d;
    try {
      victim->Serialize(ar);
      ADD_FAILURE() << k.name;
    } catch (const CArchiveException& e) {
      EXPECT_EQ(e.m_cause, k.cause) << k.name;
    }
    delete victim;
  }
  delete shared;
}

TEST_F(Group3dTest, BoxMovesAndEnds) {
  CGeGroup3d g;
  _tagBox3D box;
  g.CalcBox();
  g.ZMove(5.0);
  g.GetBox(&box);
  EXPECT_LT(box.max[0], box.min[0]);  // empty group: still no box
  g.m_CurveList.AddTail(Line(0, 0, 0, 1, 2, 0));
  g.m_CurveList.AddTail(static_cast<CGeCurve3d*>(nullptr));
  g.m_CurveList.AddTail(Line(3, -1, 1, 4, 0, 2));
  g.GetBox(&box);
  Expect3(box.min, 0, -1, 0);
  Expect3(box.max, 4, 2, 2);
  g.ZMove(1.5);
  Expect3(g.m_box.min, 0, -1, 1.5);
  Expect3(g.m_box.max, 4, 2, 3.5);
  double s[3], e[3];
  g.GetStartPoint(s);
  g.GetEndPoint(e);
  Expect3(s, 0, 0, 1.5);
  Expect3(e, 4, 0, 3.5);
  g.Reverse();
  g.GetStartPoint(s);
  Expect3(s, 1, 2, 1.5);  // each curve turned round, the order kept
  const double c[2] = {0, 0};
  g.Rotate(c, std::numbers::pi);
  g.GetStartPoint(s);
  Expect3(s, -1, -2, 1.5);
  Expect3(g.m_box.max, 4, 2, 3.5);  // rotating leaves the box as it was
}

}  // namespace
