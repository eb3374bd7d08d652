// Painting: a window we paint in 2D draws through a CDC over a QPainter into the peer's backing
// image, which the peer shows; a view window of the OpenGL class draws through its COpenGLDC
// inside Qt's paint of a QOpenGLWidget, where the platform can make OpenGL contexts.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/vurode/OpenGLDC.h"
#include "platform/win/Window.h"

#include <QOpenGLContext>
#include <QPaintEvent>
#include <QSurfaceFormat>

#include <utility>

namespace velmora::qtwin {

PeerWidget::PeerWidget(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent) : QWidget(parent), m_h(h), m_impl(impl) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool PeerWidget::event(QEvent* e) {
  if (PostInput(m_h, this, e) || PostDrop(m_h, e)) return true;
  return QWidget::event(e);
}

void PeerWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  auto it = m_impl.backing.find(m_h);
  if (it == m_impl.backing.end() || it->second.size() != size()) {
    p.fillRect(rect(), Qt::white);
    // The window has not drawn at this size yet: the model's next paint does. Asked once per
    // size, so a window that never paints cannot keep the loop busy.
    QSize& asked = m_impl.paintAsked[m_h];
    if (asked != size() && ::IsWindow(m_h)) {
      asked = size();
      ::InvalidateRect(m_h, nullptr, TRUE);
    }
    if (it == m_impl.backing.end()) return;
  }
  p.drawImage(0, 0, it->second);
}

void PeerWidget::resizeEvent(QResizeEvent*) {
  m_impl.ReportSize(m_h, this);
  m_impl.PlaceScrollBars(m_h);
}

void PeerWidget::focusInEvent(QFocusEvent*) {
  if (::GetFocus() != m_h && ::IsWindow(m_h)) ::SetFocus(m_h);
}

HDC CQtWindowBackend::Impl::OpenPaint(HWND h, bool keep) {
  if (auto* gl = dynamic_cast<GLPeer*>(Get(h))) {
    // Inside paintGL the context is current already. A paint from the message loop only asks
    // Qt for a frame (the window sees no current context and draws nothing now); a client
    // context from the loop (picking) makes the window's context current until it is released.
    if (glPainting == h) return nullptr;
    if (!keep) {
      gl->update();
      return nullptr;
    }
    if (!glCurrentOutside.count(h) && gl->isValid()) {
      gl->makeCurrent();
      glCurrentOutside[h] = true;
    }
    return nullptr;
  }
  auto* w = dynamic_cast<PeerWidget*>(Get(h));
  // Frames draw nothing of their own; a second context on one window stays headless.
  if (!w || paintings.count(h)) return nullptr;
  const QSize size = w->size().expandedTo(QSize(1, 1));
  QImage& img = backing[h];
  if (img.size() != size) {
    QImage fresh(size, QImage::Format_RGB32);
    fresh.fill(Qt::white);
    if (keep && !img.isNull()) QPainter(&fresh).drawImage(0, 0, img);
    img = std::move(fresh);
  }
  Painting p{&img, std::make_unique<QPainter>(&img), nullptr};
  p.dc = std::make_unique<CQtPainterDC>(*p.painter, size.width(), size.height(), w->logicalDpiX());
  CDC* dc = p.dc.get();
  paintings.emplace(h, std::move(p));
  return reinterpret_cast<HDC>(dc);
}

void CQtWindowBackend::Impl::ClosePaint(HWND h, HDC hdc) {
  if (auto* gl = dynamic_cast<GLPeer*>(Get(h))) {
    // What was drawn outside paintGL is not shown: the next frame draws the window afresh.
    if (glCurrentOutside.erase(h)) {
      gl->doneCurrent();
      gl->update();
    }
    return;
  }
  auto it = paintings.find(h);
  if (it == paintings.end() || reinterpret_cast<HDC>(static_cast<CDC*>(it->second.dc.get())) != hdc) return;
  paintings.erase(it);
  if (QWidget* w = Get(h)) w->update();
}

HDC CQtWindowBackend::BeginPaint(HWND hWnd) { return m_impl->OpenPaint(hWnd, false); }
void CQtWindowBackend::EndPaint(HWND hWnd, HDC hdc) { m_impl->ClosePaint(hWnd, hdc); }
HDC CQtWindowBackend::GetDC(HWND hWnd) { return m_impl->OpenPaint(hWnd, true); }
void CQtWindowBackend::ReleaseDC(HWND hWnd, HDC hdc) { m_impl->ClosePaint(hWnd, hdc); }

static QSurfaceFormat GLFormat() {
  // 2.1 (or the default): a 3.3/4.5 compatibility request gets a core context that draws nothing.
  QSurfaceFormat f;
  f.setVersion(2, 1);
  f.setProfile(QSurfaceFormat::NoProfile);
  f.setDepthBufferSize(24);
  return f;
}

GLPeer::GLPeer(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent) : QOpenGLWidget(parent), m_h(h), m_impl(impl) {
  setFormat(GLFormat());
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void GLPeer::Attach(COpenGLDC* dc) {
  m_dc = dc;
  m_dcReady = false;
  update();
}

bool GLPeer::event(QEvent* e) {
  if (PostInput(m_h, this, e) || PostDrop(m_h, e)) return true;
  return QOpenGLWidget::event(e);
}

void GLPeer::resizeEvent(QResizeEvent* e) {
  QOpenGLWidget::resizeEvent(e);
  m_impl.ReportSize(m_h, this);
  m_impl.PlaceScrollBars(m_h);
}

void GLPeer::focusInEvent(QFocusEvent*) {
  if (::GetFocus() != m_h && ::IsWindow(m_h)) ::SetFocus(m_h);
}

void GLPeer::initializeGL() { m_dcReady = false; }

void GLPeer::paintGL() {
  if (m_dc && !m_dcReady) m_dcReady = m_dc->InitGL();
  if (m_dc) {
    const qreal dpr = devicePixelRatioF();
    m_dc->SetScreenSize(static_cast<int>(width() * dpr), static_cast<int>(height() * dpr));
  }
  if (!::IsWindow(m_h)) return;
  const HWND old = m_impl.glPainting;
  m_impl.glPainting = m_h;
  ::SendMessageW(m_h, WM_PAINT, 0, 0);
  m_impl.glPainting = old;
}

bool CQtWindowBackend::OpenGLAvailable() {
  static const bool available = [] {
    QOpenGLContext probe;
    probe.setFormat(GLFormat());
    return probe.create();
  }();
  return available;
}

bool CQtWindowBackend::AttachOpenGLDC(HWND hWnd, COpenGLDC* dc) {
  auto* gl = dynamic_cast<GLPeer*>(m_impl->Get(hWnd));
  if (!gl) return false;
  gl->Attach(dc);
  return true;
}

bool CQtWindowBackend::IsOpenGLCurrent(HWND hWnd) const {
  return hWnd && (m_impl->glPainting == hWnd || m_impl->glCurrentOutside.count(hWnd));
}

}  // namespace velmora::qtwin
