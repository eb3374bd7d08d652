// Shared helpers of the drawing-database tests: a fixture that installs a 2D view and clears
// the database globals around each test, entity makers, and a canvas that rasterises.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/DbEntity.h"
#include "db/Selector.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "platform/afx/Afx.h"
#include "platform/vurode/ViewState.h"
#include "support/VurodeFixture.h"

class DbTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    ResetGlobals();
    // 400 x 400 pixels, 10 pixels per unit, origin in the middle: world -20..20 both ways.
    m_view.SetViewRect(CRect(0, 0, 400, 400));
    m_view.SetScale(10.0);
    m_view.SetOrigin(0.0, 0.0);
    gSetVurode(&m_view);
  }
  void TearDown() override {
    ResetGlobals();
    VurodeTest::TearDown();
  }
  static void ResetGlobals() {
    kxClearAllManager();
    gSetDBase(nullptr);
    gSetSelector(nullptr);
  }

  CVurode m_view;
};

inline CDbCurve* MakeLine(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return dbGenLine(a, b);
}

inline CDbCurve* MakeRect(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return dbGenRect(a, b);
}

// The database's entities in order.
inline std::vector<CDbEntity*> Entities(CDBase& db) {
  std::vector<CDbEntity*> v;
  for (POSITION pos = db.GetEntityList().GetHeadPosition(); pos;) v.push_back(db.GetEntityList().GetNext(pos));
  return v;
}

// A white bitmap in a memory device context.
struct Canvas {
  CBitmap bmp;
  CMemoryDC dc;
  explicit Canvas(int w = 400, int h = 400) {
    dc.CreateCompatibleDC(nullptr);
    bmp.CreateCompatibleBitmap(&dc, w, h);
    dc.SelectObject(&bmp);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, RGB(255, 255, 255));
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> v;
    for (int y = 0; y < bmp.GetHeight(); ++y)
      for (int x = 0; x < bmp.GetWidth(); ++x) v.push_back(bmp.GetPixel(x, y));
    return v;
  }
  int CountNot(COLORREF c) const {
    int n = 0;
    for (COLORREF p : Pixels()) n += p != c;
    return n;
  }
};
