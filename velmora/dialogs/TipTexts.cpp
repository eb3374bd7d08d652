// The tips of "Tip of the Day" and their animations. The order is fixed: pictures belong to tip
// numbers.
#include "velmora/dialogs/AboutboxHelpPrompt.h"

#include "platform/win/Resource.h"
#include "velmora/pictures/GifFile.h"

#include <utility>

namespace {
const wchar_t* const kTips[] = {
    L"\r\nNews, samples and answers to common questions are on our web site: https://velmora.example.com",
    L"\r\nCTRL+Z to Undo; CTRL+Y to Redo.",
    L"\r\nClick right mouse key to end the command.",
    L"\r\nPress CTRL+F to Filled Display, and vice versa.",
    L"\r\nTurn the mouse wheel to zoom about the cursor.",
    L"\r\nHold the middle mouse button down to pan the view.",
    L"\r\nDouble-click the middle mouse button to fit the whole drawing in the view.",
    L"\r\nPageUp and PageDown zoom in and out in steps.",
    L"\r\nPrev View returns to the view before the last zoom or pan.",
    L"\r\nZoom Window: drag a rectangle to fill the view with it.",
    L"\r\nFit to Page shows the whole drawing page.",
    L"\r\nThe layer tabs below the view switch the current layer with one click.",
    L"\r\nA locked layer shows its entities but keeps them from being selected.",
    L"\r\nHide a layer to draw faster; its entities stay in the drawing.",
    L"\r\nSnap to end points, mid points and centres from the snap toolbar.",
    L"\r\nHold SHIFT while drawing a line to keep it horizontal or vertical.",
    L"\r\nType coordinates in the prompt line for exact points.",
    L"\r\nPress ESC to cancel the running command.",
    L"\r\nA right click repeats the last command when none is running.",
    L"\r\nSelect with a window from left to right for entities wholly inside it.",
    L"\r\nSelect with a window from right to left for entities crossing it too.",
    L"\r\nCTRL+A selects every entity on the visible layers.",
    L"\r\nDELETE removes the selected entities.",
    L"\r\nCopy and paste carry entities between drawings.",
    L"\r\nMeasure distances, angles and areas from the measuring toolbar.",
    L"\r\nThe status bar shows the cursor's coordinates in the current unit.",
    L"\r\nChange the unit from the unit menu; the drawing keeps its size.",
    L"\r\nGuide lines help to line up entities; they never print.",
    L"\r\nDrag a guide line out of the ruler to place it.",
    L"\r\nThe grid settings set spacing and angle of the grid.",
    L"\r\nTurn the grid on and off with the grid button.",
    L"\r\nOffset a curve to draw a parallel one at a distance.",
    L"\r\nTrim cuts curves at their intersections with others.",
    L"\r\nExtend lengthens a curve up to a boundary.",
    L"\r\nFillet rounds a corner with an arc of a given radius.",
    L"\r\nChamfer cuts a corner with a straight edge.",
    L"\r\nMirror copies entities about a line.",
    L"\r\nArray copies entities in rows and columns or around a centre.",
    L"\r\nRotate turns entities about a base point.",
    L"\r\nScale grows or shrinks entities about a base point.",
    L"\r\nMove and Copy take a base point and a target point.",
    L"\r\nText can be placed along a curve.",
    L"\r\nImport reads other drawing formats through the plug-ins.",
    L"\r\nExport writes the selected entities only when you ask for it.",
    L"\r\nScan an image straight into the drawing with Image Scan.",
    L"\r\nA scanned or imported image can be traced into curves.",
    L"\r\nThe design centre keeps your favourite blocks at hand.",
    L"\r\nDrag a block from the design centre into the view to place it.",
    L"\r\nNotes keep remarks with the drawing file.",
    L"\r\nAuto-save keeps a copy of your work every few minutes.",
    L"\r\nThe backup file is kept beside the drawing when you save.",
    L"\r\nClosed curves can be filled with a colour.",
    L"\r\nA toolpath follows the boundary at the tool's radius.",
    L"\r\nPocketing clears the inside of a closed boundary.",
    L"\r\nIslands inside a pocket boundary are left standing.",
    L"\r\nSet the tool's diameter before creating a toolpath.",
    L"\r\nA smaller step-over gives a smoother finish.",
    L"\r\nSurface paths run as Z-level contours or parallel rasters.",
    L"\r\nToolpaths can be hidden to see the drawing clearly.",
    L"\r\nRotate the 3D view with the rotate command.",
    L"\r\nShaded and wire views switch from the view menu.",
    L"\r\nThe views from top, front and side are one click away.",
    L"\r\nPrint at a fixed scale; large drawings spread over several sheets.",
    L"\r\nAdaptive printing fits the whole page on one sheet.",
    L"\r\nPrint preview shows every sheet before printing.",
    L"\r\nPrint to a PDF file to share a drawing.",
    L"\r\nThe toolbars can be docked on any side of the window.",
    L"\r\nToolbar settings choose which buttons are shown.",
    L"\r\nRight-click a toolbar to show or hide toolbars.",
    L"\r\nThe calculator is on the tools menu.",
    L"\r\nF1 opens the help.",
    L"\r\nRecently used drawings are at the bottom of the file menu.",
    L"\r\nDrop a drawing file on the window to open it.",
    L"\r\nThe drawing page size is set in the page settings.",
    L"\r\nBlocks group entities that belong together.",
    L"\r\nExplode a block to edit its entities one by one.",
    L"\r\nDimensions follow the entities they measure.",
    L"\r\nUndo goes back step by step, as far as you like.",
    L"\r\nThe tip of the day can be turned off below.",
    L"\r\nMeasure twice, cut once.",
    L"\r\nShorter toolpaths save machine time.",
    L"A good drawing is half the work.",
    L"\r\nEnjoy designing with Velmora!",
};
static_assert(std::size(kTips) == 83);

constexpr std::pair<int, UINT> kPictures[] = {
    {3, 1046},  {5, 1048},  {6, 1049},  {7, 1050},  {8, 1051},  {9, 1052},  {10, 1053}, {11, 1054}, {14, 1055},
    {15, 1056}, {16, 1057}, {18, 1058}, {19, 1059}, {20, 1060}, {21, 1061}, {25, 1062}, {26, 1063}, {27, 1064},
    {28, 1065}, {29, 1066}, {30, 1067}, {31, 1068}, {32, 1069}, {33, 1070}, {35, 1071}, {36, 1072}, {39, 1073},
    {40, 1074}, {41, 1075}, {43, 1076}, {45, 1077}, {47, 1078}, {48, 1079}, {50, 1080}, {51, 1081}, {52, 1082},
    {53, 1083}, {54, 1084}, {56, 1085}, {58, 1086}, {60, 1087}, {62, 1088}, {63, 1089}, {64, 1090}, {65, 1091},
    {66, 1092}, {67, 1093}, {72, 1094}, {73, 1095}, {74, 1096}, {75, 1097}, {79, 1098}, {83, 1099},
};

// A small animation per picture: a square crossing a white field in eight steps, its colour
// and path taken from the picture number so that neighbouring tips look different.
std::vector<BYTE> TipAnimation(UINT id) {
  constexpr int W = 120, H = 80, S = 16, kSteps = 8;
  const std::vector<uint32_t> palette = {0xFFFFFF, 0x1F5FBF, 0xBF3F1F, 0x2F9F3F, 0x404040};
  const BYTE colour = static_cast<BYTE>(1 + id % 3);
  const bool diagonal = id % 2 == 0;
  std::vector<GifWriteFrame> frames;
  GifWriteFrame field;
  field.width = W;
  field.height = H;
  field.delay = 40;
  field.pixels.assign(W * H, 0);
  for (int x = 0; x < W; ++x) field.pixels[(H - 1) * W + x] = field.pixels[x] = 4;
  frames.push_back(field);
  for (int i = 0; i < kSteps; ++i) {
    GifWriteFrame f;
    f.left = 4 + i * (W - S - 8) / (kSteps - 1);
    f.top = diagonal ? 4 + i * (H - S - 8) / (kSteps - 1) : (H - S) / 2;
    f.width = S;
    f.height = S;
    f.delay = 25;
    f.disposal = 2;
    f.pixels.assign(S * S, colour);
    frames.push_back(std::move(f));
  }
  return GifWrite(W, H, palette, frames);
}
}  // namespace

const std::vector<CString>& KxTipTexts() {
  static const std::vector<CString> tips(std::begin(kTips), std::end(kTips));
  return tips;
}

UINT KxTipPicture(int tipNumber) {
  for (const auto& [tip, id] : kPictures)
    if (tip == tipNumber) return id;
  return 0;
}

void KxRegisterTipPictures() {
  for (const auto& entry : kPictures) velmora::win::RegisterDataResource(entry.second, L"GIF", TipAnimation(entry.second));
}
