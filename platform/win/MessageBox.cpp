#include "platform/win/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {
int HeadlessMessageBox(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  std::fprintf(stderr, "[%ls] %ls\n", lpCaption ? lpCaption : L"", lpText ? lpText : L"");
  switch (uType & 0xF) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
  }
}
std::atomic<MessageBoxHandler> g_handler{&HeadlessMessageBox};
}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  return g_handler.load()(hWnd, lpText, lpCaption, uType);
}

MessageBoxHandler velmora::win::SetMessageBoxHandler(MessageBoxHandler handler) {
  return g_handler.exchange(handler ? handler : &HeadlessMessageBox);
}
