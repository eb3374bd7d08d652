// The selection set: entities of the drawing the user has picked, in picking order. It does
// not own them; each one carries the selected flag while it is in the set.
#pragma once

#include <unordered_map>

#include "db/DbEntity.h"

class CSelector {
 public:
  CSelector();
  // Clears the flags of what it still holds; stops being the registered selection set.
  ~CSelector();
  CSelector(const CSelector&) = delete;
  CSelector& operator=(const CSelector&) = delete;

  int GetCount() const { return int(m_List.GetCount()); }
  BOOL IsEmpty() const { return m_List.IsEmpty(); }
  const CDbEntityList& GetList() const { return m_List; }
  // FALSE for null or an entity already in the set.
  BOOL Add(CDbEntity* entity);
  // FALSE when the entity is not in the set.
  BOOL Remove(CDbEntity* entity);
  BOOL Contains(const CDbEntity* entity) const;
  // Empties the set; with bClearFlags the entities lose their selected flag.
  void RemoveAll(int bClearFlags);
  // Empties the set, redrawing each entity plainly (mode 0) on the context when one is given.
  void ClearAll(CDC* pDC);
  // Makes the entities of the list (nulls and repeats skipped) the selection.
  void SetSelection(const CDbEntityList& list);

  // Box of the selected entities, kept until the next CalcBox; empty for an empty set.
  void CalcBox();
  void GetBox(_tagBox2D* box) const;
  // Selected entities whose base type meets the mask.
  int GetSizeOfBType(int mask) const;
  // Nonzero when any selected entity is locked.
  int IsLocked() const;

  void Draw(CDC* pDC, int nMode);
  void DrawGL(COpenGLDC* pDC, int nMode);

 private:
  CDbEntityList m_List;
  std::unordered_map<const CDbEntity*, POSITION> m_Index;  // where each entity stands
  _tagBox2D m_box;
};
