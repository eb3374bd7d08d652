// Settings words, unit conversion and formatting, and the 45-degree cursor.
#include "platform/vurode/Vurode.h"
#include "platform/vurode/Units.h"
#include "support/VurodeFixture.h"

#include <climits>
#include <cmath>

namespace {

class UnitsTest : public VurodeTest {};

TEST_F(UnitsTest, LengthsFollowTheSettingsUnit) {
  EXPECT_DOUBLE_EQ(MM2CUR(25.4), 25.4) << "no settings object: millimetres";
  EXPECT_EQ(gUnitFormat(L"%0.3f"), CString(L"%0.3f mm"));
  CKXGlobal* g = gNewKXGlobal();
  struct Case {
    int unit;
    double shown;  // 304.8 mm in that unit
    const wchar_t* format;
  } cases[] = {{0, 304.8, L"r=%0.3f mm"}, {1, 30.48, L"r=%0.3f cm"}, {2, 12.0, L"r=%0.3f in"},
               {3, 1.0, L"r=%0.3f ft"}, {4, 0.3048, L"r=%0.3f m"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(g->SetUnit(c.unit));
    EXPECT_NEAR(MM2CUR(304.8), c.shown, 1e-12) << c.unit;
    EXPECT_EQ(gUnitFormat(L"r=%0.3f"), CString(c.format)) << c.unit;
  }
  EXPECT_FALSE(g->SetUnit(5));
  EXPECT_FALSE(g->SetUnit(-1));
  EXPECT_EQ(g->GetUnit(), 4) << "a refused unit keeps the old one";
}

TEST_F(UnitsTest, AutoSavePeriodAlwaysFitsATimer) {
  CKXGlobal g;
  struct Case {
    int minutes, kept;
  } cases[] = {{10, 10}, {1, 1}, {0, 1}, {-5, 1}, {CKXGlobal::kMaxAutoSaveMinutes, CKXGlobal::kMaxAutoSaveMinutes},
               {INT_MAX, CKXGlobal::kMaxAutoSaveMinutes}, {INT_MIN, 1}};
  for (const auto& c : cases) {
    g.SetAutoSaveMinutes(c.minutes);
    EXPECT_EQ(g.GetAutoSaveMinutes(), c.kept) << c.minutes;
    EXPECT_EQ(g.GetAutoSaveElapse(), static_cast<UINT>(c.kept) * 60000u) << c.minutes;
    EXPECT_LE(static_cast<long long>(g.GetAutoSaveMinutes()) * 60000, INT_MAX);
  }
}

TEST_F(UnitsTest, FreshSettingsHoldTheDefaults) {
  CKXGlobal g;
  EXPECT_EQ(g.IsAutoSave(), CKXGlobal::GetDefault_AutoSave());
  EXPECT_EQ(g.GetAutoSaveMinutes(), CKXGlobal::GetDefault_TimeSpan());
  EXPECT_EQ(g.GetPickRad(), CKXGlobal::GetDefault_PickRad());
  EXPECT_EQ(g.GetMAxisAngle(), CKXGlobal::GetDefault_MAxisAngle());
  EXPECT_TRUE(g.IsAnimateView());
  EXPECT_FALSE(g.IsFrameReady()) << "state is saved at exit only after the frame finished";
  g.SetSnapFlag(0xFFFFFFFFu);
  EXPECT_EQ(g.GetSnapFlag(), 0xFFFu) << "only the known snap bits";
  g.SetHorGuide(12.5);
  g.SetHorGuide(NAN);
  EXPECT_EQ(g.GetHorGuide(), 12.5);
}

TEST_F(UnitsTest, PosIn45SnapsToTheNearestOfEightDirections) {
  const Position start(10, 20);
  struct Case {
    double cx, cy, ex, ey;
  } cases[] = {
      {15, 21, 15, 20},          // nearly right: horizontal, x kept
      {11, 26, 10, 26},          // nearly up: vertical, y kept
      {14, 25, 14.5, 24.5},      // near the diagonal: foot of the perpendicular
      {6, 16.5, 6.25, 16.25},    // down-left diagonal
      {10, 20, 10, 20},          // on the start
      {3, 20.1, 3, 20},          // left
  };
  for (const auto& c : cases) {
    Position cur(c.cx, c.cy, 7);
    cur.sx = 3;
    cur.sy = 4;
    const Position r = GetPosIn45(start, cur);
    EXPECT_NEAR(r.x, c.ex, 1e-12) << c.cx << "," << c.cy;
    EXPECT_NEAR(r.y, c.ey, 1e-12) << c.cx << "," << c.cy;
    EXPECT_EQ(r.z, 7);
    EXPECT_EQ(r.sx, 3);
    // The snapped point lies on a 45-degree ray from start.
    const double a = std::atan2(r.y - start.y, r.x - start.x) / (M_PI / 4);
    if (r.x != start.x || r.y != start.y) {
      EXPECT_NEAR(a, std::round(a), 1e-9);
    }
  }
}

TEST_F(UnitsTest, DetectProcedureAndSharedObjectsReset) {
  EXPECT_EQ(gGetDetectProc(), nullptr);
  gSetDetectProc(gIsMouseMoving);
  EXPECT_EQ(gGetDetectProc(), &gIsMouseMoving);
  EXPECT_TRUE(gGetDetectProc()());
  int dummy = 0;
  gSetOrdvale(reinterpret_cast<COrdvale*>(&dummy));
  gSetDBase(reinterpret_cast<CDBase*>(&dummy));
  gRestoreVurodeDefaults();
  EXPECT_EQ(gGetDetectProc(), nullptr);
  EXPECT_EQ(gGetOrdvale(), nullptr);
  EXPECT_EQ(gGetDBase(), nullptr);
}

}  // namespace
