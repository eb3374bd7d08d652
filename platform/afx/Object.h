// CObject and run-time class information. Every serialisable or dynamically creatable class
// carries a CRuntimeClass record (narrow name, size, schema, factory, base) and registers it when
// its shared library loads, so that archives and plug-ins can find classes by name.
#pragma once

#include "platform/win/WinTypes.h"

class CArchive;
class CDumpContext;
class CObject;

// Set in a class's schema when any stored schema number is acceptable on loading; the object
// then asks the archive which one it is reading (CArchive::GetObjectSchema).
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;
// Schema of classes that are not serialisable (dynamic and dynamically creatable ones).
constexpr UINT AFX_NOT_SERIAL_SCHEMA = 0xFFFFu;

struct CRuntimeClass {
  const char* m_lpszClassName;  // compared byte for byte
  int m_nObjectSize;
  UINT m_wSchema;
  CObject* (*m_pfnCreateObject)();  // null when not dynamically creatable
  CRuntimeClass* m_pBaseClass;      // null only for CObject
  CRuntimeClass* m_pNextClass;      // registry link, owned by the registry

  // A new object made by the default constructor; null when the class is not creatable.
  // Allocation failure throws CMemoryException.
  CObject* CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
  BOOL IsSerializable() const { return m_wSchema != AFX_NOT_SERIAL_SCHEMA; }

  // The first registered class of that exact name, or null.
  static CRuntimeClass* FromName(const char* lpszClassName);
  static void Register(CRuntimeClass* pClass);
  static void Unregister(CRuntimeClass* pClass);
};

// One static instance per class registers it while its library is loaded.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* pClass) : m_pClass(pClass) { CRuntimeClass::Register(pClass); }
  ~AFX_CLASSINIT() { CRuntimeClass::Unregister(m_pClass); }
  AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
  AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;
  CRuntimeClass* m_pClass;
};

class CObject {
 public:
  // Slot order matters to callers outside this library: keep these five first, in this order.
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const;
  virtual void Dump(CDumpContext& dc) const;

  BOOL IsSerializable() const { return GetRuntimeClass()->IsSerializable(); }
  BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

  static CRuntimeClass classCObject;
  static CRuntimeClass* GetThisClass() { return &classCObject; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)               \
 public:                                          \
  static CRuntimeClass class##class_name;         \
  static CRuntimeClass* GetThisClass();           \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
  DECLARE_DYNCREATE(class_name)    \
  friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, pfnNew)                \
  CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), (schema),   \
                                                 (pfnNew), RUNTIME_CLASS(base_class_name),    \
                                                 nullptr};                                    \
  CRuntimeClass* class_name::GetThisClass() { return RUNTIME_CLASS(class_name); }             \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }    \
  static const AFX_CLASSINIT afxClassInit_##class_name(RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIAL_SCHEMA, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)           \
  CObject* class_name::CreateObject() { return new class_name; }   \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIAL_SCHEMA, &class_name::CreateObject)

// The extraction operator reads one object of this class (or a class registered as derived from
// it) and throws CArchiveException(badClass) for any other class.
#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                               \
  CObject* class_name::CreateObject() { return new class_name; }                             \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, &class_name::CreateObject) \
  CArchive& operator>>(CArchive& ar, class_name*& pOb) {                                     \
    pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));                \
    return ar;                                                                               \
  }
