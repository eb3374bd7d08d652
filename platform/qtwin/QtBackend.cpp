// The backend's core: peers made, shown, moved, enabled and destroyed with their windows, frames
// (a QMainWindow each, closing asked of the model), focus, cursor, tooltips of tool windows and the
// wait for input that drives Qt from the message loop.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/afx/Control.h"
#include "platform/qtwin/QtControls.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Window.h"

#include <QAbstractEventDispatcher>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora::qtwin {
namespace {
Qt::CursorShape CursorShape(UINT id) {
  switch (id) {
    case IDC_WAIT_ID: return Qt::WaitCursor;
    case IDC_CROSS_ID: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
  }
}
}  // namespace

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


std::vector<BYTE> CQtWindowBackend::SaveBarLayout(HWND hWnd) {
  auto* mw = qobject_cast<QMainWindow*>(Peer(hWnd));
  if (!mw) return {};
  const QByteArray state = mw->saveState();
  return std::vector<BYTE>(state.begin(), state.end());
}

bool CQtWindowBackend::RestoreBarLayout(HWND hWnd, const std::vector<BYTE>& bytes) {
  auto* mw = qobject_cast<QMainWindow*>(Peer(hWnd));
  if (!mw || bytes.empty()) return false;
  return mw->restoreState(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

}  // namespace velmora::qtwin
