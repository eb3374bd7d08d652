// Qt input on a peer as the window messages the model expects: mouse buttons, moves, the wheel
// and keys (with the characters they type) are posted to the window, so keys reach the
// accelerator tables through PreTranslateMessage; dragged local files become WM_DROPFILES. The
// scroll bars of the windows we paint are Qt bars laid over the peer's edges, showing the model's
// bar state; what the user does on them is posted as the window's scroll messages.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/win/DropFiles.h"
#include "platform/win/Window.h"

#include <QAbstractSlider>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <string>
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

}  // namespace

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

namespace {
// The local files a drag carries (other URLs are no files to open).
std::vector<std::wstring> DraggedFiles(const QMimeData* mime) {
  std::vector<std::wstring> files;
  if (mime && mime->hasUrls())
    for (const QUrl& url : mime->urls())
      if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files.push_back(url.toLocalFile().toStdWString());
  return files;
}

}  // namespace

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

}  // namespace velmora::qtwin
