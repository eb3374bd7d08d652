// The program's own command classes by name: one entry per class.
#include "velmora/commandlib/CommandFactory.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/commands/LayerManageCmd.h"
#include "velmora/commands/MeasureCommands.h"
#include "velmora/commands/ViewCommands.h"

namespace {
CmdOwnMaker& ShellMaker() {
  static CmdOwnMaker maker = nullptr;
  return maker;
}
}  // namespace

void cmdSetShellCommandMaker(CmdOwnMaker maker) { ShellMaker() = maker; }

CCommand* cmdCreateOwnCommand(const char* className, int flag, const wchar_t* name) {
  static const CmdMaker kEntries[] = {
      {"CViewZoomInCmd", &cmdMake<CViewZoomInCmd>},     {"CViewZoomOutCmd", &cmdMake<CViewZoomOutCmd>},
      {"CViewZoomDynCmd", &cmdMake<CViewZoomDynCmd>},   {"CViewPanCmd", &cmdMake<CViewPanCmd>},
      {"CView3DRotCmd", &cmdMake<CView3DRotCmd>},       {"CViewRegionCmd", &cmdMake<CViewRegionCmd>},
      {"CViewAllCmd", &cmdMake<CViewAllCmd>},           {"CViewAllPageCmd", &cmdMake<CViewAllPageCmd>},
      {"CViewPrevCmd", &cmdMake<CViewPrevCmd>},         {"CMeaDistCmd", &cmdMake<CMeaDistCmd>},
      {"CMeaAngCmd", &cmdMake<CMeaAngCmd>},             {"CMeaPeriMeterCmd", &cmdMake<CMeaPeriMeterCmd>},
      {"CMeaAreaCmd", &cmdMake<CMeaAreaCmd>},           {"CMeaRadiusCmd", &cmdMake<CMeaRadiusCmd>},
      {"CLayerManageCmd", &cmdMake<CLayerManageCmd>},
  };
  if (CCommand* cmd = cmdMakeByName(kEntries, className, flag, name)) return cmd;
  return ShellMaker() ? ShellMaker()(className, flag, name) : nullptr;
}
