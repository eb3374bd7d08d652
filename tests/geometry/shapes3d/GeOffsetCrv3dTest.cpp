// 3D offset curve: distance and side from the base, derivatives against differences, the
// refined discretisation, reversal, transforms that keep it the offset of its base, copies and
// the archive record.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Curve3dTestUtil.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"

using namespace c3t;

namespace {

using OffsetCrv3dTest = Curve3dTest;

const double kUp[3] = {0.0, 0.0, 1.0};

// Offset of a counter-clockwise circle of radius 5 about the origin (left = inwards).
std::unique_ptr<CGeOffsetCrv3d> CircleOffset(double d) {
  return std::make_unique<CGeOffsetCrv3d>(Circle(5.0), d, kUp);
}

double Radius(const double p[3]) { return std::hypot(p[0], p[1]); }

TEST_F(OffsetCrv3dTest, PointsLieAtTheDistanceOnTheLeft) {
  for (double d : {1.5, -2.0, 0.0}) {
    auto off = CircleOffset(d);
    for (int i = 0; i <= 32; ++i) {
      double p[3], v[3], b[3];
      off->GetPointAt(i / 32.0, p, 1);
      EXPECT_NEAR(Radius(p), 5.0 - d, 1e-9) << d;
      off->m_pBase->GetPointAt(i / 32.0, b, 1);
      EXPECT_NEAR(Dist(p, b), std::fabs(d), 1e-9);
      off->GetTanVecAt(i / 32.0, b, v, 1);
      EXPECT_LT(Dist(b, p), 1e-12);  // the point of GetTanVecAt is the offset point
    }
    double s[3], e[3];
    off->GetStartPoint(s);
    off->GetEndPoint(e);
    EXPECT_NEAR(s[0], 5.0 - d, 1e-9);
    EXPECT_NEAR(s[1], 0.0, 1e-9);
    EXPECT_LT(Dist(s, e), 1e-9);
  }
  // A line along x with the direction up: the left side is +y.
  const double a[3] = {0, 0, 0}, b[3] = {4, 0, 0};
  CGeOffsetCrv3d line(new CGeLine3d(a, b), 2.0, kUp);
  double p[3];
  line.GetPointAt(0.25, p, 1);
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 2.0, 1e-12);
}

TEST_F(OffsetCrv3dTest, Ev2DerMatchesDifferencesOfThePoints) {
  auto off = std::make_unique<CGeOffsetCrv3d>(Wave(), 0.7, kUp);
  const double h = 1e-6;
  for (double t : {0.11, 0.4, 0.77}) {
    double p[3], d1[3], d2[3], a[3], b[3];
    off->Ev2Der(t, p, d1, d2, 1);
    off->GetPointAt(t - h, a, 1);
    off->GetPointAt(t + h, b, 1);
    double q[3];
    off->GetPointAt(t, q, 1);
    EXPECT_LT(Dist(p, q), 1e-12);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(d1[k], (b[k] - a[k]) / (2 * h), 1e-4 * (1 + std::fabs(d1[k])));
  }
}

TEST_F(OffsetCrv3dTest, DiscretisationIsRefinedOnTheOffsetCurve) {
  ASSERT_TRUE(gSetCurveDicTol(0.002));
  auto off = CircleOffset(-3.0);  // outwards: radius 8, longer chords than the base
  off->DiscreteMe(0.002);
  const CStrP3D& s = off->m_strDisc;
  ASSERT_GT(s.m_nCount, 2);
  for (int i = 0; i < s.m_nCount; ++i) EXPECT_NEAR(Radius(s.m_pPoints[i]), 8.0, 1e-9);
  for (int i = 0; i + 1 < s.m_nCount; ++i) {
    double a[3], m[3];
    std::copy(s.m_pPoints[i], s.m_pPoints[i] + 3, a);
    for (int k = 0; k < 3; ++k) m[k] = 0.5 * (s.m_pPoints[i][k] + s.m_pPoints[i + 1][k]);
    // Sagitta of the chord on a circle of radius 8.
    EXPECT_LE(8.0 - Radius(m), 0.002 * 1.01);
  }
  _tagBox3D box;
  off->GetBox(&box);
  EXPECT_NEAR(box.max[0], 8.0, 1e-9);

  // Distance 0: exactly the base's own discretisation.
  auto zero = CircleOffset(0.0);
  zero->DiscreteMe(0.002);
  zero->m_pBase->DiscreteMe(0.002);
  ASSERT_EQ(zero->m_strDisc.m_nCount, zero->m_pBase->m_strDisc.m_nCount);
  for (int i = 0; i < zero->m_strDisc.m_nCount; ++i)
    EXPECT_LT(Dist(zero->m_strDisc.m_pPoints[i], zero->m_pBase->m_strDisc.m_pPoints[i]), 1e-12);
}

TEST_F(OffsetCrv3dTest, ReverseStaysOnTheSameSide) {
  auto off = CircleOffset(1.0);
  off->DiscreteMe(0.01);
  double before[3];
  off->GetPointAt(0.3, before, 1);
  off->Reverse();
  EXPECT_EQ(off->m_dDist, -1.0);
  double after[3];
  off->GetPointAt(0.7, after, 1);
  EXPECT_LT(Dist(before, after), 1e-9);
  EXPECT_NEAR(Radius(off->m_strDisc.m_pPoints[0]), 4.0, 1e-9);
}

// After a rigid transform the offset curve is the transformed offset curve, and the cache
// moved with it.
TEST_F(OffsetCrv3dTest, RigidTransformsKeepItTheOffsetOfItsBase) {
  const double c2[2] = {1, 2}, q2[2] = {0.3, 1}, at[3] = {1, -1, 2}, axis[3] = {1, 0.5, 0.2};
  const double n[3] = {0.2, 1, 0.7};
  double m[4][4] = {{0, 0, 1, 2}, {1, 0, 0, -1}, {0, 1, 0, 0}, {0, 0, 0, 1}};
  struct Case {
    const char* name;
    std::function<void(CGeOffsetCrv3d&)> apply;
    std::function<void(double p[3])> map;
  } cases[] = {
      {"Translate", [&](CGeOffsetCrv3d& c) { c.Translate(c2); }, [&](double p[3]) { p[0] += 1, p[1] += 2; }},
      {"Rotate", [&](CGeOffsetCrv3d& c) { c.Rotate(c2, 0.9); }, [&](double p[3]) { P2D_Rot(c2, 0.9, p, p); }},
      {"Rotate3D", [&](CGeOffsetCrv3d& c) { c.Rotate3D(at, axis, 1.3); },
       [&](double p[3]) { P3D_RotatePnt(axis, at, 1.3, p, p); }},
      {"Mirror", [&](CGeOffsetCrv3d& c) { c.Mirror(c2, q2); }, [&](double p[3]) { P2D_Mirr(c2, q2, p, p); }},
      {"Mirror3D", [&](CGeOffsetCrv3d& c) { c.Mirror3D(at, n); }, [&](double p[3]) { P3D_Mirror(at, n, p, p); }},
      {"Matrix", [&](CGeOffsetCrv3d& c) { c.Transform(m); }, [&](double p[3]) { MAT44_MultPt(m, p, p); }},
  };
  for (const Case& k : cases) {
    auto orig = std::make_unique<CGeOffsetCrv3d>(Wave(), 0.8, kUp);
    orig->DiscreteMe(0.01);
    std::unique_ptr<CGeOffsetCrv3d> c(orig->Copy());
    k.apply(*c);
    for (int i = 0; i <= 12; ++i) {
      double a[3], b[3];
      orig->GetPointAt(i / 12.0, a, 1);
      k.map(a);
      c->GetPointAt(i / 12.0, b, 1);
      EXPECT_LT(Dist(a, b), 1e-9) << k.name << " " << i;
    }
    for (int i = 0; i < c->m_strDisc.m_nCount; i += 7) {
      double p[3];
      c->GetPointAt(c->m_strDisc.m_pParams[i], p, 1);
      EXPECT_LT(Dist(p, c->m_strDisc.m_pPoints[i]), 1e-9) << k.name;
    }
  }
}

TEST_F(OffsetCrv3dTest, ScaleKeepsTheDirectionAndReturnsItself) {
  auto off = CircleOffset(1.0);
  const double b[2] = {0, 0}, f[2] = {2, 2};
  EXPECT_EQ(off->Scale(b, f), off.get());
  double p[3];
  off->GetPointAt(0.0, p, 1);
  EXPECT_NEAR(p[0], 9.0, 1e-9);  // base radius 10, offset 1 inwards
  EXPECT_EQ(off->m_vDir[2], 1.0);
}

TEST_F(OffsetCrv3dTest, WithoutABaseEverythingIsNeutral) {
  CGeOffsetCrv3d off;
  double p[3] = {7, 7, 7}, v[3];
  off.GetPointAt(0.5, p, 1);
  off.GetStartPoint(p);
  EXPECT_EQ(p[0], 7);
  EXPECT_EQ(off.GetSegmentCount(), 1);
  EXPECT_EQ(off.Copy(), nullptr);
  EXPECT_EQ(off.IsPlanar(0.01, p, v), 0);
  EXPECT_EQ(off.Shift(p, p), nullptr);
  off.DiscreteMe(0.01);
  EXPECT_EQ(off.m_strDisc.m_nCount, 0);
  double t = 3;
  unsigned seg = 2;
  auto c = CircleOffset(1.0);
  EXPECT_EQ(c->EvParam(1.0, t, seg), 0);
  EXPECT_EQ(t, 3);
  CGeCurve3d* out[2] = {c.get(), c.get()};
  c->Split(0.5, out, 1);
  EXPECT_FALSE(out[0] || out[1]);
}

TEST_F(OffsetCrv3dTest, CopyIsDeep) {
  auto off = CircleOffset(1.0);
  off->m_nExtData = 1;
  std::unique_ptr<CGeOffsetCrv3d> c(off->Copy());
  ASSERT_TRUE(c);
  EXPECT_NE(c->m_pBase, off->m_pBase);
  EXPECT_EQ(c->m_dDist, 1.0);
  EXPECT_EQ(c->m_nExtData, 1);
  off.reset();
  double p[3];
  c->GetPointAt(0.0, p, 1);
  EXPECT_NEAR(p[0], 4.0, 1e-9);
}

TEST_F(OffsetCrv3dTest, ArchiveRecordAndHostileLists) {
  const double dir[3] = {0.0, 0.6, 0.8};
  CGeOffsetCrv3d off(Circle(3.0), -1.25, dir);
  auto b = Fields(off);
  const size_t curvePart = 6 * 8 + 4;
  EXPECT_EQ(b[curvePart], 1);  // list count (WORD)
  EXPECT_EQ(b[curvePart + 1], 0);
  const size_t tail = b.size() - 32;
  EXPECT_EQ(Dbl(b, tail), -1.25);
  EXPECT_EQ(Dbl(b, tail + 8), 0.0);
  EXPECT_EQ(Dbl(b, tail + 16), 0.6);
  EXPECT_EQ(Dbl(b, tail + 24), 0.8);

  std::unique_ptr<CGeOffsetCrv3d> back(RoundTrip<CGeOffsetCrv3d>(&off));
  ASSERT_TRUE(back && back->m_pBase);
  EXPECT_EQ(back->m_pBase->GetType(), GE_TYPE_NRBCRV3D);
  EXPECT_EQ(back->m_dDist, -1.25);
  EXPECT_EQ(back->m_strDisc.m_nCount, 0);  // not discretised on loading
  double p[3], q[3];
  back->GetPointAt(0.4, p, 1);
  off.GetPointAt(0.4, q, 1);
  EXPECT_LT(Dist(p, q), 1e-12);

  CGeOffsetCrv3d empty;
  const auto e = Fields(empty);
  ASSERT_EQ(e.size(), curvePart + 2 + 32);
  std::unique_ptr<CGeOffsetCrv3d> none(RoundTrip<CGeOffsetCrv3d>(&empty));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->m_pBase, nullptr);
  EXPECT_EQ(none->m_vDir[2], 1.0);

  // Two list entries, or a base that is no 3D curve, are refused.
  auto two = e;
  two[curvePart] = 2;
  EXPECT_THROW(delete LoadNew<CGeOffsetCrv3d>(two), CArchiveException);
  const double s2[2] = {0, 0}, e2[2] = {1, 1};
  CGeLine flat(s2, e2);
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    off.CGeCurve3d::Serialize(ar);
    ar.WriteCount(1);
    ar << static_cast<CObject*>(&flat);
    ar << 1.0 << 0.0 << 0.0 << 1.0;
    ar.Close();
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CGeOffsetCrv3d victim;
  EXPECT_THROW(victim.Serialize(ar), CArchiveException);
}

}  // namespace
