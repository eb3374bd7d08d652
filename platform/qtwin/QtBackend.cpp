#include "platform/qtwin/QtBackend.h"

#include "platform/afx/Control.h"
#include "platform/afx/DocView.h"
#include "platform/afx/CommandImage.h"
#include "platform/afx/Menu.h"
#include "platform/afx/Wnd.h"
#include "platform/qtwin/QtControls.h"
#include "platform/qtwin/QtDC.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DropFiles.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCloseEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QHelpEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <cstring>
#include <cwchar>
#include <limits>
#include <vector>

namespace velmora::qtwin {
namespace {
// Mouse-message key flags.
constexpr WPARAM MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10;
// Virtual keys the window layer does not name.
constexpr UINT VK_BACK = 0x08, VK_TAB = 0x09, VK_SPACE = 0x20, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
               VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
               VK_SUBTRACT = 0x6D, VK_DIVIDE = 0x6F, VK_OEM_PLUS = 0xBB, VK_OEM_MINUS = 0xBD;

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y))));
}

WPARAM MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM f = 0;
  if (buttons & Qt::LeftButton) f |= MK_LBUTTON;
  if (buttons & Qt::RightButton) f |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) f |= MK_MBUTTON;
  if (mods & Qt::ShiftModifier) f |= MK_SHIFT;
  if (mods & Qt::ControlModifier) f |= MK_CONTROL;
  return f;
}

// The virtual-key code of a Qt key; 0 for keys the accelerator tables cannot name.
UINT VirtualKey(int key, bool keypad) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return keypad ? VK_NUMPAD0 + static_cast<UINT>(key - Qt::Key_0) : static_cast<UINT>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : 0;
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : 0;
    default: return 0;
  }
}

Qt::CursorShape CursorShape(UINT id) {
  switch (id) {
    case IDC_WAIT_ID: return Qt::WaitCursor;
    case IDC_CROSS_ID: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
  }
}

// Turns Qt input on a peer into posted window messages; true when the event was taken.
bool PostInput(HWND hWnd, QWidget* w, QEvent* e) {
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(e);
      const bool down = e->type() != QEvent::MouseButtonRelease;
      const bool dbl = e->type() == QEvent::MouseButtonDblClick;
      UINT msg;
      switch (me->button()) {
        case Qt::LeftButton: msg = dbl ? WM_LBUTTONDBLCLK : down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case Qt::RightButton: msg = dbl ? WM_RBUTTONDBLCLK : down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case Qt::MiddleButton: msg = dbl ? WM_MBUTTONDBLCLK : down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return false;
      }
      if (down) w->setFocus(Qt::MouseFocusReason);
      const QPoint p = me->position().toPoint();
      ::PostMessageW(hWnd, msg, MouseFlags(me->buttons(), me->modifiers()), PointParam(p.x(), p.y()));
      return true;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      const QPoint p = me->position().toPoint();
      w->setProperty("velmoraHovered", true);
      ::PostMessageW(hWnd, WM_MOUSEMOVE, MouseFlags(me->buttons(), me->modifiers()), PointParam(p.x(), p.y()));
      return true;
    }
    case QEvent::Leave:
      // A window the pointer moved over learns that it left (hover marks and tips go), once,
      // as a tracked leave does; Qt still handles the event.
      if (w->property("velmoraHovered").toBool()) {
        w->setProperty("velmoraHovered", false);
        ::PostMessageW(hWnd, WM_MOUSELEAVE, 0, 0);
      }
      return false;
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(e);
      // Qt's angle delta counts eighths of a degree: 120 per notch, the window layer's unit too.
      const int delta = std::clamp(we->angleDelta().y(), -32768, 32767);
      if (delta == 0) return true;
      const QPoint g = we->globalPosition().toPoint();
      const WPARAM wp = MAKELONG(static_cast<WORD>(MouseFlags(we->buttons(), we->modifiers())),
                                 static_cast<WORD>(static_cast<SHORT>(delta)));
      ::PostMessageW(hWnd, WM_MOUSEWHEEL, wp, PointParam(g.x(), g.y()));
      return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(e);
      const Qt::KeyboardModifiers mods = ke->modifiers();
      win::SetKeyDown(VK_SHIFT, mods & Qt::ShiftModifier);
      win::SetKeyDown(VK_CONTROL, mods & Qt::ControlModifier);
      win::SetKeyDown(VK_MENU, mods & Qt::AltModifier);
      const bool press = e->type() == QEvent::KeyPress;
      const bool alt = mods & Qt::AltModifier;
      const UINT vk = VirtualKey(ke->key(), mods & Qt::KeypadModifier);
      if (vk) {
        const UINT msg = press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        ::PostMessageW(hWnd, msg, vk, ke->isAutoRepeat() ? 0x40000001 : 1);
      }
      // Characters follow their key, as typed text; control combinations carry none.
      if (press && !(mods & Qt::ControlModifier)) {
        for (wchar_t ch : ke->text().toStdWString())
          if (ch >= 0x20 && ch != 0x7F) ::PostMessageW(hWnd, alt ? WM_SYSCHAR : WM_CHAR, ch, 1);
      }
      return true;
    }
    default: return false;
  }
}

// The local files a drag carries (other URLs are no files to open).
std::vector<std::wstring> DraggedFiles(const QMimeData* mime) {
  std::vector<std::wstring> files;
  if (mime && mime->hasUrls())
    for (const QUrl& url : mime->urls())
      if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files.push_back(url.toLocalFile().toStdWString());
  return files;
}

// Files dragged over or dropped on a window that takes them: a drop becomes WM_DROPFILES.
bool PostDrop(HWND hWnd, QEvent* e) {
  switch (e->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* de = static_cast<QDropEvent*>(e);
      if (!win::AcceptsFiles(hWnd) || DraggedFiles(de->mimeData()).empty()) return false;
      de->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* de = static_cast<QDropEvent*>(e);
      std::vector<std::wstring> files = DraggedFiles(de->mimeData());
      if (!win::AcceptsFiles(hWnd) || files.empty()) return false;
      const QPoint p = de->position().toPoint();
      de->acceptProposedAction();
      ::PostMessageW(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(win::MakeDrop(std::move(files), POINT{p.x(), p.y()})),
                     0);
      return true;
    }
    default: return false;
  }
}
}  // namespace

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
  // The scroll bars shown over a window's peer, made when the model first shows one.
  std::map<HWND, std::array<QPointer<QScrollBar>, 2>> scrollBars;
  void SyncScrollBar(HWND h, int nBar);
  void PlaceScrollBars(HWND h);

  HDC OpenPaint(HWND h, bool keep);
  void ClosePaint(HWND h, HDC hdc);
  void AddItems(QMenu* qmenu, HMENU menu, HWND frame);
};

// A child window: input becomes messages, painting shows the backing image the window drew.
class PeerWidget : public QWidget {
 public:
  PeerWidget(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent) : QWidget(parent), m_h(h), m_impl(impl) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  bool event(QEvent* e) override {
    if (PostInput(m_h, this, e) || PostDrop(m_h, e)) return true;
    return QWidget::event(e);
  }
  void paintEvent(QPaintEvent*) override {
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
  void resizeEvent(QResizeEvent*) override {
    m_impl.ReportSize(m_h, this);
    m_impl.PlaceScrollBars(m_h);
  }
  void focusInEvent(QFocusEvent*) override {
    if (::GetFocus() != m_h && ::IsWindow(m_h)) ::SetFocus(m_h);
  }

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
};

// A top-level window: closing asks the model (which may refuse), sizes are reported back.
class FrameWindow : public QMainWindow {
 public:
  FrameWindow(HWND h, CQtWindowBackend::Impl& impl) : m_h(h), m_impl(impl) { setFocusPolicy(Qt::StrongFocus); }

 protected:
  bool event(QEvent* e) override {
    if (PostInput(m_h, this, e) || PostDrop(m_h, e)) return true;
    return QMainWindow::event(e);
  }
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    ::PostMessageW(m_h, WM_CLOSE, 0, 0);
  }
  // The frame itself took the focus (on activation): the model decides where it goes on.
  void focusInEvent(QFocusEvent*) override {
    if (::GetFocus() != m_h && ::IsWindow(m_h)) ::SetFocus(m_h);
  }
  void resizeEvent(QResizeEvent* e) override {
    QMainWindow::resizeEvent(e);
    m_impl.ReportSize(m_h, this);
  }

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
};

static QSurfaceFormat GLFormat() {
  // 2.1 (or the default): a 3.3/4.5 compatibility request gets a core context that draws nothing.
  QSurfaceFormat f;
  f.setVersion(2, 1);
  f.setProfile(QSurfaceFormat::NoProfile);
  f.setDepthBufferSize(24);
  return f;
}

// A GL window: Qt's paints send the window its WM_PAINT with the context current, so the view's
// drawing through its COpenGLDC lands in the widget's framebuffer. Qt alone decides when that
// framebuffer is shown (and may discard it once composed), so every frame is drawn inside
// paintGL: an invalidation only schedules one.
class GLPeer : public QOpenGLWidget {
 public:
  GLPeer(HWND h, CQtWindowBackend::Impl& impl, QWidget* parent) : QOpenGLWidget(parent), m_h(h), m_impl(impl) {
    setFormat(GLFormat());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }
  void Attach(COpenGLDC* dc) {
    m_dc = dc;
    m_dcReady = false;
    update();
  }

 protected:
  bool event(QEvent* e) override {
    if (PostInput(m_h, this, e) || PostDrop(m_h, e)) return true;
    return QOpenGLWidget::event(e);
  }
  void resizeEvent(QResizeEvent* e) override {
    QOpenGLWidget::resizeEvent(e);
    m_impl.ReportSize(m_h, this);
    m_impl.PlaceScrollBars(m_h);
  }
  void focusInEvent(QFocusEvent*) override {
    if (::GetFocus() != m_h && ::IsWindow(m_h)) ::SetFocus(m_h);
  }
  void initializeGL() override { m_dcReady = false; }
  void paintGL() override {
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

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
  COpenGLDC* m_dc = nullptr;
  bool m_dcReady = false;
};

// A tool's window: Qt's tooltip request shows the text of the tool under the mouse.
class ToolTipFilter : public QObject {
 public:
  ToolTipFilter(HWND h, CQtWindowBackend::Impl& impl, QObject* parent) : QObject(parent), m_h(h), m_impl(impl) {}

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::ToolTip) return false;
    auto* help = static_cast<QHelpEvent*>(e);
    for (HWND tip : m_impl.tooltips) {
      const AfxControlState* s = AfxGetControlState(tip);
      if (!s || !s->tipsActive) continue;
      for (const AfxControlTool& t : s->tools)
        if (t.hwnd == m_h && help->pos().x() >= t.rect.left && help->pos().x() < t.rect.right &&
            help->pos().y() >= t.rect.top && help->pos().y() < t.rect.bottom) {
          // The tip goes as soon as the pointer leaves the tool's rectangle.
          const QRect area(t.rect.left, t.rect.top, t.rect.right - t.rect.left, t.rect.bottom - t.rect.top);
          QToolTip::showText(help->globalPos(), QString::fromWCharArray(t.text.GetString()), qobject_cast<QWidget*>(o),
                             area);
          return true;
        }
    }
    QToolTip::hideText();
    return true;
  }

 private:
  HWND m_h;
  CQtWindowBackend::Impl& m_impl;
};

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

CQtWindowBackend::CQtWindowBackend() : m_impl(std::make_unique<Impl>()) {
  m_impl->self = this;
  m_impl->clock.start();
  // Another program took the clipboard: what we staged is no longer there.
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard)
    QObject::connect(clipboard, &QClipboard::dataChanged, &m_impl->context, [this, clipboard] {
    if (m_impl->settingClipboard || clipboard->ownsClipboard()) return;
    m_impl->staged.clear();
    win::ClipboardOwnerLost();
  });
}

CQtWindowBackend::~CQtWindowBackend() {
  m_impl->paintings.clear();
  for (auto& [h, w] : m_impl->peers)
    if (w && !w->parentWidget()) delete w.data();
}

QWidget* CQtWindowBackend::Peer(HWND hWnd) const { return m_impl->Get(hWnd); }

void CQtWindowBackend::PeerCreated(HWND hWnd, HWND hParent, const RECT& rect, DWORD style, LPCWSTR text) {
  QWidget* parent = m_impl->Get(hParent);
  wchar_t clsName[64] = {};
  ::GetClassNameW(hWnd, clsName, 64);
  const std::wstring cls = clsName;
  if (IsPeerlessClass(cls)) return;
  QWidget* w;
  if ((style & WS_POPUP) && !(style & WS_CHILD)) {
    // Dialogs and other owned popups: windows of their own above the owner.
    w = CreateDialogPeer(hWnd, parent);
  } else if (parent && IsControlClass(cls)) {
    w = CreateControlPeer(hWnd, cls, style, parent);
  } else if (!parent) {
    auto* frame = new FrameWindow(hWnd, *m_impl);
    frame->setWindowTitle(QString::fromWCharArray(text ? text : L""));
    w = frame;
  } else {
    // A frame's children (view pane, bars) live in its client area, the central widget, where
    // the model's layout places them: bars and view never overlap.
    if (auto* mw = qobject_cast<QMainWindow*>(parent)) {
      if (!mw->centralWidget()) {
        auto* client = new QWidget;
        client->setAttribute(Qt::WA_OpaquePaintEvent, false);
        mw->setCentralWidget(client);
      }
      parent = mw->centralWidget();
    }
    QWidget* child;
    if (cls == kOpenGLViewClass && OpenGLAvailable())
      child = new GLPeer(hWnd, *m_impl, parent);
    else
      child = new PeerWidget(hWnd, *m_impl, parent);
    w = child;
  }
  m_impl->peers[hWnd] = w;
  PeerMoved(hWnd, rect);
  for (int bar : {SB_HORZ, SB_VERT})
    if (::IsScrollBarShown(hWnd, bar)) m_impl->SyncScrollBar(hWnd, bar);
  if (style & WS_VISIBLE) PeerShown(hWnd, true);
}

void CQtWindowBackend::PeerDestroyed(HWND hWnd) {
  m_impl->tooltips.erase(hWnd);
  m_impl->paintings.erase(hWnd);
  m_impl->glCurrentOutside.erase(hWnd);
  m_impl->paintAsked.erase(hWnd);
  m_impl->backing.erase(hWnd);
  m_impl->scrollBars.erase(hWnd);
  for (auto it = m_impl->popups.begin(); it != m_impl->popups.end();)
    it = it->second.second == hWnd ? m_impl->popups.erase(it) : std::next(it);
  auto it = m_impl->peers.find(hWnd);
  if (it == m_impl->peers.end()) return;
  QPointer<QWidget> w = it->second;
  m_impl->peers.erase(it);
  if (w) {
    w->hide();
    // Later: the widget may be inside one of its own event handlers now.
    w->deleteLater();
  }
}

void CQtWindowBackend::PeerShown(HWND hWnd, bool visible) {
  QWidget* w = m_impl->Get(hWnd);
  if (!w) return;
  if (visible && !w->parentWidget()) {
    auto* mw = qobject_cast<QMainWindow*>(w);
    if (mw && !mw->menuWidget()) RebuildMenuBar(hWnd);
    const int cmd = ::GetShowCommand(hWnd);
    if (cmd == SW_SHOWMAXIMIZED) {
      w->showMaximized();
      return;
    }
    if (cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE) {
      w->showMinimized();
      return;
    }
  }
  w->setVisible(visible);
  // A dialog shown comes to the front and takes the keyboard, as the window system does it
  // elsewhere; without that, keys typed at it would reach the (disabled) window it came from.
  if (visible && w->windowType() == Qt::Dialog) {
    w->raise();
    w->activateWindow();
  }
}

void CQtWindowBackend::PeerMoved(HWND hWnd, const RECT& rect) {
  QWidget* w = m_impl->Get(hWnd);
  if (!w || m_impl->syncing == hWnd) return;
  const HWND old = m_impl->syncing;
  m_impl->syncing = hWnd;
  const int width = std::max(0, static_cast<int>(rect.right - rect.left));
  const int height = std::max(0, static_cast<int>(rect.bottom - rect.top)) + Impl::MenuBarHeight(w);
  w->setGeometry(rect.left, rect.top, width, height);
  m_impl->syncing = old;
}

void CQtWindowBackend::PeerTextChanged(HWND hWnd, LPCWSTR text) {
  QWidget* w = m_impl->Get(hWnd);
  if (!w) return;
  if (auto* control = dynamic_cast<ControlPeer*>(w)) {
    control->Sync();
    return;
  }
  w->setWindowTitle(QString::fromWCharArray(text ? text : L""));
}

void CQtWindowBackend::PeerEnabled(HWND hWnd, bool enabled) {
  QWidget* w = m_impl->Get(hWnd);
  if (!w) return;
  if (!w->isWindow()) {
    w->setEnabled(enabled);
    return;
  }
  // A window's dialogs are windows of their own under it: disabling the owner for a modal run
  // must leave them usable, so the owner's own contents are disabled instead.
  for (QObject* o : w->children()) {
    auto* c = qobject_cast<QWidget*>(o);
    if (!c || c->isWindow()) continue;
    bool want = enabled;
    if (enabled)
      for (const auto& [h, peer] : m_impl->peers)
        if (peer == c) want = ::IsWindowEnabled(h);
    c->setEnabled(want);
  }
}

void CQtWindowBackend::ControlChanged(HWND hWnd) {
  if (auto* control = dynamic_cast<ControlPeer*>(m_impl->Get(hWnd))) {
    control->Sync();
    return;
  }
  const AfxControlState* s = AfxGetControlState(hWnd);
  if (!s || !IsPeerlessClass(s->cls)) return;
  m_impl->tooltips.insert(hWnd);
  for (const AfxControlTool& t : s->tools) {
    QWidget* w = m_impl->Get(t.hwnd);
    if (!w || w->property("velmoraToolTips").toBool()) continue;
    w->setProperty("velmoraToolTips", true);
    w->installEventFilter(new ToolTipFilter(t.hwnd, *m_impl, w));
  }
}

bool CQtWindowBackend::ColorDialog(HWND hWnd, COLORREF& color) {
  const QColor initial(GetRValue(color), GetGValue(color), GetBValue(color));
  const QColor chosen = QColorDialog::getColor(initial, m_impl->Get(hWnd));
  if (!chosen.isValid()) return false;
  color = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

void CQtWindowBackend::PeerAcceptsFiles(HWND hWnd, bool accept) {
  if (QWidget* w = m_impl->Get(hWnd)) w->setAcceptDrops(accept);
}

void CQtWindowBackend::PeerInvalidated(HWND hWnd) {
  if (QWidget* w = m_impl->Get(hWnd)) w->update();
}

void CQtWindowBackend::FocusChanged(HWND hWnd) {
  if (QWidget* w = m_impl->Get(hWnd); w && !w->hasFocus()) w->setFocus(Qt::OtherFocusReason);
}

// Qt grabs the mouse for the widget a button was pressed on until it is released, which is what
// capture is used for (drags); an explicit grab could lock the whole display when a release is
// lost, so the model's capture state is all that changes.
void CQtWindowBackend::CaptureChanged(HWND) {}

void CQtWindowBackend::CursorChanged(HCURSOR hCursor) {
  const QCursor cursor(CursorShape(GetCursorResourceId(hCursor)));
  for (auto& [h, w] : m_impl->peers)
    if (w && !w->parentWidget()) w->setCursor(cursor);
}

void CQtWindowBackend::PeerScrollBarChanged(HWND hWnd, int nBar) { m_impl->SyncScrollBar(hWnd, nBar); }

QScrollBar* CQtWindowBackend::ScrollBarPeer(HWND hWnd, int nBar) const {
  auto it = m_impl->scrollBars.find(hWnd);
  if (it == m_impl->scrollBars.end() || (nBar != SB_HORZ && nBar != SB_VERT)) return nullptr;
  return it->second[static_cast<size_t>(nBar)].data();
}

namespace {
// A user's action on a bar as the request the window gets; -1 for none.
int ScrollRequest(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
  }
}
}  // namespace

void CQtWindowBackend::Impl::SyncScrollBar(HWND h, int nBar) {
  QWidget* w = Get(h);
  if (!w || (nBar != SB_HORZ && nBar != SB_VERT)) return;
  // Only windows we paint get bars from here; a control's widget shows its own.
  if (!dynamic_cast<PeerWidget*>(w) && !dynamic_cast<GLPeer*>(w)) return;
  QPointer<QScrollBar>& slot = scrollBars[h][static_cast<size_t>(nBar)];
  const bool shown = ::IsScrollBarShown(h, nBar);
  if (!slot) {
    if (!shown) return;
    auto* bar = new QScrollBar(nBar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, w);
    const UINT message = nBar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
    // Qt moves its bar at once; the window decides. Each request is posted as the window's
    // bar message, and the bar is set back to what the model holds afterwards.
    auto resync = [this, h, nBar, bar] {
      QTimer::singleShot(0, bar, [this, h, nBar] { SyncScrollBar(h, nBar); });
    };
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [h, message, bar, resync](int action) {
      const int code = ScrollRequest(action);
      if (code < 0 || !::IsWindow(h)) return;
      const WORD thumb = static_cast<WORD>(static_cast<short>(bar->sliderPosition()));
      ::PostMessageW(h, message, MAKELONG(static_cast<WORD>(code), thumb), 0);
      if (code != SB_THUMBTRACK) resync();
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [h, message, bar, resync] {
      if (!::IsWindow(h)) return;
      const WORD thumb = static_cast<WORD>(static_cast<short>(bar->sliderPosition()));
      ::PostMessageW(h, message, MAKELONG(static_cast<WORD>(SB_THUMBPOSITION), thumb), 0);
      ::PostMessageW(h, message, MAKELONG(static_cast<WORD>(SB_ENDSCROLL), 0), 0);
      resync();
    });
    slot = bar;
  }
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (!::GetScrollInfo(h, nBar, &si)) return;
  QScrollBar* bar = slot.data();
  {
    const QSignalBlocker quiet(bar);
    bar->setRange(si.nMin, si.nMax);
    bar->setPageStep(si.nPage > 0 ? static_cast<int>(si.nPage) : std::max(1, (si.nMax - si.nMin) / 10));
    if (!bar->isSliderDown()) bar->setValue(si.nPos);
  }
  bar->setVisible(shown);
  PlaceScrollBars(h);
}

void CQtWindowBackend::Impl::PlaceScrollBars(HWND h) {
  auto it = scrollBars.find(h);
  QWidget* w = Get(h);
  if (it == scrollBars.end() || !w) return;
  QScrollBar* hb = it->second[SB_HORZ].data();
  QScrollBar* vb = it->second[SB_VERT].data();
  const bool hs = hb && !hb->isHidden(), vs = vb && !vb->isHidden();
  // Laid over the window's edges, leaving the corner free when both show.
  const int hh = hs ? hb->sizeHint().height() : 0, vw = vs ? vb->sizeHint().width() : 0;
  if (hs) hb->setGeometry(0, w->height() - hh, std::max(0, w->width() - vw), hh);
  if (vs) vb->setGeometry(w->width() - vw, 0, vw, std::max(0, w->height() - hh));
  if (hs) hb->raise();
  if (vs) vb->raise();
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

HDC CQtWindowBackend::BeginPaint(HWND hWnd) { return m_impl->OpenPaint(hWnd, false); }
void CQtWindowBackend::EndPaint(HWND hWnd, HDC hdc) { m_impl->ClosePaint(hWnd, hdc); }
HDC CQtWindowBackend::GetDC(HWND hWnd) { return m_impl->OpenPaint(hWnd, true); }
void CQtWindowBackend::ReleaseDC(HWND hWnd, HDC hdc) { m_impl->ClosePaint(hWnd, hdc); }

DWORD CQtWindowBackend::TickCount() { return static_cast<DWORD>(m_impl->clock.elapsed()); }

bool CQtWindowBackend::WaitForInput(DWORD timeoutMs) {
  // Destroyed peers go now: the message loop never returns to a Qt event loop that would.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  if (timeoutMs == INFINITE) {
    bool anyVisible = false;
    for (auto& [h, w] : m_impl->peers) anyVisible = anyVisible || (w && w->isVisible());
    if (!anyVisible) return false;
  }
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher) return false;
  QTimer wake;
  if (timeoutMs != INFINITE) {
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::min<DWORD>(timeoutMs, 0x7FFFFFFF)));
  }
  dispatcher->processEvents(timeoutMs == 0 ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
  return true;
}

std::string CQtWindowBackend::MimeTypeOf(UINT format, const std::wstring& formatName) {
  if (format == CF_UNICODETEXT || format == CF_TEXT) return "text/plain";
  if (formatName.empty()) return "application/x-velmora-format-" + std::to_string(format);
  std::string s = "application/x-velmora-";
  for (wchar_t c : formatName) {
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' || c == L'-')
      s += static_cast<char>(c);
    else if (c >= L'A' && c <= L'Z')
      s += static_cast<char>(c - L'A' + L'a');
    else
      s += '-';
  }
  return s;
}

void CQtWindowBackend::ClearClipboard() {
  m_impl->staged.clear();
  m_impl->settingClipboard = true;
  QGuiApplication::clipboard()->clear();
  m_impl->settingClipboard = false;
}

bool CQtWindowBackend::SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) {
  if ((!data && size) || size > static_cast<size_t>(std::numeric_limits<qsizetype>::max())) return false;
  QByteArray bytes;
  if (format == CF_UNICODETEXT) {
    // wchar_t text up to its terminator, as UTF-8 for other programs.
    std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    bytes = QString::fromStdWString(text).toUtf8();
  } else if (format == CF_TEXT) {
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(strnlen(reinterpret_cast<const char*>(data), size)));
  } else {
    bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  }
  m_impl->staged[MimeTypeOf(format, formatName)] = bytes;
  auto* mime = new QMimeData;
  for (const auto& [type, b] : m_impl->staged) mime->setData(QString::fromStdString(type), b);
  m_impl->settingClipboard = true;
  QGuiApplication::clipboard()->setMimeData(mime);
  m_impl->settingClipboard = false;
  return true;
}

bool CQtWindowBackend::GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                                         size_t maxBytes) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  const QString type = QString::fromStdString(MimeTypeOf(format, formatName));
  if (!mime || !mime->hasFormat(type)) return false;
  const QByteArray bytes = mime->data(type);
  if (format == CF_UNICODETEXT) {
    std::wstring text = QString::fromUtf8(bytes).toStdWString();
    const size_t n = (text.size() + 1) * sizeof(wchar_t);
    if (n > maxBytes) return false;
    data.resize(n);
    std::memcpy(data.data(), text.c_str(), n);
    return true;
  }
  const size_t n = static_cast<size_t>(bytes.size()) + (format == CF_TEXT ? 1 : 0);
  if (n > maxBytes) return false;
  data.assign(bytes.begin(), bytes.end());
  if (format == CF_TEXT) data.push_back(0);
  return true;
}

bool CQtWindowBackend::HasClipboardFormat(UINT format, const std::wstring& formatName) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && mime->hasFormat(QString::fromStdString(MimeTypeOf(format, formatName)));
}

int CQtWindowBackend::MessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type & 0xF0) {
    case MB_ICONSTOP: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (type & 0xF) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
  }
  QWidget* owner = m_impl->Get(hWnd);
  QMessageBox box(icon, QString::fromWCharArray(caption ? caption : L""), QString::fromWCharArray(text ? text : L""),
                  buttons, owner ? owner->window() : nullptr);
  switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Ok: return IDOK;
    // Closed without a button: cancel when offered, else the box's only answer.
    default: return (type & 0xF) == MB_YESNO ? IDNO : (type & 0xF) == MB_OK ? IDOK : IDCANCEL;
  }
}

std::vector<std::wstring> CQtWindowBackend::NameFilters(const std::wstring& filter) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t bar = filter.find(L'|', start);
    parts.push_back(filter.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  std::vector<std::wstring> out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the "||" that ends the list
    std::wstring patterns = parts[i + 1];
    for (wchar_t& c : patterns)
      if (c == L';') c = L' ';
    out.push_back(parts[i] + L" (" + patterns + L")");
  }
  return out;
}

bool CQtWindowBackend::FileDialog(win::FileDialogRequest& request) {
  QWidget* owner = m_impl->Get(request.owner);
  QFileDialog dlg(owner ? owner->window() : nullptr, QString::fromStdWString(request.title));
  dlg.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dlg.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  QStringList filters;
  for (const std::wstring& f : NameFilters(request.filter)) filters << QString::fromStdWString(f);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size())) - 1;
    dlg.selectNameFilter(filters[index]);
  }
  if (!request.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdWString(request.defaultExt));
  if (!request.initialPath.empty()) dlg.selectFile(QString::fromStdWString(request.initialPath));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  request.chosenPath = dlg.selectedFiles().front().toStdWString();
  request.filterIndex = filters.isEmpty() ? 1 : static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
  if (request.filterIndex < 1) request.filterIndex = 1;
  return true;
}

void AddMenuItems(QMenu* qmenu, HMENU menu, const std::function<void(QMenu*, HMENU)>& onSub,
                  const std::function<void(QAction*, UINT)>& onCommand) {
  const int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    wchar_t buf[256];
    ::GetMenuStringW(menu, static_cast<UINT>(i), buf, 256, MF_BYPOSITION);
    const QString text = QString::fromWCharArray(buf);
    // A popup's state carries its item count in the high byte, which may look like any flag
    // there (MF_SEPARATOR among them): the sub-menu is asked for first.
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      QMenu* child = qmenu->addMenu(text);
      if (onSub) onSub(child, sub);
      AddMenuItems(child, sub, onSub, onCommand);
    } else if (state & MF_SEPARATOR) {
      qmenu->addSeparator();
    } else {
      const UINT id = ::GetMenuItemID(menu, i);
      QAction* a = qmenu->addAction(text);
      a->setData(id);
      a->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
      a->setCheckable(state & MF_CHECKED);
      a->setChecked(state & MF_CHECKED);
      if (const AfxCommandImage* image = velmora::afx::FindCommandImage(id))
        a->setIcon(QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(image->argb.data()), image->size,
                                             image->size, image->size * 4, QImage::Format_ARGB32)));
      if (onCommand) onCommand(a, id);
    }
  }
}

void CQtWindowBackend::Impl::AddItems(QMenu* qmenu, HMENU menu, HWND frame) {
  AddMenuItems(
      qmenu, menu,
      [this, frame](QMenu* child, HMENU sub) {
        popups[child] = {sub, frame};
        QObject::connect(child, &QMenu::aboutToShow, child, [this, child] { self->RefreshMenu(child); });
      },
      [frame](QAction* a, UINT id) {
        QObject::connect(a, &QAction::triggered, a,
                         [frame, id] { ::PostMessageW(frame, WM_COMMAND, MAKELONG(static_cast<WORD>(id), 0), 0); });
      });
}

void CQtWindowBackend::RefreshMenu(QMenu* menu) {
  auto it = m_impl->popups.find(menu);
  if (it == m_impl->popups.end()) return;
  const auto [hmenu, frame] = it->second;
  if (!::IsMenu(hmenu)) return;
  if (auto* f = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(frame))) f->UpdateMenuCmdUI(CMenu::FromHandle(hmenu));
  // Items may have changed text, state or number: show the menu as it is now.
  std::vector<QMenu*> subs;
  for (QAction* a : menu->actions())
    if (QMenu* sub = a->menu()) subs.push_back(sub);
  menu->clear();
  // Sub-menus are children the clearing keeps: they go too, and are built afresh.
  std::function<void(QMenu*)> forget = [&](QMenu* m) {
    m_impl->popups.erase(m);
    for (QAction* a : m->actions())
      if (QMenu* sub = a->menu()) forget(sub);
  };
  for (QMenu* sub : subs) {
    forget(sub);
    delete sub;
  }
  m_impl->popups[menu] = {hmenu, frame};
  m_impl->AddItems(menu, hmenu, frame);
}

void CQtWindowBackend::RebuildMenuBar(HWND hWnd) {
  auto* mw = qobject_cast<QMainWindow*>(m_impl->Get(hWnd));
  CWnd* wnd = CWnd::FromHandle(hWnd);
  CMenu* menu = wnd ? wnd->GetMenu() : nullptr;
  if (!mw || !menu) return;
  for (auto it = m_impl->popups.begin(); it != m_impl->popups.end();)
    it = it->second.second == hWnd ? m_impl->popups.erase(it) : std::next(it);
  auto* bar = new QMenuBar;
  auto* top = new QMenu;  // collects the bar's popups, then hands them over
  m_impl->AddItems(top, menu->GetSafeHmenu(), hWnd);
  for (QAction* a : top->actions()) {
    if (QMenu* sub = a->menu()) {
      sub->setParent(bar, sub->windowFlags());
      bar->addMenu(sub);
    } else {
      bar->addAction(a);
      a->setParent(bar);
    }
  }
  delete top;
  // The model's client area keeps its size: the window grows by the bar.
  RECT rc{};
  ::GetClientRect(hWnd, &rc);
  mw->setMenuBar(bar);
  const HWND old = m_impl->syncing;
  m_impl->syncing = hWnd;
  mw->resize(static_cast<int>(rc.right), static_cast<int>(rc.bottom) + Impl::MenuBarHeight(mw));
  m_impl->syncing = old;
}

}  // namespace velmora::qtwin
