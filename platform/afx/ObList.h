// CObList (CObject pointers, serialisable) and CPtrList (untyped pointers): the two lists that
// typed pointer lists build on. Null entries are allowed; the lists do not own their elements.
#pragma once

#include "platform/afx/List.h"

class CObList : public CList<CObject*, CObject*> {
  DECLARE_SERIAL(CObList)

 public:
  explicit CObList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
  // The element count (WriteCount), then each element as an object (null allowed). Loading
  // appends; on an exception the list is left as it was and the objects the load made are freed.
  void Serialize(CArchive& ar) override;
};

class CPtrList : public CList<void*, void*> {
  DECLARE_DYNAMIC(CPtrList)

 public:
  explicit CPtrList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};

extern template class CList<CObject*, CObject*>;
extern template class CList<void*, void*>;
