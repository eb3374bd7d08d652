#include "velmora/shell/Resources.h"

#include "velmora/shell/BarResources.h"
#include "velmora/shell/MainMenu.h"

#include "platform/afx/DocView.h"
#include "platform/afx/Print.h"
#include "platform/win/Menu.h"
#include "platform/win/Resource.h"
#include "velmora/dialogs/AboutBox.h"
#include "velmora/pictures/KxScan.h"

const wchar_t* const kDocTypeString =
    L"Velmora V9\nuntitled\nVelmora\n.vlm\n.vlm\nVelmora.Document\nVelmora Document";

namespace {
// Table 100 in its order. Entries without FVIRTKEY name a character (Alt with punctuation).
const ACCEL kAccel[] = {
    {FVIRTKEY | FCONTROL, 'B', ID_ARRANGE_BLOCK},
    {FVIRTKEY | FCONTROL, 'E', ID_ARRANGE_UNBLOCK},
    {FALT, '.', ID_ALIGN_VERT_CENTER},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 2, ID_ALIGN_BOTTOM},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 5, ID_ALIGN_CENTER},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 4, ID_ALIGN_LEFT},
    {FALT, ',', ID_ALIGN_HORZ_CENTER},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 6, ID_ALIGN_RIGHT},
    {FVIRTKEY | FCONTROL | FALT, 'A', ID_ALIGN_SAME_SIZE},
    {FVIRTKEY | FCONTROL | FALT, 'W', ID_ALIGN_SAME_WIDTH},
    {FVIRTKEY | FCONTROL | FALT, 'H', ID_ALIGN_SAME_HEIGHT},
    {FALT, '[', ID_ALIGN_HORZ_SPACING},
    {FALT, ']', ID_ALIGN_VERT_SPACING},
    {FVIRTKEY | FCONTROL, VK_NUMPAD0 + 8, ID_ALIGN_TOP},
    {FVIRTKEY | FCONTROL, 'G', ID_ARRANGE_GROUP},
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'U', ID_ARRANGE_UNGROUP},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
    {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL, 'A', ID_EDIT_SELECT_ALL},
    {FVIRTKEY | FCONTROL, 'I', ID_EDIT_INVERSE_SELECTION},
    {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY, VK_ESCAPE, ID_KEY_ESC},
    {FVIRTKEY | FCONTROL, 'R', ID_FILE_IMPORT},
    {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL | FSHIFT, 'S', ID_FILE_SAVE_AS},
    {FVIRTKEY | FCONTROL, 'M', ID_MODE_SYMBOL_LIBRARY},
    {FVIRTKEY | FALT, '2', ID_MEASURE_ANGLE},
    {FVIRTKEY | FALT, '4', ID_MEASURE_AREA},
    {FVIRTKEY | FALT, '1', ID_MEASURE_DISTANCE},
    {FVIRTKEY | FALT, '3', ID_MEASURE_PERIMETER},
    {FVIRTKEY | FALT, '5', ID_MEASURE_RADIUS},
    {FVIRTKEY | FCONTROL, 'F', ID_VIEW_FILL},
    {FVIRTKEY, VK_RETURN, ID_KEY_ENTER},
    {FVIRTKEY | FCONTROL, 'K', ID_MODE_NODE},
    {FVIRTKEY | FCONTROL, 'T', ID_MODE_TEXT},
    {FVIRTKEY, VK_F1, ID_HELP_FINDER},
    {FVIRTKEY, VK_F1 + 9, ID_VIEW_PAN},
    {FVIRTKEY, VK_F1 + 10, ID_VIEW_PREV},
    {FVIRTKEY, VK_F1 + 4, ID_VIEW_REDRAW},
    {FVIRTKEY, VK_F1 + 5, ID_VIEW_ZOOM_WINDOW},
    {FVIRTKEY, VK_F1 + 7, ID_VIEW_FIT_ALL},
    {FVIRTKEY, VK_F1 + 6, ID_VIEW_ZOOM_DYNAMIC},
    {FVIRTKEY, VK_F1 + 8, ID_VIEW_FIT_PAGE},
    // Typed as text while the text tools are current (the frame lets them through then).
    {FVIRTKEY | FSHIFT, 'H', ID_XFORM_MIRROR_H},
    // Nothing in the program handles ID_PLUGIN_SHIFT_V; a plug-in may.
    {FVIRTKEY | FSHIFT, 'V', ID_PLUGIN_SHIFT_V},
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
