// CPIDoc: the document base whose commands pass the plug-in maps bound to its class name.
#pragma once

#include "platform/afx/DocView.h"
#include "sockwell/PlugInGuard.h"
#include "sockwell/PlugInMap.h"

class CPIDoc : public CDocument {
  DECLARE_DYNAMIC(CPIDoc)

 public:
  ~CPIDoc() override;

  // Binds the maps registered for this object's class name.
  void InitialisePlugIns();
  void SuppressThisMessage(bool bSuppress) { m_bSuppress = bSuppress ? 1 : 0; }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  void Serialize(CArchive& ar) override;
  BOOL IsModified() override { return CDocument::IsModified(); }
  void SetModifiedFlag(BOOL bModified = TRUE) override { CDocument::SetModifiedFlag(bModified); }

  // Set by every destructor, cleared by every constructor of the class.
  static int IsDestroyed();

 protected:
  CPIDoc();

  CPlugInMap** m_pMaps = nullptr;
  int m_nMapCount = 0;
  BYTE m_bSuppress = 0;

 private:
  CPlugInGuard* m_pGuard;
};
