#include <memory>

#include "KernelFixture.h"
#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/KernelLists.h"

namespace {

using Rec = std::unique_ptr<ENT_Record, RecordDeleter>;

class KernelRecordsTest : public KernelTest {};

TEST_F(KernelRecordsTest, ConstructorsFillDefaults) {
  Rec line(CRV_NewLine(nullptr, nullptr));
  auto* l = static_cast<CRV_Line*>(line.get());
  EXPECT_EQ(l->type, ENT_LINE);
  EXPECT_EQ(l->sense, 1);
  EXPECT_EQ(l->origin[0] + l->origin[1] + l->origin[2], 0.0);
  EXPECT_EQ(l->direction[0], 1.0);
  EXPECT_EQ(l->direction[1] + l->direction[2], 0.0);

  Rec circle(CRV_NewCircle(nullptr, 2.5));
  auto* c = static_cast<CRV_Circle*>(circle.get());
  EXPECT_EQ(c->frame.zAxis[2], 1.0);
  EXPECT_EQ(c->radius, 2.5);

  Rec ext(SRF_NewExtrude(nullptr, nullptr));
  ASSERT_TRUE(ext);
  EXPECT_EQ(static_cast<SRF_Extrude*>(ext.get())->direction[0], 0.0);
}

TEST_F(KernelRecordsTest, BsplineClosureModes) {
  struct Case {
    const char* name;
    BCRV* curve;
    int closure;
  };
  BCRV* circle = BCRV_New();
  const double c0[3] = {1, 2, 0};
  circle->GenCircle(c0, 3.0);
  const Case cases[] = {
      {"open", kt::Polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}), 0},
      {"kinked", kt::Polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}}), 1},
      {"smooth", circle, 2},
  };
  for (const auto& cs : cases) {
    Rec r(CRV_NewBspline(cs.curve));
    EXPECT_EQ(static_cast<CRV_Bspline*>(r.get())->range.closure, cs.closure) << cs.name;
  }
}

TEST_F(KernelRecordsTest, FreeByTypeCode) {
  // The extrusion owns its generator (ASan reports a leak otherwise); the intersection curve
  // leaves its surfaces alone (they are used after it is gone).
  Rec gen(CRV_NewLine(nullptr, nullptr));
  const double up[3] = {0, 0, 1};
  ENT_Record* ext = SRF_NewExtrude(up, gen.release());
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ENT_Free(ext), 1);

  Rec sa(SRF_NewBspline(kt::PlaneZ0(1.0)));
  Rec sb(SRF_NewBspline(kt::PlaneZ0(2.0)));
  _intcur* ic = SSI_NewCurve(sa.get(), sb.get(), SSI_NewPointList(3, nullptr));
  ASSERT_NE(ic, nullptr);
  ic->cache = ARR_New(3, ARR_POINTS | ARR_PARAMS);  // goes with the record
  EXPECT_EQ(ENT_Free(ic), 1);
  double p[3];
  EXPECT_EQ(BSRF_EvPos(static_cast<SRF_Bspline*>(sb.get())->surface, 0.5, 0.5, p), 1);

  ENT_Record* off = SRF_NewOffset(sa.get(), 1.0);
  EXPECT_EQ(ENT_Free(off), 0) << "the owner frees an offset surface";
  KX_MemFree(off);

  ENT_Record odd{ENT_PLANE, 1}, high{31, 1}, unknown{3, 1};
  EXPECT_EQ(ENT_Free(&odd), 0);
  EXPECT_EQ(ENT_Free(&high), 0);
  EXPECT_EQ(ENT_Free(&unknown), 1);
  EXPECT_EQ(ENT_Free(nullptr), 1);
}

TEST_F(KernelRecordsTest, ExtrusionAcceptsOnlyPlanarGenerators) {
  const double up[3] = {0, 0, 1};
  BCRV* skew = kt::Polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}});
  Rec bad(CRV_NewBspline(skew));
  // Refused before any allocation: even an armed failure stays unconsumed.
  KX_MemFailAfter(1);
  EXPECT_EQ(SRF_NewExtrude(up, bad.get()), nullptr);
  EXPECT_EQ(KX_MemAlloc(8), nullptr);
  KX_MemFailAfter(0);

  Rec flat(CRV_NewBspline(kt::Polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 3, 0}})));
  ENT_Record* ok = SRF_NewExtrude(up, flat.get());
  ASSERT_NE(ok, nullptr);
  static_cast<SRF_Extrude*>(ok)->generator = nullptr;  // flat stays ours
  EXPECT_EQ(ENT_Free(ok), 1);

  SRF_Plane plane{};
  plane.type = ENT_PLANE;
  Rec sphere(SRF_NewBspline(kt::PlaneZ0(1)));
  _intcur* onPlane = SSI_NewCurve(&plane, sphere.get(), nullptr);
  _intcur* offPlane = SSI_NewCurve(sphere.get(), sphere.get(), nullptr);
  ENT_Record* e1 = SRF_NewExtrude(up, onPlane);
  EXPECT_NE(e1, nullptr);
  EXPECT_EQ(SRF_NewExtrude(up, offPlane), nullptr);
  ENT_Free(e1);
  ENT_Free(offPlane);
}

TEST_F(KernelRecordsTest, ToleranceSettersSkipTinyComponents) {
  const double v[3] = {0.002, 0.0, 1e-21};
  TOL_SetPrecision(v);
  EXPECT_EQ(TOL_discretise[0], 0.002);
  EXPECT_EQ(TOL_discretise[1], 0.2);
  EXPECT_EQ(TOL_discretise[2], 0.01);
  const double w[3] = {-1.0, 0.3, 0.004};
  TOL_SetTolerance(w);
  EXPECT_EQ(TOL_trace[0], 0.0005);
  EXPECT_EQ(TOL_trace[1], 0.3);
  EXPECT_EQ(TOL_trace[2], 0.004);
  TOL_SetPrecision(nullptr);
  EXPECT_EQ(TOL_discretise[0], 0.002);
}

TEST_F(KernelRecordsTest, PointListsAndClones) {
  SSI_PointList* empty = SSI_NewPointList(0, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->count, 0);
  EXPECT_EQ(empty->points, nullptr);
  EXPECT_EQ(empty->tol[0], 0.0001);
  EXPECT_EQ(empty->tol[1], 0.1);
  EXPECT_EQ(empty->tol[2], 0.001);
  SSI_FreePointList(empty);

  const double tol[3] = {1, 2, 3};
  SSI_PointList* pl = SSI_NewPointList(2, tol);
  EXPECT_EQ(pl->tol[0], 1);
  EXPECT_EQ(pl->tol[1], 3);
  EXPECT_EQ(pl->tol[2], 2);
  pl->points[1].param = 7.0;
  pl->points[1].uvB[1] = 0.25;
  _intcur* a = SSI_NewCurve(nullptr, nullptr, pl);
  a->flagA = 1;
  _intcur* b = SSI_CloneCurve(a);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(b->points, a->points);
  EXPECT_EQ(b->points->points[1].param, 7.0);
  EXPECT_EQ(b->points->points[1].uvB[1], 0.25);
  EXPECT_EQ(b->flagA, 0);
  EXPECT_EQ(b->sense, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b->points->tol[i], a->points->tol[i]);
  SSI_FreeCurve(a);
  SSI_FreeCurve(b);
  EXPECT_EQ(SSI_CloneCurve(nullptr), nullptr);
}

TEST_F(KernelRecordsTest, AllocationFailuresLeaveNothingBehind) {
  // Every allocation of each builder fails in turn; ASan checks that nothing leaks.
  for (long n = 1; n <= 2; ++n) {
    KX_MemFailAfter(n);
    SSI_PointList* pl = SSI_NewPointList(4, nullptr);
    EXPECT_EQ(pl, nullptr) << n;
    KX_MemFailAfter(0);
  }
  _intcur* src = SSI_NewCurve(nullptr, nullptr, SSI_NewPointList(4, nullptr));
  for (long n = 1; n <= 3; ++n) {
    KX_MemFailAfter(n);
    EXPECT_EQ(SSI_CloneCurve(src), nullptr) << n;
    KX_MemFailAfter(0);
  }
  SSI_FreeCurve(src);
  KX_MemFailAfter(1);
  EXPECT_EQ(CRV_NewLine(nullptr, nullptr), nullptr);
  KX_MemFailAfter(1);
  EXPECT_EQ(SRF_NewOffset(nullptr, 1), nullptr);
  KX_MemFailAfter(1);
  BCRV* keep = kt::Polyline({{0, 0, 0}, {1, 0, 0}});
  EXPECT_EQ(CRV_NewBspline(keep), nullptr);
  BCRV_Free(keep);
}

}  // namespace
