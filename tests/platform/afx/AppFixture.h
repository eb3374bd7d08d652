// A small application built the way the program is: a single-document template with a document,
// frame and view made from their run-time classes, a menu and accelerator table registered as
// resource 100, the profile in a temporary configuration folder, and the fake window backend
// answering dialogs and keeping time.
#pragma once

#include "platform/afx/Afx.h"
#include "platform/win/Resource.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace apptest {
// Who handled what, in order.
extern std::vector<std::string> g_log;

// Command ids of the test resources.
constexpr UINT kFrameCmd = 101;
constexpr UINT kViewCmd = 201;
constexpr UINT kDocCmd = 301;
constexpr UINT kLockedCmd = 302;  // enabled while the document is not locked
constexpr UINT kOrphanCmd = 303;  // nobody handles it
constexpr UINT kCheckedCmd = 304;  // its update checks it and renames it
constexpr UINT kAppCmd = 401;
constexpr UINT kPluginCmd = 402;  // reached through a merged accelerator entry

class CAppTestDoc : public CDocument {
  DECLARE_DYNCREATE(CAppTestDoc)

 public:
  // Magic, count, values, note.
  void Serialize(CArchive& ar) override;
  void DeleteContents() override;

  std::vector<int> m_values;
  CString m_note;
  bool m_failStore = false;  // storing throws half-way
  bool m_locked = false;
  int m_deleteCount = 0;

 protected:
  void OnDocCmd() { g_log.push_back("doc"); }
  void OnLockedCmd() { g_log.push_back("locked"); }
  void OnUpdateLocked(CCmdUI* p) { p->Enable(!m_locked); }
  DECLARE_MESSAGE_MAP()
};

class CAppTestView : public CView {
  DECLARE_DYNCREATE(CAppTestView)

 public:
  // Draws one line from (0, 0) to the number of values, so tests see the document in the paint.
  void OnDraw(CDC* pDC) override;
  int m_draws = 0;
  int m_timerTicks = 0;

 protected:
  void OnViewCmd() { g_log.push_back("view"); }
  void OnUpdateChecked(CCmdUI* p) {
    p->SetCheck(1);
    p->SetText(L"Hide path");
  }
  void OnCheckedCmd() { g_log.push_back("checked"); }
  void OnTimer(UINT_PTR id);
  DECLARE_MESSAGE_MAP()
};

class CAppTestFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CAppTestFrame)

 protected:
  void OnFrameCmd() { g_log.push_back("frame"); }
  DECLARE_MESSAGE_MAP()
};

class CAppTestApp : public CWinApp {
 public:
  CAppTestApp() : CWinApp(L"AppTest") {}
  BOOL OnIdle(LONG lCount) override {
    if (lCount == 0) ++m_idleRuns;
    return CWinApp::OnIdle(lCount);
  }
  int m_idleRuns = 0;

 protected:
  void OnAppCmd() { g_log.push_back("app"); }
  void OnPluginCmd() { g_log.push_back("plugin"); }
  DECLARE_MESSAGE_MAP()
};

// Registers resource 100 (strings, menu, accelerators) once.
void RegisterResources();

// One application with its template, a temporary configuration folder and the fake backend.
struct AppTest : testing::Test {
  FakeWindowBackend backend;
  std::filesystem::path dir;
  std::unique_ptr<CAppTestApp> app;
  std::string savedXdg;
  bool hadXdg = false;

  AppTest();
  ~AppTest() override;

  CSingleDocTemplate* Template() const { return static_cast<CSingleDocTemplate*>(app->GetDocTemplates().front()); }
  CAppTestDoc* Doc() const;
  CAppTestFrame* Frame() const { return static_cast<CAppTestFrame*>(app->m_pMainWnd); }
  CAppTestView* View() const;
  // A new untitled document with its frame and view, as the empty command line makes it.
  CAppTestDoc* StartNew();
  std::wstring PathOf(const char* name) const;
  // Writes a document file with the given values through a scratch document.
  std::wstring WriteDocFile(const char* name, const std::vector<int>& values, const wchar_t* note = L"");
  // Texts of the message boxes shown so far.
  std::vector<std::wstring> BoxTexts() const;
};
}  // namespace apptest
