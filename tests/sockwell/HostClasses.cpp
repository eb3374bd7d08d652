#include "HostClasses.h"

#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

IMPLEMENT_DYNAMIC(CDraftonApp, CPlugInApp)
IMPLEMENT_DYNAMIC(CMainFrame, CPISMainFrame)
IMPLEMENT_DYNAMIC(CDraftonDoc, CPIDoc)
IMPLEMENT_DYNAMIC(CDraftonView, CPIView)

BEGIN_MESSAGE_MAP(CMainFrame, CPISMainFrame)
ON_COMMAND(200, OnOwn200)
ON_COMMAND(202, OnOwn202)
ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDraftonDoc, CPIDoc)
ON_COMMAND(300, OnOwn300)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDraftonView, CPIView)
ON_COMMAND(100, OnOwn100)
ON_COMMAND(101, OnOwn101)
END_MESSAGE_MAP()

PlugInFolder::PlugInFolder() {
  static std::atomic<int> counter{0};
  m_dir = std::filesystem::temp_directory_path() /
          ("sockwell-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(m_dir);
  gNewKXGlobal();
  gSetApplicationPath(CString::FromUtf8(m_dir.string()));
  TestLogTake();
}

PlugInFolder::~PlugInFolder() {
  gRestoreVurodeDefaults();
  std::error_code ec;
  std::filesystem::remove_all(m_dir, ec);
}

void PlugInFolder::Copy(const char* from, const std::string& name) {
  std::filesystem::create_directories((m_dir / name).parent_path());
  std::filesystem::copy_file(from, m_dir / name);
}

void PlugInFolder::AddFile(const std::string& name, const std::string& content) {
  std::filesystem::create_directories((m_dir / name).parent_path());
  std::ofstream(m_dir / name, std::ios::binary) << content;
}

namespace {
int Record(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
  MessageBoxRecorder::Boxes().push_back(CString(caption).ToUtf8() + "|" + CString(text).ToUtf8());
  return IDOK;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() {
  Boxes().clear();
  velmora::win::SetMessageBoxHandler(&Record);
}
MessageBoxRecorder::~MessageBoxRecorder() { velmora::win::SetMessageBoxHandler(nullptr); }
std::vector<std::string>& MessageBoxRecorder::Boxes() {
  static std::vector<std::string> boxes;
  return boxes;
}
