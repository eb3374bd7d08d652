#include "TestClasses.h"

IMPLEMENT_SERIAL(CTestValue, CObject, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(CTestNode, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CTestDerived, CTestValue, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(CTestFixed, CObject, 1)
IMPLEMENT_DYNAMIC(CTestDynamic, CObject)

int CTestValue::s_live = 0;

void CTestValue::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_v;
  } else {
    m_loadedSchema = ar.GetObjectSchema();
    ar >> m_v;
  }
}

void CTestNode::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_name << m_pChild << m_pRef;
  } else {
    ar >> m_name >> m_pChild >> m_pRef;
  }
}
