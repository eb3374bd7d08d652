#include "TestClasses.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>

namespace {

// The vtable slot of a virtual member function under the Itanium C++ ABI, where a pointer to a
// virtual member holds 1 + the slot's byte offset.
template <class F>
std::ptrdiff_t SlotOf(F f) {
  struct { uintptr_t ptr; std::ptrdiff_t adj; } rep;
  static_assert(sizeof f == sizeof rep);
  std::memcpy(&rep, &f, sizeof rep);
  return static_cast<std::ptrdiff_t>((rep.ptr - 1) / sizeof(void*));
}

}  // namespace

TEST(CObject, VirtualSlotsComeInTheAgreedOrder) {
  // The destructor takes slots 1 and 2 (complete and deleting).
  EXPECT_EQ(SlotOf(&CObject::GetRuntimeClass), 0);
  EXPECT_EQ(SlotOf(&CObject::Serialize), 3);
  EXPECT_EQ(SlotOf(&CObject::AssertValid), 4);
  EXPECT_EQ(SlotOf(&CObject::Dump), 5);
  EXPECT_EQ(SlotOf(&CTestNode::Serialize), 3);  // overrides keep their slot
}

TEST(CRuntimeClass, RecordsNameSizeSchemaAndBase) {
  const CRuntimeClass* c = RUNTIME_CLASS(CTestDerived);
  EXPECT_STREQ(c->m_lpszClassName, "CTestDerived");
  EXPECT_EQ(c->m_nObjectSize, static_cast<int>(sizeof(CTestDerived)));
  EXPECT_EQ(c->m_wSchema, VERSIONABLE_SCHEMA | 2);
  EXPECT_EQ(c->m_pBaseClass, RUNTIME_CLASS(CTestValue));
  EXPECT_TRUE(c->IsDerivedFrom(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(RUNTIME_CLASS(CTestValue)->IsDerivedFrom(c));
  EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
  EXPECT_EQ(CTestDerived::GetThisClass(), c);
}

TEST(CRuntimeClass, FindsClassesByExactName) {
  EXPECT_EQ(CRuntimeClass::FromName("CTestNode"), RUNTIME_CLASS(CTestNode));
  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("CMemFile"), RUNTIME_CLASS(CMemFile));
  for (const char* miss : {"ctestnode", "CTestNode ", "CTest", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(CRuntimeClass::FromName(miss), nullptr) << (miss ? miss : "null");
}

TEST(CRuntimeClass, UnregistersWhenItsLibraryGoesAway) {
  static CRuntimeClass plugInClass = {"CPlugInOnly", 8, 1, nullptr, RUNTIME_CLASS(CObject), nullptr};
  {
    const AFX_CLASSINIT init(&plugInClass);
    EXPECT_EQ(CRuntimeClass::FromName("CPlugInOnly"), &plugInClass);
  }
  EXPECT_EQ(CRuntimeClass::FromName("CPlugInOnly"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CTestValue"), RUNTIME_CLASS(CTestValue));
}

TEST(CObject, CreationKindAndSerialisability) {
  std::unique_ptr<CObject> made(RUNTIME_CLASS(CTestDerived)->CreateObject());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CTestDerived));
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CTestValue)));
  EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CTestNode)));
  EXPECT_TRUE(made->IsSerializable());
  EXPECT_EQ(RUNTIME_CLASS(CTestDynamic)->CreateObject(), nullptr);
  CTestDynamic dyn;
  EXPECT_FALSE(dyn.IsSerializable());
  EXPECT_TRUE(dyn.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST(CObject, DumpNamesTheClass) {
  std::ostringstream out;
  CDumpContext dc(&out);
  CTestValue v;
  dc << v << static_cast<const CObject*>(nullptr);
  EXPECT_EQ(out.str().rfind("a CTestValue at ", 0), 0u);
  EXPECT_NE(out.str().find("NULL"), std::string::npos);
}
