// CArray: a growable array of values with checked indexes. An index outside the array throws
// CInvalidArgException; allocation failure throws CMemoryException and keeps the elements
// already in the array.
#pragma once

#include "platform/afx/Exception.h"
#include "platform/afx/Object.h"

#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
 public:
  CArray() = default;
  CArray(const CArray&) = delete;
  CArray& operator=(const CArray&) = delete;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }

  // New elements are value-initialised (zero for plain records). The growth step is left to
  // the container.
  void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
    (void)nGrowBy;
    if (nNewSize < 0) AfxThrowInvalidArgException();
    Guard([&] { m_data.resize(static_cast<size_t>(nNewSize)); });
  }
  void FreeExtra() { Guard([&] { m_data.shrink_to_fit(); }); }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR nIndex) const { return m_data[Check(nIndex)]; }
  TYPE& GetAt(INT_PTR nIndex) { return m_data[Check(nIndex)]; }
  void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[Check(nIndex)] = newElement; }
  const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[Check(nIndex)]; }
  TYPE& ElementAt(INT_PTR nIndex) { return m_data[Check(nIndex)]; }
  const TYPE& operator[](INT_PTR nIndex) const { return m_data[Check(nIndex)]; }
  TYPE& operator[](INT_PTR nIndex) { return m_data[Check(nIndex)]; }
  // Null when empty.
  const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
  TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

  // Grows the array to hold nIndex first; a negative index throws.
  void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
    if (nIndex < 0) AfxThrowInvalidArgException();
    if (nIndex >= GetSize()) {
      TYPE copy(newElement);  // newElement may live in this array
      SetSize(nIndex + 1);
      m_data[static_cast<size_t>(nIndex)] = std::move(copy);
    } else {
      m_data[static_cast<size_t>(nIndex)] = newElement;
    }
  }
  // Returns the index of the new element.
  INT_PTR Add(ARG_TYPE newElement) {
    Guard([&] { m_data.push_back(newElement); });
    return GetSize() - 1;
  }
  // Returns the index of the first appended element.
  INT_PTR Append(const CArray& src) {
    const INT_PTR old = GetSize();
    if (&src == this) {
      Guard([&] {
        m_data.reserve(m_data.size() * 2);
        for (size_t i = 0, n = m_data.size(); i < n; ++i) m_data.push_back(m_data[i]);
      });
    } else {
      Guard([&] { m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end()); });
    }
    return old;
  }
  void Copy(const CArray& src) {
    if (&src != this) Guard([&] { m_data = src.m_data; });
  }
  // Inserting at or past the end grows the array first.
  void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
    if (nIndex < 0 || nCount < 0) AfxThrowInvalidArgException();
    if (nCount == 0) return;
    TYPE copy(newElement);
    if (nIndex > GetSize()) SetSize(nIndex);
    Guard([&] { m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), copy); });
  }
  void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
    if (!pNewArray || nStartIndex < 0) AfxThrowInvalidArgException();
    if (pNewArray->IsEmpty()) return;
    const std::vector<TYPE> items = pNewArray->m_data;
    if (nStartIndex > GetSize()) SetSize(nStartIndex);
    Guard([&] { m_data.insert(m_data.begin() + nStartIndex, items.begin(), items.end()); });
  }
  // The whole range [nIndex, nIndex + nCount) must lie in the array.
  void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
    if (nIndex < 0 || nCount < 0 || nCount > GetSize() - nIndex) AfxThrowInvalidArgException();
    m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
  }

 private:
  size_t Check(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= GetSize()) AfxThrowInvalidArgException();
    return static_cast<size_t>(nIndex);
  }
  template <class F>
  static void Guard(F&& f) {
    try {
      f();
    } catch (const std::bad_alloc&) {
      AfxThrowMemoryException();
    } catch (const std::length_error&) {
      AfxThrowMemoryException();
    }
  }

  std::vector<TYPE> m_data;
};
