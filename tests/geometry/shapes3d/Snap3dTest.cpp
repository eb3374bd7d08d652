// Snap candidates of the 3D line, arc and polyline in the 2D and the 3D view.
#include <cmath>

#include "Shape3dTestUtil.h"
#include "geometry/shapes2d/SnapAt.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

using namespace shapes3d_test;

namespace {

class Snap3d : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_view.SetViewRect(CRect(0, 0, 200, 200));
    m_view.SetScale(10.0);
    m_view.SetOrigin(0.0, 0.0);
    gSetVurode(&m_view);
    m_snap.m_pVurode = &m_view;
    m_snap.m_pKXGlobal = &m_settings;
    m_snap.m_dSnapDist = 0.5;
  }
  // Candidates for a cursor at (x, y) and the given kinds.
  CSnapResult Ask(CGeCurve3d& c, double x, double y, int mask, int expectRet) {
    m_snap.m_pos = Position(x, y, 0.0);
    m_snap.m_nMask = mask;
    CSnapResult r;
    EXPECT_EQ(c.GetSnapPos(&m_snap, r), expectRet) << x << ", " << y;
    return r;
  }
  static void ExpectEntry(const CSnapResult& r, int i, const wchar_t* label, double x, double y,
                          double z) {
    ASSERT_LT(i, r.GetSize());
    EXPECT_EQ(r.GetLabel(i), CString(label));
    EXPECT_NEAR(r.GetPos(i).x, x, 1e-9);
    EXPECT_NEAR(r.GetPos(i).y, y, 1e-9);
    EXPECT_NEAR(r.GetPos(i).z, z, 1e-9);
  }
  CVurode m_view;
  CKXGlobal m_settings;
  CSnapAt m_snap;
};

TEST_F(Snap3d, LineEndsMidAndPerpendicular) {
  const double s[3] = {0, 0, 2}, e[3] = {4, 0, 6};
  CGeLine3d line(s, e);
  auto r = Ask(line, 0.2, 0.1, SNAP_END | SNAP_MID, 1);
  ASSERT_EQ(r.GetSize(), 1);
  ExpectEntry(r, 0, L"End", 0, 0, 2);
  r = Ask(line, 3.9, -0.2, SNAP_END, 1);
  ExpectEntry(r, 0, L"End", 4, 0, 6);
  r = Ask(line, 2.1, 0.2, SNAP_END | SNAP_MID, 1);
  ASSERT_EQ(r.GetSize(), 1);
  ExpectEntry(r, 0, L"Mid", 2, 0, 4);
  Ask(line, 2.0, 3.0, SNAP_END | SNAP_MID, 0);  // outside the box grown by the distance

  const double ref[2] = {3.0, 5.0};
  m_settings.SetSnapRefPoint(ref);
  r = Ask(line, 0.6, 0.3, SNAP_PERP, 1);
  // Foot of (3, 5, 0) on the line through (0,0,2)-(4,0,6): parameter 1/8 along it.
  ExpectEntry(r, 0, L"Perp", 0.5, 0, 2.5);
  const double behind[2] = {1.0, 5.0};  // its foot lies before the start
  m_settings.SetSnapRefPoint(behind);
  Ask(line, 0.6, 0.3, SNAP_PERP, 0);
  Ask(line, 0.6, 0.3, SNAP_CENTER, 0);
  m_snap.m_pKXGlobal = nullptr;
  Ask(line, 0.2, 0.1, SNAP_END, 0);
}

TEST_F(Snap3d, ThreeDViewMeasuresAlongTheViewDirection) {
  m_view.SetView3D();
  const double s[3] = {5, 5, 100}, e[3] = {9, 5, 100};
  CGeLine3d line(s, e);
  // No box test in 3D: the start is straight below the cursor's line of sight.
  auto r = Ask(line, 5.1, 5.2, SNAP_END, 1);
  ExpectEntry(r, 0, L"End", 5, 5, 100);
  Ask(line, 6.0, 6.0, SNAP_END, 0);
}

TEST_F(Snap3d, ArcEndsAndCentreWithTheAlignmentOption) {
  const double c[3] = {2, 2, 1};
  CGeArc3d arc;
  ASSERT_EQ(arc.CreateCricleXY(c, 3.0), 1);
  arc.m_dSweep = std::numbers::pi / 2;  // from (5, 2) to (2, 5)
  arc.DiscreteMe(0.01);
  auto r = Ask(arc, 4.8, 2.1, SNAP_END | SNAP_CENTER, 1);
  ASSERT_EQ(r.GetSize(), 1);
  ExpectEntry(r, 0, L"End", 5, 2, 1);
  r = Ask(arc, 2.2, 1.9, SNAP_CENTER, 1);
  ExpectEntry(r, 0, L"Center", 2, 2, 1);
  // Aligned: the centre shares its x with the cursor, the end (2, 5) too.
  m_snap.m_bAlign = 1;
  r = Ask(arc, 2.3, -4.0, SNAP_END | SNAP_CENTER, 1);
  ASSERT_EQ(r.GetSize(), 2);
  ExpectEntry(r, 0, L"End", 2, 5, 1);
  ExpectEntry(r, 1, L"Center", 2, 2, 1);
}

TEST_F(Snap3d, PolylineOffersEveryVertexMidAndFootNearby) {
  auto pl = std::make_unique<CGePolyline3d>();
  const double v[4][3] = {{0, 0, 0}, {0.3, 0, 1}, {0.3, 0.3, 2}, {8, 0.3, 3}};
  ASSERT_EQ(pl->Create(4, v), 1);
  auto r = Ask(*pl, 0.15, 0.1, SNAP_END, 1);
  ASSERT_EQ(r.GetSize(), 3);  // no stop at the first vertex found
  ExpectEntry(r, 2, L"End", 0.3, 0.3, 2);
  r = Ask(*pl, 0.15, 0.1, SNAP_MID, 1);
  ASSERT_EQ(r.GetSize(), 2);
  ExpectEntry(r, 0, L"Mid", 0.15, 0, 0.5);
  const double ref[2] = {4.0, -3.0};
  m_settings.SetSnapRefPoint(ref);
  r = Ask(*pl, 4.0, 0.1, SNAP_PERP, 1);
  ASSERT_EQ(r.GetSize(), 1);
  EXPECT_EQ(r.GetLabel(0), CString(L"Perp"));
  // Foot of (4, -3, 0) on the last segment, in space.
  const double t = (7.7 * 3.7 - 2.0) / (7.7 * 7.7 + 1.0);
  ExpectEntry(r, 0, L"Perp", 0.3 + 7.7 * t, 0.3, 2.0 + t);
}

}  // namespace
