#include "velmora/shell/DraftonApp.h"
#include "velmora/commands/CommandIds.h"

#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/vurode/Accessors.h"
#include "platform/afx/Menu.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Menu.h"
#include "platform/win/Window.h"
#include "sockwell/MySingleDocTemplate.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Ordvale.h"
#include "platform/vurode/KXGlobal.h"
#include "velmora/dialogs/AboutBox.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/Resources.h"

IMPLEMENT_DYNAMIC(CDraftonApp, CPlugInApp)

BEGIN_MESSAGE_MAP(CDraftonApp, CPlugInApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

CDraftonApp::CDraftonApp() { m_strAppName = L"Velmora"; }

CDraftonApp::~CDraftonApp() {
  DestroyDesignCentral();
  if (m_hub && gGetOrdvale() == m_hub.get()) gSetOrdvale(nullptr);
  if (m_vurode && gGetVurode() == m_vurode.get()) gSetVurode(nullptr);
  if (m_selector && gGetSelector() == m_selector.get()) gSetSelector(nullptr);
}

BOOL CDraftonApp::InitInstance() {
  RegisterShellResources();
  if (!gGetKXGlobal()) gNewKXGlobal();
  if (!gGetOrdvale()) {
    m_hub = std::make_unique<COrdvale>();
    gSetOrdvale(m_hub.get());
  }
  if (!gGetVurode()) {
    m_vurode = std::make_unique<CVurode>();
    gSetVurode(m_vurode.get());
  }
  if (!gGetSelector()) {
    m_selector = std::make_unique<CSelector>();
    gSetSelector(m_selector.get());
  }
  SetRegistryKey(L"Velmora v9 Applications");
  LoadStdProfileSettings(4);
  ReplaceDocManager();
  AddDocTemplate(new CMySingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CDraftonDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CDraftonView)));
  CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  if (!ProcessShellCommand(cmdInfo)) return FALSE;
  UpdateMenus();
  UpdateAccelerators();
  if (m_pMainWnd) {
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    m_pMainWnd->DragAcceptFiles();
    if (auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame()))
      if (CDlgSplash* splash = frame->GetSplash()) splash->ArmClose();
    // Two items other libraries put on the merged menu bar that this program does not offer.
    if (CMenu* bar = m_pMainWnd->GetMenu()) {
      if (CMenu* seventh = bar->GetSubMenu(6)) seventh->RemoveMenu(ID_NEST_INTERACTIVE, MF_BYCOMMAND);
      if (CMenu* fourth = bar->GetSubMenu(3)) fourth->RemoveMenu(ID_DRAW_EQUATION, MF_BYCOMMAND);
    }
    // A panel that cannot be made stays unregistered; the program runs without it.
    auto panel = std::make_unique<CDesignCentral>();
    if (panel->CreateMe(m_pMainWnd)) {
      m_pDesignCentral = std::move(panel);
      gSetDlgDesignCenter(m_pDesignCentral.get());
      // The view gives up the panel's width.
      if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->RecalcLayout();
    }
    m_pMainWnd->SetFocus();
  }
  // The tip of the day, when the settings ask for it at start.
  if (CKXGlobal* global = gGetKXGlobal(); global && global->IsShowTips()) {
    CAboutboxHelpPrompt prompt;
    prompt.DoModal();
  }
  return TRUE;
}

void CDraftonApp::OnAppAbout() {
  CKxAboutBox about;
  about.DoModal();
}

void CDraftonApp::DestroyDesignCentral() {
  if (!m_pDesignCentral) return;
  if (gGetDlgDesignCenter() == m_pDesignCentral.get()) gSetDlgDesignCenter(nullptr);
  m_pDesignCentral->DestroyWindow();
  m_pDesignCentral.reset();
}

int CDraftonApp::ExitInstance() {
  DestroyDesignCentral();
  return CPlugInApp::ExitInstance();
}
