#include "millvane/surface/EdInterCurve.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "millvane/kernel/KernelRecords.h"
#include "tests/millvane/surface/EditorFixture.h"

namespace {

// A trimmed surface with its kernel record, as the trim job gives every surface.
struct KernelSurf {
  std::unique_ptr<CGeTrimSurf> ts;
  explicit KernelSurf(_nurbs_surface* srf) : ts(edt::Untrimmed(srf)) {
    ts->m_pKernelSurf = SRF_NewBspline(BSRF_Clone(srf));
  }
  ~KernelSurf() { ENT_Free(static_cast<ENT_Record*>(ts->m_pKernelSurf)); }
};

using Pts = std::vector<std::array<double, 2>>;

std::unique_ptr<CEdInterCurve> UvCurve(Pts pts, CEdTrimSurf& ed) {
  auto c = std::make_unique<CEdInterCurve>();
  EXPECT_EQ(c->Create(reinterpret_cast<double(*)[2]>(pts.data()), int(pts.size()), &ed), 1);
  return c;
}

std::vector<std::pair<double, int>> Places(const CEdInterCurve& c) {
  std::vector<std::pair<double, int>> out;
  for (CEdInterPoint* p = c.m_pFirstPt; p; p = p->m_pNext) out.push_back({p->m_dParam, p->m_nKind});
  return out;
}

struct KeptCase {
  const char* name;
  Pts uv;
  Pts kept;  // the stretch inside the unit domain: crossing, vertices, crossing
};

class EdInterCurveKept : public ::testing::TestWithParam<KeptCase> {};

TEST_P(EdInterCurveKept, ValidRecordReproducesKeptStretch) {
  KernelSurf ks(edt::Plane(2.0, 3.0));
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ks.ts.get()), 1);
  auto c = UvCurve(GetParam().uv, ed);
  ASSERT_EQ(c->InterWithLoop(ed.m_pFirstLoop, 1), 1);
  c->AddEndPoint();
  CTypedPtrList<CPtrList, _intcur*> list;
  c->GetValidIntCur(&list);
  ASSERT_EQ(list.GetCount(), 1);
  _intcur* rec = list.GetHead();
  ASSERT_NE(rec->surfaceA, nullptr);
  EXPECT_EQ(rec->surfaceB, nullptr);
  const auto& kept = GetParam().kept;
  ASSERT_EQ(rec->points->count, int(kept.size()));
  CEdInterCurve back;
  ASSERT_EQ(back.Create(rec, &ed, nullptr), 1);
  ASSERT_EQ(back.m_nLast + 1, int(kept.size()));
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_NEAR(back.m_pPoints[i][3], kept[i][0], 1e-12) << i;
    EXPECT_NEAR(back.m_pPoints[i][4], kept[i][1], 1e-12) << i;
    // the plane maps (u, v) to (2u, 3v, 0)
    EXPECT_NEAR(back.m_pPoints[i][0], 2 * kept[i][0], 1e-9) << i;
    EXPECT_NEAR(back.m_pPoints[i][1], 3 * kept[i][1], 1e-9) << i;
  }
  for (POSITION pos = list.GetHeadPosition(); pos;) CEdInterCurve::FreeValidIntCur(list.GetNext(pos));
}

INSTANTIATE_TEST_SUITE_P(
    Stretches, EdInterCurveKept,
    ::testing::Values(
        KeptCase{"crossing_inside_segments",
                 {{-0.2, 0.5}, {0.1, 0.5}, {0.4, 0.45}, {0.7, 0.55}, {1.3, 0.55}},
                 {{0, 0.5}, {0.1, 0.5}, {0.4, 0.45}, {0.7, 0.55}, {1, 0.55}}},
        KeptCase{"starting_on_a_vertex",
                 {{-0.2, 0.5}, {0.0, 0.5}, {0.5, 0.6}, {1.0, 0.5}, {1.2, 0.5}},
                 {{0, 0.5}, {0.5, 0.6}, {1.0, 0.5}}},
        KeptCase{"inside_from_end_to_end", {{0.2, 0.2}, {0.5, 0.3}, {0.8, 0.2}},
                 {{0.2, 0.2}, {0.5, 0.3}, {0.8, 0.2}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Opens the protected point operations for the merge test.
struct ProbeCurve : CEdInterCurve {
  int Add(double t, int kind) {
    auto* q = new CEdInterPoint;
    q->m_dParam = t;
    q->m_nKind = kind;
    GetPoint(t, q->m_pt);
    return AddNewPoint(q);
  }
};

TEST(EdInterCurve, NearbyPlacesMergeWithUnionOfKinds) {
  KernelSurf ks(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  Pts pts{{0.1, 0.1}, {0.2, 0.1}, {0.21, 0.1}, {0.5, 0.1}};
  ProbeCurve c;
  ASSERT_EQ(c.Create(reinterpret_cast<double(*)[2]>(pts.data()), 4, &ed), 1);
  c.AddEndPoint();
  ASSERT_EQ(Places(c).size(), 2u);
  EXPECT_EQ(c.Add(1.5, 2), 1);
  EXPECT_EQ(c.Add(2.0, 4), 0) << "0.005 away in space, 0.5 in parameter";
  EXPECT_EQ(c.Add(1.5 + 5e-6, 2), 0);
  EXPECT_EQ(c.Add(2.5, 8), 1) << "0.15 away in space";
  const auto after = Places(c);
  const std::vector<std::pair<double, int>> want{{0.0, 1}, {1.5, 2 | 4}, {2.5, 8}, {3.0, 1}};
  EXPECT_EQ(after, want);
  c.Reset();
  EXPECT_EQ(c.CountPoints(), 0);
}

TEST(EdInterCurve, ClosedRingTouchesItselfOnce) {
  KernelSurf ks(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  auto ring = edt::Circle(0.5, 0.5, 0.2, 24);
  auto c = UvCurve(ring, ed);
  ASSERT_EQ(c->InterWithSelf(), 1);
  EXPECT_EQ(c->m_bClosed, 1);
  auto pl = Places(*c);
  ASSERT_EQ(pl.size(), 2u);
  EXPECT_EQ(pl[0], std::make_pair(0.0, 32));
  EXPECT_EQ(pl[1], std::make_pair(24.0, 32));
  auto open = UvCurve({{0.1, 0.1}, {0.3, 0.2}, {0.5, 0.1}, {0.7, 0.2}}, ed);
  EXPECT_EQ(open->InterWithSelf(), 0);
}

TEST(EdInterCurve, CurvesOnOneEditorCrossAndCutTheDomain) {
  KernelSurf ks(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  auto h = UvCurve({{-0.5, 0.4}, {1.5, 0.4}}, ed);
  auto v = UvCurve({{0.6, -0.5}, {0.6, 1.5}}, ed);
  EXPECT_EQ(h->InterWithIntCurve(*v), 1);
  ASSERT_EQ(h->CountPoints(), 1);
  EXPECT_EQ(h->m_pFirstPt->m_nKind, 8);  // one shared editor (neither has a second)
  EXPECT_NEAR(h->m_pFirstPt->m_pt[3], 0.6, 1e-12);
  EXPECT_NEAR(v->m_pFirstPt->m_pt[4], 0.4, 1e-12);
  for (auto* c : {h.get(), v.get()}) {
    c->InterWithLoop(ed.m_pFirstLoop, 1);
    c->AddEndPoint();
  }
  for (auto* c : {h.get(), v.get()}) ed.AddIntBounds(c->GetValidBound(&ed, 0));
  int pieces = 0;
  for (CEdTrimBound* b = ed.m_pFirstCurve; b; b = b->m_pNext) ++pieces;
  EXPECT_EQ(pieces, 4);  // each curve is kept on both sides of the other
  ed.TrimSurface(0);
  std::vector<double> areas;
  for (CEdTrimLoop* l = ed.m_pResult; l; l = l->m_pNext) areas.push_back(l->CalcLoopArea());
  const std::vector<double> want{0.6 * 0.6, 0.4 * 0.6, 0.6 * 0.4, 0.4 * 0.4};
  ASSERT_EQ(areas.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(areas[i], want[i], 1e-9);
}

TEST(EdInterCurve, HoleSplitsTheCurveAndItsInsideIsNotKept) {
  auto srf = edt::Plane();
  const _tagBox2D box{{0, 0}, {1, 1}};
  auto ts = std::make_unique<CGeTrimSurf>(srf, box);
  ts->AddLoop(ts->GenRectTrimLoop(0, 1, 0, 1));
  ts->m_pKernelSurf = SRF_NewBspline(BSRF_Clone(srf));
  {
    auto hole = edt::PolygonTrimmed(edt::Plane(), {{0.4, 0.3}, {0.6, 0.3}, {0.6, 0.7}, {0.4, 0.7}});
    CGeTrimLoop* h = hole->m_LoopList.RemoveHead();
    ts->AddLoop(h);  // added loops after the first become holes
  }
  CEdTrimSurf ed;
  ASSERT_EQ(ed.InitSurfBound(ts.get()), 1);
  auto c = UvCurve({{0.1, 0.5}, {0.9, 0.5}}, ed);
  c->InterWithLoop(ed.m_pFirstLoop, 1);
  c->AddEndPoint();
  CEdInterLine* lines = c->GetValidSegment(0);
  std::vector<std::pair<double, double>> spans;
  for (CEdInterLine* l = lines; l; l = l->m_pNext) spans.push_back({l->m_uvAStart[0], l->m_uvAEnd[0]});
  GeoEdit_DeleteLines(lines);
  EXPECT_EQ(lines, nullptr);
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].first, 0.1, 1e-12);
  EXPECT_NEAR(spans[0].second, 0.4, 1e-12);
  EXPECT_NEAR(spans[1].first, 0.6, 1e-12);
  EXPECT_NEAR(spans[1].second, 0.9, 1e-12);
  ENT_Free(static_cast<ENT_Record*>(ts->m_pKernelSurf));
}

TEST(EdInterCurve, OneSidedRecordRecomputesSpacePointsAndBadInputIsRefused) {
  KernelSurf ks(edt::Plane(4.0, 1.0));
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  SSI_PointList* pl = SSI_NewPointList(2, nullptr);
  pl->points[0].uvB[0] = 0.25;
  pl->points[0].uvB[1] = 0.5;
  pl->points[1].uvB[0] = 0.75;
  pl->points[1].uvB[1] = 0.5;
  _intcur* rec = SSI_NewCurve(nullptr, nullptr, pl);
  rec->flagB = 1;
  CEdInterCurve c;
  ASSERT_EQ(c.Create(rec, nullptr, &ed), 1);
  EXPECT_NEAR(c.m_pPoints[0][0], 1.0, 1e-12);
  EXPECT_NEAR(c.m_pPoints[1][0], 3.0, 1e-12);
  EXPECT_EQ(c.m_pPoints[1][3], 0.0);
  EXPECT_EQ(c.m_nSideB, 1);
  CEdInterCurve d;
  EXPECT_EQ(d.Create(rec, nullptr, nullptr), 0);
  CEdTrimSurf empty;
  EXPECT_EQ(d.Create(rec, &empty, &ed), 0);
  pl->count = 1;
  EXPECT_EQ(d.Create(rec, nullptr, &ed), 0);
  EXPECT_EQ(d.Create(nullptr, &ed, nullptr), 0);
  double one[1][2] = {{0.5, 0.5}};
  EXPECT_EQ(d.Create(one, 1, &ed), 0);
  pl->count = 2;
  SSI_FreeCurve(rec);
}

TEST(EdInterCurve, SeamCrossingCurveIsMovedIntoOnePeriod) {
  KernelSurf ks(edt::Cylinder());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  ASSERT_EQ(ed.m_bUPeriodic, 1);
  auto c = UvCurve({{2.2, 0.3}, {2.4, 0.4}}, ed);
  EXPECT_NEAR(c->m_pPoints[0][3], 0.2, 1e-12);
  EXPECT_NEAR(c->m_pPoints[1][3], 0.4, 1e-12);
  EXPECT_EQ(c->m_bPeriodic[0], 0) << "fits into one period";
  auto w = UvCurve({{-0.3, 0.3}, {0.2, 0.4}}, ed);
  EXPECT_NEAR(w->m_pPoints[0][3], 0.7, 1e-12);
  EXPECT_EQ(w->m_bPeriodic[0], 1);
}

}  // namespace

namespace {

// Plane B stands on the line x = 0.5 of plane A: B(u, v) = (0.5, u, v - 0.5). They meet along
// x = 0.5, z = 0: on A at (0.5, y), on B at (y, 0.5).
_nurbs_surface* StandingPlane() {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = 0.5;
      s->net[j][i][1] = i;
      s->net[j][i][2] = j - 0.5;
      s->net[j][i][3] = 1.0;
    }
  return s;
}

_intcur* MeetingLine(double bOffset) {
  const int n = 8;
  SSI_PointList* pl = SSI_NewPointList(n, nullptr);
  for (int i = 0; i < n; ++i) {
    const double y = -0.2 + 1.4 * i / (n - 1);
    SSI_TracedPoint& p = pl->points[i];
    p.point[0] = 0.5;
    p.point[1] = y;
    p.uvA[0] = 0.5;
    p.uvA[1] = y;
    p.uvB[0] = y;
    p.uvB[1] = 0.5 + bOffset;
  }
  _intcur* rec = SSI_NewCurve(nullptr, nullptr, pl);
  rec->flagA = 1;
  rec->flagB = 0;
  return rec;
}

TEST(EdInterCurve, TwoSurfaceCurveIsCutByBothDomains) {
  for (double off : {0.0, 0.1}) {
    KernelSurf ka(edt::Plane()), kb(StandingPlane());
    CEdTrimSurf ea, eb;
    ea.InitSurfBound(ka.ts.get());
    eb.InitSurfBound(kb.ts.get());
    _intcur* rec = MeetingLine(off);
    CEdInterCurve c;
    ASSERT_EQ(c.Create(rec, &ea, &eb), 1);
    SSI_FreeCurve(rec);
    EXPECT_EQ(c.m_nSideA, 1);
    EXPECT_EQ(c.m_nSideB, 0);
    EXPECT_EQ(c.InterWithLoop(ea.m_pFirstLoop, 1), 1);
    EXPECT_EQ(c.InterWithLoop(eb.m_pFirstLoop, 1), 1);
    c.AddEndPoint();
    // The domains end at y = 0 and y = 1 on both surfaces: the crossings merge.
    std::vector<int> kinds;
    for (CEdInterPoint* p = c.m_pFirstPt; p; p = p->m_pNext) kinds.push_back(p->m_nKind);
    ASSERT_EQ(kinds, (std::vector<int>{1, 2 | 4, 2 | 4, 1})) << off;
    // B's coordinates at the crossing with A's edge come from the surface, not the record.
    const CEdInterPoint* x = c.m_pFirstPt->m_pNext;
    EXPECT_NEAR(x->m_pt[5], 0.0, 1e-6);
    EXPECT_NEAR(x->m_pt[6], 0.5, 1e-4) << off;
    std::unique_ptr<CEdTrimBound> ba(c.GetValidBound(&ea, 0)), bb(c.GetValidBound(&eb, 0));
    ASSERT_TRUE(ba && bb);
    EXPECT_EQ(ba->m_pNext, nullptr);
    EXPECT_EQ(ba->m_nKeep, 1);
    EXPECT_EQ(bb->m_nKeep, 0);
    EXPECT_NEAR(ba->m_pPoints[0][1], 0.0, 1e-12);
    EXPECT_NEAR(ba->m_pPoints[ba->m_nLast][1], 1.0, 1e-12);
    EXPECT_NEAR(bb->m_pPoints[bb->m_nLast][0], 1.0, 1e-12);
    // World points of a bound lie on its surface.
    ASSERT_TRUE(ba->m_pWorld);
    EXPECT_NEAR(ba->m_pWorld[0][0], 0.5, 1e-12);
  }
}

TEST(EdInterCurve, NearPlacesWithCurvesBoundsAndItself) {
  KernelSurf ks(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  // Two curves 0.005 apart that never cross: one near pair.
  auto a = UvCurve({{0.2, 0.5}, {0.4, 0.5}, {0.6, 0.5}, {0.8, 0.5}}, ed);
  auto b = UvCurve({{0.3, 0.505}, {0.5, 0.505}, {0.7, 0.505}}, ed);
  EXPECT_EQ(a->InterWithIntCurve(*b), 0);
  ASSERT_EQ(a->CreateNearPoint(b.get(), 0.0), 1);
  ASSERT_EQ(a->CountPoints(), 1);
  ASSERT_EQ(b->CountPoints(), 1);
  EXPECT_EQ(a->m_pFirstPt->m_nKind, 64);
  EXPECT_EQ(a->m_pFirstPt->m_pEditor, &ed);
  EXPECT_NEAR(a->m_pFirstPt->m_pt[1], 0.5025, 1e-12) << "both take the midpoint";
  EXPECT_NEAR(b->m_pFirstPt->m_pt[1], 0.5025, 1e-12);
  // A curve 0.005 above the bottom edge gets a near point there, and the edge a crossing.
  auto low = UvCurve({{0.3, 0.005}, {0.6, 0.005}}, ed);
  CEdTrimBound* bottom = ed.m_pFirstLoop->m_pFirst;
  EXPECT_EQ(low->InterWithLoop(ed.m_pFirstLoop, 1), 1);
  ASSERT_EQ(low->CountPoints(), 1);
  EXPECT_EQ(low->m_pFirstPt->m_nKind, 128);
  ASSERT_EQ(bottom->CountIntPoints(), 1);
  EXPECT_NEAR(bottom->m_pIntHead->p[1], 0.0, 1e-12);
  // A hairpin passes 0.005 from itself: two places of kind 32, on opposite legs.
  auto pin = UvCurve({{0.2, 0.3}, {0.4, 0.3}, {0.6, 0.3}, {0.6, 0.305}, {0.4, 0.305}, {0.2, 0.305}},
                     ed);
  EXPECT_EQ(pin->InterWithSelf(), 0);
  ASSERT_EQ(pin->CreateNearPoint(), 1);
  auto pl = Places(*pin);
  ASSERT_EQ(pl.size(), 2u);
  EXPECT_EQ(pl[0].second, 32);
  EXPECT_LT(pl[0].first, 2.0);
  EXPECT_GT(pl[1].first, 3.0);
}

}  // namespace

namespace {

TEST(EdInterCurve, HostileValuesStayBounded) {
  KernelSurf ks(edt::Cylinder());
  CEdTrimSurf ed;
  ed.InitSurfBound(ks.ts.get());
  // A far u is brought into the period in one step; NaN points give no crossing.
  auto far = UvCurve({{1e15 + 0.25, 0.2}, {1e15 + 0.35, 0.3}}, ed);
  EXPECT_GE(far->m_pPoints[0][3], 0.0);
  EXPECT_LE(far->m_pPoints[0][3], 1.0);
  const double nan = std::nan("");
  auto bad = UvCurve({{nan, 0.2}, {0.5, nan}, {0.7, 0.8}}, ed);
  bad->InterWithLoop(ed.m_pFirstLoop, 1);
  bad->InterWithSelf();
  bad->CreateNearPoint();
  bad->AddEndPoint();
  CTypedPtrList<CPtrList, _intcur*> list;
  bad->GetValidIntCur(&list);
  for (POSITION pos = list.GetHeadPosition(); pos;) CEdInterCurve::FreeValidIntCur(list.GetNext(pos));
  std::unique_ptr<CEdTrimBound> b(bad->GetValidBound(&ed, 1));
  while (b && b->m_pNext) {
    std::unique_ptr<CEdTrimBound> next(b->m_pNext);
    b->m_pNext = nullptr;
    b = std::move(next);
  }
  // The editor takes the same string and still trims.
  double pts[3][2] = {{nan, 0.2}, {0.5, nan}, {0.7, 0.8}};
  ed.AddCurve(pts, 3);
  ed.AutoIntersect(true);
  EXPECT_EQ(ed.TrimSurface(1), 1);
  EXPECT_NE(ed.m_pResult, nullptr);
}

}  // namespace
