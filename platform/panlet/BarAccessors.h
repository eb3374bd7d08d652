// The program's bars as application-wide singletons: each accessor has its setter; the objects
// stay their owners' (the main frame). The current drawing colour lives here with the colour
// button that shows it.
#pragma once

#include "platform/win/WinTypes.h"

class CKXStatusBar;
class CKxRuleBar;
class CTabToolBar;
class CUIToolBarMgr;

CKXStatusBar* gGetStatusBar();
void gSetStatusBar(CKXStatusBar* bar);
CKxRuleBar* gGetHorRuleBar();
void gSetHorRuleBar(CKxRuleBar* bar);
CKxRuleBar* gGetVerRuleBar();
void gSetVerRuleBar(CKxRuleBar* bar);
CTabToolBar* gGetKXTabToolBar();
void gSetKXTabToolBar(CTabToolBar* bar);
CUIToolBarMgr* gGetUIToolBarMgr();
void gSetUIToolBarMgr(CUIToolBarMgr* mgr);
// The current drawing colour (0x00BBGGRR), black at start.
COLORREF gGetCurColor();
void gSetCurColor(COLORREF color);
