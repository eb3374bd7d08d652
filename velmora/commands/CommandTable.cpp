#include "velmora/commands/CommandTable.h"

#include "platform/vurode/Accessors.h"
#include "velmora/commandlib/CommandFactory.h"
#include "velmora/heskel/HeskelCmds.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"

#include <memory>

namespace {

constexpr CmdLibrary O = CmdLibrary::Own, C = CmdLibrary::Command, H = CmdLibrary::Heskel;

const CmdRow kAppRows[] = {
    {"CPasteCmd", O, L"Paste", 1, ID_EDIT_PASTE},
    {"CImportCmd", O, L"Import File", 1, ID_FILE_IMPORT},
    {"CExportCmd", O, L"Export File", 1, ID_FILE_EXPORT},
    {"CImageTraceCmd", C, L"Image Tracing", 1, ID_IMAGE_TRACE},
    {"CImageScanCmd", C, L"Image Scan", 1, ID_IMAGE_SCAN_CMD},
    {"CImageSectionCmd", C, L"Image Stripping", 1, ID_IMAGE_STRIP},
    {"CGenPointCmd", C, L"Point", 1, ID_DRAW_POINT},
    {"CGenLineCmd", C, L"Line", 1, ID_DRAW_LINE},
    {"CGenRectCmd", C, L"Rectangle", 1, ID_DRAW_RECT},
    {"CGenPolygonCmd", C, L"Regular Polygon", 1, ID_DRAW_POLYGON},
    {"CGenStarCmd", C, L"Star", 1, ID_DRAW_STAR},
    {"CGenCircleCmd", C, L"Circle", 1, ID_DRAW_CIRCLE},
    {"CGenArcCmd", C, L"Arc", 1, ID_DRAW_ARC},
    {"CGenEllipseCmd", C, L"Ellipse", 1, ID_DRAW_ELLIPSE},
    {"CGenBezierCmd", C, L"Bezier", 1, ID_DRAW_SPLINE},
    {"CGenPLineCmd", C, L"Polyline", 1, ID_DRAW_POLYLINE},
    {"CGenHandDrawCmd", C, L"Hand draw", 1, ID_DRAW_HAND},
    {"CGenDoublePLineCmd", C, L"Double Polyline", 1, ID_DRAW_DOUBLE_POLYLINE},
    {"CGenComCurveCmd", C, L"Combine Curve", 1, ID_DRAW_COMBINE_CURVE},
    {"CGenRectestCmd", C, L"Bounding Box", 1, ID_DRAW_BOUNDING_BOX},
    {"CGenUnionCmd", C, L"Group", 1, ID_ARRANGE_GROUP},
    {"CDecUnionCmd", C, L"UnGroup", 1, ID_ARRANGE_UNGROUP},
    {"CGenBlockCmd", C, L"Compose Block", 1, ID_ARRANGE_BLOCK},
    {"CBreakBlockCmd", C, L"Decompose Block", 1, ID_ARRANGE_UNBLOCK},
    {"CGenArrowCmd", C, L"Arrow", 1, ID_DRAW_ARROW},
    {"CGenSpiralCmd", C, L"Spiral", 1, ID_DRAW_SPIRAL},
    {"CGenWaveCmd", C, L"Wave Curve", 1, ID_DRAW_WAVE},
    {"CFormulaCmd", C, L"Formula Curve", 1, ID_DRAW_EQUATION},
    {"CMoveCmd", C, L"Move", 1, ID_XFORM_MOVE},
    {"CMoveRelCmd", C, L"Relative Move", 1, ID_XFORM_MOVE_REL},
    {"CRotateCmd", C, L"Rotate", 1, ID_XFORM_ROTATE},
    {"CMirrorCmd", C, L"Mirror", 1, ID_XFORM_MIRROR},
    {"CScaleCmd", C, L"Scale", 1, ID_XFORM_SCALE},
    {"CArrayCmd", C, L"Array Duplication", 1, ID_XFORM_COPY_RECT},
    {"CCurveArrayCmd", C, L"Duplication along a Curve", 1, ID_XFORM_COPY_ALONG_CURVE},
    {"CLineArrayCmd", C, L"Duplication along a Line", 1, ID_XFORM_COPY_ALONG_LINE},
    {"CArcArrayCmd", C, L"Duplication along a Arc", 1, ID_XFORM_COPY_ALONG_ARC},
    {"CSpiralArrayCmd", C, L"Involue Array", 1, ID_XFORM_COPY_ALONG_SPIRAL},
    {"CDirectCmd", C, L"Direction", 1, ID_XFORM_DIRECTION},
    {"CPerspectTrfmCmd", C, L"Perspective Distortion", 1, ID_XFORM_PERSPECTIVE},
    {"CEnvelopeTrfmCmd", C, L"Envelope Distortion", 1, ID_XFORM_ENVELOPE},
    {"CPushTrfmCmd", C, L"Push and Pull Distortion", 1, ID_XFORM_PUSH_PULL},
    {"CTwistTrfmCmd", C, L"Twist Distortion", 1, ID_XFORM_TWIST},
    {"CShiftCmd", C, L"Shear", 1, ID_XFORM_SHEAR},
    {"CDelIntLoopCmd", C, L"Delete overlay loop", 1, ID_CURVE_DEL_OVERLAY_LOOP},
    {"CMinPackCmd", C, L"Auto Nesting", 1, ID_NEST_AUTO},
    {"CInterPackCmd", C, L"Interactive Nesting", 1, ID_NEST_INTERACTIVE},
    {"CBiarcFitCmd", C, L"Arc Fit", 1, ID_CURVE_ARC_FIT},
    {"CViewZoomInCmd", O, L"Zoom In", 0, ID_VIEW_ZOOM_OUT_MENU},
    {"CViewZoomOutCmd", O, L"Zoom Out", 0, ID_VIEW_ZOOM_IN_MENU},
    {"CViewZoomDynCmd", O, L"Dynamic Zoom", 0, ID_VIEW_ZOOM_DYNAMIC},
    {"CViewPanCmd", O, L"Pan View", 0, ID_VIEW_PAN},
    {"CView3DRotCmd", O, L"Rotate View", 0, ID_VIEW_ROTATE},
    {"CViewRegionCmd", O, L"Zoom Window", 0, ID_VIEW_ZOOM_WINDOW},
    {"CViewAllCmd", O, L"Fit to ALL", 0, ID_VIEW_FIT_ALL},
    {"CViewAllPageCmd", O, L"Fit to Page", 0, ID_VIEW_FIT_PAGE},
    {"CViewPrevCmd", O, L"Prev View", 0, ID_VIEW_PREV},
    {"CMeaDistCmd", O, L"Distance Measure", 0, ID_MEASURE_DISTANCE},
    {"CMeaAngCmd", O, L"Angle Measure", 0, ID_MEASURE_ANGLE},
    {"CMeaPeriMeterCmd", O, L"Perimeter Measure", 0, ID_MEASURE_PERIMETER},
    {"CMeaAreaCmd", O, L"Area Measure", 0, ID_MEASURE_AREA},
    {"CMeaRadiusCmd", O, L"inscribed circle Radius Measure", 0, ID_MEASURE_RADIUS},
    {"CDelCmd", C, L"Delete", 1, ID_EDIT_DELETE},
    {"CAlignCmd", C, L"Align", 1, ID_ALIGN_CMD},
    {"CLockCmd", C, L"Lock/Unlock", 1, ID_EDIT_LOCK},
    {"COffsetCmd", C, L"Offset", 1, ID_CURVE_OFFSET},
    {"CExpandCmd", C, L"Expand", 1, ID_CURVE_EXPAND},
    {"CDivideCmd", C, L"Divide", 1, ID_CURVE_DIVIDE},
    {"CBmpBrightCmd", C, L"Image Edit", 1, ID_IMAGE_EDIT},
    {"CImageInvertCmd", C, L"Invert", 1, ID_IMAGE_INVERT},
    {"CTrimCmd", C, L"Trim", 1, ID_CURVE_TRIM},
    {"CMultiSplitCmd", C, L"Complex Slice", 1, ID_SLICE_PARALLEL},
    {"CCloseCurveCmd", C, L"Close", 1, ID_CURVE_CLOSE},
    {"CBoolCmd", C, L"Boolean Operation", 1, ID_BOOL_JOIN},
    {"CSimpleSplitCmd", C, L"Simple Slice", 1, ID_SLICE_LINEAR},
    {"CTextInputCmd", H, L"Rapid Input", 1, ID_TEXT_RAPID_INPUT},
    {"CTextToShapeCmd", C, L"Covert to Curves", 1, ID_TEXT_TO_CURVES},
    {"CStringOntoCurveCmd", C, L"Text Along a Curve", 1, ID_TEXT_ALONG_CURVE},
    {"CTextSerialNumCmd", C, L"Serial Number Text", 1, ID_TEXT_SERIAL_NUMBER},
    {"CHollowTextCmd", C, L"Hollow Text", 1, ID_TEXT_HOLLOW},
    {"CTextReplaceCmd", C, L"Text Replace", 1, ID_TEXT_REPLACE},
    {"CTextReverseCmd", C, L"Text Reverse", 1, ID_TEXT_REVERSE},
    {"CMAxisCmd", C, L"Single Stroke", 1, ID_TEXT_SINGLE_STROKE},
    {"CTextFontSizeCmd", C, L"Font Size", 1, ID_TEXT_FONT_SIZE},
};

const CmdRow kMainRows[] = {
    {"CToolCmd", H, L"Draft Edit Command", 1, ID_MODE_SELECTION},
    {"CToolNodeCmd", H, L"Node Edit Command", 1, ID_MODE_NODE},
    {"CTextMainCmd", H, L"Text Edit Command", 1, ID_MODE_TEXT},
    {"CGraphLibCmd", H, L"Gallery Edit Command", 1, ID_MODE_SYMBOL_LIBRARY},
    {"CLayerManageCmd", O, L"Layer", 1, ID_LAYER_CMD},
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
  if (CCommand* tool = hub->GetMainCmd(ID_MODE_SELECTION)) hub->SetCurMainCmd(tool);
}
