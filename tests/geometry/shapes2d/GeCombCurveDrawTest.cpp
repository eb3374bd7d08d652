// Drawing composites through a recording device context: one joined screen polyline, or each
// piece on its own, and the node markers of open and closed chains.
#include <gtest/gtest.h>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "platform/vurode/ViewState.h"
#include "support/ViewFixture.h"

namespace {

using Kind = CRecordingDC::Kind;

class CombCurveDrawTest : public View100Test {
 protected:
  void SetUp() override {
    View100Test::SetUp();
    const double p[5][2] = {{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}};
    for (int i = 0; i < 4; ++i) m_square.AddTail(new CGeLine(p[i], p[i + 1]), 0);
  }
  CGeCombCurve m_square;
};

TEST_F(CombCurveDrawTest, AsPolylineJoinsEveryPieceIntoOnePath) {
  m_square.Draw(&m_dc, 1);
  EXPECT_EQ(m_dc.Count(Kind::MoveTo), 1u);
  EXPECT_EQ(m_dc.Count(Kind::LineTo), 7u);  // two buffer points per line, no gaps
  m_dc.ClearCalls();
  m_square.Draw(&m_dc, 0);
  EXPECT_EQ(m_dc.Count(Kind::Polyline), 4u);
  m_dc.ClearCalls();
  gSetVurode(nullptr);
  m_square.Draw(&m_dc, 1);
  EXPECT_TRUE(m_dc.GetCalls().empty());
}

TEST_F(CombCurveDrawTest, ClosedChainsDrawNoEndMarkerOverTheStart) {
  m_square.DrawNode(&m_dc, 1, 1);
  EXPECT_EQ(m_dc.Count(Kind::Ellipse), 1u);    // start marker of the first piece only
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 3u);  // the last end sits on the start
  m_dc.ClearCalls();
  delete m_square.m_CurveList.RemoveTail();
  m_square.DrawNode(&m_dc, 0, 0);
  EXPECT_EQ(m_dc.Count(Kind::Ellipse), 1u);
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 3u);
}

}  // namespace
