// CTypedPtrList<CObList, T*> and CTypedPtrList<CPtrList, T*>: a pointer list whose members take
// and return T*. Elements come back by value (a converted pointer), never as a reference into
// the node, so the conversion stays correct whatever T's base layout.
#pragma once

#include "platform/afx/ObList.h"

template <class BASE_CLASS, class TYPE>
class CTypedPtrList : public BASE_CLASS {
  using Base = BASE_CLASS;

 public:
  explicit CTypedPtrList(INT_PTR nBlockSize = 10) : Base(nBlockSize) {}

  TYPE GetHead() const { return Cast(Base::GetHead()); }
  TYPE GetTail() const { return Cast(Base::GetTail()); }
  TYPE RemoveHead() { return Cast(Base::RemoveHead()); }
  TYPE RemoveTail() { return Cast(Base::RemoveTail()); }
  TYPE GetNext(POSITION& rPosition) const { return Cast(Base::GetNext(rPosition)); }
  TYPE GetPrev(POSITION& rPosition) const { return Cast(Base::GetPrev(rPosition)); }
  TYPE GetAt(POSITION position) const { return Cast(Base::GetAt(position)); }
  void SetAt(POSITION pos, TYPE newElement) { Base::SetAt(pos, newElement); }

  // The element goes in as the base's element type, so that a list of lists cannot pick the
  // base's append-a-whole-list overload.
  POSITION AddHead(TYPE newElement) { return Base::AddHead(Elem(newElement)); }
  POSITION AddTail(TYPE newElement) { return Base::AddTail(Elem(newElement)); }
  void AddHead(CTypedPtrList* pNewList) { Base::AddHead(pNewList); }
  void AddTail(CTypedPtrList* pNewList) { Base::AddTail(pNewList); }
  POSITION InsertBefore(POSITION position, TYPE newElement) { return Base::InsertBefore(position, newElement); }
  POSITION InsertAfter(POSITION position, TYPE newElement) { return Base::InsertAfter(position, newElement); }
  POSITION Find(TYPE searchValue, POSITION startAfter = nullptr) const {
    return Base::Find(searchValue, startAfter);
  }

 private:
  static TYPE Cast(typename Base::BASE_TYPE p) { return static_cast<TYPE>(p); }
  static typename Base::BASE_TYPE Elem(TYPE p) { return p; }
};
