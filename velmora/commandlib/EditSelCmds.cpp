#include "velmora/commandlib/EditSelCmds.h"

#include "db/Action.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/win/Messages.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace {
// Entities shown moving with the pointer; a larger selection shows only the line from the base.
constexpr size_t kMaxPreview = 64;
}  // namespace

std::vector<CDbEntity*> CSelectionEditCmd::Targets() const {
  std::vector<CDbEntity*> out;
  CSelector* sel = gGetSelector();
  if (!sel) return out;
  for (POSITION p = sel->GetList().GetHeadPosition(); p;) {
    CDbEntity* e = sel->GetList().GetNext(p);
    if (!e->IsLocked()) out.push_back(e);
  }
  return out;
}

int CSelectionEditCmd::StartUp(int sub) {
  CEditCmd::StartUp(sub);
  if (Targets().empty() || !gGetDBase()) {
    Prompt(L"Select the objects first");
    Cancel();
    return 0;
  }
  Prompt(L"Click the base point");
  return 1;
}

int CSelectionEditCmd::OnLButtonDown(UINT flags, Position& pos) {
  if (!std::isfinite(pos.x) || !std::isfinite(pos.y)) return 0;
  if (m_nState == 0) {
    Pt(pos, m_base);
    m_nState = 1;
    Prompt(SecondPrompt());
    return 1;
  }
  double to[2];
  Pt(pos, to);
  Apply(to, (flags & CMD_MK_CONTROL) || (m_nOption & kOptCopy));
  return 1;
}

int CSelectionEditCmd::OnMouseMove(UINT, Position& pos) {
  if (m_nState != 1 || !std::isfinite(pos.x) || !std::isfinite(pos.y)) return 0;
  double to[2];
  Pt(pos, to);
  std::vector<std::unique_ptr<CDbEntity>> band;
  band.emplace_back(dbGenLine(m_base, to));
  const std::vector<CDbEntity*> targets = Targets();
  if (targets.size() <= kMaxPreview)
    for (CDbEntity* e : targets) band.emplace_back(Changed(e, to));
  m_band.Show(*this, std::move(band));
  return 1;
}

int CSelectionEditCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CSelectionEditCmd::OnKeyDown(UINT key, UINT, UINT) { return key == VK_ESCAPE ? Cancel() : 0; }

BOOL CSelectionEditCmd::Apply(const double to[2], BOOL copying) {
  m_band.Erase(*this);
  auto action = std::make_unique<CAction>(1, CString(ActionName(copying)));
  CDbEntityList made;
  for (CDbEntity* e : Targets()) {
    CDbEntity* changed = Changed(e, to);
    if (!changed) continue;
    if (!copying) action->AddDelEnt(e);
    action->AddNewEnt(changed);
    made.AddTail(changed);
  }
  BOOL ok = FALSE;
  if (!made.IsEmpty()) {
    CSelector* sel = gGetSelector();
    if (sel) sel->RemoveAll(1);
    ok = Commit(action.release());
    if (ok && sel) sel->SetSelection(made);
  } else {
    Prompt(L"The selected objects cannot be changed this way");
  }
  Cancel();
  return ok;
}

CDbEntity* CMoveCmd::Changed(CDbEntity* entity, const double to[2]) const {
  CDbEntity* copy = entity ? entity->Copy() : nullptr;
  if (copy) copy->Translate(m_base, to);
  return copy;
}

CDbEntity* CRotateCmd::Changed(CDbEntity* entity, const double to[2]) const {
  const double dx = to[0] - m_base[0], dy = to[1] - m_base[1];
  if (!entity || (dx == 0.0 && dy == 0.0)) return nullptr;
  std::unique_ptr<CDbEntity> copy(entity->Copy());
  if (!copy || !cmdRotateEntity(copy.get(), m_base, std::atan2(dy, dx))) return nullptr;
  return copy.release();
}

int CRotateCmd::OnKeyInDouble(double degrees) {
  if (m_nState != 1 || !std::isfinite(degrees)) return 0;
  const double a = degrees * std::numbers::pi / 180.0;
  const double to[2] = {m_base[0] + std::cos(a), m_base[1] + std::sin(a)};
  Apply(to, m_nOption & kOptCopy);
  return 1;
}

int CDelCmd::StartUp(int sub) {
  CEditCmd::StartUp(sub);
  const BOOL done = cmdDeleteSelection();
  if (!done) Prompt(L"Select the objects first");
  Cancel();
  return done ? 1 : 0;
}
