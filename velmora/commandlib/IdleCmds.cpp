#include "velmora/commandlib/IdleCmds.h"

int CIdleCmd::StartUp(int sub) {
  CEditCmd::StartUp(sub);
  Cancel();
  return 0;
}
