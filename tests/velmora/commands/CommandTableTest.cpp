// The registration table: every row as the program's vocabulary fixes it, and what the hub
// holds after the view's registration.
#include "CommandHubFixture.h"

#include "velmora/ordvale/Command.h"

#include <memory>
#include <set>
#include <span>
#include <string>

namespace {

struct Expected {
  const char* cls;
  CmdLibrary lib;
  const wchar_t* name;
  int flag;
  UINT id;
};

constexpr CmdLibrary O = CmdLibrary::Own, C = CmdLibrary::Command, H = CmdLibrary::Heskel;

// Written out again from the command vocabulary, so a slip in the program's table shows.
const Expected kApp[] = {
    {"CPasteCmd", O, L"Paste", 1, 57637}, {"CImportCmd", O, L"Import File", 1, 32848},
    {"CExportCmd", O, L"Export File", 1, 32999}, {"CImageTraceCmd", C, L"Image Tracing", 1, 32935},
    {"CImageScanCmd", C, L"Image Scan", 1, 32839}, {"CImageSectionCmd", C, L"Image Stripping", 1, 32950},
    {"CGenPointCmd", C, L"Point", 1, 32776}, {"CGenLineCmd", C, L"Line", 1, 32774},
    {"CGenRectCmd", C, L"Rectangle", 1, 32777}, {"CGenPolygonCmd", C, L"Regular Polygon", 1, 32782},
    {"CGenStarCmd", C, L"Star", 1, 32783}, {"CGenCircleCmd", C, L"Circle", 1, 32775},
    {"CGenArcCmd", C, L"Arc", 1, 32786}, {"CGenEllipseCmd", C, L"Ellipse", 1, 32778},
    {"CGenBezierCmd", C, L"Bezier", 1, 32779}, {"CGenPLineCmd", C, L"Polyline", 1, 32903},
    {"CGenHandDrawCmd", C, L"Hand draw", 1, 33005}, {"CGenDoublePLineCmd", C, L"Double Polyline", 1, 32973},
    {"CGenComCurveCmd", C, L"Combine Curve", 1, 32904}, {"CGenRectestCmd", C, L"Bounding Box", 1, 32930},
    {"CGenUnionCmd", C, L"Group", 1, 32926}, {"CDecUnionCmd", C, L"UnGroup", 1, 32927},
    {"CGenBlockCmd", C, L"Compose Block", 1, 33072}, {"CBreakBlockCmd", C, L"Decompose Block", 1, 33073},
    {"CGenArrowCmd", C, L"Arrow", 1, 32948}, {"CGenSpiralCmd", C, L"Spiral", 1, 32961},
    {"CGenWaveCmd", C, L"Wave Curve", 1, 32962}, {"CFormulaCmd", C, L"Formula Curve", 1, 33154},
    {"CMoveCmd", C, L"Move", 1, 32795}, {"CMoveRelCmd", C, L"Relative Move", 1, 32995},
    {"CRotateCmd", C, L"Rotate", 1, 32933}, {"CMirrorCmd", C, L"Mirror", 1, 32801},
    {"CScaleCmd", C, L"Scale", 1, 32796}, {"CArrayCmd", C, L"Array Duplication", 1, 33164},
    {"CCurveArrayCmd", C, L"Duplication along a Curve", 1, 32797},
    {"CLineArrayCmd", C, L"Duplication along a Line", 1, 32959},
    {"CArcArrayCmd", C, L"Duplication along a Arc", 1, 32960}, {"CSpiralArrayCmd", C, L"Involue Array", 1, 32963},
    {"CDirectCmd", C, L"Direction", 1, 32836}, {"CPerspectTrfmCmd", C, L"Perspective Distortion", 1, 32951},
    {"CEnvelopeTrfmCmd", C, L"Envelope Distortion", 1, 32956},
    {"CPushTrfmCmd", C, L"Push and Pull Distortion", 1, 32971},
    {"CTwistTrfmCmd", C, L"Twist Distortion", 1, 32974}, {"CShiftCmd", C, L"Shear", 1, 32982},
    {"CDelIntLoopCmd", C, L"Delete overlay loop", 1, 32994}, {"CMinPackCmd", C, L"Auto Nesting", 1, 32992},
    {"CInterPackCmd", C, L"Interactive Nesting", 1, 33000}, {"CBiarcFitCmd", C, L"Arc Fit", 1, 32996},
    {"CViewZoomInCmd", O, L"Zoom In", 0, 32808}, {"CViewZoomOutCmd", O, L"Zoom Out", 0, 32809},
    {"CViewZoomDynCmd", O, L"Dynamic Zoom", 0, 32807}, {"CViewPanCmd", O, L"Pan View", 0, 32805},
    {"CView3DRotCmd", O, L"Rotate View", 0, 33128}, {"CViewRegionCmd", O, L"Zoom Window", 0, 32806},
    {"CViewAllCmd", O, L"Fit to ALL", 0, 32810}, {"CViewAllPageCmd", O, L"Fit to Page", 0, 32812},
    {"CViewPrevCmd", O, L"Prev View", 0, 32811}, {"CMeaDistCmd", O, L"Distance Measure", 0, 32802},
    {"CMeaAngCmd", O, L"Angle Measure", 0, 32814}, {"CMeaPeriMeterCmd", O, L"Perimeter Measure", 0, 32946},
    {"CMeaAreaCmd", O, L"Area Measure", 0, 32947},
    {"CMeaRadiusCmd", O, L"inscribed circle Radius Measure", 0, 33044},
    {"CDelCmd", C, L"Delete", 1, 32818}, {"CAlignCmd", C, L"Align", 1, 32819},
    {"CLockCmd", C, L"Lock/Unlock", 1, 32773}, {"COffsetCmd", C, L"Offset", 1, 32852},
    {"CExpandCmd", C, L"Expand", 1, 32958}, {"CDivideCmd", C, L"Divide", 1, 32964},
    {"CBmpBrightCmd", C, L"Image Edit", 1, 32862}, {"CImageInvertCmd", C, L"Invert", 1, 33001},
    {"CTrimCmd", C, L"Trim", 1, 32834}, {"CMultiSplitCmd", C, L"Complex Slice", 1, 32897},
    {"CCloseCurveCmd", C, L"Close", 1, 32940}, {"CBoolCmd", C, L"Boolean Operation", 1, 32917},
    {"CSimpleSplitCmd", C, L"Simple Slice", 1, 32978}, {"CTextInputCmd", H, L"Rapid Input", 1, 32784},
    {"CTextToShapeCmd", C, L"Covert to Curves", 1, 32793},
    {"CStringOntoCurveCmd", C, L"Text Along a Curve", 1, 32914},
    {"CTextSerialNumCmd", C, L"Serial Number Text", 1, 32949}, {"CHollowTextCmd", C, L"Hollow Text", 1, 32977},
    {"CTextReplaceCmd", C, L"Text Replace", 1, 33002}, {"CTextReverseCmd", C, L"Text Reverse", 1, 33148},
    {"CMAxisCmd", C, L"Single Stroke", 1, 33006}, {"CTextFontSizeCmd", C, L"Font Size", 1, 33063},
};

const Expected kMain[] = {
    {"CToolCmd", H, L"Draft Edit Command", 1, 32853}, {"CToolNodeCmd", H, L"Node Edit Command", 1, 32854},
    {"CTextMainCmd", H, L"Text Edit Command", 1, 32855}, {"CGraphLibCmd", H, L"Gallery Edit Command", 1, 32849},
    {"CLayerManageCmd", O, L"Layer", 1, 33052},
};

void ExpectRows(std::span<const CmdRow> rows, std::span<const Expected> expected) {
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1) + " " + expected[i].cls);
    EXPECT_STREQ(rows[i].className, expected[i].cls);
    EXPECT_EQ(rows[i].library, expected[i].lib);
    EXPECT_STREQ(rows[i].displayName, expected[i].name);
    EXPECT_EQ(rows[i].flag, expected[i].flag);
    EXPECT_EQ(rows[i].id, expected[i].id);
  }
}

}  // namespace

TEST(CommandTable, RowsAreTheVocabulary) {
  ExpectRows(cmdAppTable(), kApp);
  ExpectRows(cmdMainTable(), kMain);
  const std::pair<const wchar_t*, const wchar_t*> shortcuts[] = {
      {L"Point", L"P"},   {L"Line", L"L"},      {L"Arc", L"A"},           {L"Circle", L"C"},
      {L"Ellipse", L"E"}, {L"Rectangle", L"R"}, {L"Double Polyline", L"D"}, {L"Bezier", L"B"},
      {L"Combine Curve", L"M"}, {L"Regular Polygon", L"G"}, {L"Star", L"S"}, {L"Wave Curve", L"W"}};
  const auto table = cmdShortcutTable();
  ASSERT_EQ(table.size(), std::size(shortcuts));
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_STREQ(table[i].displayName, shortcuts[i].first);
    EXPECT_STREQ(table[i].key, shortcuts[i].second);
  }
}

// Every class of the two outside libraries exists; own classes exist as far as this build has
// them, and every command that exists is registered and found by its id and its name.
TEST_F(CommandHubTest, EveryRowThatCanBeMadeIsRegistered) {
  std::set<UINT> missing;
  for (const CmdRow& row : cmdAppTable()) {
    SCOPED_TRACE(row.className);
    CCommand* byId = hub.GetCmd(row.id);
    if (row.library != CmdLibrary::Own) {
      ASSERT_NE(byId, nullptr) << "outside classes all exist";
    }
    if (!byId) {
      missing.insert(row.id);
      continue;
    }
    EXPECT_EQ(byId->GetCmdName(), CString(row.displayName));
    EXPECT_EQ(byId->GetFlag(), row.flag);
    EXPECT_EQ(hub.GetCmd(row.displayName), byId);
  }
  for (const CmdRow& row : cmdMainTable()) {
    CCommand* cmd = hub.GetMainCmd(row.id);
    if (!cmd) {
      missing.insert(row.id);
      continue;
    }
    EXPECT_EQ(cmd->CCommand::GetCmdName(), CString(row.displayName));
    EXPECT_EQ(cmd->GetFlag(), row.flag);
  }
  // A row is missing only when its own class is not built yet.
  for (UINT id : missing) {
    bool own = false;
    for (const CmdRow& row : cmdAppTable()) own |= row.id == id && row.library == CmdLibrary::Own;
    for (const CmdRow& row : cmdMainTable()) own |= row.id == id && row.library == CmdLibrary::Own;
    EXPECT_TRUE(own) << id;
    std::unique_ptr<CCommand> made;
    for (const CmdRow& row : cmdAppTable())
      if (row.id == id) made.reset(cmdCreateForRow(row));
    EXPECT_EQ(made, nullptr) << id;
  }
  // The view commands are the program's own classes present here.
  for (UINT id : {32808u, 32809u, 32807u, 32805u, 33128u, 32806u, 32810u, 32812u, 32811u})
    EXPECT_NE(hub.GetCmd(id), nullptr) << id;

  ASSERT_NE(hub.GetMainCmd(32853), nullptr);
  EXPECT_EQ(hub.GetCurMainCmd(), hub.GetMainCmd(32853));
  EXPECT_EQ(hub.GetCurMainCmd()->HostType(), CCommand::kHostSelect);
  EXPECT_EQ(hub.GetMainCmd(32855)->HostType(), CCommand::kHostText);
  // Registered although no menu item carries them.
  EXPECT_NE(hub.GetCmd(32839u), nullptr);
  EXPECT_NE(hub.GetCmd(33063u), nullptr);
  // The display name, not the menu text, is what a lookup by name matches.
  EXPECT_EQ(hub.GetCmd(L"Zoom In")->GetID(), 32808u);
  EXPECT_EQ(hub.GetCmd(L"Zoom Out")->GetID(), 32809u);
  EXPECT_EQ(hub.GetCmd(L"Convert to Curves"), nullptr);
  EXPECT_NE(hub.GetCmd(L"Covert to Curves"), nullptr);
}

TEST_F(CommandHubTest, ShortcutsAndSecondRegistration) {
  EXPECT_EQ(hub.GetCmd(L"Bezier")->GetShortCut(), CString(L"B"));
  EXPECT_EQ(hub.GetCmd(L"Line")->GetShortCut(), CString(L"L"));
  EXPECT_EQ(hub.GetCmd(L"Polyline")->GetShortCut(), CString(L""));
  // A second view on the same hub registers nothing twice.
  CCommand* line = hub.GetCmd(32774u);
  cmdRegisterAppCommands();
  cmdRegisterMainCommands();
  EXPECT_EQ(hub.GetCmd(32774u), line);
  // Typing the shortcut while no command runs starts the command.
  hub.OnChar(L'l', 1, 0);
  EXPECT_EQ(hub.GetCurCmd(), line);
}

// The commands without a body end at once, change nothing and are offered disabled.
TEST_F(CommandHubTest, IdleCommandsEndAtOnce) {
  AddLine(0, 0, 10, 0);
  const std::set<UINT> working = {32774, 32903, 32777, 32786, 32775, 32795, 32933, 32818, 32839};
  int idle = 0;
  for (const CmdRow& row : cmdAppTable()) {
    if (row.library == CmdLibrary::Own || working.count(row.id)) continue;
    CCommand* cmd = hub.GetCmd(row.id);
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(hub.RunAppCmd(cmd, 0), 0) << row.className;
    EXPECT_EQ(hub.GetCurCmd(), nullptr) << row.className;
    EXPECT_EQ(cmd->IsEnable(0), 0) << row.className;
    Click(5, 5);
    ++idle;
  }
  EXPECT_GT(idle, 50);
  EXPECT_EQ(db.GetCount(), 1);
  EXPECT_EQ(gGetActManager()->GetCount(), 0);
}
