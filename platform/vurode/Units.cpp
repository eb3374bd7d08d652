#include "platform/vurode/Units.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"

namespace {

struct UnitInfo {
  double mmPerUnit;
  const wchar_t* name;
};

constexpr UnitInfo kUnits[] = {{1.0, L"mm"}, {10.0, L"cm"}, {25.4, L"in"}, {304.8, L"ft"}, {1000.0, L"m"}};

const UnitInfo& Current() {
  const CKXGlobal* g = gGetKXGlobal();
  const int unit = g ? g->GetUnit() : CKXGlobal::kUnitMM;
  return kUnits[(unit >= 0 && unit < 5) ? unit : 0];
}

}  // namespace

double MM2CUR(double mm) { return mm / Current().mmPerUnit; }

const wchar_t* gUnitName() { return Current().name; }

CString gUnitFormat(const wchar_t* format) {
  CString out(format ? format : L"");
  out += L" ";
  out += Current().name;
  return out;
}
