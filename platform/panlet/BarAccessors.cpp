#include "platform/panlet/BarAccessors.h"

namespace {
// GUI-thread objects, set and read on that thread only.
CKXStatusBar* g_statusBar = nullptr;
CKxRuleBar* g_horRuler = nullptr;
CKxRuleBar* g_verRuler = nullptr;
CTabToolBar* g_tabToolBar = nullptr;
CUIToolBarMgr* g_toolBarMgr = nullptr;
COLORREF g_curColor = 0;
}  // namespace

CKXStatusBar* gGetStatusBar() { return g_statusBar; }
void gSetStatusBar(CKXStatusBar* bar) { g_statusBar = bar; }
CKxRuleBar* gGetHorRuleBar() { return g_horRuler; }
void gSetHorRuleBar(CKxRuleBar* bar) { g_horRuler = bar; }
CKxRuleBar* gGetVerRuleBar() { return g_verRuler; }
void gSetVerRuleBar(CKxRuleBar* bar) { g_verRuler = bar; }
CTabToolBar* gGetKXTabToolBar() { return g_tabToolBar; }
void gSetKXTabToolBar(CTabToolBar* bar) { g_tabToolBar = bar; }
CUIToolBarMgr* gGetUIToolBarMgr() { return g_toolBarMgr; }
void gSetUIToolBarMgr(CUIToolBarMgr* mgr) { g_toolBarMgr = mgr; }
COLORREF gGetCurColor() { return g_curColor; }
void gSetCurColor(COLORREF color) { g_curColor = color; }
