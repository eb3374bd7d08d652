// Guide lines: what they answer, picking and moving across themselves, their record in the
// archive (hostile ones refused), drawing across the view and the database's show/hide switch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "DbTestSupport.h"
#include "db/DbAidLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/ArchiveBytes.h"

namespace {

using namespace archive_bytes;

class AidLineTest : public DbTest {};

int PickAt(CDbEntity& e, double x, double y, double radius = 0.05) {
  CPickRay ray;
  ray.m_ptOrigin[0] = x;
  ray.m_ptOrigin[1] = y;
  ray.m_dRadius = radius;
  ray.m_b2D = 1;
  return e.Pick(ray);
}

Bytes Record(double coord, uint32_t orient) {
  Bytes b = {0xFF, 0xFF, 0x01, 0x00};
  Put<uint16_t>(b, uint16_t(std::strlen("CDbAidLine")));
  b = Cat({b, Ascii("CDbAidLine"), Le32(1), Le32(0), Le32(0), Le32(0)});
  Put(b, coord);
  return Cat({b, Le32(orient)});
}

}  // namespace

TEST_F(AidLineTest, PicksAndMovesAcrossItself) {
  struct Case {
    const char* name;
    int orient;
    double on[2];      // a point on the line, far along it
    double beside[2];  // a point beside it
    double movedCoord;  // after moving by (1, 1) -> (6, -2)
  };
  const Case cases[] = {
      {"horizontal", CDbAidLine::HORIZONTAL, {1e6, 2.5}, {0, 2.7}, -0.5},
      {"vertical", CDbAidLine::VERTICAL, {2.5, -1e6}, {2.3, 0}, 7.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDbAidLine line(2.5, c.orient, 1);
    EXPECT_EQ(line.GetType(), DB_ENT_AIDLINE);
    EXPECT_EQ(line.GetOrientation(), c.orient);
    EXPECT_TRUE(PickAt(line, c.on[0], c.on[1]));
    EXPECT_FALSE(PickAt(line, c.beside[0], c.beside[1]));
    EXPECT_TRUE(PickAt(line, c.beside[0], c.beside[1], 0.25));

    // A 3D ray picks where it meets the drawing plane.
    CPickRay ray;
    ray.m_b2D = 0;
    ray.m_dRadius = 0.05;
    const double origin[3] = {c.on[0] - 4, c.on[1] - 4, 4}, dir[3] = {1, 1, -1};
    std::memcpy(ray.m_ptOrigin, origin, sizeof origin);
    std::memcpy(ray.m_vDir, dir, sizeof dir);
    EXPECT_TRUE(line.Pick(ray));
    ray.m_vDir[2] = 0;  // parallel to the plane
    EXPECT_FALSE(line.Pick(ray));

    line.SetLayerID(4);
    std::unique_ptr<CDbAidLine> copy(line.Copy());
    const double from[2] = {1, 1}, to[2] = {6, -2};
    copy->Translate(from, to);
    EXPECT_DOUBLE_EQ(copy->GetCoord(), c.movedCoord);
    EXPECT_DOUBLE_EQ(line.GetCoord(), 2.5);
    EXPECT_EQ(copy->GetLayerID(), 4);
    EXPECT_EQ(copy->GetOrientation(), c.orient);

    // No box: fitting the view leaves guide lines out.
    _tagBox2D box;
    line.GetBox(&box);
    EXPECT_FALSE(BOX2D_IsValid(&box));
  }
  // Orientations other than horizontal are vertical; a coordinate must be a number.
  EXPECT_EQ(CDbAidLine(1, 7, 1).GetOrientation(), CDbAidLine::VERTICAL);
  CDbAidLine line(std::numeric_limits<double>::quiet_NaN(), 0, 0);
  EXPECT_EQ(line.GetCoord(), 0.0);
  EXPECT_FALSE(line.IsVisible());
  EXPECT_FALSE(line.SetCoord(HUGE_VAL));
  const double from[2] = {0, 0}, to[2] = {0, HUGE_VAL};
  line.Translate(from, to);
  EXPECT_EQ(line.GetCoord(), 0.0);
}

TEST_F(AidLineTest, RecordRoundTripsAndHostileOnesAreRefused) {
  CDbAidLine line(-12.75, CDbAidLine::VERTICAL, 0);
  line.SetColor(RGB(9, 8, 7));
  line.SetLayerID(3);
  const Bytes bytes = Stored(&line);
  // Entity part, then the coordinate as a double and the orientation as a 32-bit int.
  ASSERT_GE(bytes.size(), 12u);
  EXPECT_EQ(Get<double>(bytes, bytes.size() - 12), -12.75);
  EXPECT_EQ(Get<int32_t>(bytes, bytes.size() - 4), 1);

  std::unique_ptr<CDbAidLine> back(RoundTrip<CDbAidLine>(&line));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetCoord(), -12.75);
  EXPECT_EQ(back->GetOrientation(), CDbAidLine::VERTICAL);
  EXPECT_FALSE(back->IsVisible());
  EXPECT_EQ(back->GetColor(), RGB(9, 8, 7));
  EXPECT_EQ(back->GetLayerID(), 3);
  EXPECT_EQ(Stored(back.get()), bytes);

  // A hand-made record loads.
  EXPECT_EQ(LoadCause(Record(4.0, 0)), CArchiveException::none);
  const struct {
    const char* name;
    Bytes bytes;
  } hostile[] = {
      {"orientation 2", Record(4.0, 2)},
      {"orientation -1", Record(4.0, 0xFFFFFFFF)},
      {"coordinate not a number", Record(std::numeric_limits<double>::quiet_NaN(), 0)},
      {"coordinate infinite", Record(-HUGE_VAL, 1)},
      {"orientation missing", [] {
         Bytes b = Record(4.0, 0);
         b.resize(b.size() - 4);
         return b;
       }()},
  };
  for (const auto& h : hostile) EXPECT_NE(LoadCause(h.bytes), CArchiveException::none) << h.name;
}

TEST_F(AidLineTest, DrawsAcrossTheWholeView) {
  // The view shows world -20..20 both ways at 10 pixels a unit.
  {
    Canvas canvas;
    CDbAidLine(5, CDbAidLine::HORIZONTAL, 1).Draw(&canvas.dc, DB_DRAW_NORMAL);
    const CPoint at = m_view.WorldtoScreen(0, 5);
    int onRow = 0;
    for (int x = 0; x < 400; ++x) onRow += canvas.bmp.GetPixel(x, at.y) != RGB(255, 255, 255);
    EXPECT_GE(onRow, 399);
    EXPECT_EQ(canvas.CountNot(RGB(255, 255, 255)), onRow);
  }
  {
    Canvas canvas;
    CDbAidLine(-7, CDbAidLine::VERTICAL, 1).Draw(&canvas.dc, DB_DRAW_NORMAL);
    const CPoint at = m_view.WorldtoScreen(-7, 0);
    int onColumn = 0;
    for (int y = 0; y < 400; ++y) onColumn += canvas.bmp.GetPixel(at.x, y) != RGB(255, 255, 255);
    EXPECT_GE(onColumn, 399);
  }
  {
    // Outside the view, and in the 3D view: nothing.
    Canvas canvas;
    CDbAidLine(30, CDbAidLine::VERTICAL, 1).Draw(&canvas.dc, DB_DRAW_NORMAL);
    m_view.SetView3D();
    CDbAidLine(0, CDbAidLine::HORIZONTAL, 1).Draw(&canvas.dc, DB_DRAW_NORMAL);
    m_view.SetView2D();
    EXPECT_EQ(canvas.CountNot(RGB(255, 255, 255)), 0);
  }
}

TEST_F(AidLineTest, DatabaseSwitchShowsAndHidesGuideLines) {
  CDBase db;
  db.AddTail(new CDbAidLine(3, CDbAidLine::HORIZONTAL, 1));
  db.AddTail(new CDbAidLine(-4, CDbAidLine::VERTICAL, 1));
  db.AddTail(MakeLine(-2, -2, 2, 2));
  const auto drawn = [&] {
    Canvas canvas;
    db.DrawAll(&canvas.dc, DB_DRAW_NORMAL);
    return canvas.CountNot(RGB(255, 255, 255));
  };
  const int all = drawn();

  db.SetDbAidLineVisibility(0);
  EXPECT_EQ(db.GetDbAidLineVisibility(), 0);
  for (CDbEntity* e : Entities(db)) EXPECT_EQ(e->IsVisible(), e->GetType() != DB_ENT_AIDLINE);
  const int lineOnly = drawn();
  EXPECT_GT(lineOnly, 0);
  EXPECT_LT(lineOnly + 700, all);
  // A guide line added visible while the switch is off stays hidden.
  db.AddTail(new CDbAidLine(1, CDbAidLine::HORIZONTAL, 1));
  EXPECT_EQ(drawn(), lineOnly);

  db.SetDbAidLineVisibility(1);
  for (CDbEntity* e : Entities(db)) EXPECT_TRUE(e->IsVisible());
  EXPECT_GT(drawn(), all);

  // Guide lines leave the drawing's box alone.
  _tagBox2D box;
  db.GetBox(&box);
  EXPECT_DOUBLE_EQ(box.min[0], -2);
  EXPECT_DOUBLE_EQ(box.max[1], 2);

  // Through the database stream: the guide lines and the switch.
  db.SetDbAidLineVisibility(0);
  const Bytes stream = Store([&](CArchive& ar) { db.Serialize(ar); });
  CDBase back;
  Load(stream, [&](CArchive& ar) { back.Serialize(ar); });
  EXPECT_EQ(back.GetDbAidLineVisibility(), 0);
  int lines = 0;
  for (CDbEntity* e : Entities(back))
    if (auto* aid = dynamic_cast<CDbAidLine*>(e)) {
      ++lines;
      EXPECT_FALSE(aid->IsVisible());
    }
  EXPECT_EQ(lines, 3);
}
