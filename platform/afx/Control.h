// Controls: the state every standard control keeps (text lists, selection, check state, range,
// columns), held by the class library per window so that any window object attached to the
// control sees the same content, and the user's actions on a control (click, type, select) as a
// toolkit or a test performs them: each changes the state and notifies the parent with WM_COMMAND
// or WM_NOTIFY as the real controls do. The window backend is told after every change
// (ControlChanged) so that a toolkit peer can show it.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

#include <string>
#include <vector>

class CDC;
class CImageList;

// Class names of the standard controls (what a dialog template names and a peer looks at).
inline constexpr wchar_t kStaticClass[] = L"Static";
inline constexpr wchar_t kButtonClass[] = L"Button";
inline constexpr wchar_t kEditClass[] = L"Edit";
inline constexpr wchar_t kRichEditClass[] = L"RichEdit20W";
inline constexpr wchar_t kComboBoxClass[] = L"ComboBox";
inline constexpr wchar_t kListBoxClass[] = L"ListBox";
inline constexpr wchar_t kListViewClass[] = L"SysListView32";
inline constexpr wchar_t kTabControlClass[] = L"SysTabControl32";
inline constexpr wchar_t kToolTipClass[] = L"tooltips_class32";
inline constexpr wchar_t kTrackBarClass[] = L"msctls_trackbar32";
inline constexpr wchar_t kUpDownClass[] = L"msctls_updown32";

// Button styles (the low four bits are the kind).
constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1, BS_CHECKBOX = 0x2, BS_AUTOCHECKBOX = 0x3,
                BS_RADIOBUTTON = 0x4, BS_3STATE = 0x5, BS_AUTO3STATE = 0x6, BS_GROUPBOX = 0x7,
                BS_AUTORADIOBUTTON = 0x9, BS_OWNERDRAW = 0xB, BS_TYPEMASK = 0xF, BS_BITMAP = 0x80;
constexpr UINT BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2;
constexpr int BN_CLICKED = 0, BN_DOUBLECLICKED = 5;

// Edit styles and notifications.
constexpr DWORD ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_PASSWORD = 0x20,
                ES_AUTOVSCROLL = 0x40, ES_AUTOHSCROLL = 0x80, ES_WANTRETURN = 0x1000, ES_READONLY = 0x800,
                ES_NUMBER = 0x2000;
constexpr int EN_SETFOCUS = 0x100, EN_KILLFOCUS = 0x200, EN_CHANGE = 0x300, EN_UPDATE = 0x400,
              EN_MAXTEXT = 0x501;

// List box styles and notifications; LB_ERR for a failed call.
constexpr DWORD LBS_NOTIFY = 0x1, LBS_SORT = 0x2, LBS_OWNERDRAWFIXED = 0x10, LBS_OWNERDRAWVARIABLE = 0x20,
                LBS_HASSTRINGS = 0x40, LBS_NOINTEGRALHEIGHT = 0x100, LBS_WANTKEYBOARDINPUT = 0x400,
                LBS_NOSEL = 0x4000;
constexpr int LB_ERR = -1, LB_ERRSPACE = -2;
constexpr int LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SETFOCUS = 4, LBN_KILLFOCUS = 5;

// Combo box styles and notifications.
constexpr DWORD CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_DROPDOWNLIST = 0x3, CBS_AUTOHSCROLL = 0x40,
                CBS_SORT = 0x100, CBS_HASSTRINGS = 0x200;
constexpr int CB_ERR = -1;
constexpr int CBN_SELCHANGE = 1, CBN_DBLCLK = 2, CBN_SETFOCUS = 3, CBN_KILLFOCUS = 4, CBN_EDITCHANGE = 5,
              CBN_EDITUPDATE = 6, CBN_DROPDOWN = 7, CBN_CLOSEUP = 8, CBN_SELENDOK = 9;

// Static styles.
constexpr DWORD SS_LEFT = 0x0, SS_CENTER = 0x1, SS_RIGHT = 0x2, SS_ICON = 0x3, SS_BITMAP = 0xE,
                SS_NOTIFY = 0x100;

// Owner drawing (list boxes, buttons).
constexpr UINT ODT_LISTBOX = 2, ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x1, ODA_SELECT = 0x2, ODA_FOCUS = 0x4;
constexpr UINT ODS_SELECTED = 0x1, ODS_GRAYED = 0x2, ODS_DISABLED = 0x4, ODS_CHECKED = 0x8, ODS_FOCUS = 0x10;
struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;  // the address of a CDC (see CDC::FromHandle)
  RECT rcItem;
  DWORD_PTR itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;
struct MEASUREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemWidth;
  UINT itemHeight;
  DWORD_PTR itemData;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;
struct COMPAREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  HWND hwndItem;
  UINT itemID1;
  DWORD_PTR itemData1;
  UINT itemID2;
  DWORD_PTR itemData2;
};
using LPCOMPAREITEMSTRUCT = COMPAREITEMSTRUCT*;

// Common notifications (WM_NOTIFY codes are negative).
constexpr UINT NM_FIRST = 0u;
constexpr UINT NM_CLICK = static_cast<UINT>(-2), NM_DBLCLK = static_cast<UINT>(-3),
               NM_RCLICK = static_cast<UINT>(-5), NM_SETFOCUS = static_cast<UINT>(-7),
               NM_KILLFOCUS = static_cast<UINT>(-8), NM_CUSTOMDRAW = static_cast<UINT>(-12);

// Custom draw stages and answers.
constexpr DWORD CDDS_PREPAINT = 0x1, CDDS_POSTPAINT = 0x2, CDDS_ITEM = 0x10000,
                CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT, CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT,
                CDDS_SUBITEM = 0x20000;
constexpr LRESULT CDRF_DODEFAULT = 0x0, CDRF_NEWFONT = 0x2, CDRF_SKIPDEFAULT = 0x4, CDRF_NOTIFYPOSTPAINT = 0x10,
                  CDRF_NOTIFYITEMDRAW = 0x20, CDRF_NOTIFYSUBITEMDRAW = 0x20;
constexpr UINT CDIS_SELECTED = 0x1, CDIS_FOCUS = 0x10;
// A colour a custom-draw handler leaves alone.
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage;
  HDC hdc;  // the address of a CDC; null when the stage paints nowhere
  RECT rc;
  DWORD_PTR dwItemSpec;
  UINT uItemState;
  LPARAM lItemlParam;
};
using LPNMCUSTOMDRAW = NMCUSTOMDRAW*;

// One item of a list-like control: list box and combo entries, tabs, list-control rows.
struct AfxControlItem {
  CString text;                 // list-control rows: column 0
  std::vector<CString> sub;     // list-control rows: columns 1...
  DWORD_PTR data = 0;
  int image = -1;
  UINT itemHeight = 0;          // owner-drawn variable list boxes; 0: the control's height
  bool selected = false;
  // What the last custom draw chose per column (text, background); CLR_DEFAULT when nothing.
  std::vector<std::pair<COLORREF, COLORREF>> drawn;
};

struct AfxControlColumn {
  CString text;
  int width = 0;
  int fmt = 0;
};

struct AfxControlTool {
  UINT_PTR id = 0;
  HWND hwnd = nullptr;
  RECT rect{};
  CString text;
};

// Everything a standard control shows besides its window text, position and enabled state.
struct AfxControlState {
  std::wstring cls;             // one of the class names above
  DWORD style = 0;
  DWORD exStyle = 0;            // list controls: LVS_EX_ bits
  int check = BST_UNCHECKED;    // buttons
  std::vector<AfxControlItem> items;
  std::vector<AfxControlColumn> columns;
  int cur = -1;                 // selection: list box, combo, tab; focused row: list control
  int top = 0;                  // first visible row
  int itemHeight = 16;          // row height
  int rangeMin = 0, rangeMax = 100, pos = 0;  // sliders and spin buttons
  int lineSize = 1, pageSize = 10;
  UINT limit = 0;               // edits: most characters (0: no limit)
  int selStart = 0, selEnd = 0;  // edits: the selection
  bool modified = false;        // edits
  CImageList* smallImages = nullptr;  // list controls (not owned)
  std::vector<AfxControlTool> tools;  // tooltips
  bool tipsActive = true;
  int editRow = -1;             // list controls: the row whose label is being edited
  HWND editWnd = nullptr;
  COLORREF color = CLR_DEFAULT; // rich edits: the background colour
  CString bitmapName;           // bitmap buttons: the caption AutoLoad loaded images for
};

// The state of a control window, null for a window that is not a control.
AfxControlState* AfxGetControlState(HWND hWnd);
// Dropped with its window (the window object calls this).
void AfxForgetControlState(HWND hWnd);
// A window being created by AfxCreateControl takes its state (CWnd::Create calls this before
// WM_CREATE); nothing for other windows.
void AfxAdoptPendingControlState(HWND hWnd);
// Creates a control window of the class with its state; the object becomes its window object.
BOOL AfxCreateControl(CWnd* pWnd, LPCWSTR lpszClass, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID);
// A window object of the class that goes with the class name (CButton for "Button"...), for a
// dialog creating the controls of its template; a plain CWnd for unknown names. Caller owns it.
CWnd* AfxNewControlObject(LPCWSTR lpszClass);

// Tells the parent: WM_COMMAND (code in the high word, the control's handle as lParam).
void AfxNotifyCommand(HWND hCtrl, int nCode);
// Tells the parent: WM_NOTIFY with the header filled from the control; returns the result.
LRESULT AfxNotifyParent(HWND hCtrl, NMHDR* pHdr, UINT nCode);

// The user's actions, as a toolkit peer or a test performs them. Each returns FALSE when the
// control cannot take the action (wrong kind, disabled, index out of range).
//   click a button (checks/unchecks automatic kinds, then BN_CLICKED);
BOOL AfxUserClick(HWND hCtrl);
//   replace an edit's or an editable combo's text by typing (the text limit applies; EN_UPDATE
//   and EN_CHANGE, or CBN_EDITUPDATE and CBN_EDITCHANGE);
BOOL AfxUserEditText(HWND hCtrl, LPCWSTR lpszText);
//   pick an entry: list box (LBN_SELCHANGE with LBS_NOTIFY), combo (CBN_SELCHANGE), tab
//   (TCN_SELCHANGING, which may refuse, then TCN_SELCHANGE), list-control row (LVN_ITEMCHANGED);
BOOL AfxUserSelect(HWND hCtrl, int nIndex);
//   move a slider or a spin button (WM_HSCROLL / WM_VSCROLL to the parent, SB_THUMBPOSITION).
BOOL AfxUserSetPos(HWND hCtrl, int nPos);

// Whether an index names one of the control's items.
inline bool AfxItemInRange(const AfxControlState* s, int i) {
  return s && i >= 0 && i < static_cast<int>(s->items.size());
}

// Base of the standard controls: access to the state and the change notice for the peer.
class CControlWnd : public CWnd {
  DECLARE_DYNAMIC(CControlWnd)

 public:
  AfxControlState* State() const { return m_hWnd ? AfxGetControlState(m_hWnd) : nullptr; }
  // Paints the control's rows into a device context (lists); nothing by default. Painting the
  // window does this with the backend's context.
  virtual void DrawRows(CDC*) {}

 protected:
  BOOL CreateControl(LPCWSTR lpszClass, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    return AfxCreateControl(this, lpszClass, lpszText, dwStyle, rect, pParentWnd, nID);
  }
  // The model changed: the peer re-reads it.
  void Changed() const;
  // WM_PAINT through DrawRows.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
