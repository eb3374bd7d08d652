// Entities drawn into a real GL context: the plain mode lights the entity's colour, and the
// self-erasing modes leave the frame exactly as it was when drawn twice.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "db/DBase.h"
#include "db/DbCurve.h"
#include "db/DbImage.h"
#include "platform/vurode/Dib.h"
#include "support/GLContext.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kColor = RGB(200, 40, 90);

class DbDrawGL : public GLTest {
 protected:
  void Frame() {
    SetPlanView(-32, 32, -32, 32);
    dc().SetBkColor(kWhite);
    dc().Ready();
  }
};

CDbCurve* Line(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  CDbCurve* e = dbGenLine(a, b);
  e->SetColor(kColor);
  return e;
}

}  // namespace

TEST_F(DbDrawGL, DatabaseDrawsShownEntitiesInTheirColour) {
  CDBase db;
  db.AddTail(Line(-30, 0, 30, 0));
  CDbCurve* hidden = Line(0, -30, 0, 30);
  hidden->SetVisible(0);
  db.AddTail(hidden);
  Frame();
  const COLORREF own = dc().GetColor();
  db.DrawAll(&dc(), DB_DRAW_NORMAL);
  dc().Finish();
  EXPECT_GT(gl().CountPixels(kColor, 2), 40);
  // The hidden vertical line left its column alone away from the crossing.
  EXPECT_EQ(gl().PixelAt(32, 5), kWhite);
  EXPECT_EQ(dc().GetColor(), own);  // the context's colour is back
}

TEST_F(DbDrawGL, SelfErasingModesRestoreTheFrame) {
  std::unique_ptr<CDbCurve> under(Line(-30, 5, 30, -5)), band(Line(-20, -25, 25, 20));
  for (int mode : {DB_DRAW_XOR, DB_DRAW_PREVIEW}) {
    Frame();
    under->DrawGL(&dc(), DB_DRAW_NORMAL);
    const std::vector<unsigned char> before = gl().ReadRGB();
    band->DrawGL(&dc(), mode);
    EXPECT_NE(gl().ReadRGB(), before) << mode;
    band->DrawGL(&dc(), mode);
    EXPECT_EQ(gl().ReadRGB(), before) << mode;
    dc().Finish();
  }
}

// The selection draws dotted over the entity already in the frame (same depth), in the
// selection colour: both colours show along the line.
TEST_F(DbDrawGL, SelectedModeShowsDottedOverTheEntity) {
  std::unique_ptr<CDbCurve> line(Line(-30, 3, 30, 3));
  Frame();
  line->DrawGL(&dc(), DB_DRAW_NORMAL);
  const int own = gl().CountPixels(kColor, 2);
  ASSERT_GT(own, 40);
  const COLORREF ownColor = dc().GetColor();
  line->DrawGL(&dc(), DB_DRAW_SELECTED);
  dc().Finish();
  EXPECT_EQ(dc().GetColor(), ownColor);
  EXPECT_GT(gl().CountPixels(DB_SELECTED_COLOR, 2), own / 4);
  EXPECT_GT(gl().CountPixels(kColor, 2), own / 4);
  // A second frame after it draws solid again: the dotting went with the mode.
  Frame();
  line->DrawGL(&dc(), DB_DRAW_NORMAL);
  dc().Finish();
  EXPECT_EQ(gl().CountPixels(kColor, 2), own);
}

// A picture shows its pixels on its rectangle; a line drawn after it at the same depth lies over
// it, and the other modes show only the frame.
TEST_F(DbDrawGL, PictureShowsItsPixels) {
  auto* dib = new CDib;
  ASSERT_TRUE(dib->Create(16, 8));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) dib->SetPixel(x, y, x < 8 ? RGB(255, 0, 0) : RGB(0, 160, 0));
  dib->AddRef();
  const double origin[2] = {-16, -8};
  CDbImage image(dib, origin);
  ASSERT_TRUE(image.SetSize(32, 16));  // x -16..16, y -8..8
  std::unique_ptr<CDbCurve> over(Line(-30, 0, 30, 0));
  Frame();
  image.DrawGL(&dc(), DB_DRAW_NORMAL);
  over->DrawGL(&dc(), DB_DRAW_NORMAL);
  dc().Finish();
  // 64 x 64 pixels for 64 x 64 units: the left half of the picture red, the right half green.
  EXPECT_EQ(gl().PixelAt(24, 28), RGB(255, 0, 0));
  EXPECT_EQ(gl().PixelAt(40, 36), RGB(0, 160, 0));
  EXPECT_EQ(gl().PixelAt(8, 28), kWhite);  // beside it
  EXPECT_GT(gl().CountPixels(kColor, 2), 40);  // the line over it
  Frame();
  image.DrawGL(&dc(), DB_DRAW_SELECTED);
  dc().Finish();
  EXPECT_EQ(gl().CountPixels(RGB(255, 0, 0), 2), 0);
  EXPECT_GT(gl().CountPixels(DB_SELECTED_COLOR, 2), 20);
}
