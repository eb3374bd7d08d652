#include "velmora/commandlib/EditCmd.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "geometry/shapes2d/GeCurve.h"
#include "geometry/shapes2d/Layer.h"
#include "geometry/shapes2d/PickRay.h"
#include "platform/numora/Box.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "velmora/ordvale/GLView.h"

#include <algorithm>
#include <cmath>

// ---- rubber band ----

void CRubberBand::Draw(CCommand& cmd) {
  CDC* dc = cmd.GetDC();
  if (!dc) {
    if (auto* view = dynamic_cast<CGLView*>(gGetView())) view->RequestRedraw(FALSE);
    return;
  }
  for (auto& e : m_entities) e->Draw(dc, DB_DRAW_XOR);
  cmd.ReleaseDC(dc);
}

void CRubberBand::Show(CCommand& cmd, std::vector<std::unique_ptr<CDbEntity>> entities) {
  Erase(cmd);
  for (auto& e : entities)
    if (e) m_entities.push_back(std::move(e));
  Draw(cmd);
}

void CRubberBand::Show(CCommand& cmd, CDbEntity* entity) {
  std::vector<std::unique_ptr<CDbEntity>> list;
  list.emplace_back(entity);
  Show(cmd, std::move(list));
}

void CRubberBand::Erase(CCommand& cmd) {
  if (m_entities.empty()) return;
  Draw(cmd);
  m_entities.clear();
}

void CRubberBand::Redraw(CDC* dc) {
  if (!dc) return;
  for (auto& e : m_entities) e->Draw(dc, DB_DRAW_XOR);
}

void CRubberBand::RedrawGL(COpenGLDC* dc) {
  if (!dc) return;
  for (auto& e : m_entities) e->DrawGL(dc, DB_DRAW_NORMAL);
}

// ---- command base ----

void CEditCmd::Sleep() {
  m_band.Erase(*this);
  CCommand::Sleep();
}

void CEditCmd::OnDraw(CDC* dc, int) { m_band.Redraw(dc); }

void CEditCmd::OnDraw(COpenGLDC* dc, int) { m_band.RedrawGL(dc); }

int CEditCmd::Cancel() {
  m_band.Erase(*this);
  return CCommand::Cancel();
}

void CEditCmd::Repaint() {
  if (auto* view = dynamic_cast<CGLView*>(gGetView())) view->RequestRedraw();
}

BOOL CEditCmd::Commit(CAction* action) {
  std::unique_ptr<CAction> owned(action);
  if (!owned || owned->IsEmpty() || !gGetDBase()) return FALSE;
  if (kxInsertActionIntoManager(owned.release()) < 0) return FALSE;
  Repaint();
  return TRUE;
}

CDbEntity* CEditCmd::NewCurveEntity(CGeCurve* curve) {
  if (!curve) return nullptr;
  auto* entity = new CDbCurve(curve);
  if (const CKXGlobal* global = gGetKXGlobal()) entity->SetLayerID(global->GetCurrentLayerID());
  return entity;
}

// ---- selection helpers ----

BOOL cmdIsSelectable(CDBase* db, CDbEntity* entity) {
  if (!entity || !entity->IsVisible() || entity->IsLocked() || entity->IsSystem()) return FALSE;
  if (entity->GetType() == DB_ENT_AIDLINE) return FALSE;
  if (db) {
    // An entity on a layer the database does not know stays pickable (it is drawn too).
    const int index = db->GetLayerIndexByID(entity->GetLayerID());
    if (const CLayer* layer = index >= 0 ? db->GetLayerAt(index) : nullptr; layer && !layer->IsVisible())
      return FALSE;
  }
  return TRUE;
}

CDbEntity* cmdPickEntity(CDBase* db, const Position& pos) {
  if (!db) return nullptr;
  CDbEntity* best = nullptr;
  double bestDist = 0.0;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION p = list.GetHeadPosition(); p;) {
    CDbEntity* e = list.GetNext(p);
    if (!cmdIsSelectable(db, e)) continue;
    CPickRay ray(pos);
    if (!e->Pick(ray)) continue;
    const double d = ray.m_b2D ? ray.m_dDist2D : ray.m_dDist3D;
    // Later entities lie on top: they win ties.
    if (!best || d <= bestDist) {
      best = e;
      bestDist = d;
    }
  }
  return best;
}

namespace {

// Whether the segment a-b meets the box (Liang-Barsky clipping).
bool SegmentMeetsBox(const double a[2], const double b[2], const _tagBox2D& box) {
  double t0 = 0.0, t1 = 1.0;
  const double d[2] = {b[0] - a[0], b[1] - a[1]};
  for (int k = 0; k < 2; ++k) {
    const double lo = box.min[k] - a[k], hi = box.max[k] - a[k];
    if (d[k] == 0.0) {
      if (lo > 0.0 || hi < 0.0) return false;
      continue;
    }
    double u0 = lo / d[k], u1 = hi / d[k];
    if (u0 > u1) std::swap(u0, u1);
    t0 = std::max(t0, u0);
    t1 = std::min(t1, u1);
    if (t0 > t1) return false;
  }
  return true;
}

bool CurveMeetsBox(CGeCurve* curve, const _tagBox2D& box) {
  if (!curve || !curve->m_pSWPoint) return false;
  const int n = curve->m_nSWPoint;
  if (n == 1) return BOX2D_IsPtIn(&box, curve->m_pSWPoint[0], 0.0) != 0;
  for (int i = 0; i + 1 < n; ++i)
    if (SegmentMeetsBox(curve->m_pSWPoint[i], curve->m_pSWPoint[i + 1], box)) return true;
  return false;
}

// Whether the entity's drawn outline meets the box; entities that are not plain curves count
// by their boxes.
bool EntityMeetsBox(CDbEntity* e, const _tagBox2D& box) {
  if (auto* c = dynamic_cast<CDbCurve*>(e)) return CurveMeetsBox(c->GetCurve(), box);
  if (auto* l = dynamic_cast<CDbCurveList*>(e)) {
    CGeCurveList& curves = l->GetCurveList();
    for (POSITION p = curves.GetHeadPosition(); p;)
      if (CurveMeetsBox(curves.GetNext(p), box)) return true;
    return false;
  }
  _tagBox2D eb;
  e->GetBox(&eb);
  return BOX2D_IsValid(&eb) && BOX2D_IsInt(&eb, &box, 0.0);
}

}  // namespace

std::vector<CDbEntity*> cmdEntitiesInBox(CDBase* db, const _tagBox2D& box, BOOL crossing) {
  std::vector<CDbEntity*> found;
  if (!db || !BOX2D_IsValid(&box)) return found;
  const CDbEntityList& list = db->GetEntityList();
  for (POSITION p = list.GetHeadPosition(); p;) {
    CDbEntity* e = list.GetNext(p);
    if (!cmdIsSelectable(db, e)) continue;
    _tagBox2D eb;
    e->GetBox(&eb);
    if (!BOX2D_IsValid(&eb)) continue;
    const bool inside = BOX2D_IsContain(&box, &eb, 0.0) != 0;
    if (inside || (crossing && EntityMeetsBox(e, box))) found.push_back(e);
  }
  return found;
}

BOOL cmdDeleteSelection() {
  CSelector* sel = gGetSelector();
  if (!sel || sel->IsEmpty() || !gGetDBase()) return FALSE;
  auto action = std::make_unique<CAction>(1, CString(L"Delete"));
  const CDbEntityList& list = sel->GetList();
  for (POSITION p = list.GetHeadPosition(); p;) {
    CDbEntity* e = list.GetNext(p);
    if (!e->IsLocked()) action->AddDelEnt(e);
  }
  if (action->IsEmpty()) return FALSE;
  sel->RemoveAll(1);
  if (kxInsertActionIntoManager(action.release()) < 0) return FALSE;
  if (auto* view = dynamic_cast<CGLView*>(gGetView())) view->RequestRedraw();
  return TRUE;
}

BOOL cmdRotateEntity(CDbEntity* entity, const double centre[2], double angle) {
  if (auto* c = dynamic_cast<CDbCurve*>(entity)) {
    if (!c->GetCurve()) return FALSE;
    c->GetCurve()->Rotate(centre, angle);
    return TRUE;
  }
  if (auto* l = dynamic_cast<CDbCurveList*>(entity)) {
    CGeCurveList& curves = l->GetCurveList();
    for (POSITION p = curves.GetHeadPosition(); p;) curves.GetNext(p)->Rotate(centre, angle);
    return !curves.IsEmpty();
  }
  return FALSE;
}
