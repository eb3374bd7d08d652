// Popup menus of the model run as QMenus at the pointer.
#include "platform/qtwin/QtBackend.h"

#include "platform/win/Menu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace velmora::qtwin {

namespace {
// The popup's items; sub-menus nest. Chosen items report their command through the action's data.
void Fill(QMenu& qmenu, HMENU menu, int depth) {
  const int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    wchar_t buf[256];
    ::GetMenuStringW(menu, static_cast<UINT>(i), buf, 256, MF_BYPOSITION);
    const QString text = QString::fromWCharArray(buf);
    if (state & MF_SEPARATOR) {
      qmenu.addSeparator();
    } else if (HMENU sub = ::GetSubMenu(menu, i)) {
      // Menus are tables of our own, but a cycle must still not recurse for ever.
      if (depth < 16) Fill(*qmenu.addMenu(text), sub, depth + 1);
    } else {
      QAction* a = qmenu.addAction(text);
      a->setData(::GetMenuItemID(menu, i));
      a->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
      a->setCheckable(state & MF_CHECKED);
      a->setChecked(state & MF_CHECKED);
    }
  }
}
}  // namespace

UINT CQtWindowBackend::TrackPopupMenu(HMENU hMenu, int, int, HWND) {
  QMenu menu;
  Fill(menu, hMenu, 0);
  if (menu.isEmpty()) return 0;
  QAction* chosen = menu.exec(QCursor::pos());
  return chosen ? chosen->data().toUInt() : 0;
}

}  // namespace velmora::qtwin
