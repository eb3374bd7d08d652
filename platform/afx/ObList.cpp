#include "platform/afx/ObList.h"

#include "platform/afx/Archive.h"

template class CList<CObject*, CObject*>;
template class CList<void*, void*>;

IMPLEMENT_SERIAL(CObList, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrList, CObject)

void CObList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(static_cast<DWORD_PTR>(GetCount()));
    for (POSITION pos = GetHeadPosition(); pos;) ar << GetNext(pos);
  } else {
    for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
      CObject* pOb;
      ar >> pOb;
      AddTail(pOb);
    }
  }
}
