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

// Starts the program with the arguments on its command line, as the application's entry does
// before it enters the message loop; its frame, view and document (null where it has none).
// False when the document is missing.
inline bool StartProgram(const std::vector<std::string>& args, std::unique_ptr<CDraftonApp>& app,
                         CMainFrame*& frame, CDraftonView*& view, CDraftonDoc*& doc) {
  app = std::make_unique<CDraftonApp>();
  frame = nullptr;
  view = nullptr;
  doc = nullptr;
  std::vector<const char*> argv = {"velmora"};
  for (const auto& a : args) argv.push_back(a.c_str());
  app->SetCommandLine(int(argv.size()), argv.data());
  if (!app->InitInstance()) return false;
  frame = dynamic_cast<CMainFrame*>(app->m_pMainWnd);
  view = frame ? dynamic_cast<CDraftonView*>(frame->GetActiveView()) : nullptr;
  doc = view ? view->GetDocument() : nullptr;
  PumpProgram(app.get());
  return doc != nullptr;
}

// Ends the program as the application's exit does (documents closed without asking, then
// ExitInstance) and hands out what that leaves queued.
inline void StopProgram(std::unique_ptr<CDraftonApp>& app) {
  if (app) {
    app->CloseAllDocuments(TRUE);
    app->ExitInstance();
    app.reset();
  }
  PumpProgram(nullptr);
}
