// The surface base: iso-curve lists, their box, transforms, copying, archive, drawing, picking.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <memory>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "support/GLContext.h"
#include "support/VurodeFixture.h"
#include "SurfTestUtil.h"

using namespace surftest;

namespace {

CGeLine3d* Line(double x0, double y0, double z0, double x1, double y1, double z1) {
  const double a[3] = {x0, y0, z0}, b[3] = {x1, y1, z1};
  return new CGeLine3d(a, b);
}

// A U line at x = 1 from y 0..4 at z 2, a null entry, and a V line at y = 3 from x -1..5 at z 7.
void AddWireframe(CGeSurf& s) {
  s.m_UIsoCurveList.AddTail(Line(1, 0, 2, 1, 4, 2));
  s.m_UIsoCurveList.AddTail(static_cast<CGeCurve3d*>(nullptr));
  s.m_VIsoCurveList.AddTail(Line(-1, 3, 7, 5, 3, 7));
}

void ExpectBox(const _tagBox3D& b, std::initializer_list<double> want) {
  const double* got[] = {&b.min[0], &b.min[1], &b.min[2], &b.max[0], &b.max[1], &b.max[2]};
  int i = 0;
  for (double w : want) EXPECT_NEAR(*got[i++], w, 1e-9) << "box value " << i - 1;
}

// A line that answers Scale with a new line (as curves of other classes answer uneven scales),
// to show that the surface swaps the answer in and frees the old curve.
class CReplacingLine : public CGeLine3d {
 public:
  using CGeLine3d::CGeLine3d;
  CGeShape3d* Scale(const double base[2], const double f[2]) override {
    double a[3], b[3];
    GetStartPoint(a);
    GetEndPoint(b);
    for (double* p : {a, b})
      for (int k = 0; k < 2; ++k) p[k] = base[k] + f[k] * (p[k] - base[k]);
    return new CGeLine3d(a, b);
  }
};

using SurfTest = VurodeTest;

TEST_F(SurfTest, BaseAnswersNullAndTypeZero) {
  CGeSurf s;
  EXPECT_EQ(s.GetType(), 0);
  EXPECT_EQ(s.Copy(), nullptr);
  EXPECT_EQ(s.UIsoCurve(0.5), nullptr);
  EXPECT_EQ(s.VIsoCurve(0.5), nullptr);
}

TEST_F(SurfTest, BoxIsUnionOfIsoCurvesAndStaysWithoutCurves) {
  CGeSurf s;
  const double p[3] = {9, 9, 9};
  BOX3D_Init(&s.m_box, p);
  s.CalcBox();  // no curve: unchanged
  ExpectBox(s.m_box, {9, 9, 9, 9, 9, 9});
  AddWireframe(s);
  s.CalcBox();
  ExpectBox(s.m_box, {-1, 0, 2, 5, 4, 7});
  _tagBox2D b2;
  s.GetBox2D(&b2);
  EXPECT_EQ(b2.min[0], -1);
  EXPECT_EQ(b2.min[1], 0);
  EXPECT_EQ(b2.max[0], 5);
  EXPECT_EQ(b2.max[1], 4);
  s.GetBox2D(nullptr);
}

TEST_F(SurfTest, TranslateShiftsOnlyXYOfTheBox) {
  CGeSurf s;
  AddWireframe(s);
  s.CalcBox();
  const double d[2] = {10, -2};
  s.Translate(d);
  ExpectBox(s.m_box, {9, -2, 2, 15, 2, 7});
  const double d3[3] = {1, 1, 1};
  s.Translate3D(d3);
  ExpectBox(s.m_box, {10, -1, 3, 16, 3, 8});
  // The curves moved with the box.
  s.CalcBox();
  ExpectBox(s.m_box, {10, -1, 3, 16, 3, 8});
}

// Each transform reaches every curve: the surface's curves end where the same transform puts a
// separately held copy, and the box is their union again.
TEST_F(SurfTest, TransformsReachEveryCurveAndRecomputeTheBox) {
  const double c[3] = {1, 2, 0}, ax[3] = {0.3, -0.5, 0.8}, q[3] = {0.6, 0.8, 0};
  const double f[3] = {2, -3, 0.5};
  _rect_fm3d fr;
  RF_Init(&fr);
  fr.origin[0] = 4;
  fr.xAxis[0] = 0, fr.xAxis[1] = 1, fr.yAxis[0] = -1, fr.yAxis[1] = 0;
  double m[4][4] = {{0, -1, 0, 3}, {1, 0, 0, 1}, {0, 0, 2, 0}, {0, 0, 0, 1}};
  struct Case {
    const char* name;
    std::function<CGeShape3d*(CGeShape3d&)> op;
  } cases[] = {
      {"Rotate", [&](CGeShape3d& s) { s.Rotate(c, 0.7); return nullptr; }},
      {"Rotate3D", [&](CGeShape3d& s) { s.Rotate3D(c, ax, 1.1); return nullptr; }},
      {"Mirror", [&](CGeShape3d& s) { s.Mirror(c, q); return nullptr; }},
      {"Mirror3D", [&](CGeShape3d& s) { s.Mirror3D(c, ax); return nullptr; }},
      {"Shift", [&](CGeShape3d& s) { return s.Shift(c, q); }},
      {"Scale", [&](CGeShape3d& s) { return s.Scale(c, f); }},
      {"Scale3D", [&](CGeShape3d& s) { return s.Scale3D(c, f); }},
      {"TransformFrame", [&](CGeShape3d& s) { s.Transform(&fr); return nullptr; }},
      {"TransformMatrix", [&](CGeShape3d& s) { s.Transform(m); return nullptr; }},
      {"TransformLocal", [&](CGeShape3d& s) { s.TransformLocal(&fr); return nullptr; }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CGeSurf s;
    AddWireframe(s);
    std::unique_ptr<CGeLine3d> u(Line(1, 0, 2, 1, 4, 2)), v(Line(-1, 3, 7, 5, 3, 7));
    CGeShape3d* r = k.op(s);
    if (r) {
      EXPECT_EQ(r, &s);
    }
    k.op(*u);
    k.op(*v);
    double a[3], b[3];
    s.m_UIsoCurveList.GetHead()->GetEndPoint(a);
    u->GetEndPoint(b);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-9);
    s.m_VIsoCurveList.GetHead()->GetStartPoint(a);
    v->GetStartPoint(b);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-9);
    _tagBox3D want, bv;
    u->GetBox(&want);
    v->GetBox(&bv);
    BOX3D_Union(&want, &bv);
    ExpectBox(s.m_box, {want.min[0], want.min[1], want.min[2], want.max[0], want.max[1], want.max[2]});
  }
}

TEST_F(SurfTest, CurveReplacedByItsScaleAnswerIsSwappedIn) {
  CGeSurf s;
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0};
  s.m_UIsoCurveList.AddTail(new CReplacingLine(a, b));
  const double base[2] = {0, 0}, f[2] = {3, 1};
  EXPECT_EQ(s.Scale(base, f), &s);
  CGeCurve3d* now = s.m_UIsoCurveList.GetHead();
  EXPECT_EQ(dynamic_cast<CReplacingLine*>(now), nullptr);  // the old curve is gone (ASan: freed)
  double e[3];
  now->GetEndPoint(e);
  EXPECT_DOUBLE_EQ(e[0], 6);
  EXPECT_DOUBLE_EQ(s.m_box.max[0], 6);
}

TEST_F(SurfTest, CopyFromSurfAppendsCopiesAndTheBox) {
  CGeSurf src, dst;
  AddWireframe(src);
  src.CalcBox();
  dst.CopyFromSurf(nullptr);
  EXPECT_EQ(dst.m_UIsoCurveList.GetCount(), 0);
  dst.m_VIsoCurveList.AddTail(Line(0, 0, 0, 1, 1, 1));
  dst.CopyFromSurf(&src);
  EXPECT_EQ(dst.m_UIsoCurveList.GetCount(), 1);  // the null entry is not copied
  EXPECT_EQ(dst.m_VIsoCurveList.GetCount(), 2);  // the curve already there stays first
  EXPECT_NE(dst.m_UIsoCurveList.GetHead(), src.m_UIsoCurveList.GetHead());
  ExpectBox(dst.m_box, {-1, 0, 2, 5, 4, 7});
  dst.ClearIsoCurve();
  EXPECT_TRUE(dst.m_UIsoCurveList.IsEmpty() && dst.m_VIsoCurveList.IsEmpty());
}

TEST_F(SurfTest, PickTriesCurvesUnlessTheMaskExcludesTheSurface) {
  CGeSurf s;
  AddWireframe(s);
  CPickRay ray;
  ray.m_b2D = 0;
  ray.m_ptOrigin[0] = 1, ray.m_ptOrigin[1] = 2, ray.m_ptOrigin[2] = 100;
  ray.m_vDir[0] = 0, ray.m_vDir[1] = 0, ray.m_vDir[2] = -1;
  ray.m_dRadius = 0.1;
  CGeSurf empty;
  EXPECT_EQ(empty.Pick(ray, 0), 0);
  ray.m_nTypeMask = GE_TYPE_LINE3D;  // has no bit of the surface's type 0
  EXPECT_EQ(s.Pick(ray, 1), 0);
  EXPECT_EQ(ray.m_dDist3D, 1e12);
  EXPECT_EQ(s.Pick(ray, 0), 1);  // filter off: the mask is ignored
  EXPECT_NEAR(ray.m_dDist3D, 98, 1e-6);
}

TEST_F(SurfTest, ArchiveRoundTripKeepsBothListsInOrder) {
  CGeSurf s;
  AddWireframe(s);
  s.CalcBox();
  CGeSurf back;
  Load(Store([&](CArchive& ar) { s.Serialize(ar); }), [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_EQ(back.m_UIsoCurveList.GetCount(), 2);
  ASSERT_EQ(back.m_VIsoCurveList.GetCount(), 1);
  EXPECT_EQ(back.m_UIsoCurveList.GetTail(), nullptr);
  double e[3];
  back.m_VIsoCurveList.GetHead()->GetEndPoint(e);
  EXPECT_EQ(e[0], 5);
  EXPECT_EQ(e[2], 7);
  ExpectBox(back.m_box, {-1, 0, 2, 5, 4, 7});
}

// Lists naming objects that are not 3D curves, or the same curve twice, fail the load instead
// of putting a foreign object (or a second owner) into the surface.
TEST_F(SurfTest, HostileIsoListsFailTheLoad) {
  std::unique_ptr<CGeLine3d> line(Line(0, 0, 0, 1, 0, 0));
  CGeMesh notCurve;
  auto header = [](CArchive& ar) {
    for (int i = 0; i < 6; ++i) ar << 0.0;
    ar << 2;
  };
  const std::vector<BYTE> foreign = Store([&](CArchive& ar) {
    header(ar);
    ar.WriteCount(1);
    ar << static_cast<const CObject*>(&notCurve);
    ar.WriteCount(0);
  });
  const std::vector<BYTE> twice = Store([&](CArchive& ar) {
    header(ar);
    ar.WriteCount(1);
    ar << static_cast<const CObject*>(line.get());
    ar.WriteCount(1);
    ar << static_cast<const CObject*>(line.get());  // a back-reference to the same curve
  });
  for (const auto* bytes : {&foreign, &twice}) {
    CGeSurf s;
    EXPECT_THROW(Load(*bytes, [&](CArchive& ar) { s.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(s.m_VIsoCurveList.GetCount(), 0);
  }
}

class SurfGL : public GLTest {};

TEST_F(SurfGL, DrawGLDrawsTheCurvesWithLightingOffThenOn) {
  SetPlanView(-8, 8, -8, 8);
  CGeSurf s;
  dc().Ready();
  glEnable(GL_LIGHTING);
  s.DrawGL(&dc(), 0);  // no curves: nothing drawn, lighting still toggled back on
  dc().Finish();
  EXPECT_EQ(gl().CountPixels(RGB(255, 0, 0)), 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  AddWireframe(s);
  dc().Ready();
  dc().SetColor(RGB(255, 0, 0));
  glEnable(GL_LIGHTING);
  s.DrawGL(&dc(), 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  dc().Finish();
  // Unlit, the lines take the current colour: a vertical and a horizontal stroke.
  EXPECT_GT(gl().CountPixels(RGB(255, 0, 0), 8), 20);
}

}  // namespace
