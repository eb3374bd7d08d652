#include "platform/afx/ObList.h"

#include "platform/afx/Archive.h"

#include <memory>
#include <vector>

template class CList<CObject*, CObject*>;
template class CList<void*, void*>;

IMPLEMENT_SERIAL(CObList, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrList, CObject)

void CObList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(static_cast<DWORD_PTR>(GetCount()));
    for (POSITION pos = GetHeadPosition(); pos;) ar << GetNext(pos);
  } else {
    // A failed load leaves the list as it was: its own entries come out again and the objects
    // it made are freed (a back-reference belongs to whoever read it first).
    const INT_PTR nOld = GetCount();
    std::vector<CObject*> made;
    try {
      for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
        CObject* pOb = ar.ReadObject(nullptr);
        if (ar.IsLastObjectNew()) {
          std::unique_ptr<CObject> owned(pOb);
          made.push_back(pOb);
          owned.release();
        }
        AddTail(pOb);
      }
    } catch (...) {
      while (GetCount() > nOld) RemoveTail();
      for (auto it = made.rbegin(); it != made.rend(); ++it) delete *it;
      throw;
    }
  }
}
