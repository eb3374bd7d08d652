// CPISMainFrame: the main-frame base whose commands and window messages pass the plug-in maps
// bound to its class name before and after its own handlers, and which hosts plug-in toolbars.
#pragma once

#include "platform/afx/DocView.h"
#include "sockwell/PlugInGuard.h"
#include "sockwell/PlugInMap.h"

class CPISMainFrame : public CFrameWnd {
  DECLARE_DYNAMIC(CPISMainFrame)

 public:
  CPISMainFrame();
  ~CPISMainFrame() override;

  // -1 when the frame's creation fails, else 1.
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  // Binds the frame's maps and lets each create its toolbars.
  void CreatePlugToolBar();
  // Lets each bound map dock its toolbars.
  void DockPlugToolBar();
  // Frees the bound maps; called while the frame's window is being destroyed.
  void FreeMap();
  // From a pre handler: the frame's own handler skips the message being routed.
  void SuppressThisMessage(bool bSuppress) { m_bSuppress = bSuppress ? 1 : 0; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  BOOL PlugToolBarsCreated() const { return m_bPlugToolBarsCreated; }

  // Number of the frame's bound maps (one main frame per process).
  static int m_MapCount;

 protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void InitialisePlugIns();

  CPlugInMap** m_pMaps = nullptr;
  BYTE m_bSuppress = 0;
  int m_bPlugToolBarsCreated = 0;
  CPlugInGuard* m_pGuard;

  DECLARE_MESSAGE_MAP()
};
