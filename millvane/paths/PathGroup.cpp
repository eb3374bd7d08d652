#include "millvane/paths/PathGroup.h"

#include <memory>

#include "db/DbPathGroup.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "millvane/loops/PathCombine.h"
#include "platform/vurode/Accessors.h"
#include "millvane/loops/PathEntity.h"

void InitPathGroup(CPathGroup& g, int16_t kind) {
  g.kind = kind;
  g.word0 = -1;
  g.value1[0] = g.value1[1] = -1.0;
  g.word1 = 9;
  for (double& v : g.value2) v = -1.0;
  g.word2 = 1;
  g.word3 = 0;
}

CPathGroup::CPathGroup(int16_t k) : value0(0.0) { InitPathGroup(*this, k); }

CPathGroup::~CPathGroup() { FreeContents(); }

void CPathGroup::FreeContents() {
  while (head) {
    CPathCombine* c = head;
    head = c->next;
    c->Delete();
  }
  tail = nullptr;
}

void CPathGroup::AppendChains(CPathCombine* chain, double depth) {
  if (!chain) return;
  if (tail)
    tail->next = chain;
  else
    head = chain;
  for (CPathCombine* c = chain; c; c = c->next) {
    for (CPathEntity* e = c->head; e; e = e->next) e->Translate(0.0, 0.0, -depth);
    tail = c;
  }
}

CDbPathGroup* CPathGroup::ToDbPathGroup() const {
  auto group = std::make_unique<CDbPathGroup>();
  for (const CPathCombine* c = head; c; c = c->next) {
    CGeCombCurve3d* curve = c->ToCombCurve3d();
    if (!curve) continue;
    // The composite's own cache serves drawing and picking in the drawing.
    curve->DiscreteMe(gGetCurveDicTol());
    auto* unit = new CDbPathUnit;
    unit->m_pCurve = curve;
    group->m_UnitList.AddTail(unit);
  }
  if (group->m_UnitList.IsEmpty()) return nullptr;
  return group.release();
}
