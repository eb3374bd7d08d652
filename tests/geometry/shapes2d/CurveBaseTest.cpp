// Behaviour that every curve inherits from the curve base: buffer handling, boxes, area,
// base transforms, the Newton searches, base picking and the free functions.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/VurodeFixture.h"

namespace {
// A curve made of straight segments through given vertices; it remembers every segment
// number it was asked to evaluate, so tests see what the base passes down.
class CPolyTestCurve : public CGeCurve {
 public:
  explicit CPolyTestCurve(std::vector<std::array<double, 2>> v, int type = 0)
      : m_v(std::move(v)), m_type(type) {}
  using CGeCurve::Discrete;
  int GetType() const override { return m_type; }
  void Discrete(double) override { Discrete(0.01, 0.1); }
  void Discrete(double, CPoint2dArray* pts, double, bool) override {
    if (!pts) return;
    for (const auto& p : m_v) {
      tagPoint2d q{static_cast<float>(p[0]), static_cast<float>(p[1])};
      pts->Add(q);
    }
  }
  int GetSegmentCount() override { return static_cast<int>(m_v.size()) - 1; }
  void GetPointAt(double t, double p[2], unsigned seg) override {
    m_segs.push_back(seg);
    const auto& a = m_v.at(seg - 1);
    const auto& b = m_v.at(seg);
    p[0] = a[0] + t * (b[0] - a[0]);
    p[1] = a[1] + t * (b[1] - a[1]);
  }
  void GetTanVecAt(double, double v[2], unsigned seg) override {
    m_segs.push_back(seg);
    v[0] = m_v.at(seg)[0] - m_v.at(seg - 1)[0];
    v[1] = m_v.at(seg)[1] - m_v.at(seg - 1)[1];
  }
  std::vector<std::array<double, 2>> m_v;
  std::vector<unsigned> m_segs;
  int m_type;
};

// The unit circle as a closed parametric curve, t in [0, 1] once around.
class CCircleTestCurve : public CGeCurve {
 public:
  CCircleTestCurve() { m_nClosed = 1; }
  int GetType() const override { return GE_TYPE_CIRCLE; }
  void GetPointAt(double t, double p[2], unsigned) override {
    p[0] = std::cos(2 * std::numbers::pi * t);
    p[1] = std::sin(2 * std::numbers::pi * t);
  }
  void GetTanVecAt(double t, double v[2], unsigned) override {
    v[0] = -2 * std::numbers::pi * std::sin(2 * std::numbers::pi * t);
    v[1] = 2 * std::numbers::pi * std::cos(2 * std::numbers::pi * t);
  }
  void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) override {
    GetPointAt(t, p, seg);
    GetTanVecAt(t, d1, seg);
    d2[0] = -2 * std::numbers::pi * 2 * std::numbers::pi * p[0];
    d2[1] = -2 * std::numbers::pi * 2 * std::numbers::pi * p[1];
  }
  int Tangent(double& t, const double from[2], double touch[2]) {
    int seg = 1;
    return SolveTangentParam(t, seg, from, touch);
  }
};

using CurveBaseTest = VurodeTest;

TEST_F(CurveBaseTest, AreaIsSignedAndClosesThePolygon) {
  const std::vector<std::array<double, 2>> ccw = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
  struct Case {
    std::vector<std::array<double, 2>> v;
    double area;
  } cases[] = {
      {ccw, 1.0},
      {{ccw.rbegin(), ccw.rend()}, -1.0},
      {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1.0},  // the closing edge is implied
      {{{3, 3}}, 0.0},
  };
  for (const auto& c : cases) {
    CPolyTestCurve curve(c.v);
    curve.Discrete(0.01);
    if (c.v.size() < 2) {
      curve.CopySWPoint(reinterpret_cast<const double(*)[2]>(c.v.data()), 1);
    }
    EXPECT_DOUBLE_EQ(curve.EvArea(), c.area);
  }
}

TEST_F(CurveBaseTest, OnePointDiscretisationKeepsTheOldBuffer) {
  CPolyTestCurve curve({{0, 0}, {4, 2}, {5, 5}});
  curve.Discrete(0.01);
  ASSERT_EQ(curve.m_nSWPoint, 3);
  const _tagBox2D box = curve.m_box;
  curve.m_v = {{9, 9}};
  curve.Discrete(0.01, 0.1);
  EXPECT_EQ(curve.m_nSWPoint, 3);
  EXPECT_EQ(curve.m_pSWPoint[1][0], 4.0);
  EXPECT_EQ(curve.m_box.max[0], box.max[0]);
  EXPECT_EQ(curve.m_box.max[1], box.max[1]);
}

TEST_F(CurveBaseTest, EndPointsOfShortBuffers) {
  CPolyTestCurve curve({});
  double p[2] = {-1, -1};
  curve.GetStartPoint(p);
  EXPECT_EQ(p[0], -1);
  const double one[1][2] = {{2.5, 3.5}};
  curve.CopySWPoint(one, 1);
  curve.GetEndPoint(p);
  EXPECT_EQ(p[0], -1);  // one point is not an end
  curve.GetStartPoint(p);
  EXPECT_EQ(p[0], 2.5);
  EXPECT_EQ(p[1], 3.5);
}

TEST_F(CurveBaseTest, BufferIsFloatRoundedAndBoxCached) {
  CPolyTestCurve curve({{0.1, 0.2}, {1.3, -0.7}});
  _tagBox2D box;
  curve.GetBox2d(&box);
  ASSERT_EQ(curve.m_nSWPoint, 2);
  EXPECT_EQ(curve.m_pSWPoint[0][0], static_cast<double>(0.1f));
  EXPECT_EQ(box.min[1], static_cast<double>(-0.7f));
  EXPECT_EQ(box.max[0], static_cast<double>(1.3f));
}

TEST_F(CurveBaseTest, BaseTransformsMoveTheBuffer) {
  CPolyTestCurve empty({});
  const double o[2] = {0, 0}, f[2] = {2, 3};
  EXPECT_EQ(empty.Scale(o, f), nullptr);
  EXPECT_EQ(empty.Shift(o, f), nullptr);
  EXPECT_EQ(empty.m_pSWPoint, nullptr);

  CPolyTestCurve curve({{1, 0}, {2, 0}, {2, 1}});
  curve.Discrete(0.01);
  const double v[2] = {1, 1};
  curve.Translate(v);
  EXPECT_EQ(curve.m_pSWPoint[2][1], 2.0);
  EXPECT_EQ(curve.m_box.max[0], 3.0);
  EXPECT_EQ(curve.Scale(o, f), &curve);
  EXPECT_EQ(curve.m_pSWPoint[2][0], 6.0);
  EXPECT_EQ(curve.m_box.max[1], 6.0);
  curve.Rotate(o, std::numbers::pi / 2);
  EXPECT_NEAR(curve.m_pSWPoint[0][0], -3.0, 1e-12);
  EXPECT_NEAR(curve.m_box.min[0], -6.0, 1e-12);
  const double axis[2] = {0, 1};
  curve.Mirror(o, axis);  // mirror in the y axis
  EXPECT_NEAR(curve.m_pSWPoint[0][0], 3.0, 1e-12);
  const double m[3][3] = {{1, 0, 10}, {0, 1, -10}, {0, 0, 1}};
  curve.Transform(m);
  EXPECT_NEAR(curve.m_pSWPoint[0][0], 13.0, 1e-12);
  EXPECT_NEAR(curve.m_box.min[0], 13.0, 1e-12);  // the box follows the moved buffer
  const double ref[2] = {0, 0}, shear[2] = {1, 0};
  const double before = curve.m_pSWPoint[2][0];
  EXPECT_EQ(curve.Shift(ref, shear), &curve);
  EXPECT_NE(curve.m_pSWPoint[2][0], before);  // x moves with y under the shear
}

TEST_F(CurveBaseTest, SmallBaseQueries) {
  CPolyTestCurve curve({{0, 0}, {3, 0}, {3, 4}});
  _tagBox2D box;
  curve.GetNodeBox(&box);  // the stored box, not recomputed
  EXPECT_LT(box.max[0], box.min[0]);
  curve.CalcBox2d();  // discretises first when there is no buffer
  EXPECT_EQ(curve.m_nSWPoint, 3);
  curve.GetNodeBox(&box);
  EXPECT_EQ(box.max[1], 4.0);
  curve.CalcScreenBox(&box);  // no view: an empty box
  EXPECT_LT(box.max[0], box.min[0]);
  double v[2], p[2];
  EXPECT_EQ(curve.GetStartTan(v), 1);
  EXPECT_EQ(v[0], 3.0);
  EXPECT_EQ(curve.GetPointEx(0.5, p), 1);
  EXPECT_EQ(p[0], 1.5);
  EXPECT_EQ(curve.IsLongerThan(0.0), 0);  // the base knows no length
  const double s[2] = {0, 0}, e[2] = {3, 4};
  CGeLine line(s, e);
  EXPECT_EQ(line.IsLongerThan(4.9), 1);
  EXPECT_EQ(line.IsLongerThan(5.0), 0);
}

TEST_F(CurveBaseTest, SegmentNumbersStayInRange) {
  CPolyTestCurve curve({{0, 0}, {1, 0}, {1, 1}});
  double nearPt[2], t = 0.0, dist = 1e12;
  unsigned seg = 0;  // zero reads as the first segment
  const double q[2] = {0.5, 0.3};
  curve.GetNearestPoint(q, nearPt, t, seg, dist);
  seg = 99;  // beyond the last one reads as the last
  curve.GetNearestPoint(q, nearPt, t, seg, dist);
  double v[2];
  curve.GetEndTan(v);
  EXPECT_EQ(v[1], 1.0);  // the last segment points up
  ASSERT_FALSE(curve.m_segs.empty());
  for (unsigned s : curve.m_segs) {
    EXPECT_GE(s, 1u);
    EXPECT_LE(s, 2u);
  }
}

TEST_F(CurveBaseTest, NewtonNearestPointAgreesWithSampling) {
  CCircleTestCurve circle;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> ang(0, 2 * std::numbers::pi), rad(0.3, 1.6);  // plain Newton converges here
  for (int k = 0; k < 100; ++k) {
    const double a = ang(rng), r = rad(rng);
    const double q[2] = {r * std::cos(a), r * std::sin(a)};
    double nearPt[2], t = a / (2 * std::numbers::pi) + 0.03, dist = 1e12;
    unsigned seg = 1;
    ASSERT_EQ(circle.GetNearestPoint(q, nearPt, t, seg, dist), 1) << k;
    // The search stops once the parameter moves by less than 0.01, so it lands close to,
    // never below, the true distance.
    EXPECT_GE(dist, std::fabs(r - 1.0) - 1e-12) << k;
    EXPECT_LT(dist, std::fabs(r - 1.0) + 0.01) << k;
    double at[2];
    circle.GetPointAt(t, at, 1);
    EXPECT_NEAR(std::hypot(at[0] - q[0], at[1] - q[1]), dist, 1e-12);
  }
}

TEST_F(CurveBaseTest, TangentParameterMatchesTheClosedForm) {
  CCircleTestCurve circle;
  const double from[2] = {2.0, 0.0};  // touching points at +-60 degrees
  double t = 0.2, touch[2];
  ASSERT_EQ(circle.Tangent(t, from, touch), 1);
  EXPECT_NEAR(t, 1.0 / 6, 1e-5);
  EXPECT_NEAR(touch[0], 0.5, 1e-4);
  EXPECT_NEAR(touch[1], std::sqrt(3.0) / 2, 1e-4);
  t = 0.8;
  ASSERT_EQ(circle.Tangent(t, from, touch), 1);
  EXPECT_NEAR(t, 5.0 / 6, 1e-5);
}

TEST_F(CurveBaseTest, BasePickIsStrictAndOnlyLowersTheBestDistance) {
  const double c[2] = {0, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 10.0, 0.0, 1.0), 1);
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  ray.m_ptOrigin[0] = 10.5;  // exactly the radius away from (10, 0)
  EXPECT_EQ(arc.Pick(ray, 0), 0);
  EXPECT_EQ(ray.m_dDist2D, 1e12);
  ray.m_ptOrigin[0] = 10.25;
  EXPECT_EQ(arc.Pick(ray, 0), 1);
  EXPECT_NEAR(ray.m_dDist2D, 0.25, 1e-12);
  ray.m_ptOrigin[0] = 10.4;
  EXPECT_EQ(arc.Pick(ray, 0), 1);
  EXPECT_NEAR(ray.m_dDist2D, 0.25, 1e-12);  // never raised
  // The filter applies the type mask.
  ray.m_nTypeMask = GE_TYPE_LINE;
  EXPECT_EQ(arc.Pick(ray, 1), 0);
  EXPECT_EQ(arc.Pick(ray, 0), 1);
}

TEST_F(CurveBaseTest, HitFillsTheResult) {
  const double c[2] = {0, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 10.0, 0.0, std::numbers::pi), 1);
  arc.Discrete(0.01);
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  ray.m_ptOrigin[0] = 0.2;
  ray.m_ptOrigin[1] = 10.3;
  CGeHitResult hit;
  ASSERT_EQ(arc.Hit(ray, hit), 1);
  EXPECT_EQ(hit.m_pCurve, &arc);
  EXPECT_EQ(hit.m_nSeg, 1);
  EXPECT_NEAR(hit.m_ptHit[1], 10.0, 0.01);
  EXPECT_NEAR(hit.m_dT, 0.5, 0.01);
  ray.m_nTypeMask = GE_TYPE_LINE;  // the mask always applies to hits
  EXPECT_EQ(arc.Hit(ray, hit), 0);

  // A 3D ray straight down onto the arc's top.
  CPickRay down;
  down.m_b2D = 0;
  down.m_dRadius = 0.5;
  down.m_ptOrigin[0] = 0.1;
  down.m_ptOrigin[1] = 10.1;
  down.m_ptOrigin[2] = 50;
  down.m_vDir[2] = -1;
  CGeHitResult hit3;
  ASSERT_EQ(arc.Hit(down, hit3), 1);
  EXPECT_NEAR(hit3.m_ptHit[1], 10.0, 0.01);
}

TEST_F(CurveBaseTest, TypeCodesAndFactory) {
  EXPECT_EQ(GE_TYPE_LOOP & GE_TYPE_COMBCURVE, 0);
  std::unique_ptr<CGeCurve> line(CreateCurve(GE_TYPE_LINE));
  std::unique_ptr<CGeCurve> arc(CreateCurve(GE_TYPE_ARC));
  ASSERT_TRUE(line && arc);
  EXPECT_EQ(line->GetType(), GE_TYPE_LINE);
  EXPECT_EQ(arc->GetType(), GE_TYPE_ARC);
  EXPECT_EQ(CreateCurve(GE_TYPE_LOOP), nullptr);
  EXPECT_EQ(CreateCurve(GE_TYPE_OFFSETCRV), nullptr);
  EXPECT_EQ(CreateCurve(0), nullptr);

  const double s[2] = {0, 0}, e[2] = {3, 4};
  CGeLine seg(s, e);
  EXPECT_DOUBLE_EQ(geCurveLength(&seg, 0.4, 1), 2.0);
  EXPECT_EQ(geCurveLength(nullptr, 0.4, 1), 0.0);
  CPolyTestCurve other({{0, 0}, {1, 0}}, 0);
  EXPECT_EQ(geCurveLength(&other, 1.0, 1), 0.0);
}

TEST_F(CurveBaseTest, DiscreteToPLineOfTwoPointsIsALine) {
  const double s[2] = {0, 0}, e[2] = {3, 4};
  CGeLine seg(s, e);
  std::unique_ptr<CGeCurve> pl(seg.DiscreteToPLine(0.01, 0.1));
  ASSERT_TRUE(pl);
  EXPECT_EQ(pl->GetType(), GE_TYPE_LINE);
  CPolyTestCurve one({{1, 1}});
  EXPECT_EQ(one.DiscreteToPLine(0.01, 0.1), nullptr);
}

TEST_F(CurveBaseTest, BiArcBaseAppendsACopy) {
  const double s[2] = {0, 0}, e[2] = {3, 4};
  CGeLine seg(s, e);
  CGeCurveList list;
  seg.BiArcAppx(0.01, &list);
  ASSERT_EQ(list.GetCount(), 1);
  CGeCurve* copy = list.GetHead();
  EXPECT_NE(copy, &seg);
  EXPECT_EQ(copy->GetType(), GE_TYPE_LINE);
  delete copy;
}

// Pointer-to-virtual-member values carry the slot's byte offset plus one (Itanium ABI), so
// they show the order of the virtual operations that callers outside the library rely on.
template <typename F>
std::ptrdiff_t Slot(F f) {
  std::ptrdiff_t raw;
  static_assert(sizeof(f) >= sizeof(raw));
  std::memcpy(&raw, &f, sizeof(raw));
  return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(CurveSlots, VirtualOperationsKeepTheirOrder) {
  using C = CGeCurve;
  const std::ptrdiff_t slots[] = {
      Slot(&CObject::Dump),
      Slot(&C::GetType), Slot(&C::Copy), Slot(&C::GetSnapPos), Slot(&C::CalcBox2d),
      Slot(&C::CalcScreenBox), Slot(&C::GetBox2d), Slot(&C::Translate), Slot(&C::Rotate),
      Slot(&C::Mirror), Slot(&C::Scale), Slot(&C::Draw), Slot(&C::DrawGL), Slot(&C::DrawNode),
      Slot(&C::GetNodeBox), Slot(&C::ModifyStartPoint), Slot(&C::ModifyEndPoint), Slot(&C::Pick),
      Slot(&C::Hit),
      Slot(static_cast<void (C::*)(double, CPoint2dArray*, double, bool)>(&C::Discrete)),
      Slot(static_cast<void (C::*)(double, double)>(&C::Discrete)),
      Slot(static_cast<void (C::*)(double)>(&C::Discrete)),
      Slot(&C::DiscreteToPLine), Slot(&C::DiscreteToElement), Slot(&C::GetDiscStep),
      Slot(&C::GetSegmentCount), Slot(&C::GetStartPoint), Slot(&C::GetEndPoint),
      Slot(&C::GetStartTan), Slot(&C::GetEndTan), Slot(&C::GetPointAt), Slot(&C::GetPointEx),
      Slot(&C::GetTanVecAt), Slot(&C::EvPos), Slot(&C::Ev1Der), Slot(&C::Ev2Der),
      Slot(&C::GetNearestPoint), Slot(&C::GetTanPt), Slot(&C::EvParam), Slot(&C::EvArcLength),
      Slot(&C::EvTotalArcLength), Slot(&C::IsLongerThan), Slot(&C::EvArea), Slot(&C::IsClosed),
      Slot(&C::Reverse), Slot(&C::Offset), Slot(&C::Split), Slot(&C::BiArcAppx), Slot(&C::Shift),
      Slot(&C::Transform),
  };
  for (size_t i = 1; i < std::size(slots); ++i) EXPECT_EQ(slots[i], slots[i - 1] + 1) << i;
  // The concrete classes add no slot before the curve's: an override reuses its base's.
  EXPECT_EQ(Slot(&CGeArc::Transform), Slot(&CGeCurve::Transform));
  EXPECT_EQ(Slot(&CGeLine::Copy), Slot(&CGeShape2d::Copy));
}

}  // namespace

namespace {

// A copied curve owns its own point buffer: changing or destroying one leaves the other whole.
TEST(CurveCopy, CopiesOwnTheirPointBuffer) {
  const double s[2] = {0.0, 0.0}, e[2] = {3.0, 4.0};
  auto original = std::make_unique<CGeLine>(s, e);
  ASSERT_GE(original->m_nSWPoint, 2);
  CGeLine copy(*original);
  ASSERT_NE(copy.m_pSWPoint, original->m_pSWPoint);
  ASSERT_EQ(copy.m_nSWPoint, original->m_nSWPoint);
  original->m_pSWPoint[0][0] = 99.0;
  EXPECT_EQ(copy.m_pSWPoint[0][0], 0.0);

  CGeLine assigned;
  assigned = *original;
  ASSERT_NE(assigned.m_pSWPoint, original->m_pSWPoint);
  EXPECT_EQ(assigned.m_pSWPoint[0][0], 99.0);
  original.reset();  // the copies' buffers must survive (ASan checks the reads below)
  EXPECT_EQ(copy.m_pSWPoint[copy.m_nSWPoint - 1][1], 4.0);
  EXPECT_EQ(assigned.m_pSWPoint[assigned.m_nSWPoint - 1][0], 3.0);

  CGeLine empty;
  assigned = empty;  // assigning an undiscretised curve clears the buffer
  EXPECT_EQ(assigned.m_pSWPoint, nullptr);
  EXPECT_EQ(assigned.m_nSWPoint, 0);
}

}  // namespace
