// Reads a drawing file as the import of a document does: thumbnail block, notes, version word and
// the entity list. What it accepts is freed; what it refuses hands out no entity.
#include "db/DbEntity.h"
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/vurode/Accessors.h"
#include "velmora/shell/ImportExportCmds.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<BYTE> bytes(data, data + size);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CString notes;
  CDbEntityList entities;
  try {
    CArchive ar(&file, CArchive::load);
    CImportCmd::ReadDocument(ar, notes, entities);
  } catch (const CException&) {
    if (!entities.IsEmpty()) std::abort();  // refused, yet entities handed out
  }
  while (!entities.IsEmpty()) delete entities.RemoveHead();
  gRestoreVurodeDefaults();
  return 0;
}
