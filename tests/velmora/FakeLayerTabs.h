// A layer tab window over a drawing database, as the layer command and pages see it: tabs in
// the database's layer order, the current layer by id, the current-layer-only mode, and counts
// of the repaints and rebuilds asked for.
#pragma once

#include "db/DBase.h"
#include "geometry/shapes2d/Layer.h"
#include "velmora/commands/LayerTabs.h"

class FakeLayerTabs : public CLayerTabs {
 public:
  explicit FakeLayerTabs(CDBase& db) : m_db(db) {}

  int GetLayerCount() const override { return m_db.GetLayerCount(); }
  int GetCurLayerIndex() const override {
    const int i = m_db.GetLayerIndexByID(curID);
    return i < 0 ? m_db.GetLayerCount() : i;
  }
  int GetLayerAt(int index, CLayer& out) const override {
    const CLayer* l = m_db.GetLayerAt(index);
    if (!l) return -1;
    out.SetLock(l->IsLocked());
    l->IsVisible() ? out.SetVisible() : out.SetInVisible();
    out.SetColor(l->GetColor());
    out.SetName(l->GetName());
    return index;
  }
  int SetLayerAt(int index, const CLayer& in) override {
    CLayer* l = m_db.GetLayerAt(index);
    if (!l) return -1;
    l->SetLock(in.IsLocked());
    in.IsVisible() ? l->SetVisible() : l->SetInVisible();
    l->SetColor(in.GetColor());
    l->SetName(in.GetName());
    return index;
  }
  int SetCurLayer(int index) override {
    CLayer* l = m_db.GetLayerAt(index);
    if (!l) return -1;
    if (curOnly)
      for (int i = 0; i < m_db.GetLayerCount(); ++i) m_db.GetLayerAt(i)->SetInVisible();
    l->SetLock(0);
    l->SetVisible();
    curID = l->GetID();
    return index;
  }
  void SetCurLayerOnly(int mode) override { curOnly = mode == 1 ? 1 : 0; }
  int AddLayer(const CString&) override {
    for (int n = 1;; ++n) {
      CString name;
      name.Format(L"Page%d", n);
      bool used = false;
      for (int i = 0; i < m_db.GetLayerCount(); ++i) used = used || m_db.GetLayerAt(i)->GetName() == name;
      if (used) continue;
      auto* layer = new CLayer(name);
      layer->SetInVisible();
      m_db.AddLayer(layer);
      return m_db.GetLayerCount() - 1;
    }
  }
  int RenameLayer(int index, const CString& name) override {
    for (int i = 0; i < m_db.GetLayerCount(); ++i)
      if (m_db.GetLayerAt(i)->GetName() == name) return -2;
    CLayer* l = m_db.GetLayerAt(index);
    if (!l) return -1;
    l->SetName(name);
    return index;
  }
  int DeleteLayer(int index) override {
    const int n = m_db.GetLayerCount();
    if (n <= 1 || index < 0 || index >= n) return -1;
    const bool wasCurrent = index == GetCurLayerIndex();
    CLayerList& list = m_db.GetLayerList();
    POSITION pos = list.FindIndex(index);
    delete list.GetAt(pos);
    list.RemoveAt(pos);
    if (wasCurrent) curID = m_db.GetLayerIDByIndex(index > 0 ? index - 1 : 0);
    return index;
  }
  void ResetLayers() override {
    ++resets;
    SetCurLayer(0);
  }
  void RefreshView(BOOL clearSelection) override {
    ++refreshes;
    if (clearSelection) ++clearingRefreshes;
  }

  int curID = -1;
  int curOnly = 1;
  int refreshes = 0, clearingRefreshes = 0, resets = 0;

 private:
  CDBase& m_db;
};
