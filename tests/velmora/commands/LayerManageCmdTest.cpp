// The layer command's sub-commands on a drawing whose layer ids no longer follow the tab order
// (a layer was deleted), so a step that mixes up a tab index and a layer id shows.
#include "velmora/ordvale/QMessage.h"

#include "LayerFixture.h"

namespace {

using LayerManageCmdTest = LayerFixture;


TEST_F(LayerManageCmdTest, DisplayNameFollowsTheSubCommand) {
  const std::pair<int, const wchar_t*> cases[] = {
      {0, L"Edit Layer"},       {1, L"All Layer On"},     {2, L"Current Layer On"},
      {3, L"Layer Off"},        {4, L"Change obj layer"}, {5, L"Change obj to current layer"},
      {6, L"Set current layer"}, {7, L""},                {-1, L""}};
  for (auto [sub, name] : cases) {
    cmd->SetSubCmd(sub);
    EXPECT_EQ(cmd->GetCmdName(), CString(name)) << sub;
  }
  EXPECT_EQ(cmd->HostType(), 1);
  EXPECT_EQ(cmd->GetState(), -1);
}

TEST_F(LayerManageCmdTest, AllOnAndCurrentOnSwitchVisibilityAndMode) {
  SetVisible({0, 1, 0});
  Select({0});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kAllOn), 1);
  EXPECT_EQ(Visible(), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(tabs.curOnly, 0);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(tabs.clearingRefreshes, 1);
  EXPECT_EQ(cmd->GetState(), -1);  // ended at once

  Select({2});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kCurrentOn), 1);
  EXPECT_EQ(Visible(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(tabs.curOnly, 1);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(tabs.clearingRefreshes, 2);
  // Names, colours and locks travel through unchanged.
  EXPECT_EQ(db.GetLayerAt(2)->GetName(), CString(L"Page4"));
}

TEST_F(LayerManageCmdTest, LayerOffHidesTheLayerHoldingThePickedEntity) {
  SetVisible({1, 1, 1});
  struct Case {
    std::vector<int> selected;
    const wchar_t* box;  // null: no message
    std::vector<int> visible;
  };
  const Case cases[] = {
      {{0, 2}, L"Layer|Select one obj to make one layer invisible", {1, 1, 1}},
      {{}, L"Layer|Select one obj to make one layer invisible", {1, 1, 1}},
      {{1}, L"Layer|No closing the current layer", {1, 1, 1}},
      // The layer is found by the entity's id: tab 2, not tab "id".
      {{2}, nullptr, {1, 1, 0}},
      {{0}, nullptr, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    backend.boxes.clear();
    sel.RemoveAll(1);
    for (int i : c.selected) sel.Add(ents[i]);
    EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kLayerOff), 1);
    if (c.box) {
      EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{c.box}));
      EXPECT_EQ(sel.GetCount(), int(c.selected.size())) << "a refused step keeps the selection";
    } else {
      EXPECT_TRUE(backend.boxes.empty());
      EXPECT_TRUE(sel.IsEmpty());
    }
    EXPECT_EQ(Visible(), c.visible);
  }
  // An entity on a layer that no longer exists changes nothing.
  ents[2]->SetLayerID(ids[2] + 1000);
  Select({2});
  cmd->StartUp(CLayerManageCmd::kLayerOff);
  EXPECT_EQ(Visible(), (std::vector<int>{0, 1, 0}));
}

TEST_F(LayerManageCmdTest, ToCurrentGivesTheSelectionTheCurrentLayersId) {
  Select({});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kToCurrent), 1);
  EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Layer|Change obj to current layer"}));
  EXPECT_EQ(tabs.refreshes, 0);

  Select({0, 2});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kToCurrent), 1);
  // The current tab is 1; its layer's id, not the number 1, goes to the entities.
  EXPECT_EQ(ents[0]->GetLayerID(), ids[1]);
  EXPECT_EQ(ents[2]->GetLayerID(), ids[1]);
  EXPECT_EQ(db.GetCountOnLayerIndex(1), 3);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(tabs.clearingRefreshes, 1);
}

TEST_F(LayerManageCmdTest, SetCurrentMakesThePickedEntitysLayerCurrent) {
  Select({0, 1});
  cmd->StartUp(CLayerManageCmd::kSetCurrent);
  EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Layer|Set current layer"}));
  EXPECT_EQ(tabs.GetCurLayerIndex(), 1);

  // Already on the current layer: nothing happens, not even the repaint.
  backend.boxes.clear();
  Select({1});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kSetCurrent), 1);
  EXPECT_TRUE(backend.boxes.empty());
  EXPECT_EQ(tabs.GetCurLayerIndex(), 1);
  EXPECT_EQ(sel.GetCount(), 1);
  EXPECT_EQ(tabs.refreshes, 0);

  // On tab 2: tab 2 becomes current (the entity's id names no tab by itself).
  Select({2});
  cmd->StartUp(CLayerManageCmd::kSetCurrent);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 2);
  EXPECT_EQ(tabs.curID, ids[2]);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(tabs.clearingRefreshes, 1);

  // An entity on no known layer leaves the current layer alone.
  ents[0]->SetLayerID(ids[2] + 1000);
  Select({0});
  cmd->StartUp(CLayerManageCmd::kSetCurrent);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 2);
}

TEST_F(LayerManageCmdTest, MoveSelectionToLayerMapsTheTabIndexToItsId) {
  Select({0, 1});
  for (int bad : {-1, 3}) {
    cmd->StartUp(CLayerManageCmd::kAllOn);  // takes the shared objects
    Select({0, 1});
    cmd->MoveSelectionToLayer(bad);
    EXPECT_EQ(ents[0]->GetLayerID(), ids[0]) << bad;
    EXPECT_EQ(sel.GetCount(), 2);
  }
  const int before = tabs.refreshes;
  cmd->MoveSelectionToLayer(2);
  EXPECT_EQ(ents[0]->GetLayerID(), ids[2]);
  EXPECT_EQ(ents[1]->GetLayerID(), ids[2]);
  EXPECT_EQ(db.GetCountOnLayerIndex(2), 3);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(tabs.refreshes, before + 1);
  // An empty selection does nothing.
  cmd->MoveSelectionToLayer(0);
  EXPECT_EQ(tabs.refreshes, before + 1);
}

TEST_F(LayerManageCmdTest, LayerChangesReachTheCommandThroughTheHub) {
  EXPECT_EQ(cmd->OnMessage(nullptr), 0);
  QMessage other(0, QMessage::kColorChanged);
  EXPECT_EQ(cmd->OnMessage(&other), 1);
  EXPECT_EQ(tabs.resets, 0);
  // The document sends code 5 after loading; the hub offers it to the main commands.
  QMessage rebuild(0, QMessage::kRebuildLayers);
  EXPECT_EQ(hub.OnMessage(&rebuild), 1);
  EXPECT_EQ(tabs.resets, 1);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 0);
}

TEST_F(LayerManageCmdTest, WithoutTheTabWindowNothingChanges) {
  gSetLayerTabs(nullptr);
  SetVisible({0, 1, 0});
  Select({2});
  for (int sub = 0; sub <= 6; ++sub) cmd->StartUp(sub);
  cmd->MoveSelectionToLayer(0);
  EXPECT_EQ(Visible(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(ents[2]->GetLayerID(), ids[2]);
  EXPECT_EQ(cmd->GetState(), -1);
}

}  // namespace
