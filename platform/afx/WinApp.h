// CWinApp: the application object. The one that exists is the running application, reached
// through AfxGetApp.
#pragma once

#include "platform/afx/CmdTarget.h"

class CWnd;

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  ~CWinApp() override;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }

  CWnd* m_pMainWnd = nullptr;
};

// The running application object, or null.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
