// OpenGL drawing of the relief grid: strip index lists, buffer objects, the cached frame for
// local redraws during edits, and the wire frame.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "geometry/grid/GeGrid.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"

namespace {

// Client-memory pointers are addresses only while no buffer object is bound.
void UnbindBuffers(COpenGLDC* dc) {
  if (!dc->IsSupportBufferObject()) return;
  dc->BindBuffer(GL_ARRAY_BUFFER, 0);
  dc->BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

}  // namespace

void CGeGrid::CreateTStrip(CRect rect, unsigned step, uint32_t*& list, uint32_t& count,
                           uint32_t& capacity) {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !m_pNodes || step == 0) return;
  // Indices outside the grid would make OpenGL read past the node array.
  const long left = std::max(0L, long(rect.left)), top = std::max(0L, long(rect.top));
  const long right = std::min(long(m_nCols) - 1, long(rect.right));
  const long bottom = std::min(long(m_nRows) - 1, long(rect.bottom));
  if (right < left || bottom < top) return;
  const size_t pairs = size_t(bottom - top) / step, perRow = size_t(right - left) / step;
  const size_t needed = pairs * (perRow + 2) * 2;
  if (needed == 0) return;
  if (!list || capacity < needed) {
    delete[] list;
    list = new uint32_t[needed];
    capacity = uint32_t(needed);
  }
  // The join repeats the last node actually drawn; with a step that does not divide the width
  // that is not the rectangle's right column.
  const size_t last = left + perRow * step;
  size_t n = 0;
  for (size_t r0 = top; r0 + step <= size_t(bottom); r0 += step) {
    const size_t r1 = r0 + step;
    if (r0 != size_t(top)) {
      list[n++] = uint32_t((r0 - step) * m_nCols + last);
      list[n++] = uint32_t(r1 * m_nCols + left);
    }
    for (size_t c = left; c <= last; c += step) {
      list[n++] = uint32_t(r1 * m_nCols + c);
      list[n++] = uint32_t(r0 * m_nCols + c);
    }
  }
  count = uint32_t(n);
  if (dc->IsSupportBufferObject()) {
    if (!m_nIndexBuf) dc->GenBuffers(1, &m_nIndexBuf);
    dc->BindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_nIndexBuf);
    dc->BufferData(GL_ELEMENT_ARRAY_BUFFER, n * sizeof(uint32_t), list, GL_STATIC_DRAW);
    dc->BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
}

void CGeGrid::CreateAllStrip(CRect rect) {
  ClearAllTriStrip();
  uint32_t capacity = 0;
  CreateTStrip(rect, 1, m_pAllStrip, m_nAllStrip, capacity);
}

void CGeGrid::CreateRoughStrip(CRect rect) {
  ClearRoughTriStrip();
  uint32_t capacity = 0;
  CreateTStrip(rect, 2, m_pRoughStrip, m_nRoughStrip, capacity);
}

void CGeGrid::CreateLocalStrip(CRect rect) {
  if (!gGetVurode()) return;
  if (rect.left > 0 && rect.left % 2) --rect.left;
  if (rect.top > 0 && rect.top % 2) --rect.top;
  m_nLocStrip = 0;
  CreateTStrip(rect, 1, m_pLocStrip, m_nLocStrip, m_nLocCapacity);
}

void CGeGrid::BuildVBOs() {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !m_pNodes || !dc->IsSupportBufferObject()) return;
  if (!m_nNodeBuf) dc->GenBuffers(1, &m_nNodeBuf);
  dc->BindBuffer(GL_ARRAY_BUFFER, m_nNodeBuf);
  dc->BufferData(GL_ARRAY_BUFFER, size_t(m_nCols) * m_nRows * sizeof(SGridNode), m_pNodes,
                 GL_STATIC_DRAW);
  dc->BindBuffer(GL_ARRAY_BUFFER, 0);
}

void CGeGrid::ClearFrameBuff() {
  delete[] m_pFrame;
  m_pFrame = nullptr;
  m_nFrameW = m_nFrameH = 0;
}

void CGeGrid::GetFrameBuff() {
  CVurode* view = gGetVurode();
  if (!view) return;
  const CRect rc = view->GetViewRect();
  const int w = rc.Width(), h = rc.Height();
  if (w != m_nFrameW || h != m_nFrameH) ClearFrameBuff();
  if (w <= 0 || h <= 0) return;
  // Rows are padded to the default 4-byte alignment; one spare pixel per row and one spare row
  // cover that.
  if (!m_pFrame) m_pFrame = new uint8_t[size_t(w + 1) * (h + 1) * 3];
  glReadBuffer(GL_FRONT);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, m_pFrame);
  m_nFrameW = w, m_nFrameH = h;
}

void CGeGrid::DrawGL(COpenGLDC* pDC, int nMode) {
  CVurode* view = gGetVurode();
  if (!pDC || !view || !m_pNodes) return;
  if (COpenGLDC* gl = gGetOpenGLDC())
    gl->SetLightDirection(float(m_dOriginX), float(m_dOriginY + m_fCell * m_nRows), 100.0f);
  glDisable(GL_TEXTURE_2D);
  const unsigned mode = view->GetSrfShowMode();
  if (gIsAnimateView() || nMode == 3 || mode == CVurode::kSrfIso) {
    DrawGL_WireFrame(pDC);
  } else if (mode < CVurode::kSrfIso) {
    if (nMode == 7)
      DrawGL_LoaclUpdate(nMode);
    else
      DrawGL_AllUpdate(nMode);
  }
}

namespace {

// Colour material, flat shading and the node and colour arrays from client memory.
void BeginNodeArrays(const SGridNode* nodes, const uint8_t (*colors)[4], bool blend) {
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_FLAT);
  glEnableClientState(GL_NORMAL_ARRAY);
  glInterleavedArrays(GL_N3F_V3F, 0, nodes);
  if (colors) {
    if (blend) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors);
  }
}

void EndNodeArrays(bool colors) {
  if (colors) glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glShadeModel(GL_SMOOTH);
  glDisable(GL_COLOR_MATERIAL);
}

}  // namespace

void CGeGrid::DrawGL_AllUpdate(int type) {
  COpenGLDC* dc = gGetOpenGLDC();
  CVurode* view = gGetVurode();
  if (!dc || !view || !m_pNodes) return;
  uint32_t* list;
  uint32_t count;
  if (view->WorldtoScreen(2.0 * m_fCell) > 1.0) {
    if (!m_pAllStrip) CreateAllStrip(m_rcShow);
    list = m_pAllStrip, count = m_nAllStrip;
  } else {
    if (!m_pRoughStrip) CreateRoughStrip(m_rcShow);
    list = m_pRoughStrip, count = m_nRoughStrip;
  }
  UnbindBuffers(dc);
  BeginNodeArrays(m_pNodes, m_pColors, true);
  if (type == 0 && list && count)
    glDrawElements(GL_TRIANGLE_STRIP, GLsizei(count), GL_UNSIGNED_INT, list);
  EndNodeArrays(m_pColors != nullptr);
  glFinish();
}

void CGeGrid::DrawGL_LoaclUpdate(int) {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !m_pNodes || !m_pLocStrip || !m_nLocStrip) return;
  // Drawn over what the screen shows; the later frames go where they went before.
  GLint drawBuffer = GL_BACK;
  glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
  glDepthFunc(GL_ALWAYS);
  glDrawBuffer(GL_FRONT);
  UnbindBuffers(dc);
  BeginNodeArrays(m_pNodes, m_pColors, false);
  glDrawElements(GL_TRIANGLE_STRIP, GLsizei(m_nLocStrip), GL_UNSIGNED_INT, m_pLocStrip);
  EndNodeArrays(m_pColors != nullptr);
  glDepthFunc(GL_LESS);
  glDrawBuffer(GLenum(drawBuffer));
  glFinish();
}

void CGeGrid::DrawGL_AllUpdateEx(int) {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !m_pNodes) return;
  glDrawBuffer(GL_BACK);
  glDepthFunc(GL_ALWAYS);
  glDisable(GL_DEPTH_TEST);
  if (m_pFrame) {
    // The frame goes to the window's lower left corner whatever the camera is.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(-1, -1);
    glDrawPixels(m_nFrameW, m_nFrameH, GL_RGB, GL_UNSIGNED_BYTE, m_pFrame);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
  }
  glEnable(GL_DEPTH_TEST);
  if (m_pLocStrip && m_nLocStrip) {
    UnbindBuffers(dc);
    if (m_nNodeBuf) {
      dc->BindBuffer(GL_ARRAY_BUFFER, m_nNodeBuf);
      // Edits change the nodes in memory after the buffer was filled: the touched span is
      // sent again before it is drawn.
      const auto [lo, hi] = std::minmax_element(m_pLocStrip, m_pLocStrip + m_nLocStrip);
      dc->BufferSubData(GL_ARRAY_BUFFER, size_t(*lo) * sizeof(SGridNode),
                        size_t(*hi - *lo + 1) * sizeof(SGridNode), m_pNodes + *lo);
      BeginNodeArrays(nullptr, nullptr, false);
    } else {
      BeginNodeArrays(m_pNodes, nullptr, false);
    }
    dc->BindBuffer(GL_ARRAY_BUFFER, 0);
    if (m_pColors) {
      glEnableClientState(GL_COLOR_ARRAY);
      glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_pColors);
    }
    glDrawElements(GL_TRIANGLE_STRIP, GLsizei(m_nLocStrip), GL_UNSIGNED_INT, m_pLocStrip);
    EndNodeArrays(m_pColors != nullptr);
  }
  glDepthFunc(GL_LESS);
  glFinish();
}

void CGeGrid::DrawGL_Row(COpenGLDC* dc, int row) {
  if (!dc || !m_pNodes) return;
  row = std::clamp(row, int(m_rcShow.top), int(m_rcShow.bottom));
  const COLORREF color = dc->GetColor();
  const GLboolean lit = glIsEnabled(GL_LIGHTING);
  glColor3ub(0, 0, 0);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINE_STRIP);
  // Up to the node before the right column.
  for (int c = m_rcShow.left; c < m_rcShow.right; ++c)
    glVertex3fv(&m_pNodes[c + size_t(row) * m_nCols].x);
  glEnd();
  if (lit) glEnable(GL_LIGHTING);
  dc->SetColor(color);
}

void CGeGrid::DrawGL_Col(COpenGLDC* dc, int col) {
  if (!dc || !m_pNodes) return;
  col = std::clamp(col, int(m_rcShow.left), int(m_rcShow.right));
  const COLORREF color = dc->GetColor();
  const GLboolean lit = glIsEnabled(GL_LIGHTING);
  glColor3ub(0, 0, 0);
  glDisable(GL_LIGHTING);
  glBegin(GL_LINE_STRIP);
  // Up to the node before the bottom row.
  for (int r = m_rcShow.top; r < m_rcShow.bottom; ++r)
    glVertex3fv(&m_pNodes[col + size_t(r) * m_nCols].x);
  glEnd();
  if (lit) glEnable(GL_LIGHTING);
  dc->SetColor(color);
}

void CGeGrid::DrawGL_WireFrame(COpenGLDC* dc) {
  if (!dc || !m_pNodes) return;
  const int rowStep = std::max(1, int(m_rcShow.bottom - m_rcShow.top) / 5);
  for (int r = m_rcShow.top; r <= m_rcShow.bottom; r += rowStep) DrawGL_Row(dc, r);
  const int colStep = std::max(1, int(m_rcShow.right - m_rcShow.left) / 5);
  for (int c = m_rcShow.left; c <= m_rcShow.right; c += colStep) DrawGL_Col(dc, c);
}

void CGeGrid::SetDefaultMaterial() {
  const GLfloat ambient[4] = {0.1f, 0.5f, 0.8f, 1.0f};
  const GLfloat diffuse[4] = {0.75164f, 0.60648f, 0.22648f, 1.0f};
  const GLfloat specular[4] = {0.628281f, 0.555802f, 0.366065f, 1.0f};
  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT, GL_SHININESS, 20.0f);
}
