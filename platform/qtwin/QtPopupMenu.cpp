// Popup menus of the model run as QMenus at the pointer; a frame's bar layout as Qt keeps it.
#include "platform/qtwin/QtBackend.h"

#include <QAction>
#include <QCursor>
#include <QMainWindow>
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
