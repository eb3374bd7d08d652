// Drawing layer: colour, numeric ID, a word of flags and a name.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/afx/Afx.h"

class CLayer : public CObject {
  DECLARE_SERIAL(CLayer)

 public:
  // Flag bits.
  static constexpr int FLAG_VISIBLE = 0x1;
  static constexpr int FLAG_LOCKED = 0x2;
  static constexpr int FLAG_DELETED = 0x10;

  CLayer();
  explicit CLayer(const CString& name);
  ~CLayer() override;

  void Serialize(CArchive& ar) override;

  void SetColor(uint32_t color) { m_crColor = color; }
  uint32_t GetColor() const { return m_crColor; }
  void SetID(int id) { m_nID = id; }
  int GetID() const { return m_nID; }

  void SetVisible() { m_nFlag |= FLAG_VISIBLE; }
  void SetInVisible() { m_nFlag &= ~FLAG_VISIBLE; }
  int IsVisible() const { return (m_nFlag & FLAG_VISIBLE) ? 1 : 0; }
  void SetLock(int lock);
  int IsLocked() const { return (m_nFlag & FLAG_LOCKED) ? 1 : 0; }
  void SetDelete(int del);
  int IsDeleted() const { return (m_nFlag & FLAG_DELETED) ? 1 : 0; }

  void SetName(const CString& name) { m_strName = name; }
  CString GetName() const { return m_strName; }

  // ID counter: the default constructor takes its value, the named one takes and advances it.
  // Atomic, so that layers named on different threads never share an ID.
  static std::atomic<int> m_nMaxID;

  uint32_t m_crColor;  // COLORREF 0x00BBGGRR
  int m_nID;
  int m_nFlag;
  CString m_strName;
};
