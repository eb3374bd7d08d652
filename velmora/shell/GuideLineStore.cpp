#include "velmora/shell/GuideLineStore.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbAidLine.h"
#include "platform/afx/Wnd.h"
#include "platform/vurode/Accessors.h"

#include <algorithm>
#include <cmath>
#include <memory>

const wchar_t* const kAidLineLabel = L"Aid Line";

namespace {
// Orders actions across record sets, so several sets are taken back newest first.
uint64_t g_nextSeq = 1;

void InvalidateView() {
  if (CWnd* view = gGetView(); view && view->m_hWnd) view->Invalidate();
}

bool Ready() { return gGetDBase() && gGetActManager(); }
}  // namespace

CKxRecordSet::CKxRecordSet(int orientation) : m_nOrient(orientation == 0 ? 0 : 1) {}

CKxRecordSet::~CKxRecordSet() = default;

CDbEntity* CKxRecordSet::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? entities[size_t(index)] : nullptr;
}

double CKxRecordSet::GetValue(int index) const {
  auto* line = dynamic_cast<CDbAidLine*>(GetAt(index));
  return line ? line->GetCoord() : 0.0;
}

void CKxRecordSet::Load() {
  entities.clear();
  CDBase* db = gGetDBase();
  if (!db) return;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CDbEntity* e = list.GetNext(pos);
    auto* line = e ? dynamic_cast<CDbAidLine*>(e) : nullptr;
    if (line && line->GetOrientation() == m_nOrient) entities.push_back(e);
  }
}

int CKxRecordSet::Insert(CAction* action) {
  if (kxInsertActionIntoManager(action) != 1) return 0;
  CActManager* manager = gGetActManager();
  if (!manager) return 0;
  actions.push_back({manager->GetTailPosition(), g_nextSeq++});
  InvalidateView();
  return 1;
}

int CKxRecordSet::Add(CDbEntity* entity, const CString& label) {
  if (!entity || !Ready()) return 0;
  auto action = std::make_unique<CAction>(1, CString(L"Add") + label);
  action->AddNewEnt(entity);
  entities.push_back(entity);
  Insert(action.release());
  return 1;
}

int CKxRecordSet::Delete(int index, const CString& label) {
  CDbEntity* old = GetAt(index);
  if (!old || !Ready()) return 0;
  auto action = std::make_unique<CAction>(1, CString(L"Delete") + label);
  action->AddDelEnt(old);
  entities.erase(entities.begin() + index);
  Insert(action.release());
  return 1;
}

int CKxRecordSet::Update(int index, CDbEntity* entity, const CString& label) {
  CDbEntity* old = GetAt(index);
  if (!old || !entity || !Ready()) return 0;
  auto action = std::make_unique<CAction>(1, CString(L"Update") + label);
  action->AddDelEnt(old);
  action->AddNewEnt(entity);
  entities[size_t(index)] = entity;
  Insert(action.release());
  return 1;
}

int CKxRecordSet::Clear(const CString& label) {
  if (entities.empty() || !Ready()) return 0;
  auto action = std::make_unique<CAction>(1, CString(L"清空") + label);
  for (CDbEntity* e : entities) action->AddDelEnt(e);
  entities.clear();
  Insert(action.release());
  return 1;
}

int CKxRecordSet::AddLine(double coord) {
  CDBase* db = gGetDBase();
  if (!db || !std::isfinite(coord)) return 0;
  auto line = std::make_unique<CDbAidLine>(coord, m_nOrient, db->GetDbAidLineVisibility());
  if (!Add(line.get(), kAidLineLabel)) return 0;
  line.release();  // the drawing has it now
  return 1;
}

int CKxRecordSet::MoveLine(int index, double coord) {
  CDBase* db = gGetDBase();
  if (!db || !std::isfinite(coord) || !GetAt(index)) return 0;
  auto line = std::make_unique<CDbAidLine>(coord, m_nOrient, db->GetDbAidLineVisibility());
  if (!Update(index, line.get(), kAidLineLabel)) return 0;
  line.release();
  return 1;
}

int CKxRecordSet::DeleteLine(int index) {
  if (!gGetDBase()) return 0;
  return Delete(index, kAidLineLabel);
}

void CKxRecordSet::Forget() { actions.clear(); }

void CKxRecordSet::UndoAll() {
  CActManager* manager = gGetActManager();
  if (!manager) return;
  for (size_t i = 0; i < actions.size(); ++i) manager->Undo();
}

void CKxRecordSet::DropActions() {
  CActManager* manager = gGetActManager();
  if (manager)
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) manager->RemoveAt(it->pos);
  InvalidateView();
  actions.clear();
}

void CKxDatabase::AddRecordSet(CKxRecordSet* set) {
  if (set && std::find(sets.begin(), sets.end(), set) == sets.end()) sets.push_back(set);
}

void CKxDatabase::Commit() {
  for (CKxRecordSet* set : sets) set->Forget();
}

void CKxDatabase::Revert() {
  for (CKxRecordSet* set : sets) set->UndoAll();
  // Removing an undone action takes every newer one along, so one set dropping its actions
  // would free the positions another set still holds when the page edited both: take every
  // set's actions out together, newest first, so each removal is the history's last entry.
  std::vector<CKxRecordSet::Recorded> all;
  for (CKxRecordSet* set : sets) {
    all.insert(all.end(), set->GetActions().begin(), set->GetActions().end());
    set->ForgetActions();
  }
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.seq > b.seq; });
  if (CActManager* manager = gGetActManager())
    for (const auto& r : all) manager->RemoveAt(r.pos);
  for (CKxRecordSet* set : sets) set->DropActions();  // nothing left to remove: redraws
}
