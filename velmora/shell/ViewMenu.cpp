#include "velmora/shell/ViewMenu.h"
#include "velmora/commands/CommandIds.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbEntity.h"
#include "db/Selector.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/DocView.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Window.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/CommandOps.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/SettingsPages.h"
#include "velmora/shell/ViewServices.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

ViewServices& gViewServices() {
  static ViewServices services;
  return services;
}

namespace {
constexpr int kHostSelect = 1, kHostText = 4;
constexpr int kFlagLeave3D = 0x4, kFlagEnter3D = 0x8, kFlagUndo = 0x10, kFlagRedo = 0x20;
constexpr int kGuideLineType = 11;

// ---- small pieces the rows share ----

COrdvale* Hub() { return gGetOrdvale(); }

CCommand* Cmd(UINT id) {
  COrdvale* h = Hub();
  return h ? h->GetCmd(id) : nullptr;
}

// "get-run": the registered command runs with the sub-command; a missing one does nothing.
void GetRun(UINT id, int sub) {
  COrdvale* h = Hub();
  if (CCommand* c = h ? h->GetCmd(id) : nullptr) h->RunAppCmd(c, sub);
}

void Cancel() {
  if (COrdvale* h = Hub()) h->CancelCurCmd();
}

void CancelIfRunning() {
  if (COrdvale* h = Hub(); h && h->CurCmdFlag() == 1) h->CancelCurCmd();
}

// The current command is c, running sub-command sub.
bool CurrentWith(CCommand* c, int sub) {
  COrdvale* h = Hub();
  return c && h && h->GetCurCmd() == c && c->GetSubCmd() == sub;
}

bool CurrentIs(UINT id) {
  COrdvale* h = Hub();
  return h && h->GetCurCmd() && h->GetCurCmd()->GetID() == id;
}

CCommand* MainCmd() {
  COrdvale* h = Hub();
  return h ? h->GetCurMainCmd() : nullptr;
}

CCommand* TextMain() {
  CCommand* m = MainCmd();
  return m && m->HostType() == kHostText ? m : nullptr;
}

void ToSelection() {
  COrdvale* h = Hub();
  if (!h || hubGetMainCmdID() == ID_MODE_SELECTION) return;
  if (CCommand* sel = h->GetMainCmd(ID_MODE_SELECTION)) h->RunMainCmd(sel);
}

void RunMain(UINT id) {
  COrdvale* h = Hub();
  if (CCommand* m = h ? h->GetMainCmd(id) : nullptr) h->RunMainCmd(m);
}

bool Is3D() {
  CVurode* v = gGetVurode();
  return v && v->IsView3D();
}

// The main commands under which the view may switch between 2D and 3D: those that say so, and
// the selection tools, which every other tool returns to, so that 3D is reachable at all.
bool May3D() {
  CCommand* m = MainCmd();
  return m && (m->HasFlag(kFlagEnter3D) || hubGetMainCmdID() == ID_MODE_SELECTION);
}

// Entities Select All may take: drawn, editable, not guide lines, not filtered out.
bool Eligible(const CDBase& db, const CDbEntity* e) {
  return e && !e->IsSystem() && e->IsVisible() && !e->IsLocked() && e->GetType() != kGuideLineType &&
         (e->GetKind() & db.GetFilterMask()) == 0;
}

// ---- plain commands ----

void RunPlain(CDraftonView&, UINT id) {
  if (COrdvale* h = Hub()) h->RunAppCmd(id, 0);
}
void HubUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  if (COrdvale* h = Hub()) h->OnUpdateCmdUI(ui);
}
void Enter(CDraftonView&, UINT) {
  if (COrdvale* h = Hub()) h->OnReturn();
}

// ---- commands with sub-commands ----

// Point, Rectangle and the other drawing items: the rectangle variants run the rectangle
// command with their sub-command; the others their own command with -1.
int DrawItemSub(UINT id) {
  return id == ID_DRAW_RECT ? 0 : id == ID_DRAW_FILLET_RECT ? 1 : id == ID_DRAW_CHAMFER_RECT ? 2 : -1;
}
void DrawItem(CDraftonView&, UINT id) {
  CancelIfRunning();
  const int sub = DrawItemSub(id);
  GetRun(sub >= 0 ? ID_DRAW_RECT : id, sub);
}
void DrawItemUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(id);
  if (!c) c = Cmd(ID_DRAW_RECT);
  if (!c) return;
  if (!c->IsEnable()) {
    ui->Enable(FALSE);
    ui->SetCheck(0);
    return;
  }
  ui->Enable(TRUE);
  const int sub = DrawItemSub(id);
  ui->SetCheck(sub >= 0 ? CurrentWith(Cmd(ID_DRAW_RECT), sub) : CurrentIs(id));
}

// Items running their own command with 0 after cancelling (Line, Circle, Move...).
void OwnCancel(CDraftonView&, UINT id) {
  Cancel();
  GetRun(id, 0);
}
void OwnCancelIfRunning(CDraftonView&, UINT id) {
  CancelIfRunning();
  GetRun(id, 0);
}
void OwnUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(id);
  if (!c) return;
  ui->Enable(c->IsEnable() ? TRUE : FALSE);
  ui->SetCheck(CurrentIs(id));
}

void ArcItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(ID_DRAW_ARC, id == ID_DRAW_ARC_BUTTON ? 0 : int(id - ID_DRAW_ARC_3P));
}
void ArcUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(ID_DRAW_ARC);
  if (!c) return;
  ui->Enable(c->IsEnable() ? TRUE : FALSE);
  ui->SetCheck(id == ID_DRAW_ARC_BUTTON ? CurrentIs(ID_DRAW_ARC) : CurrentWith(c, int(id - ID_DRAW_ARC_3P)));
}
void RectButtonUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  CCommand* c = Cmd(ID_DRAW_RECT);
  if (!c) return;
  ui->Enable(c->IsEnable() ? TRUE : FALSE);
  ui->SetCheck(CurrentIs(ID_DRAW_RECT));
}
void RectButton(CDraftonView& v, UINT) { DrawItem(v, ID_DRAW_RECT); }

void MirrorItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(ID_XFORM_MIRROR, int(id - ID_XFORM_MIRROR_H));
}
void MirrorUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(ID_XFORM_MIRROR);
  if (!c) return;
  if (!c->IsEnable()) {
    ui->Enable(FALSE);
  } else if (CSelector* sel = gGetSelector(); sel && sel->GetSizeOfBType(288) >= 1) {
    // Mirroring about a picked line makes no sense for these kinds: only the axis mirrors.
    ui->Enable(id != ID_XFORM_MIRROR ? TRUE : FALSE);
  }
  ui->SetCheck(CurrentWith(c, int(id - ID_XFORM_MIRROR_H)));
}

// Sub-commands of the align command, in menu id order ID_ALIGN_LEFT..ID_ALIGN_SAME_SIZE.
constexpr int kAlignSubs[] = {1, 2, 3, 4, 12, 6, 5, 7, 8, 9, 10, 11};
void AlignItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(ID_ALIGN_CMD, kAlignSubs[id - ID_ALIGN_LEFT]);
}
void EnableBy(UINT owner, CCmdUI* ui) {
  if (CCommand* c = Cmd(owner)) ui->Enable(c->IsEnable() ? TRUE : FALSE);
}
void AlignUpdate(CDraftonView&, CCmdUI* ui, UINT) { EnableBy(ID_ALIGN_CMD, ui); }

void ImageItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(ID_IMAGE_EDIT, int(id - ID_IMAGE_BRIGHTNESS));
}
void ImageExtra(CDraftonView&, UINT id) { GetRun(ID_IMAGE_EDIT, id == ID_IMAGE_DESPECKLE ? 4 : 5); }
void ImageUpdate(CDraftonView&, CCmdUI* ui, UINT) { EnableBy(ID_IMAGE_EDIT, ui); }

// Slice families: the first id of the family owns the command, sub-commands 1..3 in id order.
UINT SliceOwner(UINT id) {
  return id >= ID_SLICE_LINEAR && id <= ID_SLICE_ELLIPSE ? ID_SLICE_LINEAR
         : id >= ID_XFORM_COPY_RECT                      ? ID_XFORM_COPY_RECT
                                                         : ID_SLICE_PARALLEL;
}
void SliceItem(CDraftonView&, UINT id) {
  Cancel();
  const UINT owner = SliceOwner(id);
  GetRun(owner, int(id - owner) + 1);
}
void SliceUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  const UINT owner = SliceOwner(id);
  CCommand* c = Cmd(owner);
  if (!c) return;
  if (!c->IsEnable()) {
    ui->Enable(FALSE);
    ui->SetCheck(0);
    return;
  }
  ui->Enable(TRUE);
  ui->SetCheck(CurrentWith(c, int(id - owner) + 1));
}
void DuplicationUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(ID_XFORM_COPY_RECT);
  if (!c) return;
  if (!c->IsEnable())
    ui->Enable(FALSE);
  else
    ui->SetCheck(CurrentWith(c, int(id - ID_XFORM_COPY_RECT) + 1));
}

void BoolItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(ID_BOOL_JOIN, int(id - ID_BOOL_JOIN));
}
void BoolUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(ID_BOOL_JOIN);
  if (!c) return;
  ui->Enable(c->IsEnable(id == ID_BOOL_JOIN ? 3 : 1) ? TRUE : FALSE);
  if (CurrentIs(ID_BOOL_JOIN)) ui->SetCheck(c->GetSubCmd() == int(id - ID_BOOL_JOIN));
}

void LineFit(CDraftonView&, UINT) {
  if (COrdvale* h = Hub()) h->RunAppCmd(ID_CURVE_ARC_FIT, 1);
}
void LineFitUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  if (CCommand* c = Cmd(ID_CURVE_ARC_FIT)) ui->Enable(c->IsEnable() == 1);
}

CCommand* RepeatCmd(UINT id) {
  COrdvale* h = Hub();
  if (!h) return nullptr;
  return id == ID_EDIT_REPEAT ? h->GetPrevCmd() : h->GetPrevPrevCmd();
}
void Repeat(CDraftonView&, UINT id) {
  if (CCommand* c = RepeatCmd(id)) Hub()->RunAppCmd(c, c->GetSubCmd());
}
void RepeatUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = RepeatCmd(id);
  ui->Enable(c && c->IsEnable() == 1);
}

void Nesting(CDraftonView&, UINT id) {
  COrdvale* h = Hub();
  CCommand* c = h ? h->GetCmd(L"Interactive Nesting") : nullptr;
  if (!c) return;
  if (id == ID_NEST_EXIT) {
    Cancel();
    if (CCommand* sel = h->GetMainCmd(ID_MODE_SELECTION)) h->RunMainCmd(sel);
    return;
  }
  auto* ops = dynamic_cast<CNestingOps*>(c);
  if (!ops) return;
  switch (id) {
    case ID_NEST_CONFIRM_STOCK:
      ops->AddStock();
      break;
    case ID_NEST_CONFIRM_PART:
      ops->AddPart();
      break;
    case ID_NEST_CLEAR:
      ops->RemovePart();
      break;
    case ID_NEST_X_MIRROR:
    case ID_NEST_Y_MIRROR:
      ops->MirrorPart(id == ID_NEST_X_MIRROR ? 1 : 2);
      ops->SetDownPart(1);
      break;
    default: break;
  }
}

// ---- main-command switches ----

void MainSwitchUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  if (!Hub()) return;
  const bool current = hubGetMainCmdID() == id;
  ui->SetCheck(current);
  if (current && gViewServices().toolBarCurCmd) gViewServices().toolBarCurCmd(id);
}
void Selection(CDraftonView&, UINT) { ToSelection(); }
void NodeTools(CDraftonView&, UINT) {
  if (!Hub()) return;
  if (hubGetMainCmdID() == ID_MODE_NODE)
    ToSelection();
  else
    RunMain(ID_MODE_NODE);
  Cancel();
}
void TextOrSymbolTools(CDraftonView&, UINT id) {
  if (!Hub()) return;
  if (hubGetMainCmdID() == id)
    ToSelection();
  else
    RunMain(id);
}
void Esc(CDraftonView& view, UINT) {
  COrdvale* h = Hub();
  if (!h) return;
  if (hubGetMainCmdID() != ID_MODE_SELECTION) {
    ToSelection();
  } else if (h->GetCurCmd()) {
    h->CancelCurCmd();
  } else if (CSelector* sel = gGetSelector(); sel && !sel->IsEmpty()) {
    sel->ClearAll(h->GetViewDC());
    view.RequestRedraw();
  }
}
void InsertSymbol(CDraftonView&, UINT) {
  if (auto* ops = dynamic_cast<CTextMainOps*>(TextMain())) ops->StartInsSign();
}
void InsertSymbolUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  auto* ops = dynamic_cast<CTextMainOps*>(TextMain());
  ui->Enable(ops && ops->IsEditStateSet());
}

// ---- node editing ----

int NodeCode(UINT id) {
  static const std::unordered_map<UINT, int> kCodes = {
      {ID_NODE_SMOOTH, 0},       {ID_NODE_CUSP, 1},        {ID_NODE_DELETE, 2},   {ID_NODE_ADD, 3},
      {ID_NODE_ALIGN, 4},        {ID_NODE_SYMMETRY, 5},    {ID_NODE_TO_CURVE, 7}, {ID_NODE_TO_LINE, 8},
      {ID_NODE_START_POINT, 10}, {ID_NODE_DISCONNECT, 11}, {ID_NODE_CLOSE, 12},   {ID_NODE_CONNECT, 13},
      {ID_NODE_AUTO_REMOVE, 15}, {ID_NODE_FILLET, 16},     {ID_NODE_VERTICAL, 17}};
  auto it = kCodes.find(id);
  return it == kCodes.end() ? -1 : it->second;
}
void NodeItem(CDraftonView&, UINT id) {
  QMessage msg(QMessage::kNodeEdit, NodeCode(id));
  kxSendMessage(&msg);
}
void NodeUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  if (!Hub()) return;
  if (CCommand* m = MainCmd(); m && m->GetID() != ID_MODE_NODE) {
    ui->Enable(FALSE);
    return;
  }
  QMessage msg(QMessage::kNodeEdit, NodeCode(id));
  kxSendMessage(&msg, ui);
}

// ---- the view's own actions ----

void Redraw(CDraftonView& view) {
  // The 3D view repaints its whole scene on the next paint as well.
  view.RequestRedraw();
}

bool UndoAllowed(int flag) {
  COrdvale* h = Hub();
  CCommand* cur = h ? h->GetCurCmd() : nullptr;
  return !cur || cur->HasFlag(flag);
}
void UndoItem(CDraftonView& view, UINT) { viewUndo(view); }
void RedoItem(CDraftonView& view, UINT) { viewRedo(view); }
void UndoUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CActManager* m = gGetActManager();
  if (!UndoAllowed(kFlagUndo) || !m || !m->IsReady()) {
    ui->Enable(FALSE);
    return;
  }
  ui->Enable(id == ID_EDIT_UNDO ? m->CanUndo() : m->CanRedo());
}

void SelectAll(CDraftonView& view, UINT) {
  CDBase* db = gGetDBase();
  CSelector* sel = gGetSelector();
  CCommand* m = MainCmd();
  if (!db || !sel || !m || m->HostType() != kHostSelect) return;
  sel->ClearAll(nullptr);
  CDbEntityList all;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CDbEntity* e = list.GetNext(pos); Eligible(*db, e)) all.AddTail(e);
  if (all.IsEmpty()) return;
  sel->SetSelection(all);
  view.RequestRedraw();
}
void InverseSelection(CDraftonView& view, UINT) {
  CDBase* db = gGetDBase();
  CSelector* sel = gGetSelector();
  CCommand* m = MainCmd();
  if (!db || !sel || !m || m->HostType() != kHostSelect) return;
  std::unordered_set<const CDbEntity*> was;
  for (POSITION pos = sel->GetList().GetHeadPosition(); pos;) was.insert(sel->GetList().GetNext(pos));
  sel->ClearAll(nullptr);
  CDbEntityList rest;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CDbEntity* e = list.GetNext(pos); Eligible(*db, e) && !was.count(e)) rest.AddTail(e);
  if (rest.IsEmpty()) return;
  sel->SetSelection(rest);
  view.RequestRedraw();
}
void SelectionNotEmpty(CDraftonView&, CCmdUI* ui, UINT) {
  CSelector* sel = gGetSelector();
  ui->Enable(sel && !sel->IsEmpty());
}
void HideObjects(CDraftonView& view, UINT) {
  CSelector* sel = gGetSelector();
  if (!sel) return;
  for (POSITION pos = sel->GetList().GetHeadPosition(); pos;) sel->GetList().GetNext(pos)->SetVisible(0);
  kxClearSelSet(nullptr);
  view.RequestRedraw();
}
void ShowObjects(CDraftonView& view, UINT) {
  CDBase* db = gGetDBase();
  if (!db) return;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CDbEntity* e = list.GetNext(pos); !e->IsVisible()) e->SetVisible(1);
  view.RequestRedraw();
}
void ShowObjectsUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  CDBase* db = gGetDBase();
  ui->Enable(db && db->GetInvisibleCount() > 0);
}
constexpr int kFillKinds = 0x0E;
void Fill(CDraftonView& view, UINT) {
  CSelector* sel = gGetSelector();
  if (!sel || sel->IsEmpty()) return;
  if (auto* ops = dynamic_cast<CTextMainOps*>(TextMain())) {
    ops->OnFill();
  } else {
    for (POSITION pos = sel->GetList().GetHeadPosition(); pos;) {
      CDbEntity* e = sel->GetList().GetNext(pos);
      if (e->GetKind() & kFillKinds) e->SetFill(!e->IsFill());
    }
  }
  view.RequestRedraw();
}
void FillUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  CSelector* sel = gGetSelector();
  bool any = false;
  if (sel)
    for (POSITION pos = sel->GetList().GetHeadPosition(); pos && !any;)
      any = (sel->GetList().GetNext(pos)->GetKind() & kFillKinds) != 0;
  ui->Enable(any);
}

void Toggle3D(CDraftonView& view, UINT) {
  CVurode* v = gGetVurode();
  CKXGlobal* g = gGetKXGlobal();
  if (!v || !May3D()) return;
  ViewServices& s = gViewServices();
  const bool rulersOn = g && g->IsRulersShown();
  if (v->IsView2D()) {
    if (rulersOn && s.showRulers) s.showRulers(false);
    const CRect r = v->GetViewRect();
    view.ShowTip(CPoint(r.left, r.top + 17));
    v->SetView3D();
  } else {
    if (!UndoAllowed(kFlagLeave3D)) return;
    if (rulersOn && s.showRulers && !(s.rulersVisible && s.rulersVisible())) s.showRulers(true);
    v->SetView2D();
  }
  view.RequestRedraw();
}
void Toggle3DUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  ui->Enable(May3D());
  ui->SetCheck(Is3D());
}

void DisplayMode(CDraftonView& view, UINT id) {
  CVurode* v = gGetVurode();
  if (!v) return;
  const unsigned mode = id - ID_VIEW_RENDER;
  if (v->GetSrfShowMode() == mode) return;
  v->SetSrfShowMode(mode);
  if (CDBase* db = gGetDBase()) db->SetListDone(0);
  view.RequestRedraw();
}
void RedrawItem(CDraftonView& view, UINT) { Redraw(view); }

void GuideLines(CDraftonView& view, UINT) {
  CDBase* db = gGetDBase();
  if (!db) return;
  db->SetDbAidLineVisibility(!db->GetDbAidLineVisibility());
  kxClearSelSet(nullptr);
  view.RequestRedraw();
}
void GuideLinesUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  if (CDBase* db = gGetDBase()) ui->SetCheck(db->GetDbAidLineVisibility() ? 1 : 0);
}

void Only3DUpdate(CDraftonView&, CCmdUI* ui, UINT) { ui->Enable(Is3D()); }
void RotateView(CDraftonView&, UINT id) {
  if (COrdvale* h = Hub()) h->RunAppCmd(id, 0);
}

int StandardViewType(UINT id) {
  switch (id) {
    case ID_VIEW_FRONT:
      return 1;
    case ID_VIEW_BACK:
      return 2;
    case ID_VIEW_TOP:
      return 3;
    case ID_VIEW_BOTTOM:
      return 4;
    case ID_VIEW_RIGHT:
      return 5;
    case ID_VIEW_LEFT:
      return 6;
    case ID_VIEW_ISO:
      return 7;
    default: return 0;
  }
}
void StandardView(CDraftonView& view, UINT id) {
  auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame());
  COpenGLDC* dc = gGetOpenGLDC();
  if (!Is3D() || !frame || !dc) return;
  if (!frame->GetViewAnimation().Begin(&view, dc, StandardViewType(id))) return;
  if (frame->m_hWnd) frame->SetTimer(CStdViewAnimation::kTimer, CStdViewAnimation::kTick);
}

void ViewCmd(CDraftonView&, UINT id) { GetRun(id, 0); }
void ViewCmdUpdate(CDraftonView& view, CCmdUI* ui, UINT id) {
  CVurode* v = gGetVurode();
  if (!v) return;
  bool on = true;
  if (v->IsView3D()) {
    COpenGLDC* dc = gGetOpenGLDC();
    if (!view.GetZoomEnable() && id >= ID_VIEW_ZOOM_WINDOW) on = false;
    if (id == ID_VIEW_PREV && (!dc || dc->IsViewStackEmpty())) on = false;
  } else if (id == ID_VIEW_PREV) {
    on = !v->IsViewStackEmpty();
  }
  ui->Enable(on);
}

void ToolBarItem(CDraftonView&, UINT id) {
  ToSelection();
  ViewServices& s = gViewServices();
  if (!s.toolBarState || !s.showToolBar) return;
  const int state = s.toolBarState(id);
  if (state >= 0) s.showToolBar(id, state == 0);
}
void ToolBarUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  ViewServices& s = gViewServices();
  ui->SetCheck(hubGetMainCmdID() == ID_MODE_SELECTION && s.toolBarState && s.toolBarState(id) == 1);
}

void SelectByType(CDraftonView&, UINT) {
  if (gViewServices().selectByType) gViewServices().selectByType();
}
void SelectByTypeUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  CDBase* db = gGetDBase();
  ui->Enable(db && !db->IsEmpty());
}
void DesignCentral(CDraftonView&, UINT) {
  kxClearSelSet(nullptr);
  if (gViewServices().toggleDesignCentre) gViewServices().toggleDesignCentre();
}
void DesignCentralUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  ui->Enable(TRUE);
  ui->SetCheck(gViewServices().designCentreVisible && gViewServices().designCentreVisible());
}


void Settings(CDraftonView&, UINT) {
  if (!Hub()) return;
  RunSettingsSheet(gGetMainFrame());
}
void SettingsUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  COrdvale* h = Hub();
  ui->Enable(h && !h->GetCurCmd());
}

void Help(CDraftonView&, UINT) {
  COrdvale* h = Hub();
  if (CCommand* cur = h ? h->GetCurCmd() : nullptr) {
    cur->OnKeyDown(VK_F1, 1, 1);
    return;
  }
  if (gViewServices().openHelp) gViewServices().openHelp(gGetApplicationPath() + L"/helpEng.chm");
}
void Tool(CDraftonView&, UINT id) {
  if (gViewServices().openTool) gViewServices().openTool(id);
}
void Tip(CDraftonView&, UINT) {
  if (gViewServices().tipOfTheDay) gViewServices().tipOfTheDay();
}

// ---- the table ----

using Cmdf = void (*)(CDraftonView&, UINT);
using Updf = void (*)(CDraftonView&, CCmdUI*, UINT);

std::vector<ViewMenuRow> BuildRows() {
  std::vector<ViewMenuRow> rows;
  auto one = [&rows](UINT id, Cmdf c, Updf u) { rows.push_back({id, id, c, u}); };
  auto range = [&rows](UINT first, UINT last, Cmdf c, Updf u) { rows.push_back({first, last, c, u}); };

  // Run through the hub; the hub says whether they may run. Rapid Input is one of
  // them: it is a text tool, not a drawing item, so it starts as every plain command does.
  for (UINT id : {ID_EDIT_LOCK,
                  ID_TEXT_RAPID_INPUT,
                  ID_TEXT_TO_CURVES,
                  ID_MEASURE_DISTANCE,
                  ID_MEASURE_ANGLE,
                  ID_EDIT_DELETE,
                  ID_CURVE_TRIM,
                  ID_XFORM_DIRECTION,
                  ID_CURVE_OFFSET,
                  ID_DRAW_POLYLINE,
                  ID_DRAW_COMBINE_CURVE,
                  ID_TEXT_ALONG_CURVE,
                  ID_ARRANGE_GROUP,
                  ID_ARRANGE_UNGROUP,
                  ID_DRAW_BOUNDING_BOX,
                  ID_XFORM_ROTATE,
                  ID_IMAGE_TRACE,
                  ID_CURVE_CLOSE,
                  ID_MEASURE_PERIMETER,
                  ID_MEASURE_AREA,
                  ID_DRAW_ARROW,
                  ID_TEXT_SERIAL_NUMBER,
                  ID_IMAGE_STRIP,
                  ID_XFORM_PERSPECTIVE,
                  ID_XFORM_ENVELOPE,
                  ID_CURVE_EXPAND,
                  ID_XFORM_COPY_ALONG_LINE,
                  ID_XFORM_COPY_ALONG_ARC,
                  ID_DRAW_SPIRAL,
                  ID_DRAW_WAVE,
                  ID_XFORM_COPY_ALONG_SPIRAL,
                  ID_CURVE_DIVIDE,
                  ID_XFORM_PUSH_PULL,
                  ID_DRAW_DOUBLE_POLYLINE,
                  ID_XFORM_TWIST,
                  ID_TEXT_HOLLOW,
                  ID_XFORM_SHEAR,
                  ID_NEST_AUTO,
                  ID_CURVE_DEL_OVERLAY_LOOP,
                  ID_XFORM_MOVE_REL,
                  ID_CURVE_ARC_FIT,
                  ID_FILE_EXPORT,
                  ID_NEST_INTERACTIVE,
                  ID_IMAGE_INVERT,
                  ID_TEXT_REPLACE,
                  ID_DRAW_HAND,
                  ID_TEXT_SINGLE_STROKE,
                  ID_MEASURE_RADIUS,
                  ID_TEXT_FONT_SIZE,
                  ID_ARRANGE_BLOCK,
                  ID_ARRANGE_UNBLOCK,
                  ID_TEXT_REVERSE,
                  ID_DRAW_EQUATION})
    one(id, RunPlain, HubUpdate);
  one(ID_KEY_ENTER, Enter, nullptr);

  range(ID_DRAW_POINT, ID_DRAW_STAR, DrawItem, DrawItemUpdate);
  one(ID_DRAW_ITEM_LAST, DrawItem, DrawItemUpdate);
  range(ID_DRAW_LINE, ID_DRAW_CIRCLE, OwnCancelIfRunning, OwnUpdate);
  range(ID_DRAW_ARC_3P, ID_DRAW_ARC_TANGENT, ArcItem, ArcUpdate);
  one(ID_DRAW_ARC_BUTTON, ArcItem, ArcUpdate);
  one(ID_DRAW_RECT_BUTTON, RectButton, RectButtonUpdate);
  range(ID_XFORM_MOVE, ID_XFORM_COPY_ALONG_CURVE, OwnCancel, OwnUpdate);
  range(ID_XFORM_MIRROR_H, ID_XFORM_MIRROR, MirrorItem, MirrorUpdate);
  range(ID_ALIGN_LEFT, ID_ALIGN_SAME_SIZE, AlignItem, AlignUpdate);
  range(ID_IMAGE_BRIGHTNESS, ID_IMAGE_THRESHOLD, ImageItem, ImageUpdate);
  one(ID_IMAGE_DESPECKLE, ImageExtra, ImageUpdate);
  one(ID_IMAGE_UNDO, ImageExtra, ImageUpdate);
  range(ID_SLICE_PARALLEL, ID_SLICE_RADIAL, SliceItem, SliceUpdate);
  range(ID_BOOL_JOIN, ID_BOOL_NOT_COMMON, BoolItem, BoolUpdate);
  range(ID_SLICE_LINEAR, ID_SLICE_ELLIPSE, SliceItem, SliceUpdate);
  range(ID_XFORM_COPY_RECT, ID_XFORM_COPY_CIRCULAR, SliceItem, DuplicationUpdate);
  one(ID_CURVE_LINE_FIT, LineFit, LineFitUpdate);
  range(ID_EDIT_REPEAT, ID_EDIT_REPEAT_BEFORE, Repeat, RepeatUpdate);
  range(ID_NEST_EXIT, ID_NEST_Y_MIRROR, Nesting, nullptr);

  one(ID_MODE_SELECTION, Selection, MainSwitchUpdate);
  one(ID_MODE_NODE, NodeTools, MainSwitchUpdate);
  one(ID_MODE_TEXT, TextOrSymbolTools, MainSwitchUpdate);
  one(ID_MODE_SYMBOL_LIBRARY, TextOrSymbolTools, MainSwitchUpdate);
  one(ID_KEY_ESC, Esc, nullptr);
  one(ID_TEXT_INSERT_SYMBOL, InsertSymbol, InsertSymbolUpdate);

  for (UINT id : {ID_NODE_SMOOTH, ID_NODE_CUSP, ID_NODE_DELETE, ID_NODE_ADD, ID_NODE_ALIGN, ID_NODE_SYMMETRY,
                  ID_NODE_TO_CURVE, ID_NODE_TO_LINE, ID_NODE_START_POINT, ID_NODE_DISCONNECT, ID_NODE_CLOSE,
                  ID_NODE_CONNECT, ID_NODE_AUTO_REMOVE, ID_NODE_FILLET, ID_NODE_VERTICAL})
    one(id, NodeItem, NodeUpdate);

  one(ID_EDIT_UNDO, UndoItem, UndoUpdate);
  one(ID_EDIT_REDO, RedoItem, UndoUpdate);
  one(ID_EDIT_SELECT_ALL, SelectAll, HubUpdate);
  one(ID_EDIT_INVERSE_SELECTION, InverseSelection, SelectionNotEmpty);
  one(ID_EDIT_HIDE_OBJECT, HideObjects, SelectionNotEmpty);
  one(ID_EDIT_SHOW_OBJECT, ShowObjects, ShowObjectsUpdate);
  one(ID_VIEW_FILL, Fill, FillUpdate);
  one(ID_VIEW_3D, Toggle3D, Toggle3DUpdate);
  range(ID_VIEW_RENDER, ID_VIEW_WIREFRAME, DisplayMode, nullptr);
  one(ID_VIEW_REDRAW, RedrawItem, nullptr);
  one(ID_VIEW_GUIDELINES, GuideLines, GuideLinesUpdate);
  one(ID_VIEW_ROTATE, RotateView, Only3DUpdate);
  for (UINT id : {ID_VIEW_FRONT, ID_VIEW_BACK, ID_VIEW_ISO, ID_VIEW_LEFT, ID_VIEW_RIGHT, ID_VIEW_TOP, ID_VIEW_BOTTOM})
    one(id, StandardView, Only3DUpdate);
  range(ID_VIEW_PAN, ID_VIEW_FIT_PAGE, ViewCmd, ViewCmdUpdate);
  for (UINT id : {ID_VIEW_ALIGN_BAR, ID_VIEW_EDIT_BAR, ID_VIEW_TRANSFORM_BAR}) one(id, ToolBarItem, ToolBarUpdate);
  one(ID_EDIT_SELECT_BY_TYPE, SelectByType, SelectByTypeUpdate);
  one(ID_VIEW_DESIGN_CENTRAL, DesignCentral, DesignCentralUpdate);
  one(ID_VIEW_SETTINGS, Settings, SettingsUpdate);
  one(ID_HELP_FINDER, Help, nullptr);
  for (UINT id : {ID_TOOL_CALCULATOR, ID_TOOL_NOTEPAD, ID_TOOL_PAINT, ID_HELP_WEB}) one(id, Tool, nullptr);
  one(ID_HELP_TIPS, Tip, nullptr);
  return rows;
}
}  // namespace

const std::vector<ViewMenuRow>& ViewMenuRows() {
  static const std::vector<ViewMenuRow> rows = BuildRows();
  return rows;
}

const ViewMenuRow* FindViewMenuRow(UINT id) {
  for (const ViewMenuRow& r : ViewMenuRows())
    if (id >= r.first && id <= r.last) return &r;
  return nullptr;
}

void viewUndo(CDraftonView& view) {
  COrdvale* h = Hub();
  CActManager* m = gGetActManager();
  if (!UndoAllowed(kFlagUndo)) {
    // The running command keeps its own steps: it takes the undo itself.
    QMessage msg(QMessage::kUndo, 0);
    if (CCommand* cur = h->GetCurCmd()) cur->OnMessage(&msg);
    return;
  }
  if (!m || !m->Undo()) return;
  if (CDocument* doc = view.GetDocument()) doc->SetModifiedFlag();
  Redraw(view);
}

void viewRedo(CDraftonView& view) {
  CActManager* m = gGetActManager();
  if (!UndoAllowed(kFlagRedo) || !m) return;
  if (CSelector* sel = gGetSelector()) sel->RemoveAll(1);
  if (!m->Redo()) return;
  if (CDocument* doc = view.GetDocument()) doc->SetModifiedFlag();
  Redraw(view);
}

bool viewIsTypedLetter(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return false;
  if (msg->wParam < 'A' || msg->wParam > 'Z') return false;
  if (::GetKeyState(VK_SHIFT) >= 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
  return TextMain() != nullptr;
}
