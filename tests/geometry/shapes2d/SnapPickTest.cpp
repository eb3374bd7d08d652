// Snap candidates of lines and arcs, their ordering, and the pick and hit records.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "support/VurodeFixture.h"

namespace {

constexpr int kAllKinds = SNAP_END | SNAP_NEAR | SNAP_MID | SNAP_CENTER | SNAP_PERP | SNAP_TAN |
                          SNAP_QUAD;

struct Candidate {
  std::string label;
  double x, y;
};

std::vector<Candidate> Candidates(const CSnapResult& r) {
  std::vector<Candidate> out;
  for (int i = 0; i < r.GetSize(); ++i) {
    std::string label;
    for (wchar_t ch : std::wstring(r.GetLabel(i).GetString())) label += static_cast<char>(ch);
    out.push_back({label, r.GetPos(i).x, r.GetPos(i).y});
    EXPECT_EQ(r.GetEntity(i), nullptr);
  }
  return out;
}

void ExpectCandidates(const CSnapResult& r, const std::vector<Candidate>& want) {
  const auto got = Candidates(r);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].label, want[i].label) << i;
    EXPECT_NEAR(got[i].x, want[i].x, 1e-6) << i;
    EXPECT_NEAR(got[i].y, want[i].y, 1e-6) << i;
  }
}

class SnapTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_view.SetViewRect(CRect(0, 0, 400, 400));
    m_view.SetScale(20.0);  // 20 world units across the view, centred at the origin
    m_view.SetOrigin(0.0, 0.0);
    m_snap.m_pVurode = &m_view;
    m_snap.m_pKXGlobal = &m_kx;
    m_snap.m_nMask = kAllKinds;
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
  CVurode m_view;
  CKXGlobal m_kx;
  CSnapAt m_snap;
};

TEST_F(SnapTest, LineOffersEndNearMidPerpInOrder) {
  const double s[2] = {0, 0}, e[2] = {8, 0};
  CGeLine line(s, e);
  CSnapResult r;
  At(0.3, 0.2);
  EXPECT_EQ(line.GetSnapPos(&m_snap, r), 1);
  ExpectCandidates(r, {{"End", 0, 0}, {"Near", 0.3, 0}});

  CSnapResult r2;
  Ref(4.2, 3.0);
  At(4.1, 0.1);
  EXPECT_EQ(line.GetSnapPos(&m_snap, r2), 1);
  ExpectCandidates(r2, {{"Near", 4.1, 0}, {"Mid", 4, 0}, {"Perp", 4.2, 0}});
}

TEST_F(SnapTest, LineHonoursTheMaskAndItsBox) {
  const double s[2] = {0, 0}, e[2] = {8, 0};
  CGeLine line(s, e);
  At(0.3, 0.2);
  m_snap.m_nMask = SNAP_NEAR;
  CSnapResult r;
  EXPECT_EQ(line.GetSnapPos(&m_snap, r), 1);
  ExpectCandidates(r, {{"Near", 0.3, 0}});
  m_snap.m_nMask = SNAP_MID | SNAP_PERP;
  CSnapResult none;
  EXPECT_EQ(line.GetSnapPos(&m_snap, none), 0);
  EXPECT_EQ(none.GetSize(), 0);

  // Outside the box grown by the snap distance nothing is offered, whatever the switch says.
  m_snap.m_nMask = kAllKinds;
  m_kx.SetSnapAlign(TRUE);
  At(4.0, 3.0);
  CSnapResult far;
  EXPECT_EQ(line.GetSnapPos(&m_snap, far), 0);
  // Without a view or settings object there is nothing either.
  At(0.3, 0.2);
  m_snap.m_pVurode = nullptr;
  EXPECT_EQ(line.GetSnapPos(&m_snap, far), 0);
}

TEST_F(SnapTest, LineAlignmentOffersAlignedEnds) {
  const double s[2] = {0, 0}, e[2] = {8, 0};
  CGeLine line(s, e);
  m_snap.m_bAlign = 1;
  At(0.2, 6.0);  // straight above the start
  CSnapResult r;
  EXPECT_EQ(line.GetSnapPos(&m_snap, r), 1);
  ExpectCandidates(r, {{"End", 0, 0}});
}

TEST_F(SnapTest, ArcOffersCenterNearEndTanPerp) {
  const double c[2] = {0, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 5.0, 0.0, std::numbers::pi / 2), 1);
  arc.Discrete(0.01);
  CSnapResult r;
  At(5.1, 0.2);
  EXPECT_EQ(arc.GetSnapPos(&m_snap, r), 1);
  const double k = 5.0 / std::hypot(5.1, 0.2);
  ExpectCandidates(r, {{"Near", 5.1 * k, 0.2 * k}, {"End", 5, 0}});

  // Tangent points from the reference point (10, 0) lie at +-60 degrees; one is on the arc.
  Ref(10.0, 0.0);
  At(2.6, 4.4);
  CSnapResult t;
  EXPECT_EQ(arc.GetSnapPos(&m_snap, t), 1);
  const double k2 = 5.0 / std::hypot(2.6, 4.4);
  ExpectCandidates(t, {{"Near", 2.6 * k2, 4.4 * k2}, {"Tan", 2.5, 5.0 * std::sqrt(3.0) / 2}});

  // The perpendicular foot of the reference point is the arc's start.
  At(5.2, 0.0);
  m_snap.m_nMask = SNAP_PERP | SNAP_TAN;
  CSnapResult p;
  EXPECT_EQ(arc.GetSnapPos(&m_snap, p), 1);
  ExpectCandidates(p, {{"Perp", 5, 0}});
}

TEST_F(SnapTest, ArcCentreTwiceWhenAlignedAndNear) {
  const double c[2] = {0, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 5.0, 0.0, 1.0), 1);
  m_snap.m_bAlign = 1;
  m_snap.m_nMask = SNAP_CENTER;
  At(0.1, 0.1);
  CSnapResult r;
  EXPECT_EQ(arc.GetSnapPos(&m_snap, r), 1);
  ExpectCandidates(r, {{"Center", 0, 0}, {"Center", 0, 0}});
  m_snap.m_nMask = SNAP_NEAR | SNAP_TAN | SNAP_PERP | SNAP_MID | SNAP_QUAD;
  CSnapResult none;
  EXPECT_EQ(arc.GetSnapPos(&m_snap, none), 0);  // far from the arc, no reference point
}

TEST(SnapResultTest, SortDistOrdersAndNeverLeavesNearFirst) {
  const double o[2] = {0, 0};
  Position cursor;
  CSnapResult lone;
  lone.PushBackNear(o);
  lone.SortDist(cursor);
  ExpectCandidates(lone, {{"Near", 0, 0}});

  const double p1[2] = {1, 0}, p2[2] = {0, 2}, p3[2] = {0, -2}, p4[2] = {3, 0};
  CSnapResult r;
  r.PushBackQuad(p4);
  r.PushBackEnd(p2);
  r.PushBackNear(p1);
  r.PushBackMid(p3);  // as far as the "End": keeps its place behind it
  r.SortDist(cursor);
  ExpectCandidates(r, {{"End", 0, 2}, {"Near", 1, 0}, {"Mid", 0, -2}, {"Quad", 3, 0}});

  CSnapResult labels;
  labels.PushBackPnt(o);
  labels.PushBackCen(o);
  labels.PushBackInt(o);
  labels.PushBackPerp(o);
  labels.PushBackTan(o);
  labels.PushBackGrid(o);
  labels.PushBack(cursor, CString(L"Mid"), nullptr);
  ExpectCandidates(labels, {{"Point", 0, 0}, {"Center", 0, 0}, {"Inter", 0, 0}, {"Perp", 0, 0},
                            {"Tan", 0, 0}, {"Grid", 0, 0}, {"Mid", 0, 0}});
}

TEST(SnapAtTest, DefaultsAndAperture) {
  CSnapAt snap;
  EXPECT_EQ(snap.m_nMask, 0);
  EXPECT_EQ(snap.m_bAlign, 0);
  EXPECT_EQ(snap.m_pVurode, nullptr);
  snap.m_nAperture = 3;
  snap.m_pos.sx = 12;
  snap.m_pos.sy = 5;
  _tagBox2D box = {{0, 0}, {10, 10}};
  EXPECT_EQ(snap.IsInBoxView(box), 1);
  snap.m_pos.sx = 14;
  EXPECT_EQ(snap.IsInBoxView(box), 0);
}

using PickRayTest = VurodeTest;

TEST_F(PickRayTest, DefaultsInA2DView) {
  CVurode view;
  view.SetView2D();
  gSetVurode(&view);
  CKXGlobal* kx = gNewKXGlobal();
  CPickRay ray;
  EXPECT_EQ(ray.m_vDir[0], 0.0);
  EXPECT_EQ(ray.m_vDir[2], 1.0);
  EXPECT_EQ(ray.m_nTypeMask, 0xfffff);
  EXPECT_EQ(ray.m_dDist2D, 1e12);
  EXPECT_EQ(ray.m_dDist3D, 1e12);
  EXPECT_EQ(ray.m_nIndex, -1);
  EXPECT_EQ(ray.m_b2D, 1);
  EXPECT_EQ(ray.m_dRadius, kx->GetWorldPickRad());

  Position pos(3, 4, 5);
  pos.sx = 7;
  pos.sy = 9;
  CPickRay at(pos);
  EXPECT_EQ(at.m_nIndex, -1);
  EXPECT_EQ(at.m_nScrX, 7);
  EXPECT_EQ(at.m_ptOrigin[2], 5.0);
  CPickRay wide(pos, -2.5);
  EXPECT_EQ(wide.m_dRadius, 2.5);
  EXPECT_EQ(wide.m_ptOrigin[0], 3.0);
}

TEST_F(PickRayTest, A3DRayLooksAlongTheCamera) {
  CVurode view;
  view.SetView3D();
  gSetVurode(&view);
  COpenGLDC gl;
  const double eye[3] = {0, 0, 10}, ref[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  gl.GetCamera().set_view(eye, ref, up);
  gSetOpenGLDC(&gl);
  Position pos(1, 2, 0);
  CPickRay ray(pos);
  EXPECT_EQ(ray.m_b2D, 0);
  double dir[3];
  gl.GetCamera().get_viewdirection(dir);
  const double len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(ray.m_vDir[i], dir[i] / len, 1e-12);
  CPickRay back(pos, 0.5);
  gl.GetCamera().CalculateFocalLength();
  const double f = gl.GetCamera().GetFocalLength();
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(back.m_ptOrigin[i], pos.x * (i == 0) + pos.y * (i == 1) - f * ray.m_vDir[i], 1e-9);
}

TEST(HitResultTest, InitialValues) {
  CGeHitResult hit;
  hit.m_nSeg = 4;
  hit.m_ptHit[0] = 3;
  CGeHitResult copy;
  copy = hit;
  EXPECT_EQ(copy.m_nSeg, 4);
  EXPECT_EQ(copy.m_ptHit[0], 3);
  hit.Init();
  EXPECT_EQ(hit.m_pCurve, nullptr);
  EXPECT_EQ(hit.m_nSeg, -1);
  EXPECT_EQ(hit.m_dT, -1.0);
  EXPECT_EQ(hit.m_ptHit[0], 0.0);
  EXPECT_EQ(hit.m_dData1, -1.0);
  EXPECT_EQ(hit.m_dData2, -1.0);
  EXPECT_EQ(hit.m_nData1, 0);
}

}  // namespace
