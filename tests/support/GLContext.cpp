#define GL_GLEXT_PROTOTYPES 1
#include "support/GLContext.h"

#include "platform/vurode/Accessors.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string EglError() {
  char buf[32];
  std::snprintf(buf, sizeof buf, "EGL error 0x%04X", static_cast<unsigned>(eglGetError()));
  return buf;
}

// The display is opened once per process: Mesa keeps per-display state that is costly to
// build, and tests create many contexts.
struct Display {
  EGLDisplay display = EGL_NO_DISPLAY;
  std::string error;
};

const Display& SharedDisplay() {
  static const Display d = [] {
    Display r;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
      r.error = "EGL has no eglGetPlatformDisplayEXT (no EGL driver)";
      return r;
    }
    EGLDisplay dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, &major, &minor)) {
      r.error = "no OpenGL driver: EGL surfaceless platform unavailable (" + EglError() + ")";
      return r;
    }
    r.display = dpy;
    return r;
  }();
  return d;
}

}  // namespace

struct GLContext::Egl {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
};

GLContext::Result GLContext::Create(int width, int height) {
  Result r;
  const Display& d = SharedDisplay();
  if (d.display == EGL_NO_DISPLAY) {
    r.noDriver = true;
    r.message = d.error;
    return r;
  }
  if (width <= 0 || height <= 0) {
    r.message = "GL target size must be positive";
    return r;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    r.message = "EGL cannot bind desktop OpenGL";
    return r;
  }
  const EGLint configAttrs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  eglChooseConfig(d.display, configAttrs, &config, 1, &count);
  // Immediate mode needs the compatibility profile.
  const EGLint contextAttrs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext ctx = eglCreateContext(d.display, count > 0 ? config : EGL_NO_CONFIG_KHR,
                                    EGL_NO_CONTEXT, contextAttrs);
  if (ctx == EGL_NO_CONTEXT) {
    r.message = "eglCreateContext failed (" + EglError() + ")";
    return r;
  }
  std::unique_ptr<GLContext> c(new GLContext);
  c->m_egl = std::make_unique<Egl>();
  c->m_egl->display = d.display;
  c->m_egl->context = ctx;
  c->m_width = width;
  c->m_height = height;
  if (!eglMakeCurrent(d.display, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
    r.message = "eglMakeCurrent failed (" + EglError() + ")";
    return r;
  }
  glGenFramebuffers(1, &c->m_fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, c->m_fbo);
  glGenRenderbuffers(1, &c->m_colorRb);
  glBindRenderbuffer(GL_RENDERBUFFER, c->m_colorRb);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, c->m_colorRb);
  glGenRenderbuffers(1, &c->m_depthRb);
  glBindRenderbuffer(GL_RENDERBUFFER, c->m_depthRb);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, c->m_depthRb);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    r.message = "offscreen framebuffer incomplete";
    return r;
  }
  // Front and back both mean the offscreen target here.
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  r.context = std::move(c);
  return r;
}

GLContext::~GLContext() {
  if (!m_egl) return;
  if (m_egl->context != EGL_NO_CONTEXT) {
    eglMakeCurrent(m_egl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_egl->context);
    if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
    if (m_colorRb) glDeleteRenderbuffers(1, &m_colorRb);
    if (m_depthRb) glDeleteRenderbuffers(1, &m_depthRb);
    eglMakeCurrent(m_egl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(m_egl->display, m_egl->context);
  }
}

void GLContext::MakeCurrent() {
  eglMakeCurrent(m_egl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_egl->context);
  glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
}

std::vector<unsigned char> GLContext::ReadRGB() const {
  glFinish();
  std::vector<unsigned char> bottomUp(size_t(m_width) * m_height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<unsigned char> rows(bottomUp.size());
  const size_t stride = size_t(m_width) * 3;
  for (int y = 0; y < m_height; ++y)
    std::copy_n(bottomUp.begin() + (m_height - 1 - y) * stride, stride, rows.begin() + y * stride);
  return rows;
}

COLORREF GLContext::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFFu;
  unsigned char p[3] = {0, 0, 0};
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, m_height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
  return RGB(p[0], p[1], p[2]);
}

int GLContext::CountPixels(COLORREF color, int tol) const {
  const auto px = ReadRGB();
  const int want[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
  int n = 0;
  for (size_t i = 0; i < px.size(); i += 3) {
    bool match = true;
    for (int c = 0; c < 3; ++c) match = match && std::abs(px[i + c] - want[c]) <= tol;
    n += match;
  }
  return n;
}

void GLTest::SetUp() {
  VurodeTest::SetUp();
  auto r = GLContext::Create(TargetWidth(), TargetHeight());
  if (r.noDriver) GTEST_SKIP() << "OpenGL test skipped: " << r.message;
  ASSERT_TRUE(r.context) << "headless OpenGL context: " << r.message;
  m_gl = std::move(r.context);
  m_dc = std::make_unique<COpenGLDC>();
  m_dc->GetCamera().set_screen(TargetWidth(), TargetHeight());
  ASSERT_TRUE(m_dc->InitGL());
  gSetOpenGLDC(m_dc.get());
}

void GLTest::TearDown() {
  if (gGetOpenGLDC() == m_dc.get()) gSetOpenGLDC(nullptr);
  m_dc.reset();
  m_gl.reset();
  VurodeTest::TearDown();
}

void GLTest::SetPlanView(double x0, double x1, double y0, double y1) {
  GCamera& cam = m_dc->GetCamera();
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double eye[3] = {cx, cy, 1000.0}, ref[3] = {cx, cy, 0.0}, up[3] = {0.0, 1.0, 0.0};
  cam.set_view(eye, ref, up);
  cam.set_view_rect(x1 - x0, y1 - y0);
  cam.set_depth(1.0, 2000.0);
}
