#include "platform/afx/ObList.h"

#include "platform/afx/Archive.h"

#include <memory>
#include <vector>

template class CList<CObject*, CObject*>;
template class CList<void*, void*>;

IMPLEMENT_SERIAL(CObList, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrList, CObject)

namespace {
// What the list load that finished last on this thread made, its nested lists' elements
// included. A list owns no element, so a list that reads a nested list takes these over: when
// a later element of its own fails, they go with the nested list that made them.
struct LastLoad {
  const CObject* list = nullptr;
  std::vector<CObject*> made;
};
thread_local LastLoad tLastLoad;
}  // namespace

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
        tLastLoad = {};
        CObject* pOb = ar.ReadObject(nullptr);
        if (ar.IsLastObjectNew()) {
          std::unique_ptr<CObject> owned(pOb);
          // Only a plain list: a derived class may own its elements and free them itself.
          std::vector<CObject*> nested;
          if (pOb && tLastLoad.list == pOb && pOb->GetRuntimeClass() == RUNTIME_CLASS(CObList))
            nested = std::move(tLastLoad.made);
          tLastLoad = {};
          try {
            made.reserve(made.size() + 1 + nested.size());
          } catch (...) {
            for (CObject* e : nested) delete e;
            throw;
          }
          made.push_back(owned.release());
          made.insert(made.end(), nested.begin(), nested.end());
        }
        AddTail(pOb);
      }
    } catch (...) {
      tLastLoad = {};
      while (GetCount() > nOld) RemoveTail();
      for (auto it = made.rbegin(); it != made.rend(); ++it) delete *it;
      throw;
    }
    tLastLoad = {this, std::move(made)};
  }
}
