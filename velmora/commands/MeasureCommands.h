// The measuring commands of the 2D view: distance between two points, angle at a vertex, and,
// for a picked entity, its perimeter, enclosed area and the radius of the largest circle that
// fits inside it. Distance and angle show their reading in a tip next to the cursor; the
// others on the hub's prompt line. Rubber bands are temporary curve entities drawn in the
// self-erasing mode, owned by the command.
#pragma once

#include "platform/panlet/WindowTip.h"
#include "velmora/ordvale/Command.h"

class CDbCurve;
class CDbEntity;

// What every measuring command shares: a view command of the 2D view only, with a cursor.
class CMeaCmd : public CCommand {
 public:
  using CCommand::CCommand;
  int HostType() const override { return kHostView; }
  // Only while a view state exists and shows the 2D view.
  int IsEnable(int arg = 0) override;
  BOOL OnSetCursor() override;
  UINT GetCursorResource() const { return m_nCursorRes; }

 protected:
  // Erases a rubber band (drawn again in the self-erasing mode) and deletes it.
  void DropRubber(CDbCurve*& curve, CDC* dc);
  // Draws a new rubber band (when there is one) in the self-erasing mode.
  static void DrawRubber(CDbCurve* curve, CDC* dc);
  static void Repaint();

  UINT m_nCursorRes = 0;
};

// Distance between two clicked points; with Shift held the second point keeps to the nearest
// 45-degree direction.
class CMeaDistCmd : public CMeaCmd {
 public:
  static constexpr UINT kCursor = 481;
  CMeaDistCmd(int flag, const wchar_t* name);
  ~CMeaDistCmd() override;

  int StartUp(int sub) override;
  void WakeUp() override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  void OnDraw(CDC* dc, int mode) override;
  int Cancel() override;

  const CWindowTip& Tip() const { return m_tip; }
  const Position& GetStart() const { return m_start; }
  const Position& GetEnd() const { return m_end; }

 private:
  void ShowTip();

  Position m_start, m_end, m_last;
  CDbCurve* m_pLine = nullptr;
  CWindowTip m_tip;
};

// Angle between two legs from a vertex: vertex, point on the first leg, point on the second.
class CMeaAngCmd : public CMeaCmd {
 public:
  static constexpr UINT kCursor = 479;
  CMeaAngCmd(int flag, const wchar_t* name);
  ~CMeaAngCmd() override;

  int StartUp(int sub) override;
  void WakeUp() override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  void OnDraw(CDC* dc, int mode) override;
  int Cancel() override;

  // The angle in degrees, in [0, 180], between the legs from vertex to p1 and to p2.
  static double AngleDegrees(const double vertex[2], const double p1[2], const double p2[2]);

  const CWindowTip& Tip() const { return m_tip; }
  int GetOrientation() const { return m_nOrient; }
  int GetClicks() const { return m_nClick; }
  CDbCurve* GetArc() const { return m_pArc; }

 private:
  void DeleteCurves();
  // Replaces the arc between the legs; the orientation follows the turn from the first leg to
  // the second and stays as it was for collinear legs.
  void ReplaceArc(CDC* dc);
  void ShowTip(const Position& at);

  double m_vertex[2] = {0, 0}, m_p1[2] = {0, 0}, m_p2[2] = {0, 0};
  int m_nClick = 0;
  int m_nOrient = 1;
  CDbCurve* m_pLeg1 = nullptr;
  CDbCurve* m_pLeg2 = nullptr;
  CDbCurve* m_pArc = nullptr;
  Position m_last;
  CWindowTip m_tip;
};

// The entity commands: the cursor highlights the first visible entity under it, a left click
// measures it.
class CMeaPickCmd : public CMeaCmd {
 public:
  static constexpr UINT kCursor = 317;
  CMeaPickCmd(int flag, const wchar_t* name);

  int StartUp(int sub) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;

  CDbEntity* GetPicked() const { return m_pPicked; }
  // Measures an entity as a click on it does (null does nothing).
  virtual void Measure(CDbEntity* entity) = 0;

 protected:
  // True for the kinds the command measures (2D curves and curve lists, and 3D curves when
  // curve3d); for a kind that needs converting first, prompts convertPrompt.
  bool Accepts(CDbEntity* entity, bool curve3d, const wchar_t* convertPrompt);

  CDbEntity* m_pPicked = nullptr;
};

class CMeaPeriMeterCmd : public CMeaPickCmd {
 public:
  using CMeaPickCmd::CMeaPickCmd;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  void Measure(CDbEntity* entity) override;
  // Length in millimetres of a curve, 3D curve or curve-list entity; 0 for other kinds.
  static double Length(CDbEntity* entity);
};

class CMeaAreaCmd : public CMeaPickCmd {
 public:
  using CMeaPickCmd::CMeaPickCmd;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  void Measure(CDbEntity* entity) override;
  // Area in square millimetres enclosed by the closed loops of a curve or curve-list entity
  // (holes subtract); 0 when nothing closed is found or for other kinds.
  static double Area(CDbEntity* entity);
};

class CMeaRadiusCmd : public CMeaPickCmd {
 public:
  using CMeaPickCmd::CMeaPickCmd;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;
  void Measure(CDbEntity* entity) override;

  enum RadiusResult { kRadiusOk, kRadiusNotClosed, kRadiusIgnored };
  // Radius in millimetres of the largest circle inside the closed loops of a curve or
  // curve-list entity (0 when none is found); kRadiusNotClosed when the entity encloses nothing.
  static RadiusResult Radius(CDbEntity* entity, double& radius);
};
