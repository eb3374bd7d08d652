// Printing on Qt: a run into a PDF file (page count and page size read back from the file), the
// preview's page rendering, and an abandoned run that leaves no file.
#include "QtFixture.h"

#include "platform/afx/Print.h"
#include "platform/qtwin/QtPrint.h"

#include <QPageSize>

#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace {

// A view of `pages` pages, each a frame around the sheet and a diagonal.
class CPagesView : public CView {
 public:
  UINT pages = 3;
  std::vector<CSize> sheets;  // device size of each printed page
  int dpi = 0;

  void OnDraw(CDC*) override {}
  void OnBeginPrinting(CDC* dc, CPrintInfo* info) override {
    dpi = dc->GetDeviceCaps(LOGPIXELSX);
    info->SetMaxPage(pages);
  }
  void OnPrint(CDC* dc, CPrintInfo* info) override {
    sheets.emplace_back(info->m_rectDraw.Width(), info->m_rectDraw.Height());
    dc->Rectangle(10, 10, info->m_rectDraw.right - 10, info->m_rectDraw.bottom - 10);
    dc->MoveTo(0, 0);
    dc->LineTo(info->m_rectDraw.right, info->m_rectDraw.bottom);
  }
};

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Page objects and their media boxes, as a PDF reader finds them.
struct PdfPages {
  int count = 0;
  std::vector<std::pair<double, double>> sizes;  // points
};
PdfPages ReadPdf(const std::string& pdf) {
  PdfPages out;
  const std::regex page(R"(/Type\s*/Page[^s])");
  out.count = int(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
  const std::regex box(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), box); it != std::sregex_iterator(); ++it)
    out.sizes.emplace_back(std::stod((*it)[3]) - std::stod((*it)[1]), std::stod((*it)[4]) - std::stod((*it)[2]));
  return out;
}

class QtPrintTest : public qtwin_test::QtWinTest {
 protected:
  QtPrintTest() {
    pdf = std::filesystem::temp_directory_path() / ("velmora-print-" + std::to_string(::getpid()) + ".pdf");
    std::filesystem::remove(pdf);
    AfxSetPrintBackend(&printer);
  }
  ~QtPrintTest() override {
    AfxSetPrintBackend(nullptr);
    std::filesystem::remove(pdf);
  }
  void Unattended(int pageSize) {
    velmora::qtwin::CQtPrintBackend::Unattended u;
    u.enabled = true;
    u.pdfPath = pdf.wstring();
    u.pageSizeId = pageSize;
    u.previewScript = [this](CPreviewView&, int n) { previewPages = n; };
    printer.SetUnattended(u);
  }
  std::filesystem::path pdf;
  velmora::qtwin::CQtPrintBackend printer;
  int previewPages = -1;
};

}  // namespace

TEST_F(QtPrintTest, PrintToPdfHasThePagesAndThePageSize) {
  struct Case { int sizeId; double w, h; UINT pages; } cases[] = {
      {QPageSize::A4, 595, 842, 3},
      {QPageSize::Letter, 612, 792, 1},
      {QPageSize::A3, 842, 1191, 5},
  };
  for (const Case& c : cases) {
    Unattended(c.sizeId);
    CPagesView v;
    v.pages = c.pages;
    v.OnFilePrint();
    const PdfPages got = ReadPdf(Slurp(pdf));
    EXPECT_EQ(got.count, int(c.pages)) << c.sizeId;
    ASSERT_FALSE(got.sizes.empty());
    for (const auto& s : got.sizes) {
      EXPECT_NEAR(s.first, c.w, 1.0);
      EXPECT_NEAR(s.second, c.h, 1.0);
    }
    // Each page's drawing rectangle is the printable area at the device's resolution.
    ASSERT_EQ(v.sheets.size(), c.pages);
    ASSERT_GT(v.dpi, 0);
    EXPECT_LE(v.sheets[0].cx * 72.0 / v.dpi, c.w + 1);
    EXPECT_GT(v.sheets[0].cx * 72.0 / v.dpi, c.w * 0.8);
    std::filesystem::remove(pdf);
  }
}

TEST_F(QtPrintTest, PreviewRendersEveryPage) {
  Unattended(QPageSize::A4);
  CPagesView v;
  v.pages = 4;
  v.OnFilePrintPreview();
  EXPECT_EQ(previewPages, 4);
  EXPECT_EQ(v.sheets.size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(QtPrintTest, ARunWithoutPagesLeavesNoFile) {
  Unattended(QPageSize::A4);
  CPagesView v;
  v.pages = 0;
  v.OnFilePrint();
  EXPECT_FALSE(std::filesystem::exists(pdf));
}
