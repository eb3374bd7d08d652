// The drawing view's menu table: for each command id of the menus, toolbars and accelerators
// that the view answers, what runs (mostly a registered command through the hub) and how the
// item's enabled and checked state is computed. The table becomes part of the view's message
// map, so plug-in maps around the view still see every one of these commands.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

class CCmdUI;
class CDraftonView;
struct MSG;

struct ViewMenuRow {
  UINT first, last;                               // the ids the row answers
  void (*command)(CDraftonView&, UINT id);        // null: no command handler
  void (*update)(CDraftonView&, CCmdUI*, UINT id);  // null: no update handler
};

// Every row, in no particular order; no id is in two rows.
const std::vector<ViewMenuRow>& ViewMenuRows();
// The row answering an id, or null.
const ViewMenuRow* FindViewMenuRow(UINT id);

// Undo and redo as the menu items do them (also the view's messages 0x40C and 0x40D).
void viewUndo(CDraftonView& view);
void viewRedo(CDraftonView& view);

// True for a plain Shift+letter key press while the current main command is a text command:
// the key is typed text and must not be turned into an accelerator's command.
bool viewIsTypedLetter(const MSG* msg);
