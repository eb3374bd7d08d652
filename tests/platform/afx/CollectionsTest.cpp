#include "TestClasses.h"

#include <gtest/gtest.h>

#include <climits>
#include <list>
#include <memory>
#include <random>

namespace {

std::vector<int> Contents(const CList<int, int>& l) {
  std::vector<int> out;
  for (POSITION pos = l.GetHeadPosition(); pos;) out.push_back(l.GetNext(pos));
  // Walking backwards must give the same sequence reversed.
  std::vector<int> back;
  for (POSITION pos = l.GetTailPosition(); pos;) back.push_back(l.GetPrev(pos));
  EXPECT_EQ(std::vector<int>(back.rbegin(), back.rend()), out);
  EXPECT_EQ(static_cast<size_t>(l.GetCount()), out.size());
  return out;
}

}  // namespace

TEST(CList, PositionsSurviveGrowthAndShrinkAround) {
  CList<int, int> list;
  const POSITION keep = list.AddTail(100);
  for (int i = 0; i < 50; ++i) {
    list.AddHead(-i);
    list.AddTail(i);
    list.InsertBefore(keep, 1000 + i);
    list.InsertAfter(keep, 2000 + i);
  }
  // Remove everything except the kept node, from both sides and next to it.
  while (list.GetCount() > 1) {
    if (list.GetHeadPosition() != keep) list.RemoveHead();
    if (list.GetTailPosition() != keep) list.RemoveTail();
  }
  EXPECT_EQ(list.GetAt(keep), 100);
  EXPECT_EQ(list.GetHeadPosition(), keep);
  EXPECT_EQ(list.GetTailPosition(), keep);
  list.SetAt(keep, 7);
  EXPECT_EQ(list.GetHead(), 7);
}

TEST(CList, MatchesAReferenceListUnderRandomEdits) {
  std::mt19937 rng(12345);
  CList<int, int> list;
  std::list<int> ref;
  std::vector<std::pair<POSITION, std::list<int>::iterator>> handles;
  for (int step = 0; step < 3000; ++step) {
    const int op = static_cast<int>(rng() % 6);
    if (op <= 1 || handles.empty()) {
      handles.emplace_back(op == 0 ? list.AddHead(step) : list.AddTail(step),
                           op == 0 ? ref.insert(ref.begin(), step) : ref.insert(ref.end(), step));
      continue;
    }
    const size_t k = rng() % handles.size();
    auto [pos, it] = handles[k];
    if (op == 2) {
      handles.emplace_back(list.InsertBefore(pos, step), ref.insert(it, step));
    } else if (op == 3) {
      handles.emplace_back(list.InsertAfter(pos, step), ref.insert(std::next(it), step));
    } else {
      EXPECT_EQ(list.GetAt(pos), *it);
      list.RemoveAt(pos);
      ref.erase(it);
      handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }
  EXPECT_EQ(Contents(list), std::vector<int>(ref.begin(), ref.end()));
  for (const auto& [pos, it] : handles) ASSERT_EQ(list.GetAt(pos), *it);
}

TEST(CList, FindIndexAndMisuse) {
  CList<int, int> list;
  EXPECT_THROW(list.GetHead(), CInvalidArgException);
  EXPECT_THROW(list.RemoveTail(), CInvalidArgException);
  POSITION none = nullptr;
  EXPECT_THROW(list.GetNext(none), CInvalidArgException);
  EXPECT_THROW(list.RemoveAt(nullptr), CInvalidArgException);
  for (int v : {5, 6, 5, 7}) list.AddTail(v);
  const POSITION first5 = list.Find(5);
  EXPECT_EQ(first5, list.GetHeadPosition());
  const POSITION second5 = list.Find(5, first5);
  EXPECT_EQ(second5, list.FindIndex(2));
  EXPECT_EQ(list.Find(5, second5), nullptr);
  EXPECT_EQ(list.FindIndex(4), nullptr);
  EXPECT_EQ(list.FindIndex(-1), nullptr);
  list.AddTail(&list);  // appending itself doubles it once
  EXPECT_EQ(Contents(list), (std::vector<int>{5, 6, 5, 7, 5, 6, 5, 7}));
  list.AddHead(&list);
  EXPECT_EQ(list.GetCount(), 16);
  const POSITION head = list.InsertBefore(nullptr, 1);
  const POSITION tail = list.InsertAfter(nullptr, 2);
  EXPECT_EQ(head, list.GetHeadPosition());
  EXPECT_EQ(tail, list.GetTailPosition());
}

TEST(CTypedPtrList, TypedAccessOverBothBases) {
  CTypedPtrList<CObList, CTestValue*> values;
  CTestValue a(1), b(2);
  values.AddTail(&a);
  values.AddTail(static_cast<CTestValue*>(nullptr));  // null entries are allowed
  values.AddHead(&b);
  POSITION pos = values.GetHeadPosition();
  EXPECT_EQ(values.GetNext(pos), &b);
  EXPECT_EQ(values.GetNext(pos), &a);
  EXPECT_EQ(values.GetNext(pos), nullptr);
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(values.Find(&a), values.FindIndex(1));
  CTypedPtrList<CObList, CTestValue*> more;
  more.AddTail(&values);
  EXPECT_EQ(more.GetCount(), 3);
  EXPECT_EQ(more.RemoveHead()->m_v, 2);

  struct Plain { int x; };
  Plain p{9};
  CTypedPtrList<CPtrList, Plain*> plain;
  plain.AddTail(&p);
  EXPECT_EQ(plain.GetHead()->x, 9);
  EXPECT_EQ(plain.RemoveTail(), &p);
  EXPECT_TRUE(plain.IsEmpty());
}

TEST(CObList, SerializeWritesCountThenObjects) {
  CTestValue a(3);
  CObList list;
  list.AddTail(&a);
  list.AddTail(static_cast<CObject*>(nullptr));
  list.AddTail(&a);
  const std::vector<BYTE> bytes = Store([&](CArchive& ar) { list.Serialize(ar); });
  const std::vector<BYTE> want = {0x03, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00, 'C', 'T', 'e', 's', 't', 'V',
                                  'a', 'l', 'u', 'e', 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00};
  EXPECT_EQ(bytes, want);
  Load(bytes, [](CArchive& ar) {
    CObList loaded;
    loaded.AddTail(static_cast<CObject*>(nullptr));  // loading appends
    loaded.Serialize(ar);
    ASSERT_EQ(loaded.GetCount(), 4);
    POSITION pos = loaded.FindIndex(1);
    CObject* first = loaded.GetNext(pos);
    EXPECT_EQ(loaded.GetNext(pos), nullptr);
    EXPECT_EQ(loaded.GetNext(pos), first);
    EXPECT_EQ(static_cast<CTestValue*>(first)->m_v, 3);
    delete first;
  });
}

TEST(CObList, HostileCountFailsWithoutGrowingTheList) {
  const std::vector<BYTE> bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00};
  Load(bytes, [](CArchive& ar) {
    CObList list;
    EXPECT_THROW(list.Serialize(ar), CArchiveException);
    EXPECT_TRUE(list.IsEmpty());
  });
}

TEST(CArray, IndexesAreChecked) {
  CArray<double, double> a;
  EXPECT_THROW(a.GetAt(0), CInvalidArgException);
  a.SetSize(3);
  EXPECT_EQ(a[2], 0.0);  // new elements are zero
  for (INT_PTR bad : {INT_PTR{-1}, INT_PTR{3}, INT_PTR{1} << 40}) {
    EXPECT_THROW(a[bad], CInvalidArgException) << bad;
    EXPECT_THROW(a.SetAt(bad, 1.0), CInvalidArgException) << bad;
    EXPECT_THROW(a.ElementAt(bad), CInvalidArgException) << bad;
  }
  EXPECT_THROW(a.RemoveAt(2, 2), CInvalidArgException);
  EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
  EXPECT_THROW(a.SetAtGrow(-1, 0.0), CInvalidArgException);
  EXPECT_EQ(a.GetSize(), 3);
}

TEST(CArray, ImpossibleSizeIsAMemoryExceptionAndKeepsContents) {
  struct Rec { float x, y; };
  CArray<Rec, const Rec&> a;
  a.Add({1, 2});
  EXPECT_THROW(a.SetSize(LLONG_MAX / 2), CMemoryException);
  ASSERT_EQ(a.GetSize(), 1);
  EXPECT_EQ(a[0].y, 2.0f);
}

TEST(CArray, EditingMembersAgainstAVector) {
  CArray<int, int> a;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.Add(i), i);
  a.InsertAt(1, 9, 2);       // 0 9 9 1 2 3 4
  a.RemoveAt(4, 2);          // 0 9 9 1 4
  a.SetAtGrow(6, a[1]);      // 0 9 9 1 4 0 9  (the value comes from the array itself)
  a.InsertAt(8, 5);          // past the end: grows with zeros first
  EXPECT_EQ(a.Append(a), 9); // doubles
  CArray<int, int> b;
  b.Copy(a);
  b.InsertAt(0, &a);
  const std::vector<int> once = {0, 9, 9, 1, 4, 0, 9, 0, 5};
  std::vector<int> want;
  for (int k = 0; k < 4; ++k) want.insert(want.end(), once.begin(), once.end());
  ASSERT_EQ(b.GetSize(), static_cast<INT_PTR>(want.size()));
  EXPECT_TRUE(std::equal(want.begin(), want.end(), b.GetData()));
  EXPECT_EQ(b.GetUpperBound(), 35);
  b.RemoveAll();
  EXPECT_EQ(b.GetData(), nullptr);
}

TEST(CStringArray, HoldsStrings) {
  CStringArray paths;
  paths.Add(L"b.vlm");
  paths.Add(CString(L"a.vlm"));
  paths.SetAtGrow(3, L"d.vlm");
  EXPECT_EQ(paths.GetSize(), 4);
  EXPECT_TRUE(paths[2].IsEmpty());
  EXPECT_EQ(paths[3], L"d.vlm");
  EXPECT_TRUE(paths.IsKindOf(RUNTIME_CLASS(CObject)));
}
