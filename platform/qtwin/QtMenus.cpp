// Menus: a frame's menu bar built from its HMENU, its popups brought up to date (command-UI
// handlers, texts, checks, enabled states) as they open, their commands posted to the frame;
// popup menus of the model run as QMenus at the pointer.
#include "platform/qtwin/QtBackendImpl.h"

#include "platform/afx/CommandImage.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Menu.h"
#include "platform/afx/Wnd.h"
#include "platform/win/Window.h"

#include <QAction>
#include <QCursor>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include <functional>
#include <iterator>
#include <vector>

namespace velmora::qtwin {

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

UINT CQtWindowBackend::TrackPopupMenu(HMENU hMenu, int, int, HWND) {
  QMenu menu;
  // The chosen item is the answer: nothing is posted from here.
  AddMenuItems(&menu, hMenu, nullptr, nullptr);
  if (menu.isEmpty()) return 0;
  QAction* chosen = menu.exec(QCursor::pos());
  return chosen ? chosen->data().toUInt() : 0;
}

}  // namespace velmora::qtwin
