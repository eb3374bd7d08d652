// Circle and ellipse records (exact layout, round trips, damaged and hostile files), their
// snap candidates and node markers, and their place in the curve factory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/SnapAt.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

using archive_bytes::Fields;
using archive_bytes::Stored;

CObject* Load(const std::vector<BYTE>& bytes) { return archive_bytes::LoadObject(bytes); }

int32_t Int(const std::vector<BYTE>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
double Dbl(const std::vector<BYTE>& b, size_t at) {
  double v;
  std::memcpy(&v, b.data() + at, 8);
  return v;
}
void PutDbl(std::vector<BYTE>& b, size_t at, double v) { std::memcpy(b.data() + at, &v, 8); }

using CircleEllipseArchiveTest = VurodeTest;

TEST_F(CircleEllipseArchiveTest, CircleRecordIsFlagCentreRadiusDirection) {
  const double c[2] = {1.25, -3.5};
  CGeCircle circle(c, 2.75, 0);
  const auto b = Fields(circle);
  ASSERT_EQ(b.size(), 4u + 3 * 8 + 4);
  EXPECT_EQ(Int(b, 0), 1);
  EXPECT_EQ(Dbl(b, 4), 1.25);
  EXPECT_EQ(Dbl(b, 12), -3.5);
  EXPECT_EQ(Dbl(b, 20), 2.75);
  EXPECT_EQ(Int(b, 28), 0);

  gSetCurveDicTol(0.001);  // loading rebuilds the buffer with the tolerance now in force
  std::unique_ptr<CObject> ob(Load(Stored(&circle)));
  auto* back = dynamic_cast<CGeCircle*>(ob.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->m_ptCenter[1], -3.5);
  EXPECT_EQ(back->m_dRadius, 2.75);
  EXPECT_EQ(back->m_nDir, 0);
  EXPECT_EQ(back->m_nClosed, 1);
  EXPECT_GT(back->m_nSWPoint, circle.m_nSWPoint);
}

TEST_F(CircleEllipseArchiveTest, EllipseRecordIsFlagCentreAxesRotationDirection) {
  const double c[2] = {-2.0, 0.5};
  CGeEllipse ell(c, 4.0, 1.5, 0.625, 1);
  const auto b = Fields(ell);
  ASSERT_EQ(b.size(), 4u + 5 * 8 + 4);
  EXPECT_EQ(Int(b, 0), 1);
  EXPECT_EQ(Dbl(b, 4), -2.0);
  EXPECT_EQ(Dbl(b, 12), 0.5);
  EXPECT_EQ(Dbl(b, 20), 4.0);
  EXPECT_EQ(Dbl(b, 28), 1.5);
  EXPECT_EQ(Dbl(b, 36), 0.625);
  EXPECT_EQ(Int(b, 44), 1);

  std::unique_ptr<CObject> ob(Load(Stored(&ell)));
  auto* back = dynamic_cast<CGeEllipse*>(ob.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->m_dB, 1.5);
  EXPECT_EQ(back->m_dRotation, 0.625);
  ASSERT_EQ(back->m_nSWPoint, ell.m_nSWPoint);
  EXPECT_EQ(back->m_pSWPoint[3][0], ell.m_pSWPoint[3][0]);
}

TEST_F(CircleEllipseArchiveTest, DamagedRecordsFailWithTheArchiveException) {
  const double c[2] = {0.0, 0.0};
  CGeCircle circle(c, 1.0, 1);
  CGeEllipse ell(c, 2.0, 1.0, 0.0, 0);
  for (const CObject* ob : {static_cast<const CObject*>(&circle), static_cast<const CObject*>(&ell)}) {
    const auto full = Stored(ob);
    for (size_t cut : {size_t{4}, full.size() - 12, full.size() - 1}) {
      std::vector<BYTE> part(full.begin(), full.begin() + static_cast<long>(cut));
      EXPECT_THROW(delete Load(part), CArchiveException) << cut;
    }
  }
}

// Values no drawing makes (a vast or missing radius) still load in bounded time and memory.
TEST_F(CircleEllipseArchiveTest, HostileSizesLoadWithBoundedBuffers) {
  const double c[2] = {0.0, 0.0};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double r : {1e300, -5.0}) {
    CGeCircle circle(c, 1.0, 1);
    auto bytes = Stored(&circle);
    PutDbl(bytes, bytes.size() - 12, r);
    std::unique_ptr<CObject> ob(Load(bytes));
    auto* back = dynamic_cast<CGeCircle*>(ob.get());
    ASSERT_NE(back, nullptr);
    EXPECT_LE(back->m_nSWPoint, 16385);
  }
  {
    CGeCircle circle(c, 1.0, 1);
    auto bytes = Stored(&circle);
    PutDbl(bytes, bytes.size() - 12, nan);
    EXPECT_THROW(delete Load(bytes), CArchiveException);  // no circle has a NaN radius
  }
  for (double a : {1e300, 1e150}) {
    CGeEllipse ell(c, 2.0, 1.0, 0.0, 1);
    auto bytes = Stored(&ell);
    PutDbl(bytes, bytes.size() - 28, a);  // the first semi-axis
    std::unique_ptr<CObject> ob(Load(bytes));
    auto* back = dynamic_cast<CGeEllipse*>(ob.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_dA, a);
    EXPECT_LE(back->m_nSWPoint, 16385);
    double t = 0.0;
    unsigned seg = 0;
    back->EvParam(1.0, t, seg);  // must come back, whatever it answers
  }
}

TEST_F(CircleEllipseArchiveTest, FactoryMakesEmptyCirclesAndEllipses) {
  std::unique_ptr<CGeCurve> circle(CreateCurve(GE_TYPE_CIRCLE));
  std::unique_ptr<CGeCurve> ell(CreateCurve(GE_TYPE_ELLIPSE));
  ASSERT_TRUE(circle && ell);
  EXPECT_EQ(circle->GetType(), GE_TYPE_CIRCLE);
  EXPECT_EQ(ell->GetType(), GE_TYPE_ELLIPSE);
  EXPECT_EQ(circle->m_nSWPoint, 0);
  EXPECT_EQ(static_cast<CGeCircle*>(circle.get())->m_nDir, 1);
  const double c[2] = {0.0, 0.0};
  CGeCircle real(c, 2.0, 0);
  EXPECT_NEAR(geCurveLength(&real, 0.5, 1), 2.0 * std::numbers::pi, 1e-12);
}

// ---- snapping ----

struct Candidate {
  std::string label;
  double x, y;
};

class CircleEllipseSnapTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_view.SetViewRect(CRect(0, 0, 400, 400));
    m_view.SetScale(20.0);
    m_view.SetOrigin(0.0, 0.0);
    m_snap.m_pVurode = &m_view;
    m_snap.m_pKXGlobal = &m_kx;
    m_snap.m_nMask = SNAP_END | SNAP_NEAR | SNAP_MID | SNAP_CENTER | SNAP_PERP | SNAP_TAN |
                     SNAP_QUAD;
    m_snap.m_dSnapDist = 0.5;
  }
  void At(double x, double y) {
    m_snap.m_pos.x = x;
    m_snap.m_pos.y = y;
  }
  void Ref(double x, double y) {
    const double p[2] = {x, y};
    m_kx.SetSnapRefPoint(p);
  }
  static void Expect(const CSnapResult& r, const std::vector<Candidate>& want) {
    ASSERT_EQ(r.GetSize(), static_cast<int>(want.size()));
    for (int i = 0; i < r.GetSize(); ++i) {
      std::string label;
      for (wchar_t ch : std::wstring(r.GetLabel(i).GetString())) label += static_cast<char>(ch);
      EXPECT_EQ(label, want[i].label) << i;
      EXPECT_NEAR(r.GetPos(i).x, want[i].x, 1e-6) << i;
      EXPECT_NEAR(r.GetPos(i).y, want[i].y, 1e-6) << i;
      EXPECT_EQ(r.GetEntity(i), nullptr);
    }
  }
  CVurode m_view;
  CKXGlobal m_kx;
  CSnapAt m_snap;
};

TEST_F(CircleEllipseSnapTest, CircleOffersNearQuadTanPerpButNoEnds) {
  const double c[2] = {0.0, 0.0};
  CGeCircle circle(c, 5.0, 0);
  CSnapResult r;
  At(5.1, 0.2);
  EXPECT_EQ(circle.GetSnapPos(&m_snap, r), 1);
  const double nx = 5.0 * 5.1 / std::hypot(5.1, 0.2), ny = 5.0 * 0.2 / std::hypot(5.1, 0.2);
  Expect(r, {{"Near", nx, ny}, {"Quad", 5.0, 0.0}});

  // Tangent points of (10, 0) lie at (2.5, +-4.33); the foot of the reference is (5, 0).
  CSnapResult r2;
  Ref(10.0, 0.0);
  At(2.6, 4.2);
  EXPECT_EQ(circle.GetSnapPos(&m_snap, r2), 1);
  const double ty = 5.0 * std::sqrt(3.0) / 2.0;
  ASSERT_GE(r2.GetSize(), 2);
  Expect(r2, {{"Near", 5.0 * 2.6 / std::hypot(2.6, 4.2), 5.0 * 4.2 / std::hypot(2.6, 4.2)},
              {"Tan", 2.5, ty}});

  CSnapResult r3;
  At(0.1, -0.1);
  EXPECT_EQ(circle.GetSnapPos(&m_snap, r3), 1);
  Expect(r3, {{"Center", 0.0, 0.0}});

  CSnapResult none;
  m_snap.m_pKXGlobal = nullptr;
  EXPECT_EQ(circle.GetSnapPos(&m_snap, none), 0);
}

TEST_F(CircleEllipseSnapTest, CircleQuadrantsWithinReachHideAlignedOnes) {
  const double c[2] = {0.0, 0.0};
  CGeCircle circle(c, 5.0, 1);
  m_snap.m_nMask = SNAP_QUAD;
  m_snap.m_bAlign = 1;
  CSnapResult r;
  At(0.2, 5.1);  // the top within reach; left and right quadrants are aligned in y only far off
  EXPECT_EQ(circle.GetSnapPos(&m_snap, r), 1);
  Expect(r, {{"Quad", 0.0, 5.0}});
  CSnapResult aligned;
  At(5.2, 3.0);  // none within reach: the right quadrant is aligned in x
  EXPECT_EQ(circle.GetSnapPos(&m_snap, aligned), 1);
  Expect(aligned, {{"Quad", 5.0, 0.0}});
}

TEST_F(CircleEllipseSnapTest, EllipseQuadrantsFollowTheRotation) {
  const double c[2] = {1.0, 1.0};
  CGeEllipse ell(c, 4.0, 2.0, std::numbers::pi / 2, 1);  // first axis points up
  m_snap.m_nMask = SNAP_QUAD | SNAP_CENTER;
  m_snap.m_bAlign = 1;
  CSnapResult r;
  At(1.1, 5.2);
  EXPECT_EQ(ell.GetSnapPos(&m_snap, r), 1);
  Expect(r, {{"Center", 1.0, 1.0}, {"Quad", 1.0, 5.0}});  // the centre is aligned, once
  m_snap.m_bAlign = 0;
  CSnapResult r2;
  At(-1.2, 1.1);
  EXPECT_EQ(ell.GetSnapPos(&m_snap, r2), 1);
  Expect(r2, {{"Quad", -1.0, 1.0}});
}

TEST_F(CircleEllipseSnapTest, EllipseTangentAndPerpendicularFromTheReference) {
  const double c[2] = {0.0, 0.0};
  CGeEllipse ell(c, 4.0, 2.0, 0.0, 0);
  m_snap.m_nMask = SNAP_TAN | SNAP_PERP;
  // From (0, 5) the tangents touch the ellipse where x^2/16 + y^2/4 = 1 and y = 4/5.
  Ref(0.0, 5.0);
  const double tx = 4.0 * std::sqrt(1.0 - 0.16);
  CSnapResult r;
  At(tx + 0.1, 0.9);
  EXPECT_EQ(ell.GetSnapPos(&m_snap, r), 1);
  Expect(r, {{"Tan", tx, 0.8}});
  CSnapResult r2;
  At(0.1, 2.1);  // the foot of the reference is the top vertex
  EXPECT_EQ(ell.GetSnapPos(&m_snap, r2), 1);
  Expect(r2, {{"Perp", 0.0, 2.0}});
}

TEST_F(CircleEllipseSnapTest, NodeMarkersSitAtStartQuarterAndCentre) {
  gSetVurode(&m_view);
  using Kind = CRecordingDC::Kind;
  const double c[2] = {1.0, 2.0};
  const auto expectAt = [&](const CRecordingDC::Call& call, Kind kind, const double p[2],
                            int half) {
    EXPECT_EQ(call.kind, kind);
    const CPoint sp = m_view.WorldtoScreen(p);
    ASSERT_EQ(call.points.size(), 2u);
    EXPECT_EQ(call.points[0], CPoint(sp.x - half, sp.y - half));
    EXPECT_EQ(call.points[1], CPoint(sp.x + half, sp.y + half));
  };
  CRecordingDC dc;
  CGeCircle circle(c, 3.0, 0);
  circle.DrawNode(&dc, 0, 0);  // the flags do not matter to closed curves
  ASSERT_EQ(dc.GetCalls().size(), 2u);
  const double start[2] = {4.0, 2.0};
  expectAt(dc.GetCalls()[0], Kind::Ellipse, start, 4);
  EXPECT_EQ(dc.GetCalls()[0].penColor, RGB(0, 125, 0));
  expectAt(dc.GetCalls()[1], Kind::Rectangle, c, 3);

  dc.ClearCalls();
  CGeEllipse ell(c, 3.0, 2.0, std::numbers::pi / 2, 0);
  ell.DrawNode(&dc, 0, 0);
  ASSERT_EQ(dc.GetCalls().size(), 3u);
  const double top[2] = {1.0, 5.0}, quarter[2] = {3.0, 2.0};  // clockwise: t = 0.25 on the right
  expectAt(dc.GetCalls()[0], Kind::Ellipse, top, 4);
  expectAt(dc.GetCalls()[1], Kind::Rectangle, quarter, 3);
  expectAt(dc.GetCalls()[2], Kind::Rectangle, c, 3);
}

}  // namespace
