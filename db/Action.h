// Undo: an action records one user edit of the drawing (entities added, entities deleted,
// colours changed); the manager keeps the actions in order with a cursor between done and
// undone ones, addressed by list position.
//
// Ownership: while an action is done the database owns its added entities and the action
// owns the ones it deleted; while it is undone (or before it was ever done) it is the other way
// round. Deleting an action frees exactly what it owns.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "db/DbEntity.h"

class CDBase;
class CLayer;

class CAction {
 public:
  // kind 1: an edit of the drawing's entities (the only kind the program records).
  CAction(int kind, const CString& name);
  ~CAction();
  CAction(const CAction&) = delete;
  CAction& operator=(const CAction&) = delete;

  // Recording, before the action is done; null and an entity recorded before the same way
  // are ignored.
  void AddNewEnt(CDbEntity* entity);
  void AddDelEnt(CDbEntity* entity);
  // The entity takes the colour when the action is done and gets its present one back on undo.
  void AddColorEnt(CDbEntity* entity, uint32_t newColor);
  // The layer leaves the database's layer list when the action is done (the action then owns
  // it) and goes back to its place on undo. Null and a layer recorded before are ignored.
  void AddDelLayer(CLayer* layer);

  int GetKind() const { return m_nKind; }
  CString GetName() const { return m_strName; }
  BOOL IsEmpty() const { return m_Items.empty(); }
  BOOL IsDone() const { return m_bDone; }

  // Applies the edit to the database (in recording order) / takes it back (in reverse order).
  // 0 when already in that state or without a database.
  int Do(CDBase* db);
  int Undo();
  // Does it again on the database it was first done on.
  int Redo() { return Do(m_pDB); }

 private:
  enum class Op { New, Del, Color };
  struct Item {
    CDbEntity* entity;
    Op op;
    uint32_t oldColor;
    uint32_t newColor;
    CDbEntity* next;  // Del: the entity that followed it, to put it back there
    bool owned;  // whether the action holds the entity now (New undone, Del done)
  };

  struct LayerItem {
    CLayer* layer;
    int index;   // its place in the list when it was taken out
    bool owned;  // taken out by this action and not yet put back
  };
  std::vector<LayerItem> m_Layers;

  int m_nKind;
  CString m_strName;
  std::vector<Item> m_Items;
  std::unordered_set<const CDbEntity*> m_New, m_Del;  // recorded once each
  CDBase* m_pDB = nullptr;
  BOOL m_bDone = FALSE;
};

class CActManager {
 public:
  CActManager();
  ~CActManager();
  CActManager(const CActManager&) = delete;
  CActManager& operator=(const CActManager&) = delete;

  // Takes ownership, drops the undone actions after the cursor, appends the action and does it
  // on the database. Null is ignored (null position); an action the manager holds already
  // keeps its place (its position is returned).
  POSITION Insert(CAction* action, CDBase* db);
  // One step back / forward (the change handler of DbAccess.h is told); 0 when there is
  // nothing to undo / redo.
  int Undo();
  int Redo();
  int CanUndo() const;
  int CanRedo() const;
  // Nonzero unless the manager is inside an undo or redo.
  int IsReady() const { return !m_bBusy; }
  // Deletes every action.
  void Reset();
  int GetCount() const { return int(m_List.GetCount()); }
  // Position of the newest action (null when empty).
  POSITION GetTailPosition() const { return m_List.GetTailPosition(); }
  CAction* GetAt(POSITION pos) const { return pos ? m_List.GetAt(pos) : nullptr; }
  // The newest done action, or null.
  CAction* GetCurrent() const { return GetAt(m_cur); }
  // Deletes the action at the position from the history. An undone action takes every action
  // after it along (they are undone as well and may build on what it added), so removing
  // several positions goes newest first. FALSE for a null position.
  BOOL RemoveAt(POSITION pos);

 private:
  CTypedPtrList<CPtrList, CAction*> m_List;
  POSITION m_cur = nullptr;  // newest done action
  BOOL m_bBusy = FALSE;
};
