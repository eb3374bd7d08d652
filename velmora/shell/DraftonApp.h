// CDraftonApp: the program's application object. Start-up makes the settings object and the
// command hub, registers the document type, processes the command line (which makes the
// document, the main frame with its plug-ins, and the view), then merges the plug-ins' menus
// and accelerators, shows the main window and puts the design-centre panel beside it.
#pragma once

#include "sockwell/PlugInApp.h"

#include <memory>

class CDesignCentral;
class COrdvale;
class CSelector;
class CVurode;

class CDraftonApp : public CPlugInApp {
  DECLARE_DYNAMIC(CDraftonApp)

 public:
  CDraftonApp();
  ~CDraftonApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

 protected:
  // The About box.
  void OnAppAbout();
  DECLARE_MESSAGE_MAP()

 private:
  void DestroyDesignCentral();
  // Shared objects made here when the program has none yet.
  std::unique_ptr<COrdvale> m_hub;
  std::unique_ptr<CVurode> m_vurode;
  std::unique_ptr<CSelector> m_selector;
  // The design-centre panel, made once the main window is up.
  std::unique_ptr<CDesignCentral> m_pDesignCentral;
};
