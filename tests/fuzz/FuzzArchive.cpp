// Loads one object of whatever serial class the stream's own class tag names, as a document
// does, and frees it. Every library with serial classes is linked, so any of them can be picked.
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/ObList.h"
#include "platform/vurode/Accessors.h"

#include "SerialClasses.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// Referenced so the linker keeps every serial library, whatever its as-needed default.
#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/vurode/Tool.h"

namespace {
[[maybe_unused]] const CRuntimeClass* const kKeep[] = {RUNTIME_CLASS(CGeLine), RUNTIME_CLASS(CGeLine3d),
                                                       RUNTIME_CLASS(CGeMesh), RUNTIME_CLASS(CGeGrid),
                                                       RUNTIME_CLASS(CTool)};

// A list does not own its elements, so loading one through ReadObject leaks what it had read
// when a later element fails; only its owner can free them. Lists are loaded by the classes that
// own them, never as a whole stream.
bool StartsWithList(const uint8_t* data, size_t size) {
  static constexpr uint8_t kNewList[] = {0xFF, 0xFF};
  const size_t name = 6;
  return size >= name + 7 && std::memcmp(data, kNewList, 2) == 0 && data[4] == 7 && data[5] == 0 &&
         std::memcmp(data + name, "CObList", 7) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* name : kSerialClasses) {
    const CRuntimeClass* c = CRuntimeClass::FromName(name);
    if (!c || !c->IsSerializable()) {
      std::fprintf(stderr, "fuzz_archive: serial class %s is not registered\n", name);
      std::abort();
    }
  }
  gRestoreVurodeDefaults();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20) || StartsWithList(data, size)) return 0;
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
  delete ob;
  gRestoreVurodeDefaults();
  return 0;
}
