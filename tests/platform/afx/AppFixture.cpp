#include "AppFixture.h"

#include "platform/win/Utf8.h"

#include <cstdlib>
#include <unistd.h>

namespace apptest {
std::vector<std::string> g_log;

IMPLEMENT_DYNCREATE(CAppTestDoc, CDocument)
IMPLEMENT_DYNCREATE(CAppTestView, CView)
IMPLEMENT_DYNCREATE(CAppTestFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CAppTestDoc, CDocument)
ON_COMMAND(kDocCmd, OnDocCmd)
ON_COMMAND(kLockedCmd, OnLockedCmd)
ON_UPDATE_COMMAND_UI(kLockedCmd, OnUpdateLocked)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CAppTestView, CView)
ON_COMMAND(kViewCmd, OnViewCmd)
ON_COMMAND(kCheckedCmd, OnCheckedCmd)
ON_UPDATE_COMMAND_UI(kCheckedCmd, OnUpdateChecked)
ON_WM_TIMER()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CAppTestFrame, CFrameWnd)
ON_COMMAND(kFrameCmd, OnFrameCmd)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CAppTestApp, CWinApp)
ON_COMMAND(kAppCmd, OnAppCmd)
ON_COMMAND(kPluginCmd, OnPluginCmd)
END_MESSAGE_MAP()

namespace {
constexpr int kMagic = 0x564C4D31;
}

void CAppTestDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kMagic << static_cast<int>(m_values.size());
    for (size_t i = 0; i < m_values.size(); ++i) {
      if (m_failStore && i == m_values.size() / 2) AfxThrowFileException(CFileException::diskFull);
      ar << m_values[i];
    }
    ar << m_note;
  } else {
    int magic = 0, n = 0;
    ar >> magic >> n;
    if (magic != kMagic || n < 0) AfxThrowArchiveException(CArchiveException::badSchema);
    for (int i = 0; i < n; ++i) {
      int v;
      ar >> v;  // a count larger than the file ends in the archive's end-of-file exception
      m_values.push_back(v);
    }
    ar >> m_note;
  }
}

void CAppTestDoc::DeleteContents() {
  m_values.clear();
  m_note.Empty();
  ++m_deleteCount;
}

void CAppTestView::OnDraw(CDC* pDC) {
  ++m_draws;
  auto* doc = static_cast<CAppTestDoc*>(GetDocument());
  const int n = doc ? static_cast<int>(doc->m_values.size()) : -1;
  pDC->MoveTo(0, 0);
  pDC->LineTo(n, n);
}

void CAppTestView::OnTimer(UINT_PTR id) {
  ++m_timerTicks;
  g_log.push_back("timer" + std::to_string(id));
}

namespace {
HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, ID_FILE_NEW, L"New");
  AppendMenuW(file, MF_STRING, ID_FILE_OPEN, L"Open");
  AppendMenuW(file, MF_STRING, ID_FILE_SAVE, L"Save");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kLockedCmd, L"Locked");
  AppendMenuW(file, MF_STRING, kOrphanCmd, L"Orphan");
  AppendMenuW(file, MF_STRING, kCheckedCmd, L"Show path");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, ID_FILE_MRU_FILE1, L"Recent File");
  AppendMenuW(file, MF_STRING, ID_APP_EXIT, L"Exit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_STRING, kAppCmd, L"App");
  return bar;
}
}  // namespace

void RegisterResources() {
  static const ACCEL accels[] = {
      {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN}, {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
      {FVIRTKEY, VK_F1 + 4, kViewCmd},         {FVIRTKEY | FCONTROL, 'L', kLockedCmd},
      {FVIRTKEY | FCONTROL, 'D', kDocCmd},      {FVIRTKEY | FCONTROL, 'F', kFrameCmd},
      {FVIRTKEY | FCONTROL, 'A', kAppCmd},
  };
  velmora::win::RegisterStringResource(
      100, L"Test App\nuntitled\nTest\nTest Files (*.tst)\n.tst\nTest.Document\nTest Document");
  velmora::win::RegisterMenuResource(100, &BuildMenu);
  velmora::win::RegisterAcceleratorResource(100, accels, static_cast<int>(std::size(accels)));
}

AppTest::AppTest() {
  g_log.clear();
  RegisterResources();
  dir = std::filesystem::temp_directory_path() /
        ("velmora-app-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  if (const char* x = std::getenv("XDG_CONFIG_HOME")) {
    hadXdg = true;
    savedXdg = x;
  }
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  app = std::make_unique<CAppTestApp>();
  app->SetRegistryKey(L"Velmora v9 Applications");
  app->LoadStdProfileSettings(4);
  app->AddDocTemplate(new CSingleDocTemplate(100, RUNTIME_CLASS(CAppTestDoc), RUNTIME_CLASS(CAppTestFrame),
                                             RUNTIME_CLASS(CAppTestView)));
}

AppTest::~AppTest() {
  if (app && app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
  app.reset();
  FakeWindowBackend::Drain();
  if (hadXdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(backend.boxAnswers.empty()) << "scripted message-box answers left over";
  EXPECT_TRUE(backend.dialogAnswers.empty()) << "scripted file-dialog answers left over";
}

CAppTestDoc* AppTest::Doc() const {
  const auto& docs = Template()->GetDocuments();
  return docs.empty() ? nullptr : static_cast<CAppTestDoc*>(docs.front());
}

CAppTestView* AppTest::View() const { return Frame() ? static_cast<CAppTestView*>(Frame()->GetActiveView()) : nullptr; }

CAppTestDoc* AppTest::StartNew() {
  CCommandLineInfo info;
  app->ParseCommandLine(info);
  EXPECT_TRUE(app->ProcessShellCommand(info));
  return Doc();
}

std::wstring AppTest::PathOf(const char* name) const { return velmora::win::FromUtf8((dir / name).c_str()); }

std::wstring AppTest::WriteDocFile(const char* name, const std::vector<int>& values, const wchar_t* note) {
  CAppTestDoc* scratch = static_cast<CAppTestDoc*>(RUNTIME_CLASS(CAppTestDoc)->CreateObject());
  scratch->m_values = values;
  scratch->m_note = note;
  const std::wstring path = PathOf(name);
  EXPECT_TRUE(scratch->OnSaveDocument(path.c_str()));
  delete scratch;
  return path;
}

std::vector<std::wstring> AppTest::BoxTexts() const {
  std::vector<std::wstring> out;
  for (const auto& b : backend.boxes) out.push_back(b.text);
  return out;
}
}  // namespace apptest
