// The Velmora program: the shell's application object on the Qt window backend.
#include "platform/afx/WinApp.h"
#include "velmora/app/ShellDialogs.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/DraftonApp.h"

#include <QApplication>

#include <cstdio>

namespace {
CDraftonApp theApp;
}  // namespace

int main(int argc, char** argv) {
  if (!velmora::app::DisplayAvailable()) {
    std::fprintf(stderr, "No display to show Velmora on: start it under a virtual one with 'xvfb-run -a %s'.\n",
                 argv[0]);
    return 1;
  }
  QApplication qt(argc, argv);
  int rc = 0;
  {
    velmora::app::CProgramSession session;
    velmora::app::InstallShellDialogs();
    rc = AfxWinMain(argc, argv);
    velmora::app::RemoveShellDialogs();
  }
  return rc;
}
