// The measuring commands against closed forms (distances, angles, perimeters and areas of
// polygons and circles) and the inscribed radius against exact answers and a brute-force
// search, run through the hub as the view runs them.
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/Units.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "support/ShoelaceArea.h"
#include "support/VurodeFixture.h"
#include "velmora/commands/MeasureCommands.h"
#include "velmora/ordvale/Ordvale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Pts = std::vector<std::array<double, 2>>;

std::vector<std::wstring> g_boxes;
int RecordBox(HWND, LPCWSTR text, LPCWSTR, UINT) {
  g_boxes.push_back(text ? text : L"");
  return IDOK;
}

CGePolyline* Poly(const Pts& pts, bool close) {
  std::vector<double> flat;
  for (const auto& p : pts) flat.insert(flat.end(), {p[0], p[1]});
  if (close) flat.insert(flat.end(), {pts[0][0], pts[0][1]});
  auto* poly = new CGePolyline;
  poly->Create(int(flat.size() / 2), reinterpret_cast<const double(*)[2]>(flat.data()));
  return poly;
}
CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return new CGeLine(a, b);
}
CGeCircle* Circle(double x, double y, double r) {
  const double c[2] = {x, y};
  return new CGeCircle(c, r, 1);
}
// A composite of the polygon's edges as lines.
CGeCombCurve* Edges(const Pts& pts) {
  auto* comb = new CGeCombCurve;
  for (size_t i = 0; i < pts.size(); ++i) {
    const auto& a = pts[i];
    const auto& b = pts[(i + 1) % pts.size()];
    comb->AddTail(Line(a[0], a[1], b[0], b[1]), 1);
  }
  return comb;
}

double PolygonArea(const Pts& p) {
  return std::fabs(shoelace::Area(p.size(), [&](size_t i) { return p[i]; }));
}
double PolygonPerimeter(const Pts& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& a = p[i];
    const auto& b = p[(i + 1) % p.size()];
    s += std::hypot(b[0] - a[0], b[1] - a[1]);
  }
  return s;
}
// Largest distance to the boundary over a fine grid of inside points (even-odd).
double BruteInscribed(const Pts& p, double step) {
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  for (const auto& q : p)
    for (int k = 0; k < 2; ++k) lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
  double best = 0;
  for (double x = lo[0]; x <= hi[0]; x += step)
    for (double y = lo[1]; y <= hi[1]; y += step) {
      bool in = false;
      double d = 1e300;
      for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        const auto& a = p[i];
        const auto& b = p[j];
        if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
        const double ex = b[0] - a[0], ey = b[1] - a[1];
        double t = ((x - a[0]) * ex + (y - a[1]) * ey) / (ex * ex + ey * ey);
        t = std::clamp(t, 0.0, 1.0);
        d = std::min(d, std::hypot(x - a[0] - t * ex, y - a[1] - t * ey));
      }
      if (in) best = std::max(best, d);
    }
  return best;
}

// The number that follows `label` in a prompt, or NaN.
double After(const CString& text, const wchar_t* label) {
  const std::wstring s = text.GetString();
  const size_t at = s.find(label);
  if (at == std::wstring::npos) return std::nan("");
  return std::wcstod(s.c_str() + at + std::wcslen(label), nullptr);
}

class MeasureTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    vurode.SetViewRect(CRect(0, 0, 400, 300));
    gSetVurode(&vurode);
    gSetKXGlobal(&settings);
    gSetDBase(&db);
    gSetSelector(&selector);
    hub.SetSelector(&selector);
    hub.SetViewDC(&dc);
    gSetOrdvale(&hub);
    g_boxes.clear();
    m_prevBox = velmora::win::SetMessageBoxHandler(&RecordBox);
    dist = Reg(new CMeaDistCmd(0, L"Measure Distance"), 1);
    ang = Reg(new CMeaAngCmd(0, L"Measure Angle"), 2);
    peri = Reg(new CMeaPeriMeterCmd(0, L"Measure Perimeter"), 3);
    area = Reg(new CMeaAreaCmd(0, L"Measure Area"), 4);
    radius = Reg(new CMeaRadiusCmd(0, L"Measure Radius"), 5);
  }
  void TearDown() override {
    velmora::win::SetMessageBoxHandler(m_prevBox);
    gSetOrdvale(nullptr);
    gSetSelector(nullptr);
    gSetDBase(nullptr);
    VurodeTest::TearDown();
  }
  template <class T>
  T* Reg(T* cmd, UINT id) {
    cmd->SetID(id);
    hub.RegAppCmd(cmd);
    return cmd;
  }
  static Position At(double x, double y) {
    Position p(x, y);
    p.sx = int(x), p.sy = int(y);
    return p;
  }
  void Click(double x, double y, UINT flags = 0) {
    Position p = At(x, y);
    hub.OnLButtonDown(flags, p);
  }
  void Move(double x, double y, UINT flags = 0) {
    Position p = At(x, y);
    hub.OnMouseMove(flags, p);
  }
  CDbEntity* Add(CDbEntity* e) {
    db.AddTail(e);
    return e;
  }
  // Picks the entity under the point and clicks on it, as the operator does.
  CString MeasureAt(CCommand* cmd, double x, double y) {
    hub.RunAppCmd(cmd, 0);
    Move(x, y);
    Click(x, y);
    return hub.GetPrompt();
  }

  CVurode vurode;
  CKXGlobal settings;
  CDBase db;
  CSelector selector;
  CRecordingDC dc;
  COrdvale hub;
  CMeaDistCmd* dist = nullptr;
  CMeaAngCmd* ang = nullptr;
  CMeaPeriMeterCmd* peri = nullptr;
  CMeaAreaCmd* area = nullptr;
  CMeaRadiusCmd* radius = nullptr;

 private:
  MessageBoxHandler m_prevBox = nullptr;
};

TEST_F(MeasureTest, OnlyThe2DViewMeasures) {
  for (CCommand* c : std::initializer_list<CCommand*>{dist, ang, peri, area, radius}) {
    EXPECT_EQ(c->HostType(), 16);
    EXPECT_EQ(c->IsEnable(), 1);
  }
  vurode.SetView3D();
  for (CCommand* c : std::initializer_list<CCommand*>{dist, ang, peri, area, radius}) EXPECT_EQ(c->IsEnable(), 0);
  gSetVurode(nullptr);
  EXPECT_EQ(dist->IsEnable(), 0);
}

TEST_F(MeasureTest, DistanceMatchesPythagorasInEveryUnit) {
  struct Case {
    double x0, y0, x1, y1;
    int unit;
    double perMM;
  } cases[] = {
      {0, 0, 3, 4, CKXGlobal::kUnitMM, 1.0},
      {10, -5, -2, 11, CKXGlobal::kUnitMM, 1.0},
      {0, 0, 254, 0, CKXGlobal::kUnitInch, 1 / 25.4},
      {1, 1, 1, 1001, CKXGlobal::kUnitM, 1e-3},
  };
  for (const Case& c : cases) {
    settings.SetUnit(c.unit);
    hub.RunAppCmd(dist, 0);
    EXPECT_EQ(hub.GetPrompt(), CString(L"Measure distance between two points"));
    Click(c.x0, c.y0);
    Click(c.x1, c.y1);
    const CString tip = dist->Tip().GetTipText();
    const double d = std::hypot(c.x1 - c.x0, c.y1 - c.y0) * c.perMM;
    EXPECT_NEAR(After(tip, L"Distance: "), d, 1e-3) << tip.ToUtf8();
    EXPECT_NEAR(After(tip, L"dx="), (c.x1 - c.x0) * c.perMM, 1e-3);
    EXPECT_NEAR(After(tip, L"dy="), (c.y1 - c.y0) * c.perMM, 1e-3);
    EXPECT_TRUE(dist->Tip().IsShown());
    EXPECT_EQ(dist->Tip().GetShownAt(), CPoint(int(c.x1) + 7, int(c.y1) - 7));
    EXPECT_EQ(dist->GetState(), 0);
  }
}

TEST_F(MeasureTest, DistanceWithShiftKeepsTo45Degrees) {
  hub.RunAppCmd(dist, 0);
  Click(0, 0);
  Move(10, 9, 0x4);
  const Position expected = GetPosIn45(At(0, 0), At(10, 9));
  EXPECT_DOUBLE_EQ(dist->GetEnd().x, expected.x);
  EXPECT_DOUBLE_EQ(dist->GetEnd().y, expected.y);
  EXPECT_NEAR(After(dist->Tip().GetTipText(), L"Distance: "), std::hypot(expected.x, expected.y), 1e-3);
  // Without Shift the end follows the cursor itself.
  Move(10, 8);
  EXPECT_DOUBLE_EQ(dist->GetEnd().y, 8.0);
}

TEST_F(MeasureTest, AngleBetweenLegs) {
  struct Case {
    double ux, uy, wx, wy, degrees;
  } cases[] = {
      {1, 0, 0, 1, 90},  {1, 0, 0, -1, 90},  // directions 270 degrees apart read 90
      {1, 0, 1, 1, 45},  {1, 0, -1, 0, 180}, {0, 1, -1, -1, 135}, {2, 2, 2, 2, 0},
  };
  for (const Case& c : cases) {
    hub.RunAppCmd(ang, 0);
    EXPECT_EQ(hub.GetPrompt(), CString(L"Measure Angle"));
    Click(5, 5);
    Click(5 + c.ux, 5 + c.uy);
    Click(5 + c.wx, 5 + c.wy);
    EXPECT_NEAR(After(ang->Tip().GetTipText(), L"Angle:"), c.degrees, 1e-3) << c.wx << "," << c.wy;
    EXPECT_EQ(ang->GetClicks(), 0);
  }
}

TEST_F(MeasureTest, CollinearLegsKeepThePreviousArcOrientation) {
  hub.RunAppCmd(ang, 0);
  auto measure = [&](double wx, double wy) {
    Click(0, 0);
    Click(10, 0);
    Click(wx, wy);
  };
  measure(0, -10);  // clockwise turn
  EXPECT_EQ(ang->GetOrientation(), 0);
  measure(-10, 0);  // collinear: stays clockwise
  EXPECT_EQ(ang->GetOrientation(), 0);
  ASSERT_NE(ang->GetArc(), nullptr);
  measure(0, 10);   // counter-clockwise
  EXPECT_EQ(ang->GetOrientation(), 1);
  measure(20, 0);
  EXPECT_EQ(ang->GetOrientation(), 1);
}

TEST_F(MeasureTest, CommandsEndEvenWithoutADrawingContext) {
  hub.SetViewDC(nullptr);
  for (CCommand* c : std::initializer_list<CCommand*>{dist, ang, peri, area, radius}) {
    hub.RunAppCmd(c, 0);
    Click(1, 1);
    ASSERT_EQ(hub.GetCurCmd(), c);
    hub.CancelCurCmd();
    EXPECT_EQ(hub.GetCurCmd(), nullptr) << c->GetCmdName().ToUtf8();
  }
}

TEST_F(MeasureTest, PerimeterOfPolygonsCirclesAndLists) {
  const Pts square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const Pts tri = {{0, 0}, {30, 0}, {0, 40}};
  struct Case {
    CDbEntity* e;
    double length;
  };
  auto* list = new CDbCurveList;
  list->AddCurve(Line(0, 0, 3, 4));
  list->AddCurve(Circle(50, 50, 2));
  auto* pts3 = new CGePolyline3d;
  const double p3[3][3] = {{0, 0, 0}, {1, 2, 2}, {1, 2, 5}};
  pts3->Create(3, p3);
  std::vector<Case> cases = {
      {new CDbCurve(Poly(square, true)), PolygonPerimeter(square)},
      {new CDbCurve(Poly(tri, true)), PolygonPerimeter(tri)},
      {new CDbCurve(Circle(0, 0, 5)), 2 * std::numbers::pi * 5},
      {list, 5 + 2 * std::numbers::pi * 2},
      {new CDbCurve3d(pts3), 3 + 3},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CDbEntity> owned(c.e);
    EXPECT_NEAR(CMeaPeriMeterCmd::Length(c.e), c.length, 1e-6 * c.length + 1e-3) << c.e->GetType();
  }
}

TEST_F(MeasureTest, PerimeterPromptIsInTheCurrentUnit) {
  const Pts square = {{0, 0}, {254, 0}, {254, 254}, {0, 254}};
  Add(new CDbCurve(Poly(square, true)));
  settings.SetUnit(CKXGlobal::kUnitInch);
  const CString prompt = MeasureAt(peri, 254, 100);
  EXPECT_EQ(prompt, CString(L"Perimeter:40.000 in")) << prompt.ToUtf8();
}

TEST_F(MeasureTest, AreaOfPolygonsCirclesAndHoles) {
  const Pts square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const Pts hole = {{3, 3}, {7, 3}, {7, 7}, {3, 7}};
  const Pts lshape = {{0, 0}, {20, 0}, {20, 8}, {8, 8}, {8, 20}, {0, 20}};
  struct Case {
    const char* name;
    CDbEntity* e;
    double area, tol;
  };
  auto* holed = new CDbCurveList;
  holed->AddCurve(Poly(square, true));
  holed->AddCurve(Poly(hole, true));
  auto* edges = new CDbCurveList;  // the outline as separate lines, chained into one loop
  for (size_t i = 0; i < lshape.size(); ++i) {
    const auto& a = lshape[i];
    const auto& b = lshape[(i + 1) % lshape.size()];
    edges->AddCurve(Line(a[0], a[1], b[0], b[1]));
  }
  auto* withOpen = new CDbCurveList;  // a closed square and a stray open line
  withOpen->AddCurve(Poly(square, true));
  withOpen->AddCurve(Line(30, 30, 40, 35));
  const Case cases[] = {
      {"square", new CDbCurve(Poly(square, true)), 100, 1e-6},
      {"L-shape", new CDbCurve(Poly(lshape, true)), PolygonArea(lshape), 1e-6},
      {"circle", new CDbCurve(Circle(5, 5, 5)), std::numbers::pi * 25, 0.1},
      {"square with hole", holed, 100 - 16, 1e-6},
      {"chained edges", edges, PolygonArea(lshape), 1e-6},
      {"closed and open", withOpen, 100, 1e-6},
      {"composite", new CDbCurve(Edges(square)), 100, 1e-6},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CDbEntity> owned(c.e);
    EXPECT_NEAR(CMeaAreaCmd::Area(c.e), c.area, c.tol) << c.name;
  }
}

TEST_F(MeasureTest, AreaPromptAndUnits) {
  const Pts square = {{0, 0}, {304.8, 0}, {304.8, 304.8}, {0, 304.8}};
  auto* list = new CDbCurveList;
  list->AddCurve(Poly(square, true));
  Add(list);
  struct Case {
    int unit;
    double value;
    const wchar_t* suffix;
  } cases[] = {
      {CKXGlobal::kUnitMM, 92903.04, L"mm*mm"}, {CKXGlobal::kUnitCM, 929.0304, L"cm*cm"},
      {CKXGlobal::kUnitInch, 144.0, L"in*in"},  {CKXGlobal::kUnitFeet, 1.0, L"ft*ft"},
      {CKXGlobal::kUnitM, 0.0929, L"m*m"},
  };
  for (const Case& c : cases) {
    settings.SetUnit(c.unit);
    const std::wstring prompt = MeasureAt(area, 304.8, 100).GetString();
    // "Area:<value><suffix>", the suffix straight after the three decimals.
    ASSERT_EQ(prompt.rfind(L"Area:", 0), 0u);
    EXPECT_NEAR(std::wcstod(prompt.c_str() + 5, nullptr), c.value, 1e-3 + 1e-6 * c.value);
    const size_t dot = prompt.find(L'.');
    ASSERT_NE(dot, std::wstring::npos);
    EXPECT_EQ(prompt.substr(dot + 4), c.suffix);
  }
}

TEST_F(MeasureTest, OpenOutlinesAreRefused) {
  const Pts zig = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  Add(new CDbCurve(Poly(zig, false)));
  EXPECT_EQ(MeasureAt(area, 10, 5), CString(L"Please select closed curves!"));
  // The radius answers with a message box and leaves the prompt line alone.
  EXPECT_EQ(MeasureAt(radius, 10, 5), CString(L"Please select closed curves!"));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], L"This draft is not closed, then can not calculate the radius!");
  // A line and an arc are never closed.
  db.DeleteAllEntity();
  Add(new CDbCurve(Line(0, 0, 50, 0)));
  MeasureAt(radius, 25, 0);
  EXPECT_EQ(g_boxes.size(), 2u);
}

TEST_F(MeasureTest, InscribedRadiusExactCases) {
  const Pts square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const Pts rect = {{0, 0}, {30, 0}, {30, 8}, {0, 8}};
  std::vector<Pts> hex(1);
  for (int k = 0; k < 6; ++k) hex[0].push_back({10 * std::cos(k * std::numbers::pi / 3), 10 * std::sin(k * std::numbers::pi / 3)});
  auto* list = new CDbCurveList;  // a composite square in a list, beside a stray open line
  list->AddCurve(Edges(square));
  list->AddCurve(Line(40, 0, 50, 3));
  const double c[2] = {0, 0};
  struct Case {
    const char* name;
    CDbEntity* e;
    double r, tol;
  } cases[] = {
      {"square", new CDbCurve(Poly(square, true)), 5, 0.02},
      {"rectangle", new CDbCurve(Poly(rect, true)), 4, 0.02},
      {"hexagon", new CDbCurve(Poly(hex[0], true)), 10 * std::sqrt(3.0) / 2, 0.02},
      {"circle", new CDbCurve(Circle(3, 4, 7)), 7, 0.02},
      {"ellipse", new CDbCurve(new CGeEllipse(c, 6, 3, 0.3, 1)), 3, 0.03},
      {"composite", new CDbCurve(Edges(square)), 5, 0.02},
      {"list with open line", list, 5, 0.02},
  };
  for (const Case& k : cases) {
    std::unique_ptr<CDbEntity> owned(k.e);
    double r = 0;
    EXPECT_EQ(CMeaRadiusCmd::Radius(k.e, r), CMeaRadiusCmd::kRadiusOk) << k.name;
    EXPECT_NEAR(r, k.r, k.tol) << k.name;
  }
}

TEST_F(MeasureTest, InscribedRadiusOfAnLShapeMatchesBruteForce) {
  const Pts lshape = {{0, 0}, {20, 0}, {20, 8}, {8, 8}, {8, 20}, {0, 20}};
  CDbCurve e(Poly(lshape, true));
  double r = 0;
  ASSERT_EQ(CMeaRadiusCmd::Radius(&e, r), CMeaRadiusCmd::kRadiusOk);
  const double brute = BruteInscribed(lshape, 0.02);
  EXPECT_NEAR(r, brute, 0.03);
  // A square hole in a square: the widest spot of the ring is in a corner, on the diagonal,
  // touching both outer sides and the hole's corner: t = sqrt(2) (6 - t).
  auto* ring = new CDbCurveList;
  ring->AddCurve(Poly({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, true));
  ring->AddCurve(Poly({{6, 6}, {14, 6}, {14, 14}, {6, 14}}, true));
  std::unique_ptr<CDbEntity> owned(ring);
  ASSERT_EQ(CMeaRadiusCmd::Radius(ring, r), CMeaRadiusCmd::kRadiusOk);
  EXPECT_NEAR(r, 6 * std::sqrt(2.0) / (1 + std::sqrt(2.0)), 0.02);
}

TEST_F(MeasureTest, InscribedRadiusIsShownInTheCurrentUnit) {
  Add(new CDbCurve(Circle(0, 0, 25.4)));
  settings.SetUnit(CKXGlobal::kUnitInch);
  const CString prompt = MeasureAt(radius, 25.4, 0);
  EXPECT_NEAR(After(prompt, L"Radius of the maximum inscribed circle : "), 1.0, 0.001) << prompt.ToUtf8();
  EXPECT_NE(std::wstring(prompt.GetString()).find(L" in"), std::wstring::npos);
}

// An entity kind that must be converted to plain curves before measuring (text, say).
class ConvertFirst : public CDbEntity {
 public:
  int GetType() const override { return 30; }
  int GetBaseType() const override { return DB_BASE_CONVERT; }
  CDbEntity* Copy() const override { return nullptr; }
  int Pick(CPickRay&) override { return 1; }
};

TEST_F(MeasureTest, KindsThatNeedConvertingAskForIt) {
  Add(new ConvertFirst);
  EXPECT_EQ(MeasureAt(peri, 1, 1), CString(L"Please convert it to draft, then calculate the perimeter!"));
  EXPECT_EQ(MeasureAt(area, 1, 1), CString(L"Please convert it to draft, then calculate the area!"));
  EXPECT_EQ(MeasureAt(radius, 1, 1), CString(L"Please convert it to draft, then calculate the radius!"));
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(MeasureTest, PickingHighlightsTheFirstVisibleHitAndKeepsItOnAMiss) {
  auto* hidden = Add(new CDbCurve(Line(0, 0, 100, 0)));
  hidden->SetVisible(0);
  auto* shown = Add(new CDbCurve(Line(0, 0, 100, 0)));
  hub.RunAppCmd(peri, 0);
  Move(50, 0);
  EXPECT_EQ(peri->GetPicked(), shown);
  Move(50, 80);  // nothing there
  EXPECT_EQ(peri->GetPicked(), shown);
  Click(50, 80);
  EXPECT_EQ(hub.GetPrompt(), CString(L"Perimeter:100.000 mm"));
  Position p = At(0, 0);
  hub.OnRButtonDown(0, p);
  EXPECT_EQ(peri->GetPicked(), nullptr);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
}

}  // namespace
