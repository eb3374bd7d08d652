// The program-side classes the plug-in tests host maps for (their run-time class names are the
// ones plug-ins bind to), and a folder of plug-in modules for one test.
#pragma once

#include "TestLog.h"

#include "platform/afx/Menu.h"
#include "sockwell/PIDoc.h"
#include "sockwell/PISMainFrame.h"
#include "sockwell/PIView.h"
#include "sockwell/PlugInApp.h"

#include <filesystem>
#include <string>
#include <vector>

class CDraftonApp : public CPlugInApp {
  DECLARE_DYNAMIC(CDraftonApp)
};

class CMainFrame : public CPISMainFrame {
  DECLARE_DYNAMIC(CMainFrame)

 public:
  using CPISMainFrame::CreatePlugToolBar;
  void OnOwn200() { TestLogAppend("frame200:own"); }
  void OnOwn202() { TestLogAppend("frame202:own"); DestroyWindow(); }
  void OnDestroy() {
    FreeMap();
    CFrameWnd::OnDestroy();
  }
  BOOL Route(UINT message, WPARAM w, LPARAM l, LRESULT* r) { return OnWndMsg(message, w, l, r); }
  DECLARE_MESSAGE_MAP()
};

class CDraftonDoc : public CPIDoc {
  DECLARE_DYNAMIC(CDraftonDoc)

 public:
  CDraftonDoc() = default;
  void OnOwn300() { TestLogAppend("doc300:own"); }
  DECLARE_MESSAGE_MAP()
};

class CDraftonView : public CPIView {
  DECLARE_DYNAMIC(CDraftonView)

 public:
  CDraftonView() = default;
  void OnOwn100() { TestLogAppend("view100:own"); }
  void OnOwn101() { TestLogAppend("view101:own"); }
  BOOL Route(UINT message, WPARAM w, LPARAM l, LRESULT* r) { return OnWndMsg(message, w, l, r); }
  DECLARE_MESSAGE_MAP()
};

// A temporary application folder holding copies of the test modules under chosen names, with
// the settings object made and the application path pointing at the folder.
class PlugInFolder {
 public:
  PlugInFolder();
  ~PlugInFolder();
  void AddFull(const std::string& name) { Copy(TEST_PLUGIN_FULL, name); }
  void AddLean(const std::string& name) { Copy(TEST_PLUGIN_LEAN, name); }
  void AddFile(const std::string& name, const std::string& content);
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  const std::filesystem::path& Dir() const { return m_dir; }

 private:
  void Copy(const char* from, const std::string& name);
  std::filesystem::path m_dir;
};

// Message boxes shown while one of these lives, as "caption|text".
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  static std::vector<std::string>& Boxes();
};
