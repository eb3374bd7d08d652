// The selection set (box, counts by base type, clearing) and drawing: the self-erasing modes
// leave the pixels exactly as they were when drawn twice, and fitting the view to a box.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "DbTestSupport.h"
#include "db/DbAidLine.h"
#include "db/DbImage.h"
#include "db/DbPathGroup.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Dib.h"

namespace {

class SelectorTest : public DbTest {};
class DrawTest : public DbTest {};

CDbImage* MakeImage(double x, double y) {
  auto* dib = new CDib;
  dib->Create(8, 8);
  dib->AddRef();
  const double origin[2] = {x, y};
  return new CDbImage(dib, origin);
}

CDbCurve3d* MakeLine3d(double x0, double y0, double x1, double y1) {
  const double s[3] = {x0, y0, 1}, e[3] = {x1, y1, 2};
  auto* line = new CGeLine3d(s, e);
  line->DiscreteMe(0.01);
  return new CDbCurve3d(line);
}

}  // namespace

TEST_F(SelectorTest, BoxCountsAndClearing) {
  std::unique_ptr<CDbEntity> line(MakeLine(-3, 1, 2, 4)), rect(MakeRect(0, -5, 1, 0)),
      image(MakeImage(10, 10)), curve3d(MakeLine3d(0, 0, 1, 1));
  CSelector sel;
  _tagBox2D box;
  sel.CalcBox();
  sel.GetBox(&box);
  EXPECT_FALSE(BOX2D_IsValid(&box));

  CDbEntityList list;
  for (CDbEntity* e : {line.get(), rect.get(), image.get(), line.get(), curve3d.get()}) list.AddTail(e);
  list.AddTail(static_cast<CDbEntity*>(nullptr));
  sel.SetSelection(list);
  EXPECT_EQ(sel.GetCount(), 4);  // the repeat and the null are skipped
  EXPECT_FALSE(sel.Add(line.get()));
  EXPECT_TRUE(image->IsSelected());
  sel.CalcBox();
  sel.GetBox(&box);
  EXPECT_EQ(box.min[0], -3.0);
  EXPECT_EQ(box.min[1], -5.0);
  EXPECT_EQ(box.max[0], 18.0);
  EXPECT_EQ(box.max[1], 18.0);

  struct MaskCase {
    int mask;
    int count;
  };
  for (const MaskCase& c : {MaskCase{DB_BASE_CURVE, 2}, MaskCase{DB_BASE_IMAGE, 1},
                            MaskCase{DB_BASE_CURVE | DB_BASE_IMAGE, 3}, MaskCase{DB_BASE_PATH, 0},
                            MaskCase{288, 2}, MaskCase{270, 3}})
    EXPECT_EQ(sel.GetSizeOfBType(c.mask), c.count) << c.mask;

  EXPECT_TRUE(sel.Remove(rect.get()));
  EXPECT_FALSE(rect->IsSelected());
  EXPECT_FALSE(sel.Remove(rect.get()));

  // RemoveAll(0) empties the set and leaves the flags; ClearAll redraws plainly and clears them.
  sel.RemoveAll(0);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_TRUE(line->IsSelected());
  sel.Add(line.get());
  sel.Add(rect.get());
  gSetSelector(&sel);
  CRecordingDC dc;
  kxClearSelSet(&dc);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_FALSE(line->IsSelected());
  ASSERT_EQ(dc.Count(CRecordingDC::Kind::Polyline), 2u);
  EXPECT_EQ(dc.GetCalls()[0].rop2, R2_COPYPEN);
  kxClearSelSet(nullptr);
}

TEST_F(DrawTest, SelfErasingModesRestoreEveryPixel) {
  struct Case {
    const char* name;
    std::function<CDbEntity*()> make;
  };
  auto group = [] {
    auto* g = new CDbPathGroup;
    auto* unit = new CDbPathUnit;
    unit->m_pCurve = new CGeCombCurve3d;
    const double s[3] = {-10, -10, 0}, m[3] = {10, -10, 0}, e[3] = {10, 10, 0};
    unit->m_pCurve->AddTail(new CGeLine3d(s, m));
    unit->m_pCurve->AddTail(new CGeLine3d(m, e));
    unit->m_pCurve->DiscreteMe(0.01);
    g->m_UnitList.AddTail(unit);
    return g;
  };
  const Case cases[] = {
      {"line", [] { return MakeLine(-15, -12, 14, 9); }},
      {"rectangle", [] { return MakeRect(-5, -5, 5, 8); }},
      {"arc", [] {
         const double c[2] = {0, 0}, p1[2] = {6, 0}, p2[2] = {-3, 4};
         return dbGenArcCSE(c, p1, p2, 1);
       }},
      {"3D curve", [] { return MakeLine3d(-8, 3, 9, -7); }},
      {"image frame", [] { return MakeImage(-4, -4); }},
      {"path group", group},
      {"guide line", [] { return new CDbAidLine(3, CDbAidLine::VERTICAL, 1); }},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CDbEntity> e(c.make());
    ASSERT_TRUE(e) << c.name;
    e->SetColor(RGB(30, 120, 200));
    for (int mode : {DB_DRAW_XOR, DB_DRAW_PREVIEW}) {
      Canvas canvas;
      // Something already on the canvas that the rubber band crosses.
      std::unique_ptr<CDbEntity> under(MakeLine(-20, 0, 20, 0));
      under->Draw(&canvas.dc, DB_DRAW_NORMAL);
      const auto before = canvas.Pixels();
      e->Draw(&canvas.dc, mode);
      EXPECT_NE(canvas.Pixels(), before) << c.name << " mode " << mode << " drew nothing";
      e->Draw(&canvas.dc, mode);
      EXPECT_EQ(canvas.Pixels(), before) << c.name << " mode " << mode;
      // The context's own pen and mix mode are back.
      EXPECT_EQ(canvas.dc.GetROP2(), R2_COPYPEN);
    }
  }
}

// The selection draws over the entity as it stands; it must show whatever the entity's colour.
TEST_F(DrawTest, SelectedModeShowsOverTheEntityDrawnNormally) {
  struct Case {
    const char* name;
    std::function<CDbEntity*()> make;
    COLORREF color;
  };
  const Case cases[] = {
      {"black line", [] { return MakeLine(-15, -12, 14, 9); }, RGB(0, 0, 0)},
      {"coloured rectangle", [] { return MakeRect(-5, -5, 5, 8); }, RGB(30, 120, 200)},
      {"3D curve", [] { return MakeLine3d(-8, 3, 9, -7); }, RGB(0, 0, 0)},
      {"line in the selection colour", [] { return MakeLine(-15, 2, 14, 2); }, DB_SELECTED_COLOR},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CDbEntity> e(c.make());
    e->SetColor(c.color);
    Canvas canvas;
    e->Draw(&canvas.dc, DB_DRAW_NORMAL);
    const int inked = canvas.CountNot(RGB(255, 255, 255));
    const auto before = canvas.Pixels();
    e->Draw(&canvas.dc, DB_DRAW_SELECTED);
    const COLORREF mark = c.color == DB_SELECTED_COLOR ? DB_HIGHLIGHT_COLOR : DB_SELECTED_COLOR;
    int marked = 0;
    for (COLORREF p : canvas.Pixels()) marked += p == mark;
    EXPECT_NE(canvas.Pixels(), before) << c.name;
    EXPECT_GT(marked, inked / 3) << c.name;
  }
  // Drawn with a dotted pen in the selection colour.
  std::unique_ptr<CDbEntity> line(MakeLine(-10, 0, 10, 0));
  CRecordingDC rec;
  line->Draw(&rec, DB_DRAW_SELECTED);
  ASSERT_FALSE(rec.GetCalls().empty());
  for (const auto& call : rec.GetCalls()) {
    EXPECT_EQ(call.penStyle, PS_DOT);
    EXPECT_EQ(call.penColor, DB_SELECTED_COLOR);
  }
}

TEST_F(DrawTest, PreviewOverWhiteShowsTheColourAndNormalModeDrawsIt) {
  std::unique_ptr<CDbEntity> e(MakeLine(-10, 5, 10, 5));
  e->SetColor(RGB(30, 120, 200));
  Canvas plain, preview;
  e->Draw(&plain.dc, DB_DRAW_NORMAL);
  e->Draw(&preview.dc, DB_DRAW_PREVIEW);
  EXPECT_GT(plain.CountNot(RGB(255, 255, 255)), 150);
  EXPECT_EQ(plain.Pixels(), preview.Pixels());
  // World y = 5 is pixel row 150 in this view.
  EXPECT_EQ(plain.bmp.GetPixel(200, 150), RGB(30, 120, 200));

  // A black entity still shows (and erases) in the inverting mode.
  std::unique_ptr<CDbEntity> black(MakeLine(-10, -5, 10, -5));
  Canvas inv;
  black->Draw(&inv.dc, DB_DRAW_XOR);
  EXPECT_EQ(inv.bmp.GetPixel(200, 250), RGB(0, 0, 0));
}

TEST_F(DrawTest, BoxOutlineDrawnTwiceInXorModeErases) {
  Canvas canvas;
  const auto before = canvas.Pixels();
  const _tagBox2D box = {{-10, -6}, {12, 7}};
  gDrawBox(&canvas.dc, DB_DRAW_XOR, box, RGB(255, 255, 255));
  // The outline: 2 * (22 + 13) units at 10 pixels per unit, corners shared.
  EXPECT_EQ(canvas.CountNot(RGB(255, 255, 255)), 2 * (220 + 130));
  gDrawBox(&canvas.dc, DB_DRAW_XOR, box, RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixels(), before);
  _tagBox2D empty;
  BOX2D_Init0(&empty);
  gDrawBox(&canvas.dc, DB_DRAW_XOR, empty, 0);
  gDrawBox(nullptr, DB_DRAW_XOR, box, 0);
  EXPECT_EQ(canvas.Pixels(), before);
}

TEST_F(DrawTest, ViewRangeCentresTheBoxAndFitsItWithAMargin) {
  struct Case {
    const char* name;
    _tagBox2D box;
    double scale;
    double origin[2];
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"wide", {{0, 0}, {100, 50}}, 3.6, {50, 25}},
      {"tall", {{-10, -40}, {10, 40}}, 4.5, {0, 0}},
      {"a point keeps the scale", {{3, 4}, {3, 4}}, 10.0, {3, 4}},
      {"empty box: nothing", {{1, 1}, {0, 0}}, 10.0, {0, 0}},
      {"infinite box: nothing", {{0, 0}, {inf, 1}}, 10.0, {0, 0}},
  };
  for (const Case& c : cases) {
    m_view.SetScale(10.0);
    m_view.SetOrigin(0, 0);
    dbSetViewRange(c.box);
    double o[2];
    m_view.GetOrigin(o);
    EXPECT_NEAR(m_view.GetScale(), c.scale, 1e-12) << c.name;
    EXPECT_NEAR(o[0], c.origin[0], 1e-12) << c.name;
    EXPECT_NEAR(o[1], c.origin[1], 1e-12) << c.name;
  }
  // The fitted box shows whole inside the view.
  dbSetViewRange(cases[0].box);
  _tagBox2D shown;
  m_view.GetViewBox(&shown);
  EXPECT_TRUE(BOX2D_IsContain(&shown, &cases[0].box, 0.0));
  gSetVurode(nullptr);
  dbSetViewRange(cases[1].box);
}
