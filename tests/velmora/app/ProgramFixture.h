// The whole program started as main() starts it, with the sample drawing on its command line,
// on the display the test runs under (start-up tips off, message boxes answered OK).
#pragma once

#include "PumpProgram.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/MessageBox.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

class ProgramFixture : public ::testing::Test {
 protected:
  explicit ProgramFixture(bool openGLView = false) : m_gl(openGLView) {}
  void SetUp() override {
    static int argc = 1;
    static char arg0[] = "test_velmora_app";
    static char* argv[] = {arg0, nullptr};
    if (!qApp) new QApplication(argc, argv);
    m_dir = std::filesystem::temp_directory_path() / ("velmora-user-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    gNewKXGlobal();
    gGetKXGlobal()->SetShowTips(FALSE);
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBox = velmora::win::SetMessageBoxHandler([](HWND, LPCWSTR, LPCWSTR, UINT) { return int(IDOK); });
    session = std::make_unique<velmora::app::CProgramSession>(m_gl);
  }
  void TearDown() override {
    StopProgram(app);
    session.reset();
    velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }
  bool Start() {
    app = std::make_unique<CDraftonApp>();
    const char* argv[] = {"velmora", VELMORA_SAMPLE};
    app->SetCommandLine(2, argv);
    if (!app->InitInstance()) return false;
    frame = dynamic_cast<CMainFrame*>(app->m_pMainWnd);
    view = frame ? dynamic_cast<CDraftonView*>(frame->GetActiveView()) : nullptr;
    Pump();
    return view != nullptr;
  }
  void Pump() { PumpProgram(app.get()); }
  QWidget* Peer(CWnd* wnd) { return wnd ? session->Backend().Peer(wnd->GetSafeHwnd()) : nullptr; }

  std::unique_ptr<velmora::app::CProgramSession> session;
  std::unique_ptr<CDraftonApp> app;
  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  std::filesystem::path m_dir;

 private:
  bool m_gl;
  MessageBoxHandler m_prevBox = nullptr;
};
