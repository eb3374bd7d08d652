#include "velmora/shell/Resources.h"

#include "velmora/shell/BarResources.h"

#include "platform/afx/DocView.h"
#include "platform/afx/Print.h"
#include "platform/win/Menu.h"
#include "platform/win/Resource.h"
#include "velmora/shell/AboutBox.h"
#include "velmora/shell/KxScan.h"

const wchar_t* const kDocTypeString =
    L"Velmora V9\nuntitled\nVelmora\n.vlm\n.vlm\nVelmora.Document\nVelmora Document";

namespace {
struct Item {
  UINT id;  // 0: separator
  const wchar_t* text;
};

HMENU Popup(std::initializer_list<Item> items) {
  HMENU menu = ::CreatePopupMenu();
  for (const Item& it : items) {
    if (it.id == 0)
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      ::AppendMenuW(menu, MF_STRING, it.id, it.text);
  }
  return menu;
}

HMENU BuildMainMenu() {
  HMENU bar = ::CreateMenu();
  ::AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup({{ID_FILE_NEW, L"New(&N)\tCtrl+N"},
                                                  {ID_FILE_OPEN, L"Open(&O)...\tCtrl+O"},
                                                  {ID_FILE_SAVE, L"Save(&S)\tCtrl+S"},
                                                  {ID_FILE_SAVE_AS, L"Save As(&A)...\tCtrl+Shift+S"},
                                                  {0, nullptr},
                                                  {ID_FILE_IMPORT, L"Import(&R)...\tCtrl+R"},
                                                  {ID_FILE_EXPORT_SELECTED, L"Export the selected..."},
                                                  {ID_FILE_NOTES, L"Notes..."},
                                                  {0, nullptr},
                                                  {ID_FILE_PRINT, L"Print(&P)..."},
                                                  {ID_FILE_PRINT_PREVIEW, L"Print Preview(&V)"},
                                                  {0, nullptr},
                                                  {ID_SCAN_SELECT, L"Select Scanner..."},
                                                  {ID_SCAN_ACQUIRE, L"Image Scan..."},
                                                  {0, nullptr},
                                                  {ID_APP_EXIT, L"Exit(&X)"}})),
                L"File(&F)");
  ::AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup({{ID_EDIT_UNDO, L"Undo(&U)\tCtrl+Z"},
                                                  {ID_EDIT_REDO, L"Redo(&R)\tCtrl+Y"},
                                                  {0, nullptr},
                                                  {ID_EDIT_CUT, L"Cut(&T)\tCtrl+X"},
                                                  {ID_EDIT_COPY, L"Copy(&C)\tCtrl+C"},
                                                  {ID_EDIT_PASTE, L"Paste(&P)\tCtrl+V"},
                                                  {0, nullptr},
                                                  {32928, L"Select All\tCtrl+A"},
                                                  {32929, L"Inverse Selection\tCtrl+I"}})),
                L"Edit(&E)");
  ::AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup({{ID_VIEW_ZOOM_IN_MENU, L"Zoom In(&I)\tPageUp"},
                                                  {ID_VIEW_ZOOM_OUT_MENU, L"Zoom Out(&M)\tPageDown"},
                                                  {ID_VIEW_ZOOM_WINDOW, L"Zoom Window\tF6"},
                                                  {ID_VIEW_ZOOM_DYNAMIC, L"Dynamic Zoom\tF7"},
                                                  {ID_VIEW_PAN, L"Pan View\tF10"},
                                                  {ID_VIEW_FIT_ALL, L"Fit to All\tF8"},
                                                  {ID_VIEW_FIT_PAGE, L"Fit to Page\tF9"},
                                                  {ID_VIEW_PREV, L"Prev View\tF11"},
                                                  {ID_VIEW_ROTATE, L"Rotate View"},
                                                  {0, nullptr},
                                                  {ID_VIEW_GRID, L"Grids(&B)\tShow/Hide"},
                                                  {32952, L"Guidelines Show/Hide"},
                                                  {32991, L"Redraw\tF5"},
                                                  {0, nullptr},
                                                  {32813, L"3D View"},
                                                  {32890, L"Front View(XZ)"},
                                                  {33088, L"Back View(XZ)"},
                                                  {32892, L"Top View(XY)"},
                                                  {33087, L"Bottom View(XY)"},
                                                  {33086, L"Right View(YZ)"},
                                                  {32891, L"Left View(YZ)"},
                                                  {32893, L"ISO View"},
                                                  {33083, L"Render"},
                                                  {33084, L"Shade"},
                                                  {33085, L"Wireframe Display"},
                                                  {0, nullptr},
                                                  {32844, L"Hide Object"},
                                                  {32845, L"Show Object"},
                                                  {32867, L"Filled Display\tCtrl+F"},
                                                  {0, nullptr},
                                                  {32837, L"System Settings"}})),
                L"View(&V)");
  ::AppendMenuW(bar, MF_POPUP,
                reinterpret_cast<UINT_PTR>(Popup({{ID_UNIT_MM, L"Millimetre"},
                                                  {ID_UNIT_CM, L"Centimetre"},
                                                  {ID_UNIT_INCH, L"Inch"},
                                                  {ID_UNIT_FEET, L"Feet"}})),
                L"Unit(&U)");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{ID_APP_ABOUT, L"About Velmora(&A)..."}})),
                L"Help(&H)");
  return bar;
}

// Table 100 in its order. Entries without FVIRTKEY name a character (Alt with punctuation).
const ACCEL kAccel[] = {
    {FVIRTKEY | FCONTROL, 'B', 33072},
    {FVIRTKEY | FCONTROL, 'E', 33073},
    {FALT, '.', 32825},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 2, 32823},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 5, 32824},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 4, 32820},
    {FALT, ',', 32826},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 6, 32821},
    {FVIRTKEY | FCONTROL | FALT, 'A', 32831},
    {FVIRTKEY | FCONTROL | FALT, 'W', 32829},
    {FVIRTKEY | FCONTROL | FALT, 'H', 32830},
    {FALT, '[', 32827},
    {FALT, ']', 32828},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 8, 32822},
    {FVIRTKEY | FCONTROL, 'G', 32926},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'U', 32927},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL, 'A', 32928},
    {FVIRTKEY | FCONTROL, 'I', 32929},
    {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY, VK_ESCAPE, 32850},
    {FVIRTKEY | FCONTROL, 'R', ID_FILE_IMPORT},
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'P', 57607 /* print */},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL | FSHIFT, 'S', ID_FILE_SAVE_AS},
    {FVIRTKEY | FCONTROL, 'M', 32849},
    {FVIRTKEY | FALT, '2', 32814},
    {FVIRTKEY | FALT, '4', 32947},
    {FVIRTKEY | FALT, '1', 32802},
    {FVIRTKEY | FALT, '3', 32946},
    {FVIRTKEY | FALT, '5', 33044},
    {FVIRTKEY | FCONTROL, 'F', 32867},
    {FVIRTKEY, VK_RETURN, 32816},
    {FVIRTKEY | FCONTROL, 'K', 32854},
    {FVIRTKEY | FCONTROL, 'T', 32855},
    {FVIRTKEY, VK_F1, 32954},
    {FVIRTKEY, VK_F1 + 9, ID_VIEW_PAN},
    {FVIRTKEY, VK_F1 + 10, ID_VIEW_PREV},
    {FVIRTKEY, VK_F1 + 4, 32991},
    {FVIRTKEY, VK_F1 + 5, ID_VIEW_ZOOM_WINDOW},
    {FVIRTKEY, VK_F1 + 7, ID_VIEW_FIT_ALL},
    {FVIRTKEY, VK_F1 + 6, ID_VIEW_ZOOM_DYNAMIC},
    {FVIRTKEY, VK_F1 + 8, ID_VIEW_FIT_PAGE},
    // Typed as text while the text tools are current (the frame lets them through then).
    {FVIRTKEY | FSHIFT, 'H', 32799},
    // Nothing in the program handles 33172; a plug-in may.
    {FVIRTKEY | FSHIFT, 'V', 33172},
};
}  // namespace

const ACCEL* ShellAccelerators(int* count) {
  if (count) *count = int(sizeof kAccel / sizeof kAccel[0]);
  return kAccel;
}

void RegisterShellResources() {
  velmora::win::RegisterMenuResource(IDR_MAINFRAME, &BuildMainMenu);
  velmora::win::RegisterAcceleratorResource(IDR_MAINFRAME, kAccel, int(sizeof kAccel / sizeof kAccel[0]));
  velmora::win::RegisterStringResource(IDR_MAINFRAME, kDocTypeString);
  RegisterBarResources();
}
