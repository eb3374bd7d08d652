// The program started headless in a temporary application folder, with the file dialogs and
// message boxes answered from scripts and every shown message box recorded.
#pragma once

#include "TestLog.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/printing/PreviewDlg.h"
#include "velmora/shell/Resources.h"

#include <array>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

class ScriptedBackend : public velmora::win::HeadlessBackend {
 public:
  // Paths the file dialogs choose, in order; an empty one (or none left) cancels.
  std::deque<std::wstring> files;
  // Message box answers, in order; none left answers IDOK.
  std::deque<int> answers;
  std::vector<std::wstring> boxes;
  int dialogs = 0;

  int MessageBox(HWND, LPCWSTR text, LPCWSTR, UINT) override {
    boxes.push_back(text ? text : L"");
    if (answers.empty()) return IDOK;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  // Popup menus shown: each item's id, text and check; the answer is the command chosen.
  struct PopupItem {
    UINT id;
    std::wstring text;
    bool checked;
  };
  std::vector<std::vector<PopupItem>> popups;
  UINT popupAnswer = 0;
  UINT TrackPopupMenu(HMENU menu, int, int, HWND) override {
    std::vector<PopupItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {0};
      GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
      items.push_back({GetMenuItemID(menu, i), text, (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_CHECKED) != 0});
    }
    popups.push_back(items);
    return popupAnswer;
  }
  bool FileDialog(velmora::win::FileDialogRequest& request) override {
    ++dialogs;
    if (files.empty()) return false;
    const std::wstring f = files.front();
    files.pop_front();
    if (f.empty()) return false;
    request.chosenPath = f;
    return true;
  }
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_dir = fs::temp_directory_path() / ("velmora-shell-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    gNewKXGlobal();
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBackend = velmora::win::SetWindowBackend(&backend);
    velmora::win::SetMessageBoxHandler(nullptr);
    TestLogTake();
  }
  void TearDown() override {
    Stop();
    velmora::win::SetWindowBackend(m_prevBackend);
    gRestoreVurodeDefaults();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }

  // Starts the program: the full test plug-in in the folder when asked, and the arguments as
  // its command line.
  void Start(bool plugIn = false, const std::vector<std::string>& args = {}) {
    if (plugIn && !fs::exists(m_dir / "test.vpf")) fs::copy_file(TEST_PLUGIN_FULL, m_dir / "test.vpf");
    app = std::make_unique<CDraftonApp>();
    std::vector<const char*> argv = {"velmora"};
    for (const auto& a : args) argv.push_back(a.c_str());
    app->SetCommandLine(int(argv.size()), argv.data());
    started = app->InitInstance();
    frame = dynamic_cast<CMainFrame*>(app->m_pMainWnd);
    view = frame ? dynamic_cast<CDraftonView*>(frame->GetActiveView()) : nullptr;
    doc = view ? view->GetDocument() : nullptr;
  }
  // Shuts down as the program does: the document closes (with its frame), then the application.
  void Stop() {
    if (!app) return;
    app->CloseAllDocuments(TRUE);
    app->ExitInstance();
    app.reset();
    frame = nullptr;
    view = nullptr;
    doc = nullptr;
  }

  std::wstring Path(const std::string& name) const { return CString::FromUtf8((m_dir / name).string()).GetString(); }
  static std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static CDbCurve* Line(double x0, double y0, double x1, double y1) {
    const double a[2] = {x0, y0}, b[2] = {x1, y1};
    return dbGenLine(a, b);
  }
  // Adds lines to the drawing and marks the document changed, as an edit would.
  void Draw(std::initializer_list<std::array<double, 4>> lines) {
    for (const auto& l : lines) gGetDBase()->AddTail(Line(l[0], l[1], l[2], l[3]));
    doc->SetModifiedFlag();
  }
  BOOL Command(UINT id) { return frame->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
  // The state an update handler gives a command, or -1 when nobody handles it.
  int Enabled(UINT id) {
    CCmdUI ui;
    ui.m_nID = id;
    if (!frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr)) return -1;
    return ui.m_bEnabled ? 1 : 0;
  }

  ScriptedBackend backend;
  std::unique_ptr<CDraftonApp> app;
  BOOL started = FALSE;
  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  CDraftonDoc* doc = nullptr;
  fs::path m_dir;

 private:
  velmora::win::WindowBackend* m_prevBackend = nullptr;
};
