#include "platform/qtwin/QtPrint.h"

#include "platform/qtwin/QtDC.h"

#include <QDialog>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace velmora::qtwin {

namespace {
QString ToQ(const CString& s) { return QString::fromWCharArray(s.GetString(), s.GetLength()); }
CString FromQ(const QString& s) { return CString(s.toStdWString().c_str()); }

// One run on a printer whose painter is already active: page 1 starts with the painter, every
// further page with newPage.
class QtPrintJob : public CPrintJob {
 public:
  QtPrintJob(QPrinter* printer, bool ownsPrinter) : m_printer(printer), m_owns(ownsPrinter) {}
  ~QtPrintJob() override {
    if (m_painter.isActive()) m_painter.end();
    if (m_owns) delete m_printer;
  }
  bool Begin() {
    if (!m_painter.begin(m_printer)) return false;
    const QRect r = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    m_dc = std::make_unique<CQtPainterDC>(m_painter, r.width(), r.height(), m_printer->resolution());
    return true;
  }
  CDC* GetAttribDC() override { return m_dc.get(); }
  CDC* StartPage() override {
    if (!m_painter.isActive()) return nullptr;
    if (m_pages > 0 && !m_printer->newPage()) return nullptr;
    m_painter.save();
    return m_dc.get();
  }
  BOOL EndPage() override {
    if (!m_painter.isActive()) return FALSE;
    m_painter.restore();
    ++m_pages;
    return TRUE;
  }
  BOOL EndDoc() override { return m_painter.isActive() && m_painter.end(); }
  void AbortDoc() override {
    m_printer->abort();
    if (m_painter.isActive()) m_painter.end();
    // A PDF of an abandoned run would be a stray blank page: remove it.
    if (m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty())
      QFile::remove(m_printer->outputFileName());
  }

 private:
  QPrinter* m_printer;
  bool m_owns;
  QPainter m_painter;
  std::unique_ptr<CQtPainterDC> m_dc;
  int m_pages = 0;
};

void ApplyTarget(QPrinter& printer, const AFX_PRINTDLG& pd, const std::wstring& fallbackPdf) {
  if (!pd.outputFile.IsEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(ToQ(pd.outputFile));
  } else if (!pd.printerName.IsEmpty()) {
    printer.setPrinterName(ToQ(pd.printerName));
  } else if (!fallbackPdf.empty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdWString(fallbackPdf));
  }
  printer.setCopyCount(pd.nCopies > 0 ? pd.nCopies : 1);
}
}  // namespace

CQtPrintBackend::CQtPrintBackend(QWidget* parent) : m_parent(parent) {}
CQtPrintBackend::~CQtPrintBackend() = default;

INT_PTR CQtPrintBackend::RunPrintDialog(CPrintDialog& dlg) {
  dlg.ResetEndResult();
  if (m_unattended.enabled) {
    dlg.OnInitDialog();
    if (m_unattended.script) m_unattended.script(dlg);
    if (!dlg.GetEndResult()) dlg.OnOK();
    return dlg.GetEndResult();
  }
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog qdlg(&printer, m_parent);
  qdlg.setWindowTitle(QStringLiteral("Print"));
  qdlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dlg.OnInitDialog();
  if (m_optionsPage)
    if (QWidget* page = m_optionsPage(dlg)) {
      qdlg.setOptionTabs({page});
      // A control of the page may end the dialog (Preview): close the platform dialog with it.
    }
  const int rc = qdlg.exec();
  if (dlg.GetEndResult()) return dlg.GetEndResult();
  if (rc != QDialog::Accepted) {
    dlg.OnCancel();
    return IDCANCEL;
  }
  if (printer.outputFormat() == QPrinter::PdfFormat)
    dlg.m_pd.outputFile = FromQ(printer.outputFileName());
  else
    dlg.m_pd.printerName = FromQ(printer.printerName());
  dlg.m_pd.nCopies = static_cast<WORD>(printer.copyCount());
  m_layout = std::make_unique<QPageLayout>(printer.pageLayout());
  dlg.OnOK();
  return dlg.GetEndResult();
}

std::unique_ptr<CPrintJob> CQtPrintBackend::StartJob(const AFX_PRINTDLG& pd, LPCWSTR docName) {
  auto* printer = new QPrinter(QPrinter::HighResolution);
  ApplyTarget(*printer, pd, m_unattended.enabled ? m_unattended.pdfPath : std::wstring());
  printer->setDocName(QString::fromWCharArray(docName ? docName : L""));
  if (m_layout) printer->setPageLayout(*m_layout);
  if (m_unattended.enabled && m_unattended.pageSizeId >= 0)
    printer->setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(m_unattended.pageSizeId)));
  auto job = std::make_unique<QtPrintJob>(printer, true);
  if (!job->Begin()) return nullptr;
  return job;
}

BOOL CQtPrintBackend::RunPreview(CPreviewView& preview) {
  QPrinter printer(QPrinter::HighResolution);
  if (m_layout) printer.setPageLayout(*m_layout);
  if (m_unattended.enabled) {
    // Render the pages as the preview widget would, on a printer of its own.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    if (m_unattended.pageSizeId >= 0)
      printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(m_unattended.pageSizeId)));
    QPrintPreviewWidget widget(&printer);
    int pages = 0;
    QObject::connect(&widget, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) {
      QtPrintJob job(p, false);
      if (job.Begin()) pages = preview.RenderPages(job);
    });
    widget.updatePreview();
    if (m_unattended.previewScript) m_unattended.previewScript(preview, pages);
    if (!preview.IsClosed()) preview.ClosePreview();
    return TRUE;
  }
  QDialog dialog(m_parent);
  dialog.setWindowTitle(QStringLiteral("Print Preview"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* bar = new QToolBar(&dialog);
  auto* widget = new QPrintPreviewWidget(&printer, &dialog);
  QObject::connect(widget, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) {
    QtPrintJob job(p, false);
    if (job.Begin()) preview.RenderPages(job);
  });
  // The preview toolbar's buttons are the preview view's commands.
  auto button = [&](const QString& text, UINT id) {
    QObject::connect(bar->addAction(text), &QAction::triggered,
                     [&preview, id] { preview.OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); });
  };
  button(QStringLiteral("Print..."), AFX_ID_PREVIEW_PRINT);
  QObject::connect(bar->addAction(QStringLiteral("Next Page")), &QAction::triggered, widget,
                   [widget] { widget->setCurrentPage(widget->currentPage() + 1); });
  QObject::connect(bar->addAction(QStringLiteral("Prev Page")), &QAction::triggered, widget,
                   [widget] { widget->setCurrentPage(widget->currentPage() - 1); });
  QObject::connect(bar->addAction(QStringLiteral("Zoom In")), &QAction::triggered, widget,
                   [widget] { widget->zoomIn(); });
  QObject::connect(bar->addAction(QStringLiteral("Zoom Out")), &QAction::triggered, widget,
                   [widget] { widget->zoomOut(); });
  button(QStringLiteral("Close"), AFX_ID_PREVIEW_CLOSE);
  layout->addWidget(bar);
  layout->addWidget(widget);
  dialog.resize(900, 700);
  m_previewDialog = &dialog;
  dialog.exec();
  m_previewDialog = nullptr;
  // Closed by the window manager rather than a button: end the preview all the same.
  if (!preview.IsClosed()) preview.ClosePreview();
  return TRUE;
}

void CQtPrintBackend::ClosePreview(CPreviewView&) {
  if (m_previewDialog) m_previewDialog->accept();
}

}  // namespace velmora::qtwin
