// A 2D view of 100 x 100 pixels showing the world box [0, 100] x [0, 100] (scale 1, world y
// up), installed as the current view, and a recording device context to draw into; the
// application-services defaults are restored around each test as VurodeTest does.
//
//   class ArcDraw : public View100Test {};
//   TEST_F(ArcDraw, ...) { arc.Draw(&m_dc, 0); EXPECT_EQ(m_dc.Count(Kind::Polyline), 1u); }
#pragma once

#include "platform/afx/RecordingDC.h"
#include "platform/vurode/ViewState.h"
#include "support/VurodeFixture.h"

class View100Test : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_view.SetViewRect(CRect(0, 0, 100, 100));
    m_view.SetScale(1.0);
    m_view.SetOrigin(50.0, 50.0);
    gSetVurode(&m_view);
  }
  CVurode m_view;
  CRecordingDC m_dc;
};
