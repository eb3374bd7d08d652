// CVurode, the view state: whether the view is 2D or 3D, the view rectangle on the screen, and
// the one mapping between world and screen that drawing, picking and screen boxes share.
//
// 2D view: the world point `origin` shows at the centre of the view rectangle, `scale` pixels
// per world unit, world y upwards, screen y downwards. 3D view: the camera of the OpenGL
// drawing context (gGetOpenGLDC) projects, placed at the view rectangle's top-left corner;
// without a drawing context the 2D mapping of x and y stands in.
#pragma once

#include "platform/afx/DC.h"
#include "platform/afx/Rect.h"
#include "platform/numora/Records.h"
#include "platform/vurode/Position.h"
#include "platform/win/WinTypes.h"

#include <vector>

class CWnd;

// The 2D view parameters as one value (six 32-bit words): what the view stack saves and the
// animated view changes interpolate.
struct tagViewPara {
  double scale;      // pixels per world unit
  double origin[2];  // world point at the centre of the view rectangle
};
static_assert(sizeof(tagViewPara) == 24);

class CVurode {
 public:
  // Surface display modes (GetSrfShowMode); higher values draw nothing.
  enum { kSrfShaded = 0, kSrfShadedIso = 1, kSrfIso = 2 };

  // Saved views beyond this many drop the oldest, so a long session of wheel turns stays small.
  static constexpr int kMaxViewStack = 64;

  CVurode();
  virtual ~CVurode();

  // The view window this state belongs to (set by the view; not owned).
  CWnd* m_pView = nullptr;

  BOOL IsView2D() const { return !m_is3D; }
  BOOL IsView3D() const { return m_is3D; }
  void SetView2D() { m_is3D = FALSE; }
  void SetView3D() { m_is3D = TRUE; }

  // The view's area on the screen, in client pixels.
  CRect GetViewRect() const { return m_viewRect; }
  void SetViewRect(const CRect& rect);
  // The view rectangle from the view window's client area (m_pView); kept without a window.
  void UpdateViewRect();
  // Fits the projection to the view rectangle: in 3D the drawing context's camera takes the
  // rectangle's size (the 2D mapping follows the rectangle by itself).
  void UpdateViewBox();
  // Pixels per world unit (2D view). Refuses values that are not finite and positive.
  double GetScale() const { return m_scale; }
  BOOL SetScale(double scale);
  // World point at the centre of the view rectangle (2D view).
  void GetOrigin(double p[2]) const;
  void SetOrigin(double x, double y);

  // The current 2D view parameters; setting refuses a scale that is not finite and positive or
  // an origin that is not finite (FALSE, view kept).
  tagViewPara GetViewPara() const;
  BOOL SetViewPara(const tagViewPara& para);
  // The view stack: Push saves the current parameters, Pop makes the last saved ones current
  // (FALSE with an empty stack, view kept).
  void PushViewPara();
  BOOL PopViewPara();
  BOOL IsViewStackEmpty() const { return m_viewStack.empty(); }
  int GetViewStackSize() const { return static_cast<int>(m_viewStack.size()); }
  void ClearViewStack() { m_viewStack.clear(); }
  // The view between start (t = 0) and end (t = 1): the scale changes geometrically, so that
  // each step of an animation zooms by the same factor, and the origin linearly. t is clamped
  // to [0, 1].
  static tagViewPara LerpView(const tagViewPara& start, const tagViewPara& end, double t);

  // World box that the view rectangle shows (in 3D: of the rectangle's corners on the plane
  // through the camera's reference point).
  void GetViewBox(_tagBox2D& box) const;
  void GetViewBox(_tagBox2D* box) const;
  // True when the world point shows within the view rectangle grown by tol pixels.
  BOOL IsPtInView(const double q[2], int tol) const;

  // World to screen; screen points are rounded to whole pixels.
  CPoint WorldtoScreen(double x, double y) const;
  CPoint WorldtoScreen(const double p[2]) const;
  CPoint WorldtoScreen(const tagPoint2d& p) const;
  // A world length in pixels (unrounded).
  double WorldtoScreen(double length) const;
  void WorldtoScreen3D(double x, double y, double z, int& sx, int& sy) const;
  CPoint WorldtoScreen3D(const double p[3]) const;

  // Screen to world, the inverse: the world point under pixel (x, y), with the pixel kept as
  // the position's screen point. In 3D the point lies on the plane through the camera's
  // reference point facing the eye.
  void ScreentoWorld(int x, int y, Position& pos) const;
  void ScreentoWorld2D(int x, int y, double p[2]) const;
  // A length in pixels as world units.
  double ScreentoWorld(double pixels) const;

  // GDI drawing of world geometry. The Clip forms draw only what lies inside the view
  // rectangle, each visible run of a polyline as one Polyline call; the plain forms draw
  // everything. A null dc or fewer than two points draws nothing.
  void DrawLine(const double start[2], const double end[2], CDC* dc) const;
  void DrawPolyline(const double (*pts)[2], int count, CDC* dc) const;
  void ClipDrawLine(const double start[2], const double end[2], CDC* dc) const;
  void ClipDrawPolyLine(const double (*pts)[2], int count, CDC* dc) const;

  // Whether drawing first tests shapes' boxes against the view box.
  BOOL GetCheckBoxFlag() const { return m_checkBox; }
  void SetCheckBoxFlag(BOOL on) { m_checkBox = on ? TRUE : FALSE; }
  unsigned GetSrfShowMode() const { return m_srfShowMode; }
  void SetSrfShowMode(unsigned mode) { m_srfShowMode = mode; }

 protected:
  // The mapping itself: world point to unrounded client pixels.
  void Project(double x, double y, double z, double& sx, double& sy) const;
  void Unproject(double sx, double sy, double p[3]) const;

  BOOL m_is3D;
  CRect m_viewRect;
  double m_scale;
  double m_origin[2];
  BOOL m_checkBox;
  unsigned m_srfShowMode;
  std::vector<tagViewPara> m_viewStack;
};
