// The settings pages' layouts and the sheet that shows them.
#include "platform/afx/Control.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/win/MessageBox.h"
#include "velmora/shell/SettingsPages.h"

namespace {
constexpr UINT kLabel = 0xFFFF;  // a static text nobody addresses
constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kRadioFirst = BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

AfxDialogItem Label(const wchar_t* text, RECT r, UINT id = kLabel) { return {kStaticClass, id, text, r, SS_LEFT}; }

AfxDialogTemplate General() {
  using namespace setid;
  AfxDialogTemplate t;
  t.id = 334;
  t.caption = L"General";
  t.cx = 330;
  t.cy = 250;
  t.items = {
      Label(L"Discrete tolerance:", {10, 12, 120, 30}),
      {kEditClass, kTol, L"", {125, 10, 250, 32}, kEdit},
      Label(L"Discrete angle:", {10, 42, 120, 60}),
      {kEditClass, kAng, L"", {125, 40, 230, 62}, kEdit},
      Label(L"deg", {235, 42, 270, 60}),
      Label(L"Snap:", {10, 72, 120, 90}),
      {kEditClass, kPick, L"", {125, 70, 230, 92}, kEdit},
      Label(L"pixel", {235, 72, 270, 90}),
      {kButtonClass, kMM, L"Millimeter", {10, 102, 90, 122}, kRadioFirst},
      {kButtonClass, kCM, L"Centimeter", {95, 102, 175, 122}, kRadio},
      {kButtonClass, kInch, L"Inch", {180, 102, 240, 122}, kRadio},
      {kButtonClass, kFeet, L"Feet", {245, 102, 305, 122}, kRadio},
      {kButtonClass, kAutoSave, L"Auto Save", {10, 132, 100, 152}, kCheck},
      Label(L"Every", {105, 134, 145, 152}),
      {kComboBoxClass, kMinutes, L"", {150, 130, 210, 230}, CBS_DROPDOWN | WS_TABSTOP},
      Label(L"min.", {215, 134, 250, 152}),
      Label(L"Max Angle of Centerline", {10, 162, 150, 180}),
      {kEditClass, kMAxis, L"", {155, 160, 210, 182}, kEdit},
      Label(L"deg", {215, 162, 250, 180}),
      {kButtonClass, kShowUnit, L"Show Unit", {10, 192, 150, 212}, kCheck},
      {kButtonClass, kSmooth, L"View smooth transition", {160, 192, 320, 212}, kCheck},
      {kButtonClass, kDefault, L"Default config.", {10, 220, 120, 244}, kPush},
  };
  return t;
}

AfxDialogTemplate GuideLines() {
  using namespace setid;
  AfxDialogTemplate t;
  t.id = 495;
  t.caption = L"GuideLines";
  t.cx = 330;
  t.cy = 250;
  t.items = {
      {kListBoxClass, kList, L"", {10, 10, 160, 196}, LBS_NOTIFY | WS_BORDER | WS_TABSTOP},
      {kEditClass, kValue, L"", {170, 10, 320, 32}, kEdit},
      {kButtonClass, kHor, L"Horizontal ", {170, 40, 320, 60}, kRadioFirst},
      {kButtonClass, kVer, L"Vertical", {170, 62, 320, 82}, kRadio},
      {kButtonClass, kAdd, L"Add", {170, 90, 240, 114}, kPush | WS_GROUP},
      {kButtonClass, kModify, L"Modify", {250, 90, 320, 114}, kPush},
      {kButtonClass, kDelete, L"Delete", {170, 120, 240, 144}, kPush},
      {kButtonClass, kClear, L"Clear", {250, 120, 320, 144}, kPush},
      {kButtonClass, kShowGuide, L"Show Guideline", {170, 152, 320, 172}, kCheck},
      Label(L"Two kinds of guide line: horizontal  guideline and Vertical guideline. When mouse is placed on the "
            L"ruler of workaround and is dragged with left button pressed,a dash guideline show.",
            {10, 202, 320, 248}),
  };
  return t;
}

AfxDialogTemplate Grid() {
  using namespace setid;
  AfxDialogTemplate t;
  t.id = 247;
  t.caption = L"Grid";
  t.cx = 330;
  t.cy = 200;
  t.items = {
      {kButtonClass, kRect, L"Rectangular", {10, 10, 120, 30}, kRadioFirst},
      {kButtonClass, kRadial, L"Radial", {130, 10, 240, 30}, kRadio},
      {kStaticClass, kSpaceXLabel, L"Horizonal Space:", {10, 42, 120, 60}, SS_LEFT | WS_GROUP},
      {kEditClass, kSpaceX, L"", {125, 40, 220, 62}, kEdit},
      Label(L"Vertical Space:", {10, 72, 120, 90}, kSpaceYLabel),
      {kEditClass, kSpaceY, L"", {125, 70, 220, 92}, kEdit},
      Label(L"Angle(deg):", {10, 102, 120, 120}, kAngleLabel),
      {kEditClass, kAngle, L"", {125, 100, 220, 122}, kEdit | ES_NUMBER},
      Label(L"Line Space:", {10, 132, 120, 150}, kLineSpaceLabel),
      {kEditClass, kLineSpace, L"", {125, 130, 220, 152}, kEdit},
      {kButtonClass, kShowGrid, L"Show Grid", {10, 165, 150, 185}, kCheck},
  };
  return t;
}

AfxDialogTemplate Root() {
  AfxDialogTemplate t;
  t.id = 111;
  t.caption = L"Ostrand";
  t.cx = 330;
  t.cy = 120;
  t.items = {
      Label(L"Velmora", {10, 10, 320, 30}),
      Label(L"Settings of the program and of the drawing.", {10, 40, 320, 60}),
      Label(L"Choose a page on the left: guide lines, grid, or general settings.", {10, 70, 320, 110}),
  };
  return t;
}
}  // namespace

void RegisterSettingsTemplates() {
  for (const AfxDialogTemplate& t : {Root(), General(), GuideLines(), Grid()}) AfxRegisterDialogTemplate(t);
}

INT_PTR RunSettingsSheet(CWnd* parent) {
  RegisterSettingsTemplates();
  // The pages outlive the sheet, which lets go of them as it closes; they go in reverse order.
  CAboutDlgNew root;
  CSystemSetDlg guideLines;
  CGridSetDlg grid;
  CDlgSystemSet general;
  grid.FillFromDrawing();
  CKxPropertySheet sheet(L"System Settings", parent);
  sheet.AddRoot(&root, L"Ostrand", 111);
  sheet.AddPage(&guideLines, L"GuideLines", 495);
  sheet.AddPage(&grid, L"Grid", 247);
  sheet.AddPage(&general, L"General", 334);
  sheet.Light(0);
  const INT_PTR result = sheet.DoModal();
  if (result == IDOK) guideLines.Commit();
  return result;
}
