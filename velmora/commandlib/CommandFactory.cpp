#include "velmora/commandlib/CommandFactory.h"

#include "velmora/commandlib/DrawCmds.h"
#include "velmora/commandlib/EditSelCmds.h"
#include "velmora/commandlib/IdleCmds.h"
#include "velmora/commandlib/ImageScanCmd.h"

#include <cstring>

namespace {

#define VELMORA_ENTRY(Name) {#Name, &cmdMake<Name>},
const CmdMaker kEntries[] = {
    VELMORA_IDLE_COMMANDS(VELMORA_ENTRY)
    VELMORA_ENTRY(CInterPackCmd)
    VELMORA_ENTRY(CImageScanCmd)
    VELMORA_ENTRY(CGenLineCmd)
    VELMORA_ENTRY(CGenPLineCmd)
    VELMORA_ENTRY(CGenRectCmd)
    VELMORA_ENTRY(CGenArcCmd)
    VELMORA_ENTRY(CGenCircleCmd)
    VELMORA_ENTRY(CMoveCmd)
    VELMORA_ENTRY(CRotateCmd)
    VELMORA_ENTRY(CDelCmd)
};
#undef VELMORA_ENTRY

}  // namespace

CCommand* cmdMakeByName(std::span<const CmdMaker> makers, const char* className, int flag, const wchar_t* name) {
  if (!className) return nullptr;
  for (const CmdMaker& m : makers)
    if (std::strcmp(m.className, className) == 0) return m.make(flag, name);
  return nullptr;
}

CCommand* cmdCreateCommand(const char* className, int flag, const wchar_t* name) {
  return cmdMakeByName(kEntries, className, flag, name);
}
