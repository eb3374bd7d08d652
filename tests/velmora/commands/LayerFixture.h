// A drawing whose layer ids no longer follow the tab order (four layers, the second deleted),
// three entities one on each layer, the layer command registered with a hub, a fake tab window
// over the database, and message boxes and colour dialogs answered from a script.
#pragma once

#include "db/DBase.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/afx/ColorDialog.h"
#include "platform/vurode/Vurode.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"
#include "support/VurodeFixture.h"
#include "velmora/commands/LayerManageCmd.h"
#include "velmora/ordvale/Ordvale.h"

#include "tests/velmora/FakeLayerTabs.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedLayerBackend : public velmora::win::HeadlessBackend {
 public:
  int MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT) override {
    boxes.push_back(std::wstring(caption ? caption : L"") + L"|" + (text ? text : L""));
    if (answers.empty()) return IDOK;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  bool ColorDialog(HWND, COLORREF& colour) override {
    ++colourDialogs;
    if (!colour_) return false;
    colour = *colour_;
    return true;
  }
  std::vector<std::wstring> boxes;
  std::deque<int> answers;
  const COLORREF* colour_ = nullptr;
  int colourDialogs = 0;
};

class LayerFixture : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    m_prevBackend = velmora::win::SetWindowBackend(&backend);
    velmora::win::SetMessageBoxHandler(nullptr);
    gSetVurode(&vurode);
    gSetDBase(&db);
    hub.SetSelector(&sel);
    gSetOrdvale(&hub);
    gSetLayerTabs(&tabs);
    // Layer ids come from a process-wide counter; start it past the tab indexes even when this
    // is the first test to make layers.
    if (CLayer::m_nMaxID.load() < 10) CLayer::m_nMaxID = 10;
    db.InitLayer();
    for (int i = 0; i < 3; ++i) tabs.AddLayer(L"");
    ASSERT_EQ(tabs.DeleteLayer(1), 1);
    ASSERT_EQ(db.GetLayerCount(), 3);
    for (int i = 0; i < 3; ++i) {
      ids[i] = db.GetLayerIDByIndex(i);
      // Beyond every tab index, so an index taken for an id (or the reverse) shows.
      ASSERT_GT(ids[i], 2);
    }
    tabs.SetCurLayerOnly(0);
    ASSERT_EQ(tabs.SetCurLayer(1), 1);
    for (int i = 0; i < 3; ++i) {
      ents[i] = new CDbCurve();
      ents[i]->SetLayerID(ids[i]);
      db.AddTail(ents[i]);
    }
    cmd = new CLayerManageCmd(1, L"Layer");
    cmd->SetID(ID_LAYER_CMD);
    hub.RegMainCmd(cmd);
  }
  void TearDown() override {
    gSetLayerTabs(nullptr);
    velmora::win::SetWindowBackend(m_prevBackend);
    VurodeTest::TearDown();
  }
  void Select(std::initializer_list<int> which) {
    sel.RemoveAll(1);
    for (int i : which) sel.Add(ents[i]);
  }
  std::vector<int> Visible() {
    std::vector<int> v;
    for (int i = 0; i < db.GetLayerCount(); ++i) v.push_back(db.GetLayerAt(i)->IsVisible());
    return v;
  }
  void SetVisible(std::vector<int> v) {
    for (int i = 0; i < int(v.size()); ++i) v[i] ? db.GetLayerAt(i)->SetVisible() : db.GetLayerAt(i)->SetInVisible();
  }

  ScriptedLayerBackend backend;
  CVurode vurode;
  CDBase db;
  CSelector sel;
  COrdvale hub;
  FakeLayerTabs tabs{db};
  CLayerManageCmd* cmd = nullptr;  // the hub's
  int ids[3] = {};
  CDbEntity* ents[3] = {};

 private:
  velmora::win::WindowBackend* m_prevBackend = nullptr;
};
