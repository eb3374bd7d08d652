#include "db/Action.h"

#include "db/DBase.h"
#include "db/DbAccess.h"

// ---- one action ----

CAction::CAction(int kind, const CString& name) : m_nKind(kind), m_strName(name) {}

CAction::~CAction() {
  for (Item& item : m_Items)
    if (item.owned) delete item.entity;
  for (LayerItem& item : m_Layers)
    if (item.owned) delete item.layer;
}

void CAction::AddDelLayer(CLayer* layer) {
  if (!layer || m_bDone) return;
  for (const LayerItem& item : m_Layers)
    if (item.layer == layer) return;
  m_Layers.push_back({layer, 0, false});
}

void CAction::AddNewEnt(CDbEntity* entity) {
  // Not yet done: the action holds what it is to add.
  if (entity && !m_bDone && m_New.insert(entity).second) m_Items.push_back({entity, Op::New, 0, 0, nullptr, true});
}

void CAction::AddDelEnt(CDbEntity* entity) {
  if (entity && !m_bDone && m_Del.insert(entity).second) m_Items.push_back({entity, Op::Del, 0, 0, nullptr, false});
}


void CAction::AddColorEnt(CDbEntity* entity, uint32_t newColor) {
  if (entity && !m_bDone) m_Items.push_back({entity, Op::Color, entity->GetColor(), newColor, nullptr, false});
}

int CAction::Do(CDBase* db) {
  if (m_bDone || !db) return 0;
  m_pDB = db;
  for (Item& item : m_Items) {
    switch (item.op) {
      case Op::New:
        // An entity the database holds already stays where it is and counts as added.
        if (!db->Contains(item.entity)) db->AddTail(item.entity);
        item.owned = false;
        break;
      case Op::Del:
        // Only what was really taken out of the database is the action's to keep.
        item.owned = db->Remove(item.entity, &item.next) != FALSE;
        break;
      case Op::Color:
        item.entity->SetColor(item.newColor);
        break;
    }
  }
  CLayerList& layers = db->GetLayerList();
  for (LayerItem& item : m_Layers) {
    int index = 0;
    item.owned = false;
    for (POSITION pos = layers.GetHeadPosition(); pos; ++index) {
      const POSITION at = pos;
      if (layers.GetNext(pos) == item.layer) {
        layers.RemoveAt(at);
        item.index = index;
        item.owned = true;
        break;
      }
    }
  }
  m_bDone = TRUE;
  return 1;
}

int CAction::Undo() {
  if (!m_bDone || !m_pDB) return 0;
  for (auto it = m_Items.rbegin(); it != m_Items.rend(); ++it) {
    Item& item = *it;
    switch (item.op) {
      case Op::New:
        m_pDB->Remove(item.entity);
        item.owned = true;
        break;
      case Op::Del:
        // Undoing in reverse order restores every later removal first, so the entity that
        // followed this one is back in place (or this one was last).
        if (item.owned) m_pDB->InsertBefore(item.next, item.entity);
        item.owned = false;
        break;
      case Op::Color:
        item.entity->SetColor(item.oldColor);
        break;
    }
  }
  CLayerList& layers = m_pDB->GetLayerList();
  for (auto it = m_Layers.rbegin(); it != m_Layers.rend(); ++it) {
    if (!it->owned) continue;
    POSITION pos = layers.FindIndex(it->index);
    if (pos)
      layers.InsertBefore(pos, it->layer);
    else
      layers.AddTail(it->layer);
    it->owned = false;
  }
  m_bDone = FALSE;
  return 1;
}

// ---- the manager ----

CActManager::CActManager() = default;

CActManager::~CActManager() { Reset(); }

POSITION CActManager::Insert(CAction* action, CDBase* db) {
  if (!action) return nullptr;
  if (POSITION held = m_List.Find(action)) return held;
  // A new edit ends the redo branch.
  POSITION pos = m_cur ? m_cur : nullptr;
  if (pos) {
    m_List.GetNext(pos);
  } else {
    pos = m_List.GetHeadPosition();
  }
  while (pos) {
    const POSITION at = pos;
    delete m_List.GetNext(pos);
    m_List.RemoveAt(at);
  }
  m_cur = m_List.AddTail(action);
  action->Do(db);
  return m_cur;
}

int CActManager::CanUndo() const { return m_cur != nullptr; }

int CActManager::CanRedo() const {
  POSITION next = m_cur;
  if (!next) return !m_List.IsEmpty();
  m_List.GetNext(next);
  return next != nullptr;
}

int CActManager::Undo() {
  if (!m_cur || m_bBusy) return 0;
  m_bBusy = TRUE;
  POSITION pos = m_cur;
  CAction* action = m_List.GetPrev(pos);
  action->Undo();
  m_cur = pos;
  m_bBusy = FALSE;
  dbNotifyChange();
  return 1;
}

int CActManager::Redo() {
  if (!CanRedo() || m_bBusy) return 0;
  m_bBusy = TRUE;
  POSITION pos = m_cur;
  if (pos)
    m_List.GetNext(pos);
  else
    pos = m_List.GetHeadPosition();
  CAction* action = m_List.GetAt(pos);
  // Redo reapplies on the database the action was first done on.
  action->Redo();
  m_cur = pos;
  m_bBusy = FALSE;
  dbNotifyChange();
  return 1;
}

void CActManager::Reset() {
  // Newest first, so each action frees what it owns in a history that is still consistent.
  while (!m_List.IsEmpty()) delete m_List.RemoveTail();
  m_cur = nullptr;
}

BOOL CActManager::RemoveAt(POSITION pos) {
  if (!pos) return FALSE;
  if (!m_List.GetAt(pos)->IsDone()) {
    while (m_List.GetTailPosition() != pos) delete m_List.RemoveTail();
  } else if (pos == m_cur) {
    POSITION prev = pos;
    m_List.GetPrev(prev);
    m_cur = prev;
  }
  delete m_List.GetAt(pos);
  m_List.RemoveAt(pos);
  return TRUE;
}
