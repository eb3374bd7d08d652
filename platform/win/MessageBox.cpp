#include "platform/win/MessageBox.h"

#include "platform/win/WindowBackend.h"

#include <atomic>

namespace {
// Without a handler of its own the box is the window backend's.
int BackendMessageBox(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  return velmora::win::Backend().MessageBox(hWnd, lpText, lpCaption, uType);
}
std::atomic<MessageBoxHandler> g_handler{&BackendMessageBox};
}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  return g_handler.load()(hWnd, lpText, lpCaption, uType);
}

MessageBoxHandler velmora::win::SetMessageBoxHandler(MessageBoxHandler handler) {
  return g_handler.exchange(handler ? handler : &BackendMessageBox);
}
