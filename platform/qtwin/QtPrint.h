// The printing backend over Qt: printer dialogs, print runs on a QPrinter (a CUPS printer, or a
// PDF file when one is chosen), and the preview in a QPrintPreviewWidget with the preview
// toolbar's Close and Print buttons routed to the preview view.
#pragma once

#include "platform/afx/Print.h"

#include <functional>
#include <memory>

class QDialog;
class QPageLayout;
class QWidget;

namespace velmora::qtwin {

class CQtPrintBackend : public CPrintBackend {
 public:
  // Without a user: the dialog is initialised, `script` (if any) acts on it, then it is accepted
  // unless the script ended it; runs go to `pdfPath` when the dialog chose no file. The preview
  // renders its pages once and runs `previewScript` instead of waiting for the user.
  struct Unattended {
    bool enabled = false;
    std::wstring pdfPath;
    int pageSizeId = -1;  // a QPageSize::PageSizeId for the runs, -1 for the printer's own
    std::function<void(CPrintDialog&)> script;
    std::function<void(CPreviewView&, int pages)> previewScript;
  };
  explicit CQtPrintBackend(QWidget* parent = nullptr);
  ~CQtPrintBackend() override;

  void SetUnattended(Unattended u) { m_unattended = std::move(u); }
  // Builds extra controls for a dialog (a page of the printer dialog); null adds none.
  void SetOptionsPage(std::function<QWidget*(CPrintDialog&)> make) { m_optionsPage = std::move(make); }

  INT_PTR RunPrintDialog(CPrintDialog& dlg) override;
  std::unique_ptr<CPrintJob> StartJob(const AFX_PRINTDLG& pd, LPCWSTR docName) override;
  BOOL RunPreview(CPreviewView& preview) override;
  void ClosePreview(CPreviewView& preview) override;

 private:
  QWidget* m_parent;
  Unattended m_unattended;
  std::function<QWidget*(CPrintDialog&)> m_optionsPage;
  QDialog* m_previewDialog = nullptr;
  // The paper, orientation and margins chosen in the last accepted printer dialog; later runs
  // (and runs without the dialog) print on them.
  std::unique_ptr<QPageLayout> m_layout;
};

}  // namespace velmora::qtwin
