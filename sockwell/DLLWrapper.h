// One loaded plug-in module and the information block it fills. The block's field order and
// widths are the interface with plug-ins (which must use the same shared class library, since
// both sides assign its string objects).
#pragma once

#include "platform/afx/CmdTarget.h"
#include "platform/afx/ObList.h"
#include "platform/afx/String.h"

class CWinApp;
class CPISMainFrame;
struct PIInfoBlock;

// The module's exports (C linkage).
using PFN_InitialiseDLL = void (*)(CWinApp* pApp, PIInfoBlock* pInfo);
using PFN_ReleaseDLL = void (*)();
using PFN_GetMessageMap = const AFX_MSGMAP* (*)(LPCWSTR lpszHostClass);
using PFN_MergeFrame = void (*)(CPISMainFrame* pFrame);
// Path of the file to read, and the list that receives the imported entities.
using PFN_FileImport = void (*)(CString strPath, CPtrList* pEntities);
using PFN_FileExport = void (*)(CString strPath);

struct PIInfoBlock {
  int32_t nPass;             // host: 0 in the first InitialiseDLL call, 1 in the second
  int32_t nKind;             // module: 0 = file-format module; anything else is never offered
  BYTE reserved1[12];
  CString strReserved;       // kept valid (empty) by the host; a module may assign it
  CString strExtension;      // module: extension(s) in upper case without the dot
  CString strDescription;    // module: format name for the file dialogs
  PFN_FileImport pfnFileImport;  // host: the module's export or null
  PFN_FileExport pfnFileExport;
  int32_t nCleared;          // cleared by the host
  BYTE reserved2[49];
};

class CDLLWrapper {
 public:
  CDLLWrapper();
  // Take over the source's module: the target first frees its own; the source is left empty.
  // The information block is not copied.
  CDLLWrapper(CDLLWrapper& src);
  CDLLWrapper& operator=(CDLLWrapper& src);
  virtual ~CDLLWrapper();

  // Loads the module and binds its exports; a module that cannot be loaded is reported in an
  // "Error" message box. True when a module is loaded.
  bool LoadDLL(const CString& strPath);
  void InitFunNull();
  // Unloads the module; always true.
  bool FreeDLL();
  // False without the settings object; true when the module has no InitialiseDLL or it ran.
  bool InitialiseDLL(CWinApp* pApp);
  void ReleaseDLL();
  const AFX_MSGMAP* GetPreMessageMap(LPCWSTR lpszHostClass);
  const AFX_MSGMAP* GetPostMessageMap(LPCWSTR lpszHostClass);
  void MergeMenu(CPISMainFrame* pFrame);
  void MergeAccelerator(CPISMainFrame* pFrame);

  PIInfoBlock m_Info;
  CString m_strPath;
  HMODULE m_hModule = nullptr;
  PFN_InitialiseDLL m_pfnInitialiseDLL = nullptr;
  PFN_ReleaseDLL m_pfnReleaseDLL = nullptr;
  PFN_MergeFrame m_pfnMergeMenu = nullptr;
  PFN_MergeFrame m_pfnMergeAccelerator = nullptr;
  PFN_GetMessageMap m_pfnGetPreMessageMap = nullptr;
  PFN_GetMessageMap m_pfnGetPostMessageMap = nullptr;

 private:
  void TakeOver(CDLLWrapper& src);
};
