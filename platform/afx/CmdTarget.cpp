#include "platform/afx/CmdTarget.h"

#include "platform/afx/Menu.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID) {
  if (!lpEntry) return nullptr;
  for (; lpEntry->nSig != AfxSig_end; ++lpEntry)
    if (lpEntry->nMessage == nMsg && lpEntry->nCode == nCode && lpEntry->nID <= nID && nID <= lpEntry->nLastID)
      return lpEntry;
  return nullptr;
}

BOOL AfxDispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, AFX_PMSG pfn, void* pExtra, UINT_PTR nSig,
                       AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (pHandlerInfo) {
    pHandlerInfo->pTarget = pTarget;
    pHandlerInfo->pmf = pfn;
    return TRUE;
  }
  (void)nCode;
  auto* notify = static_cast<AFX_NOTIFY*>(pExtra);
  switch (nSig) {
    case AfxSigCmd_v:
      (pTarget->*AfxMsgUncast<void()>(pfn))();
      return TRUE;
    case AfxSigCmd_b: return (pTarget->*AfxMsgUncast<BOOL()>(pfn))();
    case AfxSigCmd_RANGE:
      (pTarget->*AfxMsgUncast<void(UINT)>(pfn))(nID);
      return TRUE;
    case AfxSigCmd_EX: return (pTarget->*AfxMsgUncast<BOOL(UINT)>(pfn))(nID);
    case AfxSigNotify_v:
      if (!notify) return FALSE;
      (pTarget->*AfxMsgUncast<void(NMHDR*, LRESULT*)>(pfn))(notify->pNMHDR, notify->pResult);
      return TRUE;
    case AfxSigNotify_b:
      if (!notify) return FALSE;
      return (pTarget->*AfxMsgUncast<BOOL(NMHDR*, LRESULT*)>(pfn))(notify->pNMHDR, notify->pResult);
    case AfxSigNotify_RANGE:
      if (!notify) return FALSE;
      (pTarget->*AfxMsgUncast<void(UINT, NMHDR*, LRESULT*)>(pfn))(nID, notify->pNMHDR, notify->pResult);
      return TRUE;
    case AfxSigNotify_EX:
      if (!notify) return FALSE;
      return (pTarget->*AfxMsgUncast<BOOL(UINT, NMHDR*, LRESULT*)>(pfn))(nID, notify->pNMHDR, notify->pResult);
    case AfxSigCmdUI:
    case AfxSigCmdUI_RANGE: {
      auto* pCmdUI = static_cast<CCmdUI*>(pExtra);
      if (!pCmdUI) return FALSE;
      if (nSig == AfxSigCmdUI) (pTarget->*AfxMsgUncast<void(CCmdUI*)>(pfn))(pCmdUI);
      else (pTarget->*AfxMsgUncast<void(CCmdUI*, UINT)>(pfn))(pCmdUI, nID);
      const BOOL handled = !pCmdUI->m_bContinueRouting;
      pCmdUI->m_bContinueRouting = FALSE;
      return handled;
    }
    case AfxSigCmd_v_pv:
      (pTarget->*AfxMsgUncast<void(void*)>(pfn))(pExtra);
      return TRUE;
    case AfxSigCmd_b_pv: return (pTarget->*AfxMsgUncast<BOOL(void*)>(pfn))(pExtra);
    default: return FALSE;
  }
}

BOOL AfxCmdMsgThroughMap(CCmdTarget* pTarget, UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (!pTarget) return FALSE;
  UINT nMsg = WM_COMMAND;
  UINT code = static_cast<UINT>(nCode);
  if (nCode != CN_UPDATE_COMMAND_UI) {
    code = LOWORD(static_cast<UINT>(nCode));
    if (static_cast<UINT>(nCode) > 0xFFFF) nMsg = HIWORD(static_cast<UINT>(nCode));
  }
  for (const AFX_MSGMAP* map = pTarget->GetMessageMap(); map && map->pfnGetBaseMap; map = map->pfnGetBaseMap()) {
    if (const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(map->lpEntries, nMsg, code, nID))
      return AfxDispatchCmdMsg(pTarget, nID, static_cast<int>(code), e->pfn, pExtra, e->nSig, pHandlerInfo);
  }
  return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  return AfxCmdMsgThroughMap(this, nID, nCode, pExtra, pHandlerInfo);
}

// With a menu item behind it (m_pMenu, m_nIndex), each state also goes to the item, which is
// what a toolkit shows.
void CCmdUI::Enable(BOOL bOn) {
  m_bEnabled = bOn;
  m_bEnableChanged = TRUE;
  if (m_pMenu) ::EnableMenuItem(m_pMenu->GetSafeHmenu(), m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
}
void CCmdUI::SetCheck(int nCheck) {
  m_nCheck = nCheck;
  if (m_pMenu) ::CheckMenuItem(m_pMenu->GetSafeHmenu(), m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}
void CCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }
void CCmdUI::SetText(LPCWSTR lpszText) {
  m_strText = lpszText ? lpszText : L"";
  if (m_pMenu) ::SetMenuItemTextW(m_pMenu->GetSafeHmenu(), m_nIndex, MF_BYPOSITION, m_strText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
  if (!pTarget) return FALSE;
  m_bEnableChanged = FALSE;
  const BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
  if (bDisableIfNoHndler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info{};
    if (!pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info)) Enable(FALSE);
  }
  return handled;
}
