#include "platform/vurode/Camera.h"

#include "platform/numora/Point3d.h"

#include <cmath>
#include <cstring>

namespace {

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double a[3], const double b[3], double out[3]) {
  const double r[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                       a[0] * b[1] - a[1] * b[0]};
  std::memcpy(out, r, sizeof r);
}

bool Unit(double v[3]) {
  const double len = std::sqrt(Dot(v, v));
  if (!(len > 1e-300) || !std::isfinite(len)) return false;
  for (int i = 0; i < 3; ++i) v[i] /= len;
  return true;
}

}  // namespace

GCamera::GCamera()
    : m_eye{0, 0, 1000},
      m_ref{0, 0, 0},
      m_up{0, 1, 0},
      m_width(100),
      m_height(100),
      m_screenW(100),
      m_screenH(100),
      m_near(1),
      m_far(2000),
      m_focal(1000) {}

void GCamera::set_view(const double eye[3], const double ref[3], const double up[3]) {
  double d[3] = {ref[0] - eye[0], ref[1] - eye[1], ref[2] - eye[2]};
  double u[3] = {up[0], up[1], up[2]};
  double x[3];
  if (!Unit(d) || !Unit(u)) return;
  Cross(d, u, x);
  if (!Unit(x)) return;
  std::memcpy(m_eye, eye, sizeof m_eye);
  std::memcpy(m_ref, ref, sizeof m_ref);
  std::memcpy(m_up, u, sizeof m_up);
}

void GCamera::set_view_rect(double width, double height) {
  if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return;
  m_width = width;
  m_height = height;
}

void GCamera::set_screen(int width, int height) {
  if (width <= 0 || height <= 0) return;
  m_screenW = width;
  m_screenH = height;
  m_height = m_width * height / width;
}

void GCamera::set_depth(double zNear, double zFar) {
  if (!(zFar > zNear)) return;
  m_near = zNear;
  m_far = zFar;
}

void GCamera::get_viewdirection(double dir[3]) const {
  for (int i = 0; i < 3; ++i) dir[i] = m_ref[i] - m_eye[i];
  Unit(dir);
}

void GCamera::GetViewAxis(double ax[3], double ay[3], double az[3]) const {
  double d[3];
  get_viewdirection(d);
  Cross(d, m_up, ax);
  Unit(ax);
  Cross(ax, d, ay);
  Unit(ay);
  for (int i = 0; i < 3; ++i) az[i] = -d[i];
}

void GCamera::GetEye(double eye[3]) const { std::memcpy(eye, m_eye, sizeof m_eye); }
void GCamera::GetRefPoint(double ref[3]) const { std::memcpy(ref, m_ref, sizeof m_ref); }

void GCamera::GetViewSize(double& width, double& height) const {
  width = m_width;
  height = m_height;
}

void GCamera::GetScreenSize(int& width, int& height) const {
  width = m_screenW;
  height = m_screenH;
}

void GCamera::GetDepth(double& zNear, double& zFar) const {
  zNear = m_near;
  zFar = m_far;
}

void GCamera::CalculateFocalLength() {
  const double d[3] = {m_ref[0] - m_eye[0], m_ref[1] - m_eye[1], m_ref[2] - m_eye[2]};
  m_focal = std::sqrt(Dot(d, d));
}

bool GCamera::world_to_screen(const double p[3], double& sx, double& sy) const {
  if (!(m_width > 1e-12) || !(m_height > 1e-12)) return false;
  double ax[3], ay[3], az[3];
  GetViewAxis(ax, ay, az);
  const double d[3] = {p[0] - m_ref[0], p[1] - m_ref[1], p[2] - m_ref[2]};
  sx = (Dot(d, ax) / m_width + 0.5) * m_screenW;
  sy = (0.5 - Dot(d, ay) / m_height) * m_screenH;
  return true;
}

bool GCamera::screen_to_world(double sx, double sy, double p[3]) const {
  if (m_screenW <= 0 || m_screenH <= 0) return false;
  double ax[3], ay[3], az[3];
  GetViewAxis(ax, ay, az);
  const double u = (sx / m_screenW - 0.5) * m_width;
  const double v = (0.5 - sy / m_screenH) * m_height;
  for (int i = 0; i < 3; ++i) p[i] = m_ref[i] + u * ax[i] + v * ay[i];
  return true;
}

void GCamera::GetProjectionMatrix(double m[16]) const {
  // Parallel projection of the view rectangle around the line of sight, depth from the eye.
  const double l = -m_width / 2, r = m_width / 2, b = -m_height / 2, t = m_height / 2;
  std::memset(m, 0, 16 * sizeof(double));
  m[0] = 2 / (r - l);
  m[5] = 2 / (t - b);
  m[10] = -2 / (m_far - m_near);
  m[12] = -(r + l) / (r - l);
  m[13] = -(t + b) / (t - b);
  m[14] = -(m_far + m_near) / (m_far - m_near);
  m[15] = 1;
}

void GCamera::GetModelViewMatrix(double m[16]) const {
  // Rows of the rotation are the screen axes; the eye goes to the origin.
  double ax[3], ay[3], az[3];
  GetViewAxis(ax, ay, az);
  const double* rows[3] = {ax, ay, az};
  std::memset(m, 0, 16 * sizeof(double));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[c * 4 + r] = rows[r][c];
    m[12 + r] = -Dot(rows[r], m_eye);
  }
  m[15] = 1;
}

void GCamera::rotate_about(const double centre[3], const double axis[3], double angle) {
  double k[3] = {axis[0], axis[1], axis[2]};
  if (!std::isfinite(angle) || !Unit(k)) return;
  if (!std::isfinite(centre[0]) || !std::isfinite(centre[1]) || !std::isfinite(centre[2])) return;
  double e[3], r[3];
  for (int i = 0; i < 3; ++i) {
    e[i] = m_eye[i] - centre[i];
    r[i] = m_ref[i] - centre[i];
  }
  V3D_Rotate(e, k, angle);
  V3D_Rotate(r, k, angle);
  V3D_Rotate(m_up, k, angle);
  for (int i = 0; i < 3; ++i) {
    m_eye[i] = e[i] + centre[i];
    m_ref[i] = r[i] + centre[i];
  }
}

void GCamera::rot_view(double angle, const double axis[3]) {
  const double origin[3] = {0, 0, 0};
  rotate_about(origin, axis, angle);
}

void GCamera::translate(const double d[3]) {
  if (!std::isfinite(d[0]) || !std::isfinite(d[1]) || !std::isfinite(d[2])) return;
  for (int i = 0; i < 3; ++i) {
    m_eye[i] += d[i];
    m_ref[i] += d[i];
  }
}
