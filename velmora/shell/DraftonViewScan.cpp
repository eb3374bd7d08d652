// The drawing view's scanning: the scan menu items and the scanned images.
#include "velmora/commandlib/ImageScanCmd.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/pictures/KxScan.h"
#include "velmora/pictures/ScanImage.h"

BOOL CDraftonView::PreTranslateMessage(MSG* pMsg) {
  // The source sees every message first; the message goes on to normal processing either way.
  if (pMsg) ProcessMessage(*pMsg);
  return CGLView::PreTranslateMessage(pMsg);
}

void CDraftonView::CopyImage(HANDLE hBitmap, TW_IMAGEINFO& info) {
  // The bitmap is copied before this returns: the scanner frees it right afterwards. The image
  // scan command places it; without that command the picture goes in directly.
  COrdvale* h = Hub();
  if (auto* cmd = h ? dynamic_cast<CImageScanCmd*>(h->GetCmd(ID_IMAGE_SCAN_CMD)) : nullptr) {
    if (!cmd->SetBitmap(hBitmap, info.BitsPerPixel, info.ImageLength, info.ImageWidth)) return;
    h->RunAppCmd(cmd, 0);
  } else if (!KxAddScannedImage(hBitmap, info)) {
    return;
  }
  if (CDraftonDoc* doc = GetDocument()) doc->SetModifiedFlag();
  RequestRedraw();
}

void CDraftonView::OnScanAcquire() { Acquire(-1); }

void CDraftonView::OnScanSelect() { SelectSource(); }

void CDraftonView::OnUpdateScanAcquire(CCmdUI* ui) {
  COrdvale* h = Hub();
  ui->Enable(SourceSelected() && !(h && h->GetCurCmd()));
}

void CDraftonView::OnUpdateScanSelect(CCmdUI* ui) {
  COrdvale* h = Hub();
  ui->Enable(IsLoaded() && !(h && h->GetCurCmd()));
}
