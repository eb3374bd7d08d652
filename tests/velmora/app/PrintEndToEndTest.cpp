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
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/pictures/GifFile.h"
#include "velmora/printing/KxPreviewView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/pictures/PictureEx.h"
#include "velmora/printing/PrintLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRect>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// The pages of a PDF file rendered in grey at `dpi` by poppler's pdftoppm (empty when it fails).
struct GreyPage {
  int width = 0, height = 0;
  std::vector<unsigned char> px;
  // Bounding box of the pixels darker than the paper, in pixels; empty when there are none.
  QRect Ink() const {
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (px[size_t(y) * width + x] < 230) {
          x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
  }
};
std::vector<GreyPage> RenderPdf(const fs::path& pdf, int dpi) {
  const fs::path prefix = pdf.parent_path() / (pdf.stem().string() + "-page");
  const std::string cmd = "pdftoppm -gray -r " + std::to_string(dpi) + " '" + pdf.string() + "' '" + prefix.string() + "'";
  std::vector<GreyPage> pages;
  if (std::system(cmd.c_str()) != 0) return pages;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(pdf.parent_path()))
    if (e.path().filename().string().rfind(prefix.filename().string(), 0) == 0) files.push_back(e.path());
  std::sort(files.begin(), files.end());  // pdftoppm pads the page numbers to one width
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::string magic;
    GreyPage g;
    int maxv = 0;
    in >> magic >> g.width >> g.height >> maxv;
    in.get();
    if (magic != "P5" || g.width <= 0 || g.height <= 0 || maxv != 255) return {};
    g.px.resize(size_t(g.width) * g.height);
    in.read(reinterpret_cast<char*>(g.px.data()), std::streamsize(g.px.size()));
    pages.push_back(std::move(g));
  }
  return pages;
}

// The work area's page grown to take in the whole drawing: what the sheets lay out.
_tagBox2D SheetBox() {
  _tagBox2D page{}, drawing{};
  gGetDBase()->GetWorkArea().GetPageSize(&page);
  gGetDBase()->GetBox(&drawing);
  for (int i = 0; i < 2; ++i) {
    page.min[i] = std::min(page.min[i], drawing.min[i]);
    page.max[i] = std::max(page.max[i], drawing.max[i]);
  }
  return page;
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
    StopProgram(app);
    session.reset();
    CKxPreviewView::SetClosePause(1000);
    velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  void Pump() { PumpProgram(app.get()); }

  // Starts the program on the sample drawing and prints it to `pdf` on A4 with the scale entry
  // `mode`, centred; the view that printed.
  CDraftonView* PrintSample(const fs::path& pdf, int mode) {
    velmora::qtwin::CQtPrintBackend::Unattended u;
    u.enabled = true;
    u.pdfPath = pdf.wstring();
    u.pageSizeId = QPageSize::A4;
    u.script = [mode](CPrintDialog& dlg) {
      if (auto* kx = dynamic_cast<CKxPrintDialog*>(&dlg)) {
        kx->SetScaleSel(mode);
        kx->OnSelChangeScale();
        kx->OnCenter();
      }
    };
    session->Printing().SetUnattended(u);
    CMainFrame* frame = nullptr;
    CDraftonView* view = nullptr;
    CDraftonDoc* doc = nullptr;
    if (!StartProgram({VELMORA_SAMPLE}, app, frame, view, doc) || !view) return nullptr;
    frame->PostMessage(WM_COMMAND, ID_FILE_PRINT, 0);
    Pump();
    return view;
  }


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

  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  CDraftonDoc* doc = nullptr;
  ASSERT_TRUE(StartProgram({VELMORA_SAMPLE}, app, frame, view, doc));
  ASSERT_NE(view, nullptr);
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
  const int sheets = KxPageCount(st.scaleMode, st.scale, SheetBox(), st.printableW, st.printableH);
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

// The sheets of a scaled print, read back from the PDF: each sheet shows its tile of the page
// box, every tile the drawing crosses has ink, the others none, and the tiles' ink put back in
// drawing coordinates spans the drawing exactly. "Adaptive" puts the whole drawing on one sheet.
TEST_F(PrintProgramTest, PrintedSheetsComposeTheDrawing) {
  constexpr int kDpi = 50;
  // The printable area of an A4 sheet on Qt's PDF printer, in millimetres on the sheet.
  QPrinter probe(QPrinter::HighResolution);
  probe.setOutputFormat(QPrinter::PdfFormat);
  probe.setPageSize(QPageSize(QPageSize::A4));
  const QRectF paint = probe.pageLayout().paintRect(QPageLayout::Millimeter);
  struct Case {
    const char* name;
    int mode;
  };
  for (const Case& c : {Case{"2:1", 13}, Case{"4:1", 14}, Case{"1:1", 2}, Case{"Adaptive", 0}}) {
    SCOPED_TRACE(c.name);
    const fs::path pdf = m_dir / (std::string("sheets-") + std::to_string(c.mode) + ".pdf");
    CDraftonView* view = PrintSample(pdf, c.mode);
    ASSERT_NE(view, nullptr);
    const KxPrintState& st = view->GetPrintState();
    // The sample reaches past the work area's page on the left and below.
    _tagBox2D drawing{}, page = SheetBox();
    gGetDBase()->GetWorkArea().GetPageSize(&drawing);
    ASSERT_LT(page.min[0], drawing.min[0]);
    gGetDBase()->GetBox(&drawing);
    const std::vector<GreyPage> sheets = RenderPdf(pdf, kDpi);
    const double pw = st.printableW, ph = st.printableH;
    // Paper millimetres per drawing unit, and the sheet grid.
    double scale = KxScaleAt(c.mode).scale;
    int cols = int(std::ceil((page.max[0] - page.min[0]) * scale / pw));
    int rows = int(std::ceil((page.max[1] - page.min[1]) * scale / ph));
    if (c.mode == 0) {
      scale = std::min(pw / (page.max[0] - page.min[0]), ph / (page.max[1] - page.min[1]));
      cols = rows = 1;
    }
    ASSERT_EQ(int(sheets.size()), cols * rows);
    const double cx = (page.min[0] + page.max[0]) / 2, cy = (page.min[1] + page.max[1]) / 2;
    const double mmPerPx = 25.4 / kDpi, tol = 2 * mmPerPx / scale + 0.5;
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    for (int n = 0; n < cols * rows; ++n) {
      const int col = n % cols, row = n / cols;
      // The drawing point at the middle of this sheet's printable area.
      const double tx = cx + pw * (col - (cols - 1) / 2.0) / scale;
      const double ty = cy - ph * (row - (rows - 1) / 2.0) / scale;
      const double hw = pw / 2 / scale, hh = ph / 2 / scale;
      const bool crossed = drawing.min[0] < tx + hw - tol && drawing.max[0] > tx - hw + tol &&
                           drawing.min[1] < ty + hh - tol && drawing.max[1] > ty - hh + tol;
      const QRect ink = sheets[n].Ink();
      EXPECT_EQ(!ink.isEmpty(), crossed) << "sheet " << n + 1;
      if (ink.isEmpty()) continue;
      // Back from sheet pixels to the drawing.
      auto wx = [&](double px) { return tx + (px * mmPerPx - paint.center().x()) / scale; };
      auto wy = [&](double py) { return ty - (py * mmPerPx - paint.center().y()) / scale; };
      x0 = std::min(x0, wx(ink.left())), x1 = std::max(x1, wx(ink.right() + 1));
      y0 = std::min(y0, wy(ink.bottom() + 1)), y1 = std::max(y1, wy(ink.top()));
    }
    EXPECT_NEAR(x0, drawing.min[0], tol);
    EXPECT_NEAR(x1, drawing.max[0], tol);
    EXPECT_NEAR(y0, drawing.min[1], tol);
    EXPECT_NEAR(y1, drawing.max[1], tol);
    app->CloseAllDocuments(TRUE);
    app->ExitInstance();
    app.reset();
    Pump();
  }
}

