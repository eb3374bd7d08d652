#include "velmora/app/Startup.h"

#include "platform/afx/CommandImage.h"
#include "platform/qtwin/QtDC.h"
#include "platform/win/Picture.h"
#include "velmora/app/CommandIcons.h"
#include "velmora/app/PrintOptionsPage.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/FrameProgress.h"

#include <cstdlib>

namespace velmora::app {

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || (platform && *platform);
}

CProgramSession::CProgramSession(bool openGLView) {
  m_previous = velmora::win::SetWindowBackend(&m_backend);
  if (openGLView)
    CDraftonView::SetGLSurface({velmora::qtwin::kOpenGLViewClass,
                                [this](HWND h, COpenGLDC* dc) { return m_backend.AttachOpenGLDC(h, dc); },
                                [this](HWND h) { return m_backend.IsOpenGLCurrent(h); }});
  CFrameProgress::SetDisplay(&m_progress);
  m_print.SetOptionsPage(&MakePrintOptionsPage);
  AfxSetPrintBackend(&m_print);
  velmora::qtwin::InstallQtPictureDecoder();
  KxRegisterTipPictures();
  RegisterCommandIcons();
}

CProgramSession::~CProgramSession() {
  velmora::afx::ClearCommandImages();
  velmora::win::SetPictureDecoder(nullptr);
  AfxSetPrintBackend(nullptr);
  CFrameProgress::SetDisplay(nullptr);
  CDraftonView::SetGLSurface({});
  velmora::win::SetWindowBackend(m_previous);
}

}  // namespace velmora::app
