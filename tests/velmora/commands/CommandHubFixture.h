// A drawing driven through the command hub as the view drives it: a 2D view of 400 x 400
// pixels showing world x and y from -200 to 200 at one pixel per unit, a database with its
// selection set and undo history, every command registered from the program's table, and a
// recording device context as the view's drawing context for rubber bands.
#pragma once

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Messages.h"
#include "platform/win/WinGdi.h"
#include "support/VurodeFixture.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/ordvale/Ordvale.h"

#include <vector>

class HubTestView : public CGLView {
 public:
  void DrawGL(COpenGLDC*, int) override {}
  // A paint happened: nothing is pending any more.
  void Painted() { CGLView::OnDraw(nullptr); }
};

class CommandHubTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    vurode.SetViewRect(CRect(0, 0, 400, 400));
    vurode.SetScale(1.0);
    vurode.SetOrigin(0.0, 0.0);
    gSetVurode(&vurode);
    gSetKXGlobal(&settings);
    gSetView(&view);
    gSetDBase(&db);
    gSetSelector(&sel);
    kxCreateAllManager();
    hub.SetSelector(&sel);
    hub.SetViewDC(&dc);
    gSetOrdvale(&hub);
    cmdRegisterAppCommands();
    cmdRegisterMainCommands();
  }
  void TearDown() override {
    // The history goes before the database it points into; the hub before the view.
    kxClearAllManager();
    gSetOrdvale(nullptr);
    gSetView(nullptr);
    VurodeTest::TearDown();
  }

  // The position the view builds for the pixel showing world (x, y).
  Position At(double x, double y) {
    const CPoint s = vurode.WorldtoScreen(x, y);
    Position p;
    vurode.ScreentoWorld(s.x, s.y, p);
    p.x = x;  // exact world coordinates, so results compare exactly
    p.y = y;
    return p;
  }
  void Click(double x, double y, UINT flags = 0) {
    Position p = At(x, y);
    hub.OnMouseMove(flags, p);
    hub.OnLButtonDown(flags, p);
    hub.OnLButtonUp(flags, p);
  }
  void Move(double x, double y, UINT flags = 0) {
    Position p = At(x, y);
    hub.OnMouseMove(flags, p);
  }
  void Key(UINT key) { hub.OnKeyDown(key, 1, 0); }
  void RightClick(double x, double y) {
    Position p = At(x, y);
    hub.OnRButtonDown(0, p);
    hub.OnRButtonUp(0, p);
  }
  // Drags with the left button from one world point to another.
  void Drag(double x0, double y0, double x1, double y1, UINT flags = 0) {
    Position a = At(x0, y0), b = At(x1, y1);
    hub.OnLButtonDown(flags, a);
    hub.OnMouseMove(flags, b);
    hub.OnLButtonUp(flags, b);
  }

  CDbEntity* AddLine(double x0, double y0, double x1, double y1) {
    const double a[2] = {x0, y0}, b[2] = {x1, y1};
    CDbEntity* e = dbGenLine(a, b);
    db.AddTail(e);
    return e;
  }
  std::vector<CDbEntity*> Entities() const {
    std::vector<CDbEntity*> v;
    for (POSITION p = db.GetEntityList().GetHeadPosition(); p;) v.push_back(db.GetEntityList().GetNext(p));
    return v;
  }
  std::vector<CDbEntity*> Selected() const {
    std::vector<CDbEntity*> v;
    for (POSITION p = sel.GetList().GetHeadPosition(); p;) v.push_back(sel.GetList().GetNext(p));
    return v;
  }
  // Inverting draws so far; a band shown and erased draws its shapes an even number of times.
  size_t XorDraws() const {
    size_t n = 0;
    for (const auto& c : dc.GetCalls())
      if (c.rop2 == R2_NOT) ++n;
    return n;
  }

  CVurode vurode;
  CKXGlobal settings;
  HubTestView view;
  CDBase db;
  CSelector sel;
  CRecordingDC dc;
  COrdvale hub;
};
