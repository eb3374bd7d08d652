// Dialog templates: the layout of a dialog as a table (caption, size, controls with class,
// id, text, rectangle and style), registered under the template id that a dialog is built with.
// The program registers its templates at start-up; a later registration of an id replaces the
// earlier one.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

#include <vector>

struct AfxDialogItem {
  const wchar_t* cls;   // a control class name (kButtonClass...)
  UINT id;              // 0xFFFF: a static text nobody addresses
  const wchar_t* text;
  RECT rect;            // in the dialog's client coordinates, pixels
  DWORD style;          // WS_CHILD and WS_VISIBLE are added
};

struct AfxDialogTemplate {
  UINT id = 0;
  CString caption;
  int cx = 0, cy = 0;   // client size
  DWORD style = 0;      // added to the dialog's own style
  std::vector<AfxDialogItem> items;
};

// FALSE for a template without an id or with a control that has no class.
BOOL AfxRegisterDialogTemplate(const AfxDialogTemplate& tmpl);
// Null when no template has the id.
const AfxDialogTemplate* AfxFindDialogTemplate(UINT nIDTemplate);
BOOL AfxUnregisterDialogTemplate(UINT nIDTemplate);
