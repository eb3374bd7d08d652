// The view commands: zoom by a fixed factor, dynamic zoom, pan, zoom window, fit to all, fit to
// page, previous view and 3D rotate. They change the 2D view state (CVurode: scale, origin and
// its view stack) or, in 3D, the drawing context's camera through the OpenGL view (CGLView).
// Fit to all, fit to page, previous view and zoom window animate the change over eight ticks
// of timer 12.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/numora/Records.h"
#include "platform/vurode/Camera.h"
#include "platform/vurode/ViewState.h"
#include "velmora/ordvale/Command.h"

class CGLView;
class COpenGLDC;

// What every view command shares: its host type and the objects it works on.
class CViewCmd : public CCommand {
 public:
  using CCommand::CCommand;
  int HostType() const override { return kHostView; }
  // Shows the command's cursor in the view.
  BOOL OnSetCursor() override;

 protected:
  // The drawing view, or null.
  static CGLView* View();
  // The view state, the database and the view all exist (the drawing context too in 3D).
  BOOL HaveViewObjects() const;
  BOOL Is2D() const;
  // Saves the current view on the stack of the view in use (2D view state or 3D context).
  void PushView() const;
  void SetCursorResource(UINT res) { m_nCursorRes = res; }
  UINT GetCursorResource() const { return m_nCursorRes; }

 private:
  UINT m_nCursorRes = 0;
};

// One zoom step by a fixed factor (2D scale; 3D through the view's Zoom), ended inside the
// start-up: zoom in x 1.2, zoom out / 1.2 (0.9 in 3D).
class CViewZoomStepCmd : public CViewCmd {
 public:
  int StartUp(int sub) override;
  int OnRButtonDown(UINT flags, Position& pos) override;

 protected:
  CViewZoomStepCmd(int flag, const wchar_t* name, double factor2D, double factor3D)
      : CViewCmd(flag, name, 0), m_factor2D(factor2D), m_factor3D(factor3D) {}

 private:
  double m_factor2D, m_factor3D;
};

class CViewZoomInCmd : public CViewZoomStepCmd {
 public:
  CViewZoomInCmd(int flag, const wchar_t* name) : CViewZoomStepCmd(flag, name, 1.2, 1.2) {}
};

class CViewZoomOutCmd : public CViewZoomStepCmd {
 public:
  CViewZoomOutCmd(int flag, const wchar_t* name) : CViewZoomStepCmd(flag, name, 1 / 1.2, 0.9) {}
};

// Dynamic zoom: dragging down zooms in, up zooms out, 2 % per move of more than 3 pixels.
class CViewZoomDynCmd : public CViewCmd {
 public:
  static constexpr UINT kCursor = 417;
  CViewZoomDynCmd(int flag, const wchar_t* name) : CViewCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnLButtonUp(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;

 private:
  Position m_last;
};

// Pan: dragging with the left or middle button moves the drawing with the pointer.
class CViewPanCmd : public CViewCmd {
 public:
  static constexpr UINT kIdleCursor = 158, kDragCursor = 159;
  // Pans smaller than this (world units in 2D) are ignored; the 2D origin's x stays within
  // +-kMaxOriginX.
  static constexpr double kMinShift = 0.005, kMaxOriginX = 30000.0;

  CViewPanCmd(int flag, const wchar_t* name) : CViewCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonUp(UINT flags, Position& pos) override;
  int OnMButtonUp(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;

  // Moves the 2D view by (dx, dy) world units (the origin goes the other way) and repaints;
  // FALSE when the move is below kMinShift or would take the origin's x past kMaxOriginX.
  BOOL Shift2D(double dx, double dy);
  // Moves the 3D view by (dx, dy) pixels (right, up) under the same small-move test.
  BOOL Shift3D(double dx, double dy);
  BOOL IsDragging() const { return m_bDragging; }

 private:
  int Press(Position& pos);
  void Release(Position& pos);

  Position m_press, m_cur, m_prev;
  BOOL m_bDragging = FALSE;
};

// The animated commands: each start records the view before and after its change, and each
// tick of timer 12 shows one eighth more of the way, jumping to the end when the settings turn
// smooth transitions off or the hub's animation-stop word is set.
class CViewAnimCmd : public CViewCmd {
 public:
  static constexpr UINT_PTR kTimer = 12;
  static constexpr UINT kTick = 40;  // ms
  static constexpr int kSteps = 8;

  using CViewCmd::CViewCmd;
  int OnTimer(UINT_PTR id) override;
  // Stops an animation still under way (its timer too) before the command ends.
  int Cancel() override;
  int GetStep() const { return m_nStep; }

 protected:
  void RecordStart();
  // Records the end view and starts the ticks.
  void BeginAnimation();
  // What the command does after the last tick; the result is OnTimer's.
  virtual int AnimationDone() { return Cancel(); }

 private:
  int m_nStep = 0;
  double m_fraction = 0.125;
  tagViewPara m_start2D{1.0, {0.0, 0.0}}, m_end2D{1.0, {0.0, 0.0}};
  GCamera m_start3D, m_end3D;
};

// Fit to all: the selection, the page of an empty drawing or the whole drawing; with a nonzero
// sub-command it centres the view on the target position instead.
class CViewAllCmd : public CViewAnimCmd {
 public:
  CViewAllCmd(int flag, const wchar_t* name) : CViewAnimCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  // The point a centring run moves to the middle of the view (set by the caller first).
  Position m_target;
};

class CViewAllPageCmd : public CViewAnimCmd {
 public:
  CViewAllPageCmd(int flag, const wchar_t* name) : CViewAnimCmd(flag, name, 0) {}
  int StartUp(int sub) override;
};

// Back to the view saved last.
class CViewPrevCmd : public CViewAnimCmd {
 public:
  CViewPrevCmd(int flag, const wchar_t* name) : CViewAnimCmd(flag, name, 0) {}
  int StartUp(int sub) override;
};

// Zoom window: press and drag (or click twice) to frame the part to show.
class CViewRegionCmd : public CViewAnimCmd {
 public:
  static constexpr UINT kCursor = 157;
  // A drag within this many pixels in both directions is taken as a click.
  static constexpr int kClickSlop = 20;

  CViewRegionCmd(int flag, const wchar_t* name) : CViewAnimCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonUp(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;
  BOOL IsRubberShown() const { return m_bRubber; }

 protected:
  // The window stays the current command, ready for the next one.
  int AnimationDone() override { return 1; }

 private:
  void EraseRubber();

  Position m_first, m_second;
  int m_nClicks = 0;
  BOOL m_bRubber = FALSE;
  _tagBox2D m_rubber{};
};

// 3D rotate: dragging turns the view about the middle of what was pressed on; X, Y and Z keys
// turn it about the world axes.
class CView3DRotCmd : public CViewCmd {
 public:
  static constexpr UINT kCursor = 304;
  // Moves smaller than this many pixels in both directions from the press do not turn.
  static constexpr int kMoveSlop = 4;
  static constexpr double kKeyTurn = 0.1;  // radians per key press

  CView3DRotCmd(int flag, const wchar_t* name) : CViewCmd(flag, name, 0) {}
  int StartUp(int sub) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonUp(UINT flags, Position& pos) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int OnChar(UINT ch, UINT repeat, UINT flags) override;
  int Cancel() override;
  void GetCentre(double c[3]) const;

 private:
  CPoint m_press, m_last;
  BOOL m_bMoved = FALSE;
  double m_prevWorld[3] = {0, 0, 0};
  float m_centre[3] = {0, 0, 0};
};
