// CList: a doubly linked list of values. A POSITION is the address of a node: it stays valid
// while other nodes are inserted or removed, and becomes invalid only when its own node goes.
// Misuse that can be detected (a null position, the head of an empty list) throws
// CInvalidArgException; allocation failure throws CMemoryException.
#pragma once

#include "platform/afx/Exception.h"
#include "platform/afx/Object.h"

#include <new>
#include <utility>

struct AfxPositionTag;
using POSITION = AfxPositionTag*;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
 protected:
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    TYPE data;
  };

 public:
  using BASE_TYPE = TYPE;
  using BASE_ARG_TYPE = ARG_TYPE;

  // Nodes are allocated one by one, so the block size only keeps callers' signatures.
  explicit CList(INT_PTR nBlockSize = 10) { (void)nBlockSize; }
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;
  ~CList() override { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  TYPE& GetHead() { return NonEmpty(m_pNodeHead)->data; }
  const TYPE& GetHead() const { return NonEmpty(m_pNodeHead)->data; }
  TYPE& GetTail() { return NonEmpty(m_pNodeTail)->data; }
  const TYPE& GetTail() const { return NonEmpty(m_pNodeTail)->data; }
  TYPE RemoveHead() { return Take(NonEmpty(m_pNodeHead)); }
  TYPE RemoveTail() { return Take(NonEmpty(m_pNodeTail)); }

  POSITION AddHead(ARG_TYPE newElement) { return InsertNode(nullptr, m_pNodeHead, newElement); }
  POSITION AddTail(ARG_TYPE newElement) { return InsertNode(m_pNodeTail, nullptr, newElement); }
  // Copies the other list's elements (it may be this list).
  void AddHead(CList* pNewList) {
    if (!pNewList) AfxThrowInvalidArgException();
    const INT_PTR n = pNewList->m_nCount;
    CNode* p = pNewList->m_pNodeTail;
    for (INT_PTR i = 0; i < n; ++i, p = p->pPrev) AddHead(p->data);
  }
  void AddTail(CList* pNewList) {
    if (!pNewList) AfxThrowInvalidArgException();
    const INT_PTR n = pNewList->m_nCount;
    CNode* p = pNewList->m_pNodeHead;
    for (INT_PTR i = 0; i < n; ++i, p = p->pNext) AddTail(p->data);
  }
  void RemoveAll() {
    for (CNode* p = m_pNodeHead; p;) {
      CNode* next = p->pNext;
      delete p;
      p = next;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
  }

  POSITION GetHeadPosition() const { return ToPos(m_pNodeHead); }
  POSITION GetTailPosition() const { return ToPos(m_pNodeTail); }
  // Return the element at rPosition and move it on (null after the last element).
  TYPE& GetNext(POSITION& rPosition) { CNode* n = Node(rPosition); rPosition = ToPos(n->pNext); return n->data; }
  const TYPE& GetNext(POSITION& rPosition) const { CNode* n = Node(rPosition); rPosition = ToPos(n->pNext); return n->data; }
  TYPE& GetPrev(POSITION& rPosition) { CNode* n = Node(rPosition); rPosition = ToPos(n->pPrev); return n->data; }
  const TYPE& GetPrev(POSITION& rPosition) const { CNode* n = Node(rPosition); rPosition = ToPos(n->pPrev); return n->data; }
  TYPE& GetAt(POSITION position) { return Node(position)->data; }
  const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
  void SetAt(POSITION pos, ARG_TYPE newElement) { Node(pos)->data = newElement; }
  void RemoveAt(POSITION position) { Take(Node(position)); }

  // A null position inserts at the head (before) or the tail (after).
  POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
    if (!position) return AddHead(newElement);
    CNode* n = Node(position);
    return InsertNode(n->pPrev, n, newElement);
  }
  POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
    if (!position) return AddTail(newElement);
    CNode* n = Node(position);
    return InsertNode(n, n->pNext, newElement);
  }

  // The first element equal to the value after startAfter (from the head when null), or null.
  POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
    CNode* p = startAfter ? Node(startAfter)->pNext : m_pNodeHead;
    for (; p; p = p->pNext)
      if (p->data == searchValue) return ToPos(p);
    return nullptr;
  }
  // Null for an index outside [0, count).
  POSITION FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
    CNode* p = m_pNodeHead;
    while (nIndex--) p = p->pNext;
    return ToPos(p);
  }

 private:
  static POSITION ToPos(CNode* p) { return reinterpret_cast<POSITION>(p); }
  static CNode* Node(POSITION pos) {
    if (!pos) AfxThrowInvalidArgException();
    return reinterpret_cast<CNode*>(pos);
  }
  static CNode* NonEmpty(CNode* p) {
    if (!p) AfxThrowInvalidArgException();
    return p;
  }

  POSITION InsertNode(CNode* prev, CNode* next, ARG_TYPE value) {
    CNode* n;
    try {
      n = new CNode{next, prev, value};
    } catch (const std::bad_alloc&) {
      AfxThrowMemoryException();
    }
    (prev ? prev->pNext : m_pNodeHead) = n;
    (next ? next->pPrev : m_pNodeTail) = n;
    ++m_nCount;
    return ToPos(n);
  }

  TYPE Take(CNode* n) {
    (n->pPrev ? n->pPrev->pNext : m_pNodeHead) = n->pNext;
    (n->pNext ? n->pNext->pPrev : m_pNodeTail) = n->pPrev;
    --m_nCount;
    TYPE value(std::move(n->data));
    delete n;
    return value;
  }

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  INT_PTR m_nCount = 0;
};
