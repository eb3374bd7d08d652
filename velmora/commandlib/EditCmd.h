// What the drawing and editing commands share: rubber bands drawn in the view's inverting
// mode, picking and selecting entities, and recording an edit of the drawing as one undoable
// action.
#pragma once

#include "db/DbEntity.h"
#include "velmora/ordvale/Command.h"

#include <memory>
#include <vector>

class CAction;
class CGeCurve;
class CDBase;

// Key flags of the mouse messages.
constexpr UINT CMD_MK_SHIFT = 0x4;
constexpr UINT CMD_MK_CONTROL = 0x8;

// Temporary entities shown in the inverting mode: showing them a second time erases them, so
// the band always knows whether the view shows it. A repaint clears the view; the command
// then draws the band again (Redraw) so that the next erase still erases. A view without a
// device context (one drawn through OpenGL) repaints instead, and the band is drawn with the
// scene (RedrawGL).
class CRubberBand {
 public:
  CRubberBand() = default;
  CRubberBand(const CRubberBand&) = delete;
  CRubberBand& operator=(const CRubberBand&) = delete;

  // Erases what is shown and shows the entities instead (nulls skipped; the band owns them).
  void Show(CCommand& cmd, std::vector<std::unique_ptr<CDbEntity>> entities);
  void Show(CCommand& cmd, CDbEntity* entity);
  // Erases what is shown and frees it.
  void Erase(CCommand& cmd);
  // After a repaint: draws the band again onto the fresh picture.
  void Redraw(CDC* dc);
  void RedrawGL(COpenGLDC* dc);
  BOOL IsShown() const { return !m_entities.empty(); }
  const std::vector<std::unique_ptr<CDbEntity>>& Entities() const { return m_entities; }

 private:
  void Draw(CCommand& cmd);
  std::vector<std::unique_ptr<CDbEntity>> m_entities;
};

// Base of the drawing and editing commands.
class CEditCmd : public CCommand {
 public:
  using CCommand::CCommand;
  int HostType() const override { return kHostSelect; }
  // The band goes before the view changes under a view command; the next move shows it again.
  void Sleep() override;
  void OnDraw(CDC* dc, int mode) override;
  void OnDraw(COpenGLDC* dc, int mode) override;
  // Erases the band before the command ends.
  int Cancel() override;

 protected:
  static void Pt(const Position& pos, double p[2]) { p[0] = pos.x, p[1] = pos.y; }
  // Records the action as one undoable edit and does it on the drawing; repaints. FALSE (and
  // the action freed) for an empty action or without a database.
  BOOL Commit(CAction* action);
  // A new curve entity on the current layer; null for a null curve.
  static CDbEntity* NewCurveEntity(CGeCurve* curve);
  static void Repaint();

  CRubberBand m_band;
};

// Whether the user may pick the entity: visible, on a visible layer, not locked, not a system
// entity or a guide line.
BOOL cmdIsSelectable(CDBase* db, CDbEntity* entity);
// The selectable entity nearest to the position within the pick radius, or null.
CDbEntity* cmdPickEntity(CDBase* db, const Position& pos);
// Selectable entities in the world box: wholly inside it (window), or inside or crossing its
// border (crossing).
std::vector<CDbEntity*> cmdEntitiesInBox(CDBase* db, const _tagBox2D& box, BOOL crossing);
// Deletes the selected entities that are not locked as one undoable action; FALSE when nothing
// was deleted.
BOOL cmdDeleteSelection();
// Rotates a 2D curve entity (one curve or a list) about the centre by the angle (radians);
// FALSE for other kinds of entity, which stay as they are.
BOOL cmdRotateEntity(CDbEntity* entity, const double centre[2], double angle);
