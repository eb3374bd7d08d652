// The program's own command classes by name: one entry per class this build has. Rows of the
// registration table whose class has no entry yet are skipped at registration.
#include "velmora/command/CommandFactory.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/commands/ViewCommands.h"


CCommand* cmdCreateOwnCommand(const char* className, int flag, const wchar_t* name) {
  static const CmdMaker kEntries[] = {
      {"CViewZoomInCmd", &cmdMake<CViewZoomInCmd>},   {"CViewZoomOutCmd", &cmdMake<CViewZoomOutCmd>},
      {"CViewZoomDynCmd", &cmdMake<CViewZoomDynCmd>}, {"CViewPanCmd", &cmdMake<CViewPanCmd>},
      {"CView3DRotCmd", &cmdMake<CView3DRotCmd>},     {"CViewRegionCmd", &cmdMake<CViewRegionCmd>},
      {"CViewAllCmd", &cmdMake<CViewAllCmd>},         {"CViewAllPageCmd", &cmdMake<CViewAllPageCmd>},
      {"CViewPrevCmd", &cmdMake<CViewPrevCmd>},
  };
  return cmdMakeByName(kEntries, className, flag, name);
}
