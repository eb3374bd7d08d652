// Reading objects that a container adopts: class checks before loading, back-references,
// failed lists freeing what they made, and allocation failures surfacing as archive exceptions.
#include "TestClasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

// Counts its loads; the stored int picks a failure: 1 out of memory, 2 a length beyond any
// container, 3 the class library's memory exception.
class CTestLoadProbe : public CObject {
  DECLARE_SERIAL(CTestLoadProbe)
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_nFail;
      return;
    }
    ++s_loads;
    ar >> m_nFail;
    if (m_nFail == 1) throw std::bad_alloc();
    if (m_nFail == 2) std::vector<double>().reserve(std::vector<double>().max_size() + 1);
    if (m_nFail == 3) AfxThrowMemoryException();
  }
  int m_nFail = 0;
  static int s_loads;
};

IMPLEMENT_SERIAL(CTestLoadProbe, CObject, VERSIONABLE_SCHEMA | 1)
int CTestLoadProbe::s_loads = 0;

namespace {

using Bytes = std::vector<BYTE>;

int CauseOf(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  try {
    Load(bytes, read);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return CArchiveException::none;
}

}  // namespace

TEST(AfxReadOwnedObject, AcceptsNewObjectsOfTheBaseAndNulls) {
  CTestValue value(4);
  CTestDerived derived;
  derived.m_v = 9;
  const Bytes bytes = Store([&](CArchive& ar) { ar << &value << static_cast<CObject*>(nullptr) << &derived; });
  Load(bytes, [](CArchive& ar) {
    std::unique_ptr<CTestValue> a(AfxReadOwnedObject<CTestValue>(ar));
    EXPECT_EQ(AfxReadOwnedObject<CTestValue>(ar), nullptr);
    std::unique_ptr<CTestValue> b(AfxReadOwnedObject<CTestValue>(ar));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->m_v, 4);
    EXPECT_EQ(b->GetRuntimeClass(), RUNTIME_CLASS(CTestDerived));
    EXPECT_EQ(b->m_v, 9);
  });
}

TEST(AfxReadOwnedObject, OtherClassesAreRefusedBeforeTheyLoad) {
  // A probe stands where a value is expected, alone and as a back-reference.
  CTestLoadProbe probe;
  CTestValue value(1);
  const Bytes alone = Store([&](CArchive& ar) { ar << &probe; });
  const Bytes shared = Store([&](CArchive& ar) { ar << &probe << &probe; });
  const Bytes twice = Store([&](CArchive& ar) { ar << &value << &value; });
  const int loads = CTestLoadProbe::s_loads;
  const int live = CTestValue::s_live;
  EXPECT_EQ(CauseOf(alone, [](CArchive& ar) { delete AfxReadOwnedObject<CTestValue>(ar); }),
            CArchiveException::badClass);
  EXPECT_EQ(CTestLoadProbe::s_loads, loads);
  // The back-reference's object is of another class than asked for.
  EXPECT_EQ(CauseOf(shared,
                    [](CArchive& ar) {
                      std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
                      AfxReadOwnedObject<CTestValue>(ar);
                    }),
            CArchiveException::badClass);
  // The same value twice would have two owners.
  EXPECT_EQ(CauseOf(twice,
                    [](CArchive& ar) {
                      std::unique_ptr<CTestValue> first(AfxReadOwnedObject<CTestValue>(ar));
                      AfxReadOwnedObject<CTestValue>(ar);
                    }),
            CArchiveException::badIndex);
  EXPECT_EQ(CTestValue::s_live, live);
}

TEST(AfxReadOwnedObjects, AppendsOnlyAWholeListAndFreesAFailedOne) {
  CTestValue a(1), b(2);
  CTestLoadProbe probe;
  const Bytes good = Store([&](CArchive& ar) {
    ar.WriteCount(3);
    ar << &a << static_cast<CObject*>(nullptr) << &b;
  });
  const Bytes bad = Store([&](CArchive& ar) {
    ar.WriteCount(3);
    ar << &a << &b << &probe;
  });
  CTypedPtrList<CObList, CTestValue*> list;
  CTestValue kept(7);
  list.AddTail(&kept);
  Load(good, [&](CArchive& ar) { AfxReadOwnedObjects<CTestValue>(ar, list); });
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.GetAt(list.FindIndex(1))->m_v, 1);
  EXPECT_EQ(list.GetAt(list.FindIndex(2)), nullptr);
  EXPECT_EQ(list.GetTail()->m_v, 2);
  delete list.RemoveTail();
  list.RemoveTail();
  delete list.RemoveTail();

  const int live = CTestValue::s_live;
  EXPECT_EQ(CauseOf(bad, [&](CArchive& ar) { AfxReadOwnedObjects<CTestValue>(ar, list); }),
            CArchiveException::badClass);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(CTestValue::s_live, live);
  // Each truncation of the good list fails the same way.
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_EQ(CauseOf(Bytes(good.begin(), good.begin() + n),
                      [&](CArchive& ar) { AfxReadOwnedObjects<CTestValue>(ar, list); }),
              CArchiveException::endOfFile)
        << n;
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_EQ(CTestValue::s_live, live) << n;
  }
}

TEST(CObList, FailedLoadFreesWhatItMadeAndKeepsTheRest) {
  // An object read before the list, then a list of a back-reference to it, two new values and
  // a back-reference to the first of them.
  CTestValue outside(5), x(6), y(7);
  CObList stored;
  for (CObject* p : {static_cast<CObject*>(&outside), static_cast<CObject*>(&x), static_cast<CObject*>(&y),
                     static_cast<CObject*>(&x)})
    stored.AddTail(p);
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << &outside;
    stored.Serialize(ar);
  });
  // Cut inside y's value.
  const Bytes cut(bytes.begin(), bytes.end() - 2 - 2);
  const int live = CTestValue::s_live;
  EXPECT_EQ(CauseOf(cut,
                    [&](CArchive& ar) {
                      std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
                      CObList list;
                      list.AddTail(first.get());
                      try {
                        list.Serialize(ar);
                      } catch (...) {
                        // Back to its one entry; x is freed, the object read before stays.
                        EXPECT_EQ(list.GetCount(), 1);
                        EXPECT_EQ(CTestValue::s_live, live + 1);
                        throw;
                      }
                    }),
            CArchiveException::endOfFile);
  EXPECT_EQ(CTestValue::s_live, live);

  // A list read as an object frees its elements with itself when it fails.
  const Bytes asObject = Store([&](CArchive& ar) { ar << &stored; });
  for (size_t n = 0; n < asObject.size(); ++n) {
    EXPECT_EQ(CauseOf(Bytes(asObject.begin(), asObject.begin() + n),
                      [](CArchive& ar) { delete ar.ReadObject(nullptr); }),
              CArchiveException::endOfFile)
        << n;
    ASSERT_EQ(CTestValue::s_live, live) << n;
  }
}

TEST(CObList, FailedLoadFreesTheElementsOfANestedListThatLoaded) {
  // [node owning c, [c again, x, y, x again], z]: every cut after the nested list has loaded
  // fails in z, and x and y (the nested list's own) go with it; c goes once, with its node.
  CTestValue c(1), x(2), y(3), z(4);
  CTestNode node;
  node.m_pChild = &c;
  CObList inner, outer;
  for (CObject* p : {static_cast<CObject*>(&c), static_cast<CObject*>(&x), static_cast<CObject*>(&y),
                     static_cast<CObject*>(&x)})
    inner.AddTail(p);
  for (CObject* p : {static_cast<CObject*>(&node), static_cast<CObject*>(&inner), static_cast<CObject*>(&z)})
    outer.AddTail(p);
  const Bytes bytes = Store([&](CArchive& ar) { ar << &outer; });
  node.m_pChild = nullptr;
  const int live = CTestValue::s_live;
  for (size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_EQ(CauseOf(Bytes(bytes.begin(), bytes.begin() + n),
                      [](CArchive& ar) { delete ar.ReadObject(nullptr); }),
              CArchiveException::endOfFile)
        << n;
    ASSERT_EQ(CTestValue::s_live, live) << n;
  }
}

TEST(CArchive, AllocationFailuresWhileLoadingAreArchiveExceptions) {
  for (int fail : {1, 2, 3}) {
    SCOPED_TRACE(fail);
    CTestLoadProbe probe;
    probe.m_nFail = fail;
    CTestNode node;
    node.m_pChild = &probe;
    const Bytes bytes = Store([&](CArchive& ar) { ar << &node; });
    node.m_pChild = nullptr;
    EXPECT_EQ(CauseOf(bytes,
                      [](CArchive& ar) {
                        CTestNode* p = nullptr;
                        ar >> p;
                        delete p;
                      }),
              CArchiveException::genericException);
  }
}
