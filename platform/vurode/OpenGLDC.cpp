#define GL_GLEXT_PROTOTYPES 1
#include "platform/vurode/OpenGLDC.h"

#include "platform/numora/Point3d.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include <cstdio>
#include <cstring>

COpenGLDC::COpenGLDC()
    : m_color(RGB(255, 255, 255)),
      m_bkColor(RGB(0, 0, 0)),
      m_light{0.0f, 0.0f, 1.0f},
      m_viewport{0, 0, 0, 0},
      m_hasBuffers(FALSE),
      m_genBuffers(nullptr),
      m_bindBuffer(nullptr),
      m_bufferData(nullptr),
      m_deleteBuffers(nullptr),
      m_bufferSubData(nullptr) {
  m_camera.GetModelViewMatrix(m_modelView);
  m_camera.GetProjectionMatrix(m_projection);
}

COpenGLDC::~COpenGLDC() = default;

BOOL COpenGLDC::InitGL() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return FALSE;
  int major = 0, minor = 0;
  std::sscanf(version, "%d.%d", &major, &minor);
  if (major > 1 || (major == 1 && minor >= 5)) {
    m_genBuffers = glGenBuffers;
    m_bindBuffer = glBindBuffer;
    m_bufferData = reinterpret_cast<PfnBufferData>(glBufferData);
    m_deleteBuffers = glDeleteBuffers;
    m_bufferSubData = reinterpret_cast<PfnBufferSubData>(glBufferSubData);
  }
  m_hasBuffers = m_genBuffers != nullptr;
  m_perfect = m_hasBuffers;

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_NORMALIZE);
  // Light 0 and colour material are ready, lighting itself stays off: the 3D view switches it
  // on for shaded drawing, and plain 2D drawing keeps its exact colours.
  glEnable(GL_LIGHT0);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_SMOOTH);
  int w = 0, h = 0;
  m_camera.GetScreenSize(w, h);
  SetScreenSize(w, h);
  SetColor(m_color);
  return TRUE;
}

void COpenGLDC::SetScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  m_camera.set_screen(width, height);
  m_viewport[0] = 0;
  m_viewport[1] = 0;
  m_viewport[2] = width;
  m_viewport[3] = height;
  glViewport(0, 0, width, height);
}

void COpenGLDC::Ready() {
  int w = 0, h = 0;
  m_camera.GetScreenSize(w, h);
  SetScreenSize(w, h);
  glClearColor(GetRValue(m_bkColor) / 255.0f, GetGValue(m_bkColor) / 255.0f,
               GetBValue(m_bkColor) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  m_camera.GetProjectionMatrix(m_projection);
  m_camera.GetModelViewMatrix(m_modelView);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m_projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(m_modelView);
  SetLightDirection(m_light[0], m_light[1], m_light[2]);
  SetColor(m_color);
}

void COpenGLDC::Finish() { glFinish(); }

void COpenGLDC::SetColor(COLORREF color) {
  m_color = color;
  glColor3ub(GetRValue(color), GetGValue(color), GetBValue(color));
}

void COpenGLDC::SetLightDirection(float x, float y, float z) {
  m_light[0] = x;
  m_light[1] = y;
  m_light[2] = z;
  // w = 0 makes the light directional; GL transforms it by the model-view now in force.
  const GLfloat pos[4] = {x, y, z, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, pos);
}

void COpenGLDC::GetLightDirection(float dir[3]) const { std::memcpy(dir, m_light, sizeof m_light); }

namespace {

// Lines carry no normals, so they are drawn unlit in the current colour.
class UnlitScope {
 public:
  UnlitScope() : m_lit(glIsEnabled(GL_LIGHTING)) {
    if (m_lit) glDisable(GL_LIGHTING);
  }
  ~UnlitScope() {
    if (m_lit) glEnable(GL_LIGHTING);
  }

 private:
  GLboolean m_lit;
};

}  // namespace

void COpenGLDC::DrawPolyline(const double (*pts)[3], int count) {
  if (!pts || count < 2) return;
  UnlitScope unlit;
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < count; ++i) glVertex3dv(pts[i]);
  glEnd();
}

void COpenGLDC::DrawPolyline(const tagPoint3d* pts, int count) {
  if (!pts || count < 2) return;
  UnlitScope unlit;
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < count; ++i) glVertex3f(pts[i].x, pts[i].y, pts[i].z);
  glEnd();
}

void COpenGLDC::GetModelViewMatrix(double m[16]) const { std::memcpy(m, m_modelView, sizeof m_modelView); }

void COpenGLDC::GetProjectionMatrix(double m[16]) const {
  std::memcpy(m, m_projection, sizeof m_projection);
}

void COpenGLDC::GetViewport(int vp[4]) const { std::memcpy(vp, m_viewport, sizeof m_viewport); }

void COpenGLDC::GenBuffers(GLsizei n, GLuint* ids) {
  if (m_genBuffers && ids && n > 0) m_genBuffers(n, ids);
}

void COpenGLDC::BindBuffer(GLenum target, GLuint id) {
  if (m_bindBuffer) m_bindBuffer(target, id);
}

void COpenGLDC::BufferData(GLenum target, size_t bytes, const void* data, GLenum usage) {
  if (m_bufferData) m_bufferData(target, static_cast<ptrdiff_t>(bytes), data, usage);
}

void COpenGLDC::BufferSubData(GLenum target, size_t offset, size_t bytes, const void* data) {
  if (m_bufferSubData && data && bytes)
    m_bufferSubData(target, static_cast<ptrdiff_t>(offset), static_cast<ptrdiff_t>(bytes), data);
}

void COpenGLDC::DeleteBuffers(GLsizei n, const GLuint* ids) {
  if (m_deleteBuffers && ids && n > 0) m_deleteBuffers(n, ids);
}

void COpenGLDC::PushViewPara() {
  if (static_cast<int>(m_viewStack.size()) >= kMaxViewStack) m_viewStack.erase(m_viewStack.begin());
  m_viewStack.push_back(m_camera);
}

BOOL COpenGLDC::PopViewPara() {
  if (m_viewStack.empty()) return FALSE;
  m_camera = m_viewStack.back();
  m_viewStack.pop_back();
  return TRUE;
}

namespace {

// Signed angle from a to b about the unit axis n (a and b perpendicular to n).
double SignedAngle(const double a[3], const double b[3], const double n[3]) {
  double axb[3];
  V3D_VProduct(a, b, axb);
  return std::atan2(V3D_Dot(axb, n), V3D_Dot(a, b));
}

}  // namespace

GCamera COpenGLDC::LerpView(const GCamera& start, const GCamera& end, float tf) {
  const double t = tf;
  if (!(t > 0.0)) return start;  // also NaN
  if (t >= 1.0) return end;
  GCamera out = end;
  double d0[3], d1[3], x0[3], y0[3], z0[3], x1[3], y1[3], z1[3];
  start.get_viewdirection(d0);
  end.get_viewdirection(d1);
  start.GetViewAxis(x0, y0, z0);
  end.GetViewAxis(x1, y1, z1);

  // Turn of the line of sight: about d0 x d1, or about the start's up axis when the two look
  // in opposite directions.
  double k[3];
  V3D_VProduct(d0, d1, k);
  const double theta = std::atan2(std::sqrt(V3D_Dot(k, k)), V3D_Dot(d0, d1));
  if (!V3D_Unit(k, 1e-300)) std::memcpy(k, y0, sizeof k);
  double d[3], up[3], upEnd[3];
  std::memcpy(d, d0, sizeof d);
  std::memcpy(up, y0, sizeof up);
  std::memcpy(upEnd, y0, sizeof upEnd);
  V3D_Rotate(d, k, theta * t);
  V3D_Rotate(up, k, theta * t);
  V3D_Rotate(upEnd, k, theta);
  // What is left at the end is a roll about the final line of sight; share it out evenly.
  const double roll = SignedAngle(upEnd, y1, d1);
  V3D_Rotate(up, d, roll * t);

  double r0[3], r1[3], e0[3], e1[3];
  start.GetRefPoint(r0);
  end.GetRefPoint(r1);
  start.GetEye(e0);
  end.GetEye(e1);
  const double s0[3] = {r0[0] - e0[0], r0[1] - e0[1], r0[2] - e0[2]};
  const double s1[3] = {r1[0] - e1[0], r1[1] - e1[1], r1[2] - e1[2]};
  const double dist0 = V3D_Length(s0), dist1 = V3D_Length(s1);
  const double dist = dist0 + (dist1 - dist0) * t;
  double ref[3], eye[3];
  for (int i = 0; i < 3; ++i) {
    ref[i] = r0[i] + (r1[i] - r0[i]) * t;
    eye[i] = ref[i] - d[i] * dist;
  }
  out.set_view(eye, ref, up);
  double w0, h0, w1, h1;
  start.GetViewSize(w0, h0);
  end.GetViewSize(w1, h1);
  out.set_view_rect(w0 * std::pow(w1 / w0, t), h0 * std::pow(h1 / h0, t));
  return out;
}

void COpenGLDC::BeginSelection(int x, int y, int w, int h, int bufSize) {
  if (m_selecting) glRenderMode(GL_RENDER);
  bufSize = std::clamp(bufSize, 4, 1 << 20);
  m_selectBuffer.assign(static_cast<size_t>(bufSize), 0u);
  glSelectBuffer(bufSize, m_selectBuffer.data());
  glRenderMode(GL_SELECT);
  m_selecting = true;
  glInitNames();
  glPushName(0);
  int vp[4] = {0, 0, 0, 0};
  int sw = 0, sh = 0;
  m_camera.GetScreenSize(sw, sh);
  vp[2] = sw;
  vp[3] = sh;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // Client y runs downwards, GL window y upwards.
  gluPickMatrix(x, sh - y, std::max(w, 1), std::max(h, 1), vp);
  double proj[16];
  m_camera.GetProjectionMatrix(proj);
  glMultMatrixd(proj);
  glMatrixMode(GL_MODELVIEW);
  m_camera.GetModelViewMatrix(m_modelView);
  glLoadMatrixd(m_modelView);
}

int COpenGLDC::EndSelection(std::vector<GLuint>* names) {
  if (names) names->clear();
  if (!m_selecting) return 0;
  m_selecting = false;
  glFlush();
  const GLint hits = glRenderMode(GL_RENDER);
  // Back to the plain projection for whatever draws next.
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m_projection);
  glMatrixMode(GL_MODELVIEW);
  if (hits <= 0) return 0;
  // Each record: name count, min depth, max depth, names. Never read past the buffer.
  const size_t size = m_selectBuffer.size();
  size_t at = 0;
  int found = 0;
  for (GLint i = 0; i < hits && at + 3 <= size; ++i) {
    const size_t count = m_selectBuffer[at];
    if (count > size - at - 3) break;
    if (names && count > 0) names->push_back(m_selectBuffer[at + 3 + count - 1]);
    at += 3 + count;
    ++found;
  }
  return found;
}
