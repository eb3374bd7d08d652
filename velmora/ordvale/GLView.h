// CGLView: the base of the program's drawing view. It keeps the 3D camera of the OpenGL
// drawing context (gGetOpenGLDC) and changes it: zoom by a factor, fit a box, zoom to a screen
// rectangle, pan by pixels, turn the view with the mouse, the seven standard views. The scene
// itself is the derived view's: DrawGL renders it into the context.
//
// The camera is a parallel projection (GCamera): zooming changes the world size the screen
// shows, panning moves eye and reference point together, turning rotates the whole camera about
// a centre. Every operation answers FALSE and leaves the camera alone when there is no drawing
// context or its input is not finite.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/numora/Records.h"
#include "platform/win/WinTypes.h"
#include "sockwell/PIView.h"

#include <memory>
#include <utility>
#include <vector>

class COpenGLDC;

class CGLView : public CPIView {
  DECLARE_DYNAMIC(CGLView)

 public:
  // Fitting leaves this much room around a box (the box fills 1 / kFitMargin of the view).
  static constexpr double kFitMargin = 1.1;
  // Standard views of OnViewType.
  enum ViewType { kFront = 1, kBack, kTop, kBottom, kRight, kLeft, kIso };

  ~CGLView() override;

  // The scene, drawn into dc with a drawing mode (0 normal; others as the scene defines).
  virtual void DrawGL(COpenGLDC* dc, int mode) = 0;
  // 3D: renders a frame (Ready, DrawGL with mode 0, Finish) when there is a drawing context.
  void OnDraw(CDC* pDC) override;

  // Zooms by a factor about the screen centre: above 1 shows things larger. A factor that is
  // not finite and positive, or zooming switched off, changes nothing (FALSE).
  BOOL Zoom(double factor);
  // Fits a world box into the view: the reference point moves to its centre and the view
  // grows or shrinks until the box's outline on the screen fills 1 / kFitMargin of the view in
  // its tighter direction. An empty box (max below min) is refused; a point only centres.
  BOOL ZoomBox(const _tagBox3D& box);
  // Fit to the whole scene, the selection and the drawing's page; the boxes come from
  // GetSceneBox, GetSelectionBox and GetPageBox. The argument is the redraw request: nonzero
  // repaints the view at once.
  BOOL ZoomAll(int redraw);
  BOOL ZoomSelect(int redraw);
  BOOL ZoomPage(int redraw);
  // Shows the screen rectangle between two client points across the view. A rectangle without
  // width and height is refused.
  BOOL ZoomRect(CPoint a, CPoint b, int redraw);
  // Pans: what the view shows moves dx pixels to the right and dy pixels up.
  BOOL MoveView(double dx, double dy);
  // Turns the view as the mouse drags from world point prev to cur (both on the plane the view
  // faces): the scene turns about centre, about the screen axis square to the drag, by half a
  // turn per view width dragged. The centre keeps its place on the screen.
  BOOL RotView(const double prev[3], const double cur[3], const double centre[3]);
  // One of the seven standard views (ViewType), looking at the same reference point from the
  // same distance. Other values are refused.
  BOOL OnViewType(int type);

  BOOL GetZoomEnable() const { return m_bZoomEnable; }
  void SetZoomEnable(BOOL on) { m_bZoomEnable = on ? TRUE : FALSE; }

  // The floating tip beside the view's corner.
  void ShowTip(CPoint at);
  void HideTip() { m_bTipShown = FALSE; }
  BOOL IsTipShown() const { return m_bTipShown; }
  CPoint GetTipPoint() const { return m_tipPoint; }

  // Whether a repaint was asked for and not yet done; the window layer paints on it.
  BOOL IsRedrawPending() const { return m_bRedrawPending; }
  // Whether the last repaint asked for erased the background first.
  BOOL IsEraseRequested() const { return m_bErase; }

  // What the view commands need of the window around them. The view keeps each state here, so
  // the commands work and can be followed without a window system; the window layer acts on
  // it (capturing the pointer, running the timers, painting, showing the cursor).
  // Asks for the view to be painted again, erasing the background first or not.
  virtual void RequestRedraw(BOOL erase = TRUE) {
    m_bRedrawPending = TRUE;
    m_bErase = erase;
  }
  // Renders one 3D frame of the scene in a drawing mode (Ready, DrawGL, Finish) with the view's
  // drawing context; nothing without one.
  virtual void RenderFrame(int mode);
  // Pointer capture for drags.
  virtual void CaptureMouse() { m_bCapture = TRUE; }
  virtual void ReleaseMouse() { m_bCapture = FALSE; }
  virtual BOOL HasMouseCapture() const { return m_bCapture; }
  // Periodic timers whose ticks reach the running command (through the frame and the hub).
  virtual void StartTimer(UINT_PTR id, UINT elapse);
  virtual void StopTimer(UINT_PTR id);
  BOOL IsTimerRunning(UINT_PTR id) const;
  UINT GetTimerElapse(UINT_PTR id) const;
  // The cursor the view shows, by resource id (0: the default arrow).
  virtual void SetViewCursor(UINT resource) { m_nCursor = resource; }
  UINT GetViewCursor() const { return m_nCursor; }
  // Whether Shift is held down now.
  virtual BOOL IsShiftDown() const { return m_bShift; }
  void SetShiftDown(BOOL down) { m_bShift = down ? TRUE : FALSE; }

  // What the view commands ask of the drawing, answered by the derived view from the
  // database; the base has no drawing and answers FALSE.
  // 2D boxes to fit: kFitAll the selection's box when something is selected, else the page
  // when the drawing is empty, else the drawing's box; kFitPage the page.
  enum FitTarget { kFitAll = 0, kFitPage = 1 };
  virtual BOOL GetFitBox2D(int target, _tagBox2D& box);
  // Fits the 2D view (the view state's scale and origin) to a world box. The base shows the
  // box whole, centred, filling 1 / kFitMargin of the view in its tighter direction; an empty
  // or non-finite box is refused.
  virtual BOOL SetViewRange2D(const _tagBox2D& box);
  // The rubber rectangle of the zoom window, drawn so that drawing it again erases it.
  virtual void DrawRubberBox(const _tagBox2D& box);
  int GetRubberDrawCount() const { return m_nRubberDraws; }
  // The centre to turn about for a press at a client point: the middle of what is drawn there
  // (FALSE when nothing is).
  virtual BOOL PickCentre(CPoint at, double centre[3]);

 protected:
  CGLView();

  // Boxes the fitting operations use; FALSE when there is nothing to fit. The derived view
  // answers from the drawing; the base has no scene and answers FALSE.
  virtual BOOL GetSceneBox(_tagBox3D& box);
  virtual BOOL GetSelectionBox(_tagBox3D& box);
  virtual BOOL GetPageBox(_tagBox3D& box);
  // Makes a drawing context for the program when there is none yet (owned by the view).
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  // The view's new client size: the view state's rectangle and the camera's screen.
  void OnSize(UINT nType, int cx, int cy);
  void OnDestroy();
  BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()

 private:
  COpenGLDC* Context() const;
  BOOL Fit(BOOL found, const _tagBox3D& box, int redraw);
  void Redraw(int redraw) {
    if (redraw) RequestRedraw();
  }

  BOOL m_bZoomEnable = TRUE;
  BOOL m_bTipShown = FALSE;
  CPoint m_tipPoint;
  BOOL m_bRedrawPending = FALSE;
  BOOL m_bErase = FALSE;
  BOOL m_bCapture = FALSE;
  BOOL m_bShift = FALSE;
  UINT m_nCursor = 0;
  int m_nRubberDraws = 0;
  std::vector<std::pair<UINT_PTR, UINT>> m_timers;
  std::unique_ptr<COpenGLDC> m_ownDC;
};
