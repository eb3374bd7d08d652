#include "db/DBase.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/Action.h"
#include "db/DbAccess.h"
#include "db/Selector.h"

namespace {

// Entities or layers read from a stream, freed unless adopted.
template <class T>
void FreeList(CTypedPtrList<CObList, T*>& list) {
  while (!list.IsEmpty()) delete list.RemoveHead();
}

template <class T>
void DropNulls(CTypedPtrList<CObList, T*>& list) {
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    if (!list.GetNext(pos)) list.RemoveAt(at);
  }
}

}  // namespace

CDBase::CDBase()
    : m_bGrid(0),
      m_nGridWord(0),
      m_nGridKind(0),
      m_bAidLineVisible(1),
      m_bPathVisible(1),
      m_nFilterMask(0),
      m_bListDone(0) {}

CDBase::~CDBase() {
  ForgetReferences();
  if (gGetDBase() == this) gSetDBase(nullptr);
  m_Index.clear();
  FreeList(m_EntityList);
  FreeList(m_LayerList);
}

void CDBase::ForgetReferences() {
  // Actions and the selection hold pointers into this database.
  if (CActManager* manager = gGetActManager()) manager->Reset();
  if (CSelector* selector = gGetSelector()) {
    std::vector<CDbEntity*> mine;
    for (POSITION pos = selector->GetList().GetHeadPosition(); pos;) {
      CDbEntity* e = selector->GetList().GetNext(pos);
      if (Contains(e)) mine.push_back(e);
    }
    for (CDbEntity* e : mine) selector->Remove(e);
  }
}

// ---- layers ----

void CDBase::InitLayer() {
  if (m_LayerList.IsEmpty()) m_LayerList.AddTail(new CLayer(CString(L"Page1")));
  int64_t wanted = CLayer::m_nMaxID.load();
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos;)
    wanted = std::max<int64_t>(wanted, int64_t(m_LayerList.GetNext(pos)->GetID()) + 1);
  // A file may carry any id: the counter stops at the largest int rather than wrapping.
  const int next = int(std::min<int64_t>(wanted, INT32_MAX));
  // Only ever raised, so layers of another drawing keep unique ids as well.
  int cur = CLayer::m_nMaxID.load();
  while (cur < next && !CLayer::m_nMaxID.compare_exchange_weak(cur, next)) {
  }
}

CLayer* CDBase::GetLayerAt(int index) const {
  if (index < 0 || index >= m_LayerList.GetCount()) return nullptr;
  return m_LayerList.GetAt(m_LayerList.FindIndex(index));
}

int CDBase::GetLayerIDByIndex(int index) const {
  const CLayer* layer = GetLayerAt(index);
  return layer ? layer->GetID() : -1;
}

int CDBase::GetLayerIndexByID(int id) const {
  int i = 0;
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos; ++i)
    if (m_LayerList.GetNext(pos)->GetID() == id) return i;
  return -1;
}

int CDBase::GetCountOnLayerIndex(int index) const {
  const CLayer* layer = GetLayerAt(index);
  if (!layer) return 0;
  int n = 0;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;)
    if (m_EntityList.GetNext(pos)->GetLayerID() == layer->GetID()) ++n;
  return n;
}

void CDBase::AddLayer(CLayer* layer) {
  if (!layer) return;
  m_LayerList.AddTail(layer);
  dbNotifyChange();
}

// ---- entities ----

void CDBase::AddTail(CDbEntity* entity) {
  if (entity && !Contains(entity)) m_Index.emplace(entity, m_EntityList.AddTail(entity));
}

void CDBase::InsertBefore(CDbEntity* before, CDbEntity* entity) {
  if (!entity || Contains(entity)) return;
  const auto at = before ? m_Index.find(before) : m_Index.end();
  if (at == m_Index.end())
    m_Index.emplace(entity, m_EntityList.AddTail(entity));
  else
    m_Index.emplace(entity, m_EntityList.InsertBefore(at->second, entity));
}

BOOL CDBase::Remove(CDbEntity* entity, CDbEntity** next) {
  const auto at = entity ? m_Index.find(entity) : m_Index.end();
  if (at == m_Index.end()) return FALSE;
  POSITION pos = at->second;
  m_EntityList.GetNext(pos);
  if (next) *next = pos ? m_EntityList.GetAt(pos) : nullptr;
  m_EntityList.RemoveAt(at->second);
  m_Index.erase(at);
  if (CSelector* selector = gGetSelector()) selector->Remove(entity);
  return TRUE;
}

BOOL CDBase::Contains(const CDbEntity* entity) const { return entity && m_Index.count(entity) != 0; }

void CDBase::DeleteAllEntity() {
  ForgetReferences();
  m_Index.clear();
  FreeList(m_EntityList);
}

int CDBase::GetInvisibleCount() const {
  int n = 0;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;)
    if (!m_EntityList.GetNext(pos)->IsVisible()) ++n;
  return n;
}

int CDBase::GetCountOfBaseType(int mask) const {
  int n = 0;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;)
    if (m_EntityList.GetNext(pos)->GetBaseType() & mask) ++n;
  return n;
}

void CDBase::GetBox(_tagBox2D* box) const {
  if (!box) return;
  BOX2D_Init0(box);
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (!e->IsVisible()) continue;
    _tagBox2D b;
    e->GetBox(&b);
    if (BOX2D_IsValid(&b)) BOX2D_Union(box, &b);
  }
}

bool CDBase::IsShown(const CDbEntity* e) const {
  if (!e->IsVisible()) return false;
  if ((e->GetBaseType() & DB_BASE_PATH) && !m_bPathVisible) return false;
  if (e->GetType() == DB_ENT_AIDLINE && !m_bAidLineVisible) return false;
  const int index = GetLayerIndexByID(e->GetLayerID());
  return index < 0 || GetLayerAt(index)->IsVisible();
}

void CDBase::DrawAll(CDC* pDC, int nMode) {
  if (!pDC) return;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (IsShown(e)) e->Draw(pDC, nMode);
  }
}

void CDBase::DrawAll(COpenGLDC* pDC, int nMode) {
  if (!pDC) return;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (IsShown(e)) e->DrawGL(pDC, nMode);
  }
}

void CDBase::SetPathVisible(int visible) {
  m_bPathVisible = visible ? 1 : 0;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (e->GetBaseType() & DB_BASE_PATH) e->SetVisible(m_bPathVisible);
  }
}

void CDBase::SetDbAidLineVisibility(int visible) {
  m_bAidLineVisible = visible ? 1 : 0;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (e->GetType() == DB_ENT_AIDLINE) e->SetVisible(m_bAidLineVisible);
  }
}

// ---- stream ----

void CDBase::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    Store(ar, false);
  else
    Load(ar);
}

void CDBase::SerializeSelected(CArchive& ar) {
  if (ar.IsStoring())
    Store(ar, true);
  else
    Load(ar);
}

void CDBase::Store(CArchive& ar, bool selectedOnly) {
  ar << m_strNotes << DB_STREAM_VERSION;
  std::vector<CDbEntity*> stored;
  for (POSITION pos = m_EntityList.GetHeadPosition(); pos;) {
    CDbEntity* e = m_EntityList.GetNext(pos);
    if (!selectedOnly || e->IsSelected()) stored.push_back(e);
  }
  ar.WriteCount(DWORD_PTR(stored.size()));
  for (CDbEntity* e : stored) ar << static_cast<const CObject*>(e);
  m_LayerList.Serialize(ar);
  ar << m_bGrid << m_nGridWord << m_nGridKind << m_bAidLineVisible << m_bPathVisible;
  m_WorkArea.Serialize(ar);
}

void CDBase::Load(CArchive& ar) {
  CString notes;
  int version = 0;
  ar >> notes >> version;
  if (version != DB_STREAM_VERSION) AfxThrowArchiveException(CArchiveException::badSchema);
  CDbEntityList entities;
  CLayerList layers;
  try {
    AfxReadOwnedObjects<CDbEntity>(ar, entities);
    AfxReadOwnedObjects<CLayer>(ar, layers);
    int grid = 0, gridWord = 0, gridKind = 0, aid = 0, path = 0;
    ar >> grid >> gridWord >> gridKind >> aid >> path;
    CWorkArea area;
    area.Serialize(ar);

    // Everything read: the old content goes, the new one comes in.
    DeleteAllEntity();
    FreeList(m_LayerList);
    DropNulls(entities);
    DropNulls(layers);
    while (!entities.IsEmpty()) AddTail(entities.RemoveHead());
    m_LayerList.AddTail(&layers);
    layers.RemoveAll();
    m_strNotes = notes;
    m_bGrid = grid ? 1 : 0;
    m_nGridWord = gridWord;
    m_nGridKind = gridKind;
    m_bAidLineVisible = aid ? 1 : 0;
    m_bPathVisible = path ? 1 : 0;
    m_WorkArea = area;
    m_bListDone = 0;
  } catch (...) {
    FreeList(entities);
    FreeList(layers);
    throw;
  }
}
