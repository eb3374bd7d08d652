// What the pieces of the Qt window backend share, private to this folder: the peers' state
// (CQtWindowBackend::Impl), the peers of the windows we paint (a plain widget showing the window's
// backing image, an OpenGL widget) and the translation of Qt input into posted window messages.
// The backend is split by topic: QtBackend.cpp (peers' life, frames, focus, cursor, tooltips, the
// wait for input), QtInput.cpp (input and scroll bars), QtPaint.cpp (2D and OpenGL painting),
// QtMenus.cpp, QtClipboard.cpp and QtDialogs.cpp.
#pragma once

#include "platform/qtwin/QtBackend.h"
#include "platform/qtwin/QtDC.h"
#include "platform/win/Window.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QObject>
#include <QOpenGLWidget>
#include <QPainter>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

class QEvent;
class QScrollBar;

namespace velmora::qtwin {

struct CQtWindowBackend::Impl {
  struct Painting {
    QImage* image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<CQtPainterDC> dc;
  };
  std::map<HWND, QPointer<QWidget>> peers;
  std::map<HWND, QImage> backing;
  std::map<HWND, Painting> paintings;
  // Popups of the menu bars: the menu they show and the frame their commands go to.
  std::map<QMenu*, std::pair<HMENU, HWND>> popups;
  QElapsedTimer clock;
  HWND syncing = nullptr;  // the window whose size Qt is reporting to the model
  std::map<std::string, QByteArray> staged;  // what we put on the clipboard since it was cleared
  HWND glPainting = nullptr;  // the GL window whose paintGL runs now
  std::map<HWND, QSize> paintAsked;  // the size a window was last asked to paint at
  QObject context;                   // lifetime of the clipboard connection
  bool settingClipboard = false;     // our own change is being announced
  std::map<HWND, bool> glCurrentOutside;  // GL windows painting from the message loop
  std::set<HWND> tooltips;                // tooltip controls; their tools show as Qt tooltips

  CQtWindowBackend* self = nullptr;

  QWidget* Get(HWND h) const {
    auto it = peers.find(h);
    return it == peers.end() ? nullptr : it->second.data();
  }
  // The area the model sees as a frame's client: below the menu bar.
  static int MenuBarHeight(QWidget* w) {
    auto* mw = qobject_cast<QMainWindow*>(w);
    return mw && mw->menuWidget() && !mw->menuWidget()->isHidden() ? mw->menuWidget()->sizeHint().height() : 0;
  }
  void ReportSize(HWND h, QWidget* w) {
    if (syncing == h || !::IsWindow(h)) return;
    const HWND old = syncing;
    syncing = h;
    const int mb = MenuBarHeight(w);
    const QRect g = w->geometry();
    ::MoveWindow(h, g.x(), g.y(), g.width(), std::max(0, g.height() - mb), FALSE);
    syncing = old;
  }
  // The scroll bars shown over a window's peer, made when the model first shows one
  // (QtInput.cpp).
  std::map<HWND, std::array<QPointer<QScrollBar>, 2>> scrollBars;
  void SyncScrollBar(HWND h, int nBar);
  void PlaceScrollBars(HWND h);

  // Painting (QtPaint.cpp).
  HDC OpenPaint(HWND h, bool keep);
  void ClosePaint(HWND h, HDC hdc);
  // A menu's items as Qt actions posting their commands to the frame (QtMenus.cpp).
  void AddItems(QMenu* qmenu, HMENU menu, HWND frame);
};

// Input (QtInput.cpp). Turns Qt input on a peer into posted window messages; true when the event
// was taken.
bool PostInput(HWND hWnd, QWidget* w, QEvent* e);
// Files dragged over or dropped on a window that takes them: a drop becomes WM_DROPFILES.
bool PostDrop(HWND hWnd, QEvent* e);

// A child window: input becomes messages, painting shows the backing image the window drew
// (QtPaint.cpp).
class PeerWidget : public QWidget {
 public:
  PeerWidget(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void focusInEvent(QFocusEvent*) override;

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
};

// A GL window: Qt's paints send the window its WM_PAINT with the context current, so the view's
// drawing through its COpenGLDC lands in the widget's framebuffer. Qt alone decides when that
// framebuffer is shown (and may discard it once composed), so every frame is drawn inside
// paintGL: an invalidation only schedules one (QtPaint.cpp).
class GLPeer : public QOpenGLWidget {
 public:
  GLPeer(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent);
  void Attach(COpenGLDC* dc);

 protected:
  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void focusInEvent(QFocusEvent*) override;
  void initializeGL() override;
  void paintGL() override;

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
  COpenGLDC* m_dc = nullptr;
  bool m_dcReady = false;
};

}  // namespace velmora::qtwin
