// Drawing, node markers and snap candidates of Bezier curves and polylines.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/SnapAt.h"
#include "support/ViewFixture.h"

namespace {

using Kind = CRecordingDC::Kind;

class BezierDrawSnapTest : public View100Test {
 protected:
  void SetUp() override {
    View100Test::SetUp();
    const double pts[3][2] = {{10, 10}, {40, 60}, {80, 20}};
    ASSERT_EQ(m_bez.Create(3, pts), 1);
  }
  CGeBezier m_bez;
};

TEST_F(BezierDrawSnapTest, ExactDrawingSendsOneBezierCallPerSegment) {
  m_bez.Draw(&m_dc, 0);
  ASSERT_EQ(m_dc.Count(Kind::PolyBezier), 2u);
  const auto& second = m_dc.GetCalls()[1];
  ASSERT_EQ(second.points.size(), 4u);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(second.points[k], m_view.WorldtoScreen(m_bez.m_pNode[3 + k].x, m_bez.m_pNode[3 + k].y));
  // A nonzero mode draws the flattened points instead.
  m_dc.ClearCalls();
  m_bez.Draw(&m_dc, 1);
  EXPECT_EQ(m_dc.Count(Kind::PolyBezier), 0u);
  EXPECT_GT(m_dc.GetCalls().size(), 0u);
  // No view, no drawing.
  m_dc.ClearCalls();
  gSetVurode(nullptr);
  m_bez.Draw(&m_dc, 0);
  EXPECT_TRUE(m_dc.GetCalls().empty());
}

TEST_F(BezierDrawSnapTest, NodeMarkersOnMainNodesOnly) {
  m_bez.DrawNode(&m_dc, 1, 1);
  ASSERT_EQ(m_dc.GetCalls().size(), 3u);
  EXPECT_EQ(m_dc.GetCalls()[0].kind, Kind::Ellipse);
  EXPECT_EQ(m_dc.GetCalls()[0].penColor, RGB(0, 125, 0));
  const CPoint mid = m_view.WorldtoScreen(40.0, 60.0);
  EXPECT_EQ(m_dc.GetCalls()[1].kind, Kind::Rectangle);
  EXPECT_EQ(m_dc.GetCalls()[1].points[0], CPoint(mid.x - 3, mid.y - 3));
  // Without the start and end markers only the inner main node is left.
  m_dc.ClearCalls();
  m_bez.DrawNode(&m_dc, 0, 0);
  ASSERT_EQ(m_dc.GetCalls().size(), 1u);
  EXPECT_EQ(m_dc.GetCalls()[0].points[0], CPoint(mid.x - 3, mid.y - 3));

  // A closed polyline skips its last vertex (it repeats the first).
  const double sq[5][2] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 10}};
  CGePolyline pl;
  ASSERT_EQ(pl.Create(5, sq), 1);
  m_dc.ClearCalls();
  pl.DrawNode(&m_dc, 1, 1);
  EXPECT_EQ(m_dc.Count(Kind::Ellipse), 1u);
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 3u);
}

TEST_F(BezierDrawSnapTest, SnapCandidates) {
  CKXGlobal settings;
  CSnapAt snap;
  snap.m_pVurode = &m_view;
  snap.m_pKXGlobal = &settings;
  snap.m_dSnapDist = 2.0;

  // End: the inner main node near the cursor.
  snap.m_nMask = SNAP_END;
  snap.m_pos.Set2(41.0, 59.5);
  CSnapResult ends;
  ASSERT_EQ(m_bez.GetSnapPos(&snap, ends), 1);
  ASSERT_EQ(ends.GetSize(), 1);
  EXPECT_EQ(ends.GetLabel(0), CString(L"End"));
  EXPECT_EQ(ends.GetPos(0).x, 40.0);

  // Near: a point on the curve close to the cursor.
  double p[2];
  m_bez.GetPointAt(0.4, p, 2);
  snap.m_nMask = SNAP_NEAR;
  snap.m_pos.Set2(p[0] + 0.5, p[1]);
  CSnapResult nearr;
  ASSERT_EQ(m_bez.GetSnapPos(&snap, nearr), 1);
  EXPECT_EQ(nearr.GetLabel(0), CString(L"Near"));
  EXPECT_LT(std::hypot(nearr.GetPos(0).x - p[0], nearr.GetPos(0).y - p[1]), 0.5);

  // Perp and Tan need the reference point; without it they offer nothing.
  snap.m_nMask = SNAP_PERP | SNAP_TAN;
  CSnapResult none;
  EXPECT_EQ(m_bez.GetSnapPos(&snap, none), 0);
  // Perp: the foot of the reference point, when it lies near the cursor.
  double foot[2], t = 0.0, d = 1e12;
  unsigned seg = 0;
  const double ref[2] = {p[0], p[1] - 15.0};
  ASSERT_EQ(m_bez.GetNearestPoint(ref, foot, t, seg, d), 1);
  settings.SetSnapRefPoint(ref);
  snap.m_nMask = SNAP_PERP;
  snap.m_pos.Set2(foot[0] + 0.3, foot[1]);
  CSnapResult perp;
  ASSERT_EQ(m_bez.GetSnapPos(&snap, perp), 1);
  EXPECT_EQ(perp.GetLabel(0), CString(L"Perp"));
  EXPECT_NEAR(perp.GetPos(0).x, foot[0], 1e-9);
  EXPECT_NEAR(perp.GetPos(0).y, foot[1], 1e-9);
}

}  // namespace
