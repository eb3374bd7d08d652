#include "velmora/heskel/ToolCmd.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/numora/Box.h"
#include "platform/win/Messages.h"

#include <cmath>
#include <cstdlib>

int CToolCmd::StartUp(int sub) {
  m_bPressed = m_bDragging = FALSE;
  m_band.Erase(*this);
  return CEditCmd::StartUp(sub);
}

int CToolCmd::OnLButtonDown(UINT, Position& pos) {
  m_press = pos;
  m_bPressed = TRUE;
  m_bDragging = FALSE;
  return 1;
}

int CToolCmd::OnMouseMove(UINT, Position& pos) {
  if (!m_bPressed) return 0;
  if (!m_bDragging && std::abs(pos.sx - m_press.sx) <= kDragSlop && std::abs(pos.sy - m_press.sy) <= kDragSlop)
    return 1;
  m_bDragging = TRUE;
  double a[2], b[2];
  Pt(m_press, a);
  Pt(pos, b);
  m_band.Show(*this, dbGenRect(a, b));
  return 1;
}

int CToolCmd::OnLButtonUp(UINT flags, Position& pos) {
  if (!m_bPressed) return 0;
  m_band.Erase(*this);
  if (m_bDragging)
    Frame(flags, pos);
  else
    Click(flags, pos);
  m_bPressed = m_bDragging = FALSE;
  return 1;
}

void CToolCmd::Click(UINT flags, const Position& pos) {
  CSelector* sel = gGetSelector();
  CDBase* db = gGetDBase();
  if (!sel || !db) return;
  CDbEntity* hit = cmdPickEntity(db, pos);
  if (flags & CMD_MK_SHIFT) {
    if (!hit) return;
    if (!sel->Remove(hit)) sel->Add(hit);
  } else {
    if (!hit && sel->IsEmpty()) return;
    sel->RemoveAll(1);
    if (hit) sel->Add(hit);
  }
  Repaint();
}

void CToolCmd::Frame(UINT flags, const Position& pos) {
  CSelector* sel = gGetSelector();
  CDBase* db = gGetDBase();
  if (!sel || !db) return;
  const double a[2] = {m_press.x, m_press.y}, b[2] = {pos.x, pos.y};
  _tagBox2D box;
  BOX2D_Init(&box, a, b);
  // Dragged leftwards on the screen: crossing.
  const BOOL crossing = pos.sx < m_press.sx;
  const std::vector<CDbEntity*> found = cmdEntitiesInBox(db, box, crossing);
  if (!(flags & CMD_MK_SHIFT)) sel->RemoveAll(1);
  for (CDbEntity* e : found) sel->Add(e);
  Repaint();
}

int CToolCmd::OnKeyDown(UINT key, UINT, UINT) {
  if (key == VK_DELETE) return cmdDeleteSelection();
  if (key == VK_ESCAPE) {
    CSelector* sel = gGetSelector();
    if (!sel || sel->IsEmpty()) return 0;
    sel->RemoveAll(1);
    Repaint();
    return 1;
  }
  return 0;
}

int CToolCmd::Cancel() {
  m_bPressed = m_bDragging = FALSE;
  return CEditCmd::Cancel();
}
