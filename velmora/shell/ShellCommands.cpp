#include "velmora/shell/ShellCommands.h"

#include "velmora/commandlib/CommandFactory.h"
#include "velmora/shell/ImportExportCmds.h"
#include "velmora/shell/PasteCmd.h"

CCommand* shellMakeCommand(const char* className, int flag, const wchar_t* name) {
  static const CmdMaker kEntries[] = {
      {"CPasteCmd", &cmdMake<CPasteCmd>},
      {"CImportCmd", &cmdMake<CImportCmd>},
      {"CExportCmd", &cmdMake<CExportCmd>},
  };
  return cmdMakeByName(kEntries, className, flag, name);
}
