#include "TestClasses.h"

#include <gtest/gtest.h>

#include <limits>

#include <cstring>
#include <memory>
#include <string>

namespace {

using archive_bytes::Ascii;
using archive_bytes::Bytes;
using archive_bytes::Cat;
using archive_bytes::Le32;

// Loading must fail with this cause.
template <class F>
void ExpectCause(const Bytes& bytes, int cause, F&& read) {
  try {
    Load(bytes, read);
    ADD_FAILURE() << "no exception, expected cause " << cause;
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, cause);
  }
}

}  // namespace

TEST(CArchive, ScalarsAreLittleEndian) {
  const Bytes got = Store([](CArchive& ar) {
    ar << BYTE(0xAB) << WORD(0x1234) << short(-2) << int(-2) << DWORD(0xDEADBEEF) << 1.5f << 1.0;
  });
  const Bytes want = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xBE, 0xAD, 0xDE,
                      0x00, 0x00, 0xC0, 0x3F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(got, want);
  Load(got, [](CArchive& ar) {
    BYTE b; WORD w; short s; int i; DWORD d; float f; double x;
    ar >> b >> w >> s >> i >> d >> f >> x;
    EXPECT_EQ(b, 0xAB); EXPECT_EQ(w, 0x1234); EXPECT_EQ(s, -2); EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 0xDEADBEEFu); EXPECT_EQ(f, 1.5f); EXPECT_EQ(x, 1.0);
  });
}

TEST(CArchive, ObjectTagsNewRepeatedNullAndBackReference) {
  CTestValue a(7), b(-1);
  const Bytes got = Store([&](CArchive& ar) { ar << &a << &b << static_cast<CObject*>(nullptr) << &a; });
  // Class gets index 1, a index 2, b index 3.
  const Bytes want = Cat({{0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Ascii("CTestValue"), Le32(7),
                          {0x01, 0x80}, Le32(0xFFFFFFFF), {0x00, 0x00}, {0x02, 0x00}});
  EXPECT_EQ(got, want);

  Load(got, [](CArchive& ar) {
    CTestValue *pa, *pb, *pnull, *pa2;
    ar >> pa >> pb >> pnull >> pa2;
    std::unique_ptr<CTestValue> oa(pa), ob(pb);
    ASSERT_NE(pa, nullptr);
    EXPECT_EQ(pa->m_v, 7);
    EXPECT_EQ(pa->m_loadedSchema, 2u);
    EXPECT_EQ(pb->m_v, -1);
    EXPECT_EQ(pnull, nullptr);
    EXPECT_EQ(pa2, pa);  // the back-reference yields the same object
  });
  Load(got, [](CArchive& ar) {
    std::unique_ptr<CObject> oa(ar.ReadObject(nullptr));
    EXPECT_TRUE(ar.IsLastObjectNew());
    std::unique_ptr<CObject> ob(ar.ReadObject(nullptr));
    EXPECT_TRUE(ar.IsLastObjectNew());
    EXPECT_EQ(ar.ReadObject(nullptr), nullptr);
    EXPECT_FALSE(ar.IsLastObjectNew());
    EXPECT_EQ(ar.ReadObject(nullptr), oa.get());
    EXPECT_FALSE(ar.IsLastObjectNew());
  });
}

TEST(CArchive, LoadedCountGrowsOnlyWithNewClassesAndObjects) {
  CTestValue a(1), b(2);
  const Bytes got = Store([&](CArchive& ar) { ar << &a << &b << static_cast<CObject*>(nullptr) << &a; });
  Load(got, [](CArchive& ar) {
    EXPECT_EQ(ar.GetLoadedCount(), 0u);
    CTestValue *pa, *pb, *pnull, *pa2;
    ar >> pa;
    std::unique_ptr<CTestValue> oa(pa);
    EXPECT_EQ(ar.GetLoadedCount(), 2u);  // the class and the object
    ar >> pb;
    std::unique_ptr<CTestValue> ob(pb);
    EXPECT_EQ(ar.GetLoadedCount(), 3u);
    ar >> pnull >> pa2;
    EXPECT_EQ(ar.GetLoadedCount(), 3u);  // null and a back-reference define nothing
  });
}

TEST(CArchive, WriteCountEscapes) {
  struct { DWORD n; Bytes bytes; } cases[] = {
      {0, {0x00, 0x00}},
      {0xFFFE, {0xFE, 0xFF}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
  };
  for (const auto& c : cases) {
    const Bytes got = Store([&](CArchive& ar) { ar.WriteCount(c.n); });
    EXPECT_EQ(got, c.bytes) << c.n;
    // Padding so that the count fits in what remains.
    Bytes padded(got.size() + static_cast<size_t>(c.n), 0);
    std::copy(got.begin(), got.end(), padded.begin());
    Load(padded, [&](CArchive& ar) { EXPECT_EQ(ar.ReadCount(), c.n); });
  }
}

TEST(CArchive, WideStringLengthEscapes) {
  const Bytes marker = {0xFF, 0xFE, 0xFF};
  struct { int n; Bytes prefix; } cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {0xFFFD, {0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    const CString s(L'\u00e9', c.n);
    const Bytes got = Store([&](CArchive& ar) { ar << s; });
    const Bytes head = Cat({marker, c.prefix});
    ASSERT_EQ(got.size(), head.size() + 2 * static_cast<size_t>(c.n)) << c.n;
    EXPECT_EQ(Bytes(got.begin(), got.begin() + head.size()), head) << c.n;
    if (c.n) {
      EXPECT_EQ((Bytes{got[head.size()], got[head.size() + 1]}), (Bytes{0xE9, 0x00}));
    }
    Load(got, [&](CArchive& ar) {
      CString back(L"stale");
      ar >> back;
      EXPECT_EQ(back, s) << c.n;
    });
  }
}

TEST(CArchive, StringsCarryUtf16AndNarrowFormLoads) {
  const CString s(L"a\U0001F600");
  const Bytes got = Store([&](CArchive& ar) { ar << s; });
  EXPECT_EQ(got, (Bytes{0xFF, 0xFE, 0xFF, 3, 'a', 0, 0x3D, 0xD8, 0x00, 0xDE}));
  Load(Bytes{3, 'a', 'b', 'c'}, [](CArchive& ar) {
    CString t;
    ar >> t;
    EXPECT_EQ(t, L"abc");
  });
}

TEST(CArchive, NestedObjectsAndSharedReferencesRoundTrip) {
  CTestNode root;
  root.m_name = L"root";
  auto* child = new CTestNode;
  child->m_name = L"child";
  child->m_pChild = new CTestDerived;
  static_cast<CTestDerived*>(child->m_pChild)->m_v = 42;
  root.m_pChild = child;
  root.m_pRef = child->m_pChild;  // shared, stored once

  const Bytes bytes = Store([&](CArchive& ar) { ar << &root; });
  Load(bytes, [](CArchive& ar) {
    CTestNode* p = nullptr;
    ar >> p;
    std::unique_ptr<CTestNode> owner(p);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_name, L"root");
    auto* c = dynamic_cast<CTestNode*>(p->m_pChild);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_name, L"child");
    auto* d = dynamic_cast<CTestDerived*>(c->m_pChild);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_v, 42);
    EXPECT_EQ(p->m_pRef, d);
  });
}

TEST(CArchive, IndexesBeyondTheWordRangeUseTheBigTag) {
  // Enough objects that later indexes no longer fit in a tag word.
  std::vector<CTestValue> values(0x7FFF);
  CTestNode node;  // its class gets an index above 0x7FFF
  CTestNode node2;
  const Bytes bytes = Store([&](CArchive& ar) {
    for (auto& v : values) ar << &v;
    ar << &node << &node2 << &values.back() << &values.front();
  });
  // node2 refers to its class by the big class tag: 0x7FFF then 0x80000000 | index.
  const DWORD nodeClassIndex = 1 + 0x7FFF + 1;
  const Bytes classRef = Cat({{0xFF, 0x7F}, Le32(0x80000000u | nodeClassIndex)});
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), classRef.begin(), classRef.end()), bytes.end());

  Load(bytes, [&](CArchive& ar) {
    std::vector<std::unique_ptr<CObject>> owned;
    CObject* p = nullptr;
    for (size_t i = 0; i < values.size(); ++i) {
      ar >> p;
      owned.emplace_back(p);
    }
    CObject *n1, *n2, *last, *first;
    ar >> n1 >> n2 >> last >> first;
    owned.emplace_back(n1);
    owned.emplace_back(n2);
    EXPECT_EQ(n2->GetRuntimeClass(), RUNTIME_CLASS(CTestNode));
    EXPECT_EQ(last, owned[values.size() - 1].get());
    EXPECT_EQ(first, owned[0].get());
  });
}

TEST(CArchive, WrongDirectionThrows) {
  CMemFile file;
  CArchive storing(&file, CArchive::store);
  int i;
  EXPECT_THROW(storing >> i, CArchiveException);
  try {
    storing.ReadObject(nullptr);
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
  }
  CMemFile empty;
  CArchive loading(&empty, CArchive::load);
  try {
    loading << 1;
    ADD_FAILURE();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
  }
}

TEST(CArchive, HostileArchivesFailCleanly) {
  const Bytes head = {0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00};
  struct Case {
    const char* what;
    Bytes bytes;
    int cause;
  } cases[] = {
      {"unknown class name", Cat({head, Ascii("CTestValuX"), Le32(1)}), CArchiveException::badClass},
      {"not serialisable", Cat({{0xFF, 0xFF, 0x02, 0x00, 0x0C, 0x00}, Ascii("CTestDynamic")}),
       CArchiveException::badClass},
      {"name longer than the file", Cat({{0xFF, 0xFF, 0x02, 0x00, 0xFF, 0xFF}, Ascii("CTest")}),
       CArchiveException::endOfFile},
      {"object index out of range", {0x05, 0x00}, CArchiveException::badIndex},
      {"class index out of range", {0x05, 0x80}, CArchiveException::badIndex},
      {"class index zero", {0x00, 0x80}, CArchiveException::badIndex},
      {"big object index out of range", Cat({{0xFF, 0x7F}, Le32(0x10000)}), CArchiveException::badIndex},
      {"object reference to a class", Cat({head, Ascii("CTestValue"), Le32(1), {0x01, 0x00}}),
       CArchiveException::badIndex},
      {"class reference to an object", Cat({head, Ascii("CTestValue"), Le32(1), {0x02, 0x80}}),
       CArchiveException::badIndex},
      {"fixed schema mismatch", Cat({{0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Ascii("CTestFixed")}),
       CArchiveException::badSchema},
      {"empty file", {}, CArchiveException::endOfFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int live = CTestValue::s_live;
    ExpectCause(c.bytes, c.cause, [](CArchive& ar) {
      CObject* first = ar.ReadObject(nullptr);
      std::unique_ptr<CObject> owner(first);
      CObject* second = ar.ReadObject(nullptr);
      if (second != first) delete second;
    });
    EXPECT_EQ(CTestValue::s_live, live);
  }
}

TEST(CArchive, ExtractionOperatorRefusesOtherClasses) {
  CTestNode node;
  const Bytes bytes = Store([&](CArchive& ar) { ar << &node; });
  ExpectCause(bytes, CArchiveException::badClass, [](CArchive& ar) {
    CTestValue* p = nullptr;
    ar >> p;
  });
  // A class registered as derived is accepted.
  CTestDerived derived;
  Load(Store([&](CArchive& ar) { ar << &derived; }), [](CArchive& ar) {
    CTestValue* p = nullptr;
    ar >> p;
    EXPECT_EQ(p->GetRuntimeClass(), RUNTIME_CLASS(CTestDerived));
    delete p;
  });
}

TEST(CArchive, HugeCountsAndLengthsFailBeforeAllocating) {
  const Bytes hugeString = Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Le32(0x7FFFFFFF), {'a', 0}});
  ExpectCause(hugeString, CArchiveException::endOfFile, [](CArchive& ar) {
    CString s;
    ar >> s;
  });
  const Bytes hugeCount = Cat({{0xFF, 0xFF}, Le32(0xFFFFFFFE), {0x00, 0x00}});
  ExpectCause(hugeCount, CArchiveException::endOfFile, [](CArchive& ar) { ar.ReadCount(); });
  Load(Bytes(16), [](CArchive& ar) {
    EXPECT_NO_THROW(ar.CheckCount(2, 8));
    EXPECT_THROW(ar.CheckCount(3, 8), CArchiveException);
    EXPECT_THROW(ar.CheckCount(1ull << 62, 8), CArchiveException);  // product overflows
  });
}

TEST(CArchive, NonFiniteValuesAreRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Load(Bytes(4), [&](CArchive& ar) {
    EXPECT_NO_THROW(ar.CheckFinite(0.0, -1e300, 5.0f, 7));
    EXPECT_THROW(ar.CheckFinite(1.0, nan), CArchiveException);
    EXPECT_THROW(ar.CheckFinite(-inf), CArchiveException);
    const float floats[] = {1.0f, std::numeric_limits<float>::infinity()};
    EXPECT_THROW(ar.CheckFinite(floats, 2), CArchiveException);
    EXPECT_NO_THROW(ar.CheckFinite(floats, 1));
  });
}

TEST(CArchive, EveryTruncationThrowsAndFreesPartialObjects) {
  CTestNode root;
  root.m_name = L"truncate me";
  auto* child = new CTestNode;
  child->m_pChild = new CTestValue(5);
  root.m_pChild = child;
  root.m_pRef = child->m_pChild;
  const Bytes full = Store([&](CArchive& ar) { ar << &root << 3.25; });
  const int live = CTestValue::s_live;
  for (size_t n = 0; n < full.size(); ++n) {
    ExpectCause(Bytes(full.begin(), full.begin() + n), CArchiveException::endOfFile, [](CArchive& ar) {
      CTestNode* p = nullptr;
      ar >> p;
      std::unique_ptr<CTestNode> owner(p);
      double d;
      ar >> d;
    });
    ASSERT_EQ(CTestValue::s_live, live) << "leak at length " << n;
  }
}

TEST(CArchive, OverARealFileWithSmallBuffer) {
  const std::string path = ::testing::TempDir() + "archive_real_file.bin";
  const CString name = CString::FromUtf8(path);
  std::vector<CTestValue> values;
  for (int i = 0; i < 300; ++i) values.emplace_back(i * 3);
  {
    CFile file(name, CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&file, CArchive::store, 512);
    for (auto& v : values) ar << &v;
    ar << CString(L'x', 2000);  // larger than the buffer
    ar.Close();
  }
  CFile file(name, CFile::modeRead | CFile::shareDenyWrite);
  CArchive ar(&file, CArchive::load, 512);
  for (int i = 0; i < 300; ++i) {
    CTestValue* p = nullptr;
    ar >> p;
    std::unique_ptr<CTestValue> owner(p);
    ASSERT_EQ(p->m_v, i * 3);
  }
  CString s;
  ar >> s;
  EXPECT_EQ(s.GetLength(), 2000);
  EXPECT_EQ(ar.GetBytesRemaining(), 0u);
  std::remove(path.c_str());
}

TEST(CArchive, LoadingFlushLeavesTheFileAfterTheLastValue) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << 1 << 2 << 3;
  }  // the destructor flushes an unclosed storing archive
  EXPECT_EQ(file.GetLength(), 12u);
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  int a;
  ar >> a;
  ar.Flush();
  EXPECT_EQ(file.GetPosition(), 4u);
}

TEST(CArchive, NoFlushOnDeleteDropsUnwrittenBytes) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
    ar << 1;
  }
  EXPECT_EQ(file.GetLength(), 0u);
}

namespace {

// A chain of `depth` nodes, each the child of the one before.
Bytes NestedNodes(int depth) {
  const Bytes emptyName = {0xFF, 0xFE, 0xFF, 0x00};
  Bytes out = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Ascii("CTestNode"), emptyName});
  for (int i = 1; i < depth; ++i) out = Cat({out, {0x01, 0x80}, emptyName});
  out = Cat({out, {0x00, 0x00}});                       // the innermost node has no child
  for (int i = 0; i < depth; ++i) out = Cat({out, {0x00, 0x00}});  // and no node a reference
  return out;
}

}  // namespace

TEST(CArchive, NestingIsBoundedInsteadOfExhaustingTheStack) {
  Load(NestedNodes(CArchive::kMaxLoadDepth), [](CArchive& ar) {
    CTestNode* p = nullptr;
    ar >> p;
    int depth = 0;
    for (CObject* q = p; q; q = static_cast<CTestNode*>(q)->m_pChild) ++depth;
    EXPECT_EQ(depth, CArchive::kMaxLoadDepth);
    delete p;
  });
  ExpectCause(NestedNodes(CArchive::kMaxLoadDepth + 1), CArchiveException::genericException,
              [](CArchive& ar) {
                CTestNode* p = nullptr;
                ar >> p;
                delete p;
              });
}
