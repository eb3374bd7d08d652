#include "velmora/commands/CommandTable.h"

#include "platform/vurode/Accessors.h"
#include "velmora/command/CommandFactory.h"
#include "velmora/heskel/HeskelCmds.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"

#include <memory>

namespace {

constexpr CmdLibrary O = CmdLibrary::Own, C = CmdLibrary::Command, H = CmdLibrary::Heskel;

const CmdRow kAppRows[] = {
    {"CPasteCmd", O, L"Paste", 1, 57637},
    {"CImportCmd", O, L"Import File", 1, 32848},
    {"CExportCmd", O, L"Export File", 1, 32999},
    {"CImageTraceCmd", C, L"Image Tracing", 1, 32935},
    {"CImageScanCmd", C, L"Image Scan", 1, 32839},
    {"CImageSectionCmd", C, L"Image Stripping", 1, 32950},
    {"CGenPointCmd", C, L"Point", 1, 32776},
    {"CGenLineCmd", C, L"Line", 1, 32774},
    {"CGenRectCmd", C, L"Rectangle", 1, 32777},
    {"CGenPolygonCmd", C, L"Regular Polygon", 1, 32782},
    {"CGenStarCmd", C, L"Star", 1, 32783},
    {"CGenCircleCmd", C, L"Circle", 1, 32775},
    {"CGenArcCmd", C, L"Arc", 1, 32786},
    {"CGenEllipseCmd", C, L"Ellipse", 1, 32778},
    {"CGenBezierCmd", C, L"Bezier", 1, 32779},
    {"CGenPLineCmd", C, L"Polyline", 1, 32903},
    {"CGenHandDrawCmd", C, L"Hand draw", 1, 33005},
    {"CGenDoublePLineCmd", C, L"Double Polyline", 1, 32973},
    {"CGenComCurveCmd", C, L"Combine Curve", 1, 32904},
    {"CGenRectestCmd", C, L"Bounding Box", 1, 32930},
    {"CGenUnionCmd", C, L"Group", 1, 32926},
    {"CDecUnionCmd", C, L"UnGroup", 1, 32927},
    {"CGenBlockCmd", C, L"Compose Block", 1, 33072},
    {"CBreakBlockCmd", C, L"Decompose Block", 1, 33073},
    {"CGenArrowCmd", C, L"Arrow", 1, 32948},
    {"CGenSpiralCmd", C, L"Spiral", 1, 32961},
    {"CGenWaveCmd", C, L"Wave Curve", 1, 32962},
    {"CFormulaCmd", C, L"Formula Curve", 1, 33154},
    {"CMoveCmd", C, L"Move", 1, 32795},
    {"CMoveRelCmd", C, L"Relative Move", 1, 32995},
    {"CRotateCmd", C, L"Rotate", 1, 32933},
    {"CMirrorCmd", C, L"Mirror", 1, 32801},
    {"CScaleCmd", C, L"Scale", 1, 32796},
    {"CArrayCmd", C, L"Array Duplication", 1, 33164},
    {"CCurveArrayCmd", C, L"Duplication along a Curve", 1, 32797},
    {"CLineArrayCmd", C, L"Duplication along a Line", 1, 32959},
    {"CArcArrayCmd", C, L"Duplication along a Arc", 1, 32960},
    {"CSpiralArrayCmd", C, L"Involue Array", 1, 32963},
    {"CDirectCmd", C, L"Direction", 1, 32836},
    {"CPerspectTrfmCmd", C, L"Perspective Distortion", 1, 32951},
    {"CEnvelopeTrfmCmd", C, L"Envelope Distortion", 1, 32956},
    {"CPushTrfmCmd", C, L"Push and Pull Distortion", 1, 32971},
    {"CTwistTrfmCmd", C, L"Twist Distortion", 1, 32974},
    {"CShiftCmd", C, L"Shear", 1, 32982},
    {"CDelIntLoopCmd", C, L"Delete overlay loop", 1, 32994},
    {"CMinPackCmd", C, L"Auto Nesting", 1, 32992},
    {"CInterPackCmd", C, L"Interactive Nesting", 1, 33000},
    {"CBiarcFitCmd", C, L"Arc Fit", 1, 32996},
    {"CViewZoomInCmd", O, L"Zoom In", 0, 32808},
    {"CViewZoomOutCmd", O, L"Zoom Out", 0, 32809},
    {"CViewZoomDynCmd", O, L"Dynamic Zoom", 0, 32807},
    {"CViewPanCmd", O, L"Pan View", 0, 32805},
    {"CView3DRotCmd", O, L"Rotate View", 0, 33128},
    {"CViewRegionCmd", O, L"Zoom Window", 0, 32806},
    {"CViewAllCmd", O, L"Fit to ALL", 0, 32810},
    {"CViewAllPageCmd", O, L"Fit to Page", 0, 32812},
    {"CViewPrevCmd", O, L"Prev View", 0, 32811},
    {"CMeaDistCmd", O, L"Distance Measure", 0, 32802},
    {"CMeaAngCmd", O, L"Angle Measure", 0, 32814},
    {"CMeaPeriMeterCmd", O, L"Perimeter Measure", 0, 32946},
    {"CMeaAreaCmd", O, L"Area Measure", 0, 32947},
    {"CMeaRadiusCmd", O, L"inscribed circle Radius Measure", 0, 33044},
    {"CDelCmd", C, L"Delete", 1, 32818},
    {"CAlignCmd", C, L"Align", 1, 32819},
    {"CLockCmd", C, L"Lock/Unlock", 1, 32773},
    {"COffsetCmd", C, L"Offset", 1, 32852},
    {"CExpandCmd", C, L"Expand", 1, 32958},
    {"CDivideCmd", C, L"Divide", 1, 32964},
    {"CBmpBrightCmd", C, L"Image Edit", 1, 32862},
    {"CImageInvertCmd", C, L"Invert", 1, 33001},
    {"CTrimCmd", C, L"Trim", 1, 32834},
    {"CMultiSplitCmd", C, L"Complex Slice", 1, 32897},
    {"CCloseCurveCmd", C, L"Close", 1, 32940},
    {"CBoolCmd", C, L"Boolean Operation", 1, 32917},
    {"CSimpleSplitCmd", C, L"Simple Slice", 1, 32978},
    {"CTextInputCmd", H, L"Rapid Input", 1, 32784},
    {"CTextToShapeCmd", C, L"Covert to Curves", 1, 32793},
    {"CStringOntoCurveCmd", C, L"Text Along a Curve", 1, 32914},
    {"CTextSerialNumCmd", C, L"Serial Number Text", 1, 32949},
    {"CHollowTextCmd", C, L"Hollow Text", 1, 32977},
    {"CTextReplaceCmd", C, L"Text Replace", 1, 33002},
    {"CTextReverseCmd", C, L"Text Reverse", 1, 33148},
    {"CMAxisCmd", C, L"Single Stroke", 1, 33006},
    {"CTextFontSizeCmd", C, L"Font Size", 1, 33063},
};

const CmdRow kMainRows[] = {
    {"CToolCmd", H, L"Draft Edit Command", 1, CMD_ID_SELECTION_TOOL},
    {"CToolNodeCmd", H, L"Node Edit Command", 1, 32854},
    {"CTextMainCmd", H, L"Text Edit Command", 1, 32855},
    {"CGraphLibCmd", H, L"Gallery Edit Command", 1, 32849},
    {"CLayerManageCmd", O, L"Layer", 1, 33052},
};

const CmdShortcut kShortcuts[] = {
    {L"Point", L"P"},           {L"Line", L"L"},           {L"Arc", L"A"},       {L"Circle", L"C"},
    {L"Ellipse", L"E"},         {L"Rectangle", L"R"},      {L"Double Polyline", L"D"},
    {L"Bezier", L"B"},          {L"Combine Curve", L"M"},  {L"Regular Polygon", L"G"},
    {L"Star", L"S"},            {L"Wave Curve", L"W"},
};

// Makes, names and registers one row's command; FALSE when it was skipped.
template <class Reg>
BOOL RegisterRow(const CmdRow& row, Reg reg) {
  COrdvale* hub = gGetOrdvale();
  if (!hub || hub->GetCmd(row.id) || hub->GetMainCmd(row.id)) return FALSE;
  std::unique_ptr<CCommand> cmd(cmdCreateForRow(row));
  if (!cmd) return FALSE;
  cmd->SetID(row.id);
  // The hub is looked up afresh: a command's construction may have replaced it.
  hub = gGetOrdvale();
  if (!hub || !(hub->*reg)(cmd.get())) return FALSE;
  cmd.release();
  return TRUE;
}

}  // namespace

std::span<const CmdRow> cmdAppTable() { return kAppRows; }
std::span<const CmdRow> cmdMainTable() { return kMainRows; }
std::span<const CmdShortcut> cmdShortcutTable() { return kShortcuts; }

CCommand* cmdCreateForRow(const CmdRow& row) {
  switch (row.library) {
    case CmdLibrary::Own:
      return cmdCreateOwnCommand(row.className, row.flag, row.displayName);
    case CmdLibrary::Command:
      return cmdCreateCommand(row.className, row.flag, row.displayName);
    case CmdLibrary::Heskel:
      return hskCreateCommand(row.className, row.flag, row.displayName);
  }
  return nullptr;
}

void cmdRegisterAppCommands() {
  for (const CmdRow& row : kAppRows) RegisterRow(row, &COrdvale::RegAppCmd);
  COrdvale* hub = gGetOrdvale();
  if (!hub) return;
  for (const CmdShortcut& s : kShortcuts)
    if (CCommand* cmd = hub->GetCmd(s.displayName)) cmd->SetShortCut(s.key);
}

void cmdRegisterMainCommands() {
  for (const CmdRow& row : kMainRows) RegisterRow(row, &COrdvale::RegMainCmd);
  COrdvale* hub = gGetOrdvale();
  if (!hub) return;
  if (CCommand* tool = hub->GetMainCmd(CMD_ID_SELECTION_TOOL)) hub->SetCurMainCmd(tool);
}
