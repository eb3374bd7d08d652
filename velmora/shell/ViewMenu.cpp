#include "velmora/shell/ViewMenu.h"

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

using namespace viewid;

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
  if (!h || hubGetMainCmdID() == kSelection) return;
  if (CCommand* sel = h->GetMainCmd(kSelection)) h->RunMainCmd(sel);
}

void RunMain(UINT id) {
  COrdvale* h = Hub();
  if (CCommand* m = h ? h->GetMainCmd(id) : nullptr) h->RunMainCmd(m);
}

bool Is3D() {
  CVurode* v = gGetVurode();
  return v && v->IsView3D();
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
int DrawItemSub(UINT id) { return id == kRect ? 0 : id == 32780 ? 1 : id == 32781 ? 2 : -1; }
void DrawItem(CDraftonView&, UINT id) {
  CancelIfRunning();
  const int sub = DrawItemSub(id);
  GetRun(sub >= 0 ? kRect : id, sub);
}
void DrawItemUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(id);
  if (!c) c = Cmd(kRect);
  if (!c) return;
  if (!c->IsEnable()) {
    ui->Enable(FALSE);
    ui->SetCheck(0);
    return;
  }
  ui->Enable(TRUE);
  const int sub = DrawItemSub(id);
  ui->SetCheck(sub >= 0 ? CurrentWith(Cmd(kRect), sub) : CurrentIs(id));
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
  GetRun(kArc, id == 32942 ? 0 : int(id - 32787));
}
void ArcUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(kArc);
  if (!c) return;
  ui->Enable(c->IsEnable() ? TRUE : FALSE);
  ui->SetCheck(id == 32942 ? CurrentIs(kArc) : CurrentWith(c, int(id - 32787)));
}
void RectButtonUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  CCommand* c = Cmd(kRect);
  if (!c) return;
  ui->Enable(c->IsEnable() ? TRUE : FALSE);
  ui->SetCheck(CurrentIs(kRect));
}
void RectButton(CDraftonView& v, UINT) { DrawItem(v, kRect); }

void MirrorItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(kMirror, int(id - 32799));
}
void MirrorUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(kMirror);
  if (!c) return;
  if (!c->IsEnable()) {
    ui->Enable(FALSE);
  } else if (CSelector* sel = gGetSelector(); sel && sel->GetSizeOfBType(288) >= 1) {
    // Mirroring about a picked line makes no sense for these kinds: only the axis mirrors.
    ui->Enable(id != kMirror ? TRUE : FALSE);
  }
  ui->SetCheck(CurrentWith(c, int(id - 32799)));
}

// Sub-commands of the align command, in menu id order 32820..32831.
constexpr int kAlignSubs[] = {1, 2, 3, 4, 12, 6, 5, 7, 8, 9, 10, 11};
void AlignItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(kAlign, kAlignSubs[id - 32820]);
}
void EnableBy(UINT owner, CCmdUI* ui) {
  if (CCommand* c = Cmd(owner)) ui->Enable(c->IsEnable() ? TRUE : FALSE);
}
void AlignUpdate(CDraftonView&, CCmdUI* ui, UINT) { EnableBy(kAlign, ui); }

void ImageItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(kImage, int(id - 32863));
}
void ImageExtra(CDraftonView&, UINT id) { GetRun(kImage, id == 32997 ? 4 : 5); }
void ImageUpdate(CDraftonView&, CCmdUI* ui, UINT) { EnableBy(kImage, ui); }

// Slice families: the first id of the family owns the command, sub-commands 1..3 in id order.
UINT SliceOwner(UINT id) { return id >= 32978 && id <= 32980 ? 32978 : id >= 33164 ? 33164 : 32897; }
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
  CCommand* c = Cmd(33164);
  if (!c) return;
  if (!c->IsEnable())
    ui->Enable(FALSE);
  else
    ui->SetCheck(CurrentWith(c, int(id - 33164) + 1));
}

void BoolItem(CDraftonView&, UINT id) {
  Cancel();
  GetRun(kBool, int(id - kBool));
}
void BoolUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  CCommand* c = Cmd(kBool);
  if (!c) return;
  ui->Enable(c->IsEnable(id == kBool ? 3 : 1) ? TRUE : FALSE);
  if (CurrentIs(kBool)) ui->SetCheck(c->GetSubCmd() == int(id - kBool));
}

void LineFit(CDraftonView&, UINT) {
  if (COrdvale* h = Hub()) h->RunAppCmd(kArcFit, 1);
}
void LineFitUpdate(CDraftonView&, CCmdUI* ui, UINT) {
  if (CCommand* c = Cmd(kArcFit)) ui->Enable(c->IsEnable() == 1);
}

CCommand* RepeatCmd(UINT id) {
  COrdvale* h = Hub();
  if (!h) return nullptr;
  return id == kRepeat ? h->GetPrevCmd() : h->GetPrevPrevCmd();
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
  if (id == 33007) {
    Cancel();
    if (CCommand* sel = h->GetMainCmd(kSelection)) h->RunMainCmd(sel);
    return;
  }
  auto* ops = dynamic_cast<CNestingOps*>(c);
  if (!ops) return;
  switch (id) {
    case 33008: ops->AddStock(); break;
    case 33009: ops->AddPart(); break;
    case 33010: ops->RemovePart(); break;
    case 33011:
    case 33012:
      ops->MirrorPart(id == 33011 ? 1 : 2);
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
  if (hubGetMainCmdID() == kNodeTools)
    ToSelection();
  else
    RunMain(kNodeTools);
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
  if (hubGetMainCmdID() != kSelection) {
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
      {32870, 0}, {32871, 1}, {32872, 2}, {32873, 3}, {32916, 4},  {32878, 5},  {32879, 7},  {32934, 8},
      {32936, 10}, {32937, 11}, {32938, 12}, {32939, 13}, {33062, 15}, {32975, 16}, {32990, 17}};
  auto it = kCodes.find(id);
  return it == kCodes.end() ? -1 : it->second;
}
void NodeItem(CDraftonView&, UINT id) {
  QMessage msg(QMessage::kNodeEdit, NodeCode(id));
  kxSendMessage(&msg);
}
void NodeUpdate(CDraftonView&, CCmdUI* ui, UINT id) {
  if (!Hub()) return;
  if (CCommand* m = MainCmd(); m && m->GetID() != kNodeTools) {
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
  ui->Enable(id == kUndo ? m->CanUndo() : m->CanRedo());
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
  CCommand* m = MainCmd();
  CKXGlobal* g = gGetKXGlobal();
  if (!v || !m || !m->HasFlag(kFlagEnter3D)) return;
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
  CCommand* m = MainCmd();
  ui->Enable(m && m->HasFlag(kFlagEnter3D));
  ui->SetCheck(Is3D());
}

void DisplayMode(CDraftonView& view, UINT id) {
  CVurode* v = gGetVurode();
  if (!v) return;
  const unsigned mode = id - kRender;
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
    case kFront: return 1;
    case kBack: return 2;
    case kTop: return 3;
    case kBottom: return 4;
    case kRight: return 5;
    case kLeft: return 6;
    case kIso: return 7;
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
    if (!view.GetZoomEnable() && id >= 32806) on = false;
    if (id == 32811 && (!dc || dc->IsViewStackEmpty())) on = false;
  } else if (id == 32811) {
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
  ui->SetCheck(hubGetMainCmdID() == kSelection && s.toolBarState && s.toolBarState(id) == 1);
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

  // Run through the hub; the hub says whether they may run. Rapid Input (32784) is one of
  // them: it is a text tool, not a drawing item, so it starts as every plain command does.
  for (UINT id : {32773u, 32784u, 32793u, 32802u, 32814u, 32818u, 32834u, 32836u, 32852u, 32903u, 32904u, 32914u,
                  32926u, 32927u, 32930u, 32933u, 32935u, 32940u, 32946u, 32947u, 32948u, 32949u, 32950u, 32951u,
                  32956u, 32958u, 32959u, 32960u, 32961u, 32962u, 32963u, 32964u, 32971u, 32973u, 32974u, 32977u,
                  32982u, 32992u, 32994u, 32995u, 32996u, 32999u, 33000u, 33001u, 33002u, 33005u, 33006u, 33044u,
                  33063u, 33072u, 33073u, 33148u, 33154u})
    one(id, RunPlain, HubUpdate);
  one(kEnter, Enter, nullptr);

  range(32776, 32783, DrawItem, DrawItemUpdate);
  one(32785, DrawItem, DrawItemUpdate);
  range(32774, 32775, OwnCancelIfRunning, OwnUpdate);
  range(32787, 32791, ArcItem, ArcUpdate);
  one(32942, ArcItem, ArcUpdate);
  one(32943, RectButton, RectButtonUpdate);
  range(32795, 32797, OwnCancel, OwnUpdate);
  range(32799, 32801, MirrorItem, MirrorUpdate);
  range(32820, 32831, AlignItem, AlignUpdate);
  range(32863, 32866, ImageItem, ImageUpdate);
  one(32997, ImageExtra, ImageUpdate);
  one(33077, ImageExtra, ImageUpdate);
  range(32897, 32899, SliceItem, SliceUpdate);
  range(32917, 32920, BoolItem, BoolUpdate);
  range(32978, 32980, SliceItem, SliceUpdate);
  range(33164, 33165, SliceItem, DuplicationUpdate);
  one(kLineFit, LineFit, LineFitUpdate);
  range(kRepeat, kRepeatBefore, Repeat, RepeatUpdate);
  range(33007, 33012, Nesting, nullptr);

  one(kSelection, Selection, MainSwitchUpdate);
  one(kNodeTools, NodeTools, MainSwitchUpdate);
  one(kTextTools, TextOrSymbolTools, MainSwitchUpdate);
  one(kSymbolLibrary, TextOrSymbolTools, MainSwitchUpdate);
  one(kEsc, Esc, nullptr);
  one(kInsertSymbol, InsertSymbol, InsertSymbolUpdate);

  for (UINT id : {32870u, 32871u, 32872u, 32873u, 32916u, 32878u, 32879u, 32934u, 32936u, 32937u, 32938u, 32939u,
                  33062u, 32975u, 32990u})
    one(id, NodeItem, NodeUpdate);

  one(kUndo, UndoItem, UndoUpdate);
  one(kRedo, RedoItem, UndoUpdate);
  one(kSelectAll, SelectAll, HubUpdate);
  one(kInverseSelection, InverseSelection, SelectionNotEmpty);
  one(kHide, HideObjects, SelectionNotEmpty);
  one(kShow, ShowObjects, ShowObjectsUpdate);
  one(kFill, Fill, FillUpdate);
  one(k3DView, Toggle3D, Toggle3DUpdate);
  range(kRender, kWireframe, DisplayMode, nullptr);
  one(kRedraw, RedrawItem, nullptr);
  one(kGuideLines, GuideLines, GuideLinesUpdate);
  one(kRotateView, RotateView, Only3DUpdate);
  for (UINT id : {kFront, kBack, kIso, kLeft, kRight, kTop, kBottom}) one(id, StandardView, Only3DUpdate);
  range(32805, 32812, ViewCmd, ViewCmdUpdate);
  for (UINT id : {kAlignBar, kEditBar, kTransformBar}) one(id, ToolBarItem, ToolBarUpdate);
  one(kSelectByType, SelectByType, SelectByTypeUpdate);
  one(kDesignCentral, DesignCentral, DesignCentralUpdate);
  one(kSettings, Settings, SettingsUpdate);
  one(kHelp, Help, nullptr);
  for (UINT id : {kCalculator, kNotepad, kPaint, kLearning}) one(id, Tool, nullptr);
  one(kTip, Tip, nullptr);
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
