// The Velmora program: the shell's application object on the Qt window backend.
#include "platform/afx/WinApp.h"
#include "platform/qtwin/QtBackend.h"
#include "platform/win/WindowBackend.h"
#include "velmora/shell/DraftonApp.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
CDraftonApp theApp;
}  // namespace

int main(int argc, char** argv) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !(platform && *platform)) {
    std::fprintf(stderr, "No display to show Velmora on: start it under a virtual one with 'xvfb-run -a %s'.\n",
                 argv[0]);
    return 1;
  }
  QApplication qt(argc, argv);
  int rc = 0;
  {
    velmora::qtwin::CQtWindowBackend backend;
    velmora::win::WindowBackend* previous = velmora::win::SetWindowBackend(&backend);
    rc = AfxWinMain(argc, argv);
    velmora::win::SetWindowBackend(previous);
  }
  return rc;
}
