// Opens a file as File > Open does, into a document that holds a drawing: the file check, the
// thumbnail block and the drawing database. A refused file must leave the drawing, its notes and
// the modified flag as they were.
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "platform/afx/String.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "velmora/shell/DraftonDoc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

int QuietBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

struct Fixture {
  CDBase db;
  CDraftonDoc* doc = nullptr;
  std::string path;

  Fixture() {
    gSetDBase(&db);
    doc = new CDraftonDoc;
    path = "/tmp/fuzz_document-" + std::to_string(::getpid()) + ".vlm";
    Reset();
  }
  // The drawing every input is opened over: one line, notes, unsaved.
  void Reset() {
    db.DeleteAllEntity();
    const double a[2] = {0, 0}, b[2] = {1, 1};
    db.AddTail(dbGenLine(a, b));
    db.SetNotes(CString(L"kept"));
    doc->SetModifiedFlag(TRUE);
  }
};

Fixture* gFixture = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora::win::SetMessageBoxHandler(&QuietBox);
  gRestoreVurodeDefaults();
  gFixture = new Fixture;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  Fixture& f = *gFixture;
  FILE* out = std::fopen(f.path.c_str(), "wb");
  if (!out) std::abort();
  if (size && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);
  if (f.doc->OnOpenDocument(CString::FromUtf8(f.path))) {
    f.Reset();
  } else if (f.db.GetCount() != 1 || f.db.GetNotes() != CString(L"kept") || !f.doc->IsModified()) {
    std::abort();  // a refused file changed the open drawing
  }
  ::unlink(f.path.c_str());
  gRestoreVurodeDefaults();
  gSetDBase(&f.db);
  return 0;
}
