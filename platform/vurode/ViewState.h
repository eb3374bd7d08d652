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

class CVurode {
 public:
  // Surface display modes (GetSrfShowMode); higher values draw nothing.
  enum { kSrfShaded = 0, kSrfShadedIso = 1, kSrfIso = 2 };

  CVurode();
  virtual ~CVurode();

  BOOL IsView2D() const { return !m_is3D; }
  BOOL IsView3D() const { return m_is3D; }
  void SetView2D() { m_is3D = FALSE; }
  void SetView3D() { m_is3D = TRUE; }

  // The view's area on the screen, in client pixels.
  CRect GetViewRect() const { return m_viewRect; }
  void SetViewRect(const CRect& rect);
  // Pixels per world unit (2D view). Refuses values that are not finite and positive.
  double GetScale() const { return m_scale; }
  BOOL SetScale(double scale);
  // World point at the centre of the view rectangle (2D view).
  void GetOrigin(double p[2]) const;
  void SetOrigin(double x, double y);

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
};
