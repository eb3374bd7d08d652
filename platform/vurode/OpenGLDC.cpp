#define GL_GLEXT_PROTOTYPES 1
#include "platform/vurode/OpenGLDC.h"

#include <GL/glext.h>

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
