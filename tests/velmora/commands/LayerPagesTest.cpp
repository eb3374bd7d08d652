// The layer pages driven headless: the layer command shows them in the design-centre panel,
// the editing page's list edits the layers cell by cell, and the selection page moves the
// selected entities. The drawing's layer ids differ from the tab indexes throughout.
#include "platform/afx/Control.h"
#include "platform/afx/RecordingDC.h"
#include "platform/win/Messages.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/commands/DlgLayerManager.h"
#include "velmora/commands/DlgLayerSel.h"
#include "velmora/commands/ListCellEdit.h"

#include "LayerFixture.h"

namespace {

class LayerPagesTest : public LayerFixture {
 protected:
  void SetUp() override {
    LayerFixture::SetUp();
    ASSERT_TRUE(frame.Create(nullptr, L"frame", WS_VISIBLE, RECT{0, 0, 1000, 700}, nullptr, 0));
    ASSERT_TRUE(panel.CreateMe(&frame));
    gSetDlgDesignCenter(&panel);
    ASSERT_TRUE(defaultPage.Create(nullptr, L"page", WS_CHILD, RECT{0, 0, 10, 10}, &panel, 0));
    panel.AddPage(L"Work Area", &defaultPage);
  }
  void TearDown() override {
    cmd->Cancel();
    gSetDlgDesignCenter(nullptr);
    LayerFixture::TearDown();
  }
  CDlgLayerManager* Manager() { return dynamic_cast<CDlgLayerManager*>(cmd->GetCmdDlg()); }
  CDlgLayerSel* Chooser() { return dynamic_cast<CDlgLayerSel*>(cmd->GetCmdDlg()); }
  std::vector<CString> Names(CKxLayerList& list) {
    std::vector<CString> n;
    for (int i = 0; i < list.GetItemCount(); ++i) n.push_back(list.GetItemText(i, CKxLayerList::kColName));
    return n;
  }
  std::vector<CString> DbNames() {
    std::vector<CString> n;
    for (int i = 0; i < db.GetLayerCount(); ++i) n.push_back(db.GetLayerAt(i)->GetName());
    return n;
  }

  CWnd frame;
  CDesignCentral panel;
  CWnd defaultPage;
};

TEST_F(LayerPagesTest, EditPageComesUpInThePanelWithOneRowPerLayer) {
  db.GetLayerAt(2)->SetColor(RGB(10, 20, 30));
  db.GetLayerAt(2)->SetLock(1);
  ents[0]->SetLayerID(ids[2]);  // two entities on the last layer, none on the first
  Select({1});
  panel.ShowWindow(SW_HIDE);
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  EXPECT_EQ(cmd->GetState(), 0) << "the command stays while its page is shown";
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_TRUE(panel.IsWindowVisible());
  ASSERT_TRUE(panel.IsCommandPageLoaded());
  EXPECT_EQ(panel.GetCurPage()->title, CString(L"Edit Layer"));
  CDlgLayerManager* dlg = Manager();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(panel.GetCurPage()->wnd, dlg);
  EXPECT_EQ(dlg->GetParent(), &panel);
  EXPECT_EQ(tabs.curOnly, 0);

  CKxLayerList& list = dlg->GetList();
  EXPECT_EQ(list.GetExtendedStyle() & 0x21u, 0x21u);
  ASSERT_EQ(list.GetColumnCount(), 7);
  const int widths[] = {0, 19, 42, 17, 17, 17, 36};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(list.GetColumnWidth(c), widths[c]) << c;
  EXPECT_EQ(Names(list), (std::vector<CString>{L"Page1", L"Page3", L"Page4"}));
  const int counts[] = {0, 1, 2};
  for (int r = 0; r < 3; ++r) {
    const auto* row = list.GetRow(r);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->current, r == 1 ? 1 : 0) << r;
    EXPECT_EQ(row->count, counts[r]) << r;
    CString n;
    n.Format(L"%d", counts[r]);
    EXPECT_EQ(list.GetItemText(r, CKxLayerList::kColCount), n);
  }
  EXPECT_EQ(list.GetRow(2)->colour, RGB(10, 20, 30));
  EXPECT_EQ(list.GetRow(2)->locked, 1);
  EXPECT_EQ(list.GetCurrentRow(), 1);

  // Ending the command gives the panel back as it was.
  cmd->Cancel();
  EXPECT_EQ(cmd->GetState(), -1);
  EXPECT_FALSE(panel.IsCommandPageLoaded());
  EXPECT_EQ(panel.GetCurPage()->wnd, &defaultPage);
  EXPECT_FALSE(panel.IsWindowVisible());
  EXPECT_EQ(cmd->GetCmdDlg(), nullptr);
}

TEST_F(LayerPagesTest, WithoutThePanelThePagesDoNotStart) {
  gSetDlgDesignCenter(nullptr);
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 0);
  Select({0});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kChangeLayer), 0);
  EXPECT_EQ(cmd->GetState(), -1);
  EXPECT_EQ(cmd->GetCmdDlg(), nullptr);
  EXPECT_FALSE(panel.IsCommandPageLoaded());
}

TEST_F(LayerPagesTest, AddAndDeleteKeepListAndLayersInStep) {
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  CDlgLayerManager* dlg = Manager();
  CKxLayerList& list = dlg->GetList();
  // ADD takes the smallest free "Page" number.
  AfxUserClick(dlg->GetDlgItem(CDlgLayerManager::kAddID)->GetSafeHwnd());
  EXPECT_EQ(Names(list), (std::vector<CString>{L"Page1", L"Page3", L"Page4", L"Page2"}));
  EXPECT_EQ(DbNames(), Names(list));
  EXPECT_EQ(list.GetRow(3)->current, 0);
  EXPECT_EQ(list.GetRow(3)->count, 0);

  // DEL asks first; No keeps everything.
  list.ClickCell(2, CKxLayerList::kColCount);
  backend.answers = {IDNO};
  dlg->OnDel();
  EXPECT_EQ(backend.boxes.back(), L"Layer|Are you sure to remove this layer?");
  EXPECT_EQ(list.GetItemCount(), 4);

  // Deleting the current layer (tab 1): the tab window makes tab 0 current and the list marks
  // the same row, so writing a row back afterwards keeps that layer current.
  list.ClickCell(1, CKxLayerList::kColCount);
  backend.answers = {IDYES};
  dlg->OnDel();
  EXPECT_EQ(Names(list), (std::vector<CString>{L"Page1", L"Page4", L"Page2"}));
  EXPECT_EQ(DbNames(), Names(list));
  EXPECT_EQ(list.GetCurrentRow(), tabs.GetCurLayerIndex());
  // Deleting the current last-but-one layer: the one before it is current in both.
  list.ClickCell(list.GetCurrentRow(), CKxLayerList::kColCount);
  tabs.SetCurLayer(1);
  list.SetCurrentRow(1);
  list.ClickCell(1, CKxLayerList::kColCount);
  backend.answers = {IDYES};
  dlg->OnDel();
  EXPECT_EQ(Names(list), (std::vector<CString>{L"Page1", L"Page2"}));
  EXPECT_EQ(tabs.GetCurLayerIndex(), 0);
  EXPECT_EQ(list.GetCurrentRow(), 0);
  list.ClickCell(1, CKxLayerList::kColLock);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 0) << "a row written back keeps the current layer";

  // Down to one layer: DEL refuses.
  list.ClickCell(1, CKxLayerList::kColCount);
  backend.answers = {IDYES};
  dlg->OnDel();
  ASSERT_EQ(db.GetLayerCount(), 1);
  backend.boxes.clear();
  dlg->OnDel();
  EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Layer|Can't remove last layer!"}));
  EXPECT_EQ(list.GetItemCount(), 1);
  EXPECT_FALSE(list.DeleteRow(0)) << "the only row stays";
}

TEST_F(LayerPagesTest, CellClicksEditTheLayers) {
  SetVisible({1, 1, 1});
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  CKxLayerList& list = Manager()->GetList();

  // Lock and visibility of the current layer are refused.
  for (int col : {CKxLayerList::kColLock, CKxLayerList::kColVisible}) {
    backend.boxes.clear();
    list.ClickCell(1, col);
    EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Layer|Current layer must be unlock and visible"}));
  }
  EXPECT_EQ(db.GetLayerAt(1)->IsLocked(), 0);
  EXPECT_EQ(Visible(), (std::vector<int>{1, 1, 1}));

  // Elsewhere they flip and reach the layer at once.
  const int refreshes = tabs.refreshes;
  list.ClickCell(2, CKxLayerList::kColLock);
  list.ClickCell(0, CKxLayerList::kColVisible);
  EXPECT_EQ(db.GetLayerAt(2)->IsLocked(), 1);
  EXPECT_EQ(Visible(), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(tabs.refreshes, refreshes + 2);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 1);
  EXPECT_EQ(list.GetClickedRow(), 0);

  // Colour: a cancelled dialog changes nothing, a chosen colour goes to the layer.
  list.ClickCell(0, CKxLayerList::kColColor);
  EXPECT_EQ(backend.colourDialogs, 1);
  EXPECT_EQ(db.GetLayerAt(0)->GetColor(), 0u);
  const COLORREF red = RGB(255, 0, 0);
  backend.colour_ = &red;
  list.ClickCell(0, CKxLayerList::kColColor);
  EXPECT_EQ(db.GetLayerAt(0)->GetColor(), red);
  EXPECT_EQ(list.GetRow(0)->colour, red);

  // Making another layer current asks; No leaves it.
  backend.answers = {IDNO};
  list.ClickCell(2, CKxLayerList::kColCurrent);
  EXPECT_EQ(backend.boxes.back(), L"Current Layer|are you sure to modify the current layer? ");
  EXPECT_EQ(tabs.GetCurLayerIndex(), 1);
  backend.answers = {IDYES};
  list.ClickCell(2, CKxLayerList::kColCurrent);
  EXPECT_EQ(tabs.GetCurLayerIndex(), 2);
  EXPECT_EQ(list.GetCurrentRow(), 2);
  EXPECT_EQ(list.GetRow(1)->current, 0);
  EXPECT_EQ(list.GetRow(2)->locked, 0);
  EXPECT_EQ(db.GetLayerAt(2)->IsLocked(), 0);
  // Clicking the current row's marker again asks nothing.
  backend.boxes.clear();
  list.ClickCell(2, CKxLayerList::kColCurrent);
  EXPECT_TRUE(backend.boxes.empty());

  // A real click goes through the list's hit test.
  CRect cell;
  ASSERT_TRUE(list.GetSubItemRect(0, CKxLayerList::kColLock, LVIR_BOUNDS, cell));
  list.SendMessage(WM_LBUTTONDOWN, 0, LPARAM(MAKELONG(WORD(cell.left + 2), WORD(cell.top + 2))));
  EXPECT_EQ(db.GetLayerAt(0)->IsLocked(), 1);
}

TEST_F(LayerPagesTest, NamesAreEditedInPlaceAndMustStayUnique) {
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  CKxLayerList& list = Manager()->GetList();
  struct Case {
    const wchar_t* typed;
    UINT end;  // VK_RETURN, VK_ESCAPE, or 0: the focus moves away
    const wchar_t* box;
    const wchar_t* name;  // of layer 0 afterwards
  };
  const Case cases[] = {
      {L"Base", VK_RETURN, nullptr, L"Base"},
      {L"Page3", 0, L"Layer|Layer name conflict", L"Base"},  // another layer's exact name
      {L"page3", 0, nullptr, L"page3"},                       // the comparison is exact
      {L"Gone", VK_ESCAPE, nullptr, L"page3"},
  };
  for (const Case& c : cases) {
    backend.boxes.clear();
    list.ClickCell(0, CKxLayerList::kColName);
    auto* edit = dynamic_cast<CListCellEdit*>(CWnd::GetFocus());
    ASSERT_NE(edit, nullptr) << c.typed;
    EXPECT_EQ(edit->GetDlgCtrlID(), CKxLayerList::kEditID);
    CRect r, cell;
    edit->GetWindowRect(&r);
    list.ScreenToClient(&r);
    list.GetSubItemRect(0, CKxLayerList::kColName, LVIR_BOUNDS, cell);
    EXPECT_EQ(r.left, cell.left + 4);
    EXPECT_EQ(r.right, cell.right - 3);
    AfxUserEditText(edit->GetSafeHwnd(), c.typed);
    if (c.end) {
      MSG msg{edit->GetSafeHwnd(), WM_KEYDOWN, c.end, 0, 0, {}};
      EXPECT_TRUE(edit->PreTranslateMessage(&msg)) << "Enter and Escape stay with the editor";
    } else {
      list.SetFocus();
    }
    EXPECT_EQ(CWnd::GetFocus(), &list);
    EXPECT_EQ(backend.boxes, c.box ? std::vector<std::wstring>{c.box} : std::vector<std::wstring>{}) << c.typed;
    EXPECT_EQ(db.GetLayerAt(0)->GetName(), CString(c.name)) << c.typed;
    EXPECT_EQ(list.GetItemText(0, CKxLayerList::kColName), CString(c.name)) << c.typed;
  }
  // A column too narrow to edit, or a row that does not exist, gets no editor.
  EXPECT_EQ(list.EditCell(0, CKxLayerList::kColNone), nullptr);
  EXPECT_EQ(list.EditCell(7, CKxLayerList::kColName), nullptr);
}

TEST_F(LayerPagesTest, CellsDrawTheirMarkersAndTheColour) {
  db.GetLayerAt(0)->SetColor(RGB(0, 0, 255));
  db.GetLayerAt(0)->SetLock(1);
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  CKxLayerList& list = Manager()->GetList();
  CRecordingDC dc;
  list.DrawRows(&dc);
  // The colour swatch: a framed rectangle per row, filled one pixel inside with the colour.
  std::vector<COLORREF> fills;
  for (const auto& call : dc.GetCalls())
    if (call.kind == CRecordingDC::Kind::FillSolidRect) fills.push_back(call.pixelColor);
  EXPECT_NE(std::find(fills.begin(), fills.end(), RGB(0, 0, 255)), fills.end());
  EXPECT_GE(dc.Count(CRecordingDC::Kind::Rectangle), 3u);
  // Icons are drawn pixel by pixel: the locked marker's gold body appears only for row 0.
  size_t gold = 0;
  for (const auto& call : dc.GetCalls())
    if (call.kind == CRecordingDC::Kind::SetPixel && call.pixelColor == RGB(200, 150, 0)) ++gold;
  EXPECT_GT(gold, 0u);
  EXPECT_EQ(list.GetCurrentRow(), 1);
}

TEST_F(LayerPagesTest, ClosingTheEditPageSetsTheModeFromTheVisibleLayers) {
  struct Case {
    std::vector<int> visible;
    int mode;
  };
  for (const Case& c : {Case{{0, 1, 0}, 1}, Case{{1, 1, 0}, 0}}) {
    ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
    SetVisible(c.visible);
    AfxUserClick(Manager()->GetDlgItem(CDlgLayerManager::kOkID)->GetSafeHwnd());
    EXPECT_EQ(tabs.curOnly, c.mode);
    EXPECT_EQ(cmd->GetState(), -1) << "OK ends the command";
    EXPECT_FALSE(panel.IsCommandPageLoaded());
  }
}

TEST_F(LayerPagesTest, SelectPageMovesTheSelectionToTheChosenLayer) {
  Select({});
  EXPECT_EQ(cmd->StartUp(CLayerManageCmd::kChangeLayer), 1);
  EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Layer|Change obj layer"}));
  EXPECT_EQ(cmd->GetState(), -1);

  Select({0, 1});
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kChangeLayer), 1);
  CDlgLayerSel* dlg = Chooser();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(panel.GetCurPage()->title, CString(L"Layer Select"));
  CListBox& list = dlg->GetList();
  ASSERT_EQ(list.GetCount(), 3);
  CString name;
  list.GetText(2, name);
  EXPECT_EQ(name, CString(L"Page4"));
  AfxUserSelect(list.GetSafeHwnd(), 2);
  AfxUserClick(dlg->GetDlgItem(IDOK)->GetSafeHwnd());
  EXPECT_EQ(ents[0]->GetLayerID(), ids[2]);
  EXPECT_EQ(ents[1]->GetLayerID(), ids[2]);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(cmd->GetState(), -1);
  EXPECT_FALSE(panel.IsCommandPageLoaded());

  // Cancel ends the command without moving anything; OK with nothing chosen moves nothing.
  for (UINT button : {UINT(IDCANCEL), UINT(IDOK)}) {
    Select({2});
    ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kChangeLayer), 1);
    AfxUserClick(Chooser()->GetDlgItem(button)->GetSafeHwnd());
    EXPECT_EQ(ents[2]->GetLayerID(), ids[2]);
    EXPECT_EQ(cmd->GetState(), -1);
  }
}

TEST_F(LayerPagesTest, RightClickEndsTheCommandAndItsPage) {
  ASSERT_EQ(cmd->StartUp(CLayerManageCmd::kEdit), 1);
  Position pos;
  cmd->OnRButtonDown(0, pos);
  EXPECT_EQ(cmd->GetState(), -1);
  EXPECT_EQ(cmd->GetCmdDlg(), nullptr);
  EXPECT_FALSE(panel.IsCommandPageLoaded());
}

}  // namespace
