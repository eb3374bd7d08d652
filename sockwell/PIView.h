// CPIView: the view base whose commands and window messages pass the plug-in maps bound to its
// class name before and after its own handlers.
#pragma once

#include "platform/afx/DocView.h"
#include "sockwell/PlugInGuard.h"
#include "sockwell/PlugInMap.h"

class CPIView : public CView {
  DECLARE_DYNAMIC(CPIView)

 public:
  ~CPIView() override;

  // Binds the maps registered for this object's class name.
  void InitialisePlugIns();
  void SuppressThisMessage(bool bSuppress) { m_bSuppress = bSuppress ? 1 : 0; }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  void OnDraw(CDC* pDC) override;
  // A modal state of the application disables the view's window.
  void BeginModalState() override { EnableWindow(FALSE); }
  void EndModalState() override { EnableWindow(TRUE); }

  // Set by every destructor, cleared by every constructor of the class.
  static int IsDestroyed();

 protected:
  CPIView();
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

  CPlugInMap** m_pMaps = nullptr;
  int m_nMapCount = 0;
  BYTE m_bSuppress = 0;

  DECLARE_MESSAGE_MAP()

 private:
  CPlugInGuard* m_pGuard;
};
