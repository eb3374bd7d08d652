// The 3D shape and curve bases and the 3D point: records and their version gate, lazy boxes,
// picking, the base defaults and the tangent-point search.
#include <cmath>
#include <numbers>

#include "Shape3dTestUtil.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePoint3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

using namespace shapes3d_test;

namespace {

class Shape3dBase : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_settings = gNewKXGlobal();
  }
  CKXGlobal* m_settings = nullptr;
};

TEST_F(Shape3dBase, PointRecordIsBoxExtDataThenXYZ) {
  CGePoint3d pt(1.5, -2.0, 7.25);
  pt.CalcBox();
  pt.m_nExtData = 5;
  m_settings->SetDocVersion(4);  // the point's shape part has no version gate
  const auto b = Fields(pt);
  ASSERT_EQ(b.size(), 6 * 8 + 4 + 3 * 8u);
  const double box[6] = {1.5, -2.0, 7.25, 1.5, -2.0, 7.25};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Dbl(b, 8 * i), box[i]);
  EXPECT_EQ(Int(b, 48), 5);
  EXPECT_EQ(Dbl(b, 52), 1.5);
  EXPECT_EQ(Dbl(b, 68), 7.25);

  auto back = RoundTrip<CGePoint3d>(&pt);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetType(), 0x200);
  EXPECT_EQ(back->m_nExtData, 5);
  EXPECT_EQ(back->m_pt[2], 7.25);
  EXPECT_EQ(back->m_box.max[1], -2.0);
}

TEST_F(Shape3dBase, CurveShapePartIsReadOnlyFromVersionFiveDocuments) {
  const double s[3] = {1, 2, 3}, e[3] = {4, 5, 6};
  CGeLine3d line(s, e);
  line.m_nExtData = 7;
  const auto stored = Fields(line);
  ASSERT_EQ(stored.size(), 6 * 8 + 4 + 6 * 8u);  // the shape part is always written
  EXPECT_EQ(Int(stored, 48), 7);
  EXPECT_EQ(Dbl(stored, 52), 1.0);

  // Version 4: the stream continues directly with the line's own fields.
  m_settings->SetDocVersion(4);
  CGeLine3d old;
  LoadFields(old, Record().D(-1).D(0).D(2).D(3).D(0).D(9).bytes);
  EXPECT_EQ(old.m_ptStart[0], -1.0);
  EXPECT_EQ(old.m_ptEnd[2], 9.0);
  EXPECT_EQ(old.m_nExtData, 2);  // the constructor's word
  EXPECT_EQ(old.m_box.max[2], 9.0);

  m_settings->SetDocVersion(5);
  CGeLine3d cur;
  LoadFields(cur, stored);
  EXPECT_EQ(cur.m_nExtData, 7);
  EXPECT_EQ(cur.m_ptEnd[0], 4.0);

  // Without a settings object the stream is taken as this library wrote it.
  gSetKXGlobal(nullptr);
  CGeLine3d plain;
  LoadFields(plain, stored);
  EXPECT_EQ(plain.m_nExtData, 7);
  EXPECT_EQ(plain.m_ptEnd[2], 6.0);
}

TEST_F(Shape3dBase, TruncatedRecordsThrowTheArchiveException) {
  CGePoint3d pt(1, 2, 3);
  auto b = Fields(pt);
  b.resize(b.size() - 4);
  CGePoint3d back;
  EXPECT_THROW(LoadFields(back, b), CArchiveException);
  const double s[3] = {0, 0, 0}, e[3] = {1, 1, 1};
  CGeLine3d line(s, e);
  auto lb = Fields(line);
  lb.resize(60);
  CGeLine3d lineBack;
  EXPECT_THROW(LoadFields(lineBack, lb), CArchiveException);
}

TEST_F(Shape3dBase, EmptyBoxIsRecomputedOnEveryRequest) {
  CGeArc3d arc;  // the box of its still-empty cache
  _tagBox3D box;
  arc.GetBox(&box);
  EXPECT_LT(box.max[0], box.min[0]);
  // Once the cache exists the next request picks its box up.
  const double s[3] = {-1, 2, 0}, e[3] = {3, -4, 5};
  CGeLine3d src(s, e);
  src.m_strDisc.CopyTo(arc.m_strDisc);
  _tagBox2D flat;
  arc.GetBox2d(&flat);
  EXPECT_EQ(flat.min[0], -1.0);
  EXPECT_EQ(flat.min[1], -4.0);
  EXPECT_EQ(flat.max[0], 3.0);
  EXPECT_EQ(flat.max[1], 2.0);
  arc.GetBox(&box);
  EXPECT_EQ(box.max[2], 5.0);
}

TEST_F(Shape3dBase, PointPicking) {
  CGePoint3d pt(3.0, 4.0, 10.0);
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 5.0;  // the ray origin (0, 0) lies exactly at distance 5: strict, no pick
  EXPECT_EQ(pt.Pick(ray, 0), 0);
  ray.m_dRadius = 5.001;
  ray.m_dDist2D = 1.0;  // a better hit met before is kept
  EXPECT_EQ(pt.Pick(ray, 0), 1);
  EXPECT_EQ(ray.m_dDist2D, 1.0);
  ray.m_nTypeMask = 0x400;
  EXPECT_EQ(pt.Pick(ray, 1), 0);
  EXPECT_EQ(pt.Pick(ray, 0), 1);

  // 3D: a ray looking down from above, depth measured along it.
  CPickRay down;
  down.m_b2D = 0;
  down.m_dRadius = 0.5;
  const double o[3] = {3.2, 4.0, 50.0}, d[3] = {0, 0, -2.0};
  for (int k = 0; k < 3; ++k) {
    down.m_ptOrigin[k] = o[k];
    down.m_vDir[k] = d[k];
  }
  ASSERT_EQ(pt.Pick(down, 1), 1);
  EXPECT_NEAR(down.m_dDist3D, 40.0, 1e-12);
  CGePoint3d below(3.0, 4.0, 0.0);  // farther along the ray: not nearer than the hit
  EXPECT_EQ(below.Pick(down, 1), 0);
  CGePoint3d above(3.0, 4.0, 20.0);
  EXPECT_EQ(above.Pick(down, 1), 1);
  EXPECT_NEAR(down.m_dDist3D, 30.0, 1e-12);
}

TEST_F(Shape3dBase, PointTransformsKeepZInTheirPlanarFormsAndUndo) {
  CGePoint3d pt(1.0, 2.0, 3.0);
  const double base[2] = {1.0, 1.0}, f[2] = {2.0, -3.0};
  EXPECT_EQ(pt.Scale(base, f), &pt);
  EXPECT_EQ(pt.m_pt[0], 1.0);
  EXPECT_EQ(pt.m_pt[1], -2.0);
  EXPECT_EQ(pt.m_pt[2], 3.0);
  EXPECT_EQ(pt.m_box.min[1], -2.0);  // the box follows each transform
  const double v[2] = {5, 5}, c[2] = {0, 0};
  pt.Translate(v);
  pt.Rotate(c, std::numbers::pi / 2);
  EXPECT_NEAR(pt.m_pt[0], -3.0, 1e-12);  // (1, -2) + (5, 5) turned a quarter about 0
  EXPECT_NEAR(pt.m_pt[1], 6.0, 1e-12);
  EXPECT_EQ(pt.m_pt[2], 3.0);
  std::unique_ptr<CGePoint3d> copy(pt.Copy());
  EXPECT_EQ(copy->m_box.max[0], pt.m_box.max[0]);
}

TEST_F(Shape3dBase, BaseDefaults) {
  const double s[3] = {0, 0, 0}, e[3] = {1, 0, 0};
  CGeLine3d line(s, e);
  double* params = nullptr;
  ASSERT_EQ(line.GetSplitParam(params), 2);
  EXPECT_EQ(params[0], 0.0);
  EXPECT_EQ(params[1], 1.0);
  delete[] params;
  CGeCurve3dList list;
  line.DiscreteToElement(&list);
  line.DiscreteToElement(nullptr);
  ASSERT_EQ(list.GetCount(), 1);
  CGeCurve3d* copy = list.RemoveHead();
  EXPECT_NE(copy, &line);
  EXPECT_EQ(copy->GetType(), 0x400);
  delete copy;
  double step = 0.0;
  EXPECT_EQ(static_cast<CGeCurve3d&>(line).CGeCurve3d::GetDiscStep(0.1, step), 1);
  EXPECT_EQ(step, 0.1);
  EXPECT_EQ(line.GetSegmentCount(), 1);
  _tagBox3D node;
  EXPECT_EQ(line.GetNodeBox(&node), 1);
  EXPECT_EQ(node.max[0], 1.0);
}

TEST_F(Shape3dBase, TangentPointFromOutsideACircleMatchesTheClosedForm) {
  // Tangent from p = (d, 0, 0) to the unit circle touches at angle ±acos(1/d).
  const double centre[3] = {0, 0, 0};
  CGeArc3d circle;
  ASSERT_EQ(circle.CreateCricleXY(centre, 1.0), 1);
  circle.DiscreteMe(0.001);
  for (const double d : {1.5, 2.0, 5.0}) {
    const double p[3] = {d, 0.0, 0.0};
    const double a = std::acos(1.0 / d);
    double t = a / (2 * std::numbers::pi) + 0.02, out[3], dist = 0.0;
    ASSERT_EQ(circle.GetTanPt(p, t, out, dist), 1) << d;
    EXPECT_NEAR(out[0], std::cos(a), 1e-5) << d;
    EXPECT_NEAR(out[1], std::sin(a), 1e-5) << d;
    EXPECT_NEAR(dist, std::sqrt(d * d - 1.0), 1e-5) << d;
  }
  // A point on the curve is its own answer at once.
  const double on[3] = {0.0, 1.0, 0.0};
  double t = 0.25, out[3], dist = 1.0;
  EXPECT_EQ(circle.GetTanPt(on, t, out, dist), 1);
  EXPECT_LT(dist, 1e-6);
  // A straight line through p has no Newton denominator: failure.
  const double s[3] = {0, 0, 0}, e[3] = {1, 0, 0}, off[3] = {0.5, 1.0, 0.0};
  CGeLine3d line(s, e);
  t = 0.3;
  EXPECT_EQ(line.GetTanPt(off, t, out, dist), 0);
}

TEST_F(Shape3dBase, NearestPointsOfTheCacheMatchBruteForce) {
  // A helix-like polyline; nearest points in space and in xy against a dense scan.
  std::vector<double> pts;
  const int n = 40;
  for (int i = 0; i < n; ++i) {
    const double a = 0.3 * i;
    pts.insert(pts.end(), {3 * std::cos(a), 3 * std::sin(a), 0.2 * i});
  }
  CGePolyline3d pl;
  ASSERT_EQ(pl.Create(n, reinterpret_cast<const double(*)[3]>(pts.data())), 1);
  unsigned seed = 7;
  auto rnd = [&] {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 8) % 10000) / 1000.0 - 5.0;
  };
  for (int trial = 0; trial < 50; ++trial) {
    const double p[3] = {rnd(), rnd(), rnd() + 4.0};
    double best3 = 1e300, best2 = 1e300;
    for (int i = 1; i < n; ++i) {
      const double* a = pl.m_pVertex[i - 1];
      const double* b = pl.m_pVertex[i];
      for (int j = 0; j <= 400; ++j) {
        const double u = j / 400.0;
        const double q[3] = {a[0] + u * (b[0] - a[0]), a[1] + u * (b[1] - a[1]), a[2] + u * (b[2] - a[2])};
        best3 = std::fmin(best3, Dist(p, q));
        best2 = std::fmin(best2, std::hypot(p[0] - q[0], p[1] - q[1]));
      }
      best3 = std::fmin(best3, SegDist(p, a, b));
    }
    double out[3], t = 0.0, dist = 0.0;
    unsigned seg = 0;
    ASSERT_EQ(pl.GetNearestPoint3D(p, out, t, seg, dist), 1);
    EXPECT_NEAR(dist, best3, 1e-9);
    ASSERT_GE(seg, 1u);
    double on[3];
    pl.GetPointAt(seg + std::fmin(t, 0.999999999), on, 0);
    EXPECT_LT(Dist(on, out), 1e-6);  // the answer lies on the reported segment and parameter
    ASSERT_EQ(pl.GetNearestPoint2D(p, out, t, seg, dist), 1);
    EXPECT_LE(dist, best2 + 1e-9);
    EXPECT_GE(dist, best2 - 1e-3);  // the scan is 1/400 of a segment fine
  }
  // A one-point cache answers nothing and leaves the outputs alone.
  CGeLine3d lone;
  ASSERT_EQ(lone.m_strDisc.Create(1, false, false), 1);
  const double p[3] = {1, 1, 1};
  double out[3] = {9, 9, 9}, t = 9, dist = 9;
  unsigned seg = 9;
  EXPECT_EQ(lone.CGeCurve3d::GetNearestPoint2D(p, out, t, seg, dist), 0);
  EXPECT_EQ(lone.CGeCurve3d::GetNearestPoint3D(p, out, t, seg, dist), 0);
  EXPECT_EQ(out[0], 9.0);
  EXPECT_EQ(seg, 9u);
}

}  // namespace

namespace {

TEST_F(Shape3dBase, CachePickAgreesWithTheFullWalkOfTheCache) {
  const double p1[3] = {0, 0, 0}, p2[3] = {5, 5, 2}, p3[3] = {10, 0, 1};
  CGeArc3d arc;
  ASSERT_EQ(arc.Create3Pnt(p1, p2, p3), 1);
  arc.DiscreteMe(0.01);
  unsigned seed = 21;
  auto rnd = [&] {
    seed = seed * 1664525u + 1013904223u;
    return ((seed >> 8) % 24000) / 1000.0 - 7.0;
  };
  int hits = 0;
  for (int i = 0; i < 2000; ++i) {
    CPickRay ray;
    ray.m_b2D = 0;
    ray.m_dRadius = 0.3;
    // Aimed near a point of the arc, from some way off and at a slant.
    double target[3];
    arc.GetPointAt((rnd() + 7.0) / 24.0, target, 1);
    const double d[3] = {0.1 * rnd(), 0.1 * rnd(), -1.0};
    const double o[3] = {target[0] + 0.1 * rnd() - 30 * d[0], target[1] + 0.1 * rnd() - 30 * d[1],
                         target[2] + 30.0};
    for (int k = 0; k < 3; ++k) {
      ray.m_ptOrigin[k] = o[k];
      ray.m_vDir[k] = d[k];
    }
    double depth, t;
    int seg;
    const int walk = arc.m_strDisc.Pick3d(o, d, 0.3, depth, t, seg);
    ASSERT_EQ(arc.Pick(ray, 1), walk) << i;
    if (!walk) continue;
    ++hits;
    EXPECT_EQ(ray.m_nIndex, seg);
    EXPECT_EQ(ray.m_dDist3D, depth);
  }
  EXPECT_GT(hits, 200);  // many rays do meet the arc
  EXPECT_LT(hits, 1900);  // and many do not
}

}  // namespace

namespace {

TEST_F(Shape3dBase, ClassesAreRegisteredForArchivesByName) {
  struct Row {
    const char* name;
    int type;
  };
  for (const Row& r : {Row{"CGePoint3d", 0x200}, Row{"CGeLine3d", 0x400}, Row{"CGeArc3d", 0x800},
                       Row{"CGePolyline3d", 0x1000}}) {
    CRuntimeClass* rc = CRuntimeClass::FromName(r.name);
    ASSERT_NE(rc, nullptr) << r.name;
    EXPECT_EQ(rc->m_wSchema, 0x80000001u);
    EXPECT_EQ(rc->m_pBaseClass, RUNTIME_CLASS(CObject));
    std::unique_ptr<CObject> ob(rc->CreateObject());
    ASSERT_TRUE(ob);
    EXPECT_EQ(static_cast<CGeShape3d*>(ob.get())->GetType(), r.type);
  }
  EXPECT_EQ(CRuntimeClass::FromName("CGeShape3d"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CGeCurve3d"), nullptr);
}

}  // namespace
