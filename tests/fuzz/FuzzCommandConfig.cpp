// Reads "Command.cfg" as the main frame does at start-up: the layer tab strip's words, then the
// command hub's settings and each registered command's record. A refused file must leave every
// command's settings as they were.
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/vurode/Accessors.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/KxTabWnd.h"
#include "velmora/shell/ShellCommands.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<BYTE> StoredHub(COrdvale& hub) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    hub.Serialize(ar);
    ar.Close();
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

COrdvale* gHub = nullptr;
std::vector<BYTE>* gBaseline = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gRestoreVurodeDefaults();
  gHub = new COrdvale;
  gSetOrdvale(gHub);
  cmdSetShellCommandMaker(&shellMakeCommand);
  cmdRegisterAppCommands();
  cmdRegisterMainCommands();
  gBaseline = new std::vector<BYTE>(StoredHub(*gHub));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<BYTE> bytes(data, data + size);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CKxTabWnd tabs;
  bool loaded = true;
  try {
    CArchive ar(&file, CArchive::load, 512);
    tabs.Serialize(ar);
    gHub->Serialize(ar);
  } catch (const CException&) {
    loaded = false;
  }
  if (!loaded && StoredHub(*gHub) != *gBaseline) std::abort();  // a refused file changed a setting
  if (loaded) {
    // Back to the start for the next input.
    CMemFile base(gBaseline->data(), static_cast<UINT>(gBaseline->size()));
    CArchive ar(&base, CArchive::load);
    gHub->Serialize(ar);
  }
  gRestoreVurodeDefaults();
  gSetOrdvale(gHub);
  return 0;
}
