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

// Ids the view's menu table and the accelerator table name.
namespace viewid {
constexpr UINT kSelection = 32853, kNodeTools = 32854, kTextTools = 32855, kSymbolLibrary = 32849;
constexpr UINT kEsc = 32850, kEnter = 32816, kInsertSymbol = 33003;
constexpr UINT kUndo = 57643, kRedo = 57644;
constexpr UINT kSelectAll = 32928, kInverseSelection = 32929, kHide = 32844, kShow = 32845, kFill = 32867;
constexpr UINT k3DView = 32813, kRender = 33083, kShade = 33084, kWireframe = 33085, kRedraw = 32991;
constexpr UINT kGuideLines = 32952, kRotateView = 33128;
constexpr UINT kFront = 32890, kBack = 33088, kTop = 32892, kBottom = 33087, kRight = 33086, kLeft = 32891,
               kIso = 32893;
constexpr UINT kAlignBar = 32986, kEditBar = 32987, kTransformBar = 32989;
constexpr UINT kSelectByType = 32993, kDesignCentral = 33045, kSettings = 32837, kHelp = 32954;
constexpr UINT kCalculator = 32900, kNotepad = 32901, kPaint = 32972, kLearning = 33180, kTip = 33133;
constexpr UINT kRepeat = 98, kRepeatBefore = 99;
constexpr UINT kRect = 32777, kArc = 32786, kMirror = 32801, kAlign = 32819, kImage = 32862, kBool = 32917,
               kArcFit = 32996, kLineFit = 33155;
}  // namespace viewid
