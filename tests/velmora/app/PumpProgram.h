// Starting the program as its entry does, and handing out what the running program has queued
// the way its message loop does (Qt's events first, then pre-translation and dispatch), until
// nothing more arrives or 50 rounds passed.
#pragma once

#include "platform/afx/WinApp.h"
#include "platform/win/Window.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>
#include <string>
#include <vector>

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

// The program started with the arguments on its command line, as the application's entry does
// before it enters the message loop; its frame, view and document (null where it has none).
struct StartedProgram {
  std::unique_ptr<CDraftonApp> app;
  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  CDraftonDoc* doc = nullptr;
};
inline StartedProgram StartProgram(const std::vector<std::string>& args) {
  StartedProgram p;
  p.app = std::make_unique<CDraftonApp>();
  std::vector<const char*> argv = {"velmora"};
  for (const auto& a : args) argv.push_back(a.c_str());
  p.app->SetCommandLine(int(argv.size()), argv.data());
  if (!p.app->InitInstance()) return p;
  p.frame = dynamic_cast<CMainFrame*>(p.app->m_pMainWnd);
  p.view = p.frame ? dynamic_cast<CDraftonView*>(p.frame->GetActiveView()) : nullptr;
  p.doc = p.view ? p.view->GetDocument() : nullptr;
  PumpProgram(p.app.get());
  return p;
}
