// The commands that change the selected entities: move, rotate (each moving the selection, or
// with Ctrl held on the last click or option bit 0 set, placing a changed copy and keeping the
// originals) and delete. Each change is one undoable action: the originals taken out (unless
// copying) and the changed copies added, which become the selection. Locked entities stay as
// they are.
#pragma once

#include "velmora/commandlib/EditCmd.h"

// Base of the commands that work on the selection from a base point.
class CSelectionEditCmd : public CEditCmd {
 public:
  using CEditCmd::CEditCmd;
  // Ends at once (result 0) with a prompt when nothing that may change is selected.
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int OnKeyDown(UINT key, UINT repeat, UINT flags) override;

  // Option bit 0: copy instead of moving the originals.
  static constexpr int kOptCopy = 0x1;

 protected:
  // The changed copy of an entity for the cursor at `to`, or null when this entity cannot be
  // changed that way.
  virtual CDbEntity* Changed(CDbEntity* entity, const double to[2]) const = 0;
  virtual const wchar_t* ActionName(BOOL copying) const = 0;
  virtual const wchar_t* SecondPrompt() const = 0;
  // Applies the change for the cursor at `to` as one action and ends the command.
  BOOL Apply(const double to[2], BOOL copying);
  // The selected entities that are not locked.
  std::vector<CDbEntity*> Targets() const;

  double m_base[2] = {0.0, 0.0};
};

class CMoveCmd : public CSelectionEditCmd {
 public:
  CMoveCmd(int flag, const wchar_t* name) : CSelectionEditCmd(flag, name, 0) {}

 protected:
  CDbEntity* Changed(CDbEntity* entity, const double to[2]) const override;
  const wchar_t* ActionName(BOOL copying) const override { return copying ? L"Copy" : L"Move"; }
  const wchar_t* SecondPrompt() const override { return L"Click the destination point"; }
};

// Rotation about the base point; the second click gives the angle as the direction from the
// base point (measured from +x, counter-clockwise), or a typed value in degrees does.
class CRotateCmd : public CSelectionEditCmd {
 public:
  CRotateCmd(int flag, const wchar_t* name) : CSelectionEditCmd(flag, name, 0) {}
  int OnKeyInDouble(double degrees) override;

 protected:
  CDbEntity* Changed(CDbEntity* entity, const double to[2]) const override;
  const wchar_t* ActionName(BOOL copying) const override { return copying ? L"Copy" : L"Rotate"; }
  const wchar_t* SecondPrompt() const override { return L"Click the direction of the angle"; }
};

// Deletes the selection (as the Delete key of the selection tool does) and ends.
class CDelCmd : public CEditCmd {
 public:
  CDelCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
  int StartUp(int sub) override;
};
