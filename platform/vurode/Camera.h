// The 3D view's camera: a parallel projection looking from the eye towards the reference
// point. The reference point shows at the centre of the screen; the view width and height are
// the world extent that fills the screen. A plain value type, so a view can be saved and
// restored by copying it whole.
#pragma once

class GCamera {
 public:
  GCamera();

  // Eye, reference point and up direction. The up direction only needs to be off the line of
  // sight; a degenerate request (eye on the reference point, up along the sight) is ignored.
  void set_view(const double eye[3], const double ref[3], const double up[3]);
  // World extent shown across the screen; non-positive sizes are ignored.
  void set_view_rect(double width, double height);
  // Screen size in pixels; the view height follows so that world units stay square.
  void set_screen(int width, int height);
  // Depth range of the projection, measured along the sight from the eye.
  void set_depth(double zNear, double zFar);

  // Unit direction from the eye to the reference point.
  void get_viewdirection(double dir[3]) const;
  // Right, up and towards-the-eye axes of the screen (right-handed, unit).
  void GetViewAxis(double ax[3], double ay[3], double az[3]) const;
  void GetEye(double eye[3]) const;
  void GetRefPoint(double ref[3]) const;
  void GetViewSize(double& width, double& height) const;
  void GetScreenSize(int& width, int& height) const;
  void GetDepth(double& zNear, double& zFar) const;

  // Turns the whole camera (eye, reference point and up direction) by angle radians about the
  // axis through centre (right-hand rule). A zero or non-finite axis or angle does nothing.
  void rotate_about(const double centre[3], const double axis[3], double angle);
  // The same about the world origin.
  void rot_view(double angle, const double axis[3]);
  // Moves eye and reference point together by d.
  void translate(const double d[3]);

  // Focal length: the distance from the eye to the reference point, so that a pick ray moved
  // back by it starts in front of what the view shows.
  void CalculateFocalLength();
  double GetFocalLength() const { return m_focal; }

  // World point to screen pixels (x right, y down, unrounded); false when the view has no
  // extent.
  bool world_to_screen(const double p[3], double& sx, double& sy) const;
  // Screen pixels to the world point on the plane through the reference point facing the eye.
  bool screen_to_world(double sx, double sy, double p[3]) const;

  // The matrices that put this camera into OpenGL (column-major, as glLoadMatrixd takes them).
  void GetProjectionMatrix(double m[16]) const;
  void GetModelViewMatrix(double m[16]) const;

 private:
  double m_eye[3];
  double m_ref[3];
  double m_up[3];
  double m_width;
  double m_height;
  int m_screenW;
  int m_screenH;
  double m_near;
  double m_far;
  double m_focal;
};
