// CKxPreviewView: the drawing's print preview. Closing it repaints the drawing view at once;
// its Print button closes it and opens the print dialog.
#pragma once

#include "platform/afx/Print.h"

class CKxPreviewView : public CPreviewView {
  DECLARE_DYNCREATE(CKxPreviewView)

 public:
  CKxPreviewView() = default;
  ~CKxPreviewView() override = default;

  // The pause before the preview closes (one second; tests shorten it).
  static void SetClosePause(unsigned milliseconds);

 protected:
  void OnPreviewClose();
  void OnPreviewPrint();

  DECLARE_MESSAGE_MAP()
};
