// The commands of the Command library that this build registers under their names and ids
// without a working body yet: starting one does nothing and ends it at once.
#pragma once

#include "velmora/commandlib/EditCmd.h"
#include "velmora/ordvale/CommandOps.h"

class CIdleCmd : public CEditCmd {
 public:
  using CEditCmd::CEditCmd;
  // Ends at once; 0: nothing was done.
  int StartUp(int sub) override;
  // Offered disabled, so menus and buttons do not promise what the command cannot do.
  int IsEnable(int) override { return 0; }
};

#define VELMORA_IDLE_COMMANDS(X)                                                                     \
  X(CImageTraceCmd) X(CImageSectionCmd) X(CGenPointCmd) X(CGenPolygonCmd) X(CGenStarCmd)             \
  X(CGenEllipseCmd) X(CGenBezierCmd) X(CGenHandDrawCmd) X(CGenDoublePLineCmd) X(CGenComCurveCmd)      \
  X(CGenRectestCmd) X(CGenUnionCmd) X(CDecUnionCmd) X(CGenBlockCmd) X(CBreakBlockCmd) X(CGenArrowCmd) \
  X(CGenSpiralCmd) X(CGenWaveCmd) X(CFormulaCmd) X(CMoveRelCmd) X(CMirrorCmd) X(CScaleCmd)           \
  X(CArrayCmd) X(CCurveArrayCmd) X(CLineArrayCmd) X(CArcArrayCmd) X(CSpiralArrayCmd) X(CDirectCmd)    \
  X(CPerspectTrfmCmd) X(CEnvelopeTrfmCmd) X(CPushTrfmCmd) X(CTwistTrfmCmd) X(CShiftCmd)              \
  X(CDelIntLoopCmd) X(CMinPackCmd) X(CBiarcFitCmd) X(CAlignCmd) X(CLockCmd) X(COffsetCmd)            \
  X(CExpandCmd) X(CDivideCmd) X(CBmpBrightCmd) X(CImageInvertCmd) X(CTrimCmd) X(CMultiSplitCmd)      \
  X(CCloseCurveCmd) X(CBoolCmd) X(CSimpleSplitCmd) X(CTextToShapeCmd) X(CStringOntoCurveCmd) X(CTextSerialNumCmd) X(CHollowTextCmd) \
  X(CTextReplaceCmd) X(CTextReverseCmd) X(CMAxisCmd) X(CTextFontSizeCmd)

#define VELMORA_DECLARE_IDLE(Name)                                                 \
  class Name : public CIdleCmd {                                                   \
   public:                                                                         \
    Name(int flag, const wchar_t* name) : CIdleCmd(flag, name, 0) {}               \
  };
VELMORA_IDLE_COMMANDS(VELMORA_DECLARE_IDLE)
#undef VELMORA_DECLARE_IDLE

// Interactive nesting: the program hands it stock and parts and asks for mirrored or set-down
// parts; nothing is nested yet, so each call leaves the drawing as it is.
class CInterPackCmd : public CIdleCmd, public CNestingOps {
 public:
  CInterPackCmd(int flag, const wchar_t* name) : CIdleCmd(flag, name, 0) {}
  void AddStock() override {}
  void AddPart() override {}
  void RemovePart() override {}
  void MirrorPart(int) override {}
  void SetDownPart(int) override {}
};
