#include "velmora/heskel/HeskelCmds.h"

#include "velmora/commandlib/CommandFactory.h"
#include "velmora/heskel/ToolCmd.h"


int CTextInputCmd::StartUp(int sub) {
  CEditCmd::StartUp(sub);
  Cancel();
  return 0;
}

CCommand* hskCreateCommand(const char* className, int flag, const wchar_t* name) {
  static const CmdMaker kEntries[] = {
      {"CToolCmd", &cmdMake<CToolCmd>},         {"CToolNodeCmd", &cmdMake<CToolNodeCmd>},
      {"CTextMainCmd", &cmdMake<CTextMainCmd>}, {"CGraphLibCmd", &cmdMake<CGraphLibCmd>},
      {"CTextInputCmd", &cmdMake<CTextInputCmd>},
  };
  return cmdMakeByName(kEntries, className, flag, name);
}
