#include "velmora/shell/PasteCmd.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Window.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/shell/DraftonDoc.h"

#include <atomic>
#include <cwchar>

namespace {
std::atomic<CPasteCmd::TabIndexSource> g_tabSource{nullptr};
constexpr int kClassNameChars = 21;
}  // namespace

CPasteCmd::CPasteCmd(int flag, const wchar_t* name) : CCommand(flag, name, 0) {
  m_base.Init();
  m_last.Init();
  m_nState = -1;
  m_nOption |= 1;
}

CPasteCmd::~CPasteCmd() {
  dbDelEntList(&m_preview);
  DropPasted();
}

CPasteCmd::TabIndexSource CPasteCmd::SetTabIndexSource(TabIndexSource source) { return g_tabSource.exchange(source); }

int CPasteCmd::IsEnable(int arg) {
  if (!CCommand::IsEnable(arg)) return 0;
  CWnd* main = AfxGetMainWnd();
  const HWND owner = GetClipboardOwner();
  // An empty clipboard has no owner: nothing to paste, whatever the class names would say.
  if (!main || !main->GetSafeHwnd() || !owner) return 0;
  wchar_t ours[kClassNameChars] = {}, theirs[kClassNameChars] = {};
  GetClassNameW(main->GetSafeHwnd(), ours, kClassNameChars);
  GetClassNameW(owner, theirs, kClassNameChars);
  return std::wcscmp(ours, theirs) == 0 ? 1 : 0;
}

BOOL CPasteCmd::OnSetCursor() {
  auto* view = dynamic_cast<CGLView*>(gGetView());
  if (!view) return FALSE;
  view->SetViewCursor(kCursor);
  return TRUE;
}

void CPasteCmd::DropPasted() {
  dbDelEntList(&m_pasted);
}

void CPasteCmd::DropPreview(CDC* dc) {
  for (POSITION p = m_preview.GetHeadPosition(); p;) {
    CDbEntity* e = m_preview.GetNext(p);
    if (e && dc) e->Draw(dc, DB_DRAW_PREVIEW);
  }
  dbDelEntList(&m_preview);
}

int CPasteCmd::StartUp(int sub) {
  CCommand::StartUp(sub);
  m_nState = 0;
  dbDelEntList(&m_preview);
  Prompt(L"Please input base point:");
  AskForKeyIn(0);
  if (!AfxGetMainWnd()) {
    Cancel();
    return 1;
  }
  DropPasted();
  double centre[2] = {0.0, 0.0};
  if (CDraftonDoc::ReadClipboard(centre, m_pasted)) m_base.Set2(centre);
  return 1;
}

void CPasteCmd::Sleep() {
  CDC* dc = GetDC();
  DropPreview(dc);
  ReleaseDC(dc);
  CCommand::Sleep();
}

int CPasteCmd::OnMouseMove(UINT, Position& pos) {
  CDC* dc = GetDC();
  if (!dc) return 0;
  DropPreview(dc);
  const double from[2] = {m_base.x, m_base.y}, to[2] = {pos.x, pos.y};
  for (POSITION p = m_pasted.GetHeadPosition(); p;) {
    CDbEntity* e = m_pasted.GetNext(p);
    CDbEntity* copy = e ? e->Copy() : nullptr;
    if (!copy) continue;
    copy->Translate(from, to);
    copy->Draw(dc, DB_DRAW_PREVIEW);
    m_preview.AddTail(copy);
  }
  ReleaseDC(dc);
  m_last = pos;
  return 0;
}

int CPasteCmd::OnLButtonDown(UINT, Position& pos) {
  Commit(pos.x, pos.y);
  return 1;
}

int CPasteCmd::OnKeyInP2D(const double p[2]) {
  if (!p) return 0;
  Commit(p[0], p[1]);
  return 1;
}

int CPasteCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CPasteCmd::TargetLayerID() {
  const CKXGlobal* settings = gGetKXGlobal();
  const int current = settings ? settings->GetCurrentLayerID() : 0;
  const CDBase* db = gGetDBase();
  const TabIndexSource source = g_tabSource.load();
  if (!db || !source) return current;
  // The strip knows its tabs by position; entities need the layer's id.
  const int id = db->GetLayerIDByIndex(source());
  return id >= 0 ? id : current;
}

void CPasteCmd::Commit(double x, double y) {
  const double from[2] = {m_base.x, m_base.y}, to[2] = {x, y};
  CDC* dc = GetDC();
  // The entities move whether or not there is a view to show them on.
  for (POSITION p = m_pasted.GetHeadPosition(); p;) {
    CDbEntity* e = m_pasted.GetNext(p);
    if (!e) continue;
    e->Translate(from, to);
    if (dc) e->Draw(dc, DB_DRAW_PREVIEW);
  }
  ReleaseDC(dc);
  if (AfxGetMainWnd() && !m_pasted.IsEmpty()) {
    const int layer = TargetLayerID();
    auto* action = new CAction(1, L"Paste");
    for (POSITION p = m_pasted.GetHeadPosition(); p;) {
      CDbEntity* e = m_pasted.GetNext(p);
      if (!e) continue;
      e->SetSelected(0);
      e->SetLayerID(layer);
      action->AddNewEnt(e);
    }
    // From here the undo manager (and through it the database) owns the entities.
    m_pasted.RemoveAll();
    kxInsertActionIntoManager(action);
  }
  if (CWnd* view = gGetView()) view->Invalidate(TRUE);
  Cancel();
}

int CPasteCmd::Cancel() {
  m_nState = 0;
  DropPasted();
  dbDelEntList(&m_preview);
  if (CWnd* view = gGetView()) view->Invalidate(TRUE);
  return CCommand::Cancel();
}
