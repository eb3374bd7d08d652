#include "platform/panlet/UIToolBarMgr.h"

#include "platform/afx/DocView.h"

namespace {
int g_defaultLook = CUIToolBarMgr::kLookPanel;
}

CUIToolBarMgr::CUIToolBarMgr(MainCmdGetter getter) : m_getMainCmd(getter), m_nLook(g_defaultLook) {}

void CUIToolBarMgr::SetDefaultLook(int look) { g_defaultLook = look == kLookClassic ? kLookClassic : kLookPanel; }

int CUIToolBarMgr::GetDefaultLook() { return g_defaultLook; }

BOOL CUIToolBarMgr::IsCurLook(int code) const {
  switch (code) {
    case kLookIcons: return m_nIconLook == 1;
    case kLookPanel: return m_nLook == kLookPanel;
    case kLookClassic: return m_nLook == kLookClassic;
    case kLookTextBottom: return m_bTextBottom;
    default: return FALSE;
  }
}

const CUIToolBarMgr::Record* CUIToolBarMgr::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? &m_records[size_t(index)] : nullptr;
}

const CUIToolBarMgr::Record* CUIToolBarMgr::Find(const CControlBar* bar) const {
  for (const Record& r : m_records)
    if (r.bar == bar) return &r;
  return nullptr;
}

BOOL CUIToolBarMgr::UpdateBarUI(CControlBar* bar) {
  const Record* r = bar ? Find(bar) : nullptr;
  if (!r) return FALSE;
  if (auto* tb = dynamic_cast<CToolBar*>(bar)) {
    const UINT bitmap = m_nIconLook ? r->bitmap1 : r->bitmap0;
    if (bitmap) tb->LoadBitmap(bitmap);
  }
  if (bar->GetSafeHwnd()) bar->Invalidate();
  return TRUE;
}

int CUIToolBarMgr::UpdateBarUI_CurCmd(int mainCmd) {
  int count = 0;
  for (const Record& r : m_records)
    if (r.mainCmd == mainCmd && r.bar && r.bar->GetSafeHwnd() && UpdateBarUI(r.bar)) ++count;
  return count;
}

void CUIToolBarMgr::ShowCurrentUI(int code) {
  if (code == kLookPanel || code == kLookClassic) m_nLook = code;
  CFrameWnd* frame = nullptr;
  for (const Record& r : m_records) {
    if (!r.bar || !r.bar->GetSafeHwnd()) continue;
    if (!frame) frame = r.bar->GetDockingFrame();
    // Entering a look shows its panel or its default classic bars; bars of the other look go.
    const bool show = r.look == m_nLook && (m_nLook == kLookPanel || r.flag1);
    if (CFrameWnd* f = r.bar->GetDockingFrame())
      f->ShowControlBar(r.bar, show, TRUE);
    else
      r.bar->ShowWindow(show ? SW_SHOW : SW_HIDE);
  }
  if (frame) frame->RecalcLayout();
}
