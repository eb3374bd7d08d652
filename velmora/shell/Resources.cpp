#include "velmora/shell/Resources.h"

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
                                                  {ID_EDIT_PASTE, L"Paste(&P)\tCtrl+V"}})),
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
                                                  {ID_VIEW_GRID, L"Grids(&B)\tShow/Hide"}})),
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

const ACCEL kAccel[] = {
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL | FSHIFT, 'S', ID_FILE_SAVE_AS},
    {FVIRTKEY | FCONTROL, 'R', ID_FILE_IMPORT},
    {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, 0x2D /* Insert */, ID_EDIT_COPY},
    {FVIRTKEY | FSHIFT, 0x2D /* Insert */, ID_EDIT_PASTE},
    {FVIRTKEY, 0x79 /* F10 */, ID_VIEW_PAN},
    {FVIRTKEY, 0x7A /* F11 */, ID_VIEW_PREV},
    {FVIRTKEY, 0x75 /* F6 */, ID_VIEW_ZOOM_WINDOW},
    {FVIRTKEY, 0x77 /* F8 */, ID_VIEW_FIT_ALL},
    {FVIRTKEY, 0x76 /* F7 */, ID_VIEW_ZOOM_DYNAMIC},
    {FVIRTKEY, 0x78 /* F9 */, ID_VIEW_FIT_PAGE},
};
}  // namespace

void RegisterShellResources() {
  velmora::win::RegisterMenuResource(IDR_MAINFRAME, &BuildMainMenu);
  velmora::win::RegisterAcceleratorResource(IDR_MAINFRAME, kAccel, int(sizeof kAccel / sizeof kAccel[0]));
  velmora::win::RegisterStringResource(IDR_MAINFRAME, kDocTypeString);
}
