// CPasteCmd: inserts the drawing entities that Copy or Cut put on the clipboard. They follow
// the cursor by the centre they were copied around (the base point) and land, on a click or a
// typed point, on the current layer as one undoable action.
#pragma once

#include "db/DbEntity.h"
#include "velmora/ordvale/Command.h"

class CPasteCmd : public CCommand {
 public:
  static constexpr UINT kCursor = 317;
  // Where the layer tab strip tells its current tab index; -1 when it has none.
  using TabIndexSource = int (*)();

  CPasteCmd(int flag, const wchar_t* name);
  ~CPasteCmd() override;

  int HostType() const override { return kHostSelect; }
  // Only for our own clipboard content: the clipboard's owner must be a window of the same
  // class as the application's main window.
  int IsEnable(int arg = 0) override;
  int StartUp(int sub) override;
  void Sleep() override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int OnKeyInP2D(const double p[2]) override;
  int Cancel() override;
  BOOL OnSetCursor() override;

  // The layer tab strip installs its current-tab query here (null removes it); returns the
  // previous one. Without one the settings object's current layer is used.
  static TabIndexSource SetTabIndexSource(TabIndexSource source);

  const CDbEntityList& Pasted() const { return m_pasted; }
  int GetPreviewCount() const { return int(m_preview.GetCount()); }
  void GetBasePoint(double p[2]) const { p[0] = m_base.x, p[1] = m_base.y; }

 private:
  void Commit(double x, double y);
  void DropPreview(CDC* dc);
  void DropPasted();
  // The id of the layer pasted entities go to.
  static int TargetLayerID();

  CDbEntityList m_pasted;   // loaded from the clipboard; the command's until committed
  CDbEntityList m_preview;  // moved copies shown under the cursor
  Position m_base, m_last;
};
