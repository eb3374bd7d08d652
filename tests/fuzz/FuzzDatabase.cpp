// Loads a drawing database stream (notes, version, entity list, layers, switches, work area)
// as a document does, into a database that already holds a drawing; a refused stream must
// leave that drawing whole.
#include "db/DBase.h"
#include "db/DbCurve.h"
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/vurode/Accessors.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

// Referenced so the linker keeps the serial libraries, whatever its as-needed default.
#include "geometry/shapes3d/GeLine3d.h"
namespace {
[[maybe_unused]] const CRuntimeClass* const kKeep[] = {RUNTIME_CLASS(CGeLine3d), RUNTIME_CLASS(CDbCurve)};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<BYTE> bytes(data, data + size);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CDBase db;
  const double a[2] = {0, 0}, b[2] = {1, 1};
  db.AddTail(dbGenLine(a, b));
  try {
    CArchive ar(&file, CArchive::load);
    db.Serialize(ar);
  } catch (const CException&) {
    if (db.GetCount() != 1) std::abort();  // a refused stream changed the drawing
  }
  db.InitLayer();
  gRestoreVurodeDefaults();
  return 0;
}
