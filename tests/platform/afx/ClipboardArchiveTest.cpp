// A selection's archive on the clipboard under a private format, through shared memory files:
// the round trip, and hostile payloads that must fail cleanly within the block's bytes.
#include "TestClasses.h"
#include "platform/afx/SharedFile.h"
#include "platform/win/Clipboard.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {
LRESULT Quiet(HWND, UINT, WPARAM, LPARAM) { return 0; }

// Centre x, y, then the list, in one archive written into a shared file; the block is returned.
HGLOBAL WritePayload(double x, double y, CObList& list) {
  CSharedFile file(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 4096);
  {
    CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete, 4096);
    ar << x << y;
    list.Serialize(ar);
    ar.Close();
  }
  return file.Detach();
}

struct Loaded {
  double x = 0, y = 0;
  CObList list;
  ~Loaded() {
    for (POSITION p = list.GetHeadPosition(); p;) delete list.GetNext(p);
  }
};

// Reads a payload block the way the paste command does: bounded by the block, detached after.
void ReadPayload(HGLOBAL h, Loaded& out) {
  CSharedFile file(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 4096);
  file.SetHandle(h, FALSE);
  struct Detach {
    CSharedFile& f;
    ~Detach() { f.Detach(); }  // the clipboard keeps its block whatever happens
  } detach{file};
  CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete, 4096);
  ar >> out.x >> out.y;
  out.list.Serialize(ar);
  ar.Close();
}
}  // namespace

TEST(ClipboardArchive, SelectionRoundTripsUnderThePrivateFormat) {
  FakeWindowBackend backend;
  HWND main = velmora::win::CreateWindowRecord(&Quiet, nullptr, 0, RECT{}, L"", L"VelmoraFrame");
  const UINT fmt = RegisterClipboardFormatW(L"Velmora Drawing");
  CObList selection;
  for (int v : {3, -1, 4, 1000000}) selection.AddTail(new CTestValue(v));
  selection.AddTail(static_cast<CObject*>(nullptr));  // lists may hold null entries
  // A box spanning (0, 0)-(10, 4) has its centre at (5, 2).
  HGLOBAL h = WritePayload(5.0, 2.0, selection);
  ASSERT_NE(h, nullptr);
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(h));
  double first;
  std::memcpy(&first, bytes, 8);
  EXPECT_EQ(first, 5.0);  // the payload starts with the centre's x
  GlobalUnlock(h);

  ASSERT_TRUE(OpenClipboard(main));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_EQ(SetClipboardData(fmt, h), h);
  CloseClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));

  ASSERT_TRUE(OpenClipboard(main));
  HANDLE got = GetClipboardData(fmt);
  ASSERT_NE(got, nullptr);
  Loaded loaded;
  ReadPayload(got, loaded);
  EXPECT_NE(GlobalSize(got), 0u);  // still the clipboard's after reading
  CloseClipboard();
  EXPECT_EQ(loaded.x, 5.0);
  EXPECT_EQ(loaded.y, 2.0);
  std::vector<int> values;
  int nulls = 0;
  for (POSITION p = loaded.list.GetHeadPosition(); p;) {
    CObject* o = loaded.list.GetNext(p);
    if (!o) {
      ++nulls;
      continue;
    }
    auto* v = dynamic_cast<CTestValue*>(o);
    ASSERT_NE(v, nullptr);
    values.push_back(v->m_v);
  }
  EXPECT_EQ(values, (std::vector<int>{3, -1, 4, 1000000}));
  EXPECT_EQ(nulls, 1);
  for (POSITION p = selection.GetHeadPosition(); p;) delete selection.GetNext(p);
  velmora::win::ReleaseWindowRecord(main);
}

TEST(ClipboardArchive, HostilePayloadsFailWithTheArchiveExceptionAndFreeWhatTheyMade) {
  CObList list;
  for (int v = 0; v < 20; ++v) list.AddTail(new CTestValue(v));
  HGLOBAL good = WritePayload(1.0, 2.0, list);
  for (POSITION p = list.GetHeadPosition(); p;) delete list.GetNext(p);
  const size_t size = GlobalSize(good);
  std::vector<BYTE> bytes(size);
  std::memcpy(bytes.data(), GlobalLock(good), size);
  GlobalUnlock(good);
  GlobalFree(good);

  auto block = [](const std::vector<BYTE>& b) {
    HGLOBAL h = GlobalAlloc(GHND, b.size());
    if (!b.empty()) std::memcpy(GlobalLock(h), b.data(), b.size());
    GlobalUnlock(h);
    return h;
  };
  std::vector<std::vector<BYTE>> hostile;
  hostile.push_back({});                                             // empty
  hostile.push_back(std::vector<BYTE>(bytes.begin(), bytes.begin() + 12));  // cut inside the centre
  for (size_t cut = 17; cut < size; cut += 7) hostile.emplace_back(bytes.begin(), bytes.begin() + static_cast<long>(cut));
  {
    auto huge = bytes;  // the list count claims 0xFFFF... elements
    huge[16] = 0xFF;
    huge[17] = 0xFF;
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x7F;
    hostile.push_back(huge);
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 50; ++i) {
    auto noisy = bytes;
    for (int k = 0; k < 4; ++k) noisy[16 + rng() % (size - 16)] = static_cast<BYTE>(rng());
    hostile.push_back(noisy);
  }
  const int live = CTestValue::s_live;
  int refused = 0;
  for (const auto& b : hostile) {
    HGLOBAL h = block(b);
    Loaded loaded;
    try {
      ReadPayload(h, loaded);
    } catch (const CArchiveException&) {
      ++refused;
    } catch (const CMemoryException&) {
      ++refused;
    }
    EXPECT_EQ(GlobalFree(h), nullptr);  // the block survived the failed load
  }
  // Every truncation and the absurd count are refused; noise may happen to stay loadable.
  EXPECT_GE(refused, static_cast<int>(hostile.size()) - 50);
  EXPECT_EQ(CTestValue::s_live, live);
}

TEST(ClipboardArchive, SharedFileGrowsInStepsAndAFixedBlockRefusesToGrow) {
  CSharedFile file(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 4096);
  std::vector<BYTE> data(5000, 0xAB);
  file.Write(data.data(), static_cast<UINT>(data.size()));
  EXPECT_EQ(file.GetLength(), 5000u);
  HGLOBAL h = file.Detach();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 5000u);  // exactly the written bytes
  EXPECT_EQ(file.GetLength(), 0u);

  CSharedFile fixed;
  fixed.SetHandle(h, FALSE);
  EXPECT_EQ(fixed.GetLength(), 5000u);
  BYTE b[10];
  fixed.Seek(4995, CFile::begin);
  EXPECT_EQ(fixed.Read(b, 10), 5u);  // never past the block
  EXPECT_THROW(fixed.Write(b, 10), CMemoryException);
  fixed.Seek(0, CFile::begin);
  fixed.Write(b, 5);  // inside the block is fine
  EXPECT_EQ(fixed.Detach(), h);
  GlobalFree(h);

  // A file that still holds its block frees it.
  HGLOBAL owned = GlobalAlloc(GHND, 16);
  {
    CSharedFile holder;
    holder.SetHandle(owned, TRUE);
  }
  EXPECT_EQ(GlobalSize(owned), 0u);
}
