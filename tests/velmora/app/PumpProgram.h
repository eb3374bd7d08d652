// Hands out what the running program has queued, the way its message loop does (Qt's events
// first, then pre-translation and dispatch), until nothing more arrives or 50 rounds passed.
#pragma once

#include "platform/afx/WinApp.h"
#include "platform/win/Window.h"

#include <QCoreApplication>
#include <QEvent>

inline void PumpProgram(CWinApp* app) {
  for (int round = 0; round < 50; ++round) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MSG msg;
    bool any = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (msg.message == WM_QUIT) break;
      if (!app || !app->PreTranslateMessage(&msg)) ::DispatchMessageW(&msg);
    }
    if (!any) return;
  }
}
