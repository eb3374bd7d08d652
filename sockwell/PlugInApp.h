// CPlugInApp: the application base that loads the plug-in modules, keeps their table, binds
// plug-in maps to host objects and runs messages through them.
#pragma once

#include "platform/afx/WinApp.h"
#include "sockwell/DLLWrapper.h"
#include "sockwell/PlugInMap.h"

class CPlugInApp : public CWinApp {
  DECLARE_DYNAMIC(CPlugInApp)

 public:
  CPlugInApp();
  // Calls every module's ReleaseDLL in table order, then unloads the modules.
  ~CPlugInApp() override;

  // Finds the ".vpf" and ".mlp" modules in the application folder, loads them in the
  // case-insensitive order of their paths and initialises them in two passes.
  void LoadPlugInDLLs();
  // Every module's MergeMenu / MergeAccelerator with the main frame.
  void UpdateMenus();
  void UpdateAccelerators();

  // Fresh copies of the prototypes registered for the target's run-time class name (compared
  // byte for byte), bound to the target, in registration order; null with count 0 when none.
  // The caller owns the array and the objects.
  static CPlugInMap** GetMessageMaps(CCmdTarget* pTarget, int& nCount);
  // Binds the application's own maps (which no routing uses).
  void InitialisePlugIns();

  // One pass over bound maps: each is marked pre or post and called, even after one handled the
  // message; true when any handled it. Null slots and maps whose host has gone are skipped.
  static BOOL ProcessCommandMessageMaps(bool bPre, CPlugInMap** pMaps, int nCount, UINT nID, int nCode, void* pExtra,
                                        AFX_CMDHANDLERINFO* pHandlerInfo);
  static BOOL ProcessWindowMessageMaps(bool bPre, CPlugInMap** pMaps, int nCount, UINT message, WPARAM wParam,
                                       LPARAM lParam, LRESULT* pResult);
  static BOOL CallCommandMessageMap(CPlugInMap* pMap, UINT nID, int nCode, void* pExtra,
                                    AFX_CMDHANDLERINFO* pHandlerInfo);
  static BOOL CallWindowMessageMap(CPlugInMap* pMap, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntries, UINT nMsg, UINT nCode, UINT nID);
  static BOOL DispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, AFX_PMSG pfn, void* pExtra, UINT_PTR nSig,
                             AFX_CMDHANDLERINFO* pHandlerInfo);

  void SuppressThisMessage(bool bSuppress) { m_bSuppress = bSuppress ? 1 : 0; }
  void ReplaceDocManager() {}
  // Deletes the application's bound maps.
  int ExitInstance() override;

  int m_nDLLCount = 0;
  CDLLWrapper* m_pDLLs = nullptr;
  CPlugInMap** m_pMaps = nullptr;
  int m_nMapCount = 0;
  BYTE m_bSuppress = 0;

 private:
  void DeleteMaps();
};
