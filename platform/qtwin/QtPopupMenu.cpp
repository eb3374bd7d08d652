// Popup menus of the model run as QMenus at the pointer.
#include "platform/qtwin/QtBackend.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace velmora::qtwin {

UINT CQtWindowBackend::TrackPopupMenu(HMENU hMenu, int, int, HWND) {
  QMenu menu;
  // The chosen item is the answer: nothing is posted from here.
  AddMenuItems(&menu, hMenu, nullptr, nullptr);
  if (menu.isEmpty()) return 0;
  QAction* chosen = menu.exec(QCursor::pos());
  return chosen ? chosen->data().toUInt() : 0;
}

}  // namespace velmora::qtwin
