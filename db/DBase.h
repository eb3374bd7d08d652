// The drawing database: the notes text, the layers, the entities in drawing order, the work
// area and the display switches (grid, guide lines, toolpaths, filter mask). It owns its
// layers and entities.
#pragma once

#include <unordered_map>

#include "db/DbEntity.h"
#include "db/WorkArea.h"
#include "geometry/shapes2d/Layer.h"

using CLayerList = CTypedPtrList<CObList, CLayer*>;

// Version word of the database stream.
constexpr int DB_STREAM_VERSION = 1;

class CDBase {
 public:
  CDBase();
  // Deletes layers and entities; the undo history and the selection, which point into them,
  // are cleared first, and the database stops being the registered one.
  ~CDBase();
  CDBase(const CDBase&) = delete;
  CDBase& operator=(const CDBase&) = delete;

  // Notes text, the version word, the entities as an object list (count, then each object
  // with its class), then the layers as an object list, the display switches and the work
  // area. Loading replaces the content only once the whole stream has been read: a broken
  // stream throws the archive exception and leaves the database as it was.
  void Serialize(CArchive& ar);
  // Storing: the same stream with only the selected entities. Loading: as Serialize.
  void SerializeSelected(CArchive& ar);

  // Layers. InitLayer gives an empty list one layer ("Page1") and moves the layer id counter
  // past every id in use, so that new layers never repeat an id.
  void InitLayer();
  CLayerList& GetLayerList() { return m_LayerList; }
  int GetLayerCount() const { return int(m_LayerList.GetCount()); }
  // Null or -1 outside 0..count-1.
  CLayer* GetLayerAt(int index) const;
  int GetLayerIDByIndex(int index) const;
  // -1 when no layer has the id.
  int GetLayerIndexByID(int id) const;
  // Entities on the layer at the index (0 outside the list).
  int GetCountOnLayerIndex(int index) const;
  // Takes an owned layer (null ignored); an edit of the drawing (dbNotifyChange).
  void AddLayer(CLayer* layer);

  // Entities in drawing order (changed only through the members below, which keep an index:
  // adding, finding and taking out an entity cost the same in a drawing of any size).
  const CDbEntityList& GetEntityList() const { return m_EntityList; }
  int GetCount() const { return int(m_EntityList.GetCount()); }
  BOOL IsEmpty() const { return m_EntityList.IsEmpty(); }
  // Takes ownership (null and entities already held are ignored).
  void AddTail(CDbEntity* entity);
  // Takes ownership and puts the entity before `before` (at the end when before is null or
  // not held); used to put an entity back where it was.
  void InsertBefore(CDbEntity* before, CDbEntity* entity);
  // Takes the entity out without deleting it (it also leaves the selection). FALSE when the
  // database does not hold it; otherwise *next (when given) is the entity that followed it.
  BOOL Remove(CDbEntity* entity, CDbEntity** next = nullptr);
  BOOL Contains(const CDbEntity* entity) const;
  // Deletes every entity; the undo history and the selection are cleared first.
  void DeleteAllEntity();
  int GetInvisibleCount() const;
  // Entities whose base type meets the mask.
  int GetCountOfBaseType(int mask) const;
  // Union of the visible entities' boxes; empty when there is none.
  void GetBox(_tagBox2D* box) const;

  // Every entity shown: visible, on a visible layer (or on no known layer), toolpaths only
  // while toolpaths are shown, guide lines only while guide lines are shown. Nothing for a null context.
  void DrawAll(CDC* pDC, int nMode);
  void DrawAll(COpenGLDC* pDC, int nMode);

  // Toolpaths: the switch, and applying it to every toolpath entity's visibility.
  int GetPathVisible() const { return m_bPathVisible; }
  void SetPathVisible(int visible);

  int GetGridFlag() const { return m_bGrid; }
  void SetGridFlag(int on) { m_bGrid = on ? 1 : 0; }
  int GetGridWord() const { return m_nGridWord; }
  void SetGridWord(int word) { m_nGridWord = word; }
  // 0 rectangular, 1 radial.
  int GetGridKind() const { return m_nGridKind; }
  void SetGridKind(int kind) { m_nGridKind = kind; }
  // Guide lines: the show/hide switch, and applying it to every guide line's visibility.
  // While it is off no guide line is drawn, even one added visible since.
  int GetDbAidLineVisibility() const { return m_bAidLineVisible; }
  void SetDbAidLineVisibility(int visible);
  // Kind bits that selecting everything leaves out.
  int GetFilterMask() const { return m_nFilterMask; }
  void SetFilterMask(int mask) { m_nFilterMask = mask; }
  // 0 marks the 3D display lists stale; the view sets it again once rebuilt.
  int IsListDone() const { return m_bListDone; }
  void SetListDone(int done) { m_bListDone = done ? 1 : 0; }

  CString GetNotes() const { return m_strNotes; }
  void SetNotes(const CString& notes) { m_strNotes = notes; }
  CWorkArea& GetWorkArea() { return m_WorkArea; }

 private:
  void Store(CArchive& ar, bool selectedOnly);
  void Load(CArchive& ar);
  // Whether the entity is drawn by DrawAll.
  bool IsShown(const CDbEntity* entity) const;
  void ForgetReferences();

  CString m_strNotes;
  CLayerList m_LayerList;
  CDbEntityList m_EntityList;
  std::unordered_map<const CDbEntity*, POSITION> m_Index;  // where each entity stands
  CWorkArea m_WorkArea;
  int m_bGrid;
  int m_nGridWord;
  int m_nGridKind;
  int m_bAidLineVisible;
  int m_bPathVisible;
  int m_nFilterMask;
  int m_bListDone;
};
