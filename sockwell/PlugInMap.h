// Plug-in message maps. A plug-in derives map classes from CPlugInMap, each with an ordinary
// message map and the run-time class name of the host class it extends, and registers one
// prototype per class; host objects bind fresh copies of the prototypes registered for their
// class name and run them before ("pre") and after ("post") their own handlers.
#pragma once

#include "platform/afx/CmdTarget.h"
#include "platform/afx/List.h"

class CPlugInMap;

// A registry entry: it refers to a prototype and never owns it.
class CPlugInObject : public CObject {
 public:
  CPlugInObject() = default;
  explicit CPlugInObject(CPlugInMap* pMap) : m_pMap(pMap) {}
  CPlugInObject(const CPlugInObject& other) : CObject(), m_pMap(other.m_pMap) {}
  CPlugInObject& operator=(const CPlugInObject& other) {
    m_pMap = other.m_pMap;
    return *this;
  }
  ~CPlugInObject() override { m_pMap = nullptr; }
  friend bool operator==(const CPlugInObject& a, const CPlugInObject& b) { return a.m_pMap == b.m_pMap; }

  CPlugInMap* m_pMap = nullptr;
};

class CPlugInMap : public CCmdTarget {
  DECLARE_DYNCREATE(CPlugInMap)

 public:
  CPlugInMap() = default;
  // A registered prototype leaves the registry when it goes (its module is unloaded).
  ~CPlugInMap() override;

  // Releases a bound map; the base deletes the object.
  virtual void Free();
  // The narrow run-time class name of the host class this map extends; empty in the base.
  virtual const char* GetClass();
  // A new object of the same map class; null in the base (every registered class overrides it).
  virtual CPlugInMap* CreateMapObject();
  // Docks the map's toolbars on the frame; nothing in the base.
  virtual void DockToolBar();
  // Creates the map's toolbars on the frame; nothing in the base.
  virtual void InsertToolBarEx();

  void SetPlugInFor(CCmdTarget* pTarget) { m_pPlugInFor = pTarget; }
  // The host object the map is bound to; null for a prototype or after the host has gone.
  CCmdTarget* GetPlugInFor() const { return m_pPlugInFor; }
  void SetPreCall() {
    m_bPreCall = 1;
    m_bPostCall = 0;
  }
  void SetPostCall() {
    m_bPreCall = 0;
    m_bPostCall = 1;
  }
  BOOL IsPreCall() const { return m_bPreCall; }
  BOOL IsPostCall() const { return m_bPostCall; }

  // The registry of prototypes, in registration order.
  static CList<CPlugInObject, const CPlugInObject&> m_PlugInMapList;
  static POSITION GetHeadPosition() { return m_PlugInMapList.GetHeadPosition(); }
  static CPlugInObject& GetAt(POSITION pos) { return m_PlugInMapList.GetAt(pos); }
  static void MoveNext(POSITION& pos) { m_PlugInMapList.GetNext(pos); }

 protected:
  // Registers this object as a prototype.
  BOOL AddObject();

  CCmdTarget* m_pPlugInFor = nullptr;
  BYTE m_bPreCall = 1;
  BYTE m_bPostCall = 0;

  DECLARE_MESSAGE_MAP()
};
