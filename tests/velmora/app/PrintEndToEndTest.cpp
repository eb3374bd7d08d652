// The program on a real display prints the sample drawing into a PDF file through the print
// dialog (at a scale that takes several sheets) and previews it; the tips' animations decode
// through Qt's GIF reader.
#include "PumpProgram.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "platform/afx/Print.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Resource.h"
#include "platform/win/Window.h"
#include "velmora/app/PrintOptionsPage.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/AboutboxHelpPrompt.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/GifFile.h"
#include "velmora/shell/KxPreviewView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/PictureEx.h"
#include "velmora/shell/PrintLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QCoreApplication>
#include <QPageSize>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int g_argc = 1;
char g_arg0[] = "test_velmora_app";
char* g_argv[] = {g_arg0, nullptr};
int QuietBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

// Page objects and media boxes of a PDF file.
std::pair<int, std::vector<std::pair<double, double>>> PdfPages(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), {});
  const std::regex page(R"(/Type\s*/Page[^s])");
  const int count = int(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
  std::vector<std::pair<double, double>> sizes;
  const std::regex box(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), box); it != std::sregex_iterator(); ++it)
    sizes.emplace_back(std::stod((*it)[3]) - std::stod((*it)[1]), std::stod((*it)[4]) - std::stod((*it)[2]));
  return {count, sizes};
}

class PrintProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qApp) new QApplication(g_argc, g_argv);
    m_dir = fs::temp_directory_path() / ("velmora-print-app-" + std::to_string(::getpid()));
    fs::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    gNewKXGlobal();
    gGetKXGlobal()->SetShowTips(FALSE);
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBox = velmora::win::SetMessageBoxHandler(&QuietBox);
    session = std::make_unique<velmora::app::CProgramSession>(false);
    CKxPreviewView::SetClosePause(0);
  }
  void TearDown() override {
    if (app) {
      app->CloseAllDocuments(TRUE);
      app->ExitInstance();
      app.reset();
    }
    Pump();
    session.reset();
    CKxPreviewView::SetClosePause(1000);
    velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  void Pump() { PumpProgram(app.get()); }


  std::unique_ptr<velmora::app::CProgramSession> session;
  std::unique_ptr<CDraftonApp> app;
  fs::path m_dir;

 private:
  MessageBoxHandler m_prevBox = nullptr;
};

}  // namespace

TEST_F(PrintProgramTest, SampleDrawingPrintsToPdfAndPreviews) {
  ASSERT_TRUE(fs::exists(VELMORA_SAMPLE));
  const fs::path pdf = m_dir / "sample.pdf";
  int previewPages = -1;
  velmora::qtwin::CQtPrintBackend::Unattended u;
  u.enabled = true;
  u.pdfPath = pdf.wstring();
  u.pageSizeId = QPageSize::A4;
  // In the dialog: "2:1", centred.
  u.script = [](CPrintDialog& dlg) {
    auto* kx = dynamic_cast<CKxPrintDialog*>(&dlg);
    ASSERT_NE(kx, nullptr);
    kx->SetScaleSel(13);
    kx->OnSelChangeScale();
    kx->OnCenter();
  };
  u.previewScript = [&](CPreviewView&, int pages) { previewPages = pages; };
  session->Printing().SetUnattended(u);

  app = std::make_unique<CDraftonApp>();
  const char* argv[] = {"velmora", VELMORA_SAMPLE};
  app->SetCommandLine(2, argv);
  ASSERT_TRUE(app->InitInstance());
  auto* frame = dynamic_cast<CMainFrame*>(app->m_pMainWnd);
  ASSERT_NE(frame, nullptr);
  auto* view = dynamic_cast<CDraftonView*>(frame->GetActiveView());
  ASSERT_NE(view, nullptr);
  Pump();
  ASSERT_GT(gGetDBase()->GetCount(), 0);

  frame->PostMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  Pump();
  ASSERT_TRUE(fs::exists(pdf));
  const KxPrintState& st = view->GetPrintState();
  EXPECT_EQ(st.scaleMode, 13);
  EXPECT_DOUBLE_EQ(st.scale, 2.0);
  // The A4 sheet's printable area, less Qt's default margins.
  EXPECT_GT(st.printableW, 150);
  EXPECT_LE(st.printableW, 210);
  _tagBox2D page{};
  gGetDBase()->GetWorkArea().GetPageSize(&page);
  const int sheets = KxPageCount(st.scaleMode, st.scale, page, st.printableW, st.printableH);
  EXPECT_GT(sheets, 1);
  const auto [count, sizes] = PdfPages(pdf);
  EXPECT_EQ(count, sheets);
  ASSERT_FALSE(sizes.empty());
  for (const auto& s : sizes) {
    EXPECT_NEAR(s.first, 595, 1);
    EXPECT_NEAR(s.second, 842, 1);
  }

  // The preview shows the same sheets.
  frame->PostMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  Pump();
  EXPECT_EQ(previewPages, sheets);
}

TEST_F(PrintProgramTest, TipAnimationsDecodeThroughQt) {
  std::vector<BYTE> data;
  ASSERT_TRUE(velmora::win::LoadDataResource(1046, L"GIF", data));
  GifInfo info;
  ASSERT_TRUE(GifParse(data.data(), data.size(), info));
  CPictureEx pic;
  ASSERT_TRUE(pic.Load(1046, L"GIF"));
  EXPECT_EQ(pic.GetFrameCount(), info.frames.size());
  // Qt's reader sees the writer's frames: the second frame is a solid square of one colour at
  // its place.
  const CPictureEx::Frame& f = pic.GetFrame(1);
  EXPECT_EQ(f.left, info.frames[1].left);
  EXPECT_EQ(f.width, info.frames[1].width);
  ASSERT_EQ(f.picture.width, f.width);
  const uint32_t c = f.picture.argb[0];
  EXPECT_EQ(c >> 24, 0xFFu);
  for (uint32_t p : f.picture.argb) EXPECT_EQ(p, c);
  EXPECT_NE(c & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PrintProgramTest, ScalePageDrivesThePrintDialog) {
  CKxPrintDialog dlg;
  dlg.OnInitDialog();
  std::unique_ptr<QWidget> page(velmora::app::MakePrintOptionsPage(dlg));
  ASSERT_TRUE(page);
  auto* combo = page->findChild<QComboBox*>();
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->count(), 18);
  EXPECT_EQ(combo->currentIndex(), 2);
  combo->setCurrentIndex(4);  // "1:4"
  EXPECT_EQ(dlg.m_nScaleMode, 4);
  EXPECT_DOUBLE_EQ(dlg.m_dScale, 0.25);
  const auto spins = page->findChildren<QDoubleSpinBox*>();
  ASSERT_EQ(spins.size(), 4);
  EXPECT_FALSE(spins[0]->isEnabled());  // ratio edits only for "Custom"
  combo->setCurrentIndex(1);
  ASSERT_TRUE(spins[0]->isEnabled());
  spins[0]->setValue(3.0);
  spins[1]->setValue(2.0);
  EXPECT_DOUBLE_EQ(dlg.m_dScale, 1.5);
  for (QRadioButton* r : page->findChildren<QRadioButton*>())
    if (r->text() == QStringLiteral("Center")) r->click();
  EXPECT_FALSE(spins[2]->isEnabled());
  EXPECT_EQ(dlg.m_nPosition, 0);
  for (QPushButton* b : page->findChildren<QPushButton*>())
    if (b->text() == QStringLiteral("Preview")) b->click();
  EXPECT_TRUE(dlg.m_bPreview);
  EXPECT_EQ(dlg.GetEndResult(), IDCANCEL);
  // Other printer dialogs get no page.
  CPrintDialog plain(FALSE);
  EXPECT_EQ(velmora::app::MakePrintOptionsPage(plain), nullptr);
}
