// The animated change to a standard 3D view (front, top, iso...): the frame keeps the view
// records at both ends and a step word, and its timer walks the camera from one to the other
// in eight steps. The drawing view paints nothing while the step word is negative (from the
// request until the first tick), so the new view never flashes before the animation starts.
#pragma once

#include "platform/vurode/Camera.h"
#include "platform/win/WinTypes.h"

class CGLView;
class COpenGLDC;

class CStdViewAnimation {
 public:
  static constexpr UINT_PTR kTimer = 11;
  static constexpr UINT kTick = 40;  // ms
  static constexpr int kSteps = 8;

  // Saves the current view on the context's stack, sets the view type (1 front, 2 back, 3 top,
  // 4 bottom, 5 right, 6 left, 7 iso) and records both ends. The caller starts the timer.
  // FALSE (nothing changed) without a view or context, or for a type the view refuses.
  BOOL Begin(CGLView* view, COpenGLDC* dc, int viewType);
  // One timer tick: the camera moves one step (or to the end when animation is off or was
  // stopped). Returns TRUE while more ticks are needed.
  BOOL Tick(CGLView* view, COpenGLDC* dc);

  // Negative from Begin until the first tick; the number of steps taken while animating.
  int GetStep() const { return m_nStep; }
  const GCamera& GetStart() const { return m_start; }
  const GCamera& GetEnd() const { return m_end; }

 private:
  int m_nStep = 0;
  GCamera m_start, m_end;
};
