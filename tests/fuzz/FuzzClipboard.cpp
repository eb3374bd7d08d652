// Reads a clipboard payload as Paste does: the centre of the copied box and the entity list.
// What it accepts is freed; what it refuses leaves the list empty.
#include "db/DbEntity.h"
#include "platform/vurode/Accessors.h"
#include "velmora/shell/DraftonDoc.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  double centre[2] = {0, 0};
  CDbEntityList entities;
  if (CDraftonDoc::LoadClipboardPayload(data, size, centre, entities)) {
    if (entities.IsEmpty()) std::abort();  // accepted, yet nothing to paste
    while (!entities.IsEmpty()) delete entities.RemoveHead();
  } else if (!entities.IsEmpty()) {
    std::abort();  // refused, yet entities handed out
  }
  gRestoreVurodeDefaults();
  return 0;
}
