// Loads one object of whatever serial class the stream's own class tag names, as a document
// does, and frees it. Every library with serial classes is linked, so any of them can be picked.
#include "platform/afx/Archive.h"
#include "platform/afx/ClassRegistry.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/ObList.h"
#include "platform/vurode/Accessors.h"

#include "SerialClasses.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

// Referenced so the linker keeps every serial library, whatever its as-needed default.
#include "db/DbCurve.h"
#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/vurode/Tool.h"

namespace {
[[maybe_unused]] const CRuntimeClass* const kKeep[] = {RUNTIME_CLASS(CGeLine), RUNTIME_CLASS(CGeLine3d),
                                                       RUNTIME_CLASS(CGeMesh), RUNTIME_CLASS(CGeGrid),
                                                       RUNTIME_CLASS(CTool), RUNTIME_CLASS(CDbCurve)};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* name : kSerialClasses) {
    const CRuntimeClass* c = CRuntimeClass::FromName(name);
    if (!c || !c->IsSerializable()) {
      std::fprintf(stderr, "fuzz_archive: serial class %s is not registered\n", name);
      std::abort();
    }
  }
  for (const CRuntimeClass* c : AfxGetRegisteredClasses()) {
    if (!c->IsSerializable()) continue;
    bool listed = false;
    for (const char* name : kSerialClasses) listed = listed || std::strcmp(name, c->m_lpszClassName) == 0;
    if (!listed) {
      std::fprintf(stderr, "fuzz_archive: serial class %s is missing from SerialClasses.h\n", c->m_lpszClassName);
      std::abort();
    }
  }
  gRestoreVurodeDefaults();
  return 0;
}

namespace {
// A list does not own its elements, so whoever loads one frees them: every object the list
// reaches, nested lists included, exactly once (an element may be a back-reference to another
// element or to a list itself).
void FreeLoaded(CObject* root) {
  std::unordered_set<CObject*> seen;
  std::vector<CObject*> todo{root};
  while (!todo.empty()) {
    CObject* ob = todo.back();
    todo.pop_back();
    if (!ob || !seen.insert(ob).second) continue;
    if (auto* list = dynamic_cast<CObList*>(ob))
      for (POSITION pos = list->GetHeadPosition(); pos;) todo.push_back(list->GetNext(pos));
  }
  for (CObject* ob : seen) delete ob;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<BYTE> bytes(data, data + size);
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CObject* ob = nullptr;
  try {
    CArchive ar(&file, CArchive::load);
    ob = ar.ReadObject(nullptr);
    // The first object of a stream is never a back-reference, so a non-null one is ours.
  } catch (const CException&) {
    ob = nullptr;  // the archive deleted what it was loading
  }
  FreeLoaded(ob);
  gRestoreVurodeDefaults();
  return 0;
}
