// The drawing view's printing: the print dialog with scale and position, the sheet count of a
// run, and the layout of each sheet of the tiled page.
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "platform/afx/DC.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/ViewState.h"
#include "sockwell/PISMainFrame.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/printing/KxPreviewView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/printing/PrintLayout.h"

#include "platform/numora/Box.h"

namespace {
// What the sheets show: the work area's page, grown to take in any drawing that lies beyond
// it, so that no part of the drawing falls off the paper.
_tagBox2D PrintBox(CDBase& db) {
  _tagBox2D box{}, drawing{};
  db.GetWorkArea().GetPageSize(&box);
  db.GetBox(&drawing);
  if (BOX2D_IsValid(&drawing)) {
    if (BOX2D_IsValid(&box))
      BOX2D_Union(&box, &drawing);
    else
      box = drawing;
  }
  return box;
}
}  // namespace

BOOL CDraftonView::OnPreparePrinting(CPrintInfo* pInfo) {
  if (!pInfo) return FALSE;
  if (pInfo->m_bPreview) {
    // The floating drag bar and the tab toolbar would stay over the preview.
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) frame->HideBarsForPreview();
    return DoPreparePrinting(pInfo);
  }
  auto* dlg = new CKxPrintDialog(FALSE, PD_RETURNDC | PD_USEDEVMODECOPIES | PD_ENABLEPRINTTEMPLATE);
  delete pInfo->m_pPD;
  pInfo->m_pPD = dlg;
  dlg->LoadFrom(m_print);
  if (DoPreparePrinting(pInfo)) {
    dlg->StoreTo(m_print);
    return TRUE;
  }
  if (dlg->m_bPreview) {
    // Preview from the dialog: keep its choices and show them in the preview instead.
    dlg->StoreTo(m_print);
    if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  }
  return FALSE;
}

void CDraftonView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC || !pInfo) return;
  m_print.printableW = KxPrintableMM(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(LOGPIXELSX));
  m_print.printableH = KxPrintableMM(pDC->GetDeviceCaps(VERTRES), pDC->GetDeviceCaps(LOGPIXELSY));
  int pages = 1;
  if (m_print.scaleMode != kKxScaleAdaptive) {
    // Without a database or with a device or scale that gives no usable sheet grid, the run
    // has no page and is abandoned.
    CDBase* db = gGetDBase();
    pages = db ? KxPageCount(m_print.scaleMode, m_print.scale, PrintBox(*db), m_print.printableW, m_print.printableH)
               : 0;
  }
  pInfo->SetMinPage(1);
  pInfo->SetMaxPage(static_cast<UINT>(pages));
}

void CDraftonView::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
  CDBase* db = gGetDBase();
  CVurode* vs = vurode ? vurode : gGetVurode();
  if (!pDC || !pInfo || !db || !vs || db->IsEmpty()) return;
  const _tagBox2D page = PrintBox(*db);
  KxSheetView sheet;
  if (!KxLayoutSheet(m_print.scaleMode, m_print.scale, page, m_print.printableW, m_print.printableH,
                     m_print.offsetX, m_print.offsetY, pDC->GetDeviceCaps(LOGPIXELSX),
                     static_cast<int>(pInfo->m_nCurPage), sheet))
    return;
  if (m_print.scaleMode == kKxScaleAdaptive) m_print.scale = sheet.pixelsPerUnit * 25.4 / pDC->GetDeviceCaps(LOGPIXELSX);
  const CRect savedRect = vs->GetViewRect();
  const tagViewPara saved = vs->GetViewPara();
  const BOOL was3D = vs->IsView3D();
  m_print.printing = TRUE;
  vs->SetView2D();
  vs->SetViewRect(pInfo->m_rectDraw);
  vs->SetViewPara(tagViewPara{sheet.pixelsPerUnit, {sheet.origin[0], sheet.origin[1]}});
  db->DrawAll(pDC, 0);
  vs->SetViewRect(savedRect);
  vs->SetViewPara(saved);
  if (was3D) vs->SetView3D();
  m_print.printing = FALSE;
}

void CDraftonView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CDraftonView::OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo, POINT point, CPreviewView* pView) {
  // The bars of the current look, and the plug-ins' toolbars in their docks, come back before
  // the drawing shows again.
  if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) frame->RestoreBarsAfterPreview();
  if (auto* frame = dynamic_cast<CPISMainFrame*>(AfxGetMainWnd())) frame->DockPlugToolBar();
  CGLView::OnEndPrintPreview(pDC, pInfo, point, pView);
}

void CDraftonView::OnKxFilePrintPreview() {
  if (!DoPrintPreview(AFX_IDD_PREVIEW_TOOLBAR, this, RUNTIME_CLASS(CKxPreviewView), new CPrintPreviewState))
    AfxMessageBox(AFX_IDP_COMMAND_FAILURE);
}
