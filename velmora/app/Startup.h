// The program's start-up pieces shared by main() and the end-to-end test: whether there is a
// display to show on, and the Qt window backend installed for the lifetime of a session.
#pragma once

#include "platform/qtwin/QtBackend.h"
#include "platform/qtwin/QtImageReader.h"
#include "platform/qtwin/QtPrint.h"
#include "platform/qtwin/QtProgress.h"
#include "platform/win/WindowBackend.h"

namespace velmora::app {

// True when Qt has somewhere to show windows: an X or Wayland display, or a platform named
// in QT_QPA_PLATFORM.
bool DisplayAvailable();

// Installs the Qt window backend (a QApplication must exist), the drawing view's OpenGL surface
// (unless openGLView is false: the view then always draws in 2D), the progress bar with its
// Cancel button, printing with the print dialog's scale page, and picture decoding (Qt's
// picture readers for GIF and TIFF, and the tips' animations); restores what was there before
// when it goes.
class CProgramSession {
 public:
  explicit CProgramSession(bool openGLView = true);
  ~CProgramSession();
  CProgramSession(const CProgramSession&) = delete;
  CProgramSession& operator=(const CProgramSession&) = delete;

  velmora::qtwin::CQtWindowBackend& Backend() { return m_backend; }
  velmora::qtwin::CQtProgressSink& Progress() { return m_progress; }
  velmora::qtwin::CQtPrintBackend& Printing() { return m_print; }

 private:
  velmora::qtwin::CQtWindowBackend m_backend;
  velmora::qtwin::CQtProgressSink m_progress;
  velmora::qtwin::CQtImageDecoderScope m_imageReaders;
  velmora::qtwin::CQtPrintBackend m_print;
  velmora::win::WindowBackend* m_previous = nullptr;
};

}  // namespace velmora::app
