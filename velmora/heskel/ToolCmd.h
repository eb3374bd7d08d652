// The selection tool, the program's resting mode: a click picks the entity under the pointer,
// a drag frames entities (left to right: those wholly inside the frame; right to left: those
// the frame crosses too). Shift held: a click adds or removes the entity, a frame adds. Delete
// removes the selection from the drawing as one undoable action; Esc clears it.
#pragma once

#include "velmora/commandlib/EditCmd.h"

class CToolCmd : public CEditCmd {
 public:
  // Pointer moves of at most this many pixels from the press keep a click a click.
  static constexpr int kDragSlop = 3;

  CToolCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonUp(UINT flags, Position& pos) override;
  int OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  int Cancel() override;
  BOOL IsFraming() const { return m_bDragging; }

 private:
  void Click(UINT flags, const Position& pos);
  void Frame(UINT flags, const Position& pos);

  Position m_press;
  BOOL m_bPressed = FALSE;
  BOOL m_bDragging = FALSE;
};
